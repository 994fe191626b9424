#pragma once
// The demo application's main window: the query builder control over a
// database reached through the ODBC metadata provider, the SQL text of the
// query, its statistics and parameters, and a grid with the first rows of
// its result; menus to connect, load, edit and save metadata, save and load
// the layout, and choose the language, link painter and display options.
#include "classlib/ClassInfo.h"

#include <QMainWindow>
#include <QPointer>

class QLabel;
class QTabWidget;
class QTimer;

namespace nvqb {

class TADOConnection;
class TnvADOMetadataProvider;
class TnvDemoMetadataProvider;
class TnvQueryBuilder;
class TnvResultGrid;
class TnvSQL92SyntaxProvider;
class TnvSQLTextPane;
class TnvStatisticsPane;

class TnvDemoWindow : public QMainWindow {
    Q_OBJECT
public:
    // The pause after a change of the query before the grid runs it, in
    // milliseconds.
    static constexpr int AutoRunDelay = 400;

    explicit TnvDemoWindow(QWidget *parent = nullptr);
    ~TnvDemoWindow() override;

    // Opens a connection with the string (closing the one before), points
    // the metadata provider at it and loads its metadata. Raises what the
    // driver or the load raises; the window is then left without connection.
    void Connect(const QString &connectionString);
    // Makes the sample database when it is missing (in the folder, the cache
    // folder when empty), connects to it and shows the sample query.
    void OpenSampleDatabase(const QString &folder = QString());
    void Disconnect();
    const QString &ConnectionString() const { return FConnectionString; }
    TADOConnection *Connection() const { return FConnection.get(); }
    TnvADOMetadataProvider *MetadataProvider() const;
    // The first failure to read metadata since connecting that the control
    // let pass (the columns of a box that could not be read, a connection
    // lost on the way: the box is shown without them); empty when there was
    // none. A run without a user reports it.
    QString MetadataReadError() const;

    // Loads the SQL into the query builder at once; text that does not parse
    // raises with the parser's message and leaves the query as it was.
    void SetSQL(const QString &sql);
    // Runs the query's SQL in the result grid (in the background).
    void RunQuery();
    void CancelQuery();
    // Whether each change of the query runs it again (after AutoRunDelay).
    bool AutoRun() const { return FAutoRun; }
    void SetAutoRun(bool value) { FAutoRun = value; }

    // Each raises when the file cannot be read or written or does not hold
    // what it should (a layout: no layout document, or SQL that does not parse).
    void SaveMetadataFile(const QString &fileName);
    void LoadMetadataFile(const QString &fileName);
    void SaveLayoutFile(const QString &fileName);
    void LoadLayoutFile(const QString &fileName);

    TnvQueryBuilder *QueryBuilder() const { return FQueryBuilder; }
    TnvSQLTextPane *SQLPane() const { return FSQLPane; }
    TnvStatisticsPane *StatisticsPane() const { return FStatisticsPane; }
    TnvResultGrid *ResultGrid() const { return FResultGrid; }
    QTabWidget *BottomTabs() const { return FTabs; }

private:
    // Runs the load with parse errors raised (the control would only report
    // them), the message after the context.
    template <class F> void RaisingSQLErrors(const QString &context, F load);
    void CreateMenus();
    void QueryChanged();
    void ShowConnection();
    // Menu handlers: dialogs, then the work guarded so nothing escapes.
    void ConnectEvent();
    void LoadMetadataEvent();
    void EditMetadataEvent();
    void OpenMetadataEvent();
    void SaveMetadataEvent();
    void OpenLayoutEvent();
    void SaveLayoutEvent();

    TOwned<TnvSQL92SyntaxProvider> FSyntaxProvider;
    TOwned<TnvDemoMetadataProvider> FMetadataProvider;
    TOwned<TADOConnection> FConnection;
    QString FConnectionString;
    TnvQueryBuilder *FQueryBuilder;
    TnvSQLTextPane *FSQLPane;
    TnvStatisticsPane *FStatisticsPane;
    TnvResultGrid *FResultGrid;
    QTabWidget *FTabs;
    QLabel *FConnectionLabel;
    QTimer *FAutoRunTimer;
    bool FAutoRun = true;
};

} // namespace nvqb
