// CGeneratorDialog: generates sound into the selected tracks with one of the four generator
// modules (FM tone, simple tone, silence, noise). LoadPlugin creates the generator and its
// render worker and runs the dialog: the generator's pages on tabs (their site and the skinned
// look are CSkinnedPageDialog's), a sound length in seconds, milliseconds or samples, Preview
// at the sound output, and OK, which renders one file per selected track and inserts them as
// one "Effect" step. The last state, length and unit are kept per generator class.
//
//   CGeneratorDialog dialog;
//   HRESULT hr = dialog.LoadPlugin(*GetEffectModuleEntry(25), document, mainWindow);
#pragma once
#include "AudioFormat.h"
#include "ComRef.h"
#include "SkinnedPageDialog.h"

#include <cstdint>
#include <string>

#include <strmif.h>

class CNyMultiTrackDoc;
class CGeneratorRenderWorker;
struct EffectModuleEntry;
struct IMtTrackSet;

enum GeneratorLengthUnit { kUnitSeconds = 0, kUnitMilliseconds = 1, kUnitSamples = 2 };

// The length conversions of the dialog, at a document's rate.
// Frames of a value in the unit (time truncated to 100-ns units first); at least 1.
int64_t GeneratorTextToSamples(const AudioFormat& format, int unit, double value);
// The value of a frame count in the unit.
double GeneratorSamplesToValue(const AudioFormat& format, int unit, int64_t samples);
// The text of a value in the unit: "%2.3f" seconds, "%2.1f" milliseconds, whole samples.
std::string GeneratorLengthText(int unit, double value);

class CGeneratorDialog : public CSkinnedPageDialog {
public:
    explicit CGeneratorDialog(CWnd* parent = nullptr);
    ~CGeneratorDialog() override;

    // The whole life of the dialog; the module creation's result (a module that cannot be
    // loaded has shown "Failed to load the plugin(s)." already).
    HRESULT LoadPlugin(const EffectModuleEntry& row, CNyMultiTrackDoc* document, HWND mainWindow);

    // What a test looks at.
    int Unit() const { return m_unit; }
    IBaseFilter* Generator() const { return m_generator.Get(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* dx) override;

    void OnSelChangeTab(NMHDR* header, LRESULT* result);
    void OnPreview();
    void OnHelp();
    void OnUnitChange();
    void OnLengthKillFocus();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    bool IsSilence() const;
    std::string SettingsSection() const;
    int64_t GetLengthSamples(int unit);
    void SetLengthText(int unit, double value);
    void LoadLastState();
    void SaveLastState();
    void LoadLength();
    void LayOut();
    void MoveControls(const int* ids, size_t count, int dx, int dy);
    void EnableCommandButtons(BOOL enable);
    AudioFormat Format() const;

    CComboBox m_unitList;
    std::string m_caption;
    ComRef<IBaseFilter> m_generator;
    UINT m_command = 0;
    std::string m_moduleFile;
    CLSID m_classId{};
    HMODULE m_module = nullptr;
    int64_t m_selStart = 0;
    int64_t m_selEnd = 0;
    int64_t m_selLength = 0;
    int64_t m_length = 0;
    DWORD m_rate = 44100;
    WORD m_bits = 16;
    int m_unit = kUnitSeconds;
    CNyMultiTrackDoc* m_document = nullptr;
    HWND m_mainWindow = nullptr;
    ComRef<IMtTrackSet> m_engine;
    CGeneratorRenderWorker* m_worker = nullptr;
};
