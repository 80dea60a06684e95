// Ids of the settings page of the sound-file formats the program writes (WAV and AIFF).
#pragma once

#define IDD_WAVE_FORMAT_PAGE 5400
#define IDC_WAVE_SAMPLE_FORMAT 5401
#define IDC_WAVE_CHANNELS_LABEL 5402
#define IDC_WAVE_CHANNELS 5403
#define IDS_WAVE_PAGE_TITLE 20216
