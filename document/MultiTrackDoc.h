// CNyMultiTrackDoc: the framework document of one open multitrack project. It holds the
// engine's track set (all sound lives there), the command history every edit runs through,
// the selection, the label table, the settings record and the record of the file it came
// from. The class is declared here once; its operations are split by topic:
//   MultiTrackDoc.cpp             construction, engine creation, new document, contents
//   MultiTrackDoc_Engine.cpp      engine queries, view options, engine mode, the view
//   MultiTrackDoc_TrackState.cpp  mute, solo, arming, groups, colours, levels, fade handles
//   MultiTrackDoc_Commands.cpp    what edit commands reach: selection, labels, file state
//   MultiTrackDoc_CommandMap.cpp  the message map of the menu commands, by handler file
//
// The program around it is reached through DocumentHost, the view through ViewGeometry.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "DocCommandRules.h"
#include "DocumentHost.h"
#include "DocumentRecords.h"
#include "FadeHandleEditor.h"
#include "FwDocument.h"
#include "FwString.h"
#include "KsMultiTrack.h"
#include "LabelTable.h"

#include <mmreg.h>

#include <array>
#include <map>
#include <memory>
#include <vector>

struct ICommandHistory;
struct IMtItemList;
struct ICommandList;
struct FioLoopBlock;
class AudioFormat;
class CSelectionModel;
class TrackPreviewPlayer;
class ViewGeometry;

// Menu command ids the document answers for.
constexpr int kCmdFadeInOut = 2012;
constexpr int kCmdEnvelope = 2013;
constexpr int kCmdFadeIn = 1132;
constexpr int kCmdFadeOut = 1133;
constexpr int kCmdFadeSine = 1134;
constexpr int kCmdFadeLinear = 1135;
constexpr int kCmdViewTimeRuler = 1010;
constexpr int kCmdViewHeader = 1011;
constexpr int kCmdViewMarkers = 1014;
constexpr int kCmdView1016 = 1016;
constexpr int kCmdViewVideoTrack = 1017;
constexpr int kCmdViewSpectrum = 1018;
constexpr int kCmdViewVolumeEnvelopes = 1023;
constexpr int kCmdViewPanEnvelopes = 1115;

// A new document is a project of the newest chunked form (envelopes, 24 bits, 6 channels).
constexpr int kNewDocumentFileType = 20;

constexpr HRESULT kDocErrRecordChannels = static_cast<HRESULT>(0x83E8083B); // armed track's channels differ
constexpr HRESULT kDocErrNoMoreTracks = static_cast<HRESULT>(0x83E807D5);   // recording while playing: 6 full tracks

// The creator text of a new document: "Nyle Ver." + " 1.00,I", exactly 16 characters.
constexpr const char* kCreatorName = "Nyle Ver.";
constexpr const char* kCreatorVersion = " 1.00,I";

class CNyMultiTrackDoc : public CDocument, public CommandDocument {
    DECLARE_DYNCREATE(CNyMultiTrackDoc)
public:
    CNyMultiTrackDoc();
    ~CNyMultiTrackDoc() override;

    // Life cycle
    BOOL OnNewDocument() override;
    void DeleteContents() override;
    // Creates the engine's track set and the command history and binds the selection and the
    // labels; FALSE at the first failing step (what was made stays).
    BOOL CreateEngine();

    // CommandDocument (SetModifiedFlag is the framework's)
    IMtTrackSet* GetTrackSet() override { return m_engine.Get(); }
    HRESULT SetTrackSelected(int trackIndex, BOOL selected) override;
    void SetModifiedFlag(BOOL modified = TRUE) override { CDocument::SetModifiedFlag(modified); }
    void OnHistoryChanged() override;

