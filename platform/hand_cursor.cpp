// The pointing-hand cursor of the page selectors, drawn here so no cursor file has to ship.
#include "platform/form.h"

#include <array>
#include <cstdint>

namespace platform {
namespace {

// '#' black outline, '.' white fill, ' ' transparent. 32 x 32, hot spot at the fingertip (12, 1).
constexpr std::array<const char*, 32> kHand = {
    "           ##                   ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..###                ",
    "          #..#..###             ",
    "          #..#..#..##           ",
    "          #..#..#..#.#          ",
    "       ## #..#..#..#..#         ",
    "      #..##........#..#         ",
    "      #...#...........#         ",
    "       #..#...........#         ",
    "        #.............#         ",
    "        #.............#         ",
    "         #...........#          ",
    "         #...........#          ",
    "          #.........#           ",
    "          #.........#           ",
    "          ###########           ",
    "", "", "", "", "", "", "", "", "", "", "", "",
};

}  // namespace

HCURSOR CreateHandCursor() {
    // Monochrome cursor planes: AND 1 = keep the screen, XOR 1 = white.
    std::uint8_t andPlane[32 * 4];
    std::uint8_t xorPlane[32 * 4] = {};
    for (auto& b : andPlane) b = 0xFF;
    for (int y = 0; y < 32; ++y) {
        const char* row = kHand[static_cast<std::size_t>(y)];
        for (int x = 0; x < 32 && row[x]; ++x) {
            const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
            if (row[x] == ' ') continue;
            andPlane[y * 4 + x / 8] &= static_cast<std::uint8_t>(~bit);
            if (row[x] == '.') xorPlane[y * 4 + x / 8] |= bit;
        }
    }
    return CreateCursor(GetModuleHandleW(nullptr), 12, 1, 32, 32, andPlane, xorPlane);
}

}  // namespace platform
