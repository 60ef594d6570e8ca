#include "lha/crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint16_t bitwiseCrc(const std::uint8_t* p, std::size_t n) {
    unsigned c = 0;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
    }
    return static_cast<std::uint16_t>(c);
}

TEST(Crc16, KnownValues) {
    struct Row { const char* text; std::uint16_t crc; };
    const Row rows[] = {{"", 0x0000}, {"a", 0xE8C1}, {"123456789", 0xBB3D}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(r.crc, lha::crc16(0, reinterpret_cast<const std::uint8_t*>(r.text), std::strlen(r.text)));
    }
}

TEST(Crc16, WordPathMatchesBitwiseForEveryLengthAndSplit) {
    std::vector<std::uint8_t> data(67);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (std::size_t n = 0; n <= data.size(); ++n) {
        const std::uint16_t want = bitwiseCrc(data.data(), n);
        EXPECT_EQ(want, lha::crc16(0, data.data(), n)) << n;
        for (std::size_t cut = 0; cut <= n; cut += 5)
            EXPECT_EQ(want, lha::crc16(lha::crc16(0, data.data(), cut), data.data() + cut, n - cut)) << n << "/" << cut;
    }
}

}  // namespace
