// The document's message map: the commands of the document window's menus that the document
// handles, grouped by the file that holds their handlers.
#include "MultiTrackDoc.h"

#include "DocCommandIds.h"
#include "EditModeIds.h"
#include "FwResource.h"
#include "MainFrameIds.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CNyMultiTrackDoc, CDocument)
    // MultiTrackDoc_Edit.cpp: tracks, the clipboard, Undo and Redo, selecting, going to an end.
    ON_COMMAND(ID_ADD_TRACK, OnAddTrack)
    ON_COMMAND(ID_ADD_MONO_TRACK, OnAddMonoTrack)
    ON_COMMAND(ID_ADD_STEREO_TRACK, OnAddStereoTrack)
    ON_COMMAND(ID_ADD_SURROUND_TRACK, OnAddSurroundTrack)
    ON_UPDATE_COMMAND_UI(ID_ADD_TRACK, OnUpdateAddTrack)
    ON_UPDATE_COMMAND_UI_RANGE(ID_ADD_MONO_TRACK, ID_ADD_SURROUND_TRACK, OnUpdateAddTrack)
    ON_COMMAND(ID_DELETE_TRACK, OnDeleteTrack)
    ON_UPDATE_COMMAND_UI(ID_DELETE_TRACK, OnUpdateDeleteTrack)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_DELETE, OnEditDelete)
    ON_COMMAND(ID_EDIT_TRIM, OnEditTrim)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditSelection)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditSelection)
    ON_UPDATE_COMMAND_UI(ID_EDIT_DELETE, OnUpdateEditSelection)
    ON_UPDATE_COMMAND_UI(ID_EDIT_TRIM, OnUpdateEditSelection)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_COMMAND(ID_EDIT_REDO, OnEditRedo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, OnUpdateEditRedo)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
    ON_COMMAND(ID_GO_TO_START, OnGoToStart)
    ON_COMMAND(ID_GO_TO_END, OnGoToEnd)
    ON_UPDATE_COMMAND_UI(ID_GO_TO_START, OnUpdateGoTo)
    ON_UPDATE_COMMAND_UI(ID_GO_TO_END, OnUpdateGoTo)

    // MultiTrackDoc_Mail.cpp: Send, New Cue Point, New Section.
    ON_COMMAND(ID_FILE_SEND_MAIL, OnFileSend)
    ON_UPDATE_COMMAND_UI(ID_FILE_SEND_MAIL, OnUpdateFileSend)
    ON_COMMAND(ID_NEW_CUE_POINT, OnNewCuePoint)
    ON_UPDATE_COMMAND_UI(ID_NEW_CUE_POINT, OnUpdateNewCuePoint)
    ON_COMMAND(ID_NEW_SECTION, OnNewSection)
    ON_UPDATE_COMMAND_UI(ID_NEW_SECTION, OnUpdateNewSection)

    // MultiTrackDoc_Mixdown.cpp: Sample Type and Mix Tracks to New.
    ON_COMMAND(ID_SAMPLE_TYPE, OnSampleType)
    ON_COMMAND(ID_MIX_TRACKS_TO_NEW, OnMixTracksToNew)

    // MultiTrackDoc_Effects.cpp and MultiTrackDoc_Channels.cpp: the Effects menu with its
    // sub-menus, the Special menu's channel commands and the effect launcher's presets.
    ON_COMMAND(ID_EFFECT_REVERSE, OnEffectReverse)
    ON_COMMAND(ID_EFFECT_MUTE, OnEffectMute)
    ON_COMMAND(ID_EFFECT_CHAIN, OnEffectNothing)
    ON_COMMAND(ID_EFFECT_2016, OnEffectNothing)
    ON_COMMAND_RANGE(ID_EFFECT_GAIN, ID_EFFECT_NORMALIZE, OnEffectCommand)
    ON_COMMAND_RANGE(ID_EFFECT_SMOOTHING, ID_EFFECT_SMOOTHING, OnEffectCommand)
    ON_COMMAND_RANGE(ID_EFFECT_FILTER, ID_EFFECT_TIME_STRETCH, OnEffectCommand)
    ON_COMMAND_RANGE(ID_EFFECT_MODULATOR, ID_EFFECT_MODULATOR, OnEffectCommand)
    ON_COMMAND_RANGE(ID_EFFECT_LOFI, ID_EFFECT_LOFI, OnEffectCommand)
    ON_COMMAND_RANGE(ID_EFFECT_FM_TONE, ID_EFFECT_REMOVE_NOISE, OnEffectCommand)
    ON_COMMAND_RANGE(ID_MONO_TO_STEREO, ID_CHANNEL_NORMALIZE, OnEffectCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_EFFECT_FM_TONE, ID_EFFECT_NOISE, OnUpdateGenerators)
    ON_UPDATE_COMMAND_UI_RANGE(ID_EFFECT_GRAPHIC_EQ10, ID_EFFECT_REMOVE_NOISE, OnUpdateEqualizersAndNoise)
    ON_UPDATE_COMMAND_UI(ID_EFFECT_CHAIN, OnUpdateEffectCommands)
    ON_UPDATE_COMMAND_UI(ID_SPLIT_WAVEFORM, OnUpdateEffectCommands)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FADE_DIALOG, ID_CROSSFADE, OnUpdateEffectCommands)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MONO_TO_STEREO, ID_CHANNEL_NORMALIZE, OnUpdateEffectCommands)
    // Fade In/Out and Envelope included: no selection to shape, no handle mode.
    ON_UPDATE_COMMAND_UI_RANGE(ID_EFFECT_GAIN, ID_SAMPLE_TYPE, OnUpdateEffectCommands)
    ON_UPDATE_COMMAND_UI_RANGE(ID_EFFECT_PRESET_FIRST, ID_EFFECT_PRESET_LAST, OnUpdateEffectCommands)

    // MultiTrackDoc_HandleEdit.cpp: the fade and envelope handle modes.
    ON_COMMAND(ID_FADE_IN_OUT_MODE, OnFadeInOut)
    ON_COMMAND(ID_ENVELOPE_MODE, OnEnvelope)

    // MultiTrackDoc_Loops.cpp: New Loop, Split Waveform, the fade dialogs, Refresh Waveforms
    // and the file commands' availability.
    ON_COMMAND(ID_NEW_LOOP, OnNewLoop)
    ON_UPDATE_COMMAND_UI(ID_NEW_LOOP, OnUpdateNewLoop)
    ON_COMMAND(ID_SPLIT_WAVEFORM, OnSplitWaveform)
    ON_COMMAND(ID_FADE_DIALOG, OnFadeInOutDialog)
    ON_COMMAND(ID_CROSSFADE, OnCrossfade)
    ON_COMMAND(ID_REFRESH_WAVEFORMS, OnRefreshWaveforms)
    ON_UPDATE_COMMAND_UI(ID_REFRESH_WAVEFORMS, OnUpdateRefreshWaveforms)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, OnUpdateFileSaveAs)
    ON_UPDATE_COMMAND_UI(ID_FILE_EXPORT, OnUpdateFileSaveAs)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
    ON_UPDATE_COMMAND_UI(ID_FILE_IMPORT, OnUpdateFileImport)
    ON_UPDATE_COMMAND_UI(ID_FILE_CLOSE, OnUpdateFileImport)

    // MultiTrackDoc_Save.cpp: Save, Save As, Export and Import.
    ON_COMMAND(ID_FILE_SAVE, OnFileSaveCommand)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAsCommand)
    ON_COMMAND(ID_FILE_EXPORT, OnFileExport)
    ON_COMMAND(ID_FILE_IMPORT, OnFileImport)
END_MESSAGE_MAP()
