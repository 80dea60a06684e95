// The FFT equaliser dialog's run: LoadPlugin, the first analysis, the buttons and the jobs they
// run on the worker.
#include "FftEqDialog.h"

#include "DocWiring.h"
#include "EffectModuleTable.h"
#include "EffectPresetStore.h"
#include "EffectProgramHost.h"
#include "FftEqIds.h"
#include "FftEqRenderWorker.h"
#include "FftParametersDialog.h"
#include "AmplitudeRangeDialog.h"
#include "KsMultiTrack.h"
#include "KvSEFFEQ.h"
#include "LabelRecord.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "PanesIds.h"
#include "ResourceModule.h"
#include "SelectionModel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr HRESULT kCancelled = static_cast<HRESULT>(0x83E80005);
constexpr UINT kIdsEffectName = 21017; // "Effect"
constexpr UINT kIdsPluginLoadFailed = 20263;
constexpr DWORD kTopicEqualizer = 411;
constexpr int kCurveControl = 1063;
const char* const kChannelNames[] = {"L", "R", "C", "LFE", "Ls", "Rs"};

std::string Text(UINT id)
{
    char text[512] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}

// The controls that wait while a preview plays (Preview itself stays, as Stop).
const int kPreviewLocked[] = {IDOK,
                              IDCANCEL,
                              IDC_FFTEQ_NEW_WINDOW,
                              IDC_FFTEQ_RESET,
                              IDC_FFTEQ_HELP,
                              IDC_FFTEQ_SETTINGS,
                              IDC_FFTEQ_RANGE,
                              IDC_FFTEQ_TRACKS,
                              IDC_FFTEQ_LOG,
                              IDC_FFTEQ_LINEAR};

} // namespace

UINT FftEqButtonDownMessage()
{
    static const UINT message = ::RegisterWindowMessageA("WM_FFTEQ_BUTTONDOWN");
    return message;
}

BEGIN_MESSAGE_MAP(CFftEqDialog, CSkinnedPageDialog)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_BN_CLICKED(IDC_FFTEQ_PREVIEW, OnPreview)
    ON_BN_CLICKED(IDC_FFTEQ_NEW_WINDOW, OnNewWindow)
    ON_BN_CLICKED(IDC_FFTEQ_RESET, OnReset)
    ON_BN_CLICKED(IDC_FFTEQ_HELP, OnHelp)
    ON_BN_CLICKED(IDC_FFTEQ_SETTINGS, OnSettings)
    ON_BN_CLICKED(IDC_FFTEQ_RANGE, OnRange)
    ON_BN_CLICKED(IDC_FFTEQ_LOG, OnLogAxis)
    ON_BN_CLICKED(IDC_FFTEQ_LINEAR, OnLinearAxis)
    ON_CBN_SELCHANGE(IDC_FFTEQ_TRACKS, OnTrackChange)
END_MESSAGE_MAP()

CFftEqDialog::CFftEqDialog(CWnd* parent) : CSkinnedPageDialog(IDD_FFTEQ, parent)
{
    m_pageFrameId = IDC_FFTEQ_PAGE_FRAME;
}

CFftEqDialog::~CFftEqDialog()
{
    ReleasePages();
    m_equalizer.Reset();
    m_effect.Reset();
}

// --- the track list ----------------------------------------------------------------------

std::vector<std::string> CFftEqDialog::TrackItems(const std::vector<TrackShape>& selected)
{
    std::vector<std::string> items;
    char text[64];
    for (const TrackShape& track : selected) {
        if (track.channels <= 1) {
            std::snprintf(text, sizeof text, "TRACK %d", track.index + 1);
            items.push_back(text);
            continue;
        }
        for (int c = 0; c < track.channels; ++c) {
            char number[16];
            std::snprintf(number, sizeof number, "%d", c + 1);
            std::snprintf(text, sizeof text, "TRACK %d - %s", track.index + 1, c < 6 ? kChannelNames[c] : number);
            items.push_back(text);
        }
    }
    return items;
}

