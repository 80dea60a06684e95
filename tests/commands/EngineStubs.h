// Engine objects for the tests: every method answers E_NOTIMPL until a fake overrides it.
// Regenerate the method lists when the engine header gains methods.
#pragma once
#include "ComObject.h"
#include "KsMultiTrack.h"

namespace kvtest {

class StubTrackSet : public ComObject<IMtTrackSet> {
public:
    HRESULT STDMETHODCALLTYPE SetFormat(WORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConvertFormat(WORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InsertTrack(DWORD, WORD, IMtTrack**, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AttachTrack(IMtTrack*, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveTrack(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DetachTrack(IMtTrack*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrackList(IMtItemList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrack(LONG, IMtTrack**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrackCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBitsPerSample(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLength(LONGLONG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSamplesPerSec(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelLimit(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelLimit(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordChannels(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRecordChannels(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetShuttleStart(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetShuttleStart(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLoopRange(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetLoopRange(const LONGLONG*, const LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolume(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolume(float) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetReadAutomation(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetReadAutomation(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWriteAutomation(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWriteAutomation(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrackById(LONG, IMtTrack**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TrackIndexToId(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrackIndex(IMtTrack*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TrackIdToIndex(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAsioInUse(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAsioInUse(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateMixReader(DWORD, DWORD, IMtMixReader**) override { return E_NOTIMPL; }
};

class StubTrack : public ComObject<IMtTrack> {
public:
    HRESULT STDMETHODCALLTYPE SwapContent(IMtClip*, IMtClip**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Duplicate(IMtTrack**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyRange(IMtClip**, LONGLONG, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteRange(LONGLONG, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyToEnd(IMtClip**, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InsertClip(IUnknown*, LONGLONG, LONGLONG, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FillRange(IUnknown*, LONGLONG, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MergeRange(IUnknown*, LONGLONG, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TrimToRange(LONGLONG, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateReader(IMtItem**, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreatePeakReader(IMtPeakReader**, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannels(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannels(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLength(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectedChannels(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSelectedChannels(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSpeakerMask(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSpeakerMask(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TestFlag(DWORD, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFlag(DWORD, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved26() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ApplyFurtherState(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsSilenced(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSilenced(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsRecordArmed(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRecordArmed(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStartOffset(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStartOffset(LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReadSample(WORD, LONGLONG, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteSample(WORD, LONGLONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGroupRecord(MtGroupRecord*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetGroupRecord(const MtGroupRecord*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputChannel(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOutputChannel(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMeterPeaks(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved41() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrackId(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved43() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved44() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved45() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved46() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolume(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVolume(float) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPan(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPan(float) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFrontRearPan(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFrontRearPan(float) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCenterLevel(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCenterLevel(float) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLfeLevel(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetLfeLevel(float) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSurroundValue(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSurroundValue(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsSurroundOn(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSurroundOn(LONG) override { return E_NOTIMPL; }
};

class StubClip : public ComObject<IMtClip> {
public:
    HRESULT STDMETHODCALLTYPE SetSource(IUnknown*, LONGLONG, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSourceTrack(IMtTrack**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSubClip(LONGLONG, LONGLONG, IMtClip**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStartOffset(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStartOffset(LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLength(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFormat(MtClipFormat*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFormat(const MtClipFormat*) override { return E_NOTIMPL; }
};

} // namespace kvtest
