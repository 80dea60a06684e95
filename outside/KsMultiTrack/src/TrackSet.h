// CTrackSet: the document's engine object: tracks in order with stable ids, the format,
// the channel limit, the global mixer switches and the selection (marked tracks, range).
#pragma once
#include "Track.h"

#include "ComRef.h"

#include <vector>

class CTrackSet : public ComObject<IMtTrackSet, IMtSelection> {
public:
    CTrackSet() = default;
    ~CTrackSet() override;

    // Snapshots of the tracks to mix (marked ones, or all), with the set's switches.
    struct MixSnapshot {
        std::vector<TrackSnapshot> tracks;
        MtFormat format;
        float master = 1.0f;
        bool readAutomation = true;
        LONGLONG rangeStart = 0;
        LONGLONG rangeEnd = 0;
        LONGLONG length = 0;
    };
    MixSnapshot SnapshotForMix(bool allTracks) const;

    // IMtTrackSet
    STDMETHODIMP SetFormat(WORD bitsPerSample, DWORD samplesPerSec) override;
    STDMETHODIMP ConvertFormat(WORD bitsPerSample, DWORD samplesPerSec) override;
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP InsertTrack(DWORD flags, WORD channels, IMtTrack** track, LONG index) override;
    STDMETHODIMP AttachTrack(IMtTrack* track, LONG index) override;
    STDMETHODIMP MoveTrack(LONG from, LONG to) override;
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP DetachTrack(IMtTrack* track) override;
    STDMETHODIMP GetTrackList(IMtItemList** list) override;
    STDMETHODIMP GetTrack(LONG index, IMtTrack** track) override;
    STDMETHODIMP GetTrackCount(LONG* count) override;
    STDMETHODIMP GetBitsPerSample(WORD* bits) override;
    STDMETHODIMP GetLength(LONGLONG* length, DWORD flags) override;
    STDMETHODIMP GetSamplesPerSec(DWORD* rate) override;
    STDMETHODIMP GetChannelLimit(LONG* limit) override;
    STDMETHODIMP SetChannelLimit(LONG limit) override;
    STDMETHODIMP GetRecordChannels(WORD* channels) override;
    STDMETHODIMP SetRecordChannels(WORD channels) override;
    STDMETHODIMP GetShuttleStart(LONG* on) override { return ReadUnderLock(m_lock, m_shuttle, on); }
    STDMETHODIMP SetShuttleStart(LONG on) override { return WriteUnderLock(m_lock, m_shuttle, on); }
    STDMETHODIMP GetLoopRange(LONGLONG* start, LONGLONG* end) override;
    STDMETHODIMP SetLoopRange(const LONGLONG* start, const LONGLONG* end) override;
    STDMETHODIMP GetMasterVolume(float* volume) override;
    STDMETHODIMP SetMasterVolume(float volume) override;
    STDMETHODIMP GetReadAutomation(LONG* on) override { return ReadUnderLock(m_lock, m_readAutomation, on); }
    STDMETHODIMP SetReadAutomation(LONG on) override { return WriteUnderLock(m_lock, m_readAutomation, on); }
    STDMETHODIMP GetWriteAutomation(LONG* on) override { return ReadUnderLock(m_lock, m_writeAutomation, on); }
    STDMETHODIMP SetWriteAutomation(LONG on) override;
    STDMETHODIMP GetTrackById(LONG id, IMtTrack** track) override;
    STDMETHODIMP TrackIndexToId(LONG index, LONG* id) override;
    STDMETHODIMP GetTrackIndex(IMtTrack* track, LONG* index) override;
    STDMETHODIMP TrackIdToIndex(LONG id, LONG* index) override;
    STDMETHODIMP GetAsioInUse(LONG* on) override { return ReadUnderLock(m_lock, m_asio, on); }
    STDMETHODIMP SetAsioInUse(LONG on) override { return WriteUnderLock(m_lock, m_asio, on); }
    STDMETHODIMP CreateMixReader(DWORD outputChannels, DWORD flags, IMtMixReader** reader) override;

    // IMtSelection
    STDMETHODIMP IsTrackMarked(LONG index, LONG* marked) override;
    STDMETHODIMP SetAllTracks(LONG flag) override;
    STDMETHODIMP SelectTrack(LONG index, LONG flag) override;
    STDMETHODIMP GetRange(LONGLONG* start, LONGLONG* end) override;
    STDMETHODIMP SetRange(LONGLONG start, LONGLONG end) override;
    STDMETHODIMP GetLength(LONGLONG* length) override;
    STDMETHODIMP GetMarkedCount(LONG* count) override;

private:
    CTrack* At(LONG index) const;
    std::vector<ComRef<CTrack>>::const_iterator FindTrack(const CTrack* track) const;
    LONG NewId();
    LONGLONG LengthLocked() const;

    mutable std::mutex m_lock;
    std::vector<ComRef<CTrack>> m_tracks;
    MtFormat m_format;
    LONG m_channelLimit = 2;
    WORD m_recordChannels = 2;
    float m_master = 1.0f;
    LONG m_readAutomation = 1;
    LONG m_writeAutomation = 0;
    LONG m_shuttle = 0;
    LONG m_asio = 0;
    LONGLONG m_loopStart = 0;
    LONGLONG m_loopEnd = 0;
    LONGLONG m_rangeStart = 0;
    LONGLONG m_rangeEnd = 0;
    LONG m_nextId = 1;
};
