// The generator dialog: its life around the worker, the length and its unit, Preview and OK.
#include "GeneratorDialog.h"

#include "AudioRenderer.h"
#include "CoreStrings.h"
#include "EffectIds.h"
#include "EffectModuleTable.h"
#include "EffectPresetStore.h"
#include "EffectProgramHost.h"
#include "ErrorText.h"
#include "GeneratorIds.h"
#include "GeneratorRenderWorker.h"
#include "GeneratorSlots.h"
#include "KsMultiTrack.h"
#include "KvSESiln.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "PanesIds.h"
#include "ResourceModule.h"
#include "Settings.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>

namespace {

constexpr HRESULT kNoPlaybackDevice = static_cast<HRESULT>(0x83E80450);
constexpr UINT kIdsEffect = 21017;     // "Effect"
constexpr UINT kIdsProcessing = 20346; // "Processing..."

std::string Text(UINT id)
{
    char text[512] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}

std::string ClassText(const CLSID& id)
{
    wchar_t wide[64] = {};
    char text[64] = {};
    ::StringFromGUID2(id, wide, 64);
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

RECT ChildRect(HWND parent, int id)
{
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(parent, id), &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

const int kLengthRow[] = {IDC_GENERATOR_LENGTH_LABEL, IDC_GENERATOR_LENGTH, IDC_GENERATOR_UNIT};
const int kButtons[] = {IDOK, IDCANCEL, IDC_GENERATOR_PREVIEW, IDC_GENERATOR_HELP};

} // namespace

int64_t GeneratorTextToSamples(const AudioFormat& format, int unit, double value)
{
    int64_t samples;
    switch (unit) {
    case kUnitSeconds:
        samples = format.TimeToFrames(static_cast<int64_t>(value * 10000000.0));
        break;
    case kUnitMilliseconds:
        samples = format.TimeToFrames(static_cast<int64_t>(value * 10000.0));
        break;
    default:
        samples = static_cast<int64_t>(value);
        break;
    }
    return samples < 1 ? 1 : samples;
}

double GeneratorSamplesToValue(const AudioFormat& format, int unit, int64_t samples)
{
    switch (unit) {
    case kUnitSeconds:
        return static_cast<double>(format.FramesToTime(samples)) * 1e-7;
    case kUnitMilliseconds:
        return static_cast<double>(format.FramesToTime(samples)) * 1e-4;
    default:
        return static_cast<double>(samples);
    }
}

std::string GeneratorLengthText(int unit, double value)
{
    char text[64] = {};
    if (unit == kUnitSeconds)
        std::snprintf(text, sizeof text, "%2.3f", value);
    else if (unit == kUnitMilliseconds)
        std::snprintf(text, sizeof text, "%2.1f", value);
    else
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return text;
}

BEGIN_MESSAGE_MAP(CGeneratorDialog, CSkinnedPageDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_GENERATOR_TABS, OnSelChangeTab)
    ON_BN_CLICKED(IDC_GENERATOR_PREVIEW, OnPreview)
    ON_BN_CLICKED(IDC_GENERATOR_HELP, OnHelp)
    ON_CBN_SELCHANGE(IDC_GENERATOR_UNIT, OnUnitChange)
    ON_EN_KILLFOCUS(IDC_GENERATOR_LENGTH, OnLengthKillFocus)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CGeneratorDialog::CGeneratorDialog(CWnd* parent) : CSkinnedPageDialog(IDD_GENERATOR, parent) {}

CGeneratorDialog::~CGeneratorDialog()
{
    ReleasePages();
    m_generator.Reset();
}

void CGeneratorDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_GENERATOR_UNIT, m_unitList);
    DDX_Control(dx, IDC_GENERATOR_TABS, m_tabs);
}

bool CGeneratorDialog::IsSilence() const
{
    return m_classId == CLSID_KvSESiln;
}

AudioFormat CGeneratorDialog::Format() const
{
    AudioFormat format;
    format.Set(m_rate, m_bits, 1);
    return format;
}

std::string CGeneratorDialog::SettingsSection() const
{
    return "Effecters\\Generator\\" + ClassText(m_classId);
}

