#include "platform/path_text.h"

#include "platform/ansi.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <vector>

namespace PathText {
namespace {

// The ANSI version record without the EX fields; older systems reject any other size.
constexpr DWORD kVersionRecordSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize);

constexpr char kSeparator = '\\';
constexpr char kDots[] = "...";
constexpr std::size_t kDotsLength = 3;

// Character lengths in one code page, so that no cut or separator test lands on a trail byte.
class CharSteps {
public:
    explicit CharSteps(UINT codePage) : utf8_(codePage == CP_UTF8), lead_(codePage) {}

    // Bytes of the character at `pos`; a lead byte at the very end counts alone.
    std::size_t Length(const std::string& text, std::size_t pos) const {
        const auto b = static_cast<unsigned char>(text[pos]);
        std::size_t n = 1;
        if (utf8_)
            n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        else if (lead_(static_cast<char>(b)))
            n = 2;
        return std::min(n, text.size() - pos);
    }

    // The longest run of whole characters from the start that takes at most `maxBytes`.
    std::size_t FitPrefix(const std::string& text, std::size_t maxBytes) const {
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t next = pos + Length(text, pos);
            if (next > maxBytes) break;
            pos = next;
        }
        return pos;
    }

    // Positions of the backslashes that are characters of their own.
    std::vector<std::size_t> Separators(const std::string& text) const {
        std::vector<std::size_t> found;
        for (std::size_t pos = 0; pos < text.size(); pos += Length(text, pos))
            if (text[pos] == kSeparator) found.push_back(pos);
        return found;
    }

private:
    bool utf8_;
    platform::LeadBytes lead_;
};

// Length of the part that is never left out: "C:" or "\\server\share"; 0 for other paths.
// A share path without anything after the share is all prefix.
std::size_t RootLength(const std::string& path, const std::vector<std::size_t>& separators) {
    if (path.size() >= 2 && path[1] == ':') return 2;
    if (path.size() < 2 || path[0] != kSeparator || path[1] != kSeparator) return 0;
    int seen = 0;
    for (std::size_t pos : separators)
        if (pos >= 2 && ++seen == 2) return pos;
    return path.size();
}

std::string CutWithDots(const std::string& text, std::size_t limit, const CharSteps& steps) {
    return text.substr(0, steps.FitPrefix(text, limit - kDotsLength)) + kDots;
}

}  // namespace

std::wstring RemoveFileSpec(const std::wstring& path) {
    // Sized to the path: the call only shortens in place and has no length limit of its own.
    std::string buffer = platform::ToAnsi(path);
    buffer.push_back('\0');
    PathRemoveFileSpecA(buffer.data());
    return platform::FromAnsi(platform::TakeUntilNul(buffer.data(), buffer.size()));
}

std::wstring CompactPath(const std::wstring& path, std::int32_t width) {
    return platform::FromAnsi(CompactAnsiPath(platform::ToAnsi(path), width, GetACP()));
}

std::string CompactAnsiPath(const std::string& path, std::int32_t width, std::uint32_t codePage) {
    const std::int64_t signedLimit = static_cast<std::int64_t>(width) - 1;
    if (signedLimit >= static_cast<std::int64_t>(path.size())) return path;
    if (signedLimit <= static_cast<std::int64_t>(kDotsLength))
        return std::string(kDots, static_cast<std::size_t>(std::max<std::int64_t>(signedLimit, 0)));
    const auto limit = static_cast<std::size_t>(signedLimit);

    const CharSteps steps(codePage);
    const std::vector<std::size_t> all = steps.Separators(path);
    const std::size_t root = RootLength(path, all);
    // Separators that start an element after the root; a trailing one belongs to the last element.
    std::vector<std::size_t> seps;
    for (std::size_t pos : all)
        if (pos >= root && pos + 1 < path.size()) seps.push_back(pos);
    if (seps.size() < 2) return CutWithDots(path, limit, steps);

    const std::string tail = path.substr(seps.back());
    // Keep as many whole leading folders as fit; the first candidate is the longest.
    for (std::size_t j = seps.size() - 1; j-- > 0;) {
        std::string candidate = path.substr(0, seps[j]) + kSeparator + kDots + tail;
        if (candidate.size() <= limit) return candidate;
    }
    return CutWithDots(path.substr(0, seps.front()) + kSeparator + kDots + tail, limit, steps);
}

std::uint32_t GetPlatformId() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = kVersionRecordSize;
    if (!GetVersionExA(&info)) return 0;
    return info.dwPlatformId;
}

bool IsNtPlatformId(std::uint32_t platformId) { return (platformId & VER_PLATFORM_WIN32_NT) != 0; }

bool IsWindowsNT() { return IsNtPlatformId(GetPlatformId()); }

}  // namespace PathText
