// The mail window on its hidden window, as a user works it: what it shows of the backup beside
// it and the defaults it takes, "Do" against what the export itself writes for the same backup,
// what "Do" refuses, and closing the window during an export.
#include "mailwindow/mail_form.h"

#include "mailout/book_export.h"
#include "sample_book.h"
#include "sample_mail.h"
#include "sample_store.h"
#include "store_maker.h"
#include "support/prompt_recorder.h"
#include "support/registry_sandbox.h"
#include "support/snapshots.h"
#include "support/system_family.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::Widen;
using Files = std::map<std::string, std::string>;

std::string Narrow(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// Every file and folder below `root` (UTF-8 names, '\\'-separated, a folder's ending in '\\')
// with its bytes, read through the wide calls: names in any script come through.
void Tree(const std::wstring& root, const std::string& rel, Files& out) {
    WIN32_FIND_DATAW d;
    const HANDLE h = FindFirstFileW((root + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string path = rel + Narrow(name);
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[path + "\\"];
            Tree(root + L"\\" + name, path + "\\", out);
            continue;
        }
        std::string& bytes = out[path];
        const HANDLE f = CreateFileW((root + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buf[65536];
        DWORD got = 0;
        while (f != INVALID_HANDLE_VALUE && ReadFile(f, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
        if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    } while (FindNextFileW(h, &d));
    FindClose(h);
}
Files Tree(const std::string& root) {
    Files out;
    Tree(Wide(root), "", out);
    return out;
}

// The names in a snapshot, for a failure's message.
std::string Names(const Files& files) {
    std::string out;
    for (const auto& [name, bytes] : files) out += " " + name + "(" + std::to_string(bytes.size()) + ")";
    return out;
}

// The demo's store and address book as two backups, made once: with WAB.lzh and without.
class Backups {
public:
    Backups() : dir_("mailwindow-backups") {
        const std::string store = this->store(), book = dir_.path() + "\\book";
        EXPECT_FALSE(sample::WriteSampleStore(store).empty());
        storemaker::WriteBackup(store, withBook());
        storemaker::WriteBackup(store, withoutBook());
        CreateDirectoryA(book.c_str(), nullptr);
        EXPECT_TRUE(wabw::Write(wabw::SampleBook()).writeTo(book + "\\Main Identity.wab"));
        storemaker::WriteArchive(book, withBook() + "\\WAB.lzh");
        std::string info = ReadBytes(withBook() + "\\OLdate.bkd");
        info.replace(info.find("Addressbook=0"), 13, "Addressbook=1");
        dir_.WriteFile("with book\\OLdate.bkd", info);
        CreateDirectoryA((dir_.path() + "\\archive only").c_str(), nullptr);
        CopyFileA((withoutBook() + "\\OL.lzh").c_str(), loneArchive().c_str(), TRUE);
    }
    std::string store() const { return dir_.path() + "\\store"; }
    std::string loneArchive() const { return dir_.path() + "\\archive only\\OL.lzh"; }
    std::string withBook() const { return dir_.path() + "\\with book"; }
    std::string withoutBook() const { return dir_.path() + "\\without book"; }

private:
    ScratchDir dir_;
};

class MailWindowTest : public ::testing::Test, protected testsupport::PromptRecorder {
protected:
    static constexpr const char* kDefaultName = "Main Identity 12-7-2026";  // what OLdate.bkd says

    MailWindowTest() : dir_("mailwindow"), desktop_(dir_.path() + "\\Desktop") { CreateDirectoryA(desktop_.c_str(), nullptr); }
    static void SetUpTestSuite() { backups_ = new Backups; }
    static void TearDownTestSuite() {
        delete backups_;
        backups_ = nullptr;
    }

    // The window as if the program lay in `folder`, once it has listed what is there.
    void Start(const std::string& folder) {
        mailwindow::Hooks h;
        h.MsgBox = [this](HWND, const std::wstring& text, const std::wstring& title, UINT flags) { return Record(text, title, flags); };
        h.EndProgram = [this] { ++ended_; };
        h.ProgramFolder = [folder] { return Widen(folder); };
        h.DesktopFolder = [this] { return Widen(desktop_); };
        h.OpenFile = [this](OPENFILENAMEW& d) {
            if (picked_.empty() || Wide(picked_).size() >= d.nMaxFile) return false;
            lstrcpyW(d.lpstrFile, Wide(picked_).c_str());
            return true;
        };
        h.BrowseFolder = [this](HWND, const std::wstring&) { return Wide(picked_); };
        h.OpenFolder = [this](HWND, const std::wstring& f) { opened_.push_back(Narrow(f)); };
        h.WorkerProgress = [this](const mailout::Progress& p, const std::atomic<bool>& stopping) {
            if (onProgress_) onProgress_(p, stopping);
        };
        form_ = std::make_unique<mailwindow::MailForm>(h);
        ASSERT_TRUE(form_->Create());
        form_->Form_Load();
        ASSERT_TRUE(PumpUntil([&] { return !form_->Busy(); }));
    }

    // Runs the window's messages until `done`; false after a minute without.
    bool PumpUntil(const std::function<bool()>& done) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(2)) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (done()) return true;
        }
        return false;
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const HWND box = form_->Contents.hwnd();
        for (LRESULT i = 0, n = SendMessageW(box, LB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring line(static_cast<std::size_t>(SendMessageW(box, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            line.resize(static_cast<std::size_t>(SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
            lines.push_back(Narrow(line));
        }
        return lines;
    }
    bool HasLineStarting(const std::string& start) const {
        for (const std::string& line : Lines())
            if (line.rfind(start, 0) == 0) return true;
        return false;
    }

    // The sample's Japanese folder, as the list shows it (on 98, what the ANSI code page holds).
    static std::string ShownJapaneseFolder() {
        const std::string japanese = sample::JapaneseFolderUtf8();
        return testsupport::SystemTakes(Wide(japanese)) ? japanese : std::string(Wide(japanese).size(), '?');
    }

    std::string NamesItem(int i) const {
        const HWND names = form_->Names.hwnd();
        std::wstring text(static_cast<std::size_t>(SendMessageW(names, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(SendMessageW(names, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        return Narrow(text);
    }

    // What the export writes itself out of `backup` into a folder of the test, contacts included.
    Files Reference(const std::string& backup, mailout::Format format, bool recover, unsigned codePage,
                    mailout::ExportSummary& summary) {
        const std::string out = dir_.path() + "\\reference";
        testsupport::RemoveFolder(out);
        mailout::ExportOptions o;
        o.source = backup;
        o.outDir = out;
        o.format = format;
        o.recover = recover;
        o.codePage = codePage;
        summary = mailout::Export(o);
        mailout::ExportContacts(backup, out + "\\contacts.vcf", mailout::ContactsFormat::Vcf, codePage);
        return Tree(out);
    }

    void Reset() {
        form_.reset();
        shown_.clear();
        answers_.clear();
        opened_.clear();
        picked_.clear();
        ended_ = 0;
        onPrompt_ = nullptr;
        onProgress_ = nullptr;
        testsupport::RemoveFolder(desktop_);
        CreateDirectoryA(desktop_.c_str(), nullptr);
    }

    static Backups* backups_;
    ScratchDir dir_;
    const std::string desktop_;
    std::vector<std::string> opened_;
    std::string picked_;  // what the Open dialog or the folder picker answers; empty: cancelled
    int ended_ = 0;
    std::function<void(const mailout::Progress&, const std::atomic<bool>&)> onProgress_;
    std::unique_ptr<mailwindow::MailForm> form_;  // last: gone before what its hooks use
};

Backups* MailWindowTest::backups_ = nullptr;

TEST_F(MailWindowTest, ShowsTheBackupBesideItAndTakesItsDefaults) {
    struct Row {
        const char* name;
        std::string folder;
        bool nameTaken;        // the desktop holds a folder of the default name already
        bool listed;           // a backup is listed in From
        std::string to;        // under the desktop; empty: To stays empty
        bool contacts;         // "Contacts (vCard)" can be ticked
        const char* contactsLine;
    };
    const Row rows[] = {
        {"a backup with its address book", backups_->withBook(), false, true, kDefaultName, true, "Contacts: "},
        {"a backup without, its name taken", backups_->withoutBook(), true, true, std::string(kDefaultName) + " (2)", false,
         "Contacts: none (backed up without \"BackUp Addressbook\")"},
        {"a folder without a backup", dir_.path(), false, false, "", false, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reset();
        if (row.nameTaken) CreateDirectoryA((desktop_ + "\\" + kDefaultName).c_str(), nullptr);
        Start(row.folder);
        EXPECT_EQ(row.listed ? row.folder : "", Narrow(form_->From.Text()));
        EXPECT_EQ(row.to.empty() ? "" : desktop_ + "\\" + row.to, Narrow(form_->To.Text()));
        const std::vector<std::string> lines = Lines();
        ASSERT_FALSE(lines.empty());
        std::string shown;
        for (const std::string& line : lines) shown += "\n" + line;
        SCOPED_TRACE(shown);
        if (row.listed) {
            EXPECT_EQ("Backup of \"Main Identity\", made 12/7/2026", lines[0]);
            EXPECT_TRUE(HasLineStarting("Account: mail.example.jp (POP3): <taro@example.jp>"));
            EXPECT_TRUE(HasLineStarting(row.contactsLine));
            EXPECT_EQ(row.contacts, HasLineStarting("Contacts: 13 in 2 groups"));
            EXPECT_TRUE(HasLineStarting("   Inbox: 200 messages, "));
            EXPECT_TRUE(HasLineStarting("      Projects: "));
            // Japanese names on whatever Windows reads them
            EXPECT_TRUE(HasLineStarting("   " + ShownJapaneseFolder() + ": 18 messages"));
            EXPECT_EQ("Chosen from the names (code page 932)", NamesItem(0));
        } else {
            EXPECT_EQ(0u, lines[0].rfind("Double-click the From box", 0)) << lines[0];
        }
        EXPECT_EQ((std::vector<int>{1, 0, 1, 0}),
                  (std::vector<int>{form_->Eml.Value(), form_->Mbox.Value(), form_->Contacts.Value(), form_->Recover.Value()}));
        EXPECT_EQ(row.contacts, form_->Contacts.Enabled());
        EXPECT_EQ(0u, form_->CodePage());
        EXPECT_TRUE(form_->Do.Enabled());
        EXPECT_TRUE(shown_.empty());
    }
}

TEST_F(MailWindowTest, DoubleClicksTakeWhatThePickersGive) {
    const std::string backup = backups_->withBook(), defaultTo = desktop_ + "\\" + kDefaultName;
    CreateDirectoryA((dir_.path() + "\\empty").c_str(), nullptr);
    struct Row {
        bool from;            // the From box, else To
        std::string picked;   // empty: the dialog is cancelled
        std::string want;     // the box's text afterwards
        const char* listed;   // From: how the list begins
    };
    const Row rows[] = {
        {true, backup + "\\OLdate.bkd", backup, "Backup of \"Main Identity\""},
        {true, backup + "\\OL.lzh", backup, "Backup of \"Main Identity\""},
        {true, backups_->loneArchive(), backups_->loneArchive(), "Mail store archive OL.lzh"},
        {true, backups_->store() + "\\Folders.dbx", backups_->store(), "Mail store folder "},
        {true, backups_->store() + "\\Inbox.dbx", backups_->store() + "\\Inbox.dbx", "Mail store file Inbox.dbx"},
        {true, "", backup, "Backup of \"Main Identity\""},
        {false, dir_.path() + "\\empty", dir_.path() + "\\empty", nullptr},
        {false, backup, backup + "\\" + kDefaultName, nullptr},  // not empty: a new folder inside
        {false, "", defaultTo, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.picked);
        Reset();
        Start(backup);
        picked_ = row.picked;
        SendMessageW((row.from ? form_->From : form_->To).hwnd(), WM_LBUTTONDBLCLK, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !form_->Busy(); }));
        EXPECT_EQ(row.want, Narrow((row.from ? form_->From : form_->To).Text()));
        if (row.listed) {
            EXPECT_TRUE(HasLineStarting(row.listed)) << Lines()[0];
        }
    }
}

TEST_F(MailWindowTest, DoWritesWhatTheExportWritesForTheSameBackup) {
    struct Row {
        mailout::Format format;
        bool recover;
        int names;   // the pick in Names: 0 chosen from the names (932 here), 2 Western (1252)
        int answer;  // to "open the output folder?"
        const char* written;
    };
    const Row rows[] = {
        {mailout::Format::Eml, false, 0, IDYES, " (.eml files)."},
        {mailout::Format::Mbox, true, 2, IDNO, " recovered (Thunderbird folders)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.written);
        Reset();
        Start(backups_->withBook());
        if (row.format == mailout::Format::Mbox) SendMessageW(form_->Mbox.hwnd(), BM_CLICK, 0, 0);
        if (row.recover) SendMessageW(form_->Recover.hwnd(), BM_CLICK, 0, 0);
        if (row.names) {
            SendMessageW(form_->Names.hwnd(), CB_SETCURSEL, row.names, 0);
            form_->Names_Change();
            ASSERT_TRUE(PumpUntil([&] { return !form_->Busy(); }));
            EXPECT_FALSE(HasLineStarting("   " + ShownJapaneseFolder() + ": 18 messages"));  // read as 1252
            EXPECT_EQ("Chosen from the names", NamesItem(0));  // nothing chosen this time
        }
        EXPECT_EQ(row.format == mailout::Format::Mbox ? 0 : 1, form_->Eml.Value());  // one format at a time
        const std::string to = Narrow(form_->To.Text());
        answers_ = {row.answer};
        form_->Do_Click();
        EXPECT_FALSE(form_->Do.Enabled());
        ASSERT_TRUE(PumpUntil([&] { return !shown_.empty(); }));

        mailout::ExportSummary summary;
        const Files want = Reference(backups_->withBook(), row.format, row.recover, mailwindow::kNamesCodePages[row.names], summary);
        const Files got = Tree(to);
        EXPECT_TRUE(want == got) << "export:" << Names(want) << "\nwindow:" << Names(got);
        EXPECT_NE("<missing>", ReadBytes(to + "\\contacts.vcf"));
        ASSERT_EQ(1u, shown_.size());
        const std::string written = "Written: " + std::to_string(summary.folders) + " folders, " + std::to_string(summary.messages) +
                                    " messages";
        EXPECT_NE(std::string::npos, Narrow(shown_[0].text).find(written)) << Narrow(shown_[0].text);
        EXPECT_NE(std::string::npos, Narrow(shown_[0].text).find(row.written));
        EXPECT_NE(std::string::npos, Narrow(shown_[0].text).find("Into: " + to + "\n"));
        EXPECT_EQ(static_cast<UINT>(MB_YESNO), shown_[0].flags & MB_TYPEMASK);
        EXPECT_EQ(row.answer == IDYES ? std::vector<std::string>{to} : std::vector<std::string>{}, opened_);
        // Ready for another export, into a new folder again.
        EXPECT_TRUE(form_->Do.Enabled());
        EXPECT_EQ(desktop_ + "\\" + kDefaultName + " (2)", Narrow(form_->To.Text()));
    }
}

TEST_F(MailWindowTest, DoRefusesWhenThereIsNothingToWriteOutOrNowhereTo) {
    struct Row {
        const char* name;
        std::string from, to;
        const wchar_t* says;
    };
    const Row rows[] = {
        {"no From", "", desktop_ + "\\out", mailwindow::kChooseFrom},
        {"a From that is no backup", dir_.path(), desktop_ + "\\out", mailwindow::kNoSource},
        {"no To", backups_->withBook(), "", mailwindow::kChooseTo},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reset();
        Start(dir_.path() + "\\Desktop");
        form_->From.SetText(Widen(row.from));
        form_->From_Commit();
        ASSERT_TRUE(PumpUntil([&] { return !form_->Busy(); }));
        form_->To.SetText(Widen(row.to));
        form_->Do_Click();
        ASSERT_TRUE(PumpUntil([&] { return !form_->Busy(); }));
        ASSERT_EQ(1u, shown_.size());
        EXPECT_EQ(0u, shown_[0].text.rfind(row.says, 0)) << Narrow(shown_[0].text);
        EXPECT_TRUE(Tree(desktop_).empty());
        EXPECT_TRUE(form_->Do.Enabled());
    }
}

TEST_F(MailWindowTest, ClosingDuringAnExportAsksThenStopsWithOnlyWholeFilesWritten) {
    struct Row {
        const char* name;
        mailout::Format format;
        int answer;
    };
    const Row rows[] = {
        {".eml files, Yes", mailout::Format::Eml, IDYES},
        {"mbox, Yes", mailout::Format::Mbox, IDYES},
        {".eml files, No: the export goes on", mailout::Format::Eml, IDNO},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reset();
        Start(backups_->withBook());
        if (row.format == mailout::Format::Mbox) SendMessageW(form_->Mbox.hwnd(), BM_CLICK, 0, 0);
        const std::string to = Narrow(form_->To.Text());
        // The worker is held in the middle of a folder until the window asks it to stop, or the
        // user said No.
        std::atomic<bool> held{false}, goOn{false};
        onProgress_ = [&](const mailout::Progress& p, const std::atomic<bool>& stopping) {
            if (held || !p.done || p.done >= p.expected) return;
            held = true;
            for (DWORD start = GetTickCount(); !stopping && !goOn && GetTickCount() - start < 60000;) Sleep(1);
        };
        onPrompt_ = [&] {
            if (row.answer == IDNO) goOn = true;
        };
        answers_ = {row.answer};
        form_->Do_Click();
        ASSERT_TRUE(PumpUntil([&] { return held.load(); }));
        EXPECT_FALSE(form_->Do.Enabled());
        SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);

        ASSERT_FALSE(shown_.empty());
        EXPECT_EQ(mailwindow::kStopQuestion, shown_[0].text);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), shown_[0].flags & (MB_TYPEMASK | MB_DEFMASK));
        mailout::ExportSummary summary;
        const Files want = Reference(backups_->withBook(), row.format, false, 0, summary);
        if (row.answer == IDNO) {
            ASSERT_TRUE(PumpUntil([&] { return shown_.size() == 2; }));
            EXPECT_EQ(0, ended_);
            EXPECT_TRUE(want == Tree(to));
            continue;
        }
        EXPECT_EQ(1, ended_);
        EXPECT_FALSE(form_->Busy());
        // Every file is whole: as the export writes it, or (an mbox) cut where a message begins.
        const Files got = Tree(to);
        EXPECT_TRUE(got != want) << "the export was not stopped";
        EXPECT_EQ(0u, got.count("contacts.vcf"));
        for (const auto& [name, bytes] : got) {
            SCOPED_TRACE(name);
            ASSERT_EQ(1u, want.count(name));
            const std::string& whole = want.at(name);
            if (bytes == whole) continue;
            EXPECT_EQ(mailout::Format::Mbox, row.format);
            EXPECT_EQ(0u, whole.rfind(bytes, 0));
            EXPECT_EQ(0u, whole.compare(bytes.size(), 5, "From "));
        }
    }
}

}  // namespace
