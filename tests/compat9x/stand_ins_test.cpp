// The 9x stand-ins called directly (under Wine they run over the ANSI functions whatever system
// Wine reports), each judged against what the system's own wide function gives or keeps.
#include "compat9x/compat9x.h"
#include "compat9x/nine.h"
#include "support/registry_sandbox.h"
#include "support/snapshots.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

namespace nine = compat9x::nine;
using testsupport::ScratchDir;
using testsupport::Widen;

// Text the ANSI code page holds: Japanese under 932, Latin-1 under 1252.
std::wstring LocalText() { return GetACP() == 932 ? L"受信トレイ 日本" : L"Boîte Größe"; }

// Windows made as the 9x family makes them: ANSI windows.
HWND AnsiChild(HWND parent, const char* cls, DWORD style) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 200, 100, parent, nullptr, nullptr, nullptr);
}

TEST(StandIns, MessagesThatCarryTextComeBackWhole) {
    // The run that asks for a double-byte code page must have it: under 1252 every character is a
    // byte, so a length in bytes would pass for one in characters.
    if (const char* asked = std::getenv("QB_CODEPAGE")) {
        ASSERT_EQ(std::strtoul(asked, nullptr, 10), GetACP());
    }
    testsupport::TestWindow owner;
    const std::wstring text = LocalText();
    struct Row {
        const char* what;
        const char* cls;
        DWORD style;
        UINT add, getLength, get;  // add 0: WM_SETTEXT / WM_GETTEXT
    };
    const Row rows[] = {
        {"edit", "EDIT", 0, 0, WM_GETTEXTLENGTH, WM_GETTEXT},
        {"static", "STATIC", 0, 0, WM_GETTEXTLENGTH, WM_GETTEXT},
        {"list box", "LISTBOX", 0, LB_ADDSTRING, LB_GETTEXTLEN, LB_GETTEXT},
        {"owner-drawn list box with strings", "LISTBOX", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, LB_ADDSTRING,
         LB_GETTEXTLEN, LB_GETTEXT},
        {"combo box", "COMBOBOX", CBS_DROPDOWNLIST, CB_ADDSTRING, CB_GETLBTEXTLEN, CB_GETLBTEXT},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        HWND box = AnsiChild(owner.hwnd(), r.cls, r.style);
        ASSERT_NE(nullptr, box);
        ASSERT_FALSE(IsWindowUnicode(box));
        const LPARAM in = reinterpret_cast<LPARAM>(text.c_str());
        if (r.add) {
            EXPECT_EQ(0, nine::SendMessageW(box, r.add, 0, in));
        } else {
            EXPECT_TRUE(nine::SendMessageW(box, WM_SETTEXT, 0, in));
        }
        const LRESULT length = nine::SendMessageW(box, r.getLength, 0, 0);
        EXPECT_EQ(static_cast<LRESULT>(text.size()), length);
        std::wstring out(text.size() + 8, L'#');
        const LRESULT got = nine::SendMessageW(box, r.get, r.add ? 0 : out.size(), reinterpret_cast<LPARAM>(out.data()));
        EXPECT_EQ(static_cast<LRESULT>(text.size()), got);
        EXPECT_EQ(text, std::wstring(out.c_str()));
        DestroyWindow(box);
    }
    // A list that keeps item data: the "string" is a number and passes untouched.
    HWND data = AnsiChild(owner.hwnd(), "LISTBOX", LBS_OWNERDRAWFIXED);
    EXPECT_EQ(0, nine::SendMessageW(data, LB_ADDSTRING, 0, 0x12345678));
    EXPECT_EQ(0x12345678, SendMessageA(data, LB_GETITEMDATA, 0, 0));
    DestroyWindow(data);
}

