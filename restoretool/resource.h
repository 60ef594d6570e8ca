// Control and resource ids of the restore tool's window.
#pragma once

#define IDI_QUILLBOXRESTOR 1

#define IDC_DRIVE1 1101
#define IDC_DIR1 1102
#define IDC_FILE1 1103
#define IDC_BKDDIR 1104
#define IDC_COMMAND2 1105
#define IDC_CHECK1 1106
#define IDC_RESTORPATH 1107
#define IDC_BKUSER 1108
#define IDC_LABEL7 1109
#define IDC_LABEL9 1110
