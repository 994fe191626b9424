#pragma once
// Console programs of the machine write their output in its OEM code page,
// which the installer converts back when it reads the output. The
// unarchiver's own texts are UTF-8 (paths of this system); they are written
// in code page 850, the OEM code page the installer assumes when the machine
// names no other.
#include <cstdio>
#include <streambuf>
#include <string>

namespace nvqb::unrar {

// The UTF-8 text in code page 850; a character that code page lacks, or a
// byte that is no UTF-8, becomes "?".
std::string ToConsoleCodePage(const std::string &utf8);

// A stream buffer that writes whole lines to a file, each converted with
// ToConsoleCodePage and flushed at once, so that the installer sees every
// line as soon as it is complete.
class TConsoleBuffer : public std::streambuf {
public:
    explicit TConsoleBuffer(std::FILE *file) : FFile(file) {}
    ~TConsoleBuffer() override;

protected:
    int overflow(int c) override;
    int sync() override;

private:
    std::FILE *FFile;
    std::string FLine;
};

} // namespace nvqb::unrar
