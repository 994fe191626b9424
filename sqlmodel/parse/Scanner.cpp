#include "sqlmodel/parse/Scanner.h"

#include <algorithm>
#include <array>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvBaseScanner, TObject)

void TnvBuffer::Fill(const QString &text)
{
    FChars = text;
    FLength = int(text.size());
    FPosition = 0;
}

QString TnvBuffer::GetString(int from, int to) const
{
    from = std::clamp(from, 0, FLength);
    to = std::clamp(to, from, FLength);
    return FChars.mid(from, to - from);
}

void TnvBuffer::SetPos(int index)
{
    if (index > FLength)
        index = FLength;
    if (index < 0)
        index = 0;
    FPosition = index;
}

TnvStartTable::TnvStartTable() { std::fill(std::begin(FAscii), std::end(FAscii), FDefault); }

int TnvStartTable::FindEntry(int ch) const
{
    for (int i = 0; i < FCount; ++i)
        if (FKeys[size_t(i)] == ch)
            return i;
    return -1;
}

void TnvStartTable::AddEntry(int ch, qint16 value)
{
    if (FCount == int(FKeys.size())) {
        FKeys.resize(FKeys.size() + 32);
        FValues.resize(FValues.size() + 32);
    }
    FKeys[size_t(FCount)] = char16_t(ch);
    FValues[size_t(FCount)] = value;
    ++FCount;
}

void TnvStartTable::SetItems(int ch, qint16 value)
{
    int i = FindEntry(ch);
    if (i >= 0)
        FValues[size_t(i)] = value;
    else
        AddEntry(ch, value);
    if (ch >= 0 && ch < 128)
        FAscii[ch] = value;
}

void TnvStartTable::SetDefault(qint16 value)
{
    FDefault = value;
    for (int ch = 0; ch < 128; ++ch)
        if (FindEntry(ch) < 0)
            FAscii[ch] = value;
}

namespace {
const TnvStartTable &EmptyStartTable()
{
    static const TnvStartTable table;
    return table;
}
const TnvCharSet &EmptyCharSet()
{
    static const TnvCharSet set;
    return set;
}
} // namespace

TnvBaseScanner::TnvBaseScanner() : FStart(&EmptyStartTable()), FIgnore(&EmptyCharSet()) {}

TnvStartTable &TnvBaseScanner::StartTable()
{
    if (!FOwnStart) {
        FOwnStart = std::make_unique<TnvStartTable>(*FStart);
        FStart = FOwnStart.get();
    }
    return *FOwnStart;
}

TnvCharSet &TnvBaseScanner::IgnoreSet()
{
    if (!FOwnIgnore) {
        FOwnIgnore = std::make_unique<TnvCharSet>(*FIgnore);
        FIgnore = FOwnIgnore.get();
    }
    return *FOwnIgnore;
}

void TnvBaseScanner::ShareTables(const TnvStartTable &start, const TnvCharSet &ignore)
{
    FOwnStart.reset();
    FOwnIgnore.reset();
    FStart = &start;
    FIgnore = &ignore;
}

namespace {
// A token list left by the last scanner of this thread: each parse makes a
// scanner, and taking over the list spares a large allocation per statement
// (and the heap tidying that a large request sets off).
std::vector<TnvToken> &SpareTokens()
{
    thread_local std::vector<TnvToken> spare;
    return spare;
}
// Larger lists go back to the heap rather than stay with the thread.
constexpr size_t SpareTokensLimit = 16384;
} // namespace

TnvBaseScanner::~TnvBaseScanner()
{
    FTokens.clear();
    const size_t capacity = FTokens.capacity();
    if (capacity > 0 && capacity <= SpareTokensLimit) {
        std::vector<TnvToken> &spare = SpareTokens();
        if (capacity > spare.capacity())
            spare.swap(FTokens);
    }
}

