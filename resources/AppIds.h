// Resource ids of the application object: start-up messages and the progress dialog.
#pragma once
#define IDS_INIT_ERROR 20375
#define IDS_IN_USE_BY_NAMED 20457
#define IDS_IN_USE_BY_ANOTHER 20458
#define IDS_DIRECTX_REQUIRED 20469
#define IDD_PROGRESS 123
#define IDC_PROGRESS_BAR 5144
#define IDC_PROGRESS_TEXT 5152
