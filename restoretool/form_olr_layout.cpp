// The restore tool's controls: where each sits (twips), its caption and font. Made in keyboard
// order, which is also their stacking order.
#include "restoretool/form_olr.h"
#include "restoretool/resource.h"

namespace restoretool {

using platform::ControlDef;
using platform::ControlKind;

namespace {

ControlDef Def(ControlKind kind, int id, const char* caption, int left, int top, int width, int height) {
    ControlDef s;
    s.kind = kind;
    s.id = id;
    s.caption = caption;
    s.left = left;
    s.top = top;
    s.width = width;
    s.height = height;
    return s;
}

constexpr int kClientWidth = 5760;
constexpr int kClientHeight = 2412;
constexpr int kUserNamePoints10 = 108;  // bkUser: bold Japanese Gothic, 10.8 point

}  // namespace

bool FormOLr::Create() {
    if (!CreateForm(kWindowCaption, kClientWidth, kClientHeight, nullptr,
                    LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLBOXRESTOR))))
        return false;

    const auto L = ControlKind::Label;
    Add(Drive1, Def(ControlKind::DropDownList, IDC_DRIVE1, "", 0, 0, 2236, 273));
    Add(Dir1, Def(ControlKind::FolderList, IDC_DIR1, "", 0, 351, 2236, 1638));
    Add(File1, Def(ControlKind::ListBox, IDC_FILE1, "", 2340, 351, 3289, 252));
    Add(BkDDir, Def(ControlKind::TextBox, IDC_BKDDIR, "*.bkd", 0, 2106, 5629, 247));
    Add(Command2, Def(ControlKind::Button, IDC_COMMAND2, "Do", 4914, 1755, 715, 247));
    Add(Check1, Def(ControlKind::CheckBox, IDC_CHECK1, "OverWrite Addressbook", 2340, 1755, 2119, 169));
    Add(Restorpath, Def(L, IDC_RESTORPATH, "RestorPath", 2340, 1056, 3288, 612));
    ControlDef user = Def(L, IDC_BKUSER, "UserName", 3276, 702, 2353, 247);
    user.boldGothic = true;
    user.boldPoints10 = kUserNamePoints10;
    Add(bkUser, user);
    Add(Label7, Def(L, IDC_LABEL7, "UserName", 2340, 702, 832, 247));
    Add(Label9, Def(L, IDC_LABEL9, "BackUp Data", 2340, 117, 1066, 247));

    Check1.SetEnabled(false);
    Drive1List = platform::DriveList(Drive1.hwnd());
    Dir1List = platform::FolderList(Dir1.hwnd());
    File1List = platform::FileList(File1.hwnd(), kBackupPattern);
    Drive1List.onChange = [this] { Drive1_Change(); };
    Dir1List.onChange = [this] { Dir1_Change(); };
    File1List.onClick = [this] { File1_Click(); };
    return true;
}

}  // namespace restoretool
