// The machine's registry: the hive files, TRegistry's key and value
// operations, and writes that a crash cannot cut in half.
#include "TestMachine.h"
#include "installer/platform/RegistryHive.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nvqb;
using nvqb::test::TTestMachine;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;

} // namespace

TEST(RegistryFile, WritesKeysAndValuesInOrderWithQuotedTexts)
{
    TTestMachine machine;
    TRegistry reg(HKLM);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0"), true));
    reg.WriteString(QStringLiteral("RootDir"), QStringLiteral("/m/Program Files/Borland/Delphi7"));
    reg.WriteString(QStringLiteral("Quoted"), QStringLiteral("a \"b\" c\\d\r\ne é"));
    reg.WriteInteger(QStringLiteral("Count"), 10);
    reg.WriteString(QString(), QStringLiteral("unnamed"));
    reg.WriteString(QStringLiteral("rootdir"), QStringLiteral("/other")); // same value, first spelling kept
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Empty"), true));

    EXPECT_EQ(QString::fromUtf8(machine.ReadFile(QStringLiteral("registry/HKLM.reg"))),
              QStringLiteral("; HKEY_LOCAL_MACHINE\n\n"
                             "[SOFTWARE]\n\n"
                             "[SOFTWARE\\Borland]\n\n"
                             "[SOFTWARE\\Borland\\Delphi]\n\n"
                             "[SOFTWARE\\Borland\\Delphi\\7.0]\n"
                             "\"RootDir\"=\"/other\"\n"
                             "\"Quoted\"=\"a \\\"b\\\" c\\\\d\\r\\ne é\"\n"
                             "\"Count\"=dword:0000000a\n"
                             "@=\"unnamed\"\n\n"
                             "[SOFTWARE\\Empty]\n\n"));
    EXPECT_FALSE(QFile::exists(machine.Path(QStringLiteral("registry/HKCU.reg"))));

    // Read back through a hive parsed from the file alone.
    TRegistryHive hive;
    hive.Parse(machine.ReadFile(QStringLiteral("registry/HKLM.reg")), QStringLiteral("HKLM.reg"));
    const TRegistryKey *key = hive.FindKey(QStringLiteral("software\\BORLAND\\delphi\\7.0"));
    ASSERT_TRUE(key);
    ASSERT_EQ(key->Values().size(), 4u);
    EXPECT_EQ(key->FindValue(QStringLiteral("QUOTED"))->Text, QStringLiteral("a \"b\" c\\d\r\ne é"));
    EXPECT_EQ(key->FindValue(QStringLiteral("count"))->Number, 10u);
    EXPECT_EQ(key->FindValue(QString())->Text, QStringLiteral("unnamed"));
    EXPECT_TRUE(hive.FindKey(QStringLiteral("SOFTWARE\\Empty")));
}

TEST(RegistryFile, ReadsHandWrittenFilesAndNamesBadLines)
{
    TTestMachine machine;
    machine.WriteFile(QStringLiteral("registry/HKCU.reg"),
                      "; written by hand\r\n"
                      "[Software\\Test]\r\n"
                      "  \"Name\"=\"Value\"   \r\n"
                      "\"Flag\"=DWORD:1\r\n");
    TRegistry reg(HKCU);
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\TEST")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("name")), QStringLiteral("Value"));
    EXPECT_TRUE(reg.ReadBool(QStringLiteral("Flag")));
    EXPECT_EQ(reg.GetKeyNames(), QStringList());

    // A change of the file by someone else is seen at the next open.
    machine.WriteFile(QStringLiteral("registry/HKCU.reg"), "[Software\\Test]\n\"Name\"=\"Changed\"\n");
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\Software\\Test")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Name")), QStringLiteral("Changed"));

    const struct {
        const char *Text;
        const char *Says;
    } bad[] = {
        {"\"Name\"=\"x\"\n", "line 1: a value before the first key"},
        {"[A]\n\n\"Name\"=dword:xyz\n", "line 3: bad dword value"},
        {"[A]\nName=1\n", "line 2: neither a key nor a value"},
    };
    for (const auto &file : bad) {
        machine.WriteFile(QStringLiteral("registry/HKCU.reg"), file.Text);
        try {
            reg.KeyExists(QStringLiteral("\\A"));
            ADD_FAILURE() << file.Text;
        } catch (const ERegistryException &e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(file.Says))) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(machine.Path(QStringLiteral("registry/HKCU.reg"))));
        }
    }
}

