// CTrack: one track: a start offset and a content on the time line, the mixer settings,
// the state flags and five envelopes. The lock guards everything a reader on another
// thread snapshots (content, start, format, settings).
#pragma once
#include "Content.h"
#include "Envelope.h"
#include "UnderLock.h"

#include "ComObject.h"
#include "ComRef.h"

#include <array>
#include <mutex>

class CClip;

KV_DECLARE_IID(IMtTrackData, 0x7ec82c00, 0xec8b, 0x44a9, 0xaf, 0xd2, 0x27, 0x80, 0x33, 0x88, 0xb1, 0x3a)

// What a reader needs of a track, taken at one instant.
struct TrackSnapshot {
    ContentPtr content;
    LONGLONG start = 0;
    MtFormat format; // channels = the track's
    float volume = 1.0f;
    float pan = 0.0f;
    float frontRear = 0.0f;
    float center = 1.0f;
    float lfe = 1.0f;
    DWORD speakerMask = 0;
    bool mute = false;
    bool solo = false;
    bool silenced = false;
    std::array<EnvelopeData, kMtEnvelopeKinds> envelopes;
};

class CTrack : public ComObject<IMtTrack, IMtEnvelopeSet> {
public:
    CTrack(WORD channels, const MtFormat& setFormat);

    TrackSnapshot Snapshot() const;
    // Content, start and format only: all the sample and peak readers need, without copying
    // the envelopes' points.
    TrackSnapshot SoundSnapshot() const;
    // Set bookkeeping (called by the track set).
    void SetFormatFromSet(DWORD rate, WORD bits);
    void SetChannelLimit(LONG limit) { m_limit = limit; }
    LONG Id() const { return m_id; }
    void SetId(LONG id) { m_id = id; }
    bool InSet() const { return m_inSet; }
    void SetInSet(bool in) { m_inSet = in; }
    bool Marked() const { return m_marked; }
    void SetMarked(bool marked) { m_marked = marked; }
    WORD Channels() const;
    LONGLONG End() const; // start + length; start when empty
    LONGLONG ContentLength() const;
    // Replaces the content and start (format conversion of the set).
    void ReplaceContent(ContentPtr content, LONGLONG start);
    void ScaleEnvelopes(double factor);

    // IMtTrack
    STDMETHODIMP SwapContent(IMtClip* content, IMtClip** previous) override;
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Duplicate(IMtTrack** copy) override;
    STDMETHODIMP CopyRange(IMtClip** copy, LONGLONG start, LONGLONG length) override;
    STDMETHODIMP DeleteRange(LONGLONG start, LONGLONG length) override;
    STDMETHODIMP CopyToEnd(IMtClip** copy, LONGLONG start) override;
    STDMETHODIMP InsertClip(IUnknown* clip, LONGLONG position, LONGLONG replaceLength, DWORD flags) override;
    STDMETHODIMP FillRange(IUnknown* item, LONGLONG start, LONGLONG length) override;
    STDMETHODIMP MergeRange(IUnknown* item, LONGLONG start, LONGLONG length) override;
    STDMETHODIMP TrimToRange(LONGLONG start, LONGLONG length) override;
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP CreateReader(IMtItem** reader, DWORD flags) override;
    STDMETHODIMP CreatePeakReader(IMtPeakReader** reader, DWORD samplesPerPoint, DWORD flags) override;
    STDMETHODIMP GetChannels(WORD* channels) override;
    STDMETHODIMP SetChannels(WORD channels) override;
    STDMETHODIMP GetLength(LONGLONG* length) override;
    STDMETHODIMP GetSelectedChannels(DWORD* mask) override;
    STDMETHODIMP SetSelectedChannels(DWORD mask) override;
    STDMETHODIMP GetSpeakerMask(DWORD* mask) override;
    STDMETHODIMP SetSpeakerMask(DWORD mask) override;
    STDMETHODIMP Reserved23() override { return E_NOTIMPL; }
    STDMETHODIMP TestFlag(DWORD flag, LONG* set) override;
    STDMETHODIMP SetFlag(DWORD flag, LONG value) override;
    STDMETHODIMP Reserved26() override { return E_NOTIMPL; }
    STDMETHODIMP ApplyFurtherState(LONG value) override;
    STDMETHODIMP IsSilenced(LONG* silenced) override;
    STDMETHODIMP SetSilenced(LONG silenced) override;
    STDMETHODIMP IsRecordArmed(LONG* armed) override;
    STDMETHODIMP SetRecordArmed(LONG armed) override;
    STDMETHODIMP GetStartOffset(LONGLONG* start) override;
    STDMETHODIMP SetStartOffset(LONGLONG start) override;
    STDMETHODIMP ReadSample(WORD channel, LONGLONG position, LONG* value) override;
    STDMETHODIMP WriteSample(WORD channel, LONGLONG position, LONG value) override;
    STDMETHODIMP GetGroupRecord(MtGroupRecord* record) override;
    STDMETHODIMP SetGroupRecord(const MtGroupRecord* record) override;
    STDMETHODIMP GetOutputChannel(LONG* channel) override;
    STDMETHODIMP SetOutputChannel(LONG channel) override;
    STDMETHODIMP GetMeterPeaks(LONG* left, LONG* right) override;
    STDMETHODIMP Reserved41() override { return E_NOTIMPL; }
    STDMETHODIMP GetTrackId(LONG* id) override;
    STDMETHODIMP Reserved43() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved44() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved45() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved46() override { return E_NOTIMPL; }
    STDMETHODIMP GetVolume(float* volume) override { return ReadUnderLock(m_lock, m_volume, volume); }
    STDMETHODIMP SetVolume(float volume) override { return SetFloat(m_volume, volume); }
    STDMETHODIMP GetPan(float* pan) override { return ReadUnderLock(m_lock, m_pan, pan); }
    STDMETHODIMP SetPan(float pan) override;
    STDMETHODIMP GetFrontRearPan(float* pan) override { return ReadUnderLock(m_lock, m_frontRear, pan); }
    STDMETHODIMP SetFrontRearPan(float pan) override;
    STDMETHODIMP GetCenterLevel(float* level) override { return ReadUnderLock(m_lock, m_center, level); }
    STDMETHODIMP SetCenterLevel(float level) override { return SetFloat(m_center, level); }
    STDMETHODIMP GetLfeLevel(float* level) override { return ReadUnderLock(m_lock, m_lfe, level); }
    STDMETHODIMP SetLfeLevel(float level) override { return SetFloat(m_lfe, level); }
    STDMETHODIMP GetSurroundValue(LONG* value) override;
    STDMETHODIMP SetSurroundValue(LONG value) override;
    STDMETHODIMP IsSurroundOn(LONG* on) override;
    STDMETHODIMP SetSurroundOn(LONG on) override;

