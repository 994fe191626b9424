#include "TestDistribution.h"
#include "TestRarArchive.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/platform/RegistryHive.h"
#include "installer/platform/ShellLink.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <gtest/gtest.h>

namespace nvqb::test {

TScopedEnvironment::TScopedEnvironment(const char *name, const QString &value)
    : FName(name), FOld(qgetenv(name)), FHad(qEnvironmentVariableIsSet(name))
{
    qputenv(name, value.toUtf8());
}

TScopedEnvironment::~TScopedEnvironment()
{
    if (FHad)
        qputenv(FName.constData(), FOld);
    else
        qunsetenv(FName.constData());
}

void WriteArchive(const QString &fileName, const std::vector<TArchiveEntry> &entries, TArchiveFormat format)
{
    if (format == TArchiveFormat::Rar4 || format == TArchiveFormat::Rar5) {
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << fileName.toStdString();
        file.write(RarArchive(entries, format == TArchiveFormat::Rar4 ? TRarVersion::Rar4 : TRarVersion::Rar5));
        return;
    }
    archive *writer = archive_write_new();
    if (format == TArchiveFormat::Zip)
        archive_write_set_format_zip(writer);
    else if (format == TArchiveFormat::SevenZip)
        archive_write_set_format_7zip(writer);
    else
        archive_write_set_format_pax_restricted(writer);
    ASSERT_EQ(archive_write_open_filename(writer, QFile::encodeName(fileName).constData()), ARCHIVE_OK)
        << archive_error_string(writer);
    for (const TArchiveEntry &item : entries) {
        archive_entry *entry = archive_entry_new();
        const QByteArray path = item.Path.toUtf8();
        archive_entry_set_pathname(entry, path.constData());
        archive_entry_set_mtime(entry, 1700000000, 0);
        switch (item.Kind) {
        case TArchiveEntry::File:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, item.Content.size());
            break;
        case TArchiveEntry::Folder:
            archive_entry_set_filetype(entry, AE_IFDIR);
            archive_entry_set_perm(entry, 0755);
            break;
        case TArchiveEntry::Fifo:
            archive_entry_set_filetype(entry, AE_IFIFO);
            archive_entry_set_perm(entry, 0644);
            break;
        case TArchiveEntry::Symlink:
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_perm(entry, 0777);
            archive_entry_set_symlink(entry, item.Content.constData());
            break;
        }
        EXPECT_EQ(archive_write_header(writer, entry), ARCHIVE_OK) << archive_error_string(writer);
        if (item.Kind == TArchiveEntry::File && !item.Content.isEmpty())
            archive_write_data(writer, item.Content.constData(), size_t(item.Content.size()));
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
}

TArchiveEntry PackageProject(const QString &ideFolder, const QString &project)
{
    const QString name = QFileInfo(project).completeBaseName();
    return {QStringLiteral("Packages/%1/%2").arg(ideFolder, project),
            ("package " + name.toUtf8() + ";\r\n\r\nrequires\r\n  vcl;\r\n\r\nend.\r\n")};
}

std::vector<TArchiveEntry> ComponentFiles(const QStringList &ideFolders)
{
    std::vector<TArchiveEntry> entries{
        {QStringLiteral("Demos/DemoApp/NQBDemo.dpr"), "program NQBDemo;\r\n"},
        {QStringLiteral("Demos/Standard/ADO/ADODemo.dpr"), "program ADODemo;\r\n"},
        {QStringLiteral("Help/NvQB.HLP"), "help"},
        {QStringLiteral("Help/UsersGuide.chm"), "guide"},
        {QStringLiteral("NorvaneQueryBuilder.url"), "[InternetShortcut]\r\n"},
        {QStringLiteral("EULA.txt"), "licence"},
        {QStringLiteral("History.txt"), "history"},
        {QStringLiteral("Sources/nvQBBase.pas"), "unit nvQBBase;\r\n"},
        {QStringLiteral("Sources/fLinkProps.dfm"), "object fLinkProps: TfLinkProps\r\nend\r\n"},
    };
    for (const QString &folder : ideFolders) {
        QString suffix = folder;
        suffix.replace(QLatin1String("Delphi2005"), QLatin1String("D9"))
            .replace(QLatin1String("Delphi2006"), QLatin1String("D10"))
            .replace(QLatin1String("Delphi2007"), QLatin1String("D11"))
            .replace(QLatin1String("Delphi"), QLatin1String("D"));
        entries.push_back(PackageProject(folder, QStringLiteral("nvQueryBuilder%1.dpk").arg(suffix)));
        entries.push_back(PackageProject(folder, QStringLiteral("nvQueryBuilderDsgn%1.dpk").arg(suffix)));
    }
    return entries;
}

std::vector<TArchiveEntry> ComponentFilesWithADO(const QString &ideFolder)
{
    std::vector<TArchiveEntry> files = ComponentFiles({ideFolder});
    const QString suffix = QLatin1Char('D') + ideFolder.mid(QStringLiteral("Delphi").size());
    for (const char *base : {"NvQueryBuilderADO", "NvQueryBuilderDsgnADO"})
        files.push_back(PackageProject(ideFolder, QLatin1String(base) + suffix + QLatin1String(".dpk")));
    return files;
}

TTestDistribution::TTestDistribution(const TTestMachine &machine, bool withSources, bool withProviders,
                                     const QByteArray &version)
    : FFolder(QDir::cleanPath(machine.Folder() + QLatin1String("/../distribution")))
{
    QDir().mkpath(FFolder);
    for (const auto &[program, name] : {std::pair{NVQB_SETUP_PROGRAM, "setup"}, std::pair{NVQB_UNRAR_PROGRAM, "unrar"}}) {
        const QString copy = FFolder + QLatin1Char('/') + QLatin1String(name);
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(QString::fromUtf8(program), copy)) << copy.toStdString();
    }
    machine.WriteFile(FFolder + QLatin1String("/version"), version + "\r\n");
    if (withSources)
        machine.WriteFile(FFolder + QLatin1String("/withsrcs"), QByteArray());
    if (withProviders)
        machine.WriteFile(FFolder + QLatin1String("/metapvds"), QByteArray());
}

