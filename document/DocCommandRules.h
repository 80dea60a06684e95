// When each document command may be chosen, as plain functions of a snapshot of the
// document's state: the update handlers take a snapshot (CNyMultiTrackDoc::CaptureCommandState)
// and apply the answer to the real command-UI, so the rules can be checked without menus.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct DocTrackState {
    bool selected = false;            // any row of the track selected
    bool allChannelsSelected = false; // every channel row selected
    int channels = 1;
    int64_t start = 0; // span: start offset and start + length
    int64_t end = 0;
    float pan = 0.0f;
};

struct DocCommandState {
    bool hasEngine = false;
    bool trackCountOk = true; // the engine answered the track count
    int trackCount = 0;
    int64_t length = 0;
    bool empty = true;          // no track has a length
    bool transportBusy = false; // also true without an engine
    int viewEditMode = 0;       // the view's handle edit mode
    int activeCommand = 0;      // the document's edit-mode field (2012, 2013, effect ids)
    int64_t selStart = 0;       // selection start and length (start and length form)
    int64_t selLength = 0;
    bool allTracksMode = false;
    std::vector<DocTrackState> tracks;
    bool readOnly = false;
    bool multichannel = false;
    bool privateClipboard = false; // the clipboard offers our copy format
    bool historyModified = false;
    bool hasUndo = false;
    bool hasRedo = false;
    std::string undoName;
    std::string redoName;
    int loopCount = 0;

    bool Idle() const { return !transportBusy && viewEditMode == 0; }
    bool HasSelection() const { return selLength != 0; }
};

// The answer for one item: whether the rule decides its state (GoTo leaves an enabled item
// alone), the state, and a text when the rule sets one.
struct CommandUiState {
    bool decides = true;
    bool enabled = false;
    bool setsText = false;
    std::string text;
};

// Formats a menu text template (the "%s" of the Undo and Redo strings) with a name.
std::string FormatMenuText(const std::string& pattern, const std::string& name);

// Availability of one command id. The Undo and Redo texts need the two templates of each
// (plain and named), passed in so that the rules stay free of resources.
CommandUiState RuleAddTrack(const DocCommandState& s, int id);
CommandUiState RuleDeleteTrack(const DocCommandState& s);
CommandUiState RuleSelectionEdit(const DocCommandState& s, int id); // Cut, Copy, Delete, Trim
CommandUiState RulePaste(const DocCommandState& s);
CommandUiState RuleUndo(const DocCommandState& s, const std::string& plain, const std::string& named);
CommandUiState RuleRedo(const DocCommandState& s, const std::string& plain, const std::string& named);
CommandUiState RuleSelectAll(const DocCommandState& s);
CommandUiState RuleGoTo(const DocCommandState& s);
CommandUiState RuleFileSend(const DocCommandState& s);
CommandUiState RuleNewCuePoint(const DocCommandState& s);
CommandUiState RuleNewSection(const DocCommandState& s);
CommandUiState RuleNewLoop(const DocCommandState& s);
CommandUiState RuleRefreshWaveforms(const DocCommandState& s);
CommandUiState RuleFileSaveAs(const DocCommandState& s);
CommandUiState RuleFileSave(const DocCommandState& s);
CommandUiState RuleFileImport(const DocCommandState& s);
CommandUiState RuleGenerators(const DocCommandState& s, int id);
CommandUiState RuleEffectCommand(const DocCommandState& s, int id);

// The single availability rule of the effect commands (palette and menus alike).
bool CanRunEffectRule(const DocCommandState& s, int id);
// Cut, Copy, Delete and Trim.
bool CanSelectionEditRule(const DocCommandState& s, int id);

// Send: files of at least this size ask first, showing their size as MailSizeText gives it.
constexpr uint64_t kMailWarnBytes = 1048576;
std::string MailSizeText(uint64_t bytes);

// Commands whose dialog is not in the program; their items stay disabled. The effect and fade
// dialogs count as there once the program made them available.
bool IsEffectDialogCommand(int id);
void SetEffectDialogsAvailable(bool available);
