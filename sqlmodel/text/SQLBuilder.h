#pragma once
// The SQL text builder. Syntax-tree nodes never write text themselves: they
// call the builder's writers (keyword, identifier, symbol, number, string) and
// layout calls (space, new line, indent, good break position), and the builder
// decides the final characters: keyword case, pending spaces, new-line text,
// indentation and, in the piped variant, where long lines wrap.
#include "sqlmodel/text/SQLBuilderFormats.h"

#include <QList>
#include <QString>
#include <memory>

namespace nvqb {

class TSQLQualifiedName;
class TSQLIdentifiersCollection;

enum TnvKeywordFormat { nkfFirstUpper, nkfUpperCase, nkfLowerCase };
enum TnvIdentQuotation { icNone, icIfNeed, icAll };
enum TnvObjectPrefixSkipping { opsSkipAll, opsSkipDatabase, opsSkipNone };

class TSQLBuilder : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TSQLBuilder)
public:
    explicit TSQLBuilder(TnvUpdatablePersistent *owner = nullptr);
    ~TSQLBuilder() override;

    // One text is printed between BeginBuild and EndBuild; then read ResultSQL.
    void BeginBuild();
    void EndBuild();
    const QString &ResultSQL() const { return FResultSQL; }

    void WriteKeyword(const QString &text);
    void WriteIdentifier(const QString &text);
    void WriteSymbol(const QString &text);
    void WriteNumber(const QString &text);
    void WriteString(const QString &text);
    void WriteKeywordAndSpace(const QString &text, int weight);
    // The next piece written is set apart by a blank of the given weight when
    // its first character would read on from `last` as one token (a word
    // after "~", which the scanner takes for a word character, "-" after
    // "-", which starts a comment): so an operator written right before its
    // operand stays an operator.
    void KeepNextApartFrom(QChar last, int weight);
    // Whether the scanner reads `next` on from `last` into one token.
    static bool RunsOn(QChar last, QChar next);

    // Asks for one blank before the next written piece; several in a row give
    // one blank whose break weight is the lowest asked for.
    void Space(int weight);
    // Ends the line unless the builder already stands at a line start.
    void NewLine();
    void NewLineOrSpace(bool newLine, int weight);
    // Marks the current position as a place where a long line may break.
    void GoodNewLinePos(int weight);
    virtual void AddIndent(double width);
    virtual void EndIndent();
    double CurrentIndent() const;
    void WriteIndent();
    void WriteStringToResult(const QString &text);
    // The width of a text; the base counts its characters.
    virtual double CalcWeight(const QString &text) const;

    int RightMargin() const { return FRightMargin; }
    void SetRightMargin(int value);
    TnvKeywordFormat KeywordFormat() const { return FKeywordFormat; }
    void SetKeywordFormat(TnvKeywordFormat value) { SetAndNotify(FKeywordFormat, value); }
    TnvIdentQuotation QuoteIdentifiers() const { return FQuoteIdentifiers; }
    void SetQuoteIdentifiers(TnvIdentQuotation value) { SetAndNotify(FQuoteIdentifiers, value); }
    TnvObjectPrefixSkipping ObjectPrefixSkipping() const { return FObjectPrefixSkipping; }
    void SetObjectPrefixSkipping(TnvObjectPrefixSkipping value) { SetAndNotify(FObjectPrefixSkipping, value); }

    // The default database name and schema names that object-name printing
    // leaves out; empty at first and without syntax provider.
    TSQLQualifiedName *DefaultDatabaseName() const { return FDefaultDatabaseName.get(); }
    TSQLIdentifiersCollection *DefaultSchemaNames() const { return FDefaultSchemaNames.get(); }
    // Copy the given names into the builder's own (dropping their provider);
    // nil clears them.
    void SetDefaultDatabaseName(const TSQLQualifiedName *name);
    void SetDefaultSchemaNames(const TSQLIdentifiersCollection *names);

    TSQLBuilderSelectFormat *MainQueryFormat() const { return FMainQueryFormat.get(); }
    TSQLBuilderSelectFormat *ExpressionsSubQueryFormat() const { return FExpressionsSubQueryFormat.get(); }
    TSQLBuilderSelectFormat *FromSubQueryFormat() const { return FFromSubQueryFormat.get(); }
    // Each copies the given format into the builder's own one.
    void SetMainFmt(const TSQLBuilderSelectFormat *format) { FMainQueryFormat->Assign(format); }
    void SetSubFmt(const TSQLBuilderSelectFormat *format) { FExpressionsSubQueryFormat->Assign(format); }
    void SetDerFmt(const TSQLBuilderSelectFormat *format) { FFromSubQueryFormat->Assign(format); }

    const QString &NewLineText() const { return FNewLineText; }
    bool AtLineStart() const { return FAtLineStart; }
    double WorkingRightMargin() const { return FWorkingRightMargin; }

