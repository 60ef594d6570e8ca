// Every control of the main window, found in the real window at its place, with its caption.
#include "mainwindow/main_form.h"
#include "mainwindow/resource.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Expected {
    const char* name;
    int id;
    int container;  // 0: the window itself
    const wchar_t* caption;
    int left, top, width, height;  // twips
    const wchar_t* cls;
};

// The window's layout, written down independently of the code that builds it.
const std::vector<Expected> kLayout = {
    {"Frame1", IDC_FRAME1, 0, L"UserData", 0, 0, 4576, 1940, L"QuillboxFrame"},
    {"Label3(1)", IDC_LABEL3_1, IDC_FRAME1, L"OS version", 117, 234, 949, 247, L"Static"},
    {"Label1", IDC_LABEL1, IDC_FRAME1, L"OSver", 1053, 234, 3406, 247, L"Static"},
    {"Label3(2)", IDC_LABEL3_2, IDC_FRAME1, L"IE version", 117, 468, 1066, 247, L"Static"},
    {"Label2", IDC_LABEL2, IDC_FRAME1, L"IEver", 1053, 468, 3406, 247, L"Static"},
    {"Label3(0)", IDC_LABEL3_0, IDC_FRAME1, L"Log on User", 117, 702, 1066, 247, L"Static"},
    {"Uname", IDC_UNAME, IDC_FRAME1, L"UserName", 1053, 702, 2236, 247, L"Static"},
    {"Label4", IDC_LABEL4, IDC_FRAME1, L"DataPath", 117, 936, 832, 247, L"Static"},
    {"Dpath", IDC_DPATH, IDC_FRAME1, L"datapath", 1053, 936, 3289, 364, L"Static"},
    {"Label5", IDC_LABEL5, IDC_FRAME1, L"OutlookEx RegistUser", 117, 1235, 949, 364, L"Static"},
    {"UserList", IDC_USERLIST, IDC_FRAME1, L"", 1053, 1287, 2821, 273, L"ComboBox"},
    {"OLdPath", IDC_OLDPATH, IDC_FRAME1, L"Label6", 117, 1638, 4342, 247, L"Static"},
    {"Line1(1)", IDC_LINE1_1, 0, L"", 0, 1989, 4563, 15, L"Static"},
    {"Line1(0)", IDC_LINE1_0, 0, L"", 0, 2015, 4563, 15, L"Static"},
    {"Frame2", IDC_FRAME2, 0, L"Frame2", 0, 2106, 4576, 2704, L"QuillboxFrame"},
    {"BackUpFrame(0)", IDC_BACKUPFRAME_0, IDC_FRAME2, L"BackUp", 0, 234, 4576, 1240, L"QuillboxFrame"},
    {"FrameSelect(0)", IDC_FRAMESELECT_0, IDC_BACKUPFRAME_0, L"BackUp", 117, 0, 715, 247, L"Static"},
    {"Label6", IDC_LABEL6, IDC_BACKUPFRAME_0, L"BackUp Directory", 117, 234, 1417, 247, L"Static"},
    {"Label7(0)", IDC_LABEL7_0, IDC_BACKUPFRAME_0, L"UserName", 1638, 234, 832, 247, L"Static"},
    {"Label8", IDC_LABEL8, IDC_BACKUPFRAME_0, L"UserName", 2457, 234, 2002, 247, L"Static"},
    {"bkDir", IDC_BKDIR, IDC_BACKUPFRAME_0, L"Text1", 117, 468, 4342, 247, L"Edit"},
    {"Addresbook", IDC_ADDRESBOOK, IDC_BACKUPFRAME_0, L"BackUp Addressbook", 117, 702, 2002, 169, L"Button"},
    {"Command1", IDC_COMMAND1, IDC_BACKUPFRAME_0, L"Do", 3744, 936, 715, 247, L"Button"},
    {"BackUpFrame(1)", IDC_BACKUPFRAME_1, IDC_FRAME2, L"Restor", 0, 0, 4576, 1240, L"QuillboxFrame"},
    {"FrameSelect(1)", IDC_FRAMESELECT_1, IDC_BACKUPFRAME_1, L"Restore", 117, 0, 715, 247, L"Static"},
    {"Label9", IDC_LABEL9, IDC_BACKUPFRAME_1, L"BackUp Data", 117, 234, 1066, 247, L"Static"},
    {"Label7(1)", IDC_LABEL7_1, IDC_BACKUPFRAME_1, L"UserName", 1638, 234, 832, 247, L"Static"},
    {"bkUser", IDC_BKUSER, IDC_BACKUPFRAME_1, L"UserName", 2457, 234, 2002, 247, L"Static"},
    {"BkDDir", IDC_BKDDIR, IDC_BACKUPFRAME_1, L"*.bkd", 117, 468, 4342, 247, L"Edit"},
    {"Check1", IDC_CHECK1, IDC_BACKUPFRAME_1, L"OverWrite Addressbook", 117, 702, 2119, 169, L"Button"},
    {"Restorpath", IDC_RESTORPATH, IDC_BACKUPFRAME_1, L"RestorPath", 117, 936, 3523, 247, L"Static"},
    {"Command2", IDC_COMMAND2, IDC_BACKUPFRAME_1, L"Do", 3744, 936, 715, 247, L"Button"},
    {"UserDList", IDC_USERDLIST, 0, L"", 4680, 1287, 1183, 600, L"ListBox"},
    {"Text1", IDC_TEXT1, 0, L"Text1", 4680, 2223, 949, 247, L"Edit"},
    {"Text2", IDC_TEXT2, 0, L"Text2", 4797, 2808, 1417, 364, L"Edit"},
};

