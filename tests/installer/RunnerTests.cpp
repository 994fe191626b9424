// Running console programs: the runners' results, line splitting across
// reads, the OEM code page, the command-line rules and program look-up.
#include "TestMachine.h"
#include "common/Eventually.h"
#include "installer/ChildProcessRunner.h"
#include "installer/OutputLineSplitter.h"
#include "installer/platform/CommandLine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace nvqb;
using nvqb::test::TTestMachine;

namespace {

// Runs a shell command line through CaptureExecute and records the lines.
struct TCapture {
    QStringList Lines;
    QStringList Events; // lines and idle calls, in order
    int Result = 0;

    // onLine, when given, hears each line as it comes.
    explicit TCapture(const QString &script, const QString &folder = QString(), bool inputPipe = false,
                      const std::function<void(const QString &)> &onLine = {})
    {
        QString quoted = script;
        quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
        Result = CaptureExecute(
            QStringLiteral("/bin/sh"), QLatin1String("-c \"") + quoted + QLatin1Char('"'), folder, inputPipe,
            [this] {
                if (Events.isEmpty() || Events.last() != QLatin1String("<idle>"))
                    Events += QStringLiteral("<idle>");
            },
            [this, onLine](const QString &line) {
                Lines += line;
                Events += line;
                if (onLine)
                    onLine(line);
            });
    }
};

// A shell command that waits until the file exists (for two minutes at
// most): a child that goes on only once the test has seen what it should
// have, however slowly either of them runs.
QString WaitForFile(const QString &file)
{
    return QStringLiteral("for i in $(seq 12000); do [ -e '%1' ] && break; sleep 0.01; done").arg(file);
}

void Touch(const QString &file)
{
    QFile(file).open(QIODevice::WriteOnly);
}

QList<QByteArray> Split(const QList<QByteArray> &reads)
{
    QList<QByteArray> lines;
    TOutputLineSplitter splitter;
    const auto onLine = [&lines](const QByteArray &line) { lines += line; };
    for (const QByteArray &read : reads)
        splitter.Append(read, onLine);
    splitter.Finish(onLine);
    return lines;
}

} // namespace

TEST(OutputLines, BreaksAreCRLFCRLFCRAndSingleCROrLF)
{
    using L = QList<QByteArray>;
    EXPECT_EQ(Split({"a\r\nb"}), (L{"a", "b"}));
    EXPECT_EQ(Split({"a\r\n\r\nb"}), (L{"a", "", "b"}));
    EXPECT_EQ(Split({"a\r\n\rb"}), (L{"a", "b"})); // CR LF followed by another CR is one break
    EXPECT_EQ(Split({"a\rb\nc\n\nd"}), (L{"a", "b", "c", "", "d"}));
    EXPECT_EQ(Split({"a\n"}), (L{"a"}));
    EXPECT_EQ(Split({""}), L{});
    EXPECT_EQ(Split({"a\r\r\nb"}), (L{"a", "", "b"}));
}

// A break whose CR and LF come in different reads is still one break: every
// way of cutting the output into reads gives the lines of the output read at once.
TEST(OutputLines, ABreakCutBetweenReadsIsOneBreak)
{
    using L = QList<QByteArray>;
    EXPECT_EQ(Split({"a\r", "\nb"}), (L{"a", "b"}));
    EXPECT_EQ(Split({"a\r\n", "\rb"}), (L{"a", "b"}));
    EXPECT_EQ(Split({"a\r", "\n", "\r", "\nb"}), (L{"a", "", "b"}));
    EXPECT_EQ(Split({"a\r", "", "\nb"}), (L{"a", "b"}));

    const QByteArray output = "one\r\ntwo\r\n\r\nthree\rfour\nfive\r\n\rsix\r\r\nseven\r";
    const QList<QByteArray> whole = Split({output});
    ASSERT_EQ(whole, (L{"one", "two", "", "three", "four", "five", "six", "", "seven"}));
    for (qsizetype a = 0; a <= output.size(); ++a)
        for (qsizetype b = a; b <= output.size(); ++b)
            ASSERT_EQ(Split({output.left(a), output.mid(a, b - a), output.mid(b)}), whole) << a << " " << b;
    QList<QByteArray> bytes;
    for (const char c : output)
        bytes += QByteArray(1, c);
    EXPECT_EQ(Split(bytes), whole);
}

