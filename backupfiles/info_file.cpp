#include "backupfiles/info_file.h"

#include <algorithm>

namespace backupfiles {
namespace {

using std::string_view;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

string_view Trim(string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(string_view a, string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

// Position of the last ']' of the line that is a character of its own; npos when none.
std::size_t LastCloseBracket(string_view line, const LeadBytes& lead) {
    std::size_t found = string_view::npos;
    for (std::size_t i = 0; i < line.size(); i += lead.Length(line, i))
        if (line[i] == ']') found = i;
    return found;
}

// The value as the profile call gives it: cut at a NUL, trimmed, one pair of matching quotes
// around it removed (a lone quote stays).
std::string CleanValue(string_view value) {
    value = Trim(value.substr(0, value.find('\0')));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

}  // namespace

std::optional<std::string> InfoFile::Value(string_view key) const {
    for (const InfoEntry& e : entries)
        if (SameName(e.key, key)) return e.value;
    return std::nullopt;
}

InfoFile ReadInfoFile(string_view bytes, const LeadBytes& lead) {
    InfoFile out;
    if (bytes.size() > kMaxInfoFileBytes) {
        out.tooLarge = true;
        return out;
    }
    enum class Where { kBefore, kMain, kAfter } where = Where::kBefore;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == string_view::npos) end = bytes.size();
        const string_view line = Trim(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        const std::size_t close = line.front() == '[' ? LastCloseBracket(line, lead) : string_view::npos;
        if (close != string_view::npos) {
            // Only the first [main] block counts; a later one reads as any other section.
            const bool main = where == Where::kBefore && SameName(Trim(line.substr(1, close - 1)), kInfoSection);
            where = main ? Where::kMain : where == Where::kBefore ? Where::kBefore : Where::kAfter;
            out.hasMain = out.hasMain || main;
            continue;
        }
        if (where != Where::kMain) continue;
        const std::size_t equals = line.find('=');
        InfoEntry entry{std::string(Trim(line.substr(0, equals))), std::nullopt};
        if (equals != string_view::npos) entry.value = CleanValue(line.substr(equals + 1));
        const auto same = [&entry](const InfoEntry& e) { return SameName(e.key, entry.key); };
        if (std::none_of(out.entries.begin(), out.entries.end(), same)) out.entries.push_back(std::move(entry));
    }
    return out;
}

std::vector<InfoFault> CheckInfoFile(string_view bytes, const LeadBytes& lead) {
    const InfoFile info = ReadInfoFile(bytes, lead);
    if (info.tooLarge) return {{InfoProblem::kTooLarge, {}}};
    std::vector<InfoFault> faults;
    std::string firstLine(kInfoMarkerLine);
    firstLine += "\r\n";
    if (!bytes.starts_with(firstLine)) faults.push_back({InfoProblem::kNoMarker, {}});
    if (!info.hasMain) faults.push_back({InfoProblem::kNoMainSection, {}});
    for (string_view key : kInfoKeys) {
        const std::optional<std::string> value = info.Value(key);
        if (!value)
            faults.push_back({InfoProblem::kMissingKey, key});
        else if (value->empty())
            faults.push_back({InfoProblem::kEmptyValue, key});
        else if (value->size() > kMaxInfoValueBytes)
            faults.push_back({InfoProblem::kValueTooLong, key});
    }
    if (!bytes.ends_with("\r\n")) faults.push_back({InfoProblem::kNoFinalLineBreak, {}});
    return faults;
}

}  // namespace backupfiles