    // Engine queries: each answers its default without an engine.
    int64_t GetLength();      // 0
    WORD GetBitsPerSample();  // 16
    DWORD GetSamplesPerSec(); // 0
    int GetTrackCount();      // 0
    // The track without a held reference; null for a bad index.
    IMtTrack* GetTrack(int index);
    // 1 when the track does not exist.
    WORD GetTrackChannels(int index);
    // part -1 the start offset, 0 the length, other start + length; 0 for a negative index.
    int64_t GetTrackExtent(int index, int part);

    // View options by command id: SetViewOption returns the previous bit, GetViewOption 0 or 1.
    int SetViewOption(int commandId, int on);
    int GetViewOption(int commandId);
    // Document type 0 (tracks up to 2 channels) or 1 (6 channels): the engine's channel limit.
    BOOL SetEngineMode(uint32_t documentType);

    // The first view that is the multitrack view; null when there is none.
    ViewGeometry* GetMultiTrackView();

    // Track accessors (none throws but GetTrackLevel and GetTrackEditInterface)
    int GetTrackId(int index);
    int GetTrackIndex(int id);
    int64_t GetTrackSpan(int index, int64_t* start, int64_t* end);
    int GetTrackGroup(int index);
    void SetTrackGroup(IMtTrack* track, int group);
    COLORREF GetTrackColor(IMtTrack* track);
    void SetTrackColor(IMtTrack* track, COLORREF colour);
    BOOL GetTrackFlag(int index, DWORD flag);
    void SetTrackFlag(int index, DWORD flag, BOOL value);
    BOOL IsTrackSilenced(int index);
    void SetTrackSilenced(int index, BOOL value);
    void ApplyTrackFlag32(int index, BOOL value);
    int GetFreeGroupNumber();
    float GetTrackLevel(int index, LONG kind, int64_t position);
    IMtEnvelope* GetTrackEditInterface(int index, LONG kind);
    int GetMasterVolume();
    void SetMasterVolume(int level);
    CFadeHandleEditor* GetHandleEditTrack(int index);
    BOOL HasEditHandles(int index);
    void SetFadeMode(int direction, int curve);
    void GetFadeMode(int* direction, int* curve) const;
    void GetEmptyTrailingTracks(std::vector<IMtTrack*>& tracks);

    // Track state: mute, solo and arming keep each other consistent through ApplySolo.
    void SetTrackMute(int index, BOOL value);
    void SetTrackSolo(int index, BOOL value);
    void SetTrackRecord(int index, BOOL value);
    void SetLeadTrack(int index) override;
    void EnableGrouping(BOOL value);
    void AssignGroupToLeadTrack(int index, BOOL useLead);
    void BuildFadeHandles(int direction, int curve);
    HRESULT CheckRecordTracks();
    void RefreshController();

    // The handle editors of a handle edit mode, one per track (the mode takes them back).
    void SetHandleEditors(std::unique_ptr<std::vector<CFadeHandleEditor>> editors);
    std::unique_ptr<std::vector<CFadeHandleEditor>> TakeHandleEditors();

    // Fade In/Out (2012) and Envelope (2013): the handle edit modes (MultiTrackDoc_HandleEdit.cpp).
    // Each enters its mode on the selected tracks, or leaves a mode that is on without applying.
    void OnFadeInOut();
    void OnEnvelope();
    // Leaves the mode, applying the handles first when apply is set. A cancelled apply returns
    // 0x83E80005 and the mode stays on; another failure is shown and the mode is left.
    HRESULT EndHandleEditMode(BOOL apply);
    // Renders every track with handles through its curve and replaces its sound, one undo step.
    HRESULT ApplyHandleEdits();
    // Plays the tracks with handles through their curves; a failure is shown and undone.
    void StartFadePreview();
    // Stops the preview and gives the tracks their own envelopes back.
    void StopFadePreview();

    virtual void UpdateMixer();
    virtual BOOL IsEditable();
    virtual BOOL HasMultipleGroups();
    virtual BOOL CanMute();
    virtual void ApplySolo();

