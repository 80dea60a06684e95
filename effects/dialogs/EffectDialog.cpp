// The effect dialog's run: Execute, its initialisation, and the buttons that drive the worker.
#include "EffectDialog.h"

#include "AudioRenderer.h"
#include "CaptionFrameHelper.h"
#include "DocWiring.h"
#include "EffectEnvironment.h"
#include "EffectIds.h"
#include "EffectModuleTable.h"
#include "EffectProgramHost.h"
#include "ErrorText.h"
#include "GlobalMemory.h"
#include "HelpLauncher.h"
#include "IEffectPresets.h"
#include "KsMultiTrack.h"
#include "KvSEOfst.h"
#include "KvSEPtch.h"
#include "KvSETime.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "ProcessTarget.h"
#include "PanesIds.h"
#include "RenderWorker.h"
#include "ResourceModule.h"
#include "SelectionModel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr HRESULT kNoPlaybackDevice = static_cast<HRESULT>(0x83E80450);
constexpr HRESULT kPlaybackOpenFailed = static_cast<HRESULT>(0x83E803EA);
constexpr HRESULT kNoAudioDevice = static_cast<HRESULT>(0x80040256); // VFW_E_NO_AUDIO_HARDWARE
constexpr HRESULT kCannotPlay = static_cast<HRESULT>(0x8004025C);    // VFW_E_CANNOT_CONNECT
constexpr int64_t kShortestPreview = 8129;                           // frames
constexpr UINT kIdsEffectName = 21017;                               // "Effect"
constexpr UINT kIdsProcessing = 20346;                               // "Processing..."

// Table rows the dialog treats apart.
constexpr unsigned kRowDcOffset = 1, kRowNormalize = 2, kRowSmoothing = 3, kRowGraphicEq20 = 5, kRowPitchShift = 11,
                   kRowTimeStretch = 12, kRowCrackle = 19, kRowNoiseProfile = 20, kRowMonoToStereo = 26,
                   kRowStereoToMono = 27, kRowChannelNormalize = 30;

std::string Text(UINT id)
{
    char text[512] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}

// The right-hand column the dialog keeps at its right edge.
const int kColumn[] = {
    IDOK,          IDCANCEL,      IDC_EFFECT_PREVIEW, IDC_EFFECT_HELP, IDC_EFFECT_NEW_WINDOW, IDC_EFFECT_GROUP,
    IDC_EFFECT_ON, IDC_EFFECT_OFF};

} // namespace

BEGIN_MESSAGE_MAP(CEffectDialog, CSkinnedPageDialog)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_BN_CLICKED(IDC_EFFECT_PREVIEW, OnPreview)
    ON_CBN_SELCHANGE(IDC_EFFECT_PRESETS, OnPresetSelChange)
    ON_BN_CLICKED(IDC_EFFECT_HELP, OnHelp)
    ON_WM_CLOSE()
    ON_BN_CLICKED(IDC_EFFECT_NEW_WINDOW, OnNewWindow)
    ON_BN_CLICKED(IDC_EFFECT_ON, OnBypassToggle)
    ON_BN_CLICKED(IDC_EFFECT_OFF, OnBypassToggle)
    ON_NOTIFY(TCN_SELCHANGE, IDC_EFFECT_TABS, OnTabSelChange)
    ON_BN_CLICKED(IDC_EFFECT_REGISTER_PRESET, OnRegisterPreset)
    ON_BN_CLICKED(IDC_EFFECT_DELETE_PRESET, OnDeletePreset)
    ON_MESSAGE(kWorkerErrorMessage, OnWorkerError)
END_MESSAGE_MAP()

CEffectDialog::CEffectDialog(CWnd* parent) : CSkinnedPageDialog(IDD_EFFECT, parent) {}

CEffectDialog::~CEffectDialog()
{
    ReleasePages();
    m_presets.Reset();
    m_filter.Reset();
}

void CEffectDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_EFFECT_TABS, m_tabs);
    DDX_Control(dx, IDC_EFFECT_PRESETS, m_presetList);
}

bool CEffectDialog::IsRow(unsigned row) const
{
    return m_classId == GetEffectModuleEntry(row)->classId;
}

HRESULT CEffectDialog::CreateFilter(const CEffectDescriptor& descriptor)
{
    const char* module = descriptor.moduleFile;
    HRESULT hr;
    if (!module || !*module)
        hr = ::CoCreateInstance(descriptor.classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                IID_IBaseFilter, m_filter.OutVoid());
    else
        hr = CreateModuleObject(module, descriptor.classId, IID_IBaseFilter, m_filter.OutVoid(), &m_module);
    if (SUCCEEDED(hr) && !m_filter)
        hr = E_FAIL;
    return hr;
}