TEST(StandIns, WindowTextClassesAndToolTips) {
    testsupport::TestWindow owner;
    const std::wstring text = LocalText();
    HWND edit = AnsiChild(owner.hwnd(), "EDIT", 0);
    EXPECT_TRUE(nine::SetWindowTextW(edit, text.c_str()));
    EXPECT_EQ(static_cast<int>(text.size()), nine::GetWindowTextLengthW(edit));
    wchar_t cut[4] = {};
    EXPECT_EQ(3, nine::GetWindowTextW(edit, cut, 4));  // cut to the buffer, NUL included
    EXPECT_EQ(text.substr(0, 3), std::wstring(cut));
    wchar_t cls[16] = {};
    EXPECT_EQ(4, nine::GetClassNameW(edit, cls, 16));
    EXPECT_EQ(0, lstrcmpiW(L"Edit", cls));

    HWND tips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, owner.hwnd(), nullptr, nullptr, nullptr);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = owner.hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = const_cast<LPWSTR>(text.c_str());
    EXPECT_TRUE(nine::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    wchar_t shown[80] = {};
    TTTOOLINFOW probe = tool;
    probe.lpszText = shown;
    EXPECT_TRUE(nine::SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)));
    EXPECT_EQ(text, std::wstring(shown));
    DestroyWindow(tips);
    DestroyWindow(edit);
}

