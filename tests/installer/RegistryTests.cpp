// The machine's registry: the hive files, TRegistry's key and value
// operations, and writes that a crash cannot cut in half.
#include "TestDistribution.h"
#include "TestMachine.h"
#include "common/Eventually.h"
#include "installer/platform/RegistryHive.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
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

// Another program's lines stay its own: a value the installer does not change
// is written back byte for byte, its comments, escapes, line ends and
// byte-order mark included; a backslash that escapes nothing stays in the
// text; what the installer adds ends its lines as the file does.
TEST(RegistryFile, OtherProgramsLinesAreWrittenBackAsTheyWere)
{
    TTestMachine machine;
    const QByteArray other = "\xEF\xBB\xBF; Written by another program\r\n"
                             "\r\n"
                             "[SOFTWARE\\Other]\r\n"
                             "; its own comment\r\n"
                             "\"TempFolder\"=\"C:\\Program Files\\Other\\tmp\"\r\n"
                             "\"Escaped\"=\"a \\\"quoted\\\" \\\\ text\"   \r\n"
                             "\t\"Flag\"=DWORD:1\r\n"
                             "\r\n";
    const QByteArray record = "[SOFTWARE\\Tellwright\\Norvane Query Builder]\r\n"
                              "\"InstallDir\"=\"/old\"\r\n";
    const QString hive = machine.WriteFile(QStringLiteral("registry/HKLM.reg"), other + record + "; the end");

    TRegistry reg(HKLM);
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\Other")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("TempFolder")), QStringLiteral("C:\\Program Files\\Other\\tmp"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Escaped")), QStringLiteral("a \"quoted\" \\ text"));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Flag")), 1);

    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Tellwright\\Norvane Query Builder"), false));
    reg.WriteString(QStringLiteral("InstallDir"), QStringLiteral("/new"));
    reg.WriteString(QStringLiteral("InstalledVersion"), QStringLiteral("1.3.0"));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Tellwright\\Other Product"), true));
    EXPECT_EQ(machine.ReadFile(hive), other
                                          + "[SOFTWARE\\Tellwright\\Norvane Query Builder]\r\n"
                                            "\"InstallDir\"=\"/new\"\r\n"
                                            "\"InstalledVersion\"=\"1.3.0\"\r\n"
                                            "[SOFTWARE\\Tellwright\\Other Product]\r\n"
                                            "\r\n"
                                            "; the end");

    // A value written again as it is changes nothing; a changed one keeps
    // its name as written and reads back as it was written.
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\software\\other"), false));
    const QByteArray before = machine.ReadFile(hive);
    reg.WriteString(QStringLiteral("tempfolder"), reg.ReadString(QStringLiteral("TempFolder")));
    reg.WriteInteger(QStringLiteral("FLAG"), 1);
    EXPECT_EQ(machine.ReadFile(hive), before);
    reg.WriteString(QStringLiteral("tempfolder"), reg.ReadString(QStringLiteral("TempFolder")) + QLatin1String(";/nqb"));
    EXPECT_TRUE(machine.ReadFile(hive).contains("\"TempFolder\"=\"C:\\\\Program Files\\\\Other\\\\tmp;/nqb\"\r\n"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Other"), QStringLiteral("TempFolder")),
              QStringLiteral("C:\\Program Files\\Other\\tmp;/nqb"));

    // A deleted key takes its lines and the blank line after them; the
    // others' stay as they were.
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\SOFTWARE\\Tellwright\\Other Product")));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\SOFTWARE\\Tellwright\\Norvane Query Builder")));
    EXPECT_TRUE(machine.ReadFile(hive).endsWith("\t\"Flag\"=DWORD:1\r\n\r\n[SOFTWARE\\Tellwright]\r\n\r\n; the end"))
        << machine.ReadFile(hive).toStdString();
    TRegistry check(HKLM);
    EXPECT_TRUE(check.KeyExists(QStringLiteral("\\SOFTWARE\\Tellwright")));
}