int CEffectDialog::FirstSelectedTrackChannels()
{
    CSelectionModel* selection = m_document->GetSelection();
    for (int t = 0, n = m_document->GetTrackCount(); t < n; ++t)
        if (selection && selection->IsTrackSelectedAt(t))
            return m_document->GetTrackChannels(t);
    return 0;
}

void CEffectDialog::TellEnvironment()
{
    TellEffectEnvironment(m_filter.Get(),
                          MakeEffectEnvironment(FirstSelectedTrackChannels(), m_document->GetSamplesPerSec()));
}

HRESULT CEffectDialog::Execute(const CEffectDescriptor& descriptor, CNyMultiTrackDoc* document, HWND reportWindow)
{
    m_running = TRUE;
    m_caption = static_cast<const char*>(descriptor.displayName);
    m_document = document;
    m_reportWindow = reportWindow;
    m_engine = ComRef<IMtTrackSet>::Share(document->GetTrackSet());
    HRESULT hr =
        document->GetProcessTarget(&m_targetCount, &m_targetTracks, &m_targetStart, &m_targetLength, &m_targetFlag);
    if (FAILED(hr))
        return hr;
    struct Target {
        CEffectDialog* d;
        ~Target() { ReleaseProcessTarget(d->m_targetTracks, d->m_targetCount); }
    } target{this};

    m_worker = new (std::nothrow) CRenderWorker(nullptr);
    if (!m_worker)
        return E_OUTOFMEMORY;
    struct Worker {
        CEffectDialog* d;
        ~Worker()
        {
            if (!d->m_worker)
                return;
            d->m_worker->TakeDownChain();
            delete d->m_worker;
            d->m_worker = nullptr;
        }
    } worker{this};
    hr = m_worker->Start();
    if (FAILED(hr))
        return hr;
    m_worker->commandNameId = m_recordAsEffect ? 21017 : IDS_CMD_PLUGIN;

    hr = CreateFilter(descriptor);
    if (SUCCEEDED(hr))
        hr = m_filter->GetClassID(&m_classId);
    if (SUCCEEDED(hr) && IsRow(kRowDcOffset)) {
        ComRef<IDcOffsetSettings> settings;
        hr = m_filter->QueryInterface(__uuidof(IDcOffsetSettings), settings.OutVoid());
        if (SUCCEEDED(hr))
            settings->SetBitDepth(m_document->GetBitsPerSample());
    }
    if (FAILED(hr)) {
        m_filter.Reset();
        ShowStop(IDS_PLUGIN_LOAD_FAILED, MB_ICONSTOP);
        return hr;
    }
    if (IsRow(kRowSmoothing))
        m_worker->SetSourceOption(10, 0);
    TellEnvironment();
    hr = m_worker->AddEffectFilter(m_filter.Get(), FALSE);
    if (FAILED(hr)) {
        m_filter.Reset();
        ShowStop(IDS_PLUGIN_LOAD_FAILED, MB_ICONSTOP);
        return hr;
    }
    m_worker->SetSource(m_engine.Get());
    DoModal();
    m_presets.Reset();
    return S_OK;
}

BOOL CEffectDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(m_caption.c_str());
    if (m_worker)
        m_worker->SetClient(m_hWnd);
    if (!m_showPresets)
        for (int id : {IDC_EFFECT_REGISTER_PRESET, IDC_EFFECT_DELETE_PRESET})
            ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
    MakeBackground();
    if (FAILED(CreatePropertyPages(m_filter.Get(), m_module)))
        return TRUE;
    m_filter->QueryInterface(__uuidof(IEffectPresets), m_presets.OutVoid());
    FillPresetList();
    if (IsRow(kRowDcOffset)) {
        ComRef<IDcOffsetSettings> settings;
        if (FAILED(m_filter->QueryInterface(__uuidof(IDcOffsetSettings), settings.OutVoid()))) {
            ShowStop(IDS_PLUGIN_LOAD_FAILED, MB_ICONSTOP);
            return TRUE;
        }
        LoadLastSettings();
        ReconcileDcOffsetDepth();
    } else {
        LoadLastSettings();
    }
    RefreshPages(m_filter.Get());
    if (FAILED(ShowFirstPage()))
        return TRUE;
    CheckRadioButton(IDC_EFFECT_ON, IDC_EFFECT_OFF, IDC_EFFECT_ON);
    PlaceOnScreen();
    if ((IsRow(kRowCrackle) || IsRow(kRowTimeStretch) || IsRow(kRowPitchShift) || IsRow(kRowGraphicEq20)) &&
        m_document->IsMultichannel())
        for (int id : {IDC_EFFECT_PREVIEW, IDC_EFFECT_GROUP, IDC_EFFECT_ON, IDC_EFFECT_OFF})
            ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);
    if (IsRow(kRowNoiseProfile)) {
        // The learner only listens: Help takes Preview's place.
        RECT preview{};
        HWND previewButton = ::GetDlgItem(m_hWnd, IDC_EFFECT_PREVIEW);
        ::GetWindowRect(previewButton, &preview);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&preview), 2);
        ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_EFFECT_HELP), nullptr, preview.left, preview.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        for (int id : {IDC_EFFECT_PREVIEW, IDC_EFFECT_NEW_WINDOW, IDC_EFFECT_GROUP, IDC_EFFECT_ON, IDC_EFFECT_OFF}) {
            ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);
            ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
        }
    }
    return TRUE;
}

