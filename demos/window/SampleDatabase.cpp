#include "demos/window/SampleDatabase.h"
#include "adoprovider/OdbcConnection.h"
#include "classlib/Exceptions.h"

#include <QCryptographicHash>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

// The resources of a static library are linked only when something names them.
static void InitDemoResources() { Q_INIT_RESOURCE(DemoResources); }

namespace nvqb {

namespace {

QString ReadResource(const QString &name)
{
    InitDemoResources();
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError(QStringLiteral("The demo's resource %1 cannot be read").arg(name));
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString SampleDatabaseScript() { return ReadResource(QStringLiteral(":/nvqb-demo/orderentry.sql")); }

QString SampleQuery() { return ReadResource(QStringLiteral(":/nvqb-demo/sample-query.sql")).trimmed(); }

QStringList SplitSQLScript(const QString &script)
{
    QStringList statements;
    QString current;
    for (const QString &line : script.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("--")) || (trimmed.isEmpty() && current.isEmpty()))
            continue;
        current += line;
        current += u'\n';
        if (trimmed.endsWith(u';')) {
            current = current.trimmed();
            current.chop(1);
            statements.append(current);
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

QString SQLiteConnectionString(const QString &fileName)
{
    return QStringLiteral("Driver=SQLite3;Database=%1").arg(fileName);
}

QString EnsureSampleDatabase(const QString &folder)
{
    const QString script = SampleDatabaseScript();
    QString dirName = folder;
    if (dirName.isEmpty())
        dirName = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/nvqb-demo");
    if (!QDir().mkpath(dirName))
        throw EStreamError(QStringLiteral("The folder %1 for the sample database cannot be made").arg(dirName));
    const QByteArray hash = QCryptographicHash::hash(script.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    const QString fileName = QDir(dirName).filePath(QStringLiteral("orderentry-%1.db").arg(QString::fromLatin1(hash)));
    if (QFile::exists(fileName))
        return fileName;

    // Made under a temporary name and renamed when complete, so that a run
    // stopped half-way, or two demos starting at once, never leave a file
    // that looks finished but is not.
    const QString partName = fileName + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    QFile::remove(partName);
    try {
        auto connection = Create<TADOConnection>(nullptr);
        connection->SetConnectionString(SQLiteConnectionString(partName));
        connection->Open();
        // One transaction: SQLite would otherwise sync the file for every row.
        connection->Execute(QStringLiteral("begin"));
        for (const QString &statement : SplitSQLScript(script))
            connection->Execute(statement);
        connection->Execute(QStringLiteral("commit"));
        connection->Close();
    } catch (...) {
        QFile::remove(partName);
        throw;
    }
    if (!QFile::rename(partName, fileName)) {
        QFile::remove(partName);
        // Another demo may have finished first.
        if (!QFile::exists(fileName))
            throw EStreamError(QStringLiteral("The sample database %1 cannot be written").arg(fileName));
    }
    return fileName;
}

} // namespace nvqb
