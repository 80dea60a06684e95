// CEffectDialog: the common dialog of the effects of the module table (but the FFT equaliser
// and the generators). Execute creates the effect's filter from its module, binds it to a
// render worker and runs the dialog, which hosts the effect's property pages in tabs (it is
// their page site), keeps named presets, and drives the worker: Preview plays the processed
// selection, OK applies the effect in place as one "Effect" step, New Window renders into a
// new document, Cancel changes nothing. The dialog draws itself with the skin.
//
//   CEffectDialog dialog;                       // no parent
//   dialog.m_recordAsEffect = dialog.m_showPresets = TRUE;
//   HRESULT hr = dialog.Execute(descriptor, document, mainWindow);
//
// Split by topic: EffectDialog.cpp (Execute, the buttons, the worker), EffectDialog_Pages.cpp
// (the layout around the page), EffectDialog_Presets.cpp; the page site, the tabs and the
// skinned look are CSkinnedPageDialog's.
#pragma once
#include "ComRef.h"
#include "SkinnedPageDialog.h"

#include <memory>
#include <string>
#include <vector>

#include <ocidl.h>
#include <strmif.h>

class CEffectDescriptor;
class CNyMultiTrackDoc;
class CRenderWorker;
struct IEffectPresets;
struct IMtTrack;
struct IMtTrackSet;

class CEffectDialog : public CSkinnedPageDialog {
public:
    explicit CEffectDialog(CWnd* parent = nullptr);
    ~CEffectDialog() override;

    // Runs the whole dialog; S_OK when it ran (whatever the user chose), else the failing
    // code (a filter that cannot be loaded has shown "Failed to load the plugin(s)." already).
    HRESULT Execute(const CEffectDescriptor& descriptor, CNyMultiTrackDoc* document, HWND reportWindow);

    // The launcher's switches: the step is named "Effect" rather than "Plug-in"; the preset
    // buttons are shown.
    BOOL m_recordAsEffect = FALSE;
    BOOL m_showPresets = FALSE;

    // Presets (EffectDialog_Presets.cpp).
    HRESULT SaveEffectState(const char* name);
    HRESULT LoadEffectState(const char* name);
    HRESULT SaveLastSettings();
    HRESULT LoadLastSettings();
    void FillPresetList();

    // What a test looks at.
    IBaseFilter* Filter() const { return m_filter.Get(); }
    int BuiltInPresetCount() const { return m_builtInCount; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* dx) override;

    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnClose();
    void OnPreview();
    void OnNewWindow();
    void OnHelp();
    void OnBypassToggle();
    void OnPresetSelChange();
    void OnRegisterPreset();
    void OnDeletePreset();
    void OnTabSelChange(NMHDR* header, LRESULT* result);
    LRESULT OnWorkerError(WPARAM, LPARAM code);

    DECLARE_MESSAGE_MAP()

private:
    // Execute's parts.
    HRESULT CreateFilter(const CEffectDescriptor& descriptor);
    void TellEnvironment();
    int FirstSelectedTrackChannels();
    // The buttons' work.
    HRESULT RebuildChain(BOOL preview);
    // The worker command of a button (Preview 0, OK 1, New Window 2) for this effect, with
    // the effect told of a preview or a processing run first; 0 when that told-of fails.
    LONG ChooseCommand(int button);
    void PostCommand(LONG code, HWND progress);
    void EnableButtons(BOOL enable);
    void RunPreviewStart();
    void StopPreview();
    HWND OpenProgress();
    void CloseProgress();
    void WaitForWorker();
    void SendProgress(WPARAM code, LONG value);
    bool IsRow(unsigned row) const;
    void ReconcileDcOffsetDepth();
    void PlaceOnScreen();
    bool RunWorkerJob(int mode, HRESULT* hr);
    void DeleteWrittenFiles();
    // The layout around the page (EffectDialog_Pages.cpp).
    HRESULT ShowFirstPage();
    void LayOutAround(const RECT& pageArea);
    int TabStripWidth();

    std::string m_caption;
    ComRef<IEffectPresets> m_presets;
    CNyMultiTrackDoc* m_document = nullptr;
    HWND m_reportWindow = nullptr;
    CRenderWorker* m_worker = nullptr;
    ComRef<IBaseFilter> m_filter; // the dialog's one reference, released once
    ComRef<IMtTrackSet> m_engine;
    IMtTrack** m_targetTracks = nullptr;
    UINT m_targetCount = 0;
    int64_t m_targetStart = 0;
    int64_t m_targetLength = 0;
    BOOL m_running = FALSE;
    int m_targetFlag = 0;
    HMODULE m_module = nullptr;
    CLSID m_classId{};
    int m_builtInCount = 0;
    CComboBox m_presetList;
    HWND m_progressWindow = nullptr;
};
