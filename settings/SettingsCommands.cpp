#include "SettingsCommands.h"

#include "AudioDeviceDialog.h"
#include "KsMultiTrackLoader.h"
#include "NyEnvSheet.h"
#include "Settings.h"
#include "SettingsIds.h"

namespace {

void SuspendEngineAudio(LONG suspend)
{
    if (auto fn = MtEngine::ExportAs<PFN_MtSuspendAudio>(kMtOrdSuspendAudio))
        fn(suspend);
}

void RepaintAllViews()
{
    CWinApp* app = AfxGetApp();
    POSITION templates = app ? app->GetFirstDocTemplatePosition() : nullptr;
    CDocTemplate* docTemplate = templates ? app->GetNextDocTemplate(templates) : nullptr;
    if (!docTemplate)
        return;
    for (POSITION docs = docTemplate->GetFirstDocPosition(); docs;) {
        CDocument* document = docTemplate->GetNextDoc(docs);
        for (POSITION views = document->GetFirstViewPosition(); views;)
            if (CView* view = document->GetNextView(views))
                ::InvalidateRect(view->m_hWnd, nullptr, TRUE);
    }
}

} // namespace

SettingsSheetRun RunSettingsSheet(CWnd* mainWindow, int startPage)
{
    CString caption;
    caption.LoadString(IDS_SETTINGS_CAPTION);
    CNyEnvSheet sheet(caption, mainWindow, startPage);
    SettingsSheetRun run;
    if (sheet.DoModal() == IDOK) {
        CWaitCursor wait;
        if (sheet.SaveValues())
            RepaintAllViews();
        run.accepted = TRUE;
    }
    run.lastPage = sheet.PageIndex();
    return run;
}

AudioDeviceRun RunAudioDeviceSettings(const AudioSuspender& suspend)
{
    const AudioSuspender& engine = suspend ? suspend : AudioSuspender(SuspendEngineAudio);
    AudioDeviceDialog dialog;
    AudioDeviceRun run;
    engine(1);
    run.result = dialog.DoModal();
    engine(0);
    if (run.result == IDOK)
        run.asioUse = GetSettingInt(kSettingsSection, "AsioUse", 0);
    return run;
}
