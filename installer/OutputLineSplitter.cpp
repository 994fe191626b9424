#include "installer/OutputLineSplitter.h"

namespace nvqb {

void TOutputLineSplitter::Append(const QByteArray &bytes, const TLineHandler &onLine)
{
    qsizetype start = 0;
    if (FPending == TPendingBreak::AfterCR && start < bytes.size()) {
        if (bytes[start] == '\n') {
            ++start;
            FPending = TPendingBreak::AfterCRLF;
        } else {
            FPending = TPendingBreak::None;
        }
    }
    if (FPending == TPendingBreak::AfterCRLF && start < bytes.size()) {
        if (bytes[start] == '\r')
            ++start;
        FPending = TPendingBreak::None;
    }
    FBuffer.append(bytes.constData() + start, bytes.size() - start);

    qsizetype pos = 0;
    for (;;) {
        qsizetype end = pos;
        while (end < FBuffer.size() && FBuffer[end] != '\r' && FBuffer[end] != '\n')
            ++end;
        if (end == FBuffer.size())
            break;
        onLine(FBuffer.mid(pos, end - pos));
        const qsizetype n = FBuffer.size();
        if (FBuffer[end] == '\n') {
            pos = end + 1;
        } else if (end + 1 == n) {
            pos = end + 1;
            FPending = TPendingBreak::AfterCR;
        } else if (FBuffer[end + 1] != '\n') {
            pos = end + 1;
        } else if (end + 2 == n) {
            pos = end + 2;
            FPending = TPendingBreak::AfterCRLF;
        } else {
            pos = FBuffer[end + 2] == '\r' ? end + 3 : end + 2;
        }
    }
    FBuffer.remove(0, pos);
}

void TOutputLineSplitter::Finish(const TLineHandler &onLine)
{
    if (!FBuffer.isEmpty())
        onLine(FBuffer);
    FBuffer.clear();
    FPending = TPendingBreak::None;
}

} // namespace nvqb