void TTestDistribution::WriteArchive(const std::vector<TArchiveEntry> &entries, TArchiveFormat format) const
{
    test::WriteArchive(Archive(), entries, format);
}

QString AddDelphi(const TTestMachine &machine, const QString &version, const QString &folder,
                  const QString &packageSuffix)
{
    const QString root = machine.AddIDE(QStringLiteral("Delphi"), version, folder, QStringLiteral("delphi32.exe"),
                                        QStringLiteral("Enterprise"));
    machine.InstallTool(root + QLatin1String("/Bin/dcc32.exe"));
    const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;
    const QString user = QLatin1String("\\SOFTWARE\\Borland\\Delphi\\") + version;
    machine.SetString(HKCU, user + QLatin1String("\\Library"), QStringLiteral("Search Path"),
                      QStringLiteral("$(DELPHI)/Lib;$(DELPHI)/Bin;$(DELPHI)/Imports"));
    machine.SetString(HKCU, user + QLatin1String("\\Library"), QStringLiteral("Browsing Path"),
                      QStringLiteral("$(DELPHI)/Source/Vcl;$(DELPHI)/Source/Rtl/Common"));
    for (const char *name : {"Package Search Path", "Package DPL Output", "Package DCP Output"})
        machine.SetString(HKCU, user + QLatin1String("\\Library"), QLatin1String(name),
                          QStringLiteral("$(DELPHI)/Projects/Bpl"));
    machine.SetString(HKCU, user + QLatin1String("\\Known Packages"),
                      QStringLiteral("$(DELPHI)/Bin/dcldb%1.bpl").arg(packageSuffix),
                      QStringLiteral("Borland Database Components"));
    machine.SetString(HKCU, user + QLatin1String("\\Known Packages"),
                      QStringLiteral("$(DELPHI)/Bin/dclado%1.bpl").arg(packageSuffix),
                      QStringLiteral("Borland ADO DB Components"));
    return root;
}

QString AddBDS2007(const TTestMachine &machine)
{
    const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;
    const QString root = machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("5.0"), QStringLiteral("BDS5"),
                                        QStringLiteral("bds.exe"), QString());
    machine.InstallTool(root + QLatin1String("/Bin/dcc32.exe"));
    const QString user = QStringLiteral("\\SOFTWARE\\Borland\\BDS\\5.0");
    machine.SetString(HKCU, user + QLatin1String("\\Personalities"), QStringLiteral("Delphi.Win32"), QString());
    machine.SetString(HKCU, user + QLatin1String("\\Known Packages"), QStringLiteral("$(BDS)/Bin/dcldb100.bpl"),
                      QStringLiteral("Borland Database Components"));
    return machine.WriteFile(QStringLiteral("Application Data/Borland/BDS/5.0/EnvOptions.proj"),
                             "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                             "<Project>\n"
                             "  <PropertyGroup>\n"
                             "    <Win32DCPOutput>$(BDSCOMMONDIR)/Dcp</Win32DCPOutput>\n"
                             "    <Win32DLLOutputPath>$(BDSCOMMONDIR)/Bpl</Win32DLLOutputPath>\n"
                             "    <Win32BrowsingPath>$(BDS)/source/Win32/vcl</Win32BrowsingPath>\n"
                             "    <Win32LibraryPath>$(BDS)/lib</Win32LibraryPath>\n"
                             "  </PropertyGroup>\n"
                             "</Project>\n");
}