    // CommandDocument: the selection, the labels and the file state edit commands reach.
    bool GetOrderedSelection(int64_t* start, int64_t* end) override;
    bool GetSelectionRange(int64_t* start, int64_t* end) override;
    HRESULT SetSelectionRange(int64_t start, int64_t end, BOOL force) override;
    int IsTrackSelectedAt(int track) override;
    int IsAllTracksMode() override;
    int AddLabel(LabelRecord& record) override;
    int SetLabelAt(const LabelRecord& record) override;
    int RemoveLabel(const LabelRecord& record) override;
    bool FindLabelById(int id, LabelRecord* out) override;
    bool GetLabelAt(int index, LabelRecord* out) override { return m_labels.GetAt(index, out); }
    int FindLabelsInRange(int track, std::vector<LabelRecord>& out, int64_t from, int64_t to, int32_t kind) override;
    int GetLabelCount(int kind) override;
    bool GetTrackLabel(int track, LabelRecord* out) override;
    void SetTrackLabel(LabelRecord& record) override;
    int TrackIdToIndex(int id) override;
    int TrackIndexToId(int index) override;
    void SetActiveLabelId(int id) override;
    void UpdateLabelsAfterEdit(DWORD oldRate, DWORD newRate) override;
    int CountValidLabels(int flag) override;
    int GetFileType() override;
    WORD GetStoredBits() override;
    void SetFileFormatInfo(WORD bits, DWORD rate) override;
    int IsMultichannel() override;
    DWORD GetFormatChangeFlags() override;
    void SetFormatChangeFlags(DWORD flags) override;
    int IsFrontRearPlacement() override;
    std::string GetVideoFile() override;
    HRESULT SetVideoFile(const char* path, int flag) override;
    int IsPreviewPlaying() override;
    void SetPreviewPlaying(int on) { m_previewPlaying = on; }
    std::string GetPathText() override;
    BOOL IsViewIdle() override;
    int64_t GetPlayPositionNow() override;
    void RepaintAllViews() override;
    void SetDocumentFormat(DWORD samplesPerSec, WORD bitsPerSample) override;

    CSelectionModel* GetSelection() const { return m_selection.get(); }
    CLabelTable& GetLabels() { return m_labels; }
    ICommandHistory* GetHistory() const { return m_history.Get(); }
    DocumentSettings& GetSettings() { return m_settings; }
    FileInfoRecord& GetFileInfo() { return m_fileInfo; }
    const char* GetCreatorText() const { return m_creatorText; }
    // The project file's 16-character signature (cut to 16).
    void SetCreatorText(const char* signature);

    // Project files (MultiTrackDoc_Load.cpp, MultiTrackDoc_Save.cpp). LoadProjectFile: 1 with
    // the file's tracks, labels and workspace taken in (command: their "Import" transaction,
    // may be null), 0 after the refusal was shown with the document as before.
    // SaveProjectFile: fileType 0 flat, 1 chunked, 20 multichannel; 1 when written, and only
    // then the document takes the type; 0 after the failure was shown, the old file intact.
    int LoadProjectFile(const char* path, IUnknown** command);
    int SaveProjectFile(const char* path, int fileType);

