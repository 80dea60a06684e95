// KsMultiTrack: the multitrack engine. Tracks, clips, items, envelopes, the selection,
// sample and peak readers and the mixer, reached through COM-style interfaces and
// exports bound by ordinal.
//
//   ComRef<IMtTrackSet> set;                      // callers bind through KsMultiTrackLoader.h
//   MtEngine::CreateTrackSet(set);  set->SetFormat(16, 44100);  ...
//
// Conventions of every interface below:
// - Slot 0 to 2 are QueryInterface, AddRef, Release; the order of the methods is their slot
//   number and never changes (slots held for later use are named ReservedN and answer
//   E_NOTIMPL). Every method returns an HRESULT unless stated.
// - Positions and lengths are signed 64-bit counts of sample frames. Track edits take
//   positions on the document's time line (a track starts at its start offset); envelope
//   positions count from the track's start offset.
// - Sample storage of a format with b bits: 8 -> unsigned bytes, 16 -> signed 16-bit,
//   20, 24 and 32 -> 32-bit float (full scale 1.0). Frames are interleaved in channel order.
// - Out pointers receive one reference that the caller releases.
// - Track sets, tracks, envelopes and readers may be used from several threads (a reader on
//   a streaming thread while the user edits): readers work on a snapshot and never see half
//   an edit. Item lists and clips belong to one thread at a time.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "InterfaceId.h"

// ---------------------------------------------------------------------------------------
// Records

// The 288-byte item information record ("FileItemRecord"), zero-filled before its fields
// are set. The temporary store keys its items by path, track number, channels, bits, rate.
struct MtFileItemRecord {
    char path[260];      // 0: data file (or project file for project tracks), zero-terminated
    BYTE reserved1[8];   // 260
    WORD trackNumber;    // 268: stored track number + 1 of a project track; 0 otherwise
    WORD channels;       // 270
    WORD bitsPerSample;  // 272
    WORD reserved2;      // 274
    DWORD samplesPerSec; // 276
    BYTE reserved3[8];   // 280
};
static_assert(sizeof(MtFileItemRecord) == 288, "item record is 288 bytes");

// A clip's format record: 32-bit rate, 16-bit bits, 16-bit channels.
struct MtClipFormat {
    DWORD samplesPerSec;
    WORD bitsPerSample;
    WORD channels;
};
static_assert(sizeof(MtClipFormat) == 8, "clip format is 8 bytes");

// A track's 16-byte group record.
struct MtGroupRecord {
    DWORD colour; // Windows colour value; 0 = none yet
    LONG group;   // group number, from 1; 0 = none
    DWORD serial; // the document's persistent serial number of the track
    DWORD reserved;
};
static_assert(sizeof(MtGroupRecord) == 16, "group record is 16 bytes");

// One item of a peak read: minimum then maximum of one channel over one point, in the
// document's sample units: full scale 2^(bits - 1), 32-bit documents counted as 16-bit
// (8 bits: -128..127, 16 and 32: -32768..32767, 24: -8388608..8388607). A peak file of
// an item holds one such record per 1024 frames and channel, in the units of the item's bits;
// a file of another size, or with a minimum above its maximum, is set aside for peaks
// computed from the data.
struct MtPeakItem {
    LONG minimum;
    LONG maximum;
};
static_assert(sizeof(MtPeakItem) == 8, "peak item is 8 bytes");

// One envelope point as the point enumerator delivers it.
struct MtEnvelopePointItem {
    LONGLONG distance; // from the previous point (the first from position 0, the track start)
    float value;
    DWORD reserved;
};
static_assert(sizeof(MtEnvelopePointItem) == 16, "envelope point item is 16 bytes");

// ---------------------------------------------------------------------------------------
// Result codes (besides E_INVALIDARG, E_POINTER, E_OUTOFMEMORY, E_NOTIMPL and
// HRESULT_FROM_WIN32 of file errors)

constexpr HRESULT kMtErrCancelled = static_cast<HRESULT>(0x83E80005);
constexpr HRESULT kMtErrFormatNotSupported = static_cast<HRESULT>(0x83E804B4); // bits/rate unusable
// The sample rates a track set holds (SetFormat, ConvertFormat).
constexpr DWORD kMtMinRate = 1000;
constexpr DWORD kMtMaxRate = 768000;
constexpr HRESULT kMtErrChannelLimit = static_cast<HRESULT>(0x83E807D5);       // track beyond the channel limit
constexpr HRESULT kMtErrChannelMismatch = static_cast<HRESULT>(0x83E8080D);    // clip has more channels than the track
constexpr HRESULT kMtErrRateMismatch = static_cast<HRESULT>(0x83E8080E); // clip's sample rate differs from the track's
constexpr HRESULT kMtErrNoTrack = static_cast<HRESULT>(0x83E807D6);      // no track with this index or id
constexpr HRESULT kMtErrNotInSet = static_cast<HRESULT>(0x83E807D7);     // track is not (or already) in the set
// data file missing or not whole frames; a clip file that contradicts itself
constexpr HRESULT kMtErrBadItemFile = static_cast<HRESULT>(0x83E807D8);
constexpr HRESULT kMtErrNoDevice = static_cast<HRESULT>(0x83E80836);     // no audio device or driver
constexpr HRESULT kMtErrDeviceInUse = static_cast<HRESULT>(0x83E80835);  // the device is held by another program
constexpr HRESULT kMtErrPlaybackOpen = static_cast<HRESULT>(0x83E803EA); // the playback device will not open
constexpr HRESULT kMtErrRecordOpen = static_cast<HRESULT>(0x83E8083F);   // the recording device will not open
constexpr HRESULT kMtErrDiskFull = static_cast<HRESULT>(0x83E800DA);     // a take could not be written on
// Not a failure: posted through IMtNotify once the last sample of playback has been heard.
constexpr HRESULT kMtPlayEnded = static_cast<HRESULT>(0x03EA00CB);

// IMtTempStore::LookupTrack flag: held items only, never a raw opening of the file.
constexpr DWORD kMtLookupHeldOnly = 2;

