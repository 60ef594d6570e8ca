// Which bytes of a code page start a two-byte character, for the readers of the backup's text
// files: a trail byte may equal '\', '"', '[' or ']' (0x5C ends the Shift-JIS form of 表) and is
// never taken for one. Portable: the Windows programs fill it from the system, qbmail names the
// code page.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace backupfiles {

class LeadBytes {
public:
    // No lead bytes: single-byte code pages and UTF-8, whose multi-byte characters hold no
    // ASCII bytes.
    LeadBytes() = default;

    // The lead bytes of the double-byte code pages 932 (Shift-JIS), 936 (GBK), 949 (Unified
    // Hangul) and 950 (Big5); none for any other number.
    explicit LeadBytes(unsigned codePage) {
        switch (codePage) {
            case 932:
                Mark(0x81, 0x9F);
                Mark(0xE0, 0xFC);
                break;
            case 936:
            case 949:
            case 950: Mark(0x81, 0xFE); break;
            default: break;
        }
    }

    // Makes every byte from `first` to `last` (both included) a lead byte.
    void Mark(unsigned char first, unsigned char last) {
        for (unsigned b = first; b <= last; ++b) lead_[b] = true;
    }

    bool operator()(char b) const { return lead_[static_cast<unsigned char>(b)]; }

    // Bytes of the character at `pos` of `text` (pos < size): 2 for a lead byte with a byte
    // after it, else 1, so a lead byte at the very end counts alone.
    std::size_t Length(std::string_view text, std::size_t pos) const {
        return (*this)(text[pos]) && pos + 1 < text.size() ? 2 : 1;
    }

private:
    std::array<bool, 256> lead_{};
};

}  // namespace backupfiles
