// The dialogs behind the document's effect commands, and the program's services they use.
#include "EffectProgramHost.h"

#include "DocWiring.h"
#include "EffectDialog.h"
#include "EffectPaletteView.h"
#include "ErrorText.h"
#include "FadeDialogs.h"
#include "FftEqDialog.h"
#include "GeneratorDialog.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"
#include "SampleTypeDialog.h"
#include "SplitWizard.h"

namespace {

constexpr HRESULT kCancelled = static_cast<HRESULT>(0x83E80005);

// Without the program: no progress dialog, a wait that runs the messages itself, a plain box.
class StandAloneHost final : public IEffectProgramHost {
public:
    HWND OpenProgressDialog(CWnd*) override { return nullptr; }
    void CloseProgressDialog() override {}
    void WaitForHandle(HANDLE handle) override { WaitDispatching(handle); }
    void ShowErrorBox(HRESULT code, const char* caption, UINT icon) override
    {
        if (code == kCancelled)
            return;
        ErrorText text(GetResourceModule());
        AfxMessageBox(text.GetText(code), MB_OK | icon);
        (void)caption;
    }
    CEffectPaletteView* GetEffectLauncher() override { return nullptr; }
};

StandAloneHost g_standAlone;
IEffectProgramHost* g_host = &g_standAlone;

class Dialogs final : public DocWiring::EffectDialogs {
public:
    HRESULT RunEffectDialog(CEffectDescriptor& descriptor, CNyMultiTrackDoc* document) override
    {
        CEffectDialog dialog;
        dialog.m_recordAsEffect = TRUE;
        dialog.m_showPresets = TRUE;
        CWnd* main = AfxGetMainWnd();
        return dialog.Execute(descriptor, document, main ? main->m_hWnd : nullptr);
    }
    HRESULT RunGeneratorDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document) override
    {
        if (!row)
            return E_INVALIDARG;
        CGeneratorDialog dialog;
        CWnd* main = AfxGetMainWnd();
        return dialog.LoadPlugin(*row, document, main ? main->m_hWnd : nullptr);
    }
    HRESULT RunFftEqualizerDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document) override
    {
        if (!row)
            return E_INVALIDARG;
        CFftEqDialog dialog;
        CWnd* main = AfxGetMainWnd();
        return dialog.LoadPlugin(row, document, main ? main->m_hWnd : nullptr);
    }
    BOOL RunSampleTypeDialog(CNyMultiTrackDoc*, DWORD* rate, WORD* bits, DWORD* precision) override
    {
        CSampleTypeDialog dialog(AfxGetMainWnd(), *rate, *bits);
        const HRESULT hr = dialog.LoadAttributePage();
        if (FAILED(hr)) {
            g_host->ShowErrorBox(hr, nullptr, MB_ICONEXCLAMATION);
            return FALSE;
        }
        if (dialog.DoModal() != IDOK)
            return FALSE;
        *rate = dialog.SamplesPerSec();
        *bits = dialog.BitsPerSample();
        *precision = dialog.CalcPrecision();
        return TRUE;
    }
    void RunFadeDialog(CNyMultiTrackDoc* document, bool crossfade) override
    {
        if (crossfade) {
            CrossfadeDialog dialog(document, AfxGetMainWnd());
            dialog.DoModal();
        } else {
            FadeInOutDialog dialog(document, AfxGetMainWnd());
            dialog.DoModal();
        }
    }
    void UpdateEffectPalette() override
    {
        if (CEffectPaletteView* launcher = g_host->GetEffectLauncher())
            launcher->UpdateRows();
    }
};

Dialogs g_dialogs;

} // namespace

void WaitDispatching(HANDLE handle)
{
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The quit stays queued for the loop that ends the program. The worker may be
                // sending to this thread (progress, an error): those are still answered.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                while (::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
                    MSG sent;
                    ::PeekMessageA(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                }
                return;
            }
            if (CWinApp* app = AfxGetApp(); !app || !app->PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }
}

IEffectProgramHost& GetEffectProgramHost()
{
    return *g_host;
}

void InstallEffectDialogs(IEffectProgramHost* host)
{
    g_host = host ? host : &g_standAlone;
    DocWiring::SetEffectDialogs(&g_dialogs);
    FftEqButtonDownMessage(); // registered before any dialog exists
    DocWiring::SetSplitWizard(&RunSplitWaveform);
}

void RemoveEffectDialogs()
{
    g_host = &g_standAlone;
    DocWiring::SetEffectDialogs(nullptr);
    DocWiring::SetSplitWizard(nullptr);
}