bool CFftEqDialog::ParseTrackItem(const char* item, const std::vector<int>& channelsOfTracks, int* track, int* channel)
{
    std::vector<std::string> tokens;
    std::string token;
    for (const char* p = item;; ++p) {
        if (*p == 0 || *p == ' ' || *p == '-') {
            if (!token.empty())
                tokens.push_back(token);
            token.clear();
            if (*p == 0)
                break;
        } else {
            token += *p;
        }
    }
    if (tokens.size() < 2)
        return false;
    const int index = std::atoi(tokens[1].c_str()) - 1;
    if (index < 0 || index >= static_cast<int>(channelsOfTracks.size()))
        return false;
    *track = index;
    *channel = 0;
    if (channelsOfTracks[static_cast<size_t>(index)] > 1 && tokens.size() >= 3) {
        for (int c = 0; c < 6; ++c)
            if (tokens[2] == kChannelNames[c])
                *channel = c;
        if (tokens[2][0] >= '0' && tokens[2][0] <= '9')
            *channel = std::atoi(tokens[2].c_str()) - 1;
    }
    return true;
}

void CFftEqDialog::FillTrackList()
{
    CSelectionModel* selection = m_document->GetSelection();
    std::vector<TrackShape> selected;
    for (int t = 0, n = m_document->GetTrackCount(); t < n; ++t)
        if (selection && selection->IsTrackSelectedAt(t))
            selected.push_back({t, m_document->GetTrackChannels(t)});
    HWND combo = ::GetDlgItem(m_hWnd, IDC_FFTEQ_TRACKS);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : TrackItems(selected))
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    // The first item is the first channel of the first selected track.
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

// --- the run -----------------------------------------------------------------------------

HRESULT CFftEqDialog::LoadPlugin(EffectModuleEntry* row, CNyMultiTrackDoc* document, HWND progressWindow)
{
    if (!row || !document)
        return E_POINTER;
    m_commandId = row->commandId;
    m_classId = row->classId;
    m_moduleFile = row->moduleFile;
    m_caption = row->displayName;
    m_document = document;
    m_progressWindow = progressWindow;
    m_engine = ComRef<IMtTrackSet>::Share(document->GetTrackSet());

    // Nothing to analyse: said before the module or the engine is asked anything.
    int firstTrack = -1;
    CSelectionModel* selection = document->GetSelection();
    for (int t = 0, n = document->GetTrackCount(); t < n && firstTrack < 0; ++t)
        if (selection && selection->IsTrackSelectedAt(t))
            firstTrack = t;
    if (firstTrack < 0 || !m_engine) {
        AfxMessageBox(Text(IDS_FFTEQ_NO_TRACK).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return kCancelled;
    }

    m_worker = new (std::nothrow) CFftEqRenderWorker;
    if (!m_worker)
        return E_OUTOFMEMORY;
    struct Worker {
        CFftEqDialog* d;
        ~Worker()
        {
            d->m_worker->TakeDownChain();
            delete d->m_worker;
            d->m_worker = nullptr;
        }
    } worker{this};
    HRESULT hr = m_worker->Start();
    if (FAILED(hr))
        return hr;
    hr = CreateModuleObject(m_moduleFile.c_str(), m_classId, IID_IBaseFilter, m_effect.OutVoid(), &m_module);
    if (SUCCEEDED(hr) && !m_effect)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = m_effect->QueryInterface(__uuidof(IFftEqualizer), m_equalizer.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_worker->SetEffect(m_effect.Get());
    if (FAILED(hr)) {
        m_equalizer.Reset();
        m_effect.Reset();
        AfxMessageBox(Text(kIdsPluginLoadFailed).c_str(), MB_OK | MB_ICONSTOP);
        return hr;
    }
    RestoreLastSettings();
    m_worker->StopGraph(0);
    m_worker->engine = m_engine;
    m_worker->trackIndex = firstTrack;
    m_worker->channel = 0;
    m_worker->PostAnalysis(m_progressWindow);
    m_worker->SendProgress(1, nullptr, 0, 0, nullptr);
    GetEffectProgramHost().WaitForHandle(m_worker->doneEvent);
    hr = m_worker->result;
    if (FAILED(hr)) {
        m_worker->SendProgress(6, nullptr, 0, 0, nullptr);
        m_equalizer.Reset();
        m_effect.Reset();
        return hr;
    }
    m_worker->SendProgress(4, nullptr, 100, 0, nullptr);
    DoModal();
    return hr;
}

BOOL CFftEqDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // No menu item names this command, so its caption is empty: the template's title stays.
    if (!m_caption.empty())
        SetWindowText(m_caption.c_str());
    MakeBackground(); // the skinned frame's margins count before the layout is recorded
    RecordLayout();
    if (m_document->IsMultichannel() == 1)
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FFTEQ_PREVIEW), FALSE);
    FillTrackList();
    RestoreLastSettings();
    FftEqParameters parameters{};
    if (GetParameters(&parameters) && (parameters.axis == 0 || parameters.axis == 1))
        CheckRadioButton(IDC_FFTEQ_LOG, IDC_FFTEQ_LINEAR, parameters.axis == 0 ? IDC_FFTEQ_LOG : IDC_FFTEQ_LINEAR);
    // The module's one page in the frame's place.
    if (CreatePropertyPages(m_effect.Get(), m_module) == S_OK)
        ShowPage(0);
    return TRUE;
}

