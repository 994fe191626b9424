// The stand-in IDE tools the installer tests put into machine folders: what
// they write, what they log, and how they fail on request.
#include "TestMachine.h"
#include "installer/ChildProcessRunner.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace nvqb;
using nvqb::test::TTestMachine;

namespace {

// Sets an environment variable for the lifetime of the object.
struct TEnvironment {
    QByteArray Name;
    explicit TEnvironment(const char *name, const QString &value) : Name(name) { qputenv(name, value.toUtf8()); }
    ~TEnvironment() { qunsetenv(Name.constData()); }
};

} // namespace

TEST(StandInTool, Dcc32WritesThePackageNamedInTheProjectIntoTheConfiguredFolders)
{
    TTestMachine machine;
    const QString dcc = machine.InstallTool(machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/dcc32.exe")));
    const QString source = machine.Path(QStringLiteral("NQB/Packages/Delphi7"));
    const QString target = machine.Path(QStringLiteral("NQB/Delphi7"));
    QDir().mkpath(target);
    machine.WriteFile(source + QLatin1String("/nvQueryBuilderD7.dpk"), "package nvQueryBuilderD7;\r\nrequires vcl;\r\nend.\r\n");
    machine.WriteFile(source + QLatin1String("/dcc32.cfg"),
                      ("-Q -B -H+ -W+\r\n-LE\"" + target + "\"\r\n-LN\"" + target + "\"\r\n").toUtf8());
    const QString log = machine.Path(QStringLiteral("../tools.log"));
    TEnvironment logging("NVQB_TOOL_LOG", log);

    QStringList lines;
    const QString command = QLatin1Char('"') + dcc + QLatin1String("\" \"nvQueryBuilderD7.dpk\"");
    ASSERT_EQ(RunCompiler(command, source, lines, true, nullptr), 0) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFile::exists(target + QLatin1String("/nvQueryBuilderD7.bpl")));
    EXPECT_TRUE(QFile::exists(target + QLatin1String("/nvQueryBuilderD7.dcp")));
    const QString logged = QString::fromUtf8(machine.ReadFile(log));
    EXPECT_TRUE(logged.contains(QLatin1String("dcc32: read ") + source + QLatin1String("/dcc32.cfg\ndcc32: | -Q -B -H+ -W+\n")));
    EXPECT_TRUE(logged.contains(QLatin1String("dcc32: wrote ") + target + QLatin1String("/nvQueryBuilderD7.bpl\n")));

    // Failing on request, by role or by the path of one copy.
    for (const QString &fail : {QStringLiteral("make;dcc32"), dcc}) {
        TEnvironment failing("NVQB_TOOL_FAIL", fail);
        lines.clear();
        EXPECT_EQ(RunCompiler(command, source, lines, true, nullptr), 1);
        EXPECT_TRUE(lines.contains(QStringLiteral("nvQueryBuilderD7.dpk(1) Fatal: Could not compile package 'nvQueryBuilderD7'")))
            << lines.join(QLatin1Char('\n')).toStdString();
    }
    // An output folder that does not exist fails as the compiler would.
    QDir(target).removeRecursively();
    lines.clear();
    EXPECT_EQ(RunCompiler(command, source, lines, true, nullptr), 1);
    EXPECT_TRUE(lines.last().startsWith(QLatin1String("Fatal: Could not create output file"))) << lines.last().toStdString();
}

TEST(StandInTool, Bpr2MakAndMakeBuildACppPackage)
{
    TTestMachine machine;
    const QString bin = machine.Path(QStringLiteral("Program Files/Borland/CBuilder6/Bin/"));
    machine.InstallTool(bin + QLatin1String("bpr2mak.exe"));
    machine.InstallTool(bin + QLatin1String("make.exe"));
    const QString source = machine.Path(QStringLiteral("NQB/Packages/CBuilder6"));
    QDir().mkpath(machine.Path(QStringLiteral("NQB/CBuilder6/obj")));
    machine.WriteFile(source + QLatin1String("/nvQueryBuilderC6.bpk"),
                      "<?xml version='1.0' encoding='utf-8' ?>\n<PROJECT>\n  <MACROS>\n"
                      "    <PROJECT value=\"../../CBuilder6/nvQueryBuilderC6.bpl\"/>\n"
                      "    <BPIDIR value=\"../../CBuilder6/obj\"/>\n  </MACROS>\n</PROJECT>\n");
    int idle = 0;
    QStringList lines;
    const auto onLine = [&lines](const QString &line) { lines += line; };
    ASSERT_EQ(CaptureExecute(QLatin1Char('"') + bin + QLatin1String("bpr2mak.exe\""),
                             QLatin1String(" \"") + source + QLatin1String("/nvQueryBuilderC6.bpk\""), source, true,
                             [&idle] { ++idle; }, onLine),
              0)
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(machine.ReadFile(source + QLatin1String("/nvQueryBuilderC6.mak")),
              QByteArray("PROJECT = ../../CBuilder6/nvQueryBuilderC6.bpl\nBPIDIR = ../../CBuilder6/obj\n"));
    ASSERT_EQ(CaptureExecute(QLatin1Char('"') + bin + QLatin1String("make.exe\""),
                             QLatin1String("-f\"") + source + QLatin1String("/nvQueryBuilderC6.mak\" "), source, true, nullptr,
                             onLine),
              0)
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFile::exists(machine.Path(QStringLiteral("NQB/CBuilder6/nvQueryBuilderC6.bpl"))));
    EXPECT_TRUE(QFile::exists(machine.Path(QStringLiteral("NQB/CBuilder6/obj/nvQueryBuilderC6.bpi"))));
    EXPECT_TRUE(QFile::exists(machine.Path(QStringLiteral("NQB/CBuilder6/obj/nvQueryBuilderC6.lib"))));

    TEnvironment failing("NVQB_TOOL_FAIL", QStringLiteral("make"));
    lines.clear();
    EXPECT_EQ(CaptureExecute(QLatin1Char('"') + bin + QLatin1String("make.exe\""),
                             QLatin1String("-f\"") + source + QLatin1String("/nvQueryBuilderC6.mak\" "), source, true, nullptr,
                             onLine),
              1);
    EXPECT_EQ(lines.last(), QStringLiteral("** error 1 ** deleting ../../CBuilder6/nvQueryBuilderC6.bpl"));
}