// Laid out around its page, the dialog goes over the main window and stays on its screen.
void CEffectDialog::PlaceOnScreen()
{
    CenterWindow(AfxGetMainWnd());
    RECT window{}, area{};
    GetWindowRect(&window);
    HMONITOR monitor = ::MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(monitor, &info))
        return;
    area = info.rcWork;
    LONG x = std::min(window.left, area.right - (window.right - window.left));
    LONG y = std::min(window.top, area.bottom - (window.bottom - window.top));
    x = std::max(x, area.left);
    y = std::max(y, area.top);
    if (x != window.left || y != window.top)
        SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEffectDialog::ReconcileDcOffsetDepth()
{
    ComRef<IDcOffsetSettings> settings;
    if (FAILED(m_filter->QueryInterface(__uuidof(IDcOffsetSettings), settings.OutVoid())))
        return;
    int stored = 0, value = 0;
    settings->GetBitDepth(&stored);
    settings->GetValue(&value);
    const int depth = m_document->GetBitsPerSample();
    if (stored == depth)
        return;
    double converted = value;
    if (stored == 8 && depth == 16)
        converted = value * 256.0;
    else if (stored == 8 && depth == 32)
        converted = value * 78.125;
    else if (stored == 16 && depth == 8)
        converted = value / 256; // integer division: toward zero
    else if (stored == 16 && depth == 32)
        converted = value * 0.30517578125;
    else if (stored == 32 && depth == 8)
        converted = value * 0.0127;
    else if (stored == 32 && depth == 16)
        converted = value * 3.2767;
    settings->SetBitDepth(depth);
    settings->SetValue(static_cast<int>(converted)); // truncated
}

LONG CEffectDialog::ChooseCommand(int button)
{
    static const LONG plain[] = {kCmdPreview, kCmdApply, kCmdNewWindow};
    static const LONG twoPass[] = {kCmdPreviewTwoPass, kCmdApplyTwoPass, kCmdNewWindowTwoPass};
    static const LONG newTracks[] = {kCmdPreview, kCmdApplyToNewTracks, kCmdNewWindow};
    if (IsRow(kRowDcOffset)) {
        ComRef<IDcOffsetSettings> settings;
        int mode = 0;
        if (FAILED(m_filter->QueryInterface(__uuidof(IDcOffsetSettings), settings.OutVoid())))
            return 0;
        settings->GetMode(&mode);
        return mode ? plain[button] : twoPass[button];
    }
    if (IsRow(kRowNormalize) || IsRow(kRowChannelNormalize))
        return twoPass[button];
    if (IsRow(kRowTimeStretch)) {
        ComRef<ITimeStretchSettings> settings;
        if (FAILED(m_filter->QueryInterface(__uuidof(ITimeStretchSettings), settings.OutVoid())))
            return 0;
        settings->SetPreviewMode(button == 0 ? 1 : 0);
        return plain[button];
    }
    if (IsRow(kRowPitchShift)) {
        ComRef<IPitchShiftSettings> settings;
        if (FAILED(m_filter->QueryInterface(__uuidof(IPitchShiftSettings), settings.OutVoid())))
            return 0;
        settings->SetPreviewMode(button == 0 ? 1 : 0);
        return plain[button];
    }
    if (IsRow(kRowMonoToStereo) || IsRow(kRowStereoToMono))
        return newTracks[button];
    return plain[button];
}

void CEffectDialog::PostCommand(LONG code, HWND progress)
{
    m_worker->PostCommand(code, progress, code == kCmdPreview || code == kCmdPreviewTwoPass || code == kCmdRender);
}

