// The frequency analysis pane: its dialog bar, its two dialogs, its context menu and commands,
// and its texts.
#pragma once

// Dialog bar of the pane: the channel list and Refresh.
#define IDD_ANALYSIS_BAR 103
#define IDC_ANALYSIS_CHANNELS 5356
#define ID_ANALYSIS_REFRESH 1065

// Amplitude Range.
#define IDD_ANALYSIS_RANGE 125
#define IDC_ANALYSIS_MAX 5159
#define IDC_ANALYSIS_MIN 5161

// FFT Parameters.
#define IDD_ANALYSIS_FFT 126
#define IDC_ANALYSIS_FFT_SIZE 5160
#define IDC_ANALYSIS_WINDOW 5162
#define IDC_ANALYSIS_OVERLAP 5163
#define IDC_ANALYSIS_OVERLAP_RATIO 5179
#define IDC_ANALYSIS_AUTO_REFRESH 5210

// The pane's context menu and its commands (57602: Close).
#define IDR_ANALYSIS_MENU 408
#define ID_ANALYSIS_AMP_RANGE 1059
#define ID_ANALYSIS_AXIS_LOG 1060
#define ID_ANALYSIS_AXIS_LINEAR 1061
#define ID_ANALYSIS_NARROW 1062
#define ID_ANALYSIS_OCTAVE 1063
#define ID_ANALYSIS_THIRD_OCTAVE 1064
#define ID_ANALYSIS_FFT_PARAMETERS 1066
#define ID_ANALYSIS_SAVE_DATA 1067
#define ID_ANALYSIS_CLOSE 57602
// Command 1000 + n selects the n-th selected track (n from 0).
#define ID_ANALYSIS_TRACK_FIRST 1000
#define ID_ANALYSIS_TRACK_LAST 1020

// The View menu's item that shows or hides the pane (its prompt and the pane's title).
#define IDS_FREQUENCY_ANALYSIS 1074
#define IDS_SAME_AMPLITUDES 10013
#define IDS_ANALYSIS_PROGRESS 20468
#define IDS_CSV_FILENAME 61216
#define IDS_CSV_TRACK_NUMBER 61217
#define IDS_CSV_TRACK_LABEL 61218
#define IDS_CSV_FFT_SIZE 61219
#define IDS_CSV_OVERLAP 61220
#define IDS_CSV_WINDOW 61221
#define IDS_CSV_GRAPH_TYPE 61222
#define IDS_CSV_NARROW 61223
#define IDS_CSV_OCTAVE 61224
#define IDS_CSV_THIRD_OCTAVE 61225
#define IDS_CSV_FREQUENCY 61226
#define IDS_CSV_AMPLITUDE 61227
