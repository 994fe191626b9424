// The machine's registry: the hive files, TRegistry's key and value
// operations, and writes that a crash cannot cut in half.
#include "TestMachine.h"
#include "installer/platform/RegistryHive.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/file.h>
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

    // A bad line of megabytes is quoted by its start, for a message box.
    machine.WriteFile(QStringLiteral("registry/HKCU.reg"), "[A]\n\"Name\"=\"" + QByteArray(2 << 20, 'x') + "\n");
    try {
        reg.KeyExists(QStringLiteral("\\A"));
        ADD_FAILURE();
    } catch (const ERegistryException &e) {
        EXPECT_LT(e.Message().size(), 400) << e.Message().left(1000).toStdString();
        EXPECT_TRUE(e.Message().contains(QLatin1String("line 2: the value text is not closed: \"Name\"=\"xxx")))
            << e.Message().left(1000).toStdString();
        EXPECT_TRUE(e.Message().contains(machine.Path(QStringLiteral("registry/HKCU.reg"))));
    }
}

// Other programs' values are the registry's too: what the installer does not
// change reaches the file again as it was, whatever its bytes.
TEST(RegistryFile, BytesThatAreNoUTF8AreKeptAsTheyWere)
{
    TTestMachine machine;
    const QByteArray other = "[SOFTWARE\\Other\\Jos\xe9]\n"
                             "\"Owner\"=\"Jos\xe9 M\xfcller\"\n"
                             "\"Na\xefve\"=\"caf\xe9\"\n"
                             // Cut, overlong, a surrogate, beyond U+10FFFF, a lone continuation byte.
                             "\"Broken\"=\"\xc3( \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \x80\"\n"
                             "\"Fine\"=\"\xc3\xa9 \xf0\x9f\x98\x80\"\n\n";
    const QString hive = machine.WriteFile(QStringLiteral("registry/HKLM.reg"), "; HKEY_LOCAL_MACHINE\n\n" + other);
    machine.SetString(HKLM, QStringLiteral("\\Software\\Tellwright"), QStringLiteral("Name"), QStringLiteral("é"));
    EXPECT_TRUE(machine.ReadFile(hive).contains(other)) << machine.ReadFile(hive).toStdString();

    // A text read and written back with more on it keeps its bytes, as an
    // IDE's path list does when the installer adds a folder to it.
    TRegistry reg(HKLM);
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\Other")));
    const QStringList names = reg.GetKeyNames();
    ASSERT_EQ(names.size(), 1);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Other\\") + names[0], false));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Fine")), QStringLiteral("é \U0001F600"));
    EXPECT_EQ(reg.GetValueNames().size(), 4);
    reg.WriteString(QStringLiteral("Owner"), reg.ReadString(QStringLiteral("Owner")) + QLatin1String(";/nqb"));
    const QByteArray after = machine.ReadFile(hive);
    EXPECT_TRUE(after.contains("[SOFTWARE\\Other\\Jos\xe9]\n\"Owner\"=\"Jos\xe9 M\xfcller;/nqb\"\n\"Na\xefve\"=\"caf\xe9\"\n"))
        << after.toStdString();
    EXPECT_TRUE(after.contains("\"Name\"=\"\xc3\xa9\"\n"));
}

// The keys above a header's last name get no header line of their own when
// written back: a key thousands of levels deep keeps the file its size. A
// file with a header for every key keeps them all.
TEST(RegistryFile, AKeyThousandsOfLevelsDeepKeepsTheFileItsSize)
{
    TTestMachine machine;
    QByteArray path = "a";
    for (int level = 1; level < 2000; ++level)
        path += "\\a";
    const QByteArray earlier = "; HKEY_LOCAL_MACHINE\n\n[SOFTWARE]\n\n[SOFTWARE\\Borland]\n\n"
                               "[SOFTWARE\\Borland\\Delphi]\n\n[SOFTWARE\\Borland\\Delphi\\7.0]\n\"App\"=\"/d7\"\n\n";
    const QByteArray deep = "[" + path + "]\n\"Value\"=\"deep\"\n\n";
    const QString hive = machine.WriteFile(QStringLiteral("registry/HKLM.reg"), earlier + deep);
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("Name"), QStringLiteral("x"));
    const QByteArray after = machine.ReadFile(hive);
    EXPECT_EQ(after, earlier + "[SOFTWARE\\Tellwright]\n\"Name\"=\"x\"\n\n" + deep);
    TRegistry reg(HKLM);
    ASSERT_TRUE(reg.OpenKeyReadOnly(QString::fromLatin1(path)));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Value")), QStringLiteral("deep"));

    // Deeper still (a line of 400 KB): read and freed without recursion.
    QByteArray deeper = "[a";
    for (int level = 1; level < 200000; ++level)
        deeper += "\\a";
    auto parsed = std::make_unique<TRegistryHive>();
    parsed->Parse(deeper + "]\n", QStringLiteral("deep.reg"));
    EXPECT_TRUE(parsed->FindKey(QString::fromLatin1(deeper.mid(1))));
    parsed.reset();
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
    // next write replaces the hive as usual and removes it. A temporary file
    // that a living writer holds locked stays.
    const QDir registry(machine.Path(QStringLiteral("registry")));
    const QStringList leftovers = registry.entryList(QStringList{QStringLiteral("HKLM.reg.*")}, QDir::Files);
    EXPECT_EQ(leftovers.size(), 1);
    QFile living(registry.filePath(QStringLiteral("HKLM.reg.Live01")));
    ASSERT_TRUE(living.open(QIODevice::WriteOnly));
    ASSERT_EQ(::flock(living.handle(), LOCK_EX), 0);
    TRegistry writer(HKLM);
    ASSERT_TRUE(writer.OpenKey(QStringLiteral("\\SOFTWARE\\Keep"), false));
    writer.WriteString(QStringLiteral("Big"), QString(100000, QLatin1Char('y')));
    EXPECT_GT(machine.ReadFile(hiveFile).size(), 100000);
    EXPECT_EQ(registry.entryList(QStringList{QStringLiteral("HKLM.reg.*")}, QDir::Files),
              QStringList{QStringLiteral("HKLM.reg.Live01")});
}