TEST(StandIns, FilesAndFoldersByWideNames) {
    ScratchDir dir("compat9x");
    const std::wstring folder = Widen(dir.path()) + L"\\" + LocalText();
    ASSERT_TRUE(nine::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring file = folder + L"\\" + LocalText() + L".dbx";
    HANDLE h = nine::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD wrote = 0;
    WriteFile(h, "12345", 5, &wrote, nullptr);
    LARGE_INTEGER size = {}, at = {}, to = {};
    EXPECT_TRUE(nine::GetFileSizeEx(h, &size));
    EXPECT_EQ(5, size.QuadPart);
    to.QuadPart = 2;
    EXPECT_TRUE(nine::SetFilePointerEx(h, to, &at, FILE_BEGIN));
    EXPECT_EQ(2, at.QuadPart);
    CloseHandle(h);

    EXPECT_EQ(GetFileAttributesW(file.c_str()), nine::GetFileAttributesW(file.c_str()));
    WIN32_FIND_DATAW found = {};
    HANDLE find = nine::FindFirstFileW((folder + L"\\*.dbx").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    EXPECT_EQ(LocalText() + L".dbx", std::wstring(found.cFileName));
    EXPECT_EQ(5u, found.nFileSizeLow);
    EXPECT_FALSE(nine::FindNextFileW(find, &found));
    FindClose(find);

    wchar_t full[MAX_PATH] = {};
    LPWSTR part = nullptr;
    EXPECT_EQ(file.size(), nine::GetFullPathNameW(file.c_str(), MAX_PATH, full, &part));
    EXPECT_EQ(file, std::wstring(full));
    EXPECT_EQ(LocalText() + L".dbx", std::wstring(part));
    EXPECT_EQ(file.size() + 1, nine::GetFullPathNameW(file.c_str(), 4, full, nullptr));  // the size it needs

    // Listed, such a name (made here by the system's own call) keeps a mark that no code page
    // holds where the character was: never its short name, and using it reaches no file.
    const std::wstring foreign = folder + L"\\smile\U0001F600.mbx";
    CloseHandle(CreateFileW(foreign.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    find = nine::FindFirstFileW((folder + L"\\smile*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    const std::wstring listed = found.cFileName;
    EXPECT_EQ(0u, listed.find(L"smile\xFFFD")) << testing::PrintToString(listed);
    EXPECT_EQ(std::wstring::npos, listed.find(L'?'));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, nine::GetFileAttributesW((folder + L"\\" + listed).c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    EXPECT_TRUE(DeleteFileW(foreign.c_str()));

    EXPECT_TRUE(nine::DeleteFileW(file.c_str()));
    EXPECT_TRUE(nine::RemoveDirectoryW(folder.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str()));
}

// A name the code page cannot hold reaches no file, least of all its look-alike: "?" in place of
// the character would even be a wildcard on 98. Every stand-in that takes a name refuses it.
TEST(StandIns, ANameTheCodePageLacksReachesNoFile) {
    ScratchDir dir("compat9x-names");
    const std::wstring base = Widen(dir.path()) + L"\\", other = base + L"other";
    const std::wstring file = base + L"Ārvo.dbx", folder = base + L"Ārvo", pattern = base + L"Ārvo*";
    dir.WriteFile("Arvo.dbx", "kept");  // the look-alikes
    ASSERT_TRUE(CreateDirectoryW((base + L"Arvo").c_str(), nullptr));
    dir.WriteFile("other", "other");
    const wchar_t *f = file.c_str(), *d = folder.c_str(), *o = other.c_str();
    WIN32_FILE_ATTRIBUTE_DATA data;
    WIN32_FIND_DATAW found;
    wchar_t full[MAX_PATH], command[] = L"Ārvo.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    auto start = [&](const wchar_t* program, wchar_t* line, const wchar_t* at) {
        return nine::CreateProcessW(program, line, nullptr, nullptr, FALSE, 0, nullptr, at, &startup, &process);
    };
    const std::pair<const char*, std::function<bool()>> refused[] = {
        {"CreateFileW", [&] { return nine::CreateFileW(f, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr) == INVALID_HANDLE_VALUE; }},
        {"CreateDirectoryW", [&] { return !nine::CreateDirectoryW(d, nullptr); }},
        {"RemoveDirectoryW", [&] { return !nine::RemoveDirectoryW(d); }},
        {"DeleteFileW", [&] { return !nine::DeleteFileW(f); }},
        {"GetFileAttributesW", [&] { return nine::GetFileAttributesW(f) == INVALID_FILE_ATTRIBUTES; }},
        {"GetFileAttributesExW", [&] { return !nine::GetFileAttributesExW(f, GetFileExInfoStandard, &data); }},
        {"SetFileAttributesW", [&] { return !nine::SetFileAttributesW(f, FILE_ATTRIBUTE_READONLY); }},
        {"MoveFileW from", [&] { return !nine::MoveFileW(f, (base + L"moved").c_str()); }},
        {"MoveFileW to", [&] { return !nine::MoveFileW(o, f); }},
        {"MoveFileExW from", [&] { return !nine::MoveFileExW(f, o, MOVEFILE_REPLACE_EXISTING); }},
        {"MoveFileExW to", [&] { return !nine::MoveFileExW(o, f, MOVEFILE_REPLACE_EXISTING); }},
        {"FindFirstFileW", [&] { return nine::FindFirstFileW(pattern.c_str(), &found) == INVALID_HANDLE_VALUE; }},
        {"GetFullPathNameW", [&] { return nine::GetFullPathNameW(f, MAX_PATH, full, nullptr) == 0; }},
        {"LoadLibraryW", [&] { return nine::LoadLibraryW(f) == nullptr; }},
        {"CreateProcessW program", [&] { return !start(f, nullptr, nullptr); }},
        {"CreateProcessW command line", [&] { return !start(nullptr, command, nullptr); }},
        {"CreateProcessW folder", [&] { return !start(nullptr, command + 1, d); }},
    };
    for (const auto& [what, call] : refused) {
        SCOPED_TRACE(what);
        SetLastError(NO_ERROR);
        EXPECT_TRUE(call());
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    }
    EXPECT_EQ((std::map<std::string, std::string>{{"Arvo.dbx", "kept"}, {"Arvo\\", ""}, {"other", "other"}}),
              testsupport::Snapshot(dir.path()));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesW((base + L"Arvo.dbx").c_str()));
}

// MoveFileEx is a stub on 98 and Me: the stand-in replaces a file only once the new one is in,
// and keeps the old one when the move fails. The moves that 98 would fail, and Wine never does
// (across drives it copies by itself), fail by request; the ways back run for real.
TEST(StandIns, ReplacingAFileKeepsTheOldOneUntilTheNewOneIsIn) {
    ScratchDir dir("compat9x-move");
    const std::wstring base = Widen(dir.path()) + L"\\";
    auto read = [](const std::wstring& p) { return testsupport::ReadBytes(std::string(p.begin(), p.end())); };
    const DWORD kAll = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    struct Row {
        const char* what;
        bool sourceThere;
        DWORD flags, besideError, inError;  // the errors the moves are made to fail with
        DWORD error;                        // 0 when it moves
        const char *target, *source;        // what they hold afterwards
    };
    const Row rows[] = {
        {"replace", true, MOVEFILE_REPLACE_EXISTING, 0, 0, 0, "new", "<missing>"},
        {"no replace asked", true, 0, 0, 0, ERROR_ALREADY_EXISTS, "old", "new"},
        {"source missing", false, MOVEFILE_REPLACE_EXISTING, 0, 0, ERROR_FILE_NOT_FOUND, "old", "<missing>"},
        {"the new one cannot move in", true, MOVEFILE_REPLACE_EXISTING, 0, ERROR_SHARING_VIOLATION,
         ERROR_SHARING_VIOLATION, "old", "new"},
        {"from another drive: copied", true, kAll, ERROR_NOT_SAME_DEVICE, 0, 0, "new", "<missing>"},
        {"from another drive, the copy cannot move in", true, kAll, ERROR_NOT_SAME_DEVICE, ERROR_SHARING_VIOLATION,
         ERROR_SHARING_VIOLATION, "old", "new"},
        {"from another drive, no copy allowed", true, MOVEFILE_REPLACE_EXISTING, ERROR_NOT_SAME_DEVICE, 0,
         ERROR_NOT_SAME_DEVICE, "old", "new"},
    };
    std::vector<std::wstring> left;  // what the folder must hold at the end
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::wstring from = base + L"new" + std::to_wstring(n), to = base + L"target" + std::to_wstring(n++);
        dir.WriteFile(std::string(to.begin() + base.size(), to.end()), "old");
        if (r.sourceThere) dir.WriteFile(std::string(from.begin() + base.size(), from.end()), "new");
        nine::FailNextMoveSteps(r.besideError, r.inError);
        EXPECT_EQ(r.error == 0, nine::MoveFileExW(from.c_str(), to.c_str(), r.flags) != FALSE);
        if (r.error) {
            EXPECT_EQ(r.error, GetLastError());
        }
        EXPECT_EQ(r.target, read(to));
        EXPECT_EQ(r.source, read(from));
        left.push_back(to.substr(base.size()));
        if (std::string(r.source) == "new") left.push_back(from.substr(base.size()));
    }
    // Nothing else is left beside them: no old file aside, no new one or copy on its way in.
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((base + L"*").c_str(), &f);
    do {
        if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(f.cFileName);
    } while (FindNextFileW(h, &f));
    FindClose(h);
    std::sort(names.begin(), names.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, names);
}

TEST(StandIns, FontsMetricsAndSystemTextsAsTheWideCallsGiveThem) {
    LOGFONTW want = {};
    want.lfHeight = -12;
    want.lfWeight = FW_BOLD;
    want.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(want.lfFaceName, L"Tahoma");
    HFONT font = nine::CreateFontIndirectW(&want);
    ASSERT_NE(nullptr, font);
    LOGFONTW got = {};
    EXPECT_EQ(static_cast<int>(sizeof got), nine::GetObjectW(font, sizeof got, &got));
    EXPECT_EQ(0, std::memcmp(&want, &got, sizeof got));

    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW system = {}, ours = {};
    GetTextMetricsW(dc, &system);
    EXPECT_TRUE(nine::GetTextMetricsW(dc, &ours));
    EXPECT_EQ(system.tmHeight, ours.tmHeight);
    EXPECT_EQ(system.tmAveCharWidth, ours.tmAveCharWidth);
    EXPECT_EQ(system.tmCharSet, ours.tmCharSet);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);

    NONCLIENTMETRICSW a = {}, b = {};
    a.cbSize = b.cbSize = sizeof a;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof a, &a, 0));
    ASSERT_TRUE(nine::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof b, &b, 0));
    EXPECT_EQ(std::wstring(a.lfMessageFont.lfFaceName), std::wstring(b.lfMessageFont.lfFaceName));
    EXPECT_EQ(a.lfCaptionFont.lfHeight, b.lfCaptionFont.lfHeight);
    EXPECT_EQ(a.iCaptionHeight, b.iCaptionHeight);

    // Letters the code page holds are upper-cased; others stay as they are.
    std::vector<std::pair<std::wstring, std::wstring>> cases = {{L"abc:\\z", L"ABC:\\Z"}, {L"ā", L"ā"}};
    if (GetACP() == 932) cases.emplace_back(L"ａ日本", L"Ａ日本");
    if (GetACP() == 1252) cases.emplace_back(L"éÿ", L"ÉŸ");
    for (auto& [in, out] : cases) {
        nine::CharUpperBuffW(in.data(), static_cast<DWORD>(in.size()));
        EXPECT_EQ(out, in);
    }
}

