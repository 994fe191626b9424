#include "installer/unrar/ArchiveEnd.h"
#include "installer/unrar/Crc32.h"

#include <archive_entry.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace nvqb::unrar {

namespace {

namespace fs = std::filesystem;

const std::string Truncated = "Truncated archive: ";
const std::string Damaged = "Damaged archive: ";

// Each block of an archive's uncompressed stream, with where it starts in it.
using TVisitor = std::function<void(std::string_view block, std::int64_t at)>;

struct TStream {
    std::int64_t Length = 0;
    std::string Error; // why the stream could not be read to its end
};

// The compression the file's first bytes announce; empty for none known.
std::string CompressionOf(const fs::path &file)
{
    static const std::pair<std::string_view, const char *> Magics[] = {
        {std::string_view("\x1F\x8B", 2), "gzip"},
        {std::string_view("BZh", 3), "bzip2"},
        {std::string_view("\xFD" "7zXZ\0", 6), "xz"},
        {std::string_view("\x28\xB5\x2F\xFD", 4), "zstd"},
        {std::string_view("\x1F\x9D", 2), "compress"},
        {std::string_view("LZIP", 4), "lzip"},
        {std::string_view("\x04\x22\x4D\x18", 4), "lz4"},
        {std::string_view("\x89LZO", 4), "lzop"},
    };
    std::ifstream in(file, std::ios::binary);
    char start[8] = {};
    in.read(start, sizeof start);
    const std::string_view head(start, std::size_t(in.gcount()));
    for (const auto &[magic, name] : Magics)
        if (head.substr(0, magic.size()) == magic)
            return name;
    return {};
}

// Reads the archive's stream from the file again, through the compression
// libarchive finds on it, to its end, handing every block to visit. Some
// decompressors fail without a reason (gzip on a trailer cut short); the
// compression is named then.
TStream ReadStream(const fs::path &file, const TVisitor &visit)
{
    TStream stream;
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
        if (visit)
            visit(std::string_view(static_cast<const char *>(buffer), size), at);
        stream.Length = std::max<std::int64_t>(stream.Length, at + std::int64_t(size));
    }
    if (read != ARCHIVE_EOF) {
        const char *error = archive_error_string(reader.get());
        if (error && *error) {
            stream.Error = error;
        } else {
            const std::string compression = CompressionOf(file);
            stream.Error = Damaged
                + (compression.empty() ? std::string("it cannot be read to its end")
                                       : "the " + compression + " stream cannot be read to its end");
        }
    }
    return stream;
}

// Count bytes of the stream from an offset on.
struct TRange {
    std::int64_t Offset = 0;
    std::size_t Count = 0;
    std::string Bytes;
};

// Copies what the block holds of each range.
void Collect(std::vector<TRange> &ranges, std::string_view block, std::int64_t at)
{
    const std::int64_t end = at + std::int64_t(block.size());
    for (TRange &range : ranges) {
        // Blocks come in order: a range takes on where it stopped.
        const std::int64_t from = std::max<std::int64_t>(range.Offset + std::int64_t(range.Bytes.size()), at);
        const std::int64_t to = std::min<std::int64_t>(range.Offset + std::int64_t(range.Count), end);
        if (from < to)
            range.Bytes += block.substr(std::size_t(from - at), std::size_t(to - from));
    }
}

// The last count bytes of the stream.
struct TTail {
    std::size_t Count = 0;
    std::string Bytes;

    void operator()(std::string_view block)
    {
        if (block.size() >= Count) {
            Bytes.assign(block.substr(block.size() - Count));
            return;
        }
        Bytes += block;
        if (Bytes.size() > Count)
            Bytes.erase(0, Bytes.size() - Count);
    }
};

std::uint64_t LittleEndian(std::string_view bytes, std::size_t at, int size)
{
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + size_t(i)]);
    return value;
}

// ---------------------------------------------------------------------------
// tar

const std::size_t TarBlock = 512;

// A number of a tar header: octal digits between blanks or NULs, or, with the
// top bit of its first byte set, a big-endian binary number.
bool TarNumber(std::string_view field, std::uint64_t &value)
{
    value = 0;
    if (static_cast<unsigned char>(field[0]) & 0x80) {
        for (std::size_t i = 1; i < field.size(); ++i)
            value = (value << 8) | static_cast<unsigned char>(field[i]);
        return true;
    }
    bool digits = false;
    for (const char c : field) {
        if (c >= '0' && c <= '7') {
            value = value * 8 + std::uint64_t(c - '0');
            digits = true;
        } else if (c == ' ' || c == '\0') {
            if (digits)
                break;
        } else {
            return false;
        }
    }
    return digits;
}

