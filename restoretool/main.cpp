// Quillboxrestor.exe: start-up in the tool's own folder, then the window's message loop until
// the window is closed.
#include "restoretool/form_olr.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    restoretool::FormOLr form;
    return platform::RunProgram(form);
}