int Px(int twips) { return MulDiv(twips, 96, 1440); }

HWND FindById(HWND root, int id) {
    return testsupport::FirstChild(root, [id](HWND h) { return GetDlgCtrlID(h) == id; });
}

std::wstring TextOf(HWND h) {
    wchar_t buf[256] = {};
    GetWindowTextW(h, buf, 256);
    return buf;
}

class MainWindowLayout : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_TRUE(form_.Create());
    }
    int dpi_ = 0;
    mainwindow::mainFrm form_;
};

TEST_F(MainWindowLayout, EveryControlAtItsPlaceWithItsCaption) {
    ASSERT_EQ(96, dpi_) << "positions are checked at 96 dpi";
    for (const Expected& e : kLayout) {
        SCOPED_TRACE(e.name);
        HWND h = FindById(form_.hwnd(), e.id);
        ASSERT_NE(nullptr, h);
        HWND parent = e.container ? FindById(form_.hwnd(), e.container) : form_.hwnd();
        EXPECT_EQ(parent, GetParent(h));
        RECT rc;
        GetWindowRect(h, &rc);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_NEAR(Px(e.left), rc.left, 1);
        EXPECT_NEAR(Px(e.top), rc.top, 1);
        EXPECT_NEAR(Px(e.width), rc.right - rc.left, 1);
        // A drop-down list cannot close to less than its font's line height; under Wine with the
        // substitute Gothic font that is 20 pixels, 2 more than asked for.
        EXPECT_NEAR(Px(e.height), rc.bottom - rc.top, e.id == IDC_USERLIST ? 2 : 1);
        EXPECT_EQ(std::wstring(e.caption), TextOf(h));
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        EXPECT_EQ(0, lstrcmpiW(e.cls, cls)) << "class";
    }
}

TEST_F(MainWindowLayout, WindowCaptionClientAreaAndMenus) {
    EXPECT_EQ(L"Quillbox Ver2", TextOf(form_.hwnd()));
    RECT client;
    GetClientRect(form_.hwnd(), &client);
    EXPECT_EQ(310, client.right);
    EXPECT_EQ(239, client.bottom);

    HMENU bar = GetMenu(form_.hwnd());
    ASSERT_NE(nullptr, bar);
    struct Menu { const wchar_t* top; std::vector<std::pair<int, const wchar_t*>> items; };
    const std::vector<Menu> menus = {{L"FILE", {{IDM_BACKUP, L"BackUp"}, {IDM_RESTOR, L"Restor"}}},
                                     {L"HELP", {{IDM_HELP, L"Help"}}},
                                     {L"ABOUT", {{IDM_ABOUT, L"About"}}},
                                     {L"END", {{IDM_END, L"End"}}}};
    ASSERT_EQ(static_cast<int>(menus.size()), GetMenuItemCount(bar));
    for (int i = 0; i < static_cast<int>(menus.size()); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(bar, i, text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(menus[i].top), text);
        HMENU sub = GetSubMenu(bar, i);
        ASSERT_EQ(static_cast<int>(menus[i].items.size()), GetMenuItemCount(sub));
        for (int j = 0; j < GetMenuItemCount(sub); ++j) {
            EXPECT_EQ(menus[i].items[j].first, static_cast<int>(GetMenuItemID(sub, j)));
            GetMenuStringW(sub, j, text, 64, MF_BYPOSITION);
            EXPECT_EQ(std::wstring(menus[i].items[j].second), text);
        }
    }
}

