#include "demos/window/DemoWindow.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/ConnectionString.h"
#include "adoprovider/DataLinkDialog.h"
#include "adoprovider/OdbcConnection.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/dialogs/MetadataContainerEditor.h"
#include "builder/dialogs/MetadataContainerLoad.h"
#include "builder/model/BusyCursor.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/Layout.h"
#include "classlib/ComponentClass.h"
#include "classlib/Exceptions.h"
#include "demos/window/OptionsMenus.h"
#include "demos/window/ResultGrid.h"
#include "demos/window/SQLTextPane.h"
#include "demos/window/SampleDatabase.h"
#include "demos/window/StatisticsPane.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QSaveFile>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace nvqb {

namespace {

QString ReadTextFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError(QObject::tr("Cannot open %1: %2").arg(fileName, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

void WriteTextFile(const QString &fileName, const QString &text)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw EStreamError(QObject::tr("Cannot write %1: %2").arg(fileName, file.errorString()));
}

// Whether a select block of the statement's union list reads from a source.
bool HasSources(const TSQLSubQueryExpressions *list)
{
    if (!list)
        return false;
    for (qsizetype i = 0; i < list->GetCount(); ++i) {
        const TSQLSubQueryExpression *item = list->GetItems(i);
        if (const auto *block = As<TSQLSubQuerySelectExpression>(item)) {
            if (block->FromClause && block->FromClause->GetCount() > 0)
                return true;
        } else if (HasSources(As<TSQLSubQueryExpressions>(item))) {
            return true;
        }
    }
    return false;
}

const QString XMLFilter = QObject::tr("Metadata XML (*.xml);;All files (*)");
const QString LayoutFilter = QObject::tr("Layouts (*.qbl *.xml);;All files (*)");

} // namespace

// The ODBC metadata provider of the window. The control takes an object
// whose columns cannot be read with the columns it has (none), and says
// nothing; the provider keeps the first such failure for the window to tell.
class TnvDemoMetadataProvider : public TnvADOMetadataProvider {
    NV_DECLARE_COMPONENT_CLASS(TnvDemoMetadataProvider)
public:
    using TnvADOMetadataProvider::TnvADOMetadataProvider;

    const QString &ReadError() const { return FReadError; }
    void ClearReadError() { FReadError.clear(); }

    void LoadFieldsForQuery(TnvBaseSyntaxProvider *syntaxProvider, const QString &sql,
                            TnvMetadataFieldsList *fields) override
    {
        try {
            TnvADOMetadataProvider::LoadFieldsForQuery(syntaxProvider, sql, fields);
        } catch (...) {
            Keep(CurrentExceptionMessage());
            throw;
        }
        // A read of the column definitions that failed half-way leaves the
        // list unfinished, without an error.
        if (!fields->Loaded() && GetCanExecSQL() && !sql.isEmpty())
            Keep(QObject::tr("The columns of \"%1\" could not be read").arg(sql));
    }

private:
    void Keep(const QString &message)
    {
        if (FReadError.isEmpty())
            FReadError = message;
    }

    QString FReadError;
};

NV_IMPLEMENT_COMPONENT_CLASS(TnvDemoMetadataProvider, TnvADOMetadataProvider)

TnvDemoWindow::TnvDemoWindow(QWidget *parent)
    : QMainWindow(parent), FSyntaxProvider(Create<TnvSQL92SyntaxProvider>(nullptr)),
      FMetadataProvider(Create<TnvDemoMetadataProvider>(nullptr)), FQueryBuilder(new TnvQueryBuilder),
      FSQLPane(new TnvSQLTextPane), FStatisticsPane(new TnvStatisticsPane), FResultGrid(new TnvResultGrid),
      FTabs(new QTabWidget), FConnectionLabel(new QLabel), FAutoRunTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("DemoWindow"));
    setWindowTitle(tr("nvQueryBuilder demo"));
    FQueryBuilder->setObjectName(QStringLiteral("QueryBuilder"));
    FQueryBuilder->SetSyntaxProvider(FSyntaxProvider.get());
    FQueryBuilder->SetMetadataProvider(FMetadataProvider.get());
    // Room for the sample's column names in the boxes and the structure tree.
    FQueryBuilder->SetDefaultTableWidth(130);
    FQueryBuilder->TreeOptions()->SetTreeWidth(190);
    FSQLPane->SetQueryBuilder(FQueryBuilder);

    FTabs->setObjectName(QStringLiteral("tsBottom"));
    FTabs->addTab(FResultGrid, tr("Result"));
    FTabs->addTab(FStatisticsPane, tr("Statistics and parameters"));
    auto *bottom = new QSplitter(Qt::Horizontal);
    bottom->addWidget(FSQLPane);
    bottom->addWidget(FTabs);
    auto *main = new QSplitter(Qt::Vertical);
    main->setObjectName(QStringLiteral("spMain"));
    main->addWidget(FQueryBuilder);
    main->addWidget(bottom);
    main->setSizes({540, 280});
    bottom->setSizes({460, 820});
    setCentralWidget(main);
    FConnectionLabel->setObjectName(QStringLiteral("lConnection"));
    statusBar()->addWidget(FConnectionLabel, 1);

    FAutoRunTimer->setSingleShot(true);
    FAutoRunTimer->setInterval(AutoRunDelay);
    connect(FAutoRunTimer, &QTimer::timeout, this, &TnvDemoWindow::RunQuery);
    connect(FSQLPane, &TnvSQLTextPane::SQLChanged, this, &TnvDemoWindow::QueryChanged);
    connect(FResultGrid, &TnvResultGrid::RunRequested, this, &TnvDemoWindow::RunQuery);
    CreateMenus();
    ShowConnection();
    resize(1280, 860);
}