    // IMtEnvelopeSet
    STDMETHODIMP GetValue(LONG kind, float* value) override;
    STDMETHODIMP SetValue(LONG kind, float value) override;
    STDMETHODIMP GetEnvelope(LONG kind, IMtEnvelope** envelope) override;
    STDMETHODIMP SetEnvelope(LONG kind, IMtEnvelope* envelope) override;
    STDMETHODIMP GetValueAt(LONG kind, LONGLONG position, float* value) override;

protected:
    void* QueryExtraInterface(REFIID iid) override { return iid == __uuidof(IMtTrackData) ? this : nullptr; }

private:
    HRESULT SetFloat(float& field, float value);
    // Content, start and format; caller holds the lock.
    TrackSnapshot SoundLocked() const;
    // Replaces [position, position + replaceLength) of the time line by insert; an empty
    // track starts at position. Caller holds the lock.
    void ReplaceLocked(LONGLONG position, LONGLONG replaceLength, const Content& insert);
    void DeleteLocked(LONGLONG start, LONGLONG length);
    CClip* MakeCopyLocked(LONGLONG start, LONGLONG length);
    HRESULT CheckFits(const MtFormat& format, WORD itemChannels) const;
    // Under the lock: checks the format fits, then puts content in place of the span.
    HRESULT ReplaceChecked(LONGLONG position, LONGLONG replaceLength, const MtFormat& format, WORD itemChannels,
                           const Content& content);
    // The live envelope of a kind with one reference added (kind already checked).
    CEnvelope* EnvelopeRef(LONG kind) const;

    mutable std::mutex m_lock;
    ContentPtr m_content;
    LONGLONG m_start = 0;
    MtFormat m_format;
    LONG m_limit = 6;
    LONG m_id = 0;
    bool m_inSet = false;
    bool m_marked = false;
    DWORD m_selectedChannels = kMtAllChannels;
    DWORD m_speakerMask = 0;
    DWORD m_flags = kMtFlagReadEnvelopes;
    LONG m_furtherState = 0;
    bool m_silenced = false;
    MtGroupRecord m_group{};
    LONG m_outputChannel = 0;
    float m_volume = 1.0f;
    float m_pan = 0.0f;
    float m_frontRear = 0.0f;
    float m_center = 1.0f;
    float m_lfe = 1.0f;
    LONG m_surroundValue = 120;
    bool m_surroundOn = false;
    std::array<ComRef<CEnvelope>, kMtEnvelopeKinds> m_envelopes;
};

// This engine's track behind an interface, or empty.
ComRef<CTrack> TrackOf(IUnknown* track);