// An escaped byte is taken out of the text before its bytes are read as
// UTF-8: a name holding a backslash between two bytes and the name of those
// two bytes alone stay two names, written and read again.
TEST(RegistryFile, AnEscapedByteNeverJoinsTheBytesAroundIt)
{
    TTestMachine machine;
    const QString hive = machine.WriteFile(QStringLiteral("registry/HKCU.reg"),
                                           "[Software\\Other]\n"
                                           "\"\xD0\\\xA1\"=\"first\"\n"
                                           "\"\xD0\\\\\xA1\"=\"escaped\"\n"
                                           "\"\xD0\xA1\"=\"second\"\n");
    TRegistry reg(HKCU);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Other"), false));
    QMap<QString, QString> read;
    for (const QString &name : reg.GetValueNames())
        read[name] = reg.ReadString(name);
    reg.WriteString(QStringLiteral("Third"), QStringLiteral("third"));

    // What was read is what is read after the write, and no more.
    TRegistryHive written;
    written.Parse(machine.ReadFile(hive), hive);
    const TRegistryKey *key = written.FindKey(QStringLiteral("Software\\Other"));
    ASSERT_TRUE(key);
    QMap<QString, QString> after;
    for (const TRegistryValue &value : key->Values())
        after[value.Name] = value.Text;
    read[QStringLiteral("Third")] = QStringLiteral("third");
    EXPECT_EQ(after, read) << machine.ReadFile(hive).toStdString();

    // A backslash that escapes nothing and an escaped one are the same text.
    const QStringList names = reg.GetValueNames();
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[1], QString::fromUtf8("\xD0\xA1"));
    EXPECT_EQ(reg.ReadString(names[0]), QStringLiteral("escaped"));
    reg.WriteString(names[0], QStringLiteral("changed"));
    written.Parse(machine.ReadFile(hive), hive);
    ASSERT_EQ(written.FindKey(QStringLiteral("Software\\Other"))->Values().size(), 3u);
    EXPECT_EQ(written.FindKey(QStringLiteral("Software\\Other"))->Values()[0].Text, QStringLiteral("changed"));
    EXPECT_EQ(written.FindKey(QStringLiteral("Software\\Other"))->Values()[1].Text, QStringLiteral("second"));
}

namespace {

// Random hives of the text form, with the escapes, comments, blank lines,
// line ends and bytes (UTF-8 or not) that other programs write.
class THiveGenerator {
public:
    explicit THiveGenerator(quint32 seed) : FRandom(seed) {}

    int Below(int bound) { return int(FRandom.bounded(quint32(bound))); }

    // Bytes of a name or text: every byte but the line end, the quote and
    // the backslash, which come as escapes (or as a backslash that escapes
    // nothing).
    QByteArray Quoted()
    {
        QByteArray text = "\"";
        for (int k = Below(12); k > 0; --k) {
            switch (Below(8)) {
            case 0: text += "\\\\"; break;
            case 1: text += "\\\""; break;
            case 2: text += Below(2) ? "\\r" : "\\n"; break;
            case 3: text += '\\'; text += "PTtx0\xc3\xff "[Below(8)]; break;
            case 4: text += "\xc3\xa9\xf0\x9f\x98\x80"; break;
            default: {
                char c = char(Below(256));
                while (c == '\n' || c == '"' || c == '\\')
                    c = char(Below(256));
                text += c;
            }
            }
        }
        return text + '"';
    }

    QByteArray KeyName()
    {
        QByteArray name;
        for (int k = 1 + Below(6); k > 0; --k) {
            char c = char(Below(256));
            while (c == '\n' || c == '\r' || c == '\\')
                c = char(Below(256));
            name += c;
        }
        return name;
    }

