// CRecordStrip: the mixer's recording section: peak-hold labels, stereo and mono buttons, the
// recording level fader (the sound card's volume through the Controller), the monitor switch
// and the input meters.
#pragma once
#include "MixerCtrl.h"
#include "PanelElement.h"
#include "SliderElement.h"
#include "TextElement.h"

class CRecordStrip : public CMixerCtrl {
public:
    enum PartId { kPeakLeft, kPeakRight, kStereo, kMono, kFader, kMonitor, kNameLeft, kNameRight, kPartCount };

    CRecordStrip(CMixerView* view, int image);

    void SetUp() override;
    void Refresh() override;
    void ApplyText(int part) override { (void)part; }
    void DrawContent(CDC* dc, const RECT& clip) override;
    UINT GetTipId(int part) override;
    void OnPartDrag(UINT flags, int x, int y) override;
    void OnPartDown(UINT flags, int x, int y) override;
    void OnPartUp(UINT flags, int x, int y) override;
    void OnRButtonDown(UINT flags, int x, int y) override { (void)flags, (void)x, (void)y; }
    void OnRButtonUp(UINT flags, int x, int y) override;
    bool OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void CancelDrag() override;
    bool DrawMeters(CDC* dc, bool active) override;

    void SetLevel(int value);
    void SetRecordChannels(int channels);
    int RecordChannels();
    int MeterValue(int channel) const { return m_meters[channel]; }
    CTextElement& PeakLabel(int channel) { return m_peaks[channel]; }

protected:
    bool IsPartAllowed(int part) override;

private:
    CSliderElement m_fader;
    CPanelElement m_buttons[3]; // stereo, mono, monitor
    CTextElement m_peaks[2];
    CTextElement m_names[2];
    int m_meters[2] = {0, 0};
};