TnvDemoWindow::~TnvDemoWindow()
{
    FAutoRunTimer->stop();
    // The control goes before the providers and connection it refers to,
    // and the SQL pane lets go of it first.
    FSQLPane->SetQueryBuilder(nullptr);
    delete FQueryBuilder;
    FMetadataProvider->SetConnection(nullptr);
}

void TnvDemoWindow::CreateMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Connect..."), this, &TnvDemoWindow::ConnectEvent);
    file->addAction(tr("Open the &Sample Database"), this, [this] { nvQBCatchAll([this] { OpenSampleDatabase(); }); });
    file->addAction(tr("&Disconnect"), this, [this] { nvQBCatchAll([this] { Disconnect(); }); });
    file->addSeparator();
    file->addAction(tr("&Load Metadata..."), this, &TnvDemoWindow::LoadMetadataEvent);
    file->addAction(tr("&Edit Metadata..."), this, &TnvDemoWindow::EditMetadataEvent);
    file->addAction(tr("&Refresh Metadata"), this, [this] {
        nvQBCatchAll([this] {
            TnvBusyCursor busy;
            FQueryBuilder->RefreshMetadata();
        });
    });
    file->addSeparator();
    file->addAction(tr("&Open Metadata XML..."), this, &TnvDemoWindow::OpenMetadataEvent);
    file->addAction(tr("Save Metadata &XML..."), this, &TnvDemoWindow::SaveMetadataEvent);
    file->addAction(tr("Open La&yout..."), this, &TnvDemoWindow::OpenLayoutEvent);
    file->addAction(tr("Save L&ayout..."), this, &TnvDemoWindow::SaveLayoutEvent);
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu *query = menuBar()->addMenu(tr("&Query"));
    query->addAction(tr("&Run"), QKeySequence(Qt::Key_F5), this, &TnvDemoWindow::RunQuery);
    query->addAction(tr("&Cancel"), QKeySequence(Qt::CTRL | Qt::Key_Period), this, &TnvDemoWindow::CancelQuery);
    QAction *autoRun = query->addAction(tr("Run &Automatically"));
    autoRun->setCheckable(true);
    autoRun->setChecked(FAutoRun);
    connect(autoRun, &QAction::toggled, this, [this](bool on) { FAutoRun = on; });
    query->addAction(tr("C&lear"), this, [this] { nvQBCatchAll([this] { FQueryBuilder->Clear(); }); });

    QMenu *options = menuBar()->addMenu(tr("&Options"));
    FillLanguageMenu(options->addMenu(tr("&Language")));
    FillLinkPainterMenu(options->addMenu(tr("Link &Painter Style")), FQueryBuilder);
    FillDisplayOptionsMenu(options->addMenu(tr("&Display")), FQueryBuilder);
}

TnvADOMetadataProvider *TnvDemoWindow::MetadataProvider() const { return FMetadataProvider.get(); }

QString TnvDemoWindow::MetadataReadError() const { return FMetadataProvider->ReadError(); }

void TnvDemoWindow::Connect(const QString &connectionString)
{
    Disconnect();
    FMetadataProvider->ClearReadError();
    TnvBusyCursor busy;
    auto connection = Create<TADOConnection>(nullptr);
    connection->SetConnectionString(connectionString);
    connection->Open();
    FConnection = std::move(connection);
    FConnectionString = connectionString;
    FMetadataProvider->SetConnection(FConnection.get());
    try {
        FQueryBuilder->Clear();
        FQueryBuilder->RefreshMetadata();
    } catch (...) {
        Disconnect();
        throw;
    }
    ShowConnection();
}

void TnvDemoWindow::OpenSampleDatabase(const QString &folder)
{
    QString fileName;
    {
        TnvBusyCursor busy;
        fileName = EnsureSampleDatabase(folder);
    }
    Connect(SQLiteConnectionString(fileName));
    SetSQL(SampleQuery());
}

void TnvDemoWindow::Disconnect()
{
    FResultGrid->Cancel();
    FMetadataProvider->SetConnection(nullptr);
    FConnection.reset();
    FConnectionString.clear();
    ShowConnection();
}