HRESULT CGeneratorDialog::LoadPlugin(const EffectModuleEntry& row, CNyMultiTrackDoc* document, HWND mainWindow)
{
    m_command = row.commandId;
    m_moduleFile = row.moduleFile;
    m_classId = row.classId;
    m_caption = row.displayName;
    m_document = document;
    m_mainWindow = mainWindow;
    m_engine = ComRef<IMtTrackSet>::Share(document ? document->GetTrackSet() : nullptr);
    if (!m_engine)
        return E_FAIL;
    m_worker = new (std::nothrow) CGeneratorRenderWorker;
    if (!m_worker)
        return E_OUTOFMEMORY;
    struct Worker {
        CGeneratorDialog* d;
        ~Worker()
        {
            if (!d->m_worker)
                return;
            d->m_worker->StopGraph(FALSE);
            d->m_worker->DisconnectGenerator();
            delete d->m_worker;
            d->m_worker = nullptr;
        }
    } worker{this};

    m_engine->GetSamplesPerSec(&m_rate);
    m_engine->GetBitsPerSample(&m_bits);
    ComRef<IMtSelection> selection;
    if (SUCCEEDED(m_engine->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()))) {
        LONGLONG length = 0, start = 0, end = 0;
        selection->GetLength(&length);
        selection->GetRange(&start, &end);
        m_selLength = length;
        m_selStart = start;
        m_selEnd = end;
    }
    HRESULT hr = m_worker->Start();
    if (FAILED(hr))
        return hr;
    hr = CreateModuleObject(m_moduleFile.c_str(), m_classId, IID_IBaseFilter, m_generator.OutVoid(), &m_module);
    if (SUCCEEDED(hr) && !m_generator)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = m_worker->SetGenerator(m_generator.Get());
    if (FAILED(hr)) {
        m_generator.Reset();
        ShowStop(IDS_PLUGIN_LOAD_FAILED, MB_ICONSTOP);
        return hr;
    }
    m_worker->generatorCommand = m_command;
    m_worker->engine = m_engine.Get();
    m_worker->document = m_document;
    if (const GeneratorSlots* slots = FindGeneratorSlots(m_command))
        if (m_command == 2019 || m_command == 2020)
            slots->setSampleRate(m_generator.Get(), m_rate);
    DoModal();
    return hr;
}

BOOL CGeneratorDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(m_caption.c_str());
    for (UINT id : {IDS_TIMEUNIT_SECONDS, IDS_TIMEUNIT_MILLISECONDS, IDS_TIMEUNIT_SAMPLES})
        m_unitList.AddString(Text(id).c_str());
    m_unitList.SetCurSel(0);
    MakeBackground();
    LoadLastState();
    LoadLength();
    CreatePropertyPages(m_generator.Get(), m_module);
    if (IsSilence())
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_GENERATOR_PREVIEW), FALSE);
    LayOut();
    if (!IsSilence())
        ShowPage(0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_GENERATOR_HELP), !m_pages.empty());
    CenterWindow(AfxGetMainWnd());
    return TRUE;
}

