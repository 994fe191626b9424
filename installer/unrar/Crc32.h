#pragma once
// The CRC-32 that zip, RAR and 7z keep of their headers and data (the
// reflected polynomial 0xEDB88320, as zlib computes it).
#include <cstddef>
#include <cstdint>

namespace nvqb::unrar {

// The CRC of size bytes, continued from crc (0 to start).
std::uint32_t Crc32(const void *data, std::size_t size, std::uint32_t crc = 0);

} // namespace nvqb::unrar
