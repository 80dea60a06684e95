#include "SplitWizard.h"

#include "CuePointRun.h"
#include "DocWiring.h"
#include "EffectProgramHost.h"
#include "LabelRecord.h"
#include "LabelTable.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"
#include "SelectionModel.h"
#include "SilenceDetectionDialog.h"
#include "SplitIntervalDialog.h"
#include "SplitToFilesDialog.h"
#include "SplitTypeDialog.h"
#include "ViewGeometry.h"
#include "WaveFormat.h"

namespace {
constexpr UINT kIdsTooShort = 61291; // "Insufficient samples for split waveform."
constexpr UINT kIdsNoCues = 57667;   // "Place cue points at the locations to be split"
constexpr UINT kIdsCue = 21018;      // "Cue"
constexpr DWORD kNoFormatWord = 0x80000000;

bool HasLiveCuePoint(CNyMultiTrackDoc* document)
{
    LabelRecord label{};
    for (int index = 0; document->GetLabelAt(index, &label); ++index)
        if (label.id > 0 && (label.kind & 0xFF) == kLabelCue)
            return true;
    return false;
}
} // namespace

std::string SplitText(UINT id)
{
    char text[512] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}

DWORD SplitFormatWord(CNyMultiTrackDoc* document)
{
    if (!document->IsMultichannel())
        return kNoFormatWord;
    const DWORD word = document->GetFileInfo().channelMask;
    return word ? word : DefaultChannelMask(6);
}

HRESULT ApplySplitCuePoints(CNyMultiTrackDoc* document, const std::vector<int64_t>& positions, bool removeExisting)
{
    bool changed = false;
    const HRESULT hr = CuePointRun::SetCuePoints(document, positions, removeExisting, &changed);
    if (FAILED(hr)) {
        GetEffectProgramHost().ShowErrorBox(hr, SplitText(kIdsCue).c_str(), MB_ICONEXCLAMATION);
        return hr;
    }
    if (!changed)
        return hr;
    CSelectionModel* selection = document->GetSelection();
    int64_t start = 0, end = 0;
    if (selection && selection->GetOrderedSelection(&start, &end)) {
        selection->SetSelection(start, start, TRUE);
        selection->InvalidateSelection();
    }
    document->SyncModifiedWithHistory();
    document->UpdateAllViews(nullptr, 0, nullptr);
    DocWiring::RefreshMarkerList(-1);
    return hr;
}

void RunSplitWaveform(CNyMultiTrackDoc* document)
{
    CWnd* main = AfxGetMainWnd();
    for (;;) {
        CSplitTypeDialog type(main);
        if (type.DoModal() != IDOK)
            return;
        INT_PTR result = IDCANCEL;
        if (type.m_type == 0) {
            const DWORD rate = document->GetSamplesPerSec();
            const int64_t lengthMs = rate ? document->GetLength() * 1000 / rate : 0;
            if (lengthMs == 0) {
                AfxMessageBox(SplitText(kIdsTooShort).c_str(), MB_OK);
                return;
            }
            CSplitIntervalDialog interval(main);
            interval.m_maximumMs = lengthMs;
            interval.m_formatWord = SplitFormatWord(document);
            result = interval.Run(document);
        } else if (type.m_type == 1) {
            CSilenceDetectionDialog silence(main);
            silence.m_formatWord = SplitFormatWord(document);
            result = silence.Run(document);
        } else {
            if (!HasLiveCuePoint(document)) {
                AfxMessageBox(SplitText(kIdsNoCues).c_str(), MB_OK);
                continue;
            }
            CSplitToFilesDialog files(main);
            files.m_splitType = CSplitToFilesDialog::kAtCuePoints;
            files.m_formatWord = SplitFormatWord(document);
            files.Execute(document, main ? main->m_hWnd : nullptr);
        }
        if (result != CSplitTimePage::kBack)
            return;
    }
}
