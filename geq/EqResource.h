// Resource ids of KvSEGEQ1.dll (strings, page dialogs, controls).
#pragma once

#define IDS_IIR_PAGE_TITLE 1
#define IDS_FIR_PAGE_TITLE 2
// Preset names: 4-9 and 11-16.

#define IDD_IIR_PAGE 101
#define IDD_FIR_PAGE 102

#define IDC_SLIDER_BAND1 1020 // 1020 + k: band k + 1
#define IDC_SLIDER_MASTER 1030
#define IDC_EDIT_BAND1 15002 // 15002 + k: band k + 1
#define IDC_EDIT_MASTER 15012
#define IDC_RESET 15032
#define IDC_LABEL_GAIN 15033
#define IDC_LABEL_TOP 15034
#define IDC_LABEL_BOTTOM 15035