    QByteArray Line(bool &hasKey)
    {
        const QByteArray indent = QByteArray(" \t").left(Below(3));
        switch (Below(hasKey ? 6 : 3)) {
        case 0: return indent;
        case 1: return indent + ';' + KeyName();
        case 2: {
            hasKey = true;
            QByteArray path = Below(4) ? QByteArray() : QByteArray("\\");
            for (int level = 1 + Below(3); level > 0; --level)
                path += (path.isEmpty() || path.endsWith('\\') ? "" : (Below(6) ? "\\" : "\\\\")) + KeyName();
            return indent + '[' + path + ']';
        }
        case 3: {
            const QByteArray dword = QByteArray(Below(2) ? "dword:" : "DWORD:")
                + QByteArray::number(FRandom.generate(), 16).left(1 + Below(8));
            return indent + (Below(4) ? Quoted() : QByteArray("@")) + '=' + dword + indent;
        }
        default: return indent + (Below(4) ? Quoted() : QByteArray("@")) + '=' + Quoted() + indent;
        }
    }

    QByteArray Hive()
    {
        QByteArray hive = Below(4) ? QByteArray() : QByteArray("\xEF\xBB\xBF");
        bool hasKey = false;
        for (int k = Below(40); k > 0; --k)
            hive += Line(hasKey) + (Below(3) ? "\n" : "\r\n");
        if (Below(2))
            hive += Line(hasKey);
        return hive;
    }

    QString Text()
    {
        static const QString pieces[] = {QStringLiteral("a"), QStringLiteral("\\"), QStringLiteral("\""),
                                         QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral(" "),
                                         QStringLiteral("é"), QStringLiteral("\U0001F600"), QStringLiteral("]")};
        QString text;
        for (int k = Below(6); k > 0; --k)
            text += pieces[Below(9)];
        return text;
    }

    // A key name's text: no line breaks.
    QString KeyText()
    {
        QString text = Text();
        text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        return text;
    }

private:
    QRandomGenerator FRandom;
};

void CollectPaths(const TRegistryKey &key, const QString &path, QStringList &paths)
{
    paths += path;
    for (const auto &sub : key.Keys())
        CollectPaths(*sub, path.isEmpty() ? sub->Name() : path + QLatin1Char('\\') + sub->Name(), paths);
}

// The keys and values of a hive, one line each, in their order.
QStringList Content(const TRegistryHive &hive)
{
    QStringList paths;
    CollectPaths(hive.Root(), QString(), paths);
    QStringList lines;
    for (const QString &path : std::as_const(paths)) {
        lines += QLatin1Char('[') + path + QLatin1Char(']');
        for (const TRegistryValue &value : hive.FindKey(path)->Values())
            lines += value.Name + QLatin1Char('=')
                + (value.Type == TRegDataType::rdInteger ? QString::number(value.Number) : QLatin1Char('"') + value.Text);
    }
    return lines;
}

} // namespace

// Seeded: a hive read and written back is the hive that was read, byte for
// byte; changed, written and read again, it is the hive as changed.
TEST(RegistryFile, RandomHivesReadAndWrittenBackAreTheHivesThatWereRead)
{
    for (quint32 seed = 1; seed <= 400; ++seed) {
        THiveGenerator random(seed);
        const QByteArray text = random.Hive();
        TRegistryHive hive;
        try {
            hive.Parse(text, QStringLiteral("random.reg"));
        } catch (const ERegistryException &e) {
            ADD_FAILURE() << "seed " << seed << ": " << e.Message().toStdString();
            continue;
        }
        ASSERT_EQ(hive.Format(QStringLiteral("HKEY_LOCAL_MACHINE")), text) << "seed " << seed;

        for (int change = random.Below(8); change > 0; --change) {
            QStringList paths;
            CollectPaths(hive.Root(), QString(), paths);
            const QString path = paths[random.Below(int(paths.size()))];
            const std::vector<TRegistryValue> &values = hive.FindKey(path)->Values();
            const QString name = !values.empty() && random.Below(2) ? values[random.Below(int(values.size()))].Name
                                                                     : random.Text();
            switch (random.Below(5)) {
            case 0: hive.DeleteValue(path, name); break;
            case 1: hive.CreateKey(path + QLatin1Char('\\') + QLatin1String("New") + random.KeyText()); break;
            case 2: hive.DeleteKey(path); break;
            case 3: {
                TRegistryValue value;
                value.Name = name;
                value.Type = TRegDataType::rdInteger;
                value.Number = quint32(random.Below(1 << 30));
                hive.SetValue(random.Below(4) && !path.isEmpty() ? path : path + QLatin1String("\\Sub"), value);
                break;
            }
            default: {
                TRegistryValue value;
                value.Name = name;
                value.Text = random.Below(2) || values.empty() ? random.Text() : values.front().Text + random.Text();
                hive.SetValue(path.isEmpty() ? QStringLiteral("Top") : path, value);
            }
            }
        }
        const QByteArray written = hive.Format(QStringLiteral("HKEY_LOCAL_MACHINE"));
        TRegistryHive again;
        try {
            again.Parse(written, QStringLiteral("written.reg"));
        } catch (const ERegistryException &e) {
            ADD_FAILURE() << "seed " << seed << ": " << e.Message().toStdString();
            continue;
        }
        EXPECT_EQ(Content(again), Content(hive)) << "seed " << seed << "\n" << written.toStdString();
        EXPECT_EQ(again.Format(QString()), written) << "seed " << seed;
    }
}

