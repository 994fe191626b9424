#include "TestMachine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace nvqb::test {

QString StandInTool()
{
    return QStringLiteral(NVQB_STANDIN_TOOL);
}

QString InstallerPeer()
{
    return QStringLiteral(NVQB_INSTALLER_PEER);
}

bool WaitsForALock(qint64 pid)
{
    // "1: -> FLOCK  ADVISORY  WRITE 1234 fe:00:5678 0 EOF": a request that waits.
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields[1] == "->" && fields[5].toLongLong() == pid)
            return true;
    }
    return false;
}

TTestMachine::TTestMachine()
    : FOldMachine(qgetenv("NVQB_MACHINE")), FHadMachine(qEnvironmentVariableIsSet("NVQB_MACHINE"))
{
    FFolder = QFileInfo(FTemp.path()).canonicalFilePath() + QLatin1String("/machine");
    QDir().mkpath(FFolder);
    qputenv("NVQB_MACHINE", QFile::encodeName(FFolder));
}

TTestMachine::~TTestMachine()
{
    if (FHadMachine)
        qputenv("NVQB_MACHINE", FOldMachine);
    else
        qunsetenv("NVQB_MACHINE");
}

QString TTestMachine::Path(const QString &relative) const
{
    return FFolder + QLatin1Char('/') + relative;
}

QString TTestMachine::WriteFile(const QString &name, const QByteArray &content) const
{
    const QString path = name.startsWith(QLatin1Char('/')) ? name : Path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(content);
    return path;
}

QByteArray TTestMachine::ReadFile(const QString &name) const
{
    QFile file(name.startsWith(QLatin1Char('/')) ? name : Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TTestMachine::SetString(TRootKey root, const QString &key, const QString &name, const QString &value) const
{
    TRegistry reg(root);
    reg.OpenKey(key, true);
    reg.WriteString(name, value);
}

void TTestMachine::SetDword(TRootKey root, const QString &key, const QString &name, int value) const
{
    TRegistry reg(root);
    reg.OpenKey(key, true);
    reg.WriteInteger(name, value);
}

void TTestMachine::CreateKey(TRootKey root, const QString &key) const
{
    TRegistry reg(root);
    reg.OpenKey(key, true);
}

QString TTestMachine::InstallTool(const QString &path) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(StandInTool(), path)) << path.toStdString();
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

QString TTestMachine::AddIDE(const QString &product, const QString &version, const QString &folder,
                             const QString &program, const QString &edition, const QString &registryPath) const
{
    const QString root = Path(QLatin1String("Program Files/Borland/") + folder);
    const QString app = InstallTool(root + QLatin1String("/Bin/") + program);
    const QString machineKey = QLatin1String("\\SOFTWARE\\Borland\\") + product + QLatin1Char('\\') + version;
    SetString(TRootKey::HKEY_LOCAL_MACHINE, machineKey, QStringLiteral("RootDir"), root + QLatin1Char('/'));
    SetString(TRootKey::HKEY_LOCAL_MACHINE, machineKey, QStringLiteral("App"), app);
    if (!edition.isEmpty())
        SetString(TRootKey::HKEY_LOCAL_MACHINE, machineKey, QStringLiteral("Edition"), edition);
    CreateKey(TRootKey::HKEY_CURRENT_USER, QLatin1String("\\SOFTWARE\\Borland\\")
                                               + (registryPath.isEmpty() ? product : registryPath) + QLatin1Char('\\')
                                               + version);
    return root;
}

} // namespace nvqb::test