void CEffectDialog::EnableButtons(BOOL enable)
{
    for (int id : {IDOK, IDCANCEL, IDC_EFFECT_NEW_WINDOW})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), enable);
}

HWND CEffectDialog::OpenProgress()
{
    m_progressWindow = GetEffectProgramHost().OpenProgressDialog(this);
    return m_progressWindow;
}

void CEffectDialog::CloseProgress()
{
    GetEffectProgramHost().CloseProgressDialog();
    m_progressWindow = nullptr;
}

void CEffectDialog::WaitForWorker()
{
    if (m_progressWindow)
        ::SetFocus(m_progressWindow);
    GetEffectProgramHost().WaitForHandle(m_worker->doneEvent);
}

void CEffectDialog::SendProgress(WPARAM code, LONG value)
{
    const std::string text = Text(kIdsProcessing);
    m_worker->SendProgress(code, code == 1 ? text.c_str() : nullptr, value, 0, nullptr);
}

void CEffectDialog::OnPreview()
{
    if (!CanCreateAudioRenderer()) {
        ErrorText text(GetResourceModule());
        AfxMessageBox(text.GetText(kNoPlaybackDevice), MB_OK);
        return;
    }
    if (m_targetLength < kShortestPreview) {
        ShowStop(IDS_PREVIEW_TOO_SHORT, MB_ICONSTOP);
        return;
    }
    HWND button = ::GetDlgItem(m_hWnd, IDC_EFFECT_PREVIEW);
    ::EnableWindow(button, FALSE);
    CString caption;
    GetDlgItemText(IDC_EFFECT_PREVIEW, caption);
    if (caption == Text(IDS_PREVIEW).c_str())
        RunPreviewStart();
    else
        StopPreview();
    ::EnableWindow(button, TRUE);
    ::SetFocus(button);
}

void CEffectDialog::RunPreviewStart()
{
    EnableButtons(FALSE);
    OpenProgress();
    EnableWindow(FALSE);
    RebuildChain(TRUE);
    const LONG command = ChooseCommand(0);
    if (!command) {
        CloseProgress();
        EnableWindow(TRUE);
        EnableButtons(TRUE);
        return;
    }
    PostCommand(command, m_hWnd);
    SendProgress(1, 0);
    WaitForWorker();
    EnableWindow(TRUE);
    if (FAILED(m_worker->result)) {
        SendProgress(6, 0);
        EnableButtons(TRUE);
    } else {
        SendProgress(4, 100);
        SetDlgItemText(IDC_EFFECT_PREVIEW, Text(IDS_PREVIEW_STOP).c_str());
    }
    CloseProgress();
}

void CEffectDialog::StopPreview()
{
    CWaitCursor wait;
    m_worker->StopGraph(0);
    SetDlgItemText(IDC_EFFECT_PREVIEW, Text(IDS_PREVIEW).c_str());
    EnableButtons(TRUE);
}

HRESULT CEffectDialog::RebuildChain(BOOL preview)
{
    if (!m_running || !m_worker)
        return E_FAIL;
    const bool on = IsDlgButtonChecked(IDC_EFFECT_ON) == BST_CHECKED;
    const bool playing = !m_worker->IsSourceStopped();
    if (playing)
        m_worker->StopGraph(0);
    m_worker->DisconnectChain();
    m_worker->RemoveEffectFilters();
    if (!(preview && !on)) {
        HRESULT hr = m_worker->AddEffectFilter(m_filter.Get(), FALSE);
        if (FAILED(hr)) {
            ShowStop(IDS_PLUGIN_LOAD_FAILED, MB_ICONSTOP);
            return hr;
        }
    }
    if (!playing)
        return S_OK;
    OpenProgress();
    EnableWindow(FALSE);
    if (IsRow(kRowNormalize) || IsRow(kRowChannelNormalize) || ChooseCommand(0) == kCmdPreviewTwoPass)
        m_worker->RepostPreviewTwoPass();
    else
        m_worker->RepostPreview();
    SendProgress(1, 0);
    WaitForWorker();
    EnableWindow(TRUE);
    if (FAILED(m_worker->result)) {
        SendProgress(6, 0);
        StopPreview(); // the caption comes back to "&Preview"
    } else {
        SendProgress(4, 100);
    }
    CloseProgress();
    return S_OK;
}

void CEffectDialog::OnBypassToggle()
{
    RebuildChain(TRUE);
}

