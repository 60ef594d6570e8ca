// The restore tool's controls: where each sits (twips), its caption and font. Made in keyboard
// order, which is also their stacking order.
#include "restoretool/form_olr.h"
#include "restoretool/resource.h"

namespace restoretool {

using platform::BoldGothic;
using platform::ControlAt;
using platform::ControlKind;

namespace {

constexpr int kClientWidth = 5760;
constexpr int kClientHeight = 2412;
constexpr int kUserNamePoints10 = 108;  // bkUser: bold Japanese Gothic, 10.8 point

}  // namespace

bool FormOLr::Create() {
    if (!CreateForm(kWindowCaption, kClientWidth, kClientHeight, nullptr,
                    LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLBOXRESTOR))))
        return false;

    const auto L = ControlKind::Label;
    Add(Drive1, ControlAt(ControlKind::DropDownList, IDC_DRIVE1, "", 0, 0, 2236, 273));
    Add(Dir1, ControlAt(ControlKind::FolderList, IDC_DIR1, "", 0, 351, 2236, 1638));
    Add(File1, ControlAt(ControlKind::ListBox, IDC_FILE1, "", 2340, 351, 3289, 252));
    Add(BkDDir, ControlAt(ControlKind::TextBox, IDC_BKDDIR, "*.bkd", 0, 2106, 5629, 247));
    Add(Command2, ControlAt(ControlKind::Button, IDC_COMMAND2, "Do", 4914, 1755, 715, 247));
    Add(Check1, ControlAt(ControlKind::CheckBox, IDC_CHECK1, "OverWrite Addressbook", 2340, 1755, 2119, 169));
    Add(Restorpath, ControlAt(L, IDC_RESTORPATH, "RestorPath", 2340, 1056, 3288, 612));
    Add(bkUser, BoldGothic(ControlAt(L, IDC_BKUSER, "UserName", 3276, 702, 2353, 247), kUserNamePoints10));
    Add(Label7, ControlAt(L, IDC_LABEL7, "UserName", 2340, 702, 832, 247));
    Add(Label9, ControlAt(L, IDC_LABEL9, "BackUp Data", 2340, 117, 1066, 247));

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
