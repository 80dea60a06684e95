#include "LabelTable.h"

#include "MultiTrackDoc.h"
#include "ViewGeometry.h"

#include <cmath>

int CLabelTable::HitTest(int track, int x, int, int halfWidth)
{
    m_hitPart = 0;
    m_currentId = 0;
    ViewGeometry* view = m_view ? m_view : (m_owner ? m_owner->GetMultiTrackView() : nullptr);
    if (!view || view->GetEditMode() == 1 || view->GetEditMode() == 2)
        return 0;
    int64_t first = 0;
    RECT axis = view->GetTrackWaveRect(-1);
    first = view->GetFirstVisibleSample();
    int64_t last = first + view->PixelToSample(double(axis.right - axis.left));
    std::vector<LabelRecord> marks;
    FindInRange(track, marks, first, last, -1);
    auto pixelOf = [&](int64_t sample) {
        return axis.left + static_cast<int>(std::floor(view->SampleToPixel(sample - first)));
    };
    for (const LabelRecord& r : marks) {
        int part = 0;
        if (std::abs(pixelOf(r.start) - x) <= halfWidth)
            part = 4;
        else if (std::abs(pixelOf(r.end) - x) <= halfWidth)
            part = 5;
        if (part) {
            m_hitPart = part;
            m_currentId = r.id;
            return 1;
        }
    }
    return 0;
}