TEST(Registry, OpensKeysAbsoluteOrBelowTheOpenKeyWithoutRegardToCase)
{
    TTestMachine machine;
    TRegistry reg(HKCU);
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\A"), false));
    EXPECT_FALSE(reg.OpenKeyReadOnly(QStringLiteral("\\Software\\A")));
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\"), true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\A"), true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("B\\C"), true)); // below the open key
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\A\\B\\C"));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\a"), false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList{QStringLiteral("B")});
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Z"), true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\A"), false));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{QStringLiteral("B"), QStringLiteral("Z")}));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("b\\c")));

    reg.WriteString(QStringLiteral("Text"), QStringLiteral("t"));
    reg.WriteInteger(QStringLiteral("Number"), -5);
    reg.WriteBool(QStringLiteral("Bool"), true);
    EXPECT_EQ(reg.GetValueNames(), (QStringList{QStringLiteral("Text"), QStringLiteral("Number"), QStringLiteral("Bool")}));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("NUMBER")), -5);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Missing")), QString());
    EXPECT_THROW(reg.ReadString(QStringLiteral("Number")), ERegistryException);
    try {
        reg.ReadInteger(QStringLiteral("Missing"));
        ADD_FAILURE();
    } catch (const ERegistryException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Failed to get data for 'Missing'"));
    }
    try {
        reg.ReadInteger(QStringLiteral("Text"));
        ADD_FAILURE();
    } catch (const ERegistryException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid data type for 'Text'"));
    }
    EXPECT_TRUE(reg.DeleteValue(QStringLiteral("TEXT")));
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("Text")));

    // A second registry object sees the writes at once.
    TRegistry other(HKCU);
    ASSERT_TRUE(other.OpenKeyReadOnly(QStringLiteral("\\Software\\A")));
    EXPECT_TRUE(other.ReadBool(QStringLiteral("Bool")));
    EXPECT_THROW(other.WriteString(QStringLiteral("X"), QStringLiteral("y")), ERegistryException);

    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\Software\\A")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\Software\\A\\B\\C")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\Software\\A")));
    EXPECT_EQ(other.GetValueNames(), QStringList()); // its key is gone
    EXPECT_THROW(other.ReadInteger(QStringLiteral("Bool")), ERegistryException);

    // The two roots are separate hives.
    EXPECT_FALSE(TRegistry(HKLM).KeyExists(QStringLiteral("\\Software")));
}

TEST(Registry, WithoutAMachineReadsNothingAndRefusesWrites)
{
    const QByteArray old = qgetenv("NVQB_MACHINE");
    qunsetenv("NVQB_MACHINE");
    TRegistry reg(HKLM);
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\SOFTWARE")));
    EXPECT_FALSE(reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE")));
    try {
        reg.OpenKey(QStringLiteral("\\SOFTWARE"), true);
        ADD_FAILURE();
    } catch (const ESetupError &e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("NVQB_MACHINE")));
    }
    if (!old.isEmpty())
        qputenv("NVQB_MACHINE", old);
}

TEST(Registry, AWriteThatFailsLeavesFileAndMemoryAsTheyWere)
{
    TTestMachine machine;
    machine.SetString(HKCU, QStringLiteral("\\Software\\A"), QStringLiteral("Name"), QStringLiteral("old"));
    const QString folder = machine.Path(QStringLiteral("registry"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    TRegistry reg(HKCU);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\A"), false));
    if (::geteuid() != 0) {
        try {
            reg.WriteString(QStringLiteral("Name"), QStringLiteral("new"));
            ADD_FAILURE();
        } catch (const ERegistryException &e) {
            EXPECT_TRUE(e.Message().startsWith(QLatin1String("Failed to set data for 'Name': "))) << e.Message().toStdString();
        }
        EXPECT_EQ(reg.ReadString(QStringLiteral("Name")), QStringLiteral("old"));
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    reg.WriteString(QStringLiteral("Name"), QStringLiteral("new"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Name")), QStringLiteral("new"));
}

// A writer killed in the middle of writing the hive (the file size limit stops
// it after a few kilobytes of a much larger registry) leaves the old registry
// whole: readers never see half a file.
TEST(Registry, AWriterKilledInTheMiddleOfAWriteLeavesTheOldRegistry)
{
    TTestMachine machine;
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Keep"), QStringLiteral("Name"), QStringLiteral("old"));
    const QString hiveFile = machine.Path(QStringLiteral("registry/HKLM.reg"));
    const QByteArray before = machine.ReadFile(hiveFile);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::signal(SIGXFSZ, SIG_DFL);
        TRegistry reg(HKLM);
        reg.OpenKey(QStringLiteral("\\SOFTWARE\\Keep"), false);
        reg.WriteString(QStringLiteral("Name"), QStringLiteral("new"));
        reg.WriteString(QStringLiteral("Big"), QString(100000, QLatin1Char('x')));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer was not stopped";
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);

    // The writer's first change (small) went through whole; the big one never replaced the file.
    const QByteArray after = machine.ReadFile(hiveFile);
    EXPECT_LT(after.size(), 4096);
    EXPECT_TRUE(after.contains("\"Name\"=\"new\"")) << after.toStdString();
    EXPECT_FALSE(after.contains("Big"));
    TRegistry reg(HKLM);
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\Keep")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Name")), QStringLiteral("new"));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Big")));
    EXPECT_NE(before, after);

    // The cut-off temporary file is left beside the hive and never read; the
    // next write replaces the hive as usual.
    const QStringList leftovers = QDir(machine.Path(QStringLiteral("registry")))
                                      .entryList(QStringList{QStringLiteral("HKLM.reg.*")}, QDir::Files);
    EXPECT_EQ(leftovers.size(), 1);
    TRegistry writer(HKLM);
    ASSERT_TRUE(writer.OpenKey(QStringLiteral("\\SOFTWARE\\Keep"), false));
    writer.WriteString(QStringLiteral("Big"), QString(100000, QLatin1Char('y')));
    EXPECT_GT(machine.ReadFile(hiveFile).size(), 100000);
}
