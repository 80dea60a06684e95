// String ids of the core services. The error texts keep their numeric ids (11000..12311 for
// the result codes, 11301..11316 for DirectSound); ErrorText maps codes to them.
#pragma once

#define IDS_TIMEUNIT_HMS 10004
#define IDS_TIMEUNIT_SECONDS 10005
#define IDS_TIMEUNIT_MILLISECONDS 10006
#define IDS_TIMEUNIT_SAMPLES 10007
#define IDS_TIMEUNIT_FRAMES 10008
#define IDS_TIMEUNIT_TIMECODE 10009

#define IDS_ERROR_GENERAL 11000
#define IDS_ERROR_UNKNOWN 11001
#define IDS_ERROR_CANCELED 11004

// Messages the core services show themselves (CoreMessageBox.h has the same ids).
#define IDS_NO_DEFAULT_BROWSER 11400
#define IDS_CREATE_FOLDER_ASK 20295
#define IDS_CREATE_FOLDER_FAILED 20296
#define IDS_INVALID_FOLDER 20297
#define IDS_INVALID_FOLDER_CHARS 20299
