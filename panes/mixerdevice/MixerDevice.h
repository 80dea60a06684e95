// CMixerDevice: the multimedia mixer of one sound card. Open finds one destination line of the
// mixer (the recording destination for the Controller), ReadLines lists the volume controls of
// that destination and of its source lines, ReadSourceList the entries of its recording-source
// selector, and Get/SetControlValue read and write one volume control as a packed value.
//
//   CMixerDevice mixer;
//   if (mixer.Open(0, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, (DWORD_PTR)hwnd, 0,
//                  MIXER_OBJECTF_MIXER | CALLBACK_WINDOW) == 0 && mixer.ReadLines() == 0) {
//       DWORD packed = 0;
//       mixer.GetControlValue(mixer.Lines()[0].controlId, &packed);
//   }
//
// Results: 0 success, the mixer call's MMRESULT when it fails, 1 when the operation is not
// possible (mixer not open, nothing found, unsuitable control). User-interface thread only;
// change notices arrive at the callback window given to Open.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <vector>

// One volume control: of the destination line itself (name = the control's name) or of one of
// its source lines (name = the source line's name). name need not be terminated.
struct MixerLineRecord {
    DWORD mixerId;
    DWORD lineId;
    DWORD controlId;
    DWORD componentType;
    DWORD targetType;
    char name[MIXER_LONG_NAME_CHARS];
};
static_assert(sizeof(MixerLineRecord) == 84, "a line record is 84 bytes");

// One entry of the recording-source selector; selected is the selector's value for it.
struct MixerSourceItem {
    DWORD selected;
    char name[MIXER_LONG_NAME_CHARS];
};
static_assert(sizeof(MixerSourceItem) == 68, "a source item is 68 bytes");

// Packed volume: low 16 bits the first (left) channel, high 16 bits the second (right), each
// 0..65535. A control of one value reads back the same value in both halves; writing fills the
// values in (left, right) pairs, and an odd last value gets the left half.
DWORD PackMixerValues(const MIXERCONTROLDETAILS_UNSIGNED* values, DWORD count);
void UnpackMixerValue(DWORD packed, MIXERCONTROLDETAILS_UNSIGNED* values, DWORD count);

class CMixerDevice {
public:
    CMixerDevice();
    virtual ~CMixerDevice();
    CMixerDevice(const CMixerDevice&) = delete;
    CMixerDevice& operator=(const CMixerDevice&) = delete;

    // handle: a wave device handle or a mixer id, as flags say (MIXER_OBJECTF_*); callback,
    // instance and the CALLBACK_* part of flags go to mixerOpen. Closes any open mixer first;
    // 1 (and closed) when no destination line has componentType.
    MMRESULT Open(UINT_PTR handle, DWORD componentType, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    void Close();

    // Fills Lines(): the destination's volume controls first, then each source's in index order.
    MMRESULT ReadLines();
    // Fills SourceItems() from the destination's first selector; 1 when it has none, or when
    // the selector's values are not on/off (the names are listed, all unselected).
    MMRESULT ReadSourceList();

    // Index in Lines() of the record with that control, -1 when closed or none.
    int FindLine(DWORD controlId) const;
    MMRESULT GetControlValue(DWORD controlId, DWORD* packed);
    MMRESULT SetControlValue(DWORD controlId, DWORD packed);

    bool IsOpen() const { return m_mixer != nullptr; }
    DWORD MixerId() const { return m_mixerId; }
    const MIXERLINEA& DestinationLine() const { return m_destination; }
    const std::vector<MixerLineRecord>& Lines() const { return m_lines; }
    const std::vector<MixerSourceItem>& SourceItems() const { return m_sourceItems; }

private:
    // All controls of a line (none when it has no controls); the query's result.
    MMRESULT ReadControls(const MIXERLINEA& line, std::vector<MIXERCONTROLA>* controls) const;
    // The control of that id on line (1 when the line has none of that id).
    MMRESULT FindControl(const MIXERLINEA& line, DWORD controlId, MIXERCONTROLA* control) const;
    // The control of that id, and the line it belongs to; 1 when it is not usable.
    MMRESULT PrepareValue(DWORD controlId, MIXERLINEA* line, MIXERCONTROLA* control, DWORD* count) const;

    std::vector<MixerLineRecord> m_lines;
    std::vector<MixerSourceItem> m_sourceItems;
    DWORD m_mixerId = 0;
    HMIXER m_mixer = nullptr;
    MIXERCAPSA m_caps{};
    MIXERLINEA m_destination{};
};
