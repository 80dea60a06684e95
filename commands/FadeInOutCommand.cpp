#include "FadeInOutCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

#include <vector>

namespace {

// Removes the points on one side of edge and puts one at edge with the curve's value there.
void CutAt(IMtEnvelope* curve, const std::vector<int64_t>& outside, int64_t edge)
{
    if (outside.empty())
        return;
    float value = 0.0f;
    ThrowIfFailed(curve->GetValueAt(edge, &value));
    for (int64_t position : outside)
        ThrowIfFailed(curve->DeletePoint(position));
    ThrowIfFailed(curve->InsertPoint(edge, value));
}

} // namespace

HRESULT FadeInOutCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> curve = VolumeEnvelope();
        int64_t length = m_document->GetTrackExtent(m_trackIndex, 0);
        ComRef<IMtEnvelopePointEnum> points;
        ThrowIfFailed(curve->EnumPoints(points.Out()));
        if (!points)
            throw CKvSSException(E_FAIL);
        std::vector<int64_t> before, after;
        int64_t position = 0;
        MtEnvelopePointItem item{};
        while (ThrowIfFailed(points->Next(&item)) == S_OK) {
            position += item.distance;
            if (position < 0)
                before.push_back(position);
            else if (position > length)
                after.push_back(position);
        }
        CutAt(curve.Get(), before, 0);
        CutAt(curve.Get(), after, length);
        TakeAfterCopy();
        return S_OK;
    });
}
