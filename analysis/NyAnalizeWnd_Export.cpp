// The CSV export of what the pane shows: the header of the run's settings, then the graph's
// points. The file is written beside the chosen one and renamed over it only when whole, so a
// failed write leaves neither a partial file nor a damaged old one.
#include "NyAnalizeWnd.h"

#include "AnalysisIds.h"
#include "LabelTable.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyAnalizeFrame.h"
#include "PanesIds.h"
#include "Settings.h"
#include "FrequencyAnalyzer.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

namespace {

std::string Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return std::string(text.GetString());
}

std::string Number(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

std::string WithoutExtension(const std::string& title)
{
    const size_t dot = title.rfind('.');
    return dot == std::string::npos ? title : title.substr(0, dot);
}

HRESULT LastError()
{
    const DWORD error = ::GetLastError();
    return HRESULT_FROM_WIN32(error ? error : ERROR_WRITE_FAULT);
}

} // namespace

std::string CNyAnalizeWnd::DefaultExportName() const
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    return doc ? DefaultCsvName(doc->GetTitle().GetString(), SelectedEntryText(), m_settings.graphType) : std::string();
}

HRESULT CNyAnalizeWnd::ExportCsv(const char* path)
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc || !path)
        return E_FAIL;
    SpectrumCsvHeader header;
    const UINT labels[9] = {IDS_CSV_FILENAME, IDS_CSV_TRACK_NUMBER, IDS_CSV_TRACK_LABEL, IDS_CSV_FFT_SIZE,
                            IDS_CSV_OVERLAP,  IDS_CSV_WINDOW,       IDS_CSV_GRAPH_TYPE,  0,
                            IDS_CSV_FREQUENCY};
    for (int i = 0; i < 9; ++i)
        header.labels[i] = labels[i] ? Text(labels[i]) : std::string();
    header.values[0] = WithoutExtension(doc->GetTitle().GetString());
    header.values[1] = JoinedEntry(SelectedEntryText());
    LabelRecord label{};
    if (m_track >= 0 && doc->GetTrackLabel(m_track, &label))
        header.values[2] = std::string(label.name, strnlen(label.name, sizeof label.name));
    header.values[3] = Number(m_analyzer->GetFftSize());
    header.values[4] = Number(m_analyzer->GetOverlap());
    header.values[5] = WindowName(m_analyzer->GetWindow());
    const UINT graphNames[3] = {IDS_CSV_NARROW, IDS_CSV_OCTAVE, IDS_CSV_THIRD_OCTAVE};
    if (m_settings.graphType >= 1 && m_settings.graphType <= 3)
        header.values[6] = Text(graphNames[m_settings.graphType - 1]);
    header.values[8] = Text(IDS_CSV_AMPLITUDE);
    GraphState state = m_graph;
    state.channel = ShownChannel();
    const std::string text =
        SpectrumCsvText(header, SpectrumGraph(*m_analyzer, CurrentGraphSettings(), state).PointList());

    const std::string target(path);
    const std::string partial = target + ".part";
    HANDLE file = ::CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastError();
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    HRESULT hr = ok ? S_OK : LastError();
    if (!::CloseHandle(file) && ok) {
        ok = FALSE;
        hr = LastError();
    }
    if (ok && !::MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = FALSE;
        hr = LastError();
    }
    if (!ok)
        ::DeleteFileA(partial.c_str());
    return hr;
}

void CNyAnalizeWnd::OnSaveData()
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc || doc->IsEmpty())
        return;
    const std::string name = DefaultExportName();
    CString filter, extension;
    filter.LoadString(IDS_CSV_FILTER);
    extension.LoadString(IDS_CSV_EXTENSION);
    // A new file is allowed: only its folder must exist.
    CFileDialog dialog(FALSE, extension, name.empty() ? nullptr : name.c_str(),
                       OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, filter, this);
    std::string folder;
    GetSettingString(kSettingsSection, "LastSaveDir", "", &folder);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    if (!folder.empty())
        dialog.m_ofn.lpstrInitialDir = folder.c_str();
    if (dialog.DoModal() == IDOK) {
        const std::string path(dialog.GetPathName().GetString());
        SetSettingString(kSettingsSection, "LastSaveDir", path.substr(0, path.rfind('\\') + 1).c_str());
        const HRESULT hr = ExportCsv(path.c_str());
        if (FAILED(hr)) {
            char message[512] = "";
            ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(hr & 0xFFFF), 0,
                             message, sizeof message, nullptr);
            AfxMessageBox(message[0] ? message : "The file could not be written.", MB_OK | MB_ICONEXCLAMATION);
        }
    }
    if (CNyAnalizeFrame* frame = GetFrame())
        frame->SendMessage(WM_NCACTIVATE, TRUE, 0);
}

void CNyAnalizeWnd::OnUpdateSaveData(CCmdUI* cmdUI)
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    cmdUI->Enable(doc && !doc->IsEmpty());
}
