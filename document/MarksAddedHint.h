// The hint a document passes its views (CDocument::UpdateAllViews) when marks were added and
// nothing else changed: a view repaints those marks only, not the whole of itself.
#pragma once
#include "FwObject.h"

constexpr LPARAM kHintMarksAdded = 0x4D41;

class MarksAddedHint : public CObject {
public:
    explicit MarksAddedHint(int first) : firstId(first) {}
    // The added marks are those of the label table with this id and after.
    int firstId;
};
