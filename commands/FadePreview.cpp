#include "FadePreview.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

#include <cmath>

std::vector<std::pair<int64_t, float>> FadePoints(UINT shape, int64_t start, int64_t end, float a, float b)
{
    const int64_t length = end - start;
    const int64_t step = length / 180;
    if (shape == kIdShapeLinear || step == 0)
        return {{start, a}, {end, b}};
    std::vector<std::pair<int64_t, float>> points;
    for (int k = -90; k <= 90; k += 2) {
        double value = a + ((std::sin(k * 3.1415926535 * 0.0055555555555555558) + 1.0) * (b - a)) * 0.5;
        points.emplace_back(start + (k + 90) * step, static_cast<float>(value));
    }
    return points;
}

HRESULT ResetPreview(ICommandList* group)
{
    UINT count = 0;
    group->GetCount(&count);
    if (count == 0)
        return S_OK;
    ComRef<IEditCommand> edit = QueryCom<IEditCommand>(group);
    HRESULT hr = edit ? edit->Undo() : E_NOINTERFACE;
    group->Clear();
    return hr;
}

HRESULT WriteFadePreview(CommandDocument* document, ICommandList* group, const std::vector<FadeEntry>& entries,
                         UINT shape, const SnapshotFactory& makeChild)
{
    HRESULT hr = ResetPreview(group);
    if (FAILED(hr))
        return hr;
    ComRef<IEditCommand> current; // the child whose curve is being written
    hr = RunAtEdge([&] {
        for (const FadeEntry& entry : entries) {
            current = ComRef<IEditCommand>(makeChild(document, entry.track));
            if (!current)
                throw CKvSSException(E_OUTOFMEMORY);
            IMtEnvelope* curve = document->GetTrackEditInterface(entry.track, kMtEnvLevel);
            if (!curve)
                throw CKvSSException(E_FAIL);
            const int64_t T0 = document->GetTrackExtent(entry.track, -1);
            const int64_t S = entry.range.start;
            const int64_t E = entry.range.end;
            float a = 0.0f, b = 0.0f;
            if (entry.direction == kIdFadeOut)
                ThrowIfFailed(curve->GetValueAt(S - T0, &a));
            else
                ThrowIfFailed(curve->GetValueAt(E - T0, &b));
            ThrowIfFailed(curve->DeleteRange(S - T0, E - S));
            ThrowIfFailed(curve->InsertRange(S - T0, E - S));
            for (const auto& point : FadePoints(shape, S, E, a, b))
                ThrowIfFailed(curve->InsertPoint(point.first - T0, point.second));
            ThrowIfFailed(group->Add(current.Get()));
            current.Reset();
        }
        return S_OK;
    });
    if (FAILED(hr)) {
        // The track being written goes back first, then those before it.
        if (current)
            current->Undo();
        ResetPreview(group);
    }
    document->RepaintAllViews();
    return hr;
}

UINT PlanCrossfade(CommandDocument* document, std::vector<FadeEntry>* entries, SampleRange* range)
{
    std::vector<int> selected;
    const int count = TrackCountOf(document);
    for (int t = 0; t < count; ++t)
        if (document->IsTrackSelectedAt(t))
            selected.push_back(t);
    if (selected.size() != 2)
        return 20461;
    if (selected[1] - selected[0] != 1)
        return 20462;
    FadeEntry e[2];
    for (int i = 0; i < 2; ++i) {
        e[i].track = selected[i];
        e[i].range.start = document->GetTrackExtent(selected[i], -1);
        e[i].range.end = e[i].range.start + document->GetTrackExtent(selected[i], 0);
    }
    SampleRange overlap = e[0].range.Intersect(e[1].range);
    if (overlap.start == overlap.end)
        return 20463;
    SampleRange chosen;
    document->GetSelectionRange(&chosen.start, &chosen.end);
    if (chosen.start != chosen.end) {
        SampleRange within = overlap.Intersect(chosen);
        if (within.start == within.end)
            return 20463;
    } else {
        if (overlap == e[0].range || overlap == e[1].range)
            return 20464;
        chosen = overlap;
    }
    chosen.Normalize();
    // The later track fades in; at equal starts the first fades out.
    const bool secondLater = e[1].range.start >= e[0].range.start;
    e[0].direction = secondLater ? kIdFadeOut : kIdFadeIn;
    e[1].direction = secondLater ? kIdFadeIn : kIdFadeOut;
    entries->clear();
    for (FadeEntry& entry : e) {
        entry.range = entry.range.Intersect(chosen);
        entries->push_back(entry);
    }
    *range = chosen;
    return 0;
}

std::vector<FadeEntry> PlanFadeInOut(CommandDocument* document, UINT direction, SampleRange* range)
{
    SampleRange chosen;
    document->GetSelectionRange(&chosen.start, &chosen.end);
    if (chosen.start == chosen.end)
        chosen = SampleRange{0, document->GetLength()};
    chosen.Normalize();
    std::vector<FadeEntry> entries;
    const int count = TrackCountOf(document);
    for (int t = 0; t < count; ++t) {
        if (!document->IsTrackSelectedAt(t))
            continue;
        FadeEntry entry;
        entry.track = t;
        entry.direction = direction;
        entry.range = chosen;
        entries.push_back(entry);
    }
    *range = chosen;
    return entries;
}
