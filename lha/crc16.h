// CRC-16 as LHA archives use it (polynomial 0xA001 reflected, initial value 0).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lha {

// Continues a CRC over `size` bytes; start with crc = 0.
std::uint16_t crc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace lha
