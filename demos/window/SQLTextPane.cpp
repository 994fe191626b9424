#include "demos/window/SQLTextPane.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/SQLTextBuilder.h"
#include "demos/window/StatusLabel.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace nvqb {

TnvSQLTextPane::TnvSQLTextPane(QWidget *parent)
    : QWidget(parent), FSQLBuilder(Create<TnvSQLBuilderPlainText>(nullptr)), FEditor(new QPlainTextEdit(this)),
      FStatus(new TnvStatusLabel(this)), FApplyTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("SQLTextPane"));
    FEditor->setObjectName(QStringLiteral("mSQL"));
    FStatus->setObjectName(QStringLiteral("lSQLStatus"));
    FEditor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    FEditor->setLineWrapMode(QPlainTextEdit::NoWrap);
    FStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FSQLBuilder->SetRightMargin(60);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(FEditor, 1);
    layout->addWidget(FStatus);

    FApplyTimer->setSingleShot(true);
    FApplyTimer->setInterval(ApplyDelay);
    connect(FApplyTimer, &QTimer::timeout, this, &TnvSQLTextPane::ApplyText);
    connect(FEditor, &QPlainTextEdit::textChanged, this, [this] {
        if (!FShowing && FQueryBuilder)
            FApplyTimer->start();
    });
    auto *apply = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), FEditor);
    apply->setContext(Qt::WidgetShortcut);
    connect(apply, &QShortcut::activated, this, &TnvSQLTextPane::ApplyText);
    FSQLBuilder->OnSQLUpdated = [this](TObject *) { SQLUpdated(); };
}

TnvSQLTextPane::~TnvSQLTextPane() { SetQueryBuilder(nullptr); }

void TnvSQLTextPane::SetQueryBuilder(TnvQueryBuilder *queryBuilder)
{
    if (FQueryBuilder == queryBuilder)
        return;
    if (FQueryBuilder)
        FQueryBuilder->OnSQLError = nullptr;
    FQueryBuilder = queryBuilder;
    if (queryBuilder)
        queryBuilder->OnSQLError = [this](TObject *, const QString &, const QString &error, const QString &token,
                                          TnvPos position) { ShowSQLError(error, token, position); };
    FSQLBuilder->SetQueryBuilder(queryBuilder);
}

void TnvSQLTextPane::SQLUpdated()
{
    // The text builder ends lines as the class library does (CR LF); the
    // editor keeps LF only.
    QString text = FSQLBuilder->SQL();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // The user is typing: the query caught up with an earlier pause, and the
    // text being typed stays as it is.
    if (!(FApplyTimer->isActive() && FEditor->hasFocus()) && FEditor->toPlainText() != text) {
        QScopedValueRollback<bool> showing(FShowing, true);
        const int line = FEditor->textCursor().blockNumber();
        FEditor->setPlainText(text);
        QTextCursor cursor(FEditor->document()->findBlockByNumber(qMin(line, FEditor->blockCount() - 1)));
        FEditor->setTextCursor(cursor);
    }
    FStatus->Clear();
    FStatus->setStyleSheet(QString());
    emit SQLChanged();
}

void TnvSQLTextPane::ApplyText()
{
    FApplyTimer->stop();
    if (!FQueryBuilder)
        return;
    FStatus->Clear();
    FStatus->setStyleSheet(QString());
    // The SQL-error event takes parse errors; what else the load raises
    // (a name that cannot be bound, ...) is shown too.
    const QString text = FEditor->toPlainText();
    nvQBCatchAll([&] { FQueryBuilder->SetSQL(text); });
}

void TnvSQLTextPane::ShowSQLError(const QString &error, const QString &errorToken, TnvPos position)
{
    FStatus->setStyleSheet(QStringLiteral("color: #b00020"));
    FStatus->SetFullText(tr("Line %1, column %2, at \"%3\": %4")
                             .arg(position.Line)
                             .arg(position.Column)
                             .arg(errorToken, error));
}

} // namespace nvqb
