#include "installer/unrar/ArchiveExtractor.h"
#include "installer/unrar/ArchiveEnd.h"
#include "installer/unrar/EntryPath.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace nvqb::unrar {

namespace {

namespace fs = std::filesystem;

struct TReaderFree {
    void operator()(archive *a) const { archive_read_free(a); }
};
struct TWriterFree {
    void operator()(archive *a) const { archive_write_free(a); }
};

const char *ErrorText(archive *a)
{
    const char *text = archive_error_string(a);
    return text ? text : "unknown error";
}

// libarchive's text with the system's reason ("Write failed: No space left
// on device").
std::string WriteErrorText(archive *a)
{
    std::string text = ErrorText(a);
    if (const int error = archive_errno(a))
        text += std::string(": ") + std::strerror(error);
    return text;
}

// "*" and "*.*" stand for every entry, as on the systems the archive comes
// from; other masks match the entry's file name or its whole path.
bool Matches(const std::vector<std::string> &masks, const std::string &path)
{
    if (masks.empty())
        return true;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (const std::string &mask : masks) {
        if (mask == "*" || mask == "*.*")
            return true;
        if (::fnmatch(mask.c_str(), name.c_str(), 0) == 0 || ::fnmatch(mask.c_str(), path.c_str(), FNM_PATHNAME) == 0)
            return true;
    }
    return false;
}

struct TCounts {
    int Extracted = 0;
    int Refused = 0;
    int CreateErrors = 0;
    bool Damaged = false;
    // A file's data could not be written (a full disk): the unpack ends.
    bool WriteFailed = false;
};

// Copies one entry's data; false when reading or writing fails (the reason is
// written to out and counted).
bool CopyData(archive *reader, archive *writer, const std::string &archiveName, const fs::path &archivePath,
              const std::string &shown, std::ostream &out, TCounts &counts)
{
    for (;;) {
        const void *buffer = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int read = archive_read_data_block(reader, &buffer, &size, &offset);
        if (read == ARCHIVE_EOF)
            return true;
        if (read < ARCHIVE_WARN) {
            out << "ERROR: " << archiveName << ": " << ReadFailure(reader, archivePath) << "\n";
            counts.Damaged = true;
            return false;
        }
        // libarchive reports a failed or short write as a warning, and
        // would then pad the file to its size with zeros.
        if (archive_write_data_block(writer, buffer, size, offset) != ARCHIVE_OK) {
            out << "ERROR: Cannot write " << shown << ": " << WriteErrorText(writer) << "\n";
            counts.WriteFailed = true;
            return false;
        }
    }
}

} // namespace