    // Loading (MultiTrackDoc_Load.cpp): a file opened as the document (importFlag 0) or
    // imported into it (1). status: 0 same format, 1 the empty document took the file's,
    // 2 the document was converted to it. command: the load's transaction. 0 after the
    // failure was shown, with every change undone.
    BOOL OnOpenDocument(const char* path) override;
    int LoadFile(const char* path, int importFlag, int* status, IUnknown** command);
    // Saving (MultiTrackDoc_Save.cpp).
    BOOL OnSaveDocument(const char* path) override;
    BOOL DoFileSave() override;
    HRESULT WriteSoundFile(const char* path, FileInfoRecord* record, IUnknown* attributes, BOOL mixdown);
    static BOOL IsFolderWritable(const char* folder);
    // mode 0 export, 1 save as, 2 save of a sound-file document: the save dialog (through
    // DocumentHost::RunSaveDialog), then SaveAsChosen.
    BOOL SaveAsWithDialog(int mode);
    BOOL SaveAsChosen(int mode, const SaveAsChoice& choice);
    // A sound-file format chosen in the save dialog: the file written as the format's settings
    // chose; a file that differs from the document is offered in a window of its own.
    BOOL ExportWithFormat(const SaveAsChoice& choice);
    // The channels a mix of the document for that file type holds: 1 or 2.
    int GetMixdownChannels(int type);
    // The Import command: the files the open dialog gives (through
    // DocumentHost::RunImportDialog), then ImportFiles.
    void OnFileImport();
    // Save, Save As and Export from the menu; each save that leaves the document in its file
    // starts a fresh edit journal while command logging is on.
    void OnFileSaveCommand();
    void OnFileSaveAsCommand();
    void OnFileExport();
    void RestartJournalAfterSave();
    // Whether the last sound file opened as this document was split into mono tracks.
    BOOL WasOpenedSplit() const { return m_splitChannels != 0; }
    // Loads the files as new tracks, one undoable step in the history; a file that fails
    // undoes the files before it. FALSE then (the failure was shown).
    BOOL ImportFiles(const std::vector<std::string>& paths);
    // Some track has points in its envelope of this kind.
    BOOL HasEnvelopeData(LONG kind);
    const AudioFormat& GetAudioFormat() const { return *m_audioFormat; }
    // The attribute object the next save writes (null when the document has none).
    IUnknown* GetDocumentAttributes() const { return m_documentAttributes.Get(); }
    void SetVideoOpen(BOOL open) { m_videoOpen = open ? 1 : 0; }
    BOOL IsVideoOpen() const { return m_videoOpen; }
    // The load's video: the attached file found again (or dropped), or the file's own video.
    void OpenVideoOnLoad(const char* documentPath);
    int GetEditMode() const { return m_editMode; }
    int GetLeadTrack() const { return m_leadTrack; }
    // Overwrite protection (the file was read-only): a change retitles the view's frame.
    BOOL IsReadOnly() const { return m_readOnly != 0; }
    void SetReadOnly(BOOL readOnly);
    BOOL IsGroupingOn() const { return m_grouping; }

    // Command handlers (MultiTrackDoc_Edit, _Mail, _Mixdown, _Effects, _Loops, _Channels).
    // Availability is decided on a snapshot of the state (DocCommandRules.h).
    DocCommandState CaptureCommandState();
    BOOL IsTransportBusy();
    BOOL IsEmpty();
    BOOL AreAllChannelsSelected(int track);
    BOOL IsWholeTrackSelection();
    BOOL CheckWholeTracks(UINT nameId);     // 61288, stop icon
    BOOL CheckWholeTracksWarn(UINT nameId); // 61282, exclamation icon
    BOOL CanSelectionEdit(CCmdUI* ui);
    // The modified state the history reports (the framework flag follows it).
    void SyncModifiedWithHistory();
    void AddTracks(int channels);
    void OnAddTrack();
    void OnAddMonoTrack();
    void OnAddStereoTrack();
    void OnAddSurroundTrack();
    void OnDeleteTrack();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditDelete();
    void OnEditTrim();
    void OnEditUndo();
    void OnEditRedo();
    void OnEditSelectAll();
    void OnGoToStart();
    void OnGoToEnd();
    void OnUpdateAddTrack(CCmdUI* ui);
    void OnUpdateDeleteTrack(CCmdUI* ui);
    void OnUpdateEditSelection(CCmdUI* ui);
    void OnUpdateEditPaste(CCmdUI* ui);
    void OnUpdateEditUndo(CCmdUI* ui);
    void OnUpdateEditRedo(CCmdUI* ui);
    void OnUpdateEditSelectAll(CCmdUI* ui);
    void OnUpdateGoTo(CCmdUI* ui);

