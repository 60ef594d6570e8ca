// Quillbox.exe: start-up, then the window's message loop until the program is ended.
#include "mainwindow/main_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mainwindow::mainFrm form;
    return platform::RunProgram(form);
}
