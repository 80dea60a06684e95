// A small engine for the range-command tests: a track set of tracks whose content is a
// labelled clip, and a document that records what commands ask of it.
#pragma once
#include "CommandDocument.h"
#include "ComRef.h"
#include "EngineStubs.h"

#include <string>
#include <vector>

namespace kvtest {

class FakeClip : public StubClip {
public:
    explicit FakeClip(std::string label) : label(std::move(label)) {}
    HRESULT STDMETHODCALLTYPE GetStartOffset(LONGLONG* start) override
    {
        *start = startOffset;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStartOffset(LONGLONG start) override
    {
        startOffset = start;
        return S_OK;
    }
    std::string label;
    LONGLONG startOffset = 0;
};

ComRef<IMtClip> MakeClip(const std::string& label);
std::string LabelOf(IMtClip* clip); // "" for null

class FakeTrack : public StubTrack {
public:
    HRESULT STDMETHODCALLTYPE SwapContent(IMtClip* content, IMtClip** previous) override;
    HRESULT STDMETHODCALLTYPE CopyToEnd(IMtClip** copy, LONGLONG start) override;
    HRESULT STDMETHODCALLTYPE GetStartOffset(LONGLONG* start) override
    {
        *start = startOffset;
        return S_OK;
    }

    ComRef<IMtClip> content;
    LONGLONG startOffset = 0;
    bool failSwap = false;
    bool failCopy = false;
};

class FakeTrackSet : public StubTrackSet {
public:
    HRESULT STDMETHODCALLTYPE GetTrack(LONG index, IMtTrack** track) override;
    HRESULT STDMETHODCALLTYPE GetTrackCount(LONG* count) override
    {
        *count = static_cast<LONG>(tracks.size());
        return S_OK;
    }
    std::vector<ComRef<FakeTrack>> tracks;
};

class FakeDocument : public CommandDocument {
public:
    FakeDocument();
    IMtTrackSet* GetTrackSet() override { return withEngine ? trackSet.Get() : nullptr; }
    HRESULT SetTrackSelected(int trackIndex, BOOL selected) override;
    void SetModifiedFlag(BOOL flag) override { modified = flag; }
    void OnHistoryChanged() override { ++refreshes; }

    ComRef<FakeTrackSet> trackSet;
    bool withEngine = true;
    std::vector<int> selected; // track indexes selected, in call order
    BOOL modified = FALSE;
    int refreshes = 0;
};

} // namespace kvtest
