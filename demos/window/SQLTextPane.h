#pragma once
// The SQL text of the query, formatted by a plain-text SQL builder linked to
// the query builder: it follows every change of the diagram and the grid.
// What the user types goes back to the query builder's SQL once typing
// pauses (or at once with Ctrl+Return); a text that does not parse leaves the
// query as it was and shows the parser's message in the status line.
#include <QWidget>

#include "builder/model/QueryBuilderModel.h"

class QPlainTextEdit;
class QTimer;

namespace nvqb {

class TnvQueryBuilder;
class TnvSQLBuilderPlainText;
class TnvStatusLabel;

class TnvSQLTextPane : public QWidget {
    Q_OBJECT
public:
    // The pause after typing before the text is taken, in milliseconds.
    static constexpr int ApplyDelay = 800;

    explicit TnvSQLTextPane(QWidget *parent = nullptr);
    ~TnvSQLTextPane() override;

    // Links the pane's SQL builder to the query builder and takes its
    // SQL-error event; nil unlinks.
    void SetQueryBuilder(TnvQueryBuilder *queryBuilder);
    TnvSQLBuilderPlainText *SQLBuilder() const { return FSQLBuilder.get(); }

    QPlainTextEdit *Editor() const { return FEditor; }
    TnvStatusLabel *StatusLine() const { return FStatus; }
    // Gives the edited text to the query builder now.
    void ApplyText();

signals:
    // The query changed (the SQL builder has its new text).
    void SQLChanged();

private:
    void SQLUpdated();
    void ShowSQLError(const QString &error, const QString &errorToken, TnvPos position);

    TOwned<TnvSQLBuilderPlainText> FSQLBuilder;
    TnvQueryBuilder *FQueryBuilder = nullptr;
    QPlainTextEdit *FEditor;
    TnvStatusLabel *FStatus;
    QTimer *FApplyTimer;
    bool FShowing = false;
};

} // namespace nvqb