// A tar header whose checksum is right (the sum of its bytes, its checksum
// field counted as blanks; old writers summed signed bytes); the size of its
// data in size.
bool IsTarHeader(std::string_view header, std::uint64_t &size)
{
    std::uint64_t stored = 0;
    if (!TarNumber(header.substr(148, 8), stored) || !TarNumber(header.substr(124, 12), size))
        return false;
    std::int64_t unsignedSum = 0;
    std::int64_t signedSum = 0;
    for (std::size_t i = 0; i < TarBlock; ++i) {
        const char c = i >= 148 && i < 156 ? ' ' : header[i];
        unsignedSum += static_cast<unsigned char>(c);
        signedSum += static_cast<signed char>(c);
    }
    return std::int64_t(stored) == unsignedSum || std::int64_t(stored) == signedSum;
}

// Walks the headers that follow the position where libarchive found the end
// of the entries: headers it reads on its own (a pax global header, a long
// name) stand between the last entry and the two zero blocks.
class TTarWalk {
public:
    explicit TTarWalk(std::int64_t at) : FNext(std::max<std::int64_t>(at, 0)) {}

    void operator()(std::string_view block, std::int64_t at)
    {
        while (FState == tsWalking) {
            // The buffer holds the stream from FNext on.
            const std::int64_t want = FNext + std::int64_t(FBuffer.size());
            const std::int64_t end = at + std::int64_t(block.size());
            if (want >= end)
                return;
            if (want >= at)
                FBuffer += block.substr(std::size_t(want - at),
                                        std::min<std::size_t>(2 * TarBlock - FBuffer.size(), std::size_t(end - want)));
            if (FBuffer.size() < 2 * TarBlock)
                return;
            Step();
        }
    }

    bool Marked() const { return FState == tsMarked; }

private:
    void Step()
    {
        const std::string_view first(FBuffer.data(), TarBlock);
        if (std::all_of(first.begin(), first.end(), [](char c) { return c == 0; })) {
            FState = std::all_of(FBuffer.begin() + TarBlock, FBuffer.end(), [](char c) { return c == 0; }) ? tsMarked
                                                                                                              : tsUnmarked;
            return;
        }
        std::uint64_t size = 0;
        // A size no archive has is a damaged header.
        if (!IsTarHeader(first, size) || size > (std::uint64_t(1) << 62)) {
            FState = tsUnmarked;
            return;
        }
        const std::uint64_t padded = (size + TarBlock - 1) / TarBlock * TarBlock;
        const std::uint64_t step = TarBlock + padded;
        if (step >= FBuffer.size()) {
            FBuffer.clear();
        } else {
            FBuffer.erase(0, std::size_t(step));
        }
        FNext += std::int64_t(step);
    }

    enum { tsWalking, tsMarked, tsUnmarked } FState = tsWalking;
    std::int64_t FNext;
    std::string FBuffer;
};

std::string TarEnd(archive *reader, const fs::path &file)
{
    // Where the reader looked for the entry after the last one.
    TTarWalk walk(archive_read_header_position(reader));
    const TStream stream = ReadStream(file, std::ref(walk));
    if (!stream.Error.empty())
        return stream.Error;
    if (stream.Length % std::int64_t(TarBlock) != 0)
        return Truncated + "it ends inside a block of 512 bytes";
    if (!walk.Marked())
        return Truncated + "no end-of-archive marker (two zero blocks) after the last entry";
    return {};
}

// ---------------------------------------------------------------------------
// RAR

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

std::string RarEnd(bool rar5, const fs::path &file)
{
    TTail tail{32, {}};
    const TStream stream = ReadStream(file, [&tail](std::string_view block, std::int64_t) { tail(block); });
    if (!stream.Error.empty())
        return stream.Error;
    if (!(rar5 ? EndsWithRar5EndBlock(tail.Bytes) : EndsWithRar4EndBlock(tail.Bytes)))
        return Truncated + "no end-of-archive block at its end";
    return {};
}

// ---------------------------------------------------------------------------
// zip

const std::string_view LocalHeader("PK\x03\x04", 4);
const std::string_view DirectoryHeader("PK\x01\x02", 4);
const std::string_view EndRecord("PK\x05\x06", 4);
const std::string_view Zip64EndRecord("PK\x06\x06", 4);
const std::string_view Zip64Locator("PK\x06\x07", 4);