bool CFftEqDialog::GetParameters(FftEqParameters* parameters)
{
    std::memset(parameters, 0, sizeof *parameters);
    return m_equalizer && SUCCEEDED(m_equalizer->GetParameters(parameters));
}

HRESULT CFftEqDialog::SetParameters(const FftEqParameters& parameters)
{
    return m_equalizer ? m_equalizer->SetParameters(&parameters) : E_NOINTERFACE;
}

HRESULT CFftEqDialog::RestoreLastSettings()
{
    return LoadEffectState(m_effect.Get(), kLastSettingsName);
}

HRESULT CFftEqDialog::SaveLastSettings()
{
    return SaveEffectState(m_effect.Get(), kLastSettingsName);
}

void CFftEqDialog::Broadcast(LPARAM stage)
{
    struct Stage {
        UINT message;
        LPARAM stage;
    } what{FftEqButtonDownMessage(), stage};
    ::EnumChildWindows(
        m_hWnd,
        [](HWND w, LPARAM p) -> BOOL {
            const auto* s = reinterpret_cast<const Stage*>(p);
            ::SendMessageA(w, s->message, 0, s->stage);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&what));
}

// The page reads the filter again and redraws: a double-click in the middle of its curve.
void CFftEqDialog::RefreshPage()
{
    ::EnumChildWindows(
        m_hWnd,
        [](HWND w, LPARAM) -> BOOL {
            if (HWND curve = ::GetDlgItem(w, kCurveControl)) {
                RECT r{};
                ::GetClientRect(curve, &r);
                ::SendMessageA(curve, WM_LBUTTONDBLCLK, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
            }
            return TRUE;
        },
        0);
}

// The dialog's own controls and the page; enabling again keeps Preview off in a multichannel
// document.
void CFftEqDialog::EnableChildren(BOOL enable)
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::EnableWindow(child, enable);
    if (enable && m_document->IsMultichannel() == 1)
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FFTEQ_PREVIEW), FALSE);
}

// --- the buttons -------------------------------------------------------------------------

void CFftEqDialog::OnPreview()
{
    CString caption;
    GetDlgItemText(IDC_FFTEQ_PREVIEW, caption);
    if (caption != Text(IDS_PREVIEW).c_str()) {
        // Playing: the press stops it; the wait of the press that started it ends and
        // restores the buttons.
        CWaitCursor wait;
        m_worker->StopGraph(0);
        return;
    }
    m_busy = true;
    Broadcast(2);
    SetDlgItemText(IDC_FFTEQ_PREVIEW, Text(IDS_PREVIEW_STOP).c_str());
    for (int id : kPreviewLocked)
        ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);
    m_worker->PostPreview(m_hWnd);
    WaitDispatching(m_worker->doneEvent);
    m_busy = false;
    EndPreview();
}

void CFftEqDialog::EndPreview()
{
    SetDlgItemText(IDC_FFTEQ_PREVIEW, Text(IDS_PREVIEW).c_str());
    for (int id : kPreviewLocked)
        ::EnableWindow(::GetDlgItem(m_hWnd, id), TRUE);
    Broadcast(3);
}