void AddWindows(const TTestMachine &machine)
{
    QDir().mkpath(machine.Path(QStringLiteral("Windows/System32")));
    QDir().mkpath(machine.Path(QStringLiteral("Start Menu/Programs/Accessories")));
    machine.CreateKey(TRootKey::HKEY_LOCAL_MACHINE,
                      QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
}

namespace {

void AddKeys(QMap<QString, QByteArray> &snapshot, const QString &path, const TRegistryKey &key)
{
    snapshot.insert(path, QByteArray("<key>"));
    for (const TRegistryValue &value : key.Values())
        snapshot.insert(path + QLatin1Char('|') + value.Name,
                        value.Type == TRegDataType::rdString ? "s:" + value.Text.toUtf8()
                                                             : "d:" + QByteArray::number(value.Number));
    for (const auto &sub : key.Keys())
        AddKeys(snapshot, path + QLatin1Char('\\') + sub->Name(), *sub);
}

} // namespace

QMap<QString, QByteArray> MachineSnapshot(const TTestMachine &machine)
{
    QMap<QString, QByteArray> snapshot;
    QDirIterator it(machine.Folder(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir root(machine.Folder());
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = root.relativeFilePath(path);
        if (relative.startsWith(QLatin1String("registry/")))
            continue;
        const QFileInfo info(path);
        snapshot.insert(relative, info.isDir() ? QByteArray("<folder>") : machine.ReadFile(path));
    }
    for (const char *hive : {"HKLM", "HKCU"}) {
        TRegistryHive registry;
        registry.Parse(machine.ReadFile(QStringLiteral("registry/%1.reg").arg(QLatin1String(hive))), QString());
        AddKeys(snapshot, QLatin1String(hive), registry.Root());
    }
    return snapshot;
}

QStringList SnapshotDifferences(const QMap<QString, QByteArray> &before, const QMap<QString, QByteArray> &after)
{
    QStringList differences;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            differences += QLatin1String("- ") + it.key();
        else if (after.value(it.key()) != it.value())
            differences += QLatin1String("~ ") + it.key();
    }
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()))
            differences += QLatin1String("+ ") + it.key();
    return differences;
}

void InstallIntoEveryIDE(TInstallData &data)
{
    for (const auto &options : data.TargetOptions())
        options->Action = taInstall;
}

TRun RunSetup(TInstallData &data)
{
    TCompiler compiler(data);
    TRun run;
    run.Result = data.Mode == imUninstall ? compiler.Uninstall() : compiler.Install();
    run.Log = compiler.LogLines();
    return run;
}

void InstallEverywhere(const TTestDistribution &distribution)
{
    TInstallData data(distribution.Folder());
    InstallIntoEveryIDE(data);
    const TRun run = RunSetup(data);
    ASSERT_TRUE(run.Result) << Text(run.Log);
}

