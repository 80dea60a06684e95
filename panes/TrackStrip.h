// CTrackStrip: the mixer strip of one track: collapse, name, lead-track and group buttons,
// mute, solo and record, the pan slider, the volume fader and its dB label. Volume and pan go
// through the view's level target; the buttons go to the document.
#pragma once
#include "MixerCtrl.h"
#include "PanelElement.h"
#include "SliderElement.h"
#include "TextElement.h"

#include "ComRef.h"
#include "KsMultiTrack.h"

class CTrackStrip : public CMixerCtrl {
public:
    enum PartId { kCollapse, kName, kLead, kGroup, kMute, kSolo, kRecord, kPan, kFader, kVolumeText, kPartCount };

    CTrackStrip(CMixerView* view, int image, IMtTrack* track, int index);

    void SetUp() override;
    void Refresh() override;
    void ApplyText(int part) override;
    void DrawContent(CDC* dc, const RECT& clip) override;
    UINT GetTipId(int part) override;
    void OnPartDrag(UINT flags, int x, int y) override;
    void OnPartDown(UINT flags, int x, int y) override;
    void OnPartUp(UINT flags, int x, int y) override;
    bool OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    bool OnKeyUp(UINT key, UINT repeat, UINT flags) override;
    void CancelDrag() override;
    bool SetCursor(CWnd* window, UINT hitTest, UINT message) override;
    CSize GetSize() override;

    void RefreshVolume();
    void SyncToPosition(int64_t position);
    void SetVolumeText(int value);
    int GetTrackIndex() const { return m_index; }
    CSliderElement& Fader() { return m_fader; }
    CTextElement& VolumeLabel() { return m_volumeText; }

protected:
    bool IsPartAllowed(int part) override;

private:
    bool IsCollapsed();
    int ButtonFrame(int part);
    void ButtonAction(int part, bool shift);
    void RefreshName();
    int64_t LevelPosition();

    CSliderElement m_fader;
    CPanelElement m_buttons[6]; // collapse, lead, group, mute, solo, record (parts 0, 2..6)
    CTextElement m_name;
    CTextElement m_volumeText;
    CSliderElement m_pan;
    ComRef<IMtTrack> m_track;
    int m_index;
    int m_channels = 1;
    bool m_pendingVolume = false;
    bool m_pendingPan = false;
};