// Where the central directory that the end record points to lies in the
// file, and how many entries it lists.
struct TDirectory {
    std::int64_t Start = 0;
    std::int64_t End = 0;
    std::int64_t Base = 0; // what stands before the archive (a self-extractor's program)
    std::uint64_t Entries = 0;
};

// The end-of-central-directory record ending the tail (its signature, 16
// bytes of numbers and a comment of the length the last two give), with the
// zip64 end record where its numbers overflow. False when there is none or
// its numbers do not fit the file.
bool FindDirectory(const std::string &tail, std::int64_t tailAt, TDirectory &directory, bool &found)
{
    const std::size_t record = 22;
    std::size_t at = std::string::npos;
    for (std::size_t candidate = tail.rfind(EndRecord); candidate != std::string::npos;
         candidate = candidate == 0 ? std::string::npos : tail.rfind(EndRecord, candidate - 1))
        if (candidate + record <= tail.size() && candidate + record + LittleEndian(tail, candidate + 20, 2) == tail.size()) {
            at = candidate;
            break;
        }
    found = at != std::string::npos;
    if (!found)
        return false;
    std::uint64_t entries = LittleEndian(tail, at + 10, 2);
    std::uint64_t size = LittleEndian(tail, at + 12, 4);
    std::uint64_t offset = LittleEndian(tail, at + 16, 4);
    std::int64_t end = tailAt + std::int64_t(at);
    if (entries == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
        // The zip64 locator stands right before the record, the zip64 end
        // record right before the locator.
        if (at < 20 || tail.compare(at - 20, 4, Zip64Locator) != 0)
            return false;
        const std::size_t locator = at - 20;
        std::size_t zip64 = std::string::npos;
        for (std::size_t candidate = tail.rfind(Zip64EndRecord, locator); candidate != std::string::npos;
             candidate = candidate == 0 ? std::string::npos : tail.rfind(Zip64EndRecord, candidate - 1))
            if (candidate + 56 <= locator && candidate + 12 + LittleEndian(tail, candidate + 4, 8) == locator) {
                zip64 = candidate;
                break;
            }
        if (zip64 == std::string::npos)
            return false;
        entries = LittleEndian(tail, zip64 + 32, 8);
        size = LittleEndian(tail, zip64 + 40, 8);
        offset = LittleEndian(tail, zip64 + 48, 8);
        end = tailAt + std::int64_t(zip64);
    }
    if (size > std::uint64_t(end) || offset > std::uint64_t(end) - size)
        return false;
    directory.End = end;
    directory.Start = end - std::int64_t(size);
    directory.Base = directory.Start - std::int64_t(offset);
    directory.Entries = entries;
    return true;
}

struct TListedEntry {
    std::int64_t At = 0; // its local header in the file
    std::string Name;
};

// The entries the central directory lists, each record a signature, numbers,
// the name, extra fields and a comment; false when it is not made of as many
// records as the end record says, or an entry's header would not lie before
// the directory.
bool ReadDirectory(const std::string &bytes, const TDirectory &directory, std::vector<TListedEntry> &entries)
{
    std::size_t p = 0;
    for (std::uint64_t i = 0; i < directory.Entries; ++i) {
        if (p + 46 > bytes.size() || bytes.compare(p, 4, DirectoryHeader) != 0)
            return false;
        const std::size_t nameLength = LittleEndian(bytes, p + 28, 2);
        const std::size_t extraLength = LittleEndian(bytes, p + 30, 2);
        const std::size_t commentLength = LittleEndian(bytes, p + 32, 2);
        const std::size_t extra = p + 46 + nameLength;
        if (extra + extraLength + commentLength > bytes.size())
            return false;
        std::uint64_t local = LittleEndian(bytes, p + 42, 4);
        if (local == 0xFFFFFFFF) {
            // In the zip64 extra field, after those of the two sizes that
            // overflow as well.
            const std::size_t skip = (LittleEndian(bytes, p + 24, 4) == 0xFFFFFFFF ? 8 : 0)
                + (LittleEndian(bytes, p + 20, 4) == 0xFFFFFFFF ? 8 : 0);
            bool found = false;
            for (std::size_t e = extra; e + 4 <= extra + extraLength; e += 4 + LittleEndian(bytes, e + 2, 2))
                if (LittleEndian(bytes, e, 2) == 1) {
                    found = skip + 8 <= LittleEndian(bytes, e + 2, 2) && e + 4 + skip + 8 <= extra + extraLength;
                    if (found)
                        local = LittleEndian(bytes, e + 4 + skip, 8);
                    break;
                }
            if (!found)
                return false;
        }
        if (local >= std::uint64_t(directory.Start - directory.Base))
            return false;
        entries.push_back({directory.Base + std::int64_t(local), bytes.substr(p + 46, nameLength)});
        p = extra + extraLength + commentLength;
    }
    return p == bytes.size();
}

