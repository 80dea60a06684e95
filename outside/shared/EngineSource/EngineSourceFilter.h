// EngineSourceFilter: a source filter that streams an engine track set over its selection's
// range: the one marked track's own samples, or the mix of the marked tracks. Shared by the
// source filter module and the tracks reader. The final class answers IMediaSeeking through
// SeekingPassThru with StreamDuration / StreamPosition.
#pragma once
#include "ComRef.h"
#include "DShowBase.h"
#include "KsMultiTrack.h"
#include "SampleConverter.h"
#include "WaveFormat.h"

#include <atomic>
#include <vector>

struct EngineSourceFilter : SourceFilter {
    EngineSourceFilter();
    ~EngineSourceFilter() override;

    // Takes the track set (IMtTrackSet); null detaches. VFW_E_NOT_STOPPED while streaming.
    HRESULT AttachTrackSet(IUnknown* trackSet);
    IMtTrackSet* TrackSet() const { return m_set.Get(); } // no reference
    // mix false: the marked track's own samples (several marked tracks are mixed anyway).
    void SetMix(bool mix) { m_mix = mix; }
    // Channels of a mix: 1, 2 or 6; 0 derives them from the marked tracks.
    HRESULT SetMixChannels(LONG channels);
    void SetAutomation(bool on) { m_automation = on; }
    // Which stretch of the time line a run streams.
    enum class RangeRule {
        Selection,         // the selection's range; the whole document when it is empty
        SelectionOrMarked, // the selection's range; the marked tracks' span when it is empty
        MarkedTracks,      // from the earliest start to the latest end of the marked tracks
        ToMarkedEnd,       // from 0 to the latest end of the marked tracks
    };
    void SetRangeRule(RangeRule rule) { m_rangeRule = rule; }
    // Float output (tag 3) or integer PCM of the document's depth (tag 1).
    HRESULT SetFloatOutput(bool on);
    bool FloatOutput() const { return m_float; }

    HRESULT StreamDuration(LONGLONG* duration);
    HRESULT StreamPosition(LONGLONG* position);

protected:
    HRESULT GetMediaType(int i, MediaType& mt) override;
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnPause(FILTER_STATE from) override;
    HRESULT OnThreadStart() override;
    void OnThreadStop() override;

private:
    // What a run streams, read from the engine's current state.
    struct Plan {
        ComRef<IMtTrack> track;    // raw mode: the marked track
        WaveFormat storage;        // what the reader gives
        WaveFormat output;         // what the pin sends
        LONGLONG start = 0, end = 0;
        WORD channels = 2;
    };
    HRESULT MakePlan(Plan& plan);
    void ReleaseReaders();

    ComRef<IMtTrackSet> m_set;
    bool m_mix = false;
    LONG m_mixChannels = 0;
    bool m_automation = true;
    RangeRule m_rangeRule = RangeRule::Selection;
    bool m_float = true;

    // Streaming state.
    Plan m_plan;
    ComRef<IMtItem> m_trackReader;
    ComRef<IMtMixReader> m_mixReader;
    SampleConverter m_convert;
    std::vector<uint8_t> m_storageBuf;
    std::atomic<LONGLONG> m_done{0}; // frames delivered
    LONGLONG m_total = 0;            // frames of the range (set before the thread starts)
};

KV_FILTER_KIND(EngineSourceFilter)
