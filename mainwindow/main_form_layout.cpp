// The main window's controls: where each sits (twips, relative to its container), its caption,
// colour and font. Made in keyboard order, which is also each container's stacking order.
#include "mainwindow/main_form.h"
#include "mainwindow/resource.h"

namespace mainwindow {

using platform::BoldGothic;
using platform::ControlAt;
using platform::ControlKind;

namespace {

constexpr int kClientWidth = 4650;
constexpr int kClientHeight = 3585;

}  // namespace

bool mainFrm::Create() {
    HMENU bar = CreateMenu();
    struct Item { const wchar_t* top; int id; const wchar_t* caption; };
    const Item items[] = {{L"FILE", IDM_BACKUP, L"BackUp"}, {L"FILE", IDM_RESTOR, L"Restor"},
                          {L"HELP", IDM_HELP, L"Help"},     {L"ABOUT", IDM_ABOUT, L"About"},
                          {L"END", IDM_END, L"End"}};
    HMENU popup = nullptr;
    const wchar_t* current = nullptr;
    for (const Item& it : items) {
        if (!current || lstrcmpW(current, it.top) != 0) {
            popup = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), it.top);
            current = it.top;
        }
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(it.id), it.caption);
    }
    if (!CreateForm(kWindowCaption, kClientWidth, kClientHeight, bar,
                    LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLBOX)))) {
        DestroyMenu(bar);
        return false;
    }

    const auto L = ControlKind::Label;
    const int hi = COLOR_HIGHLIGHT;
    Add(Frame1, ControlAt(ControlKind::Frame, IDC_FRAME1, "UserData", 0, 0, 4576, 1940));
    Add(Label3[1], ControlAt(L, IDC_LABEL3_1, "OS version", 117, 234, 949, 247, hi), &Frame1);
    Add(Label1, ControlAt(L, IDC_LABEL1, "OSver", 1053, 234, 3406, 247), &Frame1);
    Add(Label3[2], ControlAt(L, IDC_LABEL3_2, "IE version", 117, 468, 1066, 247, hi), &Frame1);
    Add(Label2, ControlAt(L, IDC_LABEL2, "IEver", 1053, 468, 3406, 247), &Frame1);
    Add(Label3[0], ControlAt(L, IDC_LABEL3_0, "Log on User", 117, 702, 1066, 247, hi), &Frame1);
    Add(Uname, ControlAt(L, IDC_UNAME, "UserName", 1053, 702, 2236, 247), &Frame1);
    Add(Label4, ControlAt(L, IDC_LABEL4, "DataPath", 117, 936, 832, 247, hi), &Frame1);
    Add(Dpath, ControlAt(L, IDC_DPATH, "datapath", 1053, 936, 3289, 364), &Frame1);
    Add(Label5, ControlAt(L, IDC_LABEL5, "OutlookEx RegistUser", 117, 1235, 949, 364, hi), &Frame1);
    Add(UserList, ControlAt(ControlKind::DropDownList, IDC_USERLIST, "", 1053, 1287, 2821, 273), &Frame1);
    Add(OLdPath, ControlAt(L, IDC_OLDPATH, "Label6", 117, 1638, 4342, 247), &Frame1);

    Add(UserDList, ControlAt(ControlKind::ListBox, IDC_USERDLIST, "", 4680, 1287, 1183, 600));
    Add(Text1, ControlAt(ControlKind::TextBox, IDC_TEXT1, "Text1", 4680, 2223, 949, 247));
    Add(Line1[1], ControlAt(ControlKind::Line, IDC_LINE1_1, "", 0, 1989, 4563, 0, COLOR_3DDKSHADOW));
    Add(Line1[0], ControlAt(ControlKind::Line, IDC_LINE1_0, "", 0, 2015, 4563, 0, COLOR_3DHILIGHT));

    Add(Frame2, ControlAt(ControlKind::Frame, IDC_FRAME2, "Frame2", 0, 2106, 4576, 2704));
    Add(BackUpFrame[0], ControlAt(ControlKind::Frame, IDC_BACKUPFRAME_0, "BackUp", 0, 234, 4576, 1240), &Frame2);
    Add(FrameSelect[0], BoldGothic(ControlAt(L, IDC_FRAMESELECT_0, "BackUp", 117, 0, 715, 247, COLOR_MENUTEXT), 90),
        &BackUpFrame[0]);
    Add(Label6, ControlAt(L, IDC_LABEL6, "BackUp Directory", 117, 234, 1417, 247), &BackUpFrame[0]);
    Add(Label7[0], ControlAt(L, IDC_LABEL7_0, "UserName", 1638, 234, 832, 247), &BackUpFrame[0]);
    Add(Label8, BoldGothic(ControlAt(L, IDC_LABEL8, "UserName", 2457, 234, 2002, 247), 105), &BackUpFrame[0]);
    Add(bkDir, ControlAt(ControlKind::TextBox, IDC_BKDIR, "Text1", 117, 468, 4342, 247), &BackUpFrame[0]);
    Add(Addresbook, ControlAt(ControlKind::CheckBox, IDC_ADDRESBOOK, "BackUp Addressbook", 117, 702, 2002, 169),
        &BackUpFrame[0]);
    Add(Command1, ControlAt(ControlKind::Button, IDC_COMMAND1, "Do", 3744, 936, 715, 247), &BackUpFrame[0]);

    Add(BackUpFrame[1], ControlAt(ControlKind::Frame, IDC_BACKUPFRAME_1, "Restor", 0, 0, 4576, 1240), &Frame2);
    Add(FrameSelect[1], BoldGothic(ControlAt(L, IDC_FRAMESELECT_1, "Restore", 117, 0, 715, 247, COLOR_GRAYTEXT), 90),
        &BackUpFrame[1]);
    Add(Label9, ControlAt(L, IDC_LABEL9, "BackUp Data", 117, 234, 1066, 247), &BackUpFrame[1]);
    Add(Label7[1], ControlAt(L, IDC_LABEL7_1, "UserName", 1638, 234, 832, 247), &BackUpFrame[1]);
    Add(bkUser, BoldGothic(ControlAt(L, IDC_BKUSER, "UserName", 2457, 234, 2002, 247), 105), &BackUpFrame[1]);
    Add(BkDDir, ControlAt(ControlKind::TextBox, IDC_BKDDIR, "*.bkd", 117, 468, 4342, 247), &BackUpFrame[1]);
    Add(Command2, ControlAt(ControlKind::Button, IDC_COMMAND2, "Do", 3744, 936, 715, 247), &BackUpFrame[1]);
    Add(Check1, ControlAt(ControlKind::CheckBox, IDC_CHECK1, "OverWrite Addressbook", 117, 702, 2119, 169),
        &BackUpFrame[1]);
    Add(Restorpath, ControlAt(L, IDC_RESTORPATH, "RestorPath", 117, 936, 3523, 247), &BackUpFrame[1]);

    Add(Text2, ControlAt(ControlKind::TextBox, IDC_TEXT2, "Text2", 4797, 2808, 1417, 364));

    // The backup carries whole registry exports through Text1: no length limit.
    SendMessageW(Text1.hwnd(), EM_SETLIMITTEXT, 0, 0);
    Check1.SetEnabled(false);
    FrameSelect[1].SetMousePointer(platform::kPointerCustom);
    userList_ = platform::ListControl(UserList.hwnd());
    userDList_ = platform::ListControl(UserDList.hwnd());
    return true;
}

}  // namespace mainwindow
