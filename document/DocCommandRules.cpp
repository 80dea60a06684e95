#include "DocCommandRules.h"

#include <algorithm>
#include <cstdio>

namespace {

bool g_effectDialogsAvailable = false;

CommandUiState Enabled(bool on)
{
    CommandUiState ui;
    ui.enabled = on;
    return ui;
}

// The history's newest entry in the menu text: the plain text and disabled without one.
CommandUiState HistoryItem(const DocCommandState& s, bool has, const std::string& name, const std::string& plain,
                           const std::string& named)
{
    CommandUiState ui;
    ui.setsText = true;
    ui.text = has ? FormatMenuText(named, name) : plain;
    ui.enabled = has && s.viewEditMode == 0 && !s.transportBusy;
    return ui;
}

} // namespace

std::string FormatMenuText(const std::string& pattern, const std::string& name)
{
    std::string text = pattern;
    size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, name.substr(0, 255));
    return text;
}

CommandUiState RuleAddTrack(const DocCommandState& s, int id)
{
    return Enabled(s.Idle() && (id != 1042 || s.multichannel));
}

CommandUiState RuleDeleteTrack(const DocCommandState& s)
{
    return Enabled(s.Idle() && s.trackCount > 0);
}

bool CanSelectionEditRule(const DocCommandState& s, int id)
{
    if (!s.hasEngine || !s.trackCountOk || s.trackCount == 0 || s.length == 0 || !s.Idle())
        return false;
    if (s.selLength == 0 && id != 1025)
        return false;
    const int64_t rangeEnd = s.selStart + s.selLength;
    for (const DocTrackState& t : s.tracks) {
        if (!t.selected || t.end - t.start == 0)
            continue;
        if (id == 1026 && std::max(t.start, s.selStart) >= std::min(t.end, rangeEnd))
            continue;
        if (s.selStart < t.end)
            return true;
    }
    return false;
}

CommandUiState RuleSelectionEdit(const DocCommandState& s, int id)
{
    return Enabled(CanSelectionEditRule(s, id));
}

CommandUiState RulePaste(const DocCommandState& s)
{
    return Enabled(s.Idle() && s.trackCount > 0 && s.privateClipboard);
}

CommandUiState RuleUndo(const DocCommandState& s, const std::string& plain, const std::string& named)
{
    return HistoryItem(s, s.hasUndo, s.undoName, plain, named);
}

CommandUiState RuleRedo(const DocCommandState& s, const std::string& plain, const std::string& named)
{
    return HistoryItem(s, s.hasRedo, s.redoName, plain, named);
}

CommandUiState RuleSelectAll(const DocCommandState& s)
{
    return Enabled(s.Idle() && s.length != 0);
}

CommandUiState RuleGoTo(const DocCommandState& s)
{
    CommandUiState ui = Enabled(false);
    if (s.Idle() && s.trackCount != 0)
        ui.decides = false; // the item stays as the menu has it: enabled
    return ui;
}

CommandUiState RuleFileSend(const DocCommandState& s)
{
    return Enabled(!s.empty && s.viewEditMode == 0 && !s.transportBusy);
}

CommandUiState RuleNewCuePoint(const DocCommandState& s)
{
    if (s.viewEditMode != 0 || (s.Idle() && s.HasSelection()))
        return Enabled(false);
    // A cue may be set while the transport runs.
    return Enabled(s.trackCount >= 1);
}

CommandUiState RuleNewSection(const DocCommandState& s)
{
    return Enabled(s.Idle() && s.trackCount >= 1 && s.HasSelection());
}

CommandUiState RuleNewLoop(const DocCommandState& s)
{
    return Enabled(s.Idle() && (s.trackCount <= 1 || s.allTracksMode) && s.HasSelection() && s.loopCount < 1);
}

CommandUiState RuleRefreshWaveforms(const DocCommandState& s)
{
    return Enabled(s.historyModified && s.hasUndo && s.length >= 1 && s.Idle());
}

CommandUiState RuleFileSaveAs(const DocCommandState& s)
{
    return Enabled(s.hasEngine && s.trackCountOk && s.trackCount >= 1 && !s.empty && s.Idle());
}

CommandUiState RuleFileSave(const DocCommandState& s)
{
    return s.readOnly ? Enabled(false) : RuleFileSaveAs(s);
}

CommandUiState RuleFileImport(const DocCommandState& s)
{
    return Enabled(s.Idle());
}

CommandUiState RuleGenerators(const DocCommandState& s, int id)
{
    if (IsEffectDialogCommand(id))
        return Enabled(false);
    return Enabled(!s.transportBusy && s.hasEngine && s.trackCount >= 1 && s.viewEditMode == 0);
}

bool CanRunEffectRule(const DocCommandState& s, int id)
{
    if (s.activeCommand == 2012 || s.activeCommand == 2013)
        return false;
    if (id == 2018)
        return !s.transportBusy && s.hasEngine && s.trackCount >= 1;
    if (!s.hasEngine || !s.trackCountOk || s.trackCount == 0 || s.transportBusy || s.viewEditMode != 0)
        return false;
    if (id >= 2019 && id <= 2022)
        return true;
    if (s.length == 0)
        return false;
    const int64_t rangeEnd = s.selStart + s.selLength;
    for (const DocTrackState& t : s.tracks) {
        if (!t.selected || t.end - t.start == 0)
            continue;
        if (s.selLength != 0 && !(t.start <= rangeEnd && s.selStart < t.end))
            continue;
        if (id >= 2012 && id <= 2014)
            return s.selLength != 1;
        return true;
    }
    return false;
}

CommandUiState RuleEffectCommand(const DocCommandState& s, int id)
{
    if (IsEffectDialogCommand(id))
        return Enabled(false);
    return Enabled(CanRunEffectRule(s, id));
}

std::string MailSizeText(uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1fM", static_cast<double>(bytes) * (1.0 / 1048576.0));
    return text;
}

bool IsEffectDialogCommand(int id)
{
    // The palette's entries (34000 on) have no handler.
    if (id >= 34000 && id <= 35999)
        return true;
    if (g_effectDialogsAvailable)
        return false;
    // The effect dialog's commands, the channel commands, the fade dialogs, the generators,
    // Sample Type and the split wizard need the program's dialogs; Reverse and Mute run
    // without one.
    return (id >= 2000 && id <= 2011 && id != 2003 && id != 2005) || (id >= 2018 && id <= 2022) || id == 2015 ||
           id == 2017 || (id >= 2023 && id <= 2032) || id == 1117 || id == 1118 || (id >= 1122 && id <= 1126) ||
           id == 1097;
}

void SetEffectDialogsAvailable(bool available)
{
    g_effectDialogsAvailable = available;
}
