#include "ExtractCdRows.h"

#include <windows.h>
#include <dbt.h>

#include <cstdio>

CdTrackRowTexts TrackRowTexts(const CCdTrackEntry& entry)
{
    char text[32];
    CdTrackRowTexts row;
    snprintf(text, sizeof text, "%02d", entry.GetTrackNumber());
    row.number = text;
    snprintf(text, sizeof text, "Track%02d", entry.GetTrackNumber());
    row.name = text;
    const unsigned seconds = entry.GetLength() / 1000;
    snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    row.length = text;
    return row;
}

std::string CdTrackPath(char letter, int trackNumber)
{
    char path[32];
    snprintf(path, sizeof path, "%c:\\Track%02d.cda", letter, trackNumber);
    return path;
}

ExtractButtons ExtractButtonsFor(int tickedRows, bool activeDocument, bool rowSelected)
{
    ExtractButtons b;
    b.preview = rowSelected;
    b.importNew = tickedRows >= 1;
    b.importActive = tickedRows >= 1 && activeDocument;
    b.asOne = tickedRows >= 2;
    return b;
}

bool MediaChangeConcerns(unsigned deviceType, unsigned flags, unsigned long unitMask, char letter)
{
    if (deviceType != DBT_DEVTYP_VOLUME || flags != DBTF_MEDIA || letter < 'A' || letter > 'Z')
        return false;
    return (unitMask >> (letter - 'A')) & 1;
}