protected:
    virtual void DoAddIndent(double width);
    virtual void DoEndIndent();
    virtual void BeginBuildInternal();
    virtual void EndBuildInternal();
    virtual void SpaceInternal(int weight);
    virtual void NewLineInternal();
    virtual void GoodNewLinePosInternal(int weight);
    virtual void WriteKeywordInternal(const QString &text);
    virtual void WriteIdentifierInternal(const QString &text);
    virtual void WriteSymbolInternal(const QString &text);
    virtual void WriteNumberInternal(const QString &text);
    virtual void WriteStringInternal(const QString &text);

    void SetNewLineText(const QString &text) { FNewLineText = text; }

private:
    void ApplyPendingSpace();
    void KeepApart(const QString &next);

    bool FAtLineStart = true;
    bool FPendingSpace = false;
    int FPendingSpaceWeight = 2147483647;
    bool FKeepApart = false;
    QChar FKeepApartFrom;
    int FKeepApartWeight = 3;
    int FRightMargin = 80;
    std::unique_ptr<TSQLBuilderSelectFormat> FExpressionsSubQueryFormat;
    std::unique_ptr<TSQLBuilderSelectFormat> FMainQueryFormat;
    QString FNewLineText;
    QList<double> FIndents;
    TnvKeywordFormat FKeywordFormat = nkfFirstUpper;
    std::unique_ptr<TSQLBuilderSelectFormat> FFromSubQueryFormat;
    TnvIdentQuotation FQuoteIdentifiers = icIfNeed;
    TnvObjectPrefixSkipping FObjectPrefixSkipping = opsSkipAll;
    TOwned<TSQLQualifiedName> FDefaultDatabaseName;
    TOwned<TSQLIdentifiersCollection> FDefaultSchemaNames;
    QString FResultSQL;
    double FWorkingRightMargin = 80.0;
};

class TSQLBuilderPlainText : public TSQLBuilder {
    NV_DECLARE_CLASS(TSQLBuilderPlainText)
public:
    using TSQLBuilder::TSQLBuilder;
};

// Prints every statement on one line: no indentation and a blank as new line.
class TSQLBuilderFast : public TSQLBuilder {
    NV_DECLARE_CLASS(TSQLBuilderFast)
public:
    explicit TSQLBuilderFast(TnvUpdatablePersistent *owner = nullptr);

protected:
    void DoAddIndent(double width) override;
    void DoEndIndent() override;
};

// The shared one-line builder for names, expressions and other short texts.
// A lease hands out the thread's shared builder, or a spare one when the
// shared builder is already printing further up the stack (an identifier or
// extender printed while another text is being built), so nested texts never
// overwrite each other. Hold the lease for one text.
class TSQLBuilderFastLease {
public:
    TSQLBuilderFastLease();
    ~TSQLBuilderFastLease();
    TSQLBuilderFastLease(const TSQLBuilderFastLease &) = delete;
    TSQLBuilderFastLease &operator=(const TSQLBuilderFastLease &) = delete;

    TSQLBuilderFast *operator->() const { return FBuilder; }
    TSQLBuilderFast &operator*() const { return *FBuilder; }
    TSQLBuilderFast *Get() const { return FBuilder; }

private:
    TSQLBuilderFast *FBuilder;
};

// How many builders the calling thread's pool has made so far (for tests).
qsizetype SQLBuilderFastPoolSize();

} // namespace nvqb
