// Quillboxmail.exe: start-up in the program's own folder (a backup there is listed at once),
// then the window's message loop until the window is closed.
#include "mailwindow/mail_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mailwindow::MailForm form;
    return platform::RunProgram(form);
}
