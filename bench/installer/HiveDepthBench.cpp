// A registry hive that holds one key LEVELS deep (a single header line of
// one-letter names): its size before and after the installer writes one value
// into it, the time of that write and the process's peak memory. One depth per
// run, so that the peak memory belongs to it:
//
//   nvqb-hive-depth-bench 2000
//   nvqb-hive-depth-bench 40000
#include "../BenchCommandLine.h"
#include "installer/platform/Registry.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

using namespace nvqb;

namespace {

// A hive as the installer writes it, with a few keys of an IDE and the deep key.
QByteArray Hive(int levels)
{
    QByteArray text = "; HKEY_LOCAL_MACHINE\n\n"
                      "[SOFTWARE]\n\n[SOFTWARE\\Borland]\n\n[SOFTWARE\\Borland\\Delphi]\n\n"
                      "[SOFTWARE\\Borland\\Delphi\\7.0]\n"
                      "\"RootDir\"=\"/machine/Program Files/Borland/Delphi7\"\n"
                      "\"App\"=\"/machine/Program Files/Borland/Delphi7/Bin/delphi32.exe\"\n"
                      "\"Edition\"=\"Enterprise\"\n\n";
    QByteArray path;
    path.reserve(2 * levels);
    for (int level = 0; level < levels; ++level)
        path += level == 0 ? "a" : "\\a";
    text += "[" + path + "]\n\"Value\"=\"deep\"\n\n";
    return text;
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    int levels = 2000;
    bench::TCommandLine line(argc, argv, "nvqb-hive-depth-bench", "[LEVELS]");
    for (int position = 0; line.Next(); ++position) {
        if (position == 0)
            levels = int(line.PositionalNumber("LEVELS", 1, INT_MAX));
        else
            line.Unexpected();
    }
    QTemporaryDir temp;
    const QString machine = temp.path() + QLatin1String("/machine");
    QDir().mkpath(machine + QLatin1String("/registry"));
    qputenv("NVQB_MACHINE", QFile::encodeName(machine));
    const QString hive = TRegistry::HiveFileName(TRootKey::HKEY_LOCAL_MACHINE);
    {
        QFile file(hive);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(Hive(levels));
    }
    const qint64 before = QFileInfo(hive).size();
    const long peakBefore = PeakKilobytes();

    QElapsedTimer timer;
    timer.start();
    QString outcome = QStringLiteral("written");
    try {
        TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
        reg.OpenKey(QStringLiteral("\\Software\\Tellwright\\Norvane Query Builder"), true);
        reg.WriteString(QStringLiteral("InstallDir"), machine + QLatin1String("/Program Files/NQB"));
    } catch (const std::exception &e) {
        outcome = QStringLiteral("refused: ") + QString::fromLocal8Bit(e.what()).left(100);
    }
    const qint64 elapsed = timer.elapsed();
    const qint64 after = QFileInfo(hive).size();
    std::printf("levels %d: hive %lld bytes before, %lld bytes after one write (%s), write %lld ms, "
                "peak memory %ld KB (%ld KB before the write)\n",
                levels, static_cast<long long>(before), static_cast<long long>(after), qPrintable(outcome),
                static_cast<long long>(elapsed), PeakKilobytes(), peakBefore);
    return 0;
}
