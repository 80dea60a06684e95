// CRulerUnitsDialog (116): the time unit, the frame rate of the frame units and the amplitude
// unit; and the Ruler Units command that runs it for a document and hands the choice on.
#pragma once
#include "Framework.h"

#include <cstdint>
#include <string>

class CNyMultiTrackView;

// The dialog's view of a units word: radio indexes and the frame-rate text.
struct RulerUnitsChoice {
    int timeIndex = 0;      // hh:mm:ss, Seconds, Milliseconds, Samples, Frames, Time Code
    int amplitudeIndex = 0; // Percentage, Decimal, dB, Hexadecimal
    std::string rateText;
};
// presets: the four preset names (Film 24, PAL 25, NTSC 29.97, NTSC 30).
RulerUnitsChoice ChoiceFromUnits(uint32_t units, double frameRate, bool floatSamples, const std::string presets[4]);
// The word and rate of a choice: a preset name sets its bit and rate, other text is a typed rate.
uint32_t UnitsFromChoice(const RulerUnitsChoice& choice, const std::string presets[4], double* frameRate);
// A preset name, or a number from 0.05 to 1000.
bool IsValidFrameRateText(const std::string& text, const std::string presets[4]);
void LoadRulerPresetNames(std::string presets[4]);

class CRulerUnitsDialog : public CDialog {
public:
    explicit CRulerUnitsDialog(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    short m_amplitudeLocked = 0;
    int m_floatSamples = 0;
    int m_timeIndex = 0;
    int m_amplitudeIndex = 0;
    CString m_rateText;

protected:
    void OnUnitWithoutFrames();
    void OnUnitWithFrames();
    void OnHelp();
    void EnableRate(bool on);
    DECLARE_MESSAGE_MAP()
};

// The Ruler Units command of a document: runs the dialog, stores the choice in the document
// and the settings "Unit" and "UnitFrames", and hands it to the ruler and the amplitude scale.
void RunRulerUnitsCommand(CNyMultiTrackView* view);
