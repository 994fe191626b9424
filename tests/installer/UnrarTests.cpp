// The unarchiver on its own, run as the installer runs it: archives of every
// format a distribution may come in, whole and cut short.
#include "FaultRuns.h"
#include "TestDistribution.h"
#include "TestRarArchive.h"
#include "installer/ChildProcessRunner.h"
#include "installer/unrar/ArchiveExtractor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace nvqb;
using namespace nvqb::test;

namespace {

struct TUnrarRun {
    int ExitCode = -1;
    QStringList Lines;
};

// Writes the bytes as data.arc into the folder and unpacks them into its
// subfolder "out" (emptied first) with the installer's command line.
TUnrarRun Unpack(const QString &folder, const QByteArray &bytes)
{
    const QString out = folder + QLatin1String("/out");
    QDir(out).removeRecursively();
    QFile file(folder + QLatin1String("/data.arc"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    TUnrarRun run;
    run.ExitCode = CaptureExecute(QString::fromUtf8(NVQB_UNRAR_PROGRAM),
                                  QStringLiteral("x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"%1/\"").arg(out), folder,
                                  true, nullptr, [&run](const QString &line) { run.Lines += line; });
    return run;
}

QByteArray ArchiveBytes(const QString &folder, const std::vector<TArchiveEntry> &entries, TArchiveFormat format)
{
    const QString name = folder + QLatin1String("/written.arc");
    WriteArchive(name, entries, format);
    QFile file(name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The bytes compressed whole by one of libarchive's filters ("gzip", "xz").
QByteArray Compressed(const QByteArray &bytes, const char *filter)
{
    QByteArray compressed;
    archive *writer = archive_write_new();
    EXPECT_EQ(archive_write_add_filter_by_name(writer, filter), ARCHIVE_OK) << filter;
    archive_write_set_format_raw(writer);
    archive_write_set_bytes_in_last_block(writer, 1);
    const auto append = [](archive *, void *to, const void *buffer, size_t size) -> la_ssize_t {
        static_cast<QByteArray *>(to)->append(static_cast<const char *>(buffer), qsizetype(size));
        return la_ssize_t(size);
    };
    EXPECT_EQ(archive_write_open2(writer, &compressed, nullptr, append, nullptr, nullptr), ARCHIVE_OK);
    archive_entry *entry = archive_entry_new();
    archive_entry_set_pathname(entry, "data");
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_size(entry, bytes.size());
    EXPECT_EQ(archive_write_header(writer, entry), ARCHIVE_OK) << archive_error_string(writer);
    archive_write_data(writer, bytes.constData(), size_t(bytes.size()));
    archive_entry_free(entry);
    archive_write_close(writer);
    archive_write_free(writer);
    return compressed;
}

// The entries written by libarchive in a format ("pax", "zip", "7zip") with
// the options given, in records of recordBytes (0: libarchive's own), the last
// one padded to lastBytes (1: not at all, ending with the format's end).
QByteArray Written(const std::vector<TArchiveEntry> &entries, const char *format, const char *options = nullptr,
                   int recordBytes = 0, int lastBytes = 1)
{
    QByteArray bytes;
    archive *writer = archive_write_new();
    EXPECT_EQ(archive_write_set_format_by_name(writer, format), ARCHIVE_OK) << format;
    if (options) {
        EXPECT_EQ(archive_write_set_options(writer, options), ARCHIVE_OK) << archive_error_string(writer);
    }
    if (recordBytes > 0)
        archive_write_set_bytes_per_block(writer, recordBytes);
    archive_write_set_bytes_in_last_block(writer, lastBytes);
    const auto append = [](archive *, void *to, const void *buffer, size_t size) -> la_ssize_t {
        static_cast<QByteArray *>(to)->append(static_cast<const char *>(buffer), qsizetype(size));
        return la_ssize_t(size);
    };
    EXPECT_EQ(archive_write_open2(writer, &bytes, nullptr, append, nullptr, nullptr), ARCHIVE_OK);
    for (const TArchiveEntry &item : entries) {
        archive_entry *entry = archive_entry_new();
        const QByteArray path = item.Path.toUtf8();
        archive_entry_set_pathname(entry, path.constData());
        archive_entry_set_mtime(entry, 1700000000, 0);
        archive_entry_set_filetype(entry, item.Kind == TArchiveEntry::Folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry, item.Kind == TArchiveEntry::Folder ? 0755 : 0644);
        if (item.Kind == TArchiveEntry::File)
            archive_entry_set_size(entry, item.Content.size());
        EXPECT_EQ(archive_write_header(writer, entry), ARCHIVE_OK) << archive_error_string(writer);
        if (!item.Content.isEmpty())
            archive_write_data(writer, item.Content.constData(), size_t(item.Content.size()));
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
    return bytes;
}

// A tar that ends without record padding (its two zero blocks last) with a
// pax global header (a comment) put after its last entry, where an archiver
// that appends settings for what follows leaves one.
QByteArray WithPaxGlobalHeaderLast(const QByteArray &tar)
{
    const QByteArray record = "20 comment=appended\n";
    QByteArray header(512, '\0');
    const auto put = [&header](int at, const QByteArray &text) { header.replace(at, text.size(), text); };
    put(0, "pax_global_header");
    put(100, "0000644");
    put(108, "0000000");
    put(116, "0000000");
    put(124, QByteArray::number(record.size(), 8).rightJustified(11, '0'));
    put(136, "14500000000");
    put(148, "        ");
    put(156, "g");
    put(257, QByteArray("ustar\0", 6) + "00");
    int sum = 0;
    for (const char c : header)
        sum += static_cast<unsigned char>(c);
    put(148, QByteArray::number(sum, 8).rightJustified(6, '0') + QByteArray("\0 ", 2));
    const QByteArray data = record + QByteArray(512 - record.size(), '\0');
    return tar.left(tar.size() - 1024) + header + data + tar.right(1024);
}

// Where the header of the entry of that index starts in a tar, zip or RAR
// archive.
qint64 EntryStart(const QByteArray &bytes, int index)
{
    archive *reader = archive_read_new();
    archive_read_support_format_tar(reader);
    archive_read_support_format_zip_streamable(reader);
    archive_read_support_format_rar(reader);
    archive_read_support_format_rar5(reader);
    EXPECT_EQ(archive_read_open_memory(reader, bytes.constData(), size_t(bytes.size())), ARCHIVE_OK);
    qint64 start = -1;
    archive_entry *entry = nullptr;
    for (int i = 0; i <= index && archive_read_next_header(reader, &entry) == ARCHIVE_OK; ++i)
        start = archive_read_header_position(reader);
    archive_read_free(reader);
    return start;
}

// What a run came to: its exit code, its error lines and its last line,
// joined by " | ".
QString Outcome(const TUnrarRun &run)
{
    QStringList parts{QString::number(run.ExitCode)};
    for (const QString &line : run.Lines)
        if (line.startsWith(QLatin1String("ERROR: ")))
            parts += line;
    parts += run.Lines.value(run.Lines.size() - 1);
    return parts.join(QLatin1String(" | "));
}

// The outcome of an archive found damaged for that reason ("*" for any).
QString Damaged(const QString &reason)
{
    return QLatin1String("3 | ERROR: data.arc: ") + reason + QLatin1String(" | Total errors: 1");
}

// The outcome equals the expected one, in which one "*" stands for any text.
bool Matches(const QString &outcome, const QString &expected)
{
    const qsizetype any = expected.indexOf(QLatin1Char('*'));
    if (any < 0)
        return outcome == expected;
    return outcome.size() > expected.size() && outcome.startsWith(expected.left(any))
        && outcome.endsWith(expected.mid(any + 1));
}

struct TCutCase {
    std::string Name;
    QByteArray Bytes;
    QString Outcome;
    std::optional<int> Files = std::nullopt; // what a whole one unpacks into ComponentFiles, when not all
};

} // namespace

TEST(Unrar, AnArchiveCutShortIsDamagedInEveryFormatAndAWholeOneUnpacks)
{
    QTemporaryDir temp;
    const QString folder = temp.path();
    // A folder and many small files, as in a distribution.
    std::vector<TArchiveEntry> entries{{QStringLiteral("ComponentFiles"), QByteArray(), TArchiveEntry::Folder}};
    const int files = 600;
    for (int i = 0; i < files; ++i)
        entries.push_back({QStringLiteral("ComponentFiles/Unit%1.pas").arg(i, 4, 10, QLatin1Char('0')),
                           "unit Unit" + QByteArray::number(i) + ";\r\n"});
    const int middle = int(entries.size() / 2);
    const QString whole = QStringLiteral("0 | All OK");
    // libarchive's own reason.
    const QString damaged = Damaged(QStringLiteral("*"));
    const QString noTarEnd =
        Damaged(QStringLiteral("Truncated archive: no end-of-archive marker (two zero blocks) after the last entry"));
    const QString noZipEnd = Damaged(QStringLiteral("Truncated archive: no end-of-central-directory record at its end"));
    const QString noRarEnd = Damaged(QStringLiteral("Truncated archive: no end-of-archive block at its end"));

    std::vector<TCutCase> cases;
    const QByteArray tar = ArchiveBytes(folder, entries, TArchiveFormat::Tar);
    const qint64 tarMiddle = EntryStart(tar, middle);
    ASSERT_EQ(tarMiddle % 512, 0);
    cases.push_back({"tar", tar, whole});
    cases.push_back({"tar cut between entries", tar.left(tarMiddle), noTarEnd});
    cases.push_back({"tar cut inside an entry", tar.left(tarMiddle + 256), damaged});
    // The last entry is a header and one block of data.
    cases.push_back({"tar cut before its end marker", tar.left(EntryStart(tar, int(entries.size()) - 1) + 1024), noTarEnd});
    for (const char *filter : {"gzip", "bzip2", "xz", "zstd", "compress"}) {
        const QByteArray compressed = Compressed(tar, filter);
        cases.push_back({std::string("tar ") + filter, compressed, whole});
        cases.push_back({std::string("tar cut between entries, then ") + filter, Compressed(tar.left(tarMiddle), filter),
                         noTarEnd});
        cases.push_back({std::string("tar ") + filter + " cut at half", compressed.left(compressed.size() / 2),
                         damaged});
    }

    // In a record of 1 MiB a few files end long before the end of the stream;
    // the half that is cut away holds only zeros, but the gzip stream is
    // broken.
    const QByteArray bigRecords =
        Compressed(Written({entries.begin(), entries.begin() + 3}, "pax", nullptr, 1 << 20, 1 << 20), "gzip");
    cases.push_back({"tar gzip in records of 1 MiB", bigRecords, whole, 2});
    cases.push_back({"tar gzip in records of 1 MiB cut at half", bigRecords.left(bigRecords.size() / 2),
                     Damaged(QStringLiteral("truncated gzip input"))});
    const QByteArray gzip = Compressed(tar, "gzip");
    cases.push_back({"tar gzip cut in its trailer", gzip.left(gzip.size() - 3),
                     Damaged(QStringLiteral("Damaged archive: the gzip stream cannot be read to its end"))});
    cases.push_back({"tar with a pax global header after its last entry", WithPaxGlobalHeaderLast(Written(entries, "pax")),
                     whole});

    const QByteArray zip = ArchiveBytes(folder, entries, TArchiveFormat::Zip);
    cases.push_back({"zip", zip, whole});
    cases.push_back({"zip cut between entries", zip.left(EntryStart(zip, middle)), damaged});
    cases.push_back({"zip cut before its central directory", zip.left(zip.indexOf("PK\1\2")), damaged});
    cases.push_back({"zip cut in its central directory", zip.left((zip.indexOf("PK\1\2") + zip.lastIndexOf("PK\5\6")) / 2),
                     noZipEnd});
    cases.push_back({"zip cut before its end record", zip.left(zip.lastIndexOf("PK\5\6")), noZipEnd});
    // Cut right after a member that is a zip itself, stored, the archive ends
    // with that member's end record.
    std::vector<TArchiveEntry> withInner(entries.begin(), entries.begin() + middle);
    withInner.push_back({QStringLiteral("ComponentFiles/Inner.zip"),
                         Written({{QStringLiteral("Inner/Unit.pas"), "unit Unit;\r\n"}}, "zip", "zip:compression=store")});
    withInner.insert(withInner.end(), entries.begin() + middle, entries.end());
    const QByteArray outer = Written(withInner, "zip", "zip:compression=store");
    cases.push_back({"zip holding a stored zip", outer, whole, files + 1});
    cases.push_back({"zip cut right after a stored zip it holds",
                     outer.left(outer.indexOf(withInner[size_t(middle)].Content) + withInner[size_t(middle)].Content.size()),
                     Damaged(QStringLiteral("Truncated archive: the end-of-central-directory record at its end is that of "
                                            "an archive stored in it"))});

    const QByteArray sevenZip = ArchiveBytes(folder, entries, TArchiveFormat::SevenZip);
    cases.push_back({"7z", sevenZip, whole});
    cases.push_back({"7z cut at half", sevenZip.left(sevenZip.size() / 2),
                     Damaged(QStringLiteral("Truncated archive: %1 of its %2 bytes")
                                 .arg(sevenZip.size() / 2)
                                 .arg(sevenZip.size()))});

    for (const auto &[name, format] : {std::pair{"RAR 4", TArchiveFormat::Rar4}, std::pair{"RAR 5", TArchiveFormat::Rar5}}) {
        const QByteArray rar = ArchiveBytes(folder, entries, format);
        cases.push_back({name, rar, whole});
        cases.push_back({std::string(name) + " cut between entries", rar.left(EntryStart(rar, middle)), noRarEnd});
        cases.push_back({std::string(name) + " cut before its end block",
                         rar.left(format == TArchiveFormat::Rar4 ? rar.size() - 7 : rar.size() - 8), noRarEnd});
    }

    for (const TCutCase &cut : cases) {
        const TUnrarRun run = Unpack(folder, cut.Bytes);
        const QString outcome = Outcome(run);
        EXPECT_TRUE(Matches(outcome, cut.Outcome))
            << cut.Name << ":\n  " << outcome.toStdString() << "\nexpected:\n  " << cut.Outcome.toStdString();
        if (cut.Outcome == whole) {
            EXPECT_EQ(Entries(folder + QLatin1String("/out/ComponentFiles")).size(), cut.Files.value_or(files)) << cut.Name;
        }
    }
}

namespace {

// One extraction in this process, as the unarchiver runs it: every cut of
// every archive through a program of its own would take minutes. Its exit
// code and lines.
struct TExtraction {
    int ExitCode = -1;
    QStringList Lines;
};

TExtraction ExtractHere(const QString &archive, const QString &destination)
{
    const QString current = QDir::currentPath();
    unrar::TUnrarCommand command;
    command.Archive = QFile::encodeName(archive).toStdString();
    command.Destination = QFile::encodeName(destination + QLatin1Char('/')).toStdString();
    std::ostringstream out;
    TExtraction extraction;
    extraction.ExitCode = unrar::ExtractArchive(command, out);
    // The extraction works in its destination.
    QDir::setCurrent(current);
    extraction.Lines = QString::fromStdString(out.str()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return extraction;
}

// The files below a folder, by their paths relative to it, sorted.
QStringList FilesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files += QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

// Every length an archive can be cut to, from nothing to one byte short, in
// every format and in the shapes whose end is easily mistaken (a tar in
// records of 1 MiB whose compressed stream breaks after the end marker, a pax
// global header after the last entry, a zip holding a zip, a gzip stream cut
// in its trailer): each is refused as damaged with its reason, and the whole
// archive unpacks.
TEST(Unrar, EveryCutOfEveryFormatIsRefusedWithItsReason)
{
    QTemporaryDir temp;
    const QString folder = temp.path();
    const QString archive = folder + QLatin1String("/data.arc");
    const QString out = folder + QLatin1String("/out");
    const std::vector<TArchiveEntry> entries{{QStringLiteral("Files"), QByteArray(), TArchiveEntry::Folder},
                                             {QStringLiteral("Files/a.pas"), "unit a;\r\n"},
                                             {QStringLiteral("Files/b.pas"), "unit b;\r\n"}};
    const QStringList files{QStringLiteral("Files/a.pas"), QStringLiteral("Files/b.pas")};

    struct TShape {
        std::string Name;
        QByteArray Bytes;
        QStringList Files;
    };
    std::vector<TShape> shapes;
    // Without record padding: a tar ends with its two zero blocks, so that
    // every cut takes something away.
    const QByteArray tar = Written(entries, "pax");
    shapes.push_back({"tar", tar, files});
    shapes.push_back({"tar with a pax global header last", WithPaxGlobalHeaderLast(tar), files});
    for (const char *filter : {"gzip", "bzip2", "xz", "zstd", "compress"})
        shapes.push_back({std::string("tar, ") + filter, Compressed(tar, filter), files});
    // After the end marker a record of 1 MiB holds nothing but zeros, and a
    // compressed stream must still be whole to its end. (compress has no end
    // of its own: it cannot tell a cut in those zeros.)
    const QByteArray bigRecords = Written(entries, "pax", nullptr, 1 << 20, 1 << 20);
    for (const char *filter : {"gzip", "bzip2", "xz", "zstd"})
        shapes.push_back({std::string("tar in records of 1 MiB, ") + filter, Compressed(bigRecords, filter), files});
    shapes.push_back({"zip", Written(entries, "zip"), files});
    const QByteArray inner = Written({{QStringLiteral("Inner/c.pas"), "unit c;\r\n"}}, "zip", "zip:compression=store");
    shapes.push_back({"zip holding a stored zip",
                      Written({entries[0], entries[1], {QStringLiteral("Files/inner.zip"), inner}, entries[2]}, "zip",
                              "zip:compression=store"),
                      {files[0], files[1], QStringLiteral("Files/inner.zip")}});
    shapes.push_back({"7z", Written(entries, "7zip"), files});
    shapes.push_back({"RAR 4", RarArchive(entries, TRarVersion::Rar4), files});
    shapes.push_back({"RAR 5", RarArchive(entries, TRarVersion::Rar5), files});

    const auto write = [&archive](const QByteArray &bytes) {
        // A new file each time: a file truncated and written again is flushed
        // to the disk when it is closed, which would make this take minutes.
        QFile::remove(archive);
        QFile file(archive);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    const QString errorPrefix = QLatin1String("ERROR: ") + archive + QLatin1String(": ");
    for (const TShape &shape : shapes) {
        QDir(out).removeRecursively();
        write(shape.Bytes);
        const TExtraction whole = ExtractHere(archive, out);
        EXPECT_EQ(whole.ExitCode, unrar::ueSuccess) << shape.Name << ":\n" << Text(whole.Lines);
        EXPECT_EQ(FilesBelow(out), shape.Files) << shape.Name;

        int failures = 0;
        for (qsizetype length = 0; length < shape.Bytes.size() && failures < 5; ++length) {
            write(shape.Bytes.left(length));
            const TExtraction cut = ExtractHere(archive, out);
            QString reason;
            for (const QString &line : cut.Lines)
                if (line.startsWith(errorPrefix)) {
                    reason = line.mid(errorPrefix.size());
                    break;
                }
            if (cut.ExitCode != unrar::ueDamagedArchive || reason.isEmpty() || reason == QLatin1String("unknown error")) {
                ++failures;
                ADD_FAILURE() << shape.Name << " cut to " << length << " of " << shape.Bytes.size() << " bytes:\n"
                              << Text(cut.Lines);
            }
        }
    }
}

TEST(Unrar, TheFilesGoIntoTheFolderNamedWithBackslashesAsPartOfItsName)
{
    QTemporaryDir temp;
    const QString folder = temp.path();
    const QString outside = folder + QLatin1String("/outside");
    TSentinels sentinels;
    sentinels.Add(outside + QLatin1String("/EULA.txt"), "the other program's");
    WriteArchive(folder + QLatin1String("/data.arc"), {{QStringLiteral("EULA.txt"), "licence"}});
    // Read as separators, the backslashes would lead from "a" to "outside".
    const QString destination = folder + QLatin1String("/a/x\\..\\..\\outside");
    TUnrarRun run;
    run.ExitCode = CaptureExecute(QString::fromUtf8(NVQB_UNRAR_PROGRAM),
                                  QStringLiteral("x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"%1/\"").arg(destination),
                                  folder, true, nullptr, [&run](const QString &line) { run.Lines += line; });
    EXPECT_EQ(Outcome(run), QStringLiteral("0 | All OK"));
    EXPECT_EQ(sentinels.Touched(), QStringList());
    EXPECT_EQ(Entries(folder + QLatin1String("/a")), QStringList{QStringLiteral("x\\..\\..\\outside")});
    QFile unpacked(destination + QLatin1String("/EULA.txt"));
    ASSERT_TRUE(unpacked.open(QIODevice::ReadOnly));
    EXPECT_EQ(unpacked.readAll(), QByteArray("licence"));
}

TEST(Unrar, AFileThatCannotBeWrittenEndsTheUnpackAsFailedAndIsNotLeftBehind)
{
    QTemporaryDir temp;
    const QString folder = temp.path();
    const QString out = folder + QLatin1String("/out");
    WriteArchive(folder + QLatin1String("/data.arc"),
                 {{QStringLiteral("Big.bpl"), QByteArray(300000, 'b')}, {QStringLiteral("Small.txt"), "small"}});
    const QStringList arguments{QStringLiteral("x"),        QStringLiteral("-c-"), QStringLiteral("-cfg-"),
                                QStringLiteral("-dh"),      QStringLiteral("-idp"), QStringLiteral("-o+"),
                                QStringLiteral("-r"),       QStringLiteral("-y"),   QStringLiteral("data.arc"),
                                QStringLiteral("*.*"),      out + QLatin1Char('/')};
    // The first write and one in the middle of the big file fail, as on a
    // disk that is full.
    for (const quint64 at : {quint64(1), quint64(3)}) {
        SCOPED_TRACE(at);
        QDir(out).removeRecursively();
        TFaultPlan plan;
        plan.Mode = TFaultPlan::Fail;
        plan.At = at;
        plan.Kinds = QStringLiteral("write");
        const TFaultRun run = RunUnderFaults(QString::fromUtf8(NVQB_UNRAR_PROGRAM), arguments, folder, out, plan);
        ASSERT_EQ(run.Faults, 1u) << Text(run.Output);
        EXPECT_EQ(run.ExitCode, 5) << Text(run.Output);
        EXPECT_TRUE(run.Output.contains(
            QStringLiteral("ERROR: Cannot write %1/Big.bpl: Write failed: No space left on device").arg(out)))
            << Text(run.Output);
        EXPECT_FALSE(run.Output.contains(QStringLiteral("All OK"))) << Text(run.Output);
        // Neither a file of the right size full of zeros, nor the files after it.
        EXPECT_EQ(Entries(out), QStringList());
    }
}
