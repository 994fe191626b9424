#include "installer/unrar/ConsoleText.h"

#include <cerrno>
#include <iconv.h>

namespace nvqb::unrar {

std::string ToConsoleCodePage(const std::string &utf8)
{
    bool ascii = true;
    for (const char c : utf8)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return utf8;
    const iconv_t converter = ::iconv_open("IBM850", "UTF-8");
    if (converter == iconv_t(-1))
        return utf8;
    std::string result;
    char *in = const_cast<char *>(utf8.data());
    size_t inLeft = utf8.size();
    char buffer[256];
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = ::iconv(converter, &in, &inLeft, &out, &outLeft);
        result.append(buffer, size_t(out - buffer));
        if (done != size_t(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: one unconvertible character (or stray byte) becomes "?".
        result += '?';
        ++in;
        --inLeft;
        while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
            ++in;
            --inLeft;
        }
    }
    ::iconv_close(converter);
    return result;
}

TConsoleBuffer::~TConsoleBuffer()
{
    sync();
}

int TConsoleBuffer::overflow(int c)
{
    if (c == traits_type::eof())
        return sync() == 0 ? 0 : traits_type::eof();
    FLine += char(c);
    if (c == '\n' && sync() != 0)
        return traits_type::eof();
    return c;
}

int TConsoleBuffer::sync()
{
    if (FLine.empty())
        return 0;
    const std::string text = ToConsoleCodePage(FLine);
    FLine.clear();
    const bool written = std::fwrite(text.data(), 1, text.size(), FFile) == text.size();
    return written && std::fflush(FFile) == 0 ? 0 : -1;
}

} // namespace nvqb::unrar
