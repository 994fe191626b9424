#pragma once
// A builder that wraps long lines: each line's pieces are queued and, when the
// line ends, written out with breaks at the best-scoring spaces and good break
// positions before the right margin.
#include "sqlmodel/text/SQLBuilder.h"

#include <QList>

namespace nvqb {

enum TSQLBuilderElementType { nvetString, nvetSpace, nvetNewLinePoint, nvetAddIndent, nvetEndIndent };

// One queued piece of a line.
struct TSQLBuilderElement {
    TSQLBuilderElementType Kind = nvetString;
    int Weight = 0;          // break cost of a space or new-line point
    double IndentWidth = 0;  // of an add-indent piece
    double Width = 0;        // measured width; 0 for indents and new-line points
    QString MeasuredText;
    QString WrittenText;
};

class TSQLBuilderPiped : public TSQLBuilder {
    NV_DECLARE_CLASS(TSQLBuilderPiped)
public:
    explicit TSQLBuilderPiped(TnvUpdatablePersistent *owner = nullptr);
    ~TSQLBuilderPiped() override;

    void AddIndent(double width) override;
    void EndIndent() override;
    const QList<TSQLBuilderElement> &Queue() const { return FQueue; }

protected:
    void BeginBuildInternal() override;
    void EndBuildInternal() override;
    void SpaceInternal(int weight) override;
    void NewLineInternal() override;
    void GoodNewLinePosInternal(int weight) override;
    void WriteKeywordInternal(const QString &text) override;
    void WriteIdentifierInternal(const QString &text) override;
    void WriteSymbolInternal(const QString &text) override;
    void WriteNumberInternal(const QString &text) override;
    void WriteStringInternal(const QString &text) override;

private:
    void QueueString(const QString &text);
    void WriteOutQueue();

    QList<TSQLBuilderElement> FQueue;
};

} // namespace nvqb