    void OnFileSend();
    void OnUpdateFileSend(CCmdUI* ui);
    void OnNewCuePoint();
    void OnUpdateNewCuePoint(CCmdUI* ui);
    void OnNewSection();
    void OnUpdateNewSection(CCmdUI* ui);

    void OnSampleType();
    // The conversion behind Sample Type: every track to rate and bits as one "Resampling" entry.
    HRESULT ConvertSampleType(DWORD rate, WORD bits, DWORD precision);
    // Its second half: the converted files (each under its track's id) replace the tracks'
    // sound after the whole document is resampled; a failure undoes what ran.
    HRESULT ApplyConvertedFiles(IMtItemList* items, DWORD rate, WORD bits);
    void OnMixTracksToNew();
    // Renders the marked tracks (flag: the reader's switches 7 to 9) into one file item.
    HRESULT RenderMixdown(IMtItemList** list, WAVEFORMATEX* format, int flag);
    void MixDownTrack(int track);
    BOOL FreezeAllViews(BOOL freeze);

    BOOL CanRunEffect(int id);
    BOOL CanRunEffectUI(CCmdUI* ui);
    void LaunchEffect(unsigned index);
    void LaunchGenerator(unsigned index);
    void LaunchEqualizer(unsigned index);
    BOOL CheckNoiseReductionCommand(int id);
    // The material an effect works on: tracks (each with a reference) in a locked block the
    // caller frees with GlobalUnlockFree; 0x83E80064 when it cannot be had.
    HRESULT GetProcessTarget(UINT* count, IMtTrack*** tracks, int64_t* start, int64_t* length, int* centred);
    HRESULT GetWholeDocumentTarget(UINT* count, IMtTrack*** tracks, int64_t* start, int64_t* length, int* centred);
    UINT GetTotalChannels();
    void SetActiveCommand(int id) { m_editMode = id; }
    void OnEffectCommand(UINT id);
    void OnEffectReverse();
    void OnEffectMute();
    void OnEffectNothing();
    void OnUpdateGenerators(CCmdUI* ui);
    void OnUpdateEqualizersAndNoise(CCmdUI* ui);
    void OnUpdateEffectCommands(CCmdUI* ui);

    void OnNewLoop();
    void OnUpdateNewLoop(CCmdUI* ui);
    void OnSplitWaveform();
    void OnFadeInOutDialog();
    void OnCrossfade();
    void OnRefreshWaveforms();
    // Rebuilds every track's sound and peaks; the newest entry of the history takes the
    // refresh, so that undoing it undoes both. The failure is returned, not shown.
    HRESULT RefreshPeaks();
    void OnUpdateRefreshWaveforms(CCmdUI* ui);
    void OnUpdateFileSaveAs(CCmdUI* ui);
    void OnUpdateFileSave(CCmdUI* ui);
    void OnUpdateFileImport(CCmdUI* ui);
    BOOL SaveModified() override;
    BOOL CanCloseFrame(CFrameWnd* frame) override;
    // The edit journal: a fresh one for the document's file (path "" for a new document).
    void OpenWorkFiles(const char* path);
    // The same into a journal file of the given name (a failed open deletes the file).
    void OpenWorkFilesAt(const char* journalPath, const char* path);
    void CloseWorkFiles();
    void ResumeWorkFiles(const char* path);
    // Takes a journal left by a killed session as this document's: closes the current work
    // files, replays the journal's edits and marks the document modified. The failure is
    // returned, not shown; kJournalReplayedInPart when the edits before a record that could
    // not be replayed came back (the journal then goes on in a copy, the file stays).
    HRESULT CloseWorkFilesReporting(const char* path);
    // The document's name, path and file information follow it into its journal's header, so
    // that a recovery names it as it was named at the crash.
    void KeepJournalIdentity();
    void SetPathName(const char* path, BOOL addToRecent = TRUE) override;
    BOOL AreLabelsInsideDocument(int trackId);
    HRESULT SplitTrack(int index);
    BOOL IsTrackStereo(int index);
    void SetTrackStereo(int index, BOOL stereo);
    BOOL EnsureEngine(WORD bits, DWORD rate);

