// Resource ids of the FFT equaliser's dialog and its FFT parameter and amplitude range dialogs.
#pragma once

#define IDD_FFTEQ 5364
#define IDD_FFT_PARAMETERS 5365
#define IDD_AMPLITUDE_RANGE 5366

// The FFT equaliser dialog.
#define IDC_FFTEQ_PREVIEW 171
#define IDC_FFTEQ_RESET 172
#define IDC_FFTEQ_HELP 173
#define IDC_FFTEQ_SETTINGS 174
#define IDC_FFTEQ_RANGE 175
#define IDC_FFTEQ_TRACKS 176
#define IDC_FFTEQ_AXIS 177
#define IDC_FFTEQ_LOG 178
#define IDC_FFTEQ_LINEAR 179
#define IDC_FFTEQ_PAGE_FRAME 181
#define IDC_FFTEQ_NEW_WINDOW 5291
// FFT parameters.
#define IDC_FFT_SIZE 182
#define IDC_FFT_OVERLAP 183
#define IDC_FFT_WINDOW 184
#define IDC_FFT_OVERLAP_RATIO 186
// Amplitude range.
#define IDC_RANGE_MAXIMUM 185
#define IDC_RANGE_MINIMUM 5075
#define IDC_FFT_DIALOG_HELP 9

#define IDS_AMPLITUDE_OUT_OF_RANGE 20273
#define IDS_FFTEQ_NO_TRACK 20275
