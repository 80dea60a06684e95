// The extract dialog's decisions as plain functions: the texts of a track row, the path of a
// track, and which buttons the check states allow.
#pragma once
#include "CdTrackEntry.h"

#include <string>

struct CdTrackRowTexts {
    std::string number; // "%02d"
    std::string name;   // "Track%02d"
    std::string length; // "%d:%02d" of whole minutes and seconds
};
CdTrackRowTexts TrackRowTexts(const CCdTrackEntry& entry);

// "%c:\Track%02d.cda"
std::string CdTrackPath(char letter, int trackNumber);

struct ExtractButtons {
    bool importNew = false, importActive = false, asOne = false, preview = false;
};
ExtractButtons ExtractButtonsFor(int tickedRows, bool activeDocument, bool rowSelected);

// A device-change report concerns the selected drive: a volume's media arrival or removal
// (flags exactly DBTF_MEDIA) whose unit mask holds the letter.
bool MediaChangeConcerns(unsigned deviceType, unsigned flags, unsigned long unitMask, char letter);
