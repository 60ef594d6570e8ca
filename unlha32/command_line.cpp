// Command-line parsing for Unlha.
#include "unlha32/command_line.h"

namespace unlha {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Applies one switch group such as "-x1m1" (without the dash) to `o`. Each switch is a
// letter with the one value we define; anything else is an error.
bool ApplySwitches(const std::wstring& group, Options& o, std::wstring& error) {
    std::size_t i = 0;
    while (i < group.size()) {
        const std::wstring rest = group.substr(i);
        auto take = [&](const wchar_t* text, bool& flag) {
            const std::wstring t(text);
            if (rest.compare(0, t.size(), t) != 0) return false;
            flag = true;
            i += t.size();
            return true;
        };
        if (take(L"r2", o.recurse) || take(L"x1", o.keepPaths) || take(L"a2", o.allFiles) ||
            take(L"jss", o.sorted) || take(L"m1", o.overwrite))
            continue;
        error = L"unknown switch -" + rest;
        return false;
    }
    if (group.empty()) {
        error = L"empty switch -";
        return false;
    }
    return true;
}

}  // namespace

bool SplitArguments(const std::wstring& text, std::vector<std::wstring>& args, std::vector<bool>& quoted) {
    args.clear();
    quoted.clear();
    bool inQuotes = false, inArg = false, anyQuote = false;
    std::wstring cur;
    for (wchar_t c : text) {
        if (c == L'"') {
            inQuotes = !inQuotes;
            inArg = anyQuote = true;
        } else if (!inQuotes && IsBlank(c)) {
            if (inArg) {
                args.push_back(cur);
                quoted.push_back(anyQuote);
            }
            cur.clear();
            inArg = anyQuote = false;
        } else {
            cur.push_back(c);
            inArg = true;
        }
    }
    if (inArg) {
        args.push_back(cur);
        quoted.push_back(anyQuote);
    }
    return !inQuotes;
}

bool NamesFolder(const std::wstring& arg) { return !arg.empty() && arg.back() == L'\\'; }

std::wstring StripTrailingBackslashes(const std::wstring& arg) {
    std::wstring s = arg;
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    if (s.size() == 2 && s[1] == L':') s.push_back(L'\\');
    return s;
}

bool ParseCommandLine(const std::wstring& text, CommandLine& out, std::wstring& error) {
    out = CommandLine{};
    std::vector<std::wstring> args;
    std::vector<bool> quoted;
    if (!SplitArguments(text, args, quoted)) {
        error = L"unclosed quote";
        return false;
    }
    if (args.empty()) {
        error = L"no command";
        return false;
    }
    const std::wstring& cmd = args[0];
    if (cmd == L"a") out.command = Command::Add;
    else if (cmd == L"e") out.command = Command::Extract;
    else if (cmd == L"l") out.command = Command::List;
    else if (cmd == L"t") out.command = Command::Test;
    else {
        error = L"unknown command " + cmd;
        return false;
    }
    std::vector<std::wstring> rest;
    bool selection = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (!quoted[i] && !args[i].empty() && args[i][0] == L'-') {
            if (!ApplySwitches(args[i].substr(1), out.options, error)) return false;
        } else if (!quoted[i] && args[i] == L"*" && !rest.empty()) {
            selection = true;
        } else if (selection) {
            error = L"argument after the member selection: " + args[i];
            return false;
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.empty() || rest[0].empty()) {
        error = L"no archive named";
        return false;
    }
    out.archive = rest[0];
    const Options& o = out.options;
    switch (out.command) {
    case Command::Add:
        if (o.overwrite || selection) {
            error = o.overwrite ? L"-m1 does not apply to a" : L"member selection does not apply to a";
            return false;
        }
        out.sources.assign(rest.begin() + 1, rest.end());
        if (out.sources.empty()) {
            error = L"nothing to add";
            return false;
        }
        for (const auto& s : out.sources)
            if (StripTrailingBackslashes(s).empty()) {
                error = L"empty source name";
                return false;
            }
        break;
    case Command::Extract:
        if (o.recurse || o.allFiles || o.sorted) {
            error = L"-r2, -a2 and -jss do not apply to e";
            return false;
        }
        if (rest.size() != 2 || !NamesFolder(rest[1])) {
            error = L"e needs one destination folder ending in a backslash";
            return false;
        }
        out.destination = StripTrailingBackslashes(rest[1]);
        if (out.destination.empty()) {
            error = L"empty destination";
            return false;
        }
        break;
    case Command::List:
    case Command::Test:
        if (rest.size() != 1 || o.recurse || o.allFiles || o.sorted || o.overwrite || o.keepPaths) {
            error = L"l and t take the archive only";
            return false;
        }
        break;
    }
    return true;
}

}  // namespace unlha
