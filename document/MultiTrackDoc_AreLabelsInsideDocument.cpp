// Whether every cue, section and loop lies inside the sound: the saves warn before marks
// beyond the end are dropped.
#include "MultiTrackDoc.h"

BOOL CNyMultiTrackDoc::AreLabelsInsideDocument(int trackId)
{
    const int64_t length = GetLength();
    const int count = GetLabels().GetSize();
    for (int id = 1; id <= count; ++id) {
        LabelRecord r{};
        if (!FindLabelById(id, &r) || r.id < 0 || (r.kind & kLabelHidden))
            continue;
        const int kind = r.kind & 0xFF;
        if (kind != kLabelCue && kind != kLabelSection && kind != kLabelLoop)
            continue;
        if (trackId == -1 && r.trackId != -1)
            continue;
        if (r.end > length)
            return FALSE;
    }
    return TRUE;
}
