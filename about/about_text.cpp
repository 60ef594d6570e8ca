#include "about/about_text.h"

namespace about {
namespace {

constexpr wchar_t kBlanks[] = L" \t";

}  // namespace

std::wstring ArgumentOf(const std::wstring& commandLine) {
    std::size_t end = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        end = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        end = commandLine.find_first_of(kBlanks);
        if (end == std::wstring::npos) end = commandLine.size();
    }
    const std::size_t start = commandLine.find_first_not_of(kBlanks, end);
    if (start == std::wstring::npos) return {};
    std::wstring argument = commandLine.substr(start);
    // Started from a shell, the one argument may come in quotes of its own.
    if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"')
        argument = argument.substr(1, argument.size() - 2);
    return argument;
}

AboutText ParseArgument(const std::wstring& argument) {
    AboutText text;
    text.description = argument;
    const std::size_t first = argument.find(L'/');
    const std::size_t second = first == std::wstring::npos ? first : argument.find(L'/', first + 1);
    if (second == std::wstring::npos || first == 0 || second == first + 1) return text;
    text.parsed = true;
    text.name = argument.substr(0, first);
    text.version = argument.substr(first + 1, second - first - 1);
    const std::size_t rest = argument.find_first_not_of(kBlanks, second + 1);
    text.description = rest == std::wstring::npos ? std::wstring() : argument.substr(rest);
    return text;
}

}  // namespace about