// Track state flags (IMtTrack::TestFlag / SetFlag).
constexpr DWORD kMtFlagMute = 2;
constexpr DWORD kMtFlagSolo = 4;
constexpr DWORD kMtFlagRecord = 16;
constexpr DWORD kMtFlagFurther = 32;
// Playback follows the track's level and pan envelopes (on for a new track; a live change that
// writes them turns it off while the fader is held).
constexpr DWORD kMtFlagReadEnvelopes = 64;
// Fader moves are written into the envelopes: on for every track of a set whose Write
// Automation switch is on.
constexpr DWORD kMtFlagWriteEnvelopes = 128;

// Selected-channel word (IMtTrack slots 19, 20): bit per channel, this bit for all.
constexpr DWORD kMtAllChannels = 0x80000000u;

// Envelope kinds of a track's envelope set.
constexpr LONG kMtEnvLevel = 0;     // gain factor, 1.0 unity
constexpr LONG kMtEnvPan = 1;       // left-right, -1.0 left .. +1.0 right, added to the track pan
constexpr LONG kMtEnvFrontRear = 2; // -1.0 .. +1.0
constexpr LONG kMtEnvCenter = 3;
constexpr LONG kMtEnvLfe = 4;
constexpr LONG kMtEnvelopeKinds = 5;

// Mix reader flags (IMtTrackSet::CreateMixReader).
constexpr DWORD kMtMixAllTracks = 1;    // mix every track, not only the marked ones
constexpr DWORD kMtMixNoAutomation = 2; // envelopes at their constant value even with read automation on

// ---------------------------------------------------------------------------------------
// Interfaces

struct IMtTrack;
struct IMtClip;
struct IMtItem;
struct IMtItemList;
struct IMtPeakReader;
struct IMtEnvelope;
struct IMtEnvelopePointEnum;
struct IMtMixReader;
struct ITaggedObject;

KV_DECLARE_IID(IMtTrackSet, 0x7ec82c00, 0xec8b, 0x44a9, 0xaf, 0xd2, 0x27, 0x80, 0x33, 0x88, 0xb1, 0x38)
KV_DECLARE_IID(IMtSelection, 0xD78E6312, 0x6461, 0x46C0, 0xAF, 0x0C, 0x98, 0xFF, 0x0B, 0x54, 0x7E, 0xB1)
KV_DECLARE_IID(IMtTrack, 0x1965F193, 0x2116, 0x4255, 0x86, 0x30, 0xDE, 0xD0, 0xED, 0x38, 0x71, 0x29)
KV_DECLARE_IID(IMtEnvelopeSet, 0x64114732, 0x7F7D, 0x4211, 0x87, 0x69, 0xE6, 0x8E, 0xBC, 0x30, 0x36, 0xC2)
KV_DECLARE_IID(IMtEnvelope, 0xa3727ac9, 0xaa9f, 0x445f, 0xb4, 0xa9, 0x59, 0x11, 0xf9, 0xed, 0x16, 0x4b)
KV_DECLARE_IID(IMtEnvelopePointEnum, 0xdf6cd98d, 0x4267, 0x4a6a, 0xb3, 0x8c, 0x22, 0xac, 0x20, 0x9e, 0x47, 0xd2)
KV_DECLARE_IID(IMtItem, 0x969b4f6e, 0x877c, 0x435a, 0xb5, 0x16, 0x1c, 0x40, 0xc9, 0x72, 0x2c, 0x6e)
KV_DECLARE_IID(IMtReaderSeek, 0x0b476c68, 0x0e4f, 0x4c4a, 0x95, 0x19, 0x1a, 0x95, 0x4e, 0xee, 0x26, 0xc3)
KV_DECLARE_IID(IMtPeakReader, 0xfc0e8961, 0x1b20, 0x4e2f, 0x91, 0xb8, 0x27, 0xf8, 0x54, 0x43, 0xdc, 0xdf)
KV_DECLARE_IID(IMtItemList, 0xa917302a, 0x6691, 0x4567, 0xb8, 0x4f, 0xfd, 0x8b, 0x70, 0xf1, 0xdd, 0xce)
KV_DECLARE_IID(IMtClip, 0xa8586526, 0xea93, 0x4aa9, 0x97, 0x96, 0xe6, 0xd0, 0x10, 0x81, 0x1d, 0x7c)
KV_DECLARE_IID(IMtClipPersist, 0x56039AAC, 0xB816, 0x43D0, 0x9B, 0x90, 0x0E, 0xC4, 0x1E, 0xFE, 0xEF, 0xBC)
KV_DECLARE_IID(IMtTempStore, 0x7912c8b9, 0xfda3, 0x4742, 0x92, 0x5c, 0xfb, 0x3d, 0x9f, 0x96, 0xa7, 0x76)
KV_DECLARE_IID(IMtTempSettings, 0xA69A8F84, 0x3BB2, 0x46D8, 0xB4, 0xF8, 0x86, 0x78, 0x46, 0xFB, 0x91, 0x0A)
KV_DECLARE_IID(IMtMixReader, 0x77090767, 0xcc06, 0x4c4d, 0xb0, 0xb3, 0x2d, 0xea, 0x85, 0xac, 0xa8, 0xf2)
KV_DECLARE_IID(IMtTransport, 0x85F87ACF, 0x2C04, 0x4594, 0xB3, 0x39, 0x75, 0x22, 0x61, 0x75, 0xEF, 0x88)
KV_DECLARE_IID(IMtPlayPosition, 0x5818CBA8, 0x1F96, 0x4BE1, 0x98, 0x9A, 0x65, 0x6E, 0xE1, 0xC3, 0xC4, 0x27)
KV_DECLARE_IID(IMtRecorder, 0x88ED86E6, 0x4162, 0x4416, 0x8E, 0x9D, 0x39, 0x3A, 0x66, 0xAC, 0xA2, 0x97)
KV_DECLARE_IID(IMtPlayStatus, 0x6832FD33, 0xD520, 0x4A43, 0xB2, 0x9A, 0xF1, 0x0D, 0xF2, 0x6D, 0x62, 0xAC)
KV_DECLARE_IID(IMtSourceLink, 0xE0C30460, 0xAFF1, 0x4A00, 0x98, 0xD6, 0xCE, 0x3D, 0xD4, 0x2F, 0xE1, 0xD0)
KV_DECLARE_IID(IMtNotify, 0xB4F180A3, 0x6C1E, 0x44F9, 0xBB, 0xC2, 0x34, 0xB5, 0xD6, 0x06, 0x33, 0xAC)
KV_DECLARE_IID(IMtDeviceWindow, 0x214284C5, 0xB287, 0x4CC9, 0x86, 0x52, 0x80, 0xB8, 0x25, 0x58, 0x9F, 0xA1)
KV_DECLARE_IID(IMtRecordItems, 0xCF5D18E0, 0x049B, 0x423A, 0xBC, 0x03, 0x41, 0x51, 0x5F, 0xE1, 0x3C, 0x85)

