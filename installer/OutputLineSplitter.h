#pragma once
// Cuts a child's console output into lines as it arrives in reads of any size.
// A line ends at CR LF, at CR LF followed by another CR, or at a single CR or
// LF. A line break whose parts arrive in different reads is still one break:
// a CR (or CR LF) at the end of a read is remembered, and the LF (or CR) that
// may continue it at the start of the next read is taken as part of it.
#include <QByteArray>

#include <functional>

namespace nvqb {

class TOutputLineSplitter {
public:
    using TLineHandler = std::function<void(const QByteArray &line)>;

    // Adds a read and hands every line completed by it to the handler.
    void Append(const QByteArray &bytes, const TLineHandler &onLine);
    // After the end: hands a remaining incomplete last line to the handler.
    void Finish(const TLineHandler &onLine);

private:
    enum class TPendingBreak { None, AfterCR, AfterCRLF };

    QByteArray FBuffer;
    TPendingBreak FPending = TPendingBreak::None;
};

} // namespace nvqb
