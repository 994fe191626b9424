#include "sqlmodel/text/SQLBuilderPiped.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TSQLBuilderPiped, TSQLBuilder)

TSQLBuilderPiped::TSQLBuilderPiped(TnvUpdatablePersistent *owner) : TSQLBuilder(owner) {}

TSQLBuilderPiped::~TSQLBuilderPiped() = default;

void TSQLBuilderPiped::BeginBuildInternal()
{
    TSQLBuilder::BeginBuildInternal();
    FQueue.clear();
}

void TSQLBuilderPiped::EndBuildInternal() { WriteOutQueue(); }

void TSQLBuilderPiped::QueueString(const QString &text)
{
    TSQLBuilderElement e;
    e.Kind = nvetString;
    e.MeasuredText = text;
    e.WrittenText = text;
    e.Width = CalcWeight(text);
    FQueue.append(std::move(e));
}

void TSQLBuilderPiped::SpaceInternal(int weight)
{
    TSQLBuilderElement e;
    e.Kind = nvetSpace;
    e.Weight = weight;
    e.MeasuredText = e.WrittenText = QStringLiteral(" ");
    e.Width = CalcWeight(e.MeasuredText);
    FQueue.append(std::move(e));
}

void TSQLBuilderPiped::GoodNewLinePosInternal(int weight)
{
    TSQLBuilderElement e;
    e.Kind = nvetNewLinePoint;
    e.Weight = weight;
    FQueue.append(std::move(e));
}

void TSQLBuilderPiped::AddIndent(double width)
{
    TSQLBuilderElement e;
    e.Kind = nvetAddIndent;
    e.IndentWidth = width;
    FQueue.append(std::move(e));
}

void TSQLBuilderPiped::EndIndent()
{
    TSQLBuilderElement e;
    e.Kind = nvetEndIndent;
    FQueue.append(std::move(e));
}

void TSQLBuilderPiped::NewLineInternal()
{
    // A space still pending is dropped: only the queue and the new line are written.
    WriteOutQueue();
    WriteStringToResult(NewLineText());
}

void TSQLBuilderPiped::WriteKeywordInternal(const QString &text) { QueueString(text); }
void TSQLBuilderPiped::WriteIdentifierInternal(const QString &text) { QueueString(text); }
void TSQLBuilderPiped::WriteSymbolInternal(const QString &text) { QueueString(text); }
void TSQLBuilderPiped::WriteNumberInternal(const QString &text) { QueueString(text); }
void TSQLBuilderPiped::WriteStringInternal(const QString &text) { QueueString(text); }

void TSQLBuilderPiped::WriteOutQueue()
{
    const double margin = WorkingRightMargin();
    while (!FQueue.isEmpty()) {
        double x = CurrentIndent();
        qsizetype best = -1;
        double bestScore = 0;
        bool fits = true;
        for (qsizetype i = 0; i < FQueue.size(); ++i) {
            const TSQLBuilderElement &e = FQueue[i];
            if ((e.Kind == nvetSpace && e.Weight != -1) || e.Kind == nvetNewLinePoint) {
                double r = margin - x;
                if (r < 10)
                    r = r / 10 + 10;
                double score = 100 - e.Weight * r;
                // Among equal scores the later candidate wins.
                if (best < 0 || score >= bestScore) {
                    best = i;
                    bestScore = score;
                }
            }
            if (x + e.Width > margin) {
                fits = false;
                break;
            }
            x += e.Width;
        }
        if (fits)
            best = -1;

        const qsizetype count = best < 0 ? FQueue.size() : best;
        for (qsizetype i = 0; i < count; ++i) {
            const TSQLBuilderElement &e = FQueue[i];
            switch (e.Kind) {
            case nvetString:
            case nvetSpace:
                WriteStringToResult(e.WrittenText);
                break;
            case nvetAddIndent:
                DoAddIndent(e.IndentWidth);
                break;
            case nvetEndIndent:
                DoEndIndent();
                break;
            case nvetNewLinePoint:
                break;
            }
        }
        FQueue.remove(0, count);
        if (best >= 0) {
            // The chosen break point itself is not written: a blank disappears.
            FQueue.removeFirst();
            WriteStringToResult(NewLineText());
            WriteIndent();
        }
    }
}

} // namespace nvqb
