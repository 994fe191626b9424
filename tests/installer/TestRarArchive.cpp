#include "TestRarArchive.h"
#include "installer/unrar/Crc32.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace nvqb::test {

namespace {

using nvqb::unrar::Crc32;

// Every entry was last changed on 14 November 2023, as a DOS time (RAR 4) or
// a Unix time (RAR 5).
const std::uint32_t DosTime = 0x576E0000;
const std::uint32_t UnixTime = 1699920000;
// The Windows attributes of a folder and of an archived file.
const std::uint32_t FolderAttribute = 0x10;
const std::uint32_t FileAttribute = 0x20;

void Put16(QByteArray &bytes, std::uint32_t value)
{
    bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

void Put32(QByteArray &bytes, std::uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

std::uint32_t Crc(const QByteArray &bytes)
{
    return Crc32(bytes.constData(), size_t(bytes.size()));
}

// RAR 4: blocks of a 16-bit CRC (the low half of the CRC-32 of the rest of
// the block header), the type, flags and the header's size.
QByteArray Rar4Block(unsigned char type, std::uint32_t flags, const QByteArray &fields)
{
    QByteArray header;
    header.append(char(type));
    Put16(header, flags);
    Put16(header, std::uint32_t(2 + header.size() + 2 + fields.size()));
    header += fields;
    QByteArray block;
    Put16(block, Crc(header) & 0xFFFF);
    return block + header;
}

const std::uint32_t LongBlock = 0x8000, FolderFlags = 0x00E0, SkipIfUnknown = 0x4000;

QByteArray Rar4FileHeader(const QString &path, bool folder, const QByteArray &data)
{
    const QByteArray name = path.toUtf8().replace('/', '\\');
    QByteArray fields;
    Put32(fields, std::uint32_t(data.size())); // packed
    Put32(fields, std::uint32_t(data.size())); // unpacked
    fields.append(char(2));                    // made on Windows
    Put32(fields, Crc(data));
    Put32(fields, DosTime);
    fields.append(char(29)).append(char(0x30)); // version to extract, stored
    Put16(fields, std::uint32_t(name.size()));
    Put32(fields, folder ? FolderAttribute : FileAttribute);
    fields += name;
    return Rar4Block(0x74, LongBlock | (folder ? FolderFlags : 0), fields);
}

// RAR 5: numbers in 7-bit groups, blocks of the CRC-32 of the rest of the
// header, the header's size and the header (type, flags, fields).
void PutNumber(QByteArray &bytes, std::uint64_t value)
{
    while (value >= 0x80) {
        bytes.append(char((value & 0x7F) | 0x80));
        value >>= 7;
    }
    bytes.append(char(value));
}

QByteArray Rar5Block(std::uint64_t type, std::uint64_t flags, const QByteArray &fields)
{
    QByteArray header;
    PutNumber(header, type);
    PutNumber(header, flags);
    header += fields;
    QByteArray sized;
    PutNumber(sized, std::uint64_t(header.size()));
    sized += header;
    QByteArray block;
    Put32(block, Crc(sized));
    return block + sized;
}

const std::uint64_t HasData = 0x0002, IsFolder = 0x0001, HasTime = 0x0002, HasCrc = 0x0004;

QByteArray Rar5FileHeader(const QString &path, bool folder, const QByteArray &data)
{
    const QByteArray name = path.toUtf8();
    QByteArray fields;
    PutNumber(fields, std::uint64_t(data.size())); // the data area, empty for a folder
    PutNumber(fields, folder ? IsFolder | HasTime : HasTime | HasCrc);
    PutNumber(fields, std::uint64_t(data.size()));
    PutNumber(fields, folder ? FolderAttribute : FileAttribute);
    Put32(fields, UnixTime);
    if (!folder)
        Put32(fields, Crc(data));
    PutNumber(fields, 0); // stored
    PutNumber(fields, 0); // made on Windows
    PutNumber(fields, std::uint64_t(name.size()));
    fields += name;
    return Rar5Block(2, HasData, fields);
}

} // namespace

QByteArray RarArchive(const std::vector<TArchiveEntry> &entries, TRarVersion version)
{
    const bool rar4 = version == TRarVersion::Rar4;
    // The signature and the main header, with no flags.
    QByteArray archive = rar4 ? QByteArray("Rar!\x1A\x07\x00", 7) + Rar4Block(0x73, 0, QByteArray(6, '\0'))
                              : QByteArray("Rar!\x1A\x07\x01\x00", 8) + Rar5Block(1, 0, QByteArray(1, '\0'));
    for (const TArchiveEntry &entry : entries) {
        const bool folder = entry.Kind == TArchiveEntry::Folder;
        if (!folder && entry.Kind != TArchiveEntry::File) {
            ADD_FAILURE() << "a RAR archive of the tests holds files and folders only: " << entry.Path.toStdString();
            continue;
        }
        const QByteArray data = folder ? QByteArray() : entry.Content;
        archive += (rar4 ? Rar4FileHeader(entry.Path, folder, data) : Rar5FileHeader(entry.Path, folder, data)) + data;
    }
    // The end-of-archive block, with no fields.
    return archive + (rar4 ? Rar4Block(0x7B, SkipIfUnknown, QByteArray()) : Rar5Block(5, 0, QByteArray(1, '\0')));
}

} // namespace nvqb::test