// A version block's values as the system's own call gives them: the fixed part, the language
// list and the texts, which 98 would otherwise give as ANSI bytes.
TEST(StandIns, VersionValuesOfAFile) {
    wchar_t dll[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"kernel32.dll"), dll, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(dll, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(dll, 0, static_cast<DWORD>(block.size()), block.data()));
    WORD* language = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&language), &size));
    wchar_t texts[64];
    wsprintfW(texts, L"\\StringFileInfo\\%04x%04x\\", language[0], language[1]);
    for (const std::wstring& query : {std::wstring(L"\\"), std::wstring(L""), std::wstring(L"\\VarFileInfo\\Translation"),
                                     texts + std::wstring(L"FileVersion"), texts + std::wstring(L"\\ProductName\\"),
                                     std::wstring(L"\\stringfileinfo\\") + (texts + 16) + L"CompanyName",
                                     texts + std::wstring(L"NoSuchValue"), std::wstring(L"\\NoSuchBlock")}) {
        SCOPED_TRACE(testing::PrintToString(query));
        void *theirs = nullptr, *mine = nullptr;
        UINT theirSize = 0, mySize = 0;
        const BOOL found = VerQueryValueW(block.data(), query.c_str(), &theirs, &theirSize);
        EXPECT_EQ(found, nine::VerQueryValueW(block.data(), query.c_str(), &mine, &mySize));
        if (!found) continue;
        EXPECT_EQ(theirs, mine);
        EXPECT_EQ(theirSize, mySize);
    }
}