// The end-of-central-directory record must end the archive, and the central
// directory it points to must list the entries that stand where it says. A
// zip cut right after a member that is itself a zip ends with that member's
// end record, whose directory lists the member's entries: that it is not the
// archive's own shows in what stands before them, an entry the directory
// does not list.
std::string ZipEnd(const fs::path &file)
{
    const std::string mismatch = Damaged + "its central directory does not match the entries it lists";
    TTail tail{22 + 0xFFFF + 20 + 56, {}};
    std::vector<TRange> start{{0, LocalHeader.size(), {}}};
    TStream stream = ReadStream(file, [&](std::string_view block, std::int64_t at) {
        tail(block);
        Collect(start, block, at);
    });
    if (!stream.Error.empty())
        return stream.Error;
    const std::int64_t tailAt = stream.Length - std::int64_t(tail.Bytes.size());
    TDirectory directory;
    bool found = false;
    if (!FindDirectory(tail.Bytes, tailAt, directory, found))
        return found ? mismatch : Truncated + "no end-of-central-directory record at its end";

    std::string bytes;
    if (directory.Start >= tailAt) {
        bytes = tail.Bytes.substr(std::size_t(directory.Start - tailAt), std::size_t(directory.End - directory.Start));
    } else {
        std::vector<TRange> range{{directory.Start, std::size_t(directory.End - directory.Start), {}}};
        stream = ReadStream(file, [&range](std::string_view block, std::int64_t at) { Collect(range, block, at); });
        if (!stream.Error.empty())
            return stream.Error;
        bytes = std::move(range.front().Bytes);
    }
    std::vector<TListedEntry> entries;
    if (!ReadDirectory(bytes, directory, entries))
        return mismatch;

    std::int64_t first = directory.Start;
    for (const TListedEntry &entry : entries)
        first = std::min(first, entry.At);
    if (first > 0 && start.front().Bytes == LocalHeader)
        return Truncated + "the end-of-central-directory record at its end is that of an archive stored in it";

    // Each local header: its signature, numbers, the length of its name at
    // 26, and the name at 30.
    std::vector<TRange> headers;
    headers.reserve(entries.size());
    for (const TListedEntry &entry : entries)
        headers.push_back({entry.At, 30 + entry.Name.size(), {}});
    if (!headers.empty()) {
        stream = ReadStream(file, [&headers](std::string_view block, std::int64_t at) { Collect(headers, block, at); });
        if (!stream.Error.empty())
            return stream.Error;
    }
    for (std::size_t k = 0; k < headers.size(); ++k) {
        const std::string &header = headers[k].Bytes;
        const std::string &name = entries[k].Name;
        if (header.size() != headers[k].Count || header.compare(0, 4, LocalHeader) != 0
            || LittleEndian(header, 26, 2) != name.size() || header.compare(30, name.size(), name) != 0)
            return mismatch;
    }
    return {};
}

// ---------------------------------------------------------------------------
// 7z

// The start header: the signature, the version, a CRC, and where the header
// at the end starts (after the start header) and its size.
std::string SevenZipEnd(const fs::path &file)
{
    const std::size_t start = 32;
    std::vector<TRange> range{{0, start, {}}};
    const TStream stream = ReadStream(file, [&range](std::string_view block, std::int64_t at) { Collect(range, block, at); });
    if (!stream.Error.empty())
        return stream.Error;
    const std::string &bytes = range.front().Bytes;
    if (bytes.size() < 6 || bytes.compare(0, 6, "7z\xBC\xAF\x27\x1C", 6) != 0)
        return {};
    if (bytes.size() < start)
        return Truncated + std::to_string(stream.Length) + " of the " + std::to_string(start) + " bytes of its start header";
    const std::uint64_t length = start + LittleEndian(bytes, 12, 8) + LittleEndian(bytes, 20, 8);
    if (std::uint64_t(stream.Length) >= length)
        return {};
    return Truncated + std::to_string(stream.Length) + " of its " + std::to_string(length) + " bytes";
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

std::string ReadFailure(archive *reader, const fs::path &file)
{
    if (const char *text = archive_error_string(reader); text && *text)
        return text;
    if (std::string missing = MissingArchiveEnd(reader, file); !missing.empty())
        return missing;
    if (TStream stream = ReadStream(file, nullptr); !stream.Error.empty())
        return stream.Error;
    return Damaged + "it cannot be read";
}

} // namespace nvqb::unrar
