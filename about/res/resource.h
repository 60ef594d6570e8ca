// Resource and control ids of the about box.
#pragma once

#define IDI_ABOUT 1
#define IDD_ABOUT 100
#define IDC_ABOUT_ICON 101
#define IDC_ABOUT_NAME 102
#define IDC_ABOUT_VERSION 103
#define IDC_ABOUT_DESCRIPTION 104
#define IDC_ABOUT_MAKER 105
#define IDC_ABOUT_ARCHIVER 106
