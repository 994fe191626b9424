#include "installer/unrar/ArchiveEnd.h"
#include "installer/unrar/Crc32.h"

#include <archive_entry.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

namespace nvqb::unrar {

namespace {

namespace fs = std::filesystem;

const char *const Truncated = "Truncated archive: ";

// A part of an archive's uncompressed stream, and the stream's length.
struct TStreamPart {
    std::string Bytes;
    std::int64_t Length = 0;
    std::string Error; // why the stream could not be read to its end
};

// Reads the archive's stream from the file again, through the compression
// libarchive finds on it, and keeps count bytes of it from offset on, or with
// a negative offset its last count bytes.
TStreamPart ReadStream(const fs::path &file, std::int64_t offset, std::size_t count)
{
    TStreamPart part;
    std::unique_ptr<archive, decltype(&archive_read_free)> reader(archive_read_new(), archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_raw(reader.get());
    archive_entry *entry = nullptr;
    int read = archive_read_open_filename(reader.get(), file.c_str(), 65536);
    if (read == ARCHIVE_OK)
        read = archive_read_next_header(reader.get(), &entry);
    while (read == ARCHIVE_OK || read == ARCHIVE_WARN) {
        const void *buffer = nullptr;
        size_t size = 0;
        la_int64_t at = 0;
        read = archive_read_data_block(reader.get(), &buffer, &size, &at);
        if (read != ARCHIVE_OK && read != ARCHIVE_WARN)
            break;
        const std::string_view block(static_cast<const char *>(buffer), size);
        if (offset < 0) {
            part.Bytes += block;
            if (part.Bytes.size() > count)
                part.Bytes.erase(0, part.Bytes.size() - count);
        } else {
            const std::int64_t from = std::max<std::int64_t>(offset, at);
            const std::int64_t to = std::min<std::int64_t>(offset + std::int64_t(count), at + std::int64_t(size));
            if (from < to)
                part.Bytes += block.substr(size_t(from - at), size_t(to - from));
        }
        part.Length = std::max<std::int64_t>(part.Length, at + std::int64_t(size));
    }
    if (read != ARCHIVE_EOF) {
        const char *error = archive_error_string(reader.get());
        part.Error = error ? error : "the archive cannot be read";
    }
    return part;
}

std::uint64_t LittleEndian(const std::string &bytes, std::size_t at, int size)
{
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + size_t(i)]);
    return value;
}

// A number of RAR 5: 7 bits a byte, lowest first, the top bit set in all
// bytes but the last; its length in bytes, 0 when it does not end in time.
std::size_t ReadRar5Number(const std::string &bytes, std::size_t at, std::uint64_t &value)
{
    value = 0;
    for (std::size_t i = 0; i < 10 && at + i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[at + i]);
        value |= std::uint64_t(byte & 0x7F) << (7 * i);
        if (!(byte & 0x80))
            return i + 1;
    }
    return 0;
}

// The end-of-archive block of RAR 4: the low half of the CRC-32 of the rest,
// the type 0x7B, flags and the block's size, and the fields the flags ask for.
bool EndsWithRar4EndBlock(const std::string &tail)
{
    for (std::size_t size = 7; size <= std::min<std::size_t>(tail.size(), 32); ++size) {
        const std::size_t at = tail.size() - size;
        if (static_cast<unsigned char>(tail[at + 2]) == 0x7B && LittleEndian(tail, at + 5, 2) == size
            && (Crc32(tail.data() + at + 2, size - 2) & 0xFFFF) == LittleEndian(tail, at, 2))
            return true;
    }
    return false;
}

// The end-of-archive block of RAR 5: the CRC-32 of the rest, the size of the
// header that follows the size, and the header: the type 5, flags and the
// end-of-archive flags.
bool EndsWithRar5EndBlock(const std::string &tail)
{
    for (std::size_t size = 8; size <= std::min<std::size_t>(tail.size(), 32); ++size) {
        const std::size_t at = tail.size() - size;
        std::uint64_t headerSize = 0, type = 0;
        const std::size_t sizeLength = ReadRar5Number(tail, at + 4, headerSize);
        if (sizeLength > 0 && 4 + sizeLength + headerSize == size && ReadRar5Number(tail, at + 4 + sizeLength, type) > 0
            && type == 5 && Crc32(tail.data() + at + 4, size - 4) == LittleEndian(tail, at, 4))
            return true;
    }
    return false;
}

// Nothing when the archive ends with the mark of its format; otherwise why
// its stream could not be read again, or that the mark is missing.
std::string Verdict(bool marked, const TStreamPart &part, const char *missing)
{
    if (marked)
        return {};
    if (!part.Error.empty())
        return part.Error;
    return Truncated + std::string(missing);
}

std::string TarEnd(archive *reader, const fs::path &file)
{
    // Where the reader looked for the entry after the last one.
    const TStreamPart part = ReadStream(file, archive_read_header_position(reader), 1024);
    return Verdict(part.Bytes.size() == 1024
                       && std::all_of(part.Bytes.begin(), part.Bytes.end(), [](char c) { return c == 0; }),
                   part, "no end-of-archive marker (two zero blocks) after the last entry");
}

std::string RarEnd(bool rar5, const fs::path &file)
{
    const TStreamPart part = ReadStream(file, -1, 32);
    return Verdict(rar5 ? EndsWithRar5EndBlock(part.Bytes) : EndsWithRar4EndBlock(part.Bytes), part,
                   "no end-of-archive block at its end");
}

// The end-of-central-directory record: its signature, 16 bytes of numbers and
// a comment of the length the last two give, to the end of the archive.
std::string ZipEnd(const fs::path &file)
{
    const std::size_t record = 22;
    const TStreamPart part = ReadStream(file, -1, record + 0xFFFF);
    const std::string_view signature("PK\x05\x06", 4);
    const std::string &tail = part.Bytes;
    bool marked = false;
    for (std::size_t at = tail.rfind(signature); at != std::string::npos && !marked;
         at = at == 0 ? std::string::npos : tail.rfind(signature, at - 1))
        marked = at + record <= tail.size() && at + record + LittleEndian(tail, at + 20, 2) == tail.size();
    return Verdict(marked, part, "no end-of-central-directory record at its end");
}

// The start header: the signature, the version, a CRC, and where the header
// at the end starts (after the start header) and its size.
std::string SevenZipEnd(const fs::path &file)
{
    const std::size_t start = 32;
    const TStreamPart part = ReadStream(file, 0, start);
    if (part.Bytes.size() < start || part.Bytes.compare(0, 6, "7z\xBC\xAF\x27\x1C", 6) != 0)
        return {};
    const std::uint64_t length = start + LittleEndian(part.Bytes, 12, 8) + LittleEndian(part.Bytes, 20, 8);
    if (std::uint64_t(part.Length) >= length)
        return {};
    return Truncated + std::to_string(part.Length) + " of its " + std::to_string(length) + " bytes";
}

} // namespace

std::string MissingArchiveEnd(archive *reader, const fs::path &file)
{
    switch (archive_format(reader) & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_TAR:
        return TarEnd(reader, file);
    case ARCHIVE_FORMAT_RAR:
        return RarEnd(false, file);
    case ARCHIVE_FORMAT_RAR_V5:
        return RarEnd(true, file);
    case ARCHIVE_FORMAT_ZIP:
        return ZipEnd(file);
    case ARCHIVE_FORMAT_7ZIP:
        return SevenZipEnd(file);
    default:
        return {};
    }
}

} // namespace nvqb::unrar