// The tabs over the page frame, which takes the first page's size; the length row under it
// and the buttons to its right. The silence generator has neither tabs nor page.
void CGeneratorDialog::LayOut()
{
    const RECT frame = ChildRect(m_hWnd, IDC_GENERATOR_PAGE_FRAME);
    const RECT tabs = ChildRect(m_hWnd, IDC_GENERATOR_TABS);
    if (IsSilence() || m_pages.empty()) {
        m_tabs.ShowWindow(SW_HIDE);
        const int dy = -(frame.bottom - tabs.top);
        MoveControls(kLengthRow, std::size(kLengthRow), 0, dy);
        // Shorter by the page, but never cutting the button column.
        const int margin = tabs.top;
        const int bottom = std::max(ChildRect(m_hWnd, IDC_GENERATOR_LENGTH).bottom,
                                    ChildRect(m_hWnd, IDC_GENERATOR_HELP).bottom) + margin;
        RECT window{}, client{};
        GetWindowRect(&window);
        GetClientRect(&client);
        SetWindowPos(nullptr, 0, 0, window.right - window.left, window.bottom - window.top + bottom - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // The strip as wide as its tabs, each tab a little wider than its title.
    int stripWidth = 4, tabHeight = tabs.bottom - tabs.top;
    for (int i = 0, n = m_tabs.GetItemCount(); i < n; ++i) {
        RECT item{};
        m_tabs.GetItemRect(i, &item);
        stripWidth += item.right - item.left;
        tabHeight = std::max<int>(tabHeight, item.bottom - item.top);
    }
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    SIZE page{frame.right - frame.left, frame.bottom - frame.top};
    if (SUCCEEDED(m_pages[0]->GetPageInfo(&info)) && info.size.cx > 0 && info.size.cy > 0)
        page = info.size;
    for (LPOLESTR text : {info.pszTitle, info.pszDocString, info.pszHelpFile})
        ::CoTaskMemFree(text);
    page.cx = std::max<LONG>(page.cx, stripWidth);
    m_tabs.MoveWindow(frame.left, tabs.top, stripWidth, tabHeight, FALSE);
    const int top = tabs.top + tabHeight;
    ::MoveWindow(::GetDlgItem(m_hWnd, IDC_GENERATOR_PAGE_FRAME), frame.left, top, page.cx, page.cy, FALSE);
    const int dx = (frame.left + page.cx) - frame.right;
    const int dy = (top + page.cy) - frame.bottom;
    MoveControls(kLengthRow, std::size(kLengthRow), 0, dy);
    MoveControls(kButtons, std::size(kButtons), dx, 0);
    RECT window{};
    GetWindowRect(&window);
    SetWindowPos(nullptr, 0, 0, window.right - window.left + dx, window.bottom - window.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CGeneratorDialog::MoveControls(const int* ids, size_t count, int dx, int dy)
{
    for (size_t i = 0; i < count; ++i) {
        const RECT r = ChildRect(m_hWnd, ids[i]);
        ::SetWindowPos(::GetDlgItem(m_hWnd, ids[i]), nullptr, r.left + dx, r.top + dy, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CGeneratorDialog::LoadLastState()
{
    // A missing or foreign state leaves the generator at its defaults, silently.
    LoadEffectState(m_generator.Get(), kLastSettingsName);
}

void CGeneratorDialog::SaveLastState()
{
    SaveEffectState(m_generator.Get(), kLastSettingsName);
    const std::string section = SettingsSection();
    const std::string text = GeneratorLengthText(m_unit, GeneratorSamplesToValue(Format(), m_unit, m_length));
    SetSettingString(section.c_str(), "Length", text.c_str());
    SetSettingInt(section.c_str(), "Unit", m_unit);
}

void CGeneratorDialog::LoadLength()
{
    const std::string section = SettingsSection();
    m_unit = GetSettingInt(section.c_str(), "Unit", kUnitSeconds);
    if (m_unit < kUnitSeconds || m_unit > kUnitSamples)
        m_unit = kUnitSeconds;
    if (m_selLength < 2) {
        std::string text;
        GetSettingString(section.c_str(), "Length", "", &text);
        if (!text.empty()) {
            m_length = GeneratorTextToSamples(Format(), m_unit, std::atof(text.c_str()));
        } else {
            m_unit = kUnitSeconds;
            m_length = m_rate;
        }
    } else {
        m_length = m_selLength;
    }
    SetLengthText(m_unit, GeneratorSamplesToValue(Format(), m_unit, m_length));
    m_unitList.SetCurSel(m_unit);
}

int64_t CGeneratorDialog::GetLengthSamples(int unit)
{
    HWND edit = ::GetDlgItem(m_hWnd, IDC_GENERATOR_LENGTH);
    if (!::SendMessageA(edit, EM_GETMODIFY, 0, 0))
        return m_length;
    char text[64] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    return GeneratorTextToSamples(Format(), unit, std::atof(text));
}

void CGeneratorDialog::SetLengthText(int unit, double value)
{
    SetDlgItemText(IDC_GENERATOR_LENGTH, GeneratorLengthText(unit, value).c_str());
}

void CGeneratorDialog::OnSelChangeTab(NMHDR*, LRESULT* result)
{
    ShowPage(m_tabs.GetCurSel());
    *result = 0;
}

void CGeneratorDialog::OnUnitChange()
{
    const int unit = m_unitList.GetCurSel();
    if (unit < 0 || unit == m_unit)
        return;
    // A typed length is taken in the unit it was typed in (the edit has not always lost the
    // focus before the unit changes).
    m_length = GetLengthSamples(m_unit);
    m_unit = unit;
    SetLengthText(unit, GeneratorSamplesToValue(Format(), unit, m_length));
    ::SendMessageA(::GetDlgItem(m_hWnd, IDC_GENERATOR_LENGTH), EM_SETMODIFY, FALSE, 0);
}

void CGeneratorDialog::OnLengthKillFocus()
{
    m_length = GetLengthSamples(m_unit);
    SetLengthText(m_unit, GeneratorSamplesToValue(Format(), m_unit, m_length));
    ::SendMessageA(::GetDlgItem(m_hWnd, IDC_GENERATOR_LENGTH), EM_SETMODIFY, FALSE, 0);
}

void CGeneratorDialog::EnableCommandButtons(BOOL enable)
{
    for (int id : {IDOK, IDCANCEL, IDC_GENERATOR_HELP})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), enable && (id != IDC_GENERATOR_HELP || !m_pages.empty()));
}

void CGeneratorDialog::OnPreview()
{
    if (!CanCreateAudioRenderer()) {
        ErrorText text(GetResourceModule());
        AfxMessageBox(text.GetText(kNoPlaybackDevice), MB_OK);
        return;
    }
    CString caption;
    GetDlgItemText(IDC_GENERATOR_PREVIEW, caption);
    if (!(caption == Text(IDS_PREVIEW).c_str())) {
        // Playing: the press stops it; the wait of the press that started it ends.
        m_worker->StopGraph(FALSE);
        SetDlgItemText(IDC_GENERATOR_PREVIEW, Text(IDS_PREVIEW).c_str());
        EnableCommandButtons(TRUE);
        return;
    }
    m_length = GetLengthSamples(m_unit);
    SetGeneratorLength(m_command, m_generator.Get(), m_length);
    EnableCommandButtons(FALSE);
    SetDlgItemText(IDC_GENERATOR_PREVIEW, Text(IDS_PREVIEW_STOP).c_str());
    m_worker->PostPreview(m_hWnd);
    WaitDispatching(m_worker->doneEvent);
    const HRESULT hr = m_worker->CompleteOnMainThread();
    EnableCommandButtons(TRUE);
    SetDlgItemText(IDC_GENERATOR_PREVIEW, Text(IDS_PREVIEW).c_str());
    // A preview that could not play says why (a stop by the user shows nothing).
    if (FAILED(hr))
        GetEffectProgramHost().ShowErrorBox(hr, nullptr, MB_ICONEXCLAMATION);
}

void CGeneratorDialog::OnOK()
{
    const int64_t lengthBefore = m_document->GetLength();
    m_length = GetLengthSamples(m_unit);
    SetGeneratorLength(m_command, m_generator.Get(), m_length);
    IEffectProgramHost& host = GetEffectProgramHost();
    HWND progress = host.OpenProgressDialog(this);
    EnableWindow(FALSE);
    m_worker->StopGraph(FALSE);
    m_worker->history = m_document->GetHistory();
    m_worker->engine = m_engine.Get();
    m_worker->document = m_document;
    m_worker->PostRender(progress ? progress : m_mainWindow);
    m_worker->SendProgress(1, Text(kIdsProcessing).c_str(), 0, 0, nullptr);
    if (progress)
        ::SetFocus(progress);
    host.WaitForHandle(m_worker->doneEvent);
    // The files go into the document here, on the main thread.
    const HRESULT hr = m_worker->CompleteOnMainThread();
    if (hr == S_OK) {
        m_document->SetModifiedFlag(TRUE);
        if (CNyMultiTrackView* view = dynamic_cast<CNyMultiTrackView*>(m_document->GetMultiTrackView())) {
            if (lengthBefore <= 0)
                view->ZoomToFit(0, 0);
            view->UpdateStatusText();
            view->RecalcLayout();
            view->UpdateScrollBars();
        }
    }
    EnableWindow(TRUE);
    m_worker->SendProgress(SUCCEEDED(hr) ? 4 : 6, nullptr, SUCCEEDED(hr) ? 100 : 0, 0, nullptr);
    host.CloseProgressDialog();
    SaveLastState();
    if (FAILED(hr)) {
        host.ShowErrorBox(hr, Text(kIdsEffect).c_str(), MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}

void CGeneratorDialog::OnCancel()
{
    CDialog::OnCancel();
    if (m_mainWindow)
        ::RedrawWindow(m_mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CGeneratorDialog::OnHelp()
{
    ShowPageHelp(HELP_CONTENTS);
}

void CGeneratorDialog::OnDestroy()
{
    DeactivateCurrentPage();
    CDialog::OnDestroy();
}
