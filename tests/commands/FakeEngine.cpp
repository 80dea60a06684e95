#include "FakeEngine.h"

namespace kvtest {

ComRef<IMtClip> MakeClip(const std::string& label)
{
    return ComRef<IMtClip>(ComObject<IMtClip>::Create<FakeClip>(label));
}

std::string LabelOf(IMtClip* clip)
{
    return clip ? static_cast<FakeClip*>(clip)->label : "";
}

HRESULT FakeTrack::SwapContent(IMtClip* newContent, IMtClip** previous)
{
    if (failSwap)
        return E_OUTOFMEMORY;
    ComRef<IMtClip> old = std::move(content);
    content = ComRef<IMtClip>::Share(newContent);
    if (previous)
        *previous = old.Detach();
    return S_OK;
}

HRESULT FakeTrack::CopyToEnd(IMtClip** copy, LONGLONG start)
{
    if (failCopy)
        return E_OUTOFMEMORY;
    if (start != startOffset)
        return E_INVALIDARG;
    *copy = MakeClip(LabelOf(content.Get())).Detach();
    return S_OK;
}

HRESULT FakeTrackSet::GetTrack(LONG index, IMtTrack** track)
{
    if (index < 0 || index >= static_cast<LONG>(tracks.size()))
        return E_INVALIDARG;
    *track = ComRef<IMtTrack>::Share(tracks[index].Get()).Detach();
    return S_OK;
}

FakeDocument::FakeDocument() : trackSet(ComObject<IMtTrackSet>::Create<FakeTrackSet>())
{
    for (int i = 0; i < 2; ++i) {
        trackSet->tracks.emplace_back(ComObject<IMtTrack>::Create<FakeTrack>());
        trackSet->tracks.back()->content = MakeClip("before" + std::to_string(i));
        trackSet->tracks.back()->startOffset = 100 * i;
    }
}

HRESULT FakeDocument::SetTrackSelected(int trackIndex, BOOL selected)
{
    if (selected)
        this->selected.push_back(trackIndex);
    return S_OK;
}

} // namespace kvtest
