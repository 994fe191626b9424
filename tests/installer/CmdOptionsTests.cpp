// The installer's command line: options with their aliases, case and "-"
// rules, the help text and the program's answer to "--help".
#include "common/Eventually.h"
#include "installer/CmdOptions.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace nvqb;

namespace {

const char *const PartHelp =
    "\n"
    "--ignore-ide          Start installer even if Delphi/BCB is running.\n"
    "--ignore-bcb          Do not display and compile BCB versions.\n"
    "--ignore-delphi       Do not display and compile Delphi versions.\n"
    "\n"
    "--jcl-path=X          Set the JCL root directory to X.\n"
    "--keep-files          Do not call \"clean\".\n"
    "--autoupdate          Updates all IDEs where JVCL 3 is installed.\n"
    "\n"
    "-rDelphi=X            Sets the Registry path for the Delphi IDEs.\n"
    "-rBCB=X               Sets the Registry path for the BCB IDEs.\n"
    "-rBDS=X               Sets the Registry path for the BDS IDEs. (-rBDS=Win32Only)\n"
    "--lang=X              Sets the Installer's language to X.\n"
    "--help                Show this screen.\n"
    "\n";

QStringList Args(std::initializer_list<const char *> args)
{
    QStringList list;
    for (const char *arg : args)
        list += QString::fromUtf8(arg);
    return list;
}

} // namespace

TEST(CmdOptions, FlagsIgnoreCaseAndADashClearsThem)
{
    TCmdOptions options(Args({"--IGNORE-BCB", "-rbds=Win32Only", "--ignore-bcb-"}));
    EXPECT_FALSE(options.IgnoreBCB);
    EXPECT_EQ(options.BDSRegistryPath, QStringLiteral("Win32Only"));

    TCmdOptions set(Args({"--Ignore-Delphi", "--ignore-ide", "--KEEP-FILES", "--autoupdate", "-RDELPHI=D7", "-rBCB=", "--lang=de"}));
    EXPECT_TRUE(set.IgnoreDelphi);
    EXPECT_TRUE(set.IgnoreIDE);
    EXPECT_TRUE(set.KeepFiles);
    EXPECT_TRUE(set.AutoUpdate);
    EXPECT_FALSE(set.IgnoreBCB);
    EXPECT_FALSE(set.Help);
    EXPECT_EQ(set.DelphiRegistryPath, QStringLiteral("D7"));
    EXPECT_EQ(set.BCBRegistryPath, QString()); // taken, with an empty rest
    EXPECT_EQ(set.BDSRegistryPath, QString());
    EXPECT_EQ(set.Language, QStringLiteral("de"));

    // Unknown parameters and near misses are ignored; the last word wins.
    TCmdOptions other(Args({"--ignore-bcbx", "ignore-bcb", "--unknown", "-rBDS=a", "-rBDS=b", "--ignore-ide", "--IGNORE-IDE-"}));
    EXPECT_FALSE(other.IgnoreBCB);
    EXPECT_FALSE(other.IgnoreIDE);
    EXPECT_EQ(other.BDSRegistryPath, QStringLiteral("b"));
}

TEST(CmdOptions, JclPathMustNameAnExistingFolder)
{
    QTemporaryDir folder;
    EXPECT_EQ(TCmdOptions(Args({"--jcl-path=/does/not/exist"})).JclPath, QString());
    const QStringList kept{QStringLiteral("--jcl-path=") + folder.path(), QStringLiteral("--JCL-PATH=/does/not/exist"),
                           QStringLiteral("--jcl-path=")};
    EXPECT_EQ(TCmdOptions(kept).JclPath, folder.path());
}

TEST(CmdOptions, HelpHasThreeSpellings)
{
    EXPECT_TRUE(TCmdOptions(Args({"--help"})).Help);
    EXPECT_TRUE(TCmdOptions(Args({"/?"})).Help);
    EXPECT_TRUE(TCmdOptions(Args({"-H"})).Help);
    EXPECT_FALSE(TCmdOptions(Args({"-h", "--help-"})).Help);
    EXPECT_FALSE(TCmdOptions(QStringList()).Help);

    const TCmdOptions options{QStringList()};
    const QString help = options.HelpText();
    EXPECT_TRUE(help.startsWith(QLatin1String(PartHelp))) << help.toStdString();
    EXPECT_TRUE(help.mid(int(strlen(PartHelp))).contains(QLatin1String("NVQB_MACHINE")));
    EXPECT_EQ(options.Items().size(), 15u); // 13 options and 2 separators
}

TEST(SetupProgram, HelpPrintsTheOptionsWaitsForEnterAndEndsWithCodeOne)
{
    for (const char *spelling : {"--help", "/?"}) {
        QProcess setup;
        setup.start(QStringLiteral(NVQB_SETUP_PROGRAM), QStringList{QString::fromUtf8(spelling)});
        ASSERT_TRUE(setup.waitForStarted(test::ProcessTimeoutMs));
        // It waits for the Enter key before it ends.
        EXPECT_FALSE(setup.waitForFinished(300));
        setup.write("\n");
        ASSERT_TRUE(setup.waitForFinished(test::ProcessTimeoutMs));
        EXPECT_EQ(setup.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(setup.exitCode(), 1);
        const QString out = QString::fromUtf8(setup.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(QLatin1String(PartHelp))) << out.toStdString();
        EXPECT_TRUE(out.contains(QLatin1String("--ignore-ide          Start installer even if Delphi/BCB is running.\n")));
        EXPECT_TRUE(out.contains(QLatin1String("NVQB_MACHINE")));
    }
}