TEST_F(MainWindowLayout, BackupPageInFrontRestoreSelectorGreyWithHand) {
    // The backup page lies above the restore page in Frame2's stacking order.
    HWND backup = FindById(form_.hwnd(), IDC_BACKUPFRAME_0);
    HWND restore = FindById(form_.hwnd(), IDC_BACKUPFRAME_1);
    HWND above = GetWindow(GetParent(backup), GW_CHILD);
    EXPECT_EQ(backup, above);
    EXPECT_EQ(restore, GetWindow(backup, GW_HWNDNEXT));

    EXPECT_EQ(platform::kPointerCustom, form_.FrameSelect[1].MousePointer());
    EXPECT_NE(platform::kPointerCustom, form_.FrameSelect[0].MousePointer());
    EXPECT_FALSE(form_.Check1.Enabled());
    EXPECT_EQ(0, form_.Addresbook.Value());
    EXPECT_EQ(0, form_.Check1.Value());
}

TEST_F(MainWindowLayout, KeyboardOrder) {
    const int order[] = {IDC_USERLIST, IDC_USERDLIST, IDC_TEXT1, IDC_BKDIR, IDC_ADDRESBOOK, IDC_COMMAND1,
                         IDC_BKDDIR,   IDC_COMMAND2,  IDC_CHECK1, IDC_TEXT2};
    form_.Check1.SetEnabled(true);  // a disabled control takes no focus and is skipped
    HWND h = FindById(form_.hwnd(), order[0]);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        h = GetNextDlgTabItem(form_.hwnd(), h, FALSE);
        EXPECT_EQ(order[i], GetDlgCtrlID(h)) << "after position " << i - 1;
    }
}

TEST_F(MainWindowLayout, BoldGothicFontsAndColours) {
    struct Row { platform::Control* control; int points10; };
    const Row bold[] = {{&form_.FrameSelect[0], 90}, {&form_.FrameSelect[1], 90}, {&form_.Label8, 105}, {&form_.bkUser, 105}};
    for (const Row& r : bold) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(r.control->hwnd(), WM_GETFONT, 0, 0));
        LOGFONTW lf = {};
        ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
        EXPECT_EQ(FW_BOLD, lf.lfWeight);
        EXPECT_EQ(std::wstring(L"MS PGothic"), lf.lfFaceName);
        EXPECT_EQ(-MulDiv(r.points10, 96, 720), lf.lfHeight);
    }
    struct Colour { platform::Control* control; int sysColor; };
    const Colour colours[] = {{&form_.Label3[0], COLOR_HIGHLIGHT}, {&form_.Label3[1], COLOR_HIGHLIGHT},
                              {&form_.Label3[2], COLOR_HIGHLIGHT}, {&form_.Label4, COLOR_HIGHLIGHT},
                              {&form_.Label5, COLOR_HIGHLIGHT},    {&form_.FrameSelect[0], COLOR_MENUTEXT},
                              {&form_.FrameSelect[1], COLOR_GRAYTEXT}};
    for (const Colour& c : colours) {
        HDC dc = GetDC(c.control->hwnd());
        SendMessageW(GetParent(c.control->hwnd()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(c.control->hwnd()));
        EXPECT_EQ(GetSysColor(c.sysColor), GetTextColor(dc)) << GetDlgCtrlID(c.control->hwnd());
        ReleaseDC(c.control->hwnd(), dc);
    }
}

}  // namespace