// Another program changes the hive after this one read it: this program's
// write goes onto the file as it is now, and takes nothing of the other's.
TEST(Registry, AWriteGoesOntoTheFileAsItIsNow)
{
    TTestMachine machine;
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("Mine"), QStringLiteral("1"));
    TRegistry reg(HKLM);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Tellwright"), false));
    const QString hive = machine.Path(QStringLiteral("registry/HKLM.reg"));
    const QByteArray others = "[SOFTWARE\\Other]\n\"Theirs\"=\"2\"\n\n";
    machine.WriteFile(hive, machine.ReadFile(hive) + others);
    reg.WriteString(QStringLiteral("Mine"), QStringLiteral("changed"));
    reg.WriteString(QStringLiteral("More"), QStringLiteral("3"));
    EXPECT_TRUE(machine.ReadFile(hive).endsWith(others)) << machine.ReadFile(hive).toStdString();
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("Mine")), QStringLiteral("changed"));

    // Another program deletes the key this one has open: the write makes it again.
    machine.WriteFile(hive, others);
    reg.WriteString(QStringLiteral("Mine"), QStringLiteral("again"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Other"), QStringLiteral("Theirs")), QStringLiteral("2"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("Mine")), QStringLiteral("again"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("More")), QString());
}

namespace {

// Holds the lock of a hive file as another program that changes it does.
class THeldHive {
public:
    explicit THeldHive(const QString &fileName)
        : FFileName(fileName), FHandle(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC))
    {
        EXPECT_GE(FHandle, 0);
        EXPECT_EQ(::flock(FHandle, LOCK_EX), 0);
    }
    ~THeldHive() { Release(); }
    // Replaces the file, as an atomic writer does.
    void Replace(const QByteArray &content) const
    {
        QFile file(FFileName + QLatin1String(".Other1"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ASSERT_TRUE(::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(FFileName).constData()) == 0);
    }
    void Release()
    {
        if (FHandle >= 0)
            ::close(FHandle);
        FHandle = -1;
    }

private:
    QString FFileName;
    int FHandle;
};

} // namespace

// Deterministic interleavings with another process: a writer of the hive
// waits while another program holds the hive's lock, and then writes onto
// what that program left; a batch holds the lock from its start to its end.
TEST(Registry, WritersWaitForTheHiveLockAndWriteOntoWhatTheHolderLeft)
{
    TTestMachine machine;
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Other"), QStringLiteral("Theirs"), QStringLiteral("1"));
    const QString hive = machine.Path(QStringLiteral("registry/HKLM.reg"));
    {
        THeldHive held(hive);
        QProcess writer;
        writer.start(test::InstallerPeer(), {QStringLiteral("write-value"), QStringLiteral("HKLM"),
                                             QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("Mine"),
                                             QStringLiteral("2")});
        ASSERT_TRUE(writer.waitForStarted(test::ProcessTimeoutMs));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return test::WaitsForALock(writer.processId()) || writer.state() == QProcess::NotRunning; },
            test::ProcessTimeoutMs));
        ASSERT_NE(writer.state(), QProcess::NotRunning) << "the writer did not wait for the lock";
        held.Replace(machine.ReadFile(hive) + "[SOFTWARE\\Another]\n\"Value\"=\"3\"\n\n");
        held.Release();
        ASSERT_TRUE(writer.waitForFinished(test::ProcessTimeoutMs));
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    }
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("Mine")), QStringLiteral("2"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Another"), QStringLiteral("Value")), QStringLiteral("3"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Other"), QStringLiteral("Theirs")), QStringLiteral("1"));

    // The other way round: this process holds the lock through a batch.
    QProcess writer;
    {
        TRegistryBatch batch(HKLM);
        TRegistry reg(HKLM);
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Tellwright"), false));
        writer.start(test::InstallerPeer(), {QStringLiteral("write-value"), QStringLiteral("HKLM"),
                                             QStringLiteral("\\SOFTWARE\\Other"), QStringLiteral("Theirs"),
                                             QStringLiteral("4")});
        ASSERT_TRUE(writer.waitForStarted(test::ProcessTimeoutMs));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return test::WaitsForALock(writer.processId()) || writer.state() == QProcess::NotRunning; },
            test::ProcessTimeoutMs));
        ASSERT_NE(writer.state(), QProcess::NotRunning) << "the writer did not wait for the batch";
        reg.WriteString(QStringLiteral("Mine"), QStringLiteral("5"));
        reg.WriteString(QStringLiteral("More"), QStringLiteral("6"));
        batch.Commit();
    }
    ASSERT_TRUE(writer.waitForFinished(test::ProcessTimeoutMs));
    EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Other"), QStringLiteral("Theirs")), QStringLiteral("4"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("Mine")), QStringLiteral("5"));
    EXPECT_EQ(test::ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Tellwright"), QStringLiteral("More")), QStringLiteral("6"));
}

