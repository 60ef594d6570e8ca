// Control and resource ids of the mail window.
#pragma once

#define IDI_QUILLBOXMAIL 1

#define IDC_FROMLABEL 1201
#define IDC_FROM 1202
#define IDC_CONTENTS 1203
#define IDC_TOLABEL 1204
#define IDC_TO 1205
#define IDC_FORMATFRAME 1206
#define IDC_EML 1207
#define IDC_MBOX 1208
#define IDC_ALSOFRAME 1209
#define IDC_CONTACTS 1210
#define IDC_RECOVER 1211
#define IDC_PROGRESS 1212
#define IDC_STATUS 1213
#define IDC_DO 1214
#define IDC_NAMESLABEL 1215
#define IDC_NAMES 1216
