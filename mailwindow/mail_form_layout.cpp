// The mail window's controls: where each sits (twips), its caption and kind. Made in keyboard
// order, which is also their stacking order; the radio buttons sit in a frame of their own,
// which makes them one group.
#include "mailwindow/mail_form.h"
#include "mailwindow/resource.h"

namespace mailwindow {

using platform::ControlAt;
using platform::ControlKind;

namespace {

constexpr int kClientWidth = 7200;
constexpr int kClientHeight = 6300;
constexpr int kBelowNames = 420;  // what the row of Names moves down

}  // namespace

bool MailForm::Create() {
    if (!CreateForm(kWindowCaption, kClientWidth, kClientHeight, nullptr,
                    LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLBOXMAIL))))
        return false;

    const auto L = ControlKind::Label;
    Add(FromLabel, ControlAt(L, IDC_FROMLABEL, "From: a backup folder, an OL.lzh or a .dbx file (double-click to choose)", 120, 120,
                             6960, 240));
    Add(From, ControlAt(ControlKind::TextBox, IDC_FROM, "", 120, 390, 6960, 300));
    Add(Contents, ControlAt(ControlKind::ListBox, IDC_CONTENTS, "", 120, 780, 6960, 2460));
    Add(ToLabel, ControlAt(L, IDC_TOLABEL, "To: a new folder for the mail and the contacts (double-click to choose)", 120, 3360,
                           6960, 240));
    Add(To, ControlAt(ControlKind::TextBox, IDC_TO, "", 120, 3630, 6960, 300));
    Add(NamesLabel, ControlAt(L, IDC_NAMESLABEL, "Folder names in", 120, 4080, 1560, 240));
    Add(Names, ControlAt(ControlKind::DropDownList, IDC_NAMES, "", 1680, 4020, 5400, 300));
    constexpr int d = kBelowNames;
    Add(FormatFrame, ControlAt(ControlKind::Frame, IDC_FORMATFRAME, "Mail as", 120, 4050 + d, 3360, 960));
    Add(Eml, ControlAt(ControlKind::RadioButton, IDC_EML, "Mail files (.eml)", 150, 300, 3090, 270), &FormatFrame);
    Add(Mbox, ControlAt(ControlKind::RadioButton, IDC_MBOX, "Thunderbird folders (mbox)", 150, 600, 3090, 270), &FormatFrame);
    Add(AlsoFrame, ControlAt(ControlKind::Frame, IDC_ALSOFRAME, "Also", 3600, 4050 + d, 3480, 960));
    Add(Contacts, ControlAt(ControlKind::CheckBox, IDC_CONTACTS, "Contacts (vCard)", 150, 300, 3210, 270), &AlsoFrame);
    Add(Recover, ControlAt(ControlKind::CheckBox, IDC_RECOVER, "Recover deleted and damaged mail", 150, 600, 3210, 270),
        &AlsoFrame);
    Add(Progress, ControlAt(ControlKind::ProgressBar, IDC_PROGRESS, "", 120, 5160 + d, 5760, 240));
    Add(Status, ControlAt(L, IDC_STATUS, "", 120, 5490 + d, 5760, 240));
    Add(Do, ControlAt(ControlKind::Button, IDC_DO, "Do", 6000, 5130 + d, 1080, 420));

    // Names: chosen from the names first, as qbmail does.
    for (const wchar_t* item : {kNamesChosen, L"Japanese (code page 932)", L"Western European (code page 1252)"})
        SendMessageW(Names.hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(Names.hwnd(), CB_SETCURSEL, 0, 0);

    Eml.SetValue(1);
    Contacts.SetValue(1);
    Contacts.SetEnabled(false);  // until a backup with its address book is listed
    return true;
}

}  // namespace mailwindow
