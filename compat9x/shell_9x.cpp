// shell32, comdlg32, version and mpr wide functions over the ANSI ones, and SHBindToParent,
// which 98's shell32 4.72 lacks.
#include "compat9x/compat9x.h"
#include "compat9x/nine.h"

#include <shlobj.h>
#include <winnetwk.h>

#include <string>
#include <vector>

namespace compat9x::nine {
namespace {

// The ANSI functions of shell32, comdlg32, version and mpr are found at the call, not imported:
// imported, they would load those DLLs (and ole32 with shell32) into every program that links
// the stand-ins, used or not (under Wine a second more for each start of a small program).
template <class F>
F Late(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    if (!module) module = LoadLibraryA(dll);
    return reinterpret_cast<F>(reinterpret_cast<void*>(module ? GetProcAddress(module, name) : nullptr));
}
#define QB_LATE(dll, Name) Late<decltype(&::Name)>(dll, #Name)

// Calls `f` when it was found; `failure` when not.
template <class R, class F, class... Args>
R CallOr(R failure, F f, Args... args) {
    return f ? static_cast<R>(f(args...)) : failure;
}

// A filter list: pairs of texts, each ended by a NUL, the whole ended by a second NUL.
std::string NarrowList(LPCWSTR list) {
    if (!list) return {};
    std::string out;
    for (LPCWSTR p = list; *p; p += lstrlenW(p) + 1) out += Narrow(p) + '\0';
    return out + '\0';
}

// One node of a 32-bit file's version block: its length in bytes, the length of its value (in
// characters for text, type 1; in bytes otherwise), its type and a wide key, then the value and
// the child nodes, each starting at a four-byte boundary.
struct VersionNode {
    std::string key;  // the keys are ASCII
    WORD valueLength = 0, type = 0;
    const BYTE* value = nullptr;
    const BYTE* children = nullptr;
    const BYTE* end = nullptr;
};

const BYTE* Align4(const BYTE* p) { return reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR{3}); }

// Reads the node at `at` that must end by `limit` (no limit for the root); false when none fits.
bool ReadVersionNode(const BYTE* at, const BYTE* limit, VersionNode& node) {
    if (limit && limit - at < 6) return false;
    const WORD* head = reinterpret_cast<const WORD*>(at);
    if (head[0] < 6) return false;
    node.end = at + head[0];
    if (limit && node.end > limit) return false;
    node.valueLength = head[1];
    node.type = head[2];
    node.key.clear();
    const wchar_t* key = reinterpret_cast<const wchar_t*>(at + 6);
    for (; reinterpret_cast<const BYTE*>(key + 1) <= node.end && *key; ++key) node.key += static_cast<char>(*key);
    if (reinterpret_cast<const BYTE*>(key + 1) > node.end) return false;
    node.value = Align4(reinterpret_cast<const BYTE*>(key + 1));
    const std::size_t valueBytes = node.type == 1 ? node.valueLength * sizeof(wchar_t) : node.valueLength;
    if (node.value + valueBytes > node.end) return false;
    node.children = Align4(node.value + valueBytes);
    node.end = Align4(node.end);  // the next sibling starts at a boundary
    return true;
}

}  // namespace

BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path) {
    char narrow[MAX_PATH] = {};
    if (!CallOr(FALSE, QB_LATE("shell32.dll", SHGetPathFromIDListA), list, narrow)) return FALSE;
    CopyOut(WidenName(narrow), path, MAX_PATH);
    return TRUE;
}

DWORD_PTR WINAPI SHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    SHFILEINFOA a = {};
    const std::string narrow = (flags & SHGFI_PIDL) ? std::string() : Narrow(path);
    const LPCSTR what = (flags & SHGFI_PIDL) ? reinterpret_cast<LPCSTR>(path) : narrow.c_str();
    const DWORD_PTR result = CallOr(DWORD_PTR{0}, QB_LATE("shell32.dll", SHGetFileInfoA), what, attributes,
                                    info ? &a : nullptr, info ? UINT{sizeof a} : UINT{0}, flags);
    if (info && size >= sizeof *info) {
        info->hIcon = a.hIcon;
        info->iIcon = a.iIcon;
        info->dwAttributes = a.dwAttributes;
        CopyOut(Widen(a.szDisplayName), info->szDisplayName, MAX_PATH);
        CopyOut(Widen(a.szTypeName), info->szTypeName, 80);
    }
    return result;
}

PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW info) {
    char display[MAX_PATH] = {};
    const std::string title = Narrow(info->lpszTitle);
    BROWSEINFOA a = {};
    a.hwndOwner = info->hwndOwner;
    a.pidlRoot = info->pidlRoot;
    a.pszDisplayName = display;
    a.lpszTitle = info->lpszTitle ? title.c_str() : nullptr;
    a.ulFlags = info->ulFlags;
    a.lpfn = info->lpfn;  // its messages come as the ANSI picker sends them; SendMessageW converts replies
    a.lParam = info->lParam;
    const PIDLIST_ABSOLUTE picked =
        CallOr(PIDLIST_ABSOLUTE{nullptr}, QB_LATE("shell32.dll", SHBrowseForFolderA), &a);
    if (info->pszDisplayName) CopyOut(Widen(display), info->pszDisplayName, MAX_PATH);
    info->iImage = a.iImage;
    return picked;
}

