// The mail window (Quillboxmail.exe): a backup's mail and contacts written out for today's mail
// programs, over the same library as qbmail. From (a backup folder, OL.lzh, store folder or
// .dbx) with what it holds below, To (a new folder), the format and the two ticks, and "Do".
// Listing and export run on a worker thread; the window stays responsive and shows progress.
#pragma once

#include "lha/threads.h"
#include "mailout/export.h"
#include "mailout/listing.h"
#include "mailwindow/mail_texts.h"
#include "platform/controls.h"
#include "platform/form.h"

#include <windows.h>
#include <commdlg.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace mailwindow {

// Shows `text` under `title` with MessageBox flags and returns the button pressed.
using Prompt = std::function<int(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags)>;

// How the window talks to the user, ends, and finds its folders; tests answer, record and point
// it elsewhere.
struct Hooks {
    Prompt MsgBox;
    std::function<void()> EndProgram;
    std::function<std::wstring()> ProgramFolder;
    std::function<std::wstring()> DesktopFolder;
    // The system's Open dialog: true when a file was chosen (its path is then in lpstrFile).
    std::function<bool(OPENFILENAMEW& dialog)> OpenFile;
    // The folder picker opened at `initial`: the chosen folder, or empty after a cancel.
    std::function<std::wstring(HWND owner, const std::wstring& initial)> BrowseFolder;
    // Shows a folder in Explorer.
    std::function<void(HWND owner, const std::wstring& folder)> OpenFolder;
    // Runs on the worker thread at each progress report of an export, `stopping` turning true
    // when the window asks the export to stop (tests hold the worker there).
    std::function<void(const mailout::Progress& progress, const std::atomic<bool>& stopping)> WorkerProgress;
};
Hooks DefaultHooks();

// Opens `folder` in Explorer through the shell: the wide call on NT (looked up there, since it is
// a stub on 98 and Me), the ANSI one on 98 and Me.
void ShowFolderInExplorer(HWND owner, const std::wstring& folder);

inline constexpr wchar_t kProgramTitle[] = L"Quillboxmail";
inline constexpr wchar_t kWindowCaption[] = L"Quillbox Mail Export";
inline constexpr char kContactsFile[] = "contacts.vcf";
// The code pages Names offers: chosen from the names first (the listing says which it took),
// then what Outlook Express kept names in on a Japanese and on a Western Windows.
inline constexpr unsigned kNamesCodePages[] = {0, 932, 1252};
inline constexpr wchar_t kNamesChosen[] = L"Chosen from the names";

// What "Do" says when there is nothing to write out, or nowhere to.
inline constexpr wchar_t kChooseFrom[] =
    L"書き出すバックアップを選んでください。From の欄をダブルクリックすると選べます。\n\n"
    L"Choose the backup to write out: double-click the From box.";
inline constexpr wchar_t kNoSource[] =
    L"From の欄は、バックアップのフォルダ、OL.lzh、メールストアのフォルダ、.dbx ファイルのどれでもありません。\n\n"
    L"The From box names no backup folder, OL.lzh, store folder or .dbx file.";
inline constexpr wchar_t kChooseTo[] =
    L"書き出し先のフォルダを指定してください。To の欄をダブルクリックすると選べます。\n\n"
    L"Choose the folder to write into: double-click the To box.";

// The question when the window is closed during an export.
inline constexpr wchar_t kStopQuestion[] =
    L"メールの書き出しを中止して閉じますか？\n書き出し済みのメールは出力フォルダに残ります。\n\n"
    L"Stop the export and close?\nThe mail written so far stays in the output folder.";

class MailForm : public platform::Form {
public:
    explicit MailForm(Hooks hooks = DefaultHooks());
    ~MailForm() override;

    // Builds the hidden window with every control; false when the window cannot be made.
    bool Create();
    // From: the program's own folder when it holds a backup (OLdate.bkd), which is then listed.
    void Form_Load();
    void Show();

    // From: the Open dialog; the source the picked file stands for is listed.
    void From_DblClick();
    // From: a typed source is listed once the box is left (or Enter pressed in it).
    void From_Commit();
    // To: the folder picker; a folder that holds anything gets a new folder made inside it.
    void To_DblClick();
    // "Do": the export on the worker; while a listing runs it starts when the listing ends.
    void Do_Click();
    // The code page the store's names are read in changed: From is listed again with it.
    void Names_Change();
    // The code page picked in Names: 0 for chosen from the names, else 932 or 1252.
    unsigned CodePage() const;

    // Whether a listing or an export runs.
    bool Busy() const { return job_ != Job::None; }

    // Controls, in keyboard order.
    platform::Control FromLabel, From, Contents, ToLabel, To, NamesLabel, Names, FormatFrame, Eml, Mbox, AlsoFrame, Contacts,
        Recover, Progress, Status, Do;

protected:
    void OnCommand(platform::Control& control, int notification) override;
    void OnDblClick(platform::Control& control) override;
    void OnMenu(int id) override;
    void OnClose() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Job { None, Listing, Export };

    void StartListing(const std::wstring& source);
    void StartExport();
    // Runs `body` on the worker; false (with a message) when no thread can be made.
    bool Start(Job job, std::function<void()> body);
    // Asks the worker to stop and waits for it.
    void StopWorker();
    void OnWorkerDone();
    void OnWorkerProgress();
    void OnListed();
    void OnExported();
    void ShowLines(const std::vector<std::string>& lines);
    void ShowChosenCodePage();
    // To: the first free folder on the desktop named after the listed backup, unless chosen.
    void SetDefaultTo();
    void SetTo(const std::wstring& text, bool chosen);
    void SetInputsEnabled(bool enabled);
    int Ask(const std::wstring& text, UINT flags) { return hooks_.MsgBox(hwnd(), text, kProgramTitle, flags); }

    Hooks hooks_;
    Job job_ = Job::None;
    std::unique_ptr<lha::Thread> worker_;
    std::atomic<bool> cancel_{false};
    std::string failure_;  // what stopped the worker's work (written by the worker, read after the join)

    std::wstring listedFrom_;  // the From text the listing is of
    mailout::Listing listing_;  // what the window shows
    mailout::Listing listed_;   // the worker's listing, taken over once it has ended
    bool doPending_ = false;   // Do was pressed while the listing ran
    bool toChosen_ = false;    // To was picked or typed by the user
    bool settingTo_ = false;
    bool asking_ = false, doneWhileAsking_ = false;

    mailout::ExportOptions options_;
    bool withContacts_ = false;
    Outcome outcome_;

    // The latest progress, from the worker; one message at a time is on its way to the window.
    lha::Mutex progressLock_;
    mailout::Progress progress_;
    std::string progressText_;
    bool exportProgress_ = false;
    std::atomic<bool> progressPosted_{false};
};

}  // namespace mailwindow