void TnvDemoWindow::ShowConnection()
{
    if (FConnectionString.isEmpty()) {
        FConnectionLabel->setText(tr("Not connected"));
        return;
    }
    // The password is shown nowhere: masked as the library's messages mask it.
    FConnectionLabel->setText(tr("Connected: %1").arg(MaskConnectionString(FConnectionString)));
}

template <class F> void TnvDemoWindow::RaisingSQLErrors(const QString &context, F load)
{
    QString error;
    const TnvOnSQLError paneHandler = FQueryBuilder->OnSQLError;
    FQueryBuilder->OnSQLError = [&](TObject *sender, const QString &text, const QString &message,
                                    const QString &token, TnvPos position) {
        error = tr("Line %1, column %2, at \"%3\": %4").arg(position.Line).arg(position.Column).arg(token, message);
        if (paneHandler)
            paneHandler(sender, text, message, token, position);
    };
    try {
        load();
    } catch (...) {
        FQueryBuilder->OnSQLError = paneHandler;
        throw;
    }
    FQueryBuilder->OnSQLError = paneHandler;
    if (!error.isEmpty())
        throw EConvertError(context + error);
}

void TnvDemoWindow::SetSQL(const QString &sql)
{
    RaisingSQLErrors(QString(), [&] { FQueryBuilder->SetSyncSQL(sql); });
}

void TnvDemoWindow::QueryChanged()
{
    // Reached through a signal: nothing may leave it.
    nvQBCatchAll([this] { FStatisticsPane->Reload(FQueryBuilder); });
    if (FAutoRun)
        FAutoRunTimer->start();
}

void TnvDemoWindow::RunQuery()
{
    FAutoRunTimer->stop();
    QString sql;
    if (!nvQBCatchAll([&] { sql = FQueryBuilder->SQL(); }))
        return;
    // A query without sources (the empty one, or a bare expression list) is
    // not sent to the server.
    FResultGrid->Run(FConnectionString, HasSources(FQueryBuilder->ResultStatement()) ? sql : QString());
}

void TnvDemoWindow::CancelQuery() { FResultGrid->Cancel(); }

void TnvDemoWindow::SaveMetadataFile(const QString &fileName)
{
    WriteTextFile(fileName, FQueryBuilder->GetMetadataXML());
}

void TnvDemoWindow::LoadMetadataFile(const QString &fileName)
{
    FQueryBuilder->SetMetadataXML(ReadTextFile(fileName));
}

void TnvDemoWindow::SaveLayoutFile(const QString &fileName) { WriteTextFile(fileName, FQueryBuilder->GetLayout()); }

void TnvDemoWindow::LoadLayoutFile(const QString &fileName)
{
    // The control takes what it can of any text and stays quiet about the
    // rest; the user who named the file hears what is wrong with it.
    const QString text = ReadTextFile(fileName);
    const QString error = LayoutDocumentError(text);
    if (!error.isEmpty())
        throw EConvertError(tr("The layout %1 cannot be loaded: %2").arg(fileName, error));
    RaisingSQLErrors(tr("The SQL of the layout %1 does not parse: ").arg(fileName),
                     [&] { FQueryBuilder->SetLayout(text); });
}

void TnvDemoWindow::ConnectEvent()
{
    const QString connectionString = PromptDataSource(this, FConnectionString);
    if (connectionString.isEmpty() || connectionString == FConnectionString)
        return;
    nvQBCatchAll([&] { Connect(connectionString); });
}

void TnvDemoWindow::LoadMetadataEvent()
{
    nvQBCatchAll([this] { LoadMetadataContainer(FQueryBuilder->MetadataContainer()); });
}

void TnvDemoWindow::EditMetadataEvent()
{
    nvQBCatchAll([this] { EditMetadataContainer(FQueryBuilder->MetadataContainer()); });
}

void TnvDemoWindow::OpenMetadataEvent()
{
    const QString fileName = QFileDialog::getOpenFileName(this, tr("Open Metadata XML"), QString(), XMLFilter);
    if (!fileName.isEmpty())
        nvQBCatchAll([&] { LoadMetadataFile(fileName); });
}

void TnvDemoWindow::SaveMetadataEvent()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Save Metadata XML"), QString(), XMLFilter);
    if (!fileName.isEmpty())
        nvQBCatchAll([&] { SaveMetadataFile(fileName); });
}

void TnvDemoWindow::OpenLayoutEvent()
{
    const QString fileName = QFileDialog::getOpenFileName(this, tr("Open Layout"), QString(), LayoutFilter);
    if (!fileName.isEmpty())
        nvQBCatchAll([&] { LoadLayoutFile(fileName); });
}

void TnvDemoWindow::SaveLayoutEvent()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Save Layout"), QString(), LayoutFilter);
    if (!fileName.isEmpty())
        nvQBCatchAll([&] { SaveLayoutFile(fileName); });
}

} // namespace nvqb
