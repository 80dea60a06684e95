// CSplitToFilesDialog ("Split Waveform"): the last step of splitting a document into files.
// The user picks the folder, the file-name prefix and the output format (with the divider's
// own settings page under "Advanced Settings..."); OK computes the cuts (every interval, at the
// silences the silence finder hears, or at the document's cue points), checks the folder and
// the names, and renders the whole document into the file divider, which writes one file per
// region: folder + prefix + 0001... + extension.
//
//   CSplitToFilesDialog dialog(mainWindow);
//   dialog.m_splitType = CSplitToFilesDialog::kAtCuePoints;
//   dialog.Execute(document, mainWindow->m_hWnd);
//
// Split by topic: SplitToFilesDialog.cpp (Execute and the controls), SplitToFilesDialog_Run.cpp
// (OK: the cuts, the checks and the run).
#pragma once
#include "ComRef.h"
#include "Framework.h"
#include "WaveFormat.h"

#include <ocidl.h>
#include <strmif.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CNyMultiTrackDoc;
class SplitRender;
struct IFileDividerSettings;
struct IMtTrack;

// Shows the divider's settings page in the program's Advanced Settings dialog (the program
// installs it; without one the button does nothing).
using SplitAdvancedSettingsRunner = void (*)(CWnd* parent, IPropertyPage* page);
void SetSplitAdvancedSettingsRunner(SplitAdvancedSettingsRunner runner);

class CSplitToFilesDialog : public CDialog {
public:
    enum SplitType { kAtInterval = 0, kAtSilence = 1, kAtCuePoints = 2 };

    explicit CSplitToFilesDialog(CWnd* parent = nullptr);
    ~CSplitToFilesDialog() override;

    // The whole life of the dialog; S_OK when it ran (whatever the user chose; a divider that
    // cannot be loaded has been reported), else the code of the document's target.
    HRESULT Execute(CNyMultiTrackDoc* document, HWND mainWindow);

    int m_splitType = kAtInterval;
    int64_t m_intervalMs = 0;
    int64_t m_silenceMs = 2000;
    int m_levelA = 600, m_levelB = 3000;
    DWORD m_formatWord = 0x80000000; // a multichannel document's channel word; else none
    std::string m_prefix;
    std::string m_folder;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnBrowse();
    void OnAdvanced();
    void OnHelp();
    void OnFormatChanged();
    DECLARE_MESSAGE_MAP()

private:
    void FillFormatList();
    int SelectedFormatId() const;
    void InitOutputFormat();
    // OnOK's steps (SplitToFilesDialog_Run.cpp); false stops with the dialog open.
    bool CheckFolder();
    bool ComputeSplitPoints(std::vector<int64_t>* cuts);
    bool ValidateNames(size_t cutCount);
    HRESULT RunDivider(const std::vector<int64_t>& cuts);

    CNyMultiTrackDoc* m_document = nullptr;
    HWND m_mainWindow = nullptr;
    std::unique_ptr<SplitRender> m_render;
    ComRef<IBaseFilter> m_divider;
    ComRef<IFileDividerSettings> m_settings;
    HMODULE m_module = nullptr;
    UINT m_targetCount = 0;
    IMtTrack** m_targetTracks = nullptr;
    int m_targetMono = 0;
    bool m_formatSet = false;
    WaveFormat m_outputFormat;
    bool m_silencesFound = false;
    std::vector<int64_t> m_silences; // the silence run's middles, kept for a second OK
    std::vector<int64_t> m_cuts;
};