void TnvBaseScanner::Init(const QString &text)
{
    FBuffer = std::make_unique<TnvBuffer>();
    FBuffer->Fill(text);
    FTokens.clear();
    if (FTokens.capacity() == 0)
        FTokens.swap(SpareTokens());
    Pos = -1;
    Line = 1;
    LineStart = 0;
    PendingLineEnds = 0;
    NextCh();
    if (!FIgnore->GetItems(' '))
        IgnoreSet().SetItems(' ', true);
    InitInternal();
    // Most tokens are a few characters long; growing the list in steps
    // would copy it several times for a long text.
    FTokens.reserve(size_t(text.size() / 4 + 2));
    for (;;) {
        FTokens.push_back(NextToken());
        if (FTokens.back().Kind == 0)
            break;
    }
    FTokens.back().Text = QStringLiteral("EOF");
    FBuffer.reset();
}

int TnvBaseScanner::LowerNonAscii(int ch) { return QChar(char16_t(ch)).toLower().unicode(); }

TnvBaseScanner::ReadState TnvBaseScanner::SaveReadState() const
{
    return ReadState{Ch, Pos, Line, LineStart, PendingLineEnds, ChStart, FBuffer->Position(), SourceCh, ChIsPending};
}

void TnvBaseScanner::RestoreReadState(const ReadState &state)
{
    Ch = state.Ch;
    Pos = state.Pos;
    Line = state.Line;
    LineStart = state.LineStart;
    PendingLineEnds = state.PendingLineEnds;
    ChStart = state.ChStart;
    FBuffer->SetPos(state.BufferPos);
    SourceCh = state.SourceCh;
    ChIsPending = state.ChIsPending;
}

TnvToken TnvBaseScanner::BeginToken(TokenStart &start) const
{
    TnvToken t;
    t.Offset = Pos;
    t.Column = Pos - LineStart + 1;
    t.Line = Line;
    start.TextStart = ChStart;
    start.Pending = ChIsPending;
    return t;
}

QStringView TnvBaseScanner::TokenView(const TokenStart &start) const
{
    if (start.Pending)
        return {};
    const int length = FBuffer->Length();
    const int end = Ch < 0 ? length : (ChIsPending ? FBuffer->Position() : ChStart);
    const int from = std::clamp(start.TextStart, 0, length);
    const int to = std::clamp(end, from, length);
    return QStringView(FBuffer->Chars()).mid(from, to - from);
}

QString TnvBaseScanner::TokenText(const TokenStart &start) const
{
    // Cut from the buffer rather than collecting the characters one by one, so
    // line ends inside a literal keep the form they were written in.
    if (start.Pending)
        return QStringLiteral("\r");
    int end = Ch < 0 ? FBuffer->Length() : (ChIsPending ? FBuffer->Position() : ChStart);
    if (end - start.TextStart == 1 && start.TextStart >= 0 && start.TextStart < FBuffer->Length()) {
        // Punctuation and one-letter names are a third of all tokens: they
        // share one string per character instead of allocating their own.
        const char16_t ch = FBuffer->Chars()[start.TextStart].unicode();
        if (ch < 128) {
            static const std::array<QString, 128> singles = [] {
                std::array<QString, 128> texts;
                for (char16_t c = 0; c < 128; ++c)
                    texts[c] = QString(QChar(c));
                return texts;
            }();
            return singles[ch];
        }
    }
    const int length = end - start.TextStart;
    if (length > 1 && length <= 32 && start.TextStart >= 0 && end <= FBuffer->Length()) {
        // Names and numbers recur within a statement and across statements:
        // a short text shares the string of the last one written the same way
        // that fell into its slot, rather than allocating its own.
        const QStringView written = QStringView(FBuffer->Chars()).mid(start.TextStart, length);
        size_t hash = size_t(length);
        for (const QChar c : written)
            hash = hash * 31 + c.unicode();
        thread_local std::array<QString, 256> recent;
        QString &text = recent[hash & 255];
        if (QStringView(text) != written)
            text = written.toString();
        return text;
    }
    return FBuffer->GetString(start.TextStart, end);
}

} // namespace nvqb
