// OK of the split-to-files dialog: the folder, the cuts, the names, then the divider's run.
// Nothing reaches the divider before every check has passed, and each run gives it its cuts
// once: a refused OK leaves it as it was.
#include "SplitToFilesDialog.h"

#include "CoreMessageBox.h"
#include "EffectProgramHost.h"
#include "FileNames.h"
#include <mmreg.h>

#include "KvSDivFl.h"
#include "LabelRecord.h"
#include "MultiTrackDoc.h"
#include "RenderWorker.h"
#include "Settings.h"
#include "SilenceDetectionDialog.h"
#include "SplitIds.h"
#include "SplitRender.h"
#include "SplitValues.h"
#include "SplitWizard.h"

#include <algorithm>

namespace {
constexpr UINT kIdsPlugin = 21021;          // "Plug-in"
constexpr UINT kIdsNotWritable = 20455;     // "You do not have permission to save in this folder. ..."
constexpr UINT kIdsInvalidFileName = 20251; // "An invalid file name was specified."

std::string ItemText(HWND dialog, int id)
{
    char text[MAX_PATH] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Warn(UINT id)
{
    AfxMessageBox(SplitText(id).c_str(), MB_OK | MB_ICONEXCLAMATION);
}
} // namespace

bool CSplitToFilesDialog::CheckFolder()
{
    m_folder = ItemText(m_hWnd, IDC_SPLIT_FOLDER);
    m_prefix = ItemText(m_hWnd, IDC_SPLIT_PREFIX);
    if (m_folder.empty() || m_folder.back() != '\\')
        m_folder += '\\';
    // A missing folder is offered for creation first: it could never pass the write test.
    const std::string bare = m_folder.substr(0, m_folder.size() - 1);
    if (!bare.empty() && !IsExistingFolder(bare) && !CreateDirectoryPath(bare))
        return false;
    if (!CNyMultiTrackDoc::IsFolderWritable(m_folder.c_str())) {
        Warn(kIdsNotWritable);
        return false;
    }
    return true;
}

bool CSplitToFilesDialog::ComputeSplitPoints(std::vector<int64_t>* cuts)
{
    const int64_t length = m_document->GetLength();
    cuts->clear();
    if (m_splitType == kAtInterval) {
        *cuts = split::IntervalPositions(m_document->GetSamplesPerSec(), m_intervalMs, length);
    } else if (m_splitType == kAtSilence) {
        // The document cannot change while the dialog is open: one detection serves every OK.
        if (!m_silencesFound) {
            CSilenceDetectionDialog detection;
            detection.m_valueMs = m_silenceMs;
            detection.m_levelA = m_levelA;
            detection.m_levelB = m_levelB;
            detection.m_cutPositions = &m_silences;
            if (FAILED(detection.DetectSilence(m_document, this)))
                return false;
            m_silencesFound = true;
        }
        *cuts = m_silences;
    } else {
        // Every live cue point inside the document: the table keeps removed records in place.
        LabelRecord label{};
        for (int index = 0; m_document->GetLabelAt(index, &label); ++index)
            if (label.id > 0 && (label.kind & 0xFF) == kLabelCue && label.start > 0 && label.start <= length)
                cuts->push_back(label.start);
    }
    std::sort(cuts->begin(), cuts->end());
    cuts->erase(std::unique(cuts->begin(), cuts->end()), cuts->end());
    cuts->erase(std::remove_if(cuts->begin(), cuts->end(), [](int64_t p) { return p <= 0; }), cuts->end());
    return true;
}

bool CSplitToFilesDialog::ValidateNames(size_t cutCount)
{
    const std::string bare = m_folder.substr(0, m_folder.size() - 1);
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA(bare.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        Warn(IDS_SPLIT_NO_FOLDER);
        return false;
    }
    ::FindClose(search);
    if (!split::IsValidSplitPrefix(m_prefix)) {
        Warn(kIdsInvalidFileName);
        return false;
    }
    const int formatId = SelectedFormatId();
    for (size_t region = 1; region <= cutCount + 1; ++region) {
        const std::string name = split::RegionFileName(m_folder, m_prefix, static_cast<int>(region), formatId);
        if (::GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        return AfxMessageBox(SplitText(IDS_SPLIT_OVERWRITE).c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    }
    return true;
}

HRESULT CSplitToFilesDialog::RunDivider(const std::vector<int64_t>& cuts)
{
    m_settings->SetFormatWord(m_document->GetStoredBits());
    m_settings->SetChannelWord(m_formatWord);
    SetSettingString(kSettingsSection, "LastSaveDir", m_folder.c_str());
    m_settings->SetOutputBase((m_folder + m_prefix).c_str());
    m_settings->SetFormatId(SelectedFormatId());
    for (int64_t cut : cuts)
        m_settings->AddSplitPoint(cut);
    return m_render->Run(this);
}

void CSplitToFilesDialog::OnOK()
{
    if (!m_settings || !m_render)
        return;
    if (!m_settings->CanWrite()) {
        Warn(IDS_SPLIT_CANNOT_WRITE);
        return;
    }
    std::vector<int64_t> cuts;
    if (!CheckFolder() || !ComputeSplitPoints(&cuts) || !ValidateNames(cuts.size()))
        return;
    EnableWindow(FALSE);
    const HRESULT hr = RunDivider(cuts);
    EnableWindow(TRUE);
    m_cuts = cuts;
    if (FAILED(hr) && hr != kRenderCancelled)
        GetEffectProgramHost().ShowErrorBox(hr, SplitText(kIdsPlugin).c_str(), MB_ICONEXCLAMATION);
    // The divider holds this run's cuts: the dialog ends with its run.
    EndDialog(SUCCEEDED(hr) ? IDOK : IDCANCEL);
}