// The class id MtCreateInstance makes: the transport.
constexpr CLSID kMtClsidTransport = {0x0FF81CB9, 0xF005, 0x47B4, {0xBE, 0xD3, 0x98, 0xE3, 0x08, 0xB3, 0xA1, 0xF8}};

// The track set: the document's engine object. Holds the tracks in order, the sample
// format, the channel limit and the mixer's global switches. Answers IMtSelection.
struct IMtTrackSet : IUnknown {
    // 3: the format of every track; bits 8, 16, 20, 24 or 32; rate 1000..768000 Hz.
    virtual HRESULT STDMETHODCALLTYPE SetFormat(WORD bitsPerSample, DWORD samplesPerSec) = 0;
    // 4: converts every track's sound to a new format (resampling when the rate changes;
    // start offsets and envelope positions follow the rate).
    virtual HRESULT STDMETHODCALLTYPE ConvertFormat(WORD bitsPerSample, DWORD samplesPerSec) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    // 7: creates an empty track of 1..limit channels at index (-1 = at the end).
    // flags 0. kMtErrChannelLimit beyond the channel limit.
    virtual HRESULT STDMETHODCALLTYPE InsertTrack(DWORD flags, WORD channels, IMtTrack** track, LONG index) = 0;
    // 8: puts a detached track (or a duplicate) back at index (-1 = at the end). It keeps its
    // id unless another track of the set holds it, then it gets a new one.
    virtual HRESULT STDMETHODCALLTYPE AttachTrack(IMtTrack* track, LONG index) = 0;
    // 9: moves the track at index from to index to.
    virtual HRESULT STDMETHODCALLTYPE MoveTrack(LONG from, LONG to) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    // 11: takes a track out of the set; the object lives on with its content.
    virtual HRESULT STDMETHODCALLTYPE DetachTrack(IMtTrack* track) = 0;
    // 12: a new list of the tracks in order (items are IMtTrack; ids are track ids).
    virtual HRESULT STDMETHODCALLTYPE GetTrackList(IMtItemList** list) = 0;
    // 13: the track at index.
    virtual HRESULT STDMETHODCALLTYPE GetTrack(LONG index, IMtTrack** track) = 0;
    // 14
    virtual HRESULT STDMETHODCALLTYPE GetTrackCount(LONG* count) = 0;
    // 15
    virtual HRESULT STDMETHODCALLTYPE GetBitsPerSample(WORD* bits) = 0;
    // 16: the document length: the latest end (start offset + length) of any track, 0 for none.
    // flags 0.
    virtual HRESULT STDMETHODCALLTYPE GetLength(LONGLONG* length, DWORD flags) = 0;
    // 17
    virtual HRESULT STDMETHODCALLTYPE GetSamplesPerSec(DWORD* rate) = 0;
    // 18, 19: the most channels a track may have: 2 or 6.
    virtual HRESULT STDMETHODCALLTYPE GetChannelLimit(LONG* limit) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetChannelLimit(LONG limit) = 0;
    // 20, 21: channels of a recorded take (1, 2 or 6; not held to the channel limit).
    virtual HRESULT STDMETHODCALLTYPE GetRecordChannels(WORD* channels) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRecordChannels(WORD channels) = 0;
    // 22, 23: the repeat switch of playback, one meaning for the Loop command, the shuttle's
    // start and previews: while on, playback that reaches the end of the loop range (24, 25)
    // goes on from the loop range's start with no gap; with no loop range, or one that does
    // not overlap what plays, it wraps over the whole played range. While off, playback ends
    // at the end of its range and the loop range is not used. A running transport reads it
    // (and the loop range) on every block, so it may be switched while playing.
    virtual HRESULT STDMETHODCALLTYPE GetShuttleStart(LONG* on) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetShuttleStart(LONG on) = 0;
    // 24, 25: the loop range of playback; 0..0 = none. Used only while the repeat switch is on.
    virtual HRESULT STDMETHODCALLTYPE GetLoopRange(LONGLONG* start, LONGLONG* end) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLoopRange(const LONGLONG* start, const LONGLONG* end) = 0;
    // 26, 27: master volume, 1.0 unity.
    virtual HRESULT STDMETHODCALLTYPE GetMasterVolume(float* volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMasterVolume(float volume) = 0;
    // 28, 29: read automation: the mix follows the envelopes' points (off: their constant value).
    virtual HRESULT STDMETHODCALLTYPE GetReadAutomation(LONG* on) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetReadAutomation(LONG on) = 0;
    // 30, 31: write automation switch (kept for the transport).
    virtual HRESULT STDMETHODCALLTYPE GetWriteAutomation(LONG* on) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWriteAutomation(LONG on) = 0;
    // 32: the track with this id.
    virtual HRESULT STDMETHODCALLTYPE GetTrackById(LONG id, IMtTrack** track) = 0;
    // 33: id of the track at index; kMtErrNoTrack for a bad index. Index -1 (no track) gives
    // id -1 and S_OK, and so does id -1 at 35: records naming no track convert both ways.
    virtual HRESULT STDMETHODCALLTYPE TrackIndexToId(LONG index, LONG* id) = 0;
    // 34: index of a track object of this set.
    virtual HRESULT STDMETHODCALLTYPE GetTrackIndex(IMtTrack* track, LONG* index) = 0;
    // 35: index of the track with this id; kMtErrNoTrack when no track has it.
    virtual HRESULT STDMETHODCALLTYPE TrackIdToIndex(LONG id, LONG* index) = 0;
    // 36, 37: whether playback runs through an ASIO driver.
    virtual HRESULT STDMETHODCALLTYPE GetAsioInUse(LONG* on) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAsioInUse(LONG on) = 0;
    // 38: a reader of the mix of the marked tracks (or all, kMtMixAllTracks) over the
    // selection's range (whole document when the range is empty), as 32-bit float frames
    // of outputChannels (1, 2 or 6) channels. The reader takes a snapshot: later edits do
    // not change what it reads.
    virtual HRESULT STDMETHODCALLTYPE CreateMixReader(DWORD outputChannels, DWORD flags, IMtMixReader** reader) = 0;
};

// The selection of the track set: marked tracks and a range. Asked of the track set.
struct IMtSelection : IUnknown {
    // 3
    virtual HRESULT STDMETHODCALLTYPE IsTrackMarked(LONG index, LONG* marked) = 0;
    // 4: 0 clears every mark, 1 marks every track.
    virtual HRESULT STDMETHODCALLTYPE SetAllTracks(LONG flag) = 0;
    // 5
    virtual HRESULT STDMETHODCALLTYPE SelectTrack(LONG index, LONG flag) = 0;
    // 6, 7: the range in the order set.
    virtual HRESULT STDMETHODCALLTYPE GetRange(LONGLONG* start, LONGLONG* end) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRange(LONGLONG start, LONGLONG end) = 0;
    // 8: |end - start|.
    virtual HRESULT STDMETHODCALLTYPE GetLength(LONGLONG* length) = 0;
    // 9
    virtual HRESULT STDMETHODCALLTYPE GetMarkedCount(LONG* count) = 0;
};

// A track: a time line of clips that refer to immutable items. Answers IMtEnvelopeSet.
struct IMtTrack : IUnknown {
    // 3: the track takes content (a clip, null = empty) as its whole sound and start offset;
    // *previous receives a clip of the sound it held (may be null to drop it).
    virtual HRESULT STDMETHODCALLTYPE SwapContent(IMtClip* content, IMtClip** previous) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    // 5: a detached copy of the track: sound, envelopes and settings; it gets an id when attached.
    virtual HRESULT STDMETHODCALLTYPE Duplicate(IMtTrack** copy) = 0;
    // 6: a copy object of [start, start + length) (length -1 = to the end): a clip at start
    // offset 0 whose GetSourceTrack gives a detached track with the range's sound, its
    // envelopes over the range and the track's settings.
    virtual HRESULT STDMETHODCALLTYPE CopyRange(IMtClip** copy, LONGLONG start, LONGLONG length) = 0;
    // 7: removes [start, start + length); what follows moves earlier.
    virtual HRESULT STDMETHODCALLTYPE DeleteRange(LONGLONG start, LONGLONG length) = 0;
    // 8: CopyRange from start to the end.
    virtual HRESULT STDMETHODCALLTYPE CopyToEnd(IMtClip** copy, LONGLONG start) = 0;
    // 9: replaces [position, position + replaceLength) by the clip's sound (replaceLength 0:
    // pure insertion). An empty track starts at position. flags 0.
    virtual HRESULT STDMETHODCALLTYPE InsertClip(IUnknown* clip, LONGLONG position, LONGLONG replaceLength,
                                                 DWORD flags) = 0;
    // 10: replaces [start, start + length) by the whole item (length 0: pure insertion); what
    // follows moves by the item's length minus length.
    virtual HRESULT STDMETHODCALLTYPE FillRange(IUnknown* item, LONGLONG start, LONGLONG length) = 0;
    // 11: the same in place (a lengthening effect's result): [start, start + length) takes
    // the item's first length frames (silence past its end), and its frames past length are
    // mixed into the sound that follows, which keeps its position.
    virtual HRESULT STDMETHODCALLTYPE MergeRange(IUnknown* item, LONGLONG start, LONGLONG length) = 0;
    // 12: keeps only [start, start + length); the kept sound stays where it was.
    virtual HRESULT STDMETHODCALLTYPE TrimToRange(LONGLONG start, LONGLONG length) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    // 14: a sample reader over the track (range: the whole track until SetRange). flags 0.
    virtual HRESULT STDMETHODCALLTYPE CreateReader(IMtItem** reader, DWORD flags) = 0;
    // 15: a peak reader with samplesPerPoint frames per point; flags 0.
    virtual HRESULT STDMETHODCALLTYPE CreatePeakReader(IMtPeakReader** reader, DWORD samplesPerPoint, DWORD flags) = 0;
    // 16, 17: channel count; kMtErrChannelLimit beyond the set's limit.
    virtual HRESULT STDMETHODCALLTYPE GetChannels(WORD* channels) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetChannels(WORD channels) = 0;
    // 18: length of the sound from the start offset.
    virtual HRESULT STDMETHODCALLTYPE GetLength(LONGLONG* length) = 0;
    // 19, 20: the selected-channel state word (bit per channel, kMtAllChannels all).
    virtual HRESULT STDMETHODCALLTYPE GetSelectedChannels(DWORD* mask) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSelectedChannels(DWORD mask) = 0;
    // 21, 22: speaker mask (channel role: 4 centre, 8 LFE for a mono track).
    virtual HRESULT STDMETHODCALLTYPE GetSpeakerMask(DWORD* mask) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSpeakerMask(DWORD mask) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
    // 24, 25: state flags kMtFlag*.
    virtual HRESULT STDMETHODCALLTYPE TestFlag(DWORD flag, LONG* set) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlag(DWORD flag, LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved26() = 0;
    // 27: applies the further state (flag 32) value to playback.
    virtual HRESULT STDMETHODCALLTYPE ApplyFurtherState(LONG value) = 0;
    // 28, 29: silenced: what the mix leaves out (the document derives it from mute and solo).
    virtual HRESULT STDMETHODCALLTYPE IsSilenced(LONG* silenced) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSilenced(LONG silenced) = 0;
    // 30, 31: record armed (the same as flag 16).
    virtual HRESULT STDMETHODCALLTYPE IsRecordArmed(LONG* armed) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRecordArmed(LONG armed) = 0;
    // 32, 33
    virtual HRESULT STDMETHODCALLTYPE GetStartOffset(LONGLONG* start) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStartOffset(LONGLONG start) = 0;
    // 34, 35: one sample at a time-line position, in the storage units (16-bit: -32768..32767;
    // 8-bit: 0..255; float storage: value x 2^31 as a 32-bit integer). Writing leaves every
    // item untouched: the written frame becomes a clip of its own.
    virtual HRESULT STDMETHODCALLTYPE ReadSample(WORD channel, LONGLONG position, LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteSample(WORD channel, LONGLONG position, LONG value) = 0;
    // 36, 37
    virtual HRESULT STDMETHODCALLTYPE GetGroupRecord(MtGroupRecord* record) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetGroupRecord(const MtGroupRecord* record) = 0;
    // 38, 39: first output channel of the track on a multi-output device.
    virtual HRESULT STDMETHODCALLTYPE GetOutputChannel(LONG* channel) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOutputChannel(LONG channel) = 0;
    // 40: playback meter peaks of the first two channels, 0..32767 (0 while not playing).
    virtual HRESULT STDMETHODCALLTYPE GetMeterPeaks(LONG* left, LONG* right) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved41() = 0;
    // 42: the id that stays the track's while its index changes.
    virtual HRESULT STDMETHODCALLTYPE GetTrackId(LONG* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved43() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved44() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved45() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved46() = 0;
    // 47, 48: volume factor, 1.0 unity.
    virtual HRESULT STDMETHODCALLTYPE GetVolume(float* volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVolume(float volume) = 0;
    // 49, 50: pan -1.0 left .. 1.0 right.
    virtual HRESULT STDMETHODCALLTYPE GetPan(float* pan) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPan(float pan) = 0;
    // 51, 52: front-rear pan -1.0 front .. 1.0 rear.
    virtual HRESULT STDMETHODCALLTYPE GetFrontRearPan(float* pan) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFrontRearPan(float pan) = 0;
    // 53, 54: centre level factor.
    virtual HRESULT STDMETHODCALLTYPE GetCenterLevel(float* level) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCenterLevel(float level) = 0;
    // 55, 56: LFE level factor.
    virtual HRESULT STDMETHODCALLTYPE GetLfeLevel(float* level) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLfeLevel(float level) = 0;
    // 57, 58: surround value: the cut-off frequency in Hz of the LFE feed.
    virtual HRESULT STDMETHODCALLTYPE GetSurroundValue(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSurroundValue(LONG value) = 0;
    // 59, 60: surround (cut-off) switch.
    virtual HRESULT STDMETHODCALLTYPE IsSurroundOn(LONG* on) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSurroundOn(LONG on) = 0;
};

// The five envelopes of a track (asked of the track).
struct IMtEnvelopeSet : IUnknown {
    // 3, 4: the constant (initial) value of an envelope kind.
    virtual HRESULT STDMETHODCALLTYPE GetValue(LONG kind, float* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetValue(LONG kind, float value) = 0;
    // 5: the live envelope of a kind (edits change the track while it stays the track's).
    virtual HRESULT STDMETHODCALLTYPE GetEnvelope(LONG kind, IMtEnvelope** envelope) = 0;
    // 6: the envelope of a kind becomes a copy of the given one, as a new live object: an
    // envelope taken before with GetEnvelope keeps its points and no longer belongs to the
    // track, so that it can be put back later.
    virtual HRESULT STDMETHODCALLTYPE SetEnvelope(LONG kind, IMtEnvelope* envelope) = 0;
    // 7: the value of an envelope kind at a position from the track start.
    virtual HRESULT STDMETHODCALLTYPE GetValueAt(LONG kind, LONGLONG position, float* value) = 0;
};

// An envelope: an initial value and points (position from the track start, float value),
// at most one per position. The value is the initial value without points, the first
// point's value before it, the last point's after it, linear in between.
struct IMtEnvelope : IUnknown {
    // 3: removes every point.
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
    // 4: becomes a copy of another envelope (points and initial value).
    virtual HRESULT STDMETHODCALLTYPE Restore(IMtEnvelope* from) = 0;
    // 5: an independent copy.
    virtual HRESULT STDMETHODCALLTYPE Clone(IMtEnvelope** copy) = 0;
    // 6: adds a point, or replaces the value of the point at that position.
    virtual HRESULT STDMETHODCALLTYPE InsertPoint(LONGLONG position, float value) = 0;
    // 7: removes the point at position; S_FALSE when there is none.
    virtual HRESULT STDMETHODCALLTYPE DeletePoint(LONGLONG position) = 0;
    // 8: points at or after start move later by length.
    virtual HRESULT STDMETHODCALLTYPE InsertRange(LONGLONG start, LONGLONG length) = 0;
    // 9: points in [start, start + length) go; later ones move earlier by length.
    virtual HRESULT STDMETHODCALLTYPE DeleteRange(LONGLONG start, LONGLONG length) = 0;
    // 10: an enumerator over a snapshot of the points.
    virtual HRESULT STDMETHODCALLTYPE EnumPoints(IMtEnvelopePointEnum** points) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    // 12
    virtual HRESULT STDMETHODCALLTYPE GetCount(LONG* count) = 0;
    // 13
    virtual HRESULT STDMETHODCALLTYPE GetValueAt(LONGLONG position, float* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    // 15, 16: the initial (constant) value.
    virtual HRESULT STDMETHODCALLTYPE GetInitialValue(float* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetInitialValue(float value) = 0;
};

struct IMtEnvelopePointEnum : IUnknown {
    // 3: S_OK with a point, S_FALSE at the end.
    virtual HRESULT STDMETHODCALLTYPE Next(MtEnvelopePointItem* point) = 0;
    // 4
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
};

// An item: immutable sound in a raw data file (or memory), and the sample reader of a
// track, which answers the same calls over its range. Answers IMtReaderSeek.
struct IMtItem : IUnknown {
    // 3: starts reading at the range start.
    virtual HRESULT STDMETHODCALLTYPE BeginRead() = 0;
    // 4: whole frames (of the track's or item's format) into buffer; *read = bytes given;
    // fewer than asked only at the range end.
    virtual HRESULT STDMETHODCALLTYPE Read(void* buffer, DWORD bytes, DWORD* read) = 0;
    // 5
    virtual HRESULT STDMETHODCALLTYPE EndRead() = 0;
    // 6: bytes of the range in the nominal format of the bits ((bits + 7) / 8 bytes per
    // sample: 3 for 20 and 24 bits), so that size / block align gives the frames; Read
    // delivers the storage format (floats for 20 and 24 bits).
    virtual HRESULT STDMETHODCALLTYPE GetSize(LONGLONG* bytes) = 0;
    // 7: the range to read [*start, *end); *end -1 = to the end. Both positions are passed by
    // address. Track readers take time-line positions (silence outside the sound), items
    // frames from their start.
    virtual HRESULT STDMETHODCALLTYPE SetRange(const LONGLONG* start, const LONGLONG* end) = 0;
    // 8: the 288-byte information record (path, channels, bits, rate).
    virtual HRESULT STDMETHODCALLTYPE GetInfo(MtFileItemRecord* record) = 0;
};

struct IMtReaderSeek : IUnknown {
    // 3
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) = 0;
    // 4: the next Read starts at position (within the range).
    virtual HRESULT STDMETHODCALLTYPE Seek(LONGLONG position) = 0;
};

struct IMtPeakReader : IUnknown {
    // 3: the first point starts at this time-line position.
    virtual HRESULT STDMETHODCALLTYPE Seek(LONGLONG position) = 0;
    // 4: up to count items (whole points: channels items each, channels interleaved);
    // *read = items given; fewer only at the track's end.
    virtual HRESULT STDMETHODCALLTYPE Read(MtPeakItem* buffer, DWORD count, DWORD* read) = 0;
    // 5
    virtual HRESULT STDMETHODCALLTYPE End() = 0;
};

// A list of (object, track id) pairs: items, or tracks from IMtTrackSet::GetTrackList.
struct IMtItemList : IUnknown {
    // 3: S_OK with the next object (and the id when trackId is not null); S_FALSE at the end.
    virtual HRESULT STDMETHODCALLTYPE NextItem(IUnknown** item, LONG* trackId) = 0;
    // 4: back to the first; flags ignored.
    virtual HRESULT STDMETHODCALLTYPE ResetItems(LONG flags) = 0;
    // 5
    virtual HRESULT STDMETHODCALLTYPE AddItem(IUnknown* item, LONG trackId) = 0;
    // 6: a new item on a raw data file in the record's format, with its peak file (or null,
    // empty, or the data path itself: peaks are then computed from the data). The item is
    // registered in the temporary store under the record. Data files inside the temporary
    // folder belong to the engine and are deleted when no item uses them; so are peak files
    // there that carry a temporary name ("NY*.tmp", "KMT*.tmp") and were read as the item's
    // peaks, or refused as them beside such a data file (deleted at once). The record's path
    // is read within its 260 bytes.
    virtual HRESULT STDMETHODCALLTYPE AddFileItem(const MtFileItemRecord* record, const char* dataPath,
                                                  const char* peakPath, LONG trackId) = 0;
    // 7
    virtual HRESULT STDMETHODCALLTYPE GetCount(LONG* count) = 0;
    // 8
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
    // 9: TRUE when the list holds nothing (returns the answer, not an HRESULT).
    virtual BOOL STDMETHODCALLTYPE IsEmpty() = 0;
};

// A clip: sound to put on a track (an item's frames, or a copy of a track range) with its
// format and a start offset. Answers IMtClipPersist.
struct IMtClip : IUnknown {
    // 3: the clip plays item frames [start, start + length); length 0 or -1 = to the item end.
    virtual HRESULT STDMETHODCALLTYPE SetSource(IUnknown* item, LONGLONG start, LONGLONG length) = 0;
    // 4: the detached track that a copy was taken from (settings and envelopes of the range);
    // E_FAIL for a clip made by MtCreateClip.
    virtual HRESULT STDMETHODCALLTYPE GetSourceTrack(IMtTrack** track) = 0;
    // 5: a clip of [start, start + length) of this one (length -1 = to the end).
    virtual HRESULT STDMETHODCALLTYPE CreateSubClip(LONGLONG start, LONGLONG length, IMtClip** clip) = 0;
    // 6, 7
    virtual HRESULT STDMETHODCALLTYPE GetStartOffset(LONGLONG* start) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStartOffset(LONGLONG start) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    // 12
    virtual HRESULT STDMETHODCALLTYPE GetLength(LONGLONG* length) = 0;
    // 13, 14
    virtual HRESULT STDMETHODCALLTYPE GetFormat(MtClipFormat* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFormat(const MtClipFormat* format) = 0;
};

// Saving a clip into a chunk file (the program's tagged chunk file object) and loading it.
struct IMtClipPersist : IUnknown {
    // 3: the clip is left as it was when the file is refused: kMtErrBadItemFile when the file
    // ends early, states sizes it does not hold, lengths that overflow or a segment outside
    // its data; kMtErrFormatNotSupported for a format that SetFormat refuses.
    virtual HRESULT STDMETHODCALLTYPE Load(ITaggedObject* chunkFile) = 0;
    // 4: mode 1 or 3 as the chunk file was opened.
    virtual HRESULT STDMETHODCALLTYPE Save(ITaggedObject* chunkFile, DWORD mode) = 0;
};

// The application's temporary store of items: finds items again by their 288-byte record.
// Answers IMtTempSettings.
struct IMtTempStore : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    // 4: S_OK with the item held for the record; for a record without track number whose
    // data file exists, S_OK with a new item on it unless flags hold kMtLookupHeldOnly;
    // S_FALSE (null) when nothing is held. A held item lapses once the file its record names
    // changes (size or last write). flags 1, with kMtLookupHeldOnly for loads.
    virtual HRESULT STDMETHODCALLTYPE LookupTrack(const MtFileItemRecord* record, IUnknown** item, DWORD flags) = 0;
    // 5, 6
    virtual HRESULT STDMETHODCALLTYPE Open() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

struct IMtTempSettings : IUnknown {
    // 3, 5: with logging on, the store writes one line per lookup to "KsMtStore.log" in its folder.
    virtual HRESULT STDMETHODCALLTYPE GetLogging(LONG* on) = 0;
    // 4: deletes the temporary files that none of the listed documents uses (records of the
    // open documents: path, bits, rate). Only files of the program's and the engine's
    // temporary names ("NY*.tmp", "KMT*.tmp") in the temporary folder go, and only those
    // left from before this session that no item uses, no one holds open and no record
    // names. count 0 with documents null is allowed.
    virtual HRESULT STDMETHODCALLTYPE DeleteUnusedFiles(const MtFileItemRecord* documents, LONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLogging(LONG on) = 0; // 5
    // 6, 7: the temporary folder (files there that items own are deleted with them).
    virtual HRESULT STDMETHODCALLTYPE GetFolder(char* buffer, DWORD capacity) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFolder(const char* folder) = 0;
};

// The mix of tracks as 32-bit float frames.
struct IMtMixReader : IUnknown {
    // 3: the range [start, end) on the time line; end -1 = document end.
    virtual HRESULT STDMETHODCALLTYPE SetRange(LONGLONG start, LONGLONG end) = 0;
    // 4: up to frames frames; *read = frames given; fewer only at the range end.
    virtual HRESULT STDMETHODCALLTYPE Read(float* buffer, DWORD frames, DWORD* read) = 0;
    // 5, 6: position on the time line.
    virtual HRESULT STDMETHODCALLTYPE Seek(LONGLONG position) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) = 0;
    // 7: rate, 32 bits, output channels.
    virtual HRESULT STDMETHODCALLTYPE GetFormat(MtClipFormat* format) = 0;
};

// ---------------------------------------------------------------------------------------
// The transport (MtCreateInstance): plays the mix of a track set through waveOut or
// DirectSound and records through waveIn, as section "Settings" of the program's settings
// says ("DirectSoundUse", "DirectSoundDevice", "DirectSoundBufferLength", "WaveOutDevice",
// "WaveOutBufferLength", "WaveOutBufferCount", "WaveOutEnableExTensible", "WaveInDevice",
// "WaveInBufferCount", "WaveInOffset", "WaveInUseExTensible", "AsioUse"); a device name that
// matches none falls back to the mapper (the primary driver). Several may live at once.
//
//   link->Attach(set, 1); notify->SetNotifyWindow(hwnd, msg, 0); transport->Start(0);
//   ... msg arrives with wParam kMtPlayEnded ... transport->Stop();
//
// Playback: the mix (2 channels, the set's rate) of the marked tracks (every track when none
// is marked) over the selection's range, or from the cursor to the document end when the
// range is empty. Levels, envelopes and marks are taken up again about every 100 ms while
// playing. Notifications are only posted to the IMtNotify window as (msg, code, 0): kMtPlayEnded
// once the last sample has been heard, or a failure code; the transport stays in its state
// until Stop.
//
// Recording (Attach 2, or 3 to play at the same time; then Start(1)): the devices open and
// the transport waits armed, the input running, until TogglePause releases it; from then on
// each armed track gets one take (one take for a new track, track id -1, when none is armed)
// in the set's rate and bits: channels of its track (the set's record channels for a new
// one), raw data in the sample storage of the bits and a peak file, both "KMT*.tmp" files of
// the temporary folder. The take starts "WaveInOffset" ms after the release, which moves the
// sound that far earlier on the time line; it belongs at the selection's start. A full disk
// stops the writing, keeps what was written and posts kMtErrDiskFull. Stop before the release
// leaves no take file.

struct IMtTransport : IUnknown {
    // 3: pauses or resumes playback; releases an armed recording (recording then pauses and
    // resumes the writing while the input keeps running).
    virtual HRESULT STDMETHODCALLTYPE TogglePause() = 0;
    // 4: 0 play, 1 record (as attached). kMtErrNoDevice without devices (or with ASIO on),
    // kMtErrDeviceInUse, kMtErrPlaybackOpen or kMtErrRecordOpen when a device will not open;
    // E_UNEXPECTED when nothing fitting is attached.
    virtual HRESULT STDMETHODCALLTYPE Start(LONG mode) = 0;
    // 5: stops, closes the devices and finishes the takes; S_OK when stopped already.
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    // 7: 1 stopped, 2 playing (paused too, and after the end until Stop), 3 recording.
    virtual HRESULT STDMETHODCALLTYPE GetState(LONG* state) = 0;
};

struct IMtPlayPosition : IUnknown {
    // 3: the time-line position being heard; while recording alone, the end of what is recorded.
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) = 0;
    // 4: playback goes on from position (clamped to the played range), also while paused.
    virtual HRESULT STDMETHODCALLTYPE SetPosition(LONGLONG position) = 0;
};

struct IMtRecorder : IUnknown {
    // 3: the time-line position of the end of what is recorded.
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) = 0;
    // 4 (returns the state, not an HRESULT): 0 no input; 1 input open, nothing received yet;
    // 2 writing takes; 3 input running, not writing (armed, paused or monitoring).
    virtual LONG STDMETHODCALLTYPE GetStatus() = 0;
    // 5: input peak of the last 10 ms per side, 0..32767 (full scale 32768); 0 without input.
    virtual HRESULT STDMETHODCALLTYPE GetLevels(LONG* left, LONG* right) = 0;
    // 6: bytes of take data written so far (all takes).
    virtual HRESULT STDMETHODCALLTYPE GetRecordedBytes(LONGLONG* bytes) = 0;
};

struct IMtPlayStatus : IUnknown {
    // 3: as IMtPlayPosition 3.
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) = 0;
    // 4 (returns the answer, not an HRESULT): nonzero while playback sounds (not paused, not ended).
    virtual LONG STDMETHODCALLTYPE GetStatus() = 0;
    // 5: output peak of the last block played, left in the low word, right in the high word,
    // 0..32767 each; 0 while not playing.
    virtual HRESULT STDMETHODCALLTYPE GetLevels(DWORD* packed) = 0;
    // 6: times the output ran dry while playing, and the output buffering in milliseconds.
    virtual HRESULT STDMETHODCALLTYPE GetBufferStatus(LONG* underruns, LONG* bufferMs) = 0;
};

struct IMtSourceLink : IUnknown {
    // 3: the track set to play or record: mode 1 play, 2 record, 3 record while playing.
    // The transport holds a reference until it is released or attached anew.
    virtual HRESULT STDMETHODCALLTYPE Attach(IUnknown* trackSet, LONG mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    // 5: input level monitoring in the set's record format (levels only, nothing written).
    virtual HRESULT STDMETHODCALLTYPE SetMonitoring(IUnknown* trackSet, LONG on) = 0;
};

struct IMtNotify : IUnknown {
    // 3: where the end and failures are posted: PostMessage(window, message, code, 0). flags 0.
    virtual HRESULT STDMETHODCALLTYPE SetNotifyWindow(HWND window, UINT message, LONG flags) = 0;
};

struct IMtDeviceWindow : IUnknown {
    // 3: the window DirectSound's cooperative level is set for (the desktop when none).
    virtual HRESULT STDMETHODCALLTYPE SetMainWindow(HWND window) = 0;
};

struct IMtRecordItems : IUnknown {
    // 3: the takes of the current (or last) recording as (item, track id) pairs; the same
    // list object all along. From Start(1) on it holds one empty item per take with the
    // take's path and format; after Stop the items on the finished files (nothing when
    // nothing was recorded).
    virtual HRESULT STDMETHODCALLTYPE GetItemList(IMtItemList** list) = 0;
};

// ---------------------------------------------------------------------------------------
// Exports, bound by ordinal

enum MtOrdinal : WORD {
    kMtOrdCreateTrackSet = 1,
    kMtOrdCreateTempStore = 2,
    kMtOrdCreateItemList = 4,
    kMtOrdCreateInstance = 5, // transport objects
    kMtOrdGetPlaybackDeviceCount = 10,
    kMtOrdGetPlaybackDeviceName = 11,
    kMtOrdGetRecordingDeviceCount = 12,
    kMtOrdGetRecordingDeviceName = 13,
    kMtOrdGetAsioDriverCount = 14,
    kMtOrdGetAsioDriverName = 15,
    kMtOrdGetAsioDriver = 16,
    kMtOrdSelectAsioDriver = 17,
    kMtOrdCloseAsioDriver = 18,
    kMtOrdOpenAsio = 19,
    kMtOrdSuspendAudio = 20,
    kMtOrdGetSampleRate = 22,
    kMtOrdInitialize = 25,
    kMtOrdUninitialize = 26,
    kMtOrdCreateClip = 27,
};

typedef HRESULT(WINAPI* PFN_MtCreateTrackSet)(IMtTrackSet** set);
typedef HRESULT(WINAPI* PFN_MtCreateTempStore)(IMtTempStore** store);
typedef HRESULT(WINAPI* PFN_MtCreateItemList)(IMtItemList** list);
typedef HRESULT(WINAPI* PFN_MtCreateClip)(IMtClip** clip);
// clsid kMtClsidTransport; the object is returned as the interface iid (IMtTransport and the
// others it answers).
typedef HRESULT(WINAPI* PFN_MtCreateInstance)(REFCLSID clsid, void** object, REFIID iid);
// main window: receives the engine's notifications (may be null).
typedef HRESULT(WINAPI* PFN_MtInitialize)(HWND mainWindow);
typedef HRESULT(WINAPI* PFN_MtUninitialize)();
// kind 0 waveOut, 1 DirectSound; returns the count (0 when none).
typedef LONG(WINAPI* PFN_MtGetPlaybackDeviceCount)(LONG kind);
// Copies the terminated name (cut to capacity - 1); E_INVALIDARG for a bad kind or index.
typedef HRESULT(WINAPI* PFN_MtGetPlaybackDeviceName)(LONG kind, LONG index, char* buffer, LONG capacity);
// kind 0 waveIn.
typedef LONG(WINAPI* PFN_MtGetRecordingDeviceCount)(LONG kind);
typedef HRESULT(WINAPI* PFN_MtGetRecordingDeviceName)(LONG kind, LONG index, char* buffer, LONG capacity);
typedef LONG(WINAPI* PFN_MtGetAsioDriverCount)();
typedef HRESULT(WINAPI* PFN_MtGetAsioDriverName)(LONG index, char* buffer, LONG capacity);
typedef HRESULT(WINAPI* PFN_MtGetAsioDriver)(IUnknown** driver);
typedef HRESULT(WINAPI* PFN_MtSelectAsioDriver)(const char* name);
typedef HRESULT(WINAPI* PFN_MtCloseAsioDriver)();
typedef HRESULT(WINAPI* PFN_MtOpenAsio)();
// 1: every running transport closes its devices and holds where it was; 0: they reopen them
// with the settings as they are now and go on.
typedef HRESULT(WINAPI* PFN_MtSuspendAudio)(LONG suspend);
typedef LONG(WINAPI* PFN_MtGetSampleRate)();