    BOOL CheckChannelCommand(int id);
    BOOL MoveTrack(int from, int to);
    BOOL CopyTrack(int from, int to);
    BOOL DeleteTrack(int index);
    // TRUE when the document cannot go into a sound file of that type unchanged.
    BOOL NeedsNewerFormat(int fileType);
    DECLARE_MESSAGE_MAP()

private:
    void EnterHandleEditMode(int command);
    MtGroupRecord ReadGroupRecord(IMtTrack* track);
    // Load steps (MultiTrackDoc_Load.cpp).
    BOOL IsEmptyDocument();
    void LoadSoundFile(const char* path, const FileInfoRecord& record, int importFlag, ICommandList* list);
    MtFileItemRecord StoredItemRequest(const char* path, const FileInfoRecord& record, int firstChannel,
                                       WORD channels);
    void BuildTrackFromItems(IMtItemList* items, ICommandList* list, const char* path, int64_t position,
                             WORD fileChannels, int index, int fileType);
    void SetSplitChannelPan(IMtTrack* track, WORD channels, int index, int fileType);
    void FreeFileMarkerBlocks();
    void AddFileMarkers(const FileInfoRecord& record, LONG count, const LabelRecord* markers,
                        const FioLoopBlock* loop, ICommandList* list);
    HRESULT LoadFileMarkers(const char* path, const FileInfoRecord& record, ICommandList* list);
    void ReplaceSourceAttributes(IUnknown* attributes);
    void ReplaceUntouchedFirstDocument();
    // A peak refresh before a save; a failure is shown and gives FALSE.
    BOOL RefreshPeaksForSave();
    bool IsWrittenFileDifferent(const SaveAsChoice& choice, BOOL mixdown, const FileInfoRecord& written);
    void CopySourceAttributes();
    void RepaintTrackState();

    ComRef<ICommandHistory> m_history;
    ComRef<IMtTrackSet> m_engine;
    ComRef<IUnknown> m_sourceAttributes;
    uint8_t m_fileInfoTaken = 0;
    int m_editMode = 0;
    DocumentSettings m_settings;
    char m_creatorText[17];
    FileInfoRecord m_fileInfo;
    CString m_videoPath;
    ComRef<IUnknown> m_documentAttributes;
    std::unique_ptr<CSelectionModel> m_selection;
    CLabelTable m_labels;
    std::unique_ptr<AudioFormat> m_audioFormat;
    int m_videoOpen = 0;
    std::unique_ptr<std::vector<CFadeHandleEditor>> m_handleEditors;
    int m_readOnly = 0;
    uint16_t m_fileMarkerCount = 0;
    HGLOBAL m_fileMarkerBlock = nullptr;
    HGLOBAL m_fileLoopBlock = nullptr;
    int m_leadTrack = 0;
    int m_grouping = 1;
    int m_splitChannelsThisLoad = 0;
    int m_splitChannels = 0;
    CString m_workFilePath;
    uint64_t m_identityAt = 0;             // where the journal holds the name; 0: it holds none
    std::vector<uint8_t> m_journalIdentity; // as last written there
    int m_fadeDirection = kCmdFadeIn;
    int m_fadeCurve = kCmdFadeLinear;
    // The fade preview's reader and whether the document owns it (the preview makes it).
    TrackPreviewPlayer* m_fadePreviewReader = nullptr;
    bool m_ownsFadePreviewReader = false;
    DWORD m_formatChanges = 0;
    int m_frontRear = 0;
    int m_previewPlaying = 0;
    // Per track, the five envelopes (kinds 0 to 4) the fade preview took away from it.
    std::map<int, std::array<ComRef<IMtEnvelope>, kMtEnvelopeKinds>> m_previewMap;
};
