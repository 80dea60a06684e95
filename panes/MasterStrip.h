// CMasterStrip: the mixer's master section: peak-hold labels, the grouping switch, the master
// fader with its dB label, channel names and the output meters.
#pragma once
#include "MixerCtrl.h"
#include "PanelElement.h"
#include "SliderElement.h"
#include "TextElement.h"

class CNyControlView;

class CMasterStrip : public CMixerCtrl {
public:
    enum PartId { kPeakLeft, kPeakRight, kGrouping, kFader, kLevelText, kNameLeft, kNameRight, kPartCount };

    CMasterStrip(CMixerView* view, int image);

    void SetUp() override;
    void Refresh() override;
    void ApplyText(int part) override;
    void DrawContent(CDC* dc, const RECT& clip) override;
    UINT GetTipId(int part) override;
    void OnPartDrag(UINT flags, int x, int y) override;
    void OnPartDown(UINT flags, int x, int y) override;
    void OnPartUp(UINT flags, int x, int y) override;
    bool OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void CancelDrag() override;
    bool DrawMeters(CDC* dc, bool active) override;

    void ClearPeaks();
    void UpdateMasterLive();
    int MeterValue(int channel) const { return m_meters[channel]; }
    const std::string& PeakText(int channel) const { return m_peaks[channel].GetText(); }
    CTextElement& PeakLabel(int channel) { return m_peaks[channel]; }
    CSliderElement& Fader() { return m_fader; }

private:
    void RecordMasterVolume(int newVolume, int oldVolume, bool run);

    CSliderElement m_fader;
    CPanelElement m_grouping;
    CTextElement m_levelText;
    CTextElement m_peaks[2];
    CTextElement m_names[2];
    int m_meters[2] = {0, 0};
    int m_volumeAtPress = 10000;
    int m_meterChannels = 2;
};