TEST(StandIns, ModuleNamesAndTheParentOfAShellItem) {
    wchar_t system[MAX_PATH] = {}, ours[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, system, MAX_PATH);
    EXPECT_EQ(lstrlenW(system), static_cast<int>(nine::GetModuleFileNameW(nullptr, ours, MAX_PATH)));
    EXPECT_EQ(std::wstring(system), std::wstring(ours));
    wchar_t cut[5] = {};
    EXPECT_EQ(5u, nine::GetModuleFileNameW(nullptr, cut, 5));  // as XP: the size, cut and ended
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(std::wstring(system).substr(0, 4), std::wstring(cut));
    EXPECT_EQ(GetModuleHandleW(L"kernel32.dll"), nine::GetModuleHandleW(L"kernel32.dll"));

    // SHBindToParent, which 98 lacks: the same folder and last item as the system's.
    CoInitialize(nullptr);
    PIDLIST_ABSOLUTE windows = nullptr;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, &windows));
    IShellFolder *mine = nullptr, *theirs = nullptr;
    PCUITEMID_CHILD myLast = nullptr, theirLast = nullptr;
    ASSERT_EQ(S_OK, nine::SHBindToParent(windows, IID_IShellFolder, reinterpret_cast<void**>(&mine), &myLast));
    ASSERT_EQ(S_OK, SHBindToParent(windows, IID_IShellFolder, reinterpret_cast<void**>(&theirs), &theirLast));
    EXPECT_EQ(theirLast, myLast);
    STRRET a = {}, b = {};
    mine->GetDisplayNameOf(myLast, SHGDN_FORPARSING, &a);
    theirs->GetDisplayNameOf(theirLast, SHGDN_FORPARSING, &b);
    PWSTR sa = nullptr, sb = nullptr;
    StrRetToStrW(&a, myLast, &sa);
    StrRetToStrW(&b, theirLast, &sb);
    EXPECT_EQ(std::wstring(sb), std::wstring(sa));
    CoTaskMemFree(sa);
    CoTaskMemFree(sb);
    mine->Release();
    theirs->Release();
    CoTaskMemFree(windows);
    CoUninitialize();
}

}  // namespace