// Runs the job OK (mode 1) or New Window (mode 2) asks for, the dialog disabled and
// the progress shown; false when the selection gives no job.
bool CEffectDialog::RunWorkerJob(int mode, HRESULT* hr)
{
    OpenProgress();
    EnableWindow(FALSE);
    m_worker->StopGraph(0);
    RebuildChain(FALSE);
    m_worker->history = m_document->GetHistory();
    m_worker->document = m_document;
    m_worker->SetSource(m_engine.Get());
    const LONG command = ChooseCommand(mode);
    if (!command) {
        CloseProgress();
        EnableWindow(TRUE);
        return false;
    }
    PostCommand(command, m_reportWindow);
    SendProgress(1, 0);
    WaitForWorker();
    // What changes the document happens here, on this thread.
    *hr = m_worker->CompleteOnMainThread();
    return true;
}

void CEffectDialog::OnOK()
{
    HRESULT hr = S_OK;
    if (!RunWorkerJob(1, &hr))
        return;
    EnableWindow(TRUE);
    if (FAILED(hr)) {
        SendProgress(6, 0);
    } else {
        SendProgress(4, 100);
        m_document->SetModifiedFlag(TRUE);
    }
    CloseProgress();
    if (FAILED(hr)) {
        GetEffectProgramHost().ShowErrorBox(hr, Text(kIdsEffectName).c_str(), MB_ICONEXCLAMATION);
        return;
    }
    SaveLastSettings();
    EndDialog(IDOK);
}

void CEffectDialog::DeleteWrittenFiles()
{
    for (const std::string& name : {m_worker->WrittenDataFile(), m_worker->WrittenPeakFile()})
        if (!name.empty())
            ::DeleteFileA(name.c_str());
}

void CEffectDialog::OnNewWindow()
{
    HRESULT hr = S_OK;
    if (!RunWorkerJob(2, &hr))
        return;
    if (FAILED(hr)) {
        GetEffectProgramHost().ShowErrorBox(hr, Text(kIdsEffectName).c_str(), MB_ICONEXCLAMATION);
        EnableWindow(TRUE);
        SendProgress(6, 0);
        CloseProgress();
        DeleteWrittenFiles();
        return;
    }
    CNyMultiTrackDoc* created = DocWiring::CreateNewDocument();
    hr = created ? m_worker->OpenResultAsNewDocument(created, m_document->GetBitsPerSample()) : E_FAIL;
    EnableWindow(TRUE);
    if (FAILED(hr)) {
        if (created)
            created->OnCloseDocument();
        SendProgress(6, 0);
        CloseProgress();
        GetEffectProgramHost().ShowErrorBox(hr, Text(kIdsEffectName).c_str(), MB_ICONEXCLAMATION);
        return;
    }
    created->SyncModifiedWithHistory();
    DocWiring::RefreshAfterEdit(created, 0);
    SendProgress(4, 100);
    CloseProgress();
    SaveLastSettings();
    EndDialog(IDOK);
}

LRESULT CEffectDialog::OnWorkerError(WPARAM, LPARAM lParam)
{
    const HRESULT code = static_cast<HRESULT>(lParam);
    if (code == kNoAudioDevice) {
        ShowStop(IDS_NO_PLAYBACK_DEVICE, MB_ICONSTOP);
    } else if (code == kCannotPlay) {
        ErrorText text(GetResourceModule());
        AfxMessageBox(text.GetText(kPlaybackOpenFailed), MB_OK | MB_ICONEXCLAMATION);
    } else {
        ShowStop(IDS_PLUGIN_CONNECT_FAILED, MB_ICONSTOP);
    }
    SetDlgItemText(IDC_EFFECT_PREVIEW, Text(IDS_PREVIEW).c_str());
    EnableButtons(TRUE);
    return 0;
}

void CEffectDialog::OnCancel()
{
    if (!m_running)
        return;
    EndDialog(IDCANCEL);
    if (m_reportWindow)
        ::UpdateWindow(m_reportWindow);
}

void CEffectDialog::OnClose()
{
    OnCancel();
}

void CEffectDialog::OnHelp()
{
    ShowPageHelp(HELP_CONTEXT);
}

void CEffectDialog::OnSize(UINT type, int cx, int cy)
{
    Default();
    (void)type;
    (void)cy;
    HWND ok = ::GetDlgItem(m_hWnd, IDOK);
    if (!ok)
        return;
    RECT okRect{};
    ::GetWindowRect(ok, &okRect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&okRect), 2);
    const int dx = (cx - 16) - okRect.right;
    if (dx == 0)
        return;
    for (int id : kColumn) {
        HWND control = ::GetDlgItem(m_hWnd, id);
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::SetWindowPos(control, nullptr, r.left + dx, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Invalidate();
}

void CEffectDialog::OnDestroy()
{
    DeactivateCurrentPage();
    CDialog::OnDestroy();
}
