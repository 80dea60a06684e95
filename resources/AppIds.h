// Resource ids of the application object: start-up messages and the progress dialog.
#pragma once
#define IDS_INIT_ERROR 20375
#define IDS_IN_USE_BY_NAMED 20457
#define IDS_IN_USE_BY_ANOTHER 20458
#define IDS_DIRECTX_REQUIRED 20469
#define IDD_PROGRESS 123
#define IDC_PROGRESS_BAR 5144
#define IDC_PROGRESS_TEXT 5152
#define IDS_ALL_SOUND_FILES 20242
#define IDS_ALL_FILES 20243
#define IDS_IMPORT 20441
#define IDS_OPEN 20442
#define IDD_ABOUT 100
#define IDD_ABOUT_TEXT 131
#define IDC_ABOUT_VERSION 5242
#define IDC_ABOUT_PRODUCT 5269
#define IDC_ABOUT_WRITER 5370
#define IDC_ABOUT_PANEL 5371