TUnrarExitCode ExtractArchive(const TUnrarCommand &command, std::ostream &out)
{
    std::error_code error;
    const fs::path archivePath = fs::absolute(command.Archive, error);
    {
        std::ifstream probe(archivePath, std::ios::binary);
        if (error || !probe) {
            out << "ERROR: Cannot open " << command.Archive << ": " << std::strerror(errno ? errno : ENOENT) << "\n";
            return ueOpenError;
        }
    }
    const fs::path destination =
        command.Destination.empty() ? fs::current_path() : fs::absolute(command.Destination, error).lexically_normal();
    fs::create_directories(destination, error);
    if (error || ::chdir(destination.c_str()) != 0) {
        out << "ERROR: Cannot create " << destination.string() << ": "
            << (error ? error.message() : std::string(std::strerror(errno))) << "\n";
        return ueCreateError;
    }

    std::unique_ptr<archive, TReaderFree> reader(archive_read_new());
    // Archive formats only: the "all formats" set also takes text formats
    // (mtree) that read files of this machine named inside them.
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_rar(reader.get());
    archive_read_support_format_rar5(reader.get());
    archive_read_support_format_zip(reader.get());
    archive_read_support_format_7zip(reader.get());
    archive_read_support_format_tar(reader.get());
    if (archive_read_open_filename(reader.get(), archivePath.c_str(), 65536) != ARCHIVE_OK) {
        out << "ERROR: " << command.Archive << ": " << ReadFailure(reader.get(), archivePath) << "\n"
            << "Total errors: 1\n";
        return ueDamagedArchive;
    }
    // Entries go below the current folder (the destination) by relative
    // paths only; libarchive refuses absolute paths, ".." and writing
    // through symbolic links as well, and replaces what stands in the way
    // instead of writing into it.
    std::unique_ptr<archive, TWriterFree> writer(archive_write_disk_new());
    archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_UNLINK
                                                     | ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT
                                                     | ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
    archive_write_disk_set_standard_lookup(writer.get());

    out << "\nExtracting from " << command.Archive << "\n\n";
    TCounts counts;
    for (;;) {
        archive_entry *entry = nullptr;
        const int next = archive_read_next_header(reader.get(), &entry);
        if (next == ARCHIVE_EOF) {
            // libarchive takes the end of the data for the end of the
            // archive; a cut one ends without its format's mark.
            const std::string missing = MissingArchiveEnd(reader.get(), archivePath);
            if (!missing.empty()) {
                out << "ERROR: " << command.Archive << ": " << missing << "\n";
                counts.Damaged = true;
            }
            break;
        }
        if (next < ARCHIVE_WARN) {
            out << "ERROR: " << command.Archive << ": " << ReadFailure(reader.get(), archivePath) << "\n";
            counts.Damaged = true;
            if (next == ARCHIVE_FATAL)
                break;
            continue;
        }
        const char *rawName = archive_entry_pathname(entry);
        const std::string name = rawName ? rawName : "";
        const std::optional<std::string> path = SafeEntryPath(name);
        const char *hardlink = archive_entry_hardlink(entry);
        const std::optional<std::string> hardlinkPath = hardlink ? SafeEntryPath(hardlink) : std::nullopt;
        const char *symlink = archive_entry_symlink(entry);
        if (!path || (hardlink && !hardlinkPath) || (symlink && !IsSafeLinkTarget(*path, symlink))) {
            if (!path)
                out << "ERROR: Refused " << name << ": the path leads outside " << destination.string() << "\n";
            else
                out << "ERROR: Refused " << name << " -> " << (hardlink ? hardlink : symlink)
                    << ": the link leads outside " << destination.string() << "\n";
            ++counts.Refused;
            continue;
        }
        const mode_t type = archive_entry_filetype(entry);
        if (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK) {
            // Devices, pipes and sockets have no place in a distribution.
            out << "ERROR: Refused " << name << ": not a file, folder or link\n";
            ++counts.Refused;
            continue;
        }
        // The destination itself ("./" of a tar) is there already.
        if (path->empty() || !Matches(command.Masks, *path))
            continue;
        archive_entry_set_pathname(entry, path->c_str());
        if (hardlinkPath)
            archive_entry_set_hardlink(entry, hardlinkPath->c_str());
        const std::string shown = (destination / *path).string();
        const bool folder = type == AE_IFDIR;

        if (archive_write_header(writer.get(), entry) < ARCHIVE_WARN) {
            out << "ERROR: Cannot create " << shown << ": " << ErrorText(writer.get()) << "\n";
            ++counts.CreateErrors;
            continue;
        }
        const bool copied = folder || CopyData(reader.get(), writer.get(), command.Archive, archivePath, shown, out, counts);
        const bool finished = archive_write_finish_entry(writer.get()) >= ARCHIVE_WARN;
        if (!finished) {
            out << "ERROR: Cannot create " << shown << ": " << ErrorText(writer.get()) << "\n";
            ++counts.CreateErrors;
        }
        if (!copied) {
            // A file cut short must not pass for a whole one.
            if (counts.WriteFailed) {
                std::error_code removeError;
                fs::remove(*path, removeError);
            }
            if (counts.Damaged || counts.WriteFailed)
                break;
            continue;
        }
        if (!finished)
            continue;
        out << (folder ? "Creating    " : "Extracting  ") << shown << "  OK\n";
        ++counts.Extracted;
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK) {
        out << "ERROR: " << ErrorText(writer.get()) << "\n";
        ++counts.CreateErrors;
    }

    const int errors = int(counts.Damaged) + int(counts.WriteFailed) + counts.Refused + counts.CreateErrors;
    if (errors > 0) {
        out << "Total errors: " << errors << "\n";
        return counts.Damaged       ? ueDamagedArchive
            : counts.WriteFailed    ? ueWriteError
            : counts.CreateErrors > 0 ? ueCreateError
                                      : ueFatalError;
    }
    if (counts.Extracted == 0) {
        out << "No files to extract\n";
        return ueNoFiles;
    }
    out << "All OK\n";
    return ueSuccess;
}

} // namespace nvqb::unrar
