#pragma once
// Whether an archive that libarchive has read to its end is whole. libarchive
// takes the end of the data for the end of a tar or RAR archive, stops
// reading a tar at its end marker (so a compressed stream broken after it
// goes unseen), and reads a zip through whatever end-of-central-directory
// record ends the file, even one of an archive stored in it; so an archive
// cut short would unpack as if it were complete. Each format marks where it
// ends, and that mark is looked for: two zero blocks after the last entry of
// a tar (in the uncompressed stream, under any compression, which must read
// to its end without error), the end-of-archive block of a RAR (4 or 5), the
// end-of-central-directory record of a zip with the central directory it
// points to listing the entries found where it says. A 7z keeps its header at
// its end and libarchive cannot read one without it; the size its start
// header gives tells how much is missing.
#include <archive.h>

#include <filesystem>
#include <string>

namespace nvqb::unrar {

// What the archive that reader has read up to its end (ARCHIVE_EOF), or that
// libarchive has failed on without a reason, lacks at its end, as a message
// ("Truncated archive: ...", or why its stream breaks off); empty when it
// ends with the mark of its format, or its format has none. The file is read
// again for the mark.
std::string MissingArchiveEnd(archive *reader, const std::filesystem::path &file);

// Why libarchive failed to read the archive: its own reason, or when it
// gives none (as for a gzip stream cut in its trailer, or a 7z cut short),
// what is missing at the end or where the stream breaks off. Never empty.
std::string ReadFailure(archive *reader, const std::filesystem::path &file);

} // namespace nvqb::unrar