TEST(Runner, DeliversLinesWhileTheChildRunsAndTheLastOneAfterItsEnd)
{
    // The child writes "b" only once "a" has arrived.
    QTemporaryDir folder;
    const QString seen = folder.filePath(QStringLiteral("seen"));
    const TCapture crlf(QStringLiteral("printf 'a\\r\\n'; ") + WaitForFile(seen) + QStringLiteral("; printf b"), QString(),
                        false, [&seen](const QString &line) {
                            if (line == u"a")
                                Touch(seen);
                        });
    EXPECT_EQ(crlf.Result, 0);
    EXPECT_EQ(crlf.Lines, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    // "a" came while the child was still running, "b" (no line break) only at its end.
    const qsizetype a = crlf.Events.indexOf(QStringLiteral("a"));
    const qsizetype idleAfterA = crlf.Events.indexOf(QStringLiteral("<idle>"), a);
    ASSERT_GE(a, 0);
    EXPECT_GT(idleAfterA, a);
    EXPECT_EQ(crlf.Events.last(), QStringLiteral("b"));

    EXPECT_EQ(TCapture(QStringLiteral("printf 'a\\r\\n\\r\\nb'")).Lines,
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    const TCapture both(QStringLiteral("echo out; echo err >&2; exit 3"));
    EXPECT_EQ(both.Result, 3);
    EXPECT_EQ(both.Lines, (QStringList{QStringLiteral("out"), QStringLiteral("err")}));
    EXPECT_EQ(TCapture(QStringLiteral("kill -9 $$")).Result, 128 + 9);
}

TEST(Runner, ACarriageReturnAndLineFeedInDifferentReadsGiveOneLineBreak)
{
    const TCapture capture(QStringLiteral("printf 'a\\r'; sleep 0.3; printf '\\nb'"));
    EXPECT_EQ(capture.Lines, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST(Runner, MissingProgramNoCallbackAndBadFolder)
{
    int lines = 0;
    const auto count = [&lines](const QString &) { ++lines; };
    EXPECT_EQ(CaptureExecute(QStringLiteral("/does/not/exist.exe"), QString(), QString(), true, nullptr, count), -1);
    EXPECT_EQ(lines, 0);

    QTemporaryDir folder;
    const QString marker = folder.filePath(QStringLiteral("started"));
    EXPECT_EQ(CaptureExecute(QStringLiteral("/bin/sh"), QStringLiteral("-c \"touch ") + marker + QLatin1Char('"'),
                             QString(), true, nullptr, nullptr),
              -2);
    EXPECT_FALSE(QFile::exists(marker)); // nothing was started
    EXPECT_EQ(CaptureExecute(QStringLiteral("/bin/sh"), QStringLiteral("-c true"), folder.filePath(QStringLiteral("none")),
                             true, nullptr, count),
              -1);
    QStringList list;
    EXPECT_EQ(RunCompiler(QStringLiteral("\"/does/not/exist.exe\" x"), folder.path(), list, true, nullptr), -1);
    EXPECT_TRUE(list.isEmpty());
}

TEST(Runner, AnExceptionFromTheLineCallbackEndsTheChild)
{
    // The child names itself, then sleeps far longer than the test may run.
    QTemporaryDir folder;
    const QString pidFile = folder.filePath(QStringLiteral("pid"));
    EXPECT_THROW(CaptureExecute(QStringLiteral("/bin/sh"),
                                QStringLiteral("-c \"echo $$ > '") + pidFile + QStringLiteral("'; echo first; exec sleep 600\""),
                                QString(), true, nullptr, [](const QString &) { throw std::runtime_error("stop"); }),
                 std::runtime_error);
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString pid = QString::fromLatin1(file.readAll()).trimmed();
    ASSERT_FALSE(pid.isEmpty());
    // Gone, or at most a zombie waiting to be reaped (no command line left).
    auto running = [&pid] {
        QFile cmdline(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
        return cmdline.open(QIODevice::ReadOnly) && !cmdline.readAll().isEmpty();
    };
    EXPECT_EVENTUALLY(!running());
}

TEST(Runner, ARelativeProgramIsLookedUpInTheWorkingFolderOnly)
{
    TTestMachine machine;
    const QString folder = machine.Path(QStringLiteral("work"));
    QDir().mkpath(folder);
    QStringList lines;
    // "sh" is on PATH, but not in the folder.
    EXPECT_EQ(RunCompiler(QStringLiteral("sh -c true"), folder, lines, true, nullptr), -1);
    machine.InstallTool(folder + QLatin1String("/Bin/make.exe"));
    EXPECT_EQ(RunCompiler(QStringLiteral("Bin/make.exe -fnone.mak"), folder, lines, true, nullptr), 1);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("MAKE stand-in for tests"),
                                  QStringLiteral("Fatal: Unable to open makefile 'none.mak'")}));
}

TEST(Runner, RunCompilerCollectsTheLinesAndCallsTheIdleCallbackBetweenPolls)
{
    QTemporaryDir folder;
    QStringList lines;
    int idle = 0;
    // The child ends only after the third idle call; the calls come one a
    // poll, so there are no more than the run's length allows (with room).
    const QString third = QDir(folder.path()).filePath(QStringLiteral("third"));
    QElapsedTimer run;
    run.start();
    const int result =
        RunCompiler(QStringLiteral("/bin/sh -c \"pwd; ") + WaitForFile(third) + QStringLiteral("; printf 'x\\ny'; exit 2\""),
                    folder.path(), lines, true, [&idle, &third] {
                        if (++idle == 3)
                            Touch(third);
                    });
    const qint64 ran = run.elapsed();
    EXPECT_EQ(result, 2);
    EXPECT_EQ(lines, (QStringList{QDir(folder.path()).canonicalPath(), QStringLiteral("x"), QStringLiteral("y")}));
    EXPECT_GE(idle, 3);
    EXPECT_LE(idle, ran / 20 + 5) << ran << " ms";

    // With the input pipe the child reads the end of its input at once.
    EXPECT_EQ(TCapture(QStringLiteral("read x; echo read=$?"), QString(), true).Lines, QStringList{QStringLiteral("read=1")});
}

TEST(Runner, ConsoleOutputIsReadInTheMachinesOemCodePage)
{
    TTestMachine machine;
    EXPECT_EQ(TCapture(QStringLiteral("printf 'caf\\202 \\220'")).Lines, QStringList{QStringLiteral("café É")});
    machine.SetString(TRootKey::HKEY_LOCAL_MACHINE, QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage"),
                      QStringLiteral("OEMCP"), QStringLiteral("866"));
    EXPECT_EQ(TCapture(QStringLiteral("printf '\\202'")).Lines, QStringList{QStringLiteral("В")});
    machine.SetString(TRootKey::HKEY_LOCAL_MACHINE, QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage"),
                      QStringLiteral("OEMCP"), QStringLiteral("no number"));
    EXPECT_EQ(TCapture(QStringLiteral("printf '\\202'")).Lines, QStringList{QStringLiteral("é")});
}

TEST(CommandLine, SplitsByTheWindowsRules)
{
    using L = QStringList;
    EXPECT_EQ(SplitCommandLine(QStringLiteral("unrar.exe x -c- -y  data.arc *.* \"/m/Program Files/NQB/\"")),
              (L{"unrar.exe", "x", "-c-", "-y", "data.arc", "*.*", "/m/Program Files/NQB/"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"/m/Program Files/Bin/make.exe\" -f\"/m/a b/p.mak\" ")),
              (L{"/m/Program Files/Bin/make.exe", "-f/m/a b/p.mak"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("p a\\\\\"b c\" d\\\"e f\\g \"\" \"x\"\"y\"")),
              (L{"p", "a\\b c", "d\"e", "f\\g", "", "x\"y"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("  \t ")), L{});
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"a\\\" b")), (L{"a\\", "b"})); // no escapes in the program name
}