// The parent folder of a list's last item and that item, as later shell32 versions give them.
HRESULT WINAPI SHBindToParent(PCIDLIST_ABSOLUTE list, REFIID iid, void** folder, PCUITEMID_CHILD* last) {
    if (!list || !folder) return E_INVALIDARG;
    *folder = nullptr;
    // The last item and how many bytes come before it.
    const BYTE* start = reinterpret_cast<const BYTE*>(list);
    const BYTE* lastItem = nullptr;
    for (const BYTE* p = start; reinterpret_cast<const SHITEMID*>(p)->cb != 0; p += reinterpret_cast<const SHITEMID*>(p)->cb)
        lastItem = p;
    IShellFolder* desktop = nullptr;
    HRESULT hr = CallOr(HRESULT{E_FAIL}, QB_LATE("shell32.dll", SHGetDesktopFolder), &desktop);
    if (FAILED(hr)) return hr;
    if (!lastItem || lastItem == start) {
        hr = desktop->QueryInterface(iid, folder);  // the desktop's own children
    } else {
        // The items before the last one, ended as an item list is; only read by the call.
        std::vector<BYTE> parent(start, lastItem);
        parent.resize(parent.size() + sizeof(USHORT), 0);
        hr = desktop->BindToObject(reinterpret_cast<PCUIDLIST_RELATIVE>(parent.data()), nullptr, iid, folder);
    }
    desktop->Release();
    if (SUCCEEDED(hr) && last) *last = reinterpret_cast<PCUITEMID_CHILD>(lastItem ? lastItem : start);
    return hr;
}

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW dialog) {
    const std::string filter = NarrowList(dialog->lpstrFilter), folder = Narrow(dialog->lpstrInitialDir),
                      title = Narrow(dialog->lpstrTitle), ext = Narrow(dialog->lpstrDefExt);
    std::string file = Narrow(dialog->lpstrFile);
    file.resize(static_cast<std::size_t>(dialog->nMaxFile) * 2 + 1, '\0');  // a wide character is at most two bytes
    OPENFILENAMEA a = {};
    a.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the size 98 and Me know
    a.hwndOwner = dialog->hwndOwner;
    a.hInstance = dialog->hInstance;
    a.lpstrFilter = dialog->lpstrFilter ? filter.c_str() : nullptr;
    a.nFilterIndex = dialog->nFilterIndex;
    a.lpstrFile = file.data();
    a.nMaxFile = static_cast<DWORD>(file.size());
    a.lpstrInitialDir = dialog->lpstrInitialDir ? folder.c_str() : nullptr;
    a.lpstrTitle = dialog->lpstrTitle ? title.c_str() : nullptr;
    a.Flags = dialog->Flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE);
    a.lpstrDefExt = dialog->lpstrDefExt ? ext.c_str() : nullptr;
    if (!CallOr(FALSE, QB_LATE("comdlg32.dll", GetOpenFileNameA), &a)) return FALSE;
    const std::wstring picked = WidenName(file.c_str());
    if (picked.size() + 1 > dialog->nMaxFile) return FALSE;  // never a cut path
    CopyOut(picked, dialog->lpstrFile, static_cast<int>(dialog->nMaxFile));
    dialog->nFilterIndex = a.nFilterIndex;
    const std::size_t slash = picked.find_last_of(L"\\/");
    const std::size_t dot = picked.find_last_of(L'.');
    dialog->nFileOffset = static_cast<WORD>(slash == std::wstring::npos ? 0 : slash + 1);
    dialog->nFileExtension =
        static_cast<WORD>(dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? 0 : dot + 1);
    return TRUE;
}

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
    return CallOr(DWORD{0}, QB_LATE("version.dll", GetFileVersionInfoSizeA), AnsiArg(file).get(), handle);
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    return CallOr(FALSE, QB_LATE("version.dll", GetFileVersionInfoA), AnsiArg(file).get(), handle, size, data);
}

// A 32-bit file's version block is wide text already: its nodes are read here, values handed
// out in place, as the system's own call does. Any other block (a 16-bit file's) goes to the
// ANSI call, which is right for its binary values only.
BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT size) {
    VersionNode node;
    if (!ReadVersionNode(static_cast<const BYTE*>(block), nullptr, node) || node.key != "VS_VERSION_INFO")
        return CallOr(FALSE, QB_LATE("version.dll", VerQueryValueA), block, AnsiArg(subBlock).get(), buffer, size);
    for (const wchar_t* p = subBlock ? subBlock : L""; *p;) {
        while (*p == L'\\') ++p;
        const wchar_t* stop = p;
        while (*stop && *stop != L'\\') ++stop;
        if (stop == p) break;
        const std::string wanted = Narrow(p, static_cast<int>(stop - p));
        VersionNode child;
        bool found = false;
        for (const BYTE* at = node.children; !found && ReadVersionNode(at, node.end, child); at = child.end)
            found = lstrcmpiA(child.key.c_str(), wanted.c_str()) == 0;
        if (!found) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        node = child;
        p = stop;
    }
    *buffer = const_cast<BYTE*>(node.value);
    *size = node.valueLength;
    return node.valueLength != 0 || node.type == 1;
}

DWORD WINAPI WNetGetConnectionW(LPCWSTR local, LPWSTR remote, LPDWORD size) {
    char name[MAX_PATH + 1] = {};
    DWORD narrowSize = sizeof name;
    const DWORD rc = CallOr(DWORD{ERROR_NOT_SUPPORTED}, QB_LATE("mpr.dll", WNetGetConnectionA), AnsiArg(local).get(),
                            name, &narrowSize);
    if (rc == ERROR_MORE_DATA) *size = narrowSize;  // bytes, at least as many as the characters needed
    if (rc != NO_ERROR) return rc;
    const std::wstring wide = Widen(name);
    if (wide.size() + 1 > *size) {
        *size = static_cast<DWORD>(wide.size() + 1);
        return ERROR_MORE_DATA;
    }
    CopyOut(wide, remote, static_cast<int>(*size));
    return NO_ERROR;
}

}  // namespace compat9x::nine
