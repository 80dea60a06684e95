// What the document's command handlers ask of panes, the application and the effect dialogs
// that live above the document. Each is one small function; the program answers most of them
// through the Host it installs; those marked "waits" do the least that keeps the document
// right until the piece that answers it is in the program.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class CNyMultiTrackDoc;
class CEffectDescriptor;
struct EffectModuleEntry;

namespace DocWiring {

// The marker list pane refills itself (select: label to select, -1 none).
void RefreshMarkerList(int select);
// The marker list selects, focuses and shows its last entry.
void SelectLastMarker();
// The shown frequency-analysis pane analyses the selection again after an edit (resetKey:
// even when track, channel and range are unchanged).
void UpdateAnalysisPane(int64_t resetKey);
// The effect launcher's rows follow the active command and the history.
void UpdateEffectPalette();
// The in-place label edit box: open, and closed before Undo and Redo.
BOOL IsInPlaceEditActive();
void EndInPlaceEdit();
// A new empty document through the first document template, or the factory a test installed.
CNyMultiTrackDoc* CreateNewDocument();
void SetNewDocumentFactory(CNyMultiTrackDoc* (*factory)());
// The window that receives the render's progress records (the main window; null: none).
HWND ProgressWindow();
// The views after an edit: relayout, scroll bars, status text, mixer and controller.
void RefreshAfterEdit(CNyMultiTrackDoc* document, UINT refreshId);
// The effect dialog (through the installed EffectDialogs); the Reverse (2003) and Mute (2005)
// jobs, which show their own failures but a cancel; the generator, FFT-equaliser and Sample
// Type dialogs.
HRESULT RunEffectDialog(CEffectDescriptor& descriptor, CNyMultiTrackDoc* document);
HRESULT RunGeneratorDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document);
HRESULT RunFftEqualizerDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document);
HRESULT RunEffectJob(int commandId, CNyMultiTrackDoc* document);
// OK with the chosen rate, bits and precision, or FALSE.
BOOL RunSampleTypeDialog(CNyMultiTrackDoc* document, DWORD* rate, WORD* bits, DWORD* precision);
void RunSplitWizard(CNyMultiTrackDoc* document);
// The split wizard the program installs with its effect dialogs (null: none).
void SetSplitWizard(void (*wizard)(CNyMultiTrackDoc* document));
// The fade in/out or crossfade dialog (they record their own commands), through the
// installed EffectDialogs.
void RunFadeDialog(CNyMultiTrackDoc* document, bool crossfade);
// The document's multitrack view draws from a frozen back buffer (and its video pane holds
// its picture) while long operations change the tracks.
void FreezeView(CNyMultiTrackDoc* document, BOOL freeze);

// The video of a document: its multitrack view's video track pane, which the view installs
// (VideoOf answers null without a view or before a view was made).
class DocumentVideo {
public:
    // Closes any open video and opens the file; false when no video source reads it.
    virtual bool OpenVideo(const char* path) = 0;
    virtual bool CloseVideo() = 0;
    // Whether a video source reads the file (nothing is kept open).
    virtual bool CanOpenVideo(const char* path) = 0;
    virtual bool HasVideo() const = 0;
    virtual bool LacksFrameDecoder() = 0;
    // The codec's four characters.
    virtual std::string GetCodecText() = 0;
    // The pane keeps its picture while frozen.
    virtual void FreezeImage(BOOL freeze) = 0;
    // The view lays its panes out again (the video track shows or hides with the video).
    virtual void Relayout() = 0;

protected:
    ~DocumentVideo() = default;
};
DocumentVideo* VideoOf(CNyMultiTrackDoc* document);
// Closes a document's video for the life of the object (a write), then opens it again.
class DocumentVideoClosed {
public:
    DocumentVideoClosed(DocumentVideo* video, const char* path) : m_video(video), m_path(path ? path : "")
    {
        if (m_video)
            m_video->CloseVideo();
    }
    ~DocumentVideoClosed()
    {
        if (m_video)
            m_video->OpenVideo(m_path.c_str());
    }
    DocumentVideoClosed(const DocumentVideoClosed&) = delete;
    DocumentVideoClosed& operator=(const DocumentVideoClosed&) = delete;

private:
    DocumentVideo* m_video;
    std::string m_path;
};
void SetVideoLookup(DocumentVideo* (*lookup)(CNyMultiTrackDoc* document));

// What the program above the document answers the calls above with (panes, views, the
// application). Without one installed they do what a program without those pieces would.
class Host {
public:
    virtual void RefreshMarkerList(int select) = 0;
    virtual void SelectLastMarker() = 0;
    virtual BOOL IsInPlaceEditActive() = 0;
    virtual void EndInPlaceEdit() = 0;
    virtual CNyMultiTrackDoc* CreateNewDocument() = 0;
    // The document's multitrack views after the command (their zoom, layout and status text).
    virtual void RefreshViews(CNyMultiTrackDoc* document, UINT refreshId) = 0;
    virtual void FreezeViews(CNyMultiTrackDoc* document, BOOL freeze) = 0;
    virtual void UpdateAnalysisPane(int64_t resetKey) { (void)resetKey; }

protected:
    ~Host() = default;
};
// Null puts the program-less answers back.
void SetHost(Host* host);

// The dialogs above the document that its effect commands open, and the effect launcher
// they keep up to date. Installing them enables their menu items (SetEffectDialogsAvailable);
// null takes them away again.
class EffectDialogs {
public:
    virtual HRESULT RunEffectDialog(CEffectDescriptor& descriptor, CNyMultiTrackDoc* document) = 0;
    virtual void RunFadeDialog(CNyMultiTrackDoc* document, bool crossfade) = 0;
    virtual HRESULT RunGeneratorDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document) = 0;
    virtual HRESULT RunFftEqualizerDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document) = 0;
    virtual BOOL RunSampleTypeDialog(CNyMultiTrackDoc* document, DWORD* rate, WORD* bits, DWORD* precision) = 0;
    // The launcher's rows follow the documents (nothing without a launcher).
    virtual void UpdateEffectPalette() = 0;

protected:
    ~EffectDialogs() = default;
};
void SetEffectDialogs(EffectDialogs* dialogs);

} // namespace DocWiring
