// The mail window's flows: From and To, the listing and the export on the worker thread, the
// message at the end, and closing during an export.
#include "mailwindow/mail_form.h"

#include "mailout/book_export.h"
#include "mailout/fs.h"
#include "mailout/source.h"
#include "mailout/texts.h"
#include "mailtext/utf.h"
#include "platform/ansi.h"
#include "platform/module_brows.h"
#include "platform/program_file.h"
#include "profile/shell_folders.h"

#include <shellapi.h>

#include <mutex>
#include <utility>

namespace mailwindow {
namespace {

constexpr std::int32_t kDesktopFolder = 0x10;  // the user's desktop folder (CSIDL_DESKTOPDIRECTORY)
// The worker's notices; posted with the ANSI call, which 98 and Me carry out (no text rides on them).
constexpr UINT kWorkerDone = WM_APP + 1;
constexpr UINT kWorkerProgress = WM_APP + 2;

constexpr wchar_t kOpenFilter[] =
    L"Backup, OL.lzh or mail store (OLdate.bkd, OL.lzh, *.dbx)\0OLdate.bkd;OL.lzh;*.dbx\0All files (*.*)\0*.*\0";
constexpr wchar_t kOpenTitle[] = L"From: a backup's OLdate.bkd, an OL.lzh or a .dbx file";

constexpr wchar_t kNotStarted[] = L"作業を始められませんでした。\n\nThe work could not be started.";

std::wstring Wide(const std::string& utf8) {
    const std::u16string u = mailtext::Utf8ToUtf16(utf8);
    return std::wstring(u.begin(), u.end());
}

std::string Utf8(const std::wstring& wide) { return mailtext::Utf16ToUtf8(std::u16string(wide.begin(), wide.end())); }

std::wstring Trimmed(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// Where a bar of kProgressMax stands: the files done, and the part of the current one.
int ProgressValue(const mailout::Progress& p) {
    if (p.files == 0) return 0;
    double part = 0;
    if (p.scanned >= 0)
        part = p.scanned / 100.0;
    else if (p.expected)
        part = static_cast<double>(p.done < p.expected ? p.done : p.expected) / static_cast<double>(p.expected);
    return static_cast<int>((static_cast<double>(p.file) + part) * platform::kProgressMax / static_cast<double>(p.files));
}

bool OnWin9x() { return (GetVersion() & 0x80000000u) != 0; }

}  // namespace

void ShowFolderInExplorer(HWND owner, const std::wstring& folder) {
    using ShellExecuteWFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    HMODULE shell = OnWin9x() ? nullptr : GetModuleHandleA("shell32.dll");
    const auto wide = shell ? reinterpret_cast<ShellExecuteWFn>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteW")))
                            : nullptr;
    if (wide)
        wide(owner, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    else
        ShellExecuteA(owner, "open", platform::ToAnsi(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

Hooks DefaultHooks() {
    Hooks h;
    h.MsgBox = [](HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) {
        return MessageBoxW(owner, text.c_str(), title.c_str(), flags);
    };
    h.EndProgram = [] { PostQuitMessage(0); };
    h.ProgramFolder = [] { return platform::ProgramFolder(); };
    h.DesktopFolder = [] { return Getsplfol_mod::GetSpecialFolderPath(kDesktopFolder); };
    h.OpenFile = [](OPENFILENAMEW& dialog) { return GetOpenFileNameW(&dialog) != FALSE; };
    h.BrowseFolder = ModuleBrows::BrowseForFolder;
    h.OpenFolder = ShowFolderInExplorer;
    return h;
}

MailForm::MailForm(Hooks hooks) : hooks_(std::move(hooks)) {}

MailForm::~MailForm() { StopWorker(); }

void MailForm::Show() {
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void MailForm::Form_Load() {
    const std::wstring folder = hooks_.ProgramFolder();
    if (mailout::ClassifySource(Utf8(folder)).kind == mailout::SourceKind::BackupFolder) {
        From.SetText(folder);
        StartListing(folder);
        return;
    }
    ShowLines({"Double-click the From box to choose a backup: its OLdate.bkd,",
               "an OL.lzh, or a .dbx file of a mail store."});
}

// ---- From and To ----

void MailForm::From_DblClick() {
    if (job_ == Job::Export) return;
    // The dialog opens where the From box points, else in the program's folder.
    std::wstring initial = Trimmed(From.Text());
    const mailout::fs::Type type = mailout::fs::TypeOf(Utf8(initial));
    if (type == mailout::fs::Type::File) initial = Wide(mailout::fs::DirName(Utf8(initial)));
    if (type == mailout::fs::Type::None) initial = hooks_.ProgramFolder();
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd();
    dialog.lpstrFilter = kOpenFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initial.c_str();
    dialog.lpstrTitle = kOpenTitle;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!hooks_.OpenFile(dialog)) return;
    const std::wstring source = Wide(PickedSource(Utf8(file.c_str())));
    From.SetText(source);
    StartListing(source);
}

unsigned MailForm::CodePage() const {
    const LRESULT picked = SendMessageW(Names.hwnd(), CB_GETCURSEL, 0, 0);
    return picked >= 0 && static_cast<std::size_t>(picked) < std::size(kNamesCodePages) ? kNamesCodePages[picked] : 0;
}

// The first item of Names says which code page the names chose, once a listing has read them.
void MailForm::ShowChosenCodePage() {
    std::wstring text = kNamesChosen;
    if (listing_.status != 2 && listing_.codePageGuessed) text += L" (code page " + std::to_wstring(listing_.codePage) + L")";
    const HWND names = Names.hwnd();
    const LRESULT picked = SendMessageW(names, CB_GETCURSEL, 0, 0);
    SendMessageW(names, CB_DELETESTRING, 0, 0);
    SendMessageW(names, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(names, CB_SETCURSEL, static_cast<WPARAM>(picked), 0);
}

void MailForm::Names_Change() {
    if (job_ != Job::Export && !listedFrom_.empty()) StartListing(listedFrom_);
}

void MailForm::From_Commit() {
    const std::wstring source = Trimmed(From.Text());
    if (source != listedFrom_) StartListing(source);
}

void MailForm::To_DblClick() {
    if (job_ == Job::Export) return;
    const std::wstring typed = Trimmed(To.Text());
    // The picker starts at the To folder, or at the nearest folder above it that is there.
    std::string start = Utf8(typed);
    while (!start.empty() && mailout::fs::TypeOf(start) != mailout::fs::Type::Directory) {
        const std::string up = mailout::fs::DirName(start);
        start = up == start || up == "." ? std::string() : up;
    }
    const std::wstring picked = hooks_.BrowseFolder(hwnd(), start.empty() ? hooks_.DesktopFolder() : Wide(start));
    if (picked.empty() || mailout::fs::TypeOf(Utf8(picked)) != mailout::fs::Type::Directory) return;
    // A folder that holds anything (the desktop itself, say) gets the export in a new folder of
    // its own, so the mail tree does not spread among the files there.
    std::vector<mailout::fs::Entry> entries;
    std::string target = Utf8(picked);
    if (!mailout::fs::ListDir(target, entries) || !entries.empty()) {
        const std::string name = OutputFolderName(listing_);
        target = FreeFolder(target, name.empty() ? "Mail" : name);
    }
    if (!target.empty()) SetTo(Wide(target), true);
}

void MailForm::SetTo(const std::wstring& text, bool chosen) {
    settingTo_ = true;
    To.SetText(text);
    settingTo_ = false;
    toChosen_ = chosen;
}

void MailForm::SetDefaultTo() {
    if (toChosen_) return;
    const std::string name = OutputFolderName(listing_);
    SetTo(Wide(FreeFolder(Utf8(hooks_.DesktopFolder()), name)), false);
}

void MailForm::ShowLines(const std::vector<std::string>& lines) {
    SendMessageW(Contents.hwnd(), LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageW(Contents.hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
}

void MailForm::SetInputsEnabled(bool enabled) {
    for (platform::Control* c : {&From, &To, &Names, &Eml, &Mbox, &Recover, &Do}) c->SetEnabled(enabled);
    // Contacts can be written only out of a backup that holds its address book.
    Contacts.SetEnabled(enabled && listing_.source.kind == mailout::SourceKind::BackupFolder && !listing_.source.bookArchive.empty());
}

// ---- the worker ----

bool MailForm::Start(Job job, std::function<void()> body) {
    cancel_ = false;
    failure_.clear();
    progressPosted_ = false;
    const HWND target = hwnd();
    try {
        worker_ = std::make_unique<lha::Thread>([this, target, body = std::move(body)] {
            try {
                body();
            } catch (const std::exception& e) {
                failure_ = e.what();
            } catch (...) {
                failure_ = "the work ended by an unknown error";
            }
            PostMessageA(target, kWorkerDone, 0, 0);
        });
    } catch (const std::exception& e) {
        Ask(std::wstring(kNotStarted) + L"\n" + Wide(e.what()), MB_OK | MB_ICONERROR);
        return false;
    }
    job_ = job;
    return true;
}

void MailForm::StopWorker() {
    cancel_ = true;
    if (worker_) worker_->join();
    worker_.reset();
    job_ = Job::None;
}

void MailForm::OnWorkerDone() {
    if (!worker_) return;  // a worker already waited for (the window was being closed)
    if (asking_) {
        doneWhileAsking_ = true;  // answered once the question is
        return;
    }
    worker_->join();
    worker_.reset();
    const Job job = job_;
    job_ = Job::None;
    if (job == Job::Listing) OnListed();
    if (job == Job::Export) OnExported();
}

void MailForm::OnWorkerProgress() {
    progressPosted_ = false;
    std::string text;
    mailout::Progress p;
    {
        std::lock_guard<lha::Mutex> lock(progressLock_);
        text = progressText_;
        p = progress_;
    }
    if (!Busy()) return;
    Status.SetCaption(Wide(text));
    if (job_ == Job::Export) Progress.SetValue(ProgressValue(p));
}

// ---- listing ----

void MailForm::StartListing(const std::wstring& source) {
    if (job_ == Job::Export) return;
    if (job_ == Job::Listing) StopWorker();
    listedFrom_ = source;
    listing_ = mailout::Listing{};
    listing_.status = 2;
    if (source.empty()) {
        ShowLines({});
        SetInputsEnabled(true);
        return;
    }
    ShowLines({"Reading " + Utf8(source) + " ..."});
    Status.SetCaption(L"");
    const HWND target = hwnd();
    const std::string path = Utf8(source);
    const unsigned codePage = CodePage();
    Start(Job::Listing, [this, target, path, codePage] {
        listed_ = mailout::List(path, codePage, &cancel_, [this, target](const std::string& what) {
            {
                std::lock_guard<lha::Mutex> lock(progressLock_);
                progressText_ = what;
            }
            if (!progressPosted_.exchange(true)) PostMessageA(target, kWorkerProgress, 0, 0);
        });
    });
}

void MailForm::OnListed() {
    listing_ = std::move(listed_);
    if (!failure_.empty()) {
        listing_ = mailout::Listing{};
        listing_.status = 2;
        listing_.problems.push_back(failure_);
    }
    ShowLines(ListingLines(listing_));
    ShowChosenCodePage();
    Status.SetCaption(L"");
    SetInputsEnabled(true);
    SetDefaultTo();
    if (doPending_) {
        doPending_ = false;
        StartExport();
    }
}

// ---- export ----

void MailForm::Do_Click() {
    if (job_ == Job::Export || doPending_) return;
    From_Commit();  // a source typed and not yet listed is listed first
    if (job_ == Job::Listing) {
        doPending_ = true;
        Do.SetEnabled(false);
        return;
    }
    StartExport();
}

void MailForm::StartExport() {
    const std::wstring from = Trimmed(From.Text());
    if (from.empty()) {
        Ask(kChooseFrom, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (listing_.status == 2) {
        std::wstring why;
        for (const std::string& p : listing_.problems) why += L"\n" + Wide(p);
        Ask(kNoSource + why, MB_OK | MB_ICONERROR);
        return;
    }
    const std::wstring to = Trimmed(To.Text());
    if (to.empty()) {
        Ask(kChooseTo, MB_OK | MB_ICONINFORMATION);
        return;
    }
    options_ = mailout::ExportOptions{};
    options_.source = Utf8(from);
    options_.outDir = Utf8(to);
    options_.format = Mbox.Value() == BST_CHECKED ? mailout::Format::Mbox : mailout::Format::Eml;
    options_.recover = Recover.Value() == BST_CHECKED;
    options_.codePage = CodePage();
    options_.cancel = &cancel_;
    const HWND target = hwnd();
    options_.progress = [this, target](const mailout::Progress& p) {
        {
            std::lock_guard<lha::Mutex> lock(progressLock_);
            progress_ = p;
            progressText_ = mailout::ProgressText(p);
        }
        if (!progressPosted_.exchange(true)) PostMessageA(target, kWorkerProgress, 0, 0);
        if (hooks_.WorkerProgress) hooks_.WorkerProgress(p, cancel_);
    };
    withContacts_ = Contacts.Enabled() && Contacts.Value() == BST_CHECKED;
    outcome_ = Outcome{};
    outcome_.format = options_.format;
    outcome_.recover = options_.recover;

    SetInputsEnabled(false);
    Progress.SetValue(0);
    Status.SetCaption(L"Starting ...");
    const bool started = Start(Job::Export, [this] {
        outcome_.mail = mailout::Export(options_);
        if (withContacts_ && !cancel_ && outcome_.mail.status != 2) {
            const std::string file = mailout::fs::Join(options_.outDir, kContactsFile);
            outcome_.contacts = mailout::ExportContacts(options_.source, file, mailout::ContactsFormat::Vcf, options_.codePage);
        }
        outcome_.folderMade = mailout::fs::TypeOf(options_.outDir) == mailout::fs::Type::Directory;
    });
    if (!started) SetInputsEnabled(true);
}

void MailForm::OnExported() {
    outcome_.failure = failure_;
    if (!outcome_.failure.empty()) outcome_.mail.outDir = options_.outDir;
    SetInputsEnabled(true);
    const bool whole = AsksToOpen(outcome_);
    Progress.SetValue(whole ? platform::kProgressMax : 0);
    Status.SetCaption(whole ? L"Written: " + Wide(std::to_string(outcome_.mail.messages)) + L" messages." : L"");
    const bool problems = outcome_.mail.problemCount || (outcome_.contacts && !outcome_.contacts->problems.empty());
    const UINT flags = whole ? MB_YESNO | (problems ? MB_ICONWARNING : MB_ICONINFORMATION) : MB_OK | MB_ICONERROR;
    if (Ask(Wide(EndMessage(outcome_)), flags) == IDYES && whole) hooks_.OpenFolder(hwnd(), Wide(options_.outDir));
    // A second export goes into a new folder again.
    SetDefaultTo();
}

// ---- the window ----

void MailForm::OnClose() {
    if (asking_) return;
    if (job_ == Job::Export) {
        asking_ = true;
        const int answer = Ask(kStopQuestion, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        asking_ = false;
        if (answer != IDYES) {
            if (doneWhileAsking_) {
                doneWhileAsking_ = false;
                OnWorkerDone();
            }
            return;
        }
    }
    // The export stops at its next message and leaves no file half-written; wait for that.
    doneWhileAsking_ = false;
    StopWorker();
    hooks_.EndProgram();
}

void MailForm::OnCommand(platform::Control& control, int notification) {
    if (&control == &From && notification == EN_KILLFOCUS) From_Commit();
    if (&control == &To && notification == EN_CHANGE && !settingTo_) toChosen_ = !Trimmed(To.Text()).empty();
    if (&control == &Names && notification == CBN_SELCHANGE) Names_Change();
    if (&control == &Do && notification == BN_CLICKED) Do_Click();
}

void MailForm::OnDblClick(platform::Control& control) {
    if (&control == &From) From_DblClick();
    if (&control == &To) To_DblClick();
}

void MailForm::OnMenu(int id) {
    // Enter in the From box lists what was typed there.
    if (id == IDOK && GetFocus() == From.hwnd()) From_Commit();
}

LRESULT MailForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kWorkerDone) {
        OnWorkerDone();
        return 0;
    }
    if (msg == kWorkerProgress) {
        OnWorkerProgress();
        return 0;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

}  // namespace mailwindow