QString ReadValue(TRootKey root, const QString &key, const QString &name)
{
    TRegistry reg(root);
    return reg.OpenKeyReadOnly(key) ? reg.ReadString(name) : QStringLiteral("<no key>");
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

void ExpectNewDelphi7Installation(const TTestMachine &machine, const QString &dir, const QString &toolLog)
{
    const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
    const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;
    const QString startMenu = machine.Path(QStringLiteral("Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition"));
    const auto Text = [](const QStringList &lines) { return lines.join(QLatin1Char('\n')).toStdString(); };

    // Files: the packages, the run-time one in System32, the uninstaller.
    EXPECT_TRUE(QFileInfo(machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD7.bpl"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderDsgnD7.bpl"))));
    EXPECT_TRUE(QFileInfo(dir + QLatin1String("/Delphi7/nvQueryBuilderDsgnD7.bpl")).isFile());
    EXPECT_TRUE(QFileInfo(dir + QLatin1String("/Delphi7/fLinkProps.dfm")).isFile());
    EXPECT_EQ(Entries(dir + QLatin1String("/Uninstall")),
              (QStringList{QStringLiteral("setup.exe"), QStringLiteral("unrar.exe"), QStringLiteral("version"),
                           QStringLiteral("withsrcs")}));
    EXPECT_TRUE(QFileInfo(dir + QLatin1String("/Uninstall/setup.exe")).isExecutable());

    // dcc32.cfg was there for the compiler and is gone.
    const QString tools = QString::fromUtf8(machine.ReadFile(toolLog));
    EXPECT_TRUE(tools.contains(QStringLiteral("dcc32: read %1/Packages/Delphi7/dcc32.cfg\ndcc32: | -Q -B -H+ -W+\n").arg(dir)))
        << tools.toStdString();
    EXPECT_TRUE(tools.contains(QStringLiteral("dcc32: | -LE\"%1/Delphi7\"\n").arg(dir)));
    EXPECT_FALSE(QFileInfo::exists(dir + QLatin1String("/Packages/Delphi7/dcc32.cfg")));

    // The IDE: the design package registered, the folders in its paths.
    const QString user = QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0");
    EXPECT_EQ(ReadValue(HKCU, user + QLatin1String("\\Known Packages"), dir + QLatin1String("/Delphi7/nvQueryBuilderDsgnD7.bpl")),
              QStringLiteral("Norvane Query Builder Component"));
    EXPECT_EQ(ReadValue(HKCU, user + QLatin1String("\\Library"), QStringLiteral("Search Path")),
              QStringLiteral("$(DELPHI)/Lib;$(DELPHI)/Bin;$(DELPHI)/Imports;%1/Delphi7").arg(dir));
    EXPECT_EQ(ReadValue(HKCU, user + QLatin1String("\\Library"), QStringLiteral("Browsing Path")),
              QStringLiteral("$(DELPHI)/Source/Vcl;$(DELPHI)/Source/Rtl/Common;%1/Sources").arg(dir));

    // The uninstall entry and the install record.
    const QString entry = QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NvQueryBuilderVCL");
    EXPECT_EQ(ReadValue(HKLM, entry, QStringLiteral("DisplayName")), QStringLiteral("Norvane Query Builder VCL Component 1.3.0"));
    EXPECT_EQ(ReadValue(HKLM, entry, QStringLiteral("UninstallString")), dir + QLatin1String("/Uninstall/setup.exe"));
    EXPECT_EQ(ReadValue(HKLM, entry, QStringLiteral("DisplayIcon")), dir + QLatin1String("/Uninstall/setup.exe,0"));
    const QString record = QStringLiteral("\\Software\\Tellwright\\Norvane Query Builder");
    EXPECT_EQ(ReadValue(HKLM, record, QStringLiteral("InstallDir")), dir);
    EXPECT_EQ(ReadValue(HKLM, record, QStringLiteral("InstalledVersion")), QStringLiteral("1.3.0"));
    EXPECT_EQ(ReadValue(HKLM, record + QLatin1String("\\Delphi 7.0 (Enterprise)"), QStringLiteral("BPLDir")),
              dir + QLatin1String("/Delphi7"));

    // Seven shortcuts beside the other program's one.
    QStringList links = Entries(startMenu);
    EXPECT_EQ(links.size(), 8) << Text(links);
    EXPECT_TRUE(links.contains(QStringLiteral("Other Program.lnk")));
    const auto uninstall = ReadShellLink(startMenu + QLatin1String("/Uninstall Norvane Query Builder.lnk"));
    ASSERT_TRUE(uninstall.has_value());
    EXPECT_EQ(uninstall->Target, dir + QLatin1String("/Uninstall/setup.exe"));
    EXPECT_EQ(uninstall->WorkingDirectory, dir + QLatin1String("/Uninstall"));
    EXPECT_FALSE(links.contains(QStringLiteral("Simple Demo Projects for Third-party Connection Libraries.lnk")));
}

namespace {

QByteArray FileSum(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

void TSentinels::Add(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(content);
    const QDateTime past(QDate(2020, 1, 2), QTime(3, 4, 5));
    ASSERT_TRUE(file.setFileTime(past, QFileDevice::FileModificationTime));
    file.close();
    FFiles.push_back({path, FileSum(path), QFileInfo(path).lastModified().toMSecsSinceEpoch()});
}

QStringList TSentinels::Touched() const
{
    QStringList touched;
    for (const TSentinel &sentinel : FFiles) {
        const QFileInfo info(sentinel.Path);
        if (info.isSymLink() || !info.isFile() || FileSum(sentinel.Path) != sentinel.Sum
            || info.lastModified().toMSecsSinceEpoch() != sentinel.Modified)
            touched += sentinel.Path;
    }
    return touched;
}

std::string Text(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n')).toStdString();
}

bool ContainsInOrder(const QStringList &lines, const QStringList &expected, QString *missing)
{
    qsizetype from = 0;
    for (const QString &line : expected) {
        const qsizetype at = lines.indexOf(line, from);
        if (at < 0) {
            if (missing)
                *missing = line;
            return false;
        }
        from = at + 1;
    }
    return true;
}

} // namespace nvqb::test