// A temporary file whose writer has made it but not locked it yet is no
// leftover: the clean-up (in another process) waits until the writer has
// locked it, then leaves it; what nobody writes any more goes.
TEST(Registry, TheCleanUpNeverTakesATemporaryFileWhoseWriterIsAlive)
{
    TTestMachine machine;
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Keep"), QStringLiteral("Name"), QStringLiteral("old"));
    const QString folder = machine.Path(QStringLiteral("registry"));
    const QString stale = machine.WriteFile(QStringLiteral("registry/HKLM.reg.Dead01"), "[SOFTWARE\\Ke");

    // The writer's steps: the folder's lock shared, the temporary file made...
    const int folderHandle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folderHandle, 0);
    ASSERT_EQ(::flock(folderHandle, LOCK_SH), 0);
    const QString fresh = machine.WriteFile(QStringLiteral("registry/HKLM.reg.Live01"), QByteArray());
    QProcess cleaner;
    cleaner.start(test::InstallerPeer(), {QStringLiteral("clean"), machine.Path(QStringLiteral("registry/HKLM.reg"))});
    ASSERT_TRUE(cleaner.waitForStarted(test::ProcessTimeoutMs));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return test::WaitsForALock(cleaner.processId()) || cleaner.state() == QProcess::NotRunning; },
        test::ProcessTimeoutMs));
    const bool waited = cleaner.state() != QProcess::NotRunning;
    // ... locked, and the folder's lock given back.
    QFile temporary(fresh);
    ASSERT_TRUE(temporary.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(temporary.handle(), LOCK_EX), 0);
    ::close(folderHandle);
    ASSERT_TRUE(cleaner.waitForFinished(test::ProcessTimeoutMs));
    EXPECT_TRUE(waited) << "the clean-up did not wait for the writer";
    EXPECT_EQ(cleaner.readAllStandardOutput().trimmed(), QByteArray("1"));
    EXPECT_TRUE(QFile::exists(fresh));
    EXPECT_FALSE(QFile::exists(stale));
}