// Apply or new window: the page told, the dialog disabled, the job run with the progress
// dialog; what changes the document happens here afterwards.
HRESULT CFftEqDialog::RunJob(void (CFftEqRenderWorker::*post)(HWND))
{
    m_busy = true;
    Broadcast(1);
    GetEffectProgramHost().OpenProgressDialog(this);
    EnableChildren(FALSE);
    m_worker->StopGraph(0);
    m_worker->engine = m_engine;
    m_worker->document = m_document;
    m_worker->history = m_document->GetHistory();
    // The step changes the tracks' rows; the same tracks are selected afterwards.
    CSelectionModel* selection = m_document->GetSelection();
    std::vector<int> selected;
    for (int t = 0, n = m_document->GetTrackCount(); t < n; ++t)
        if (selection && selection->IsTrackSelectedAt(t))
            selected.push_back(t);
    (m_worker->*post)(m_progressWindow);
    m_worker->SendProgress(1, nullptr, 0, 0, nullptr);
    GetEffectProgramHost().WaitForHandle(m_worker->doneEvent);
    const HRESULT hr = m_worker->CompleteOnMainThread();
    if (selection) {
        selection->SetTrackSelected(-1, FALSE);
        for (int t : selected)
            selection->SetTrackSelected(t, TRUE);
    }
    m_busy = false;
    return hr;
}

