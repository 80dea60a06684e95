// The document's active effect command while its dialog or job runs: set on entry, 0 on
// every way out, with the effect palette refreshed both times.
#pragma once
#include <string>

class CNyMultiTrackDoc;

class EffectCommandScope {
public:
    EffectCommandScope(CNyMultiTrackDoc* document, int commandId);
    ~EffectCommandScope();
    EffectCommandScope(const EffectCommandScope&) = delete;
    EffectCommandScope& operator=(const EffectCommandScope&) = delete;

private:
    CNyMultiTrackDoc* m_document;
};

// Masks every floating-point exception again after a module ran (modules may unmask some).
void ResetFloatingPointControl();
// The effect's dialog title from the main window's menu item of commandId ("" without one).
std::string EffectCaptionOfCommand(unsigned commandId);