void CFftEqDialog::OnOK()
{
    const HRESULT hr = RunJob(&CFftEqRenderWorker::PostApply);
    if (SUCCEEDED(hr))
        m_document->SetModifiedFlag(TRUE);
    else
        Broadcast(4);
    EnableChildren(TRUE);
    m_worker->SendProgress(SUCCEEDED(hr) ? 4 : 6, nullptr, SUCCEEDED(hr) ? 100 : 0, 0, nullptr);
    GetEffectProgramHost().CloseProgressDialog();
    SaveLastSettings();
    if (FAILED(hr)) {
        GetEffectProgramHost().ShowErrorBox(hr, Text(kIdsEffectName).c_str(), MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}

void CFftEqDialog::OnNewWindow()
{
    HRESULT hr = RunJob(&CFftEqRenderWorker::PostNewWindow);
    if (FAILED(hr)) {
        GetEffectProgramHost().ShowErrorBox(hr, Text(kIdsEffectName).c_str(), MB_ICONEXCLAMATION);
        m_worker->SendProgress(6, nullptr, 0, 0, nullptr);
        GetEffectProgramHost().CloseProgressDialog();
        EnableChildren(TRUE);
        Broadcast(4); // the failed render kept no file
        return;
    }
    CNyMultiTrackDoc* created = DocWiring::CreateNewDocument();
    hr = created ? m_worker->OpenResultAsNewDocument(created, m_document->GetBitsPerSample()) : E_FAIL;
    if (FAILED(hr)) {
        if (created)
            created->OnCloseDocument();
        m_worker->SendProgress(6, nullptr, 0, 0, nullptr);
        GetEffectProgramHost().CloseProgressDialog();
        EnableChildren(TRUE);
        Broadcast(4);
        return;
    }
    CopyTrackLabels(created);
    created->SyncModifiedWithHistory();
    DocWiring::RefreshAfterEdit(created, 0);
    m_worker->SendProgress(4, nullptr, 100, 0, nullptr);
    GetEffectProgramHost().CloseProgressDialog();
    EnableChildren(TRUE);
    SaveLastSettings();
    EndDialog(IDOK);
}

// The new document's tracks are named as the source's, by index.
void CFftEqDialog::CopyTrackLabels(CNyMultiTrackDoc* target)
{
    for (int t = 0, n = target->GetTrackCount(); t < n && t < m_document->GetTrackCount(); ++t) {
        LabelRecord from{}, to{};
        if (!m_document->GetTrackLabel(t, &from) || !target->GetTrackLabel(t, &to))
            continue;
        std::memcpy(to.name, from.name, sizeof to.name);
        target->SetLabelAt(to);
    }
}

void CFftEqDialog::OnCancel()
{
    if (m_busy)
        return;
    Broadcast(0);
    EndDialog(IDCANCEL);
}

void CFftEqDialog::OnReset()
{
    RefreshPage();
}

void CFftEqDialog::OnHelp()
{
    ShowFftEqHelp(kTopicEqualizer, m_hWnd);
}

void CFftEqDialog::OnSettings()
{
    FftEqParameters parameters{};
    if (!GetParameters(&parameters))
        return;
    const FftEqParameters previous = parameters;
    CFftParametersDialog dialog(this);
    dialog.fftSize = parameters.fftSize;
    dialog.overlap = parameters.overlap;
    dialog.windowType = parameters.window;
    if (dialog.DoModal() != IDOK)
        return;
    m_equalizer->KeepSpectrum();
    parameters.fftSize = dialog.fftSize;
    parameters.overlap = dialog.overlap;
    parameters.window = dialog.windowType;
    SetParameters(parameters);
    Reanalyse(previous);
}

void CFftEqDialog::OnRange()
{
    FftEqParameters parameters{};
    if (!GetParameters(&parameters))
        return;
    CAmplitudeRangeDialog dialog(this);
    dialog.maximum = parameters.maximumDb;
    dialog.minimum = parameters.minimumDb;
    if (dialog.DoModal() != IDOK)
        return;
    parameters.maximumDb = dialog.maximum;
    parameters.minimumDb = dialog.minimum;
    SetParameters(parameters);
    RefreshPage();
}

void CFftEqDialog::OnLogAxis()
{
    FftEqParameters parameters{};
    if (!GetParameters(&parameters))
        return;
    parameters.axis = 0;
    SetParameters(parameters);
    RefreshPage();
}

void CFftEqDialog::OnLinearAxis()
{
    FftEqParameters parameters{};
    if (!GetParameters(&parameters))
        return;
    parameters.axis = 1;
    SetParameters(parameters);
    RefreshPage();
}

void CFftEqDialog::OnTrackChange()
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_FFTEQ_TRACKS);
    const int chosen = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    char item[64] = {};
    if (chosen < 0 || ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(chosen), 0) >= LRESULT(sizeof item))
        return;
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(chosen), reinterpret_cast<LPARAM>(item));
    std::vector<int> channels;
    for (int t = 0, n = m_document->GetTrackCount(); t < n; ++t)
        channels.push_back(m_document->GetTrackChannels(t));
    int track = -1, channel = 0;
    if (!ParseTrackItem(item, channels, &track, &channel))
        return;
    m_worker->trackIndex = track;
    m_worker->channel = channel;
    FftEqParameters parameters{};
    if (!GetParameters(&parameters))
        return;
    const FftEqParameters previous = parameters;
    parameters.channel = channel;
    m_equalizer->KeepSpectrum();
    SetParameters(parameters);
    Reanalyse(previous);
}

// The spectrum of the chosen channel with the parameters set now; a failure puts the previous
// parameters and spectrum back.
void CFftEqDialog::Reanalyse(const FftEqParameters& previous)
{
    m_busy = true;
    EnableChildren(FALSE);
    UpdateWindow();
    GetEffectProgramHost().OpenProgressDialog(this);
    m_worker->StopGraph(0);
    m_worker->PostAnalysis(m_progressWindow);
    m_worker->SendProgress(1, nullptr, 0, 0, nullptr);
    GetEffectProgramHost().WaitForHandle(m_worker->doneEvent);
    if (FAILED(m_worker->result)) {
        m_equalizer->SettleSpectrum(1);
        SetParameters(previous);
        m_worker->SendProgress(6, nullptr, 0, 0, nullptr);
    } else {
        m_equalizer->SettleSpectrum(0);
        m_worker->SendProgress(4, nullptr, 100, 0, nullptr);
    }
    GetEffectProgramHost().CloseProgressDialog();
    EnableChildren(TRUE);
    m_busy = false;
    UpdateWindow();
    RefreshPage();
}

void CFftEqDialog::OnDestroy()
{
    m_layout.clear();
    DeactivateCurrentPage();
    ReleasePages();
    CDialog::OnDestroy();
}
