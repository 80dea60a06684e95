#include "NyAnalizeWnd.h"

#include "AnalysisDialogs.h"
#include "AnalysisIds.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyAnalizeFrame.h"
#include "Settings.h"
#include "SkinTables.h"
#include "FrequencyAnalyzer.h"
#include "FrequencyGraphPaint.h"

#include <cstdio>
#include <vector>

namespace {
const int kSkinColorSpectrum = 2;
} // namespace

BEGIN_MESSAGE_MAP(CNyAnalizeWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_CONTEXTMENU()
    ON_WM_SIZE()
    ON_COMMAND(ID_ANALYSIS_AMP_RANGE, OnAmplitudeRange)
    ON_COMMAND_RANGE(ID_ANALYSIS_AXIS_LOG, ID_ANALYSIS_AXIS_LINEAR, OnAxisType)
    ON_UPDATE_COMMAND_UI_RANGE(ID_ANALYSIS_AXIS_LOG, ID_ANALYSIS_AXIS_LINEAR, OnUpdateAxisType)
    ON_COMMAND_RANGE(ID_ANALYSIS_NARROW, ID_ANALYSIS_THIRD_OCTAVE, OnGraphType)
    ON_UPDATE_COMMAND_UI_RANGE(ID_ANALYSIS_NARROW, ID_ANALYSIS_THIRD_OCTAVE, OnUpdateGraphType)
    ON_COMMAND(ID_ANALYSIS_FFT_PARAMETERS, OnFftParameters)
    ON_UPDATE_COMMAND_UI(ID_ANALYSIS_FFT_PARAMETERS, OnUpdateFftParameters)
    ON_COMMAND(ID_ANALYSIS_SAVE_DATA, OnSaveData)
    ON_UPDATE_COMMAND_UI(ID_ANALYSIS_SAVE_DATA, OnUpdateSaveData)
    ON_COMMAND(ID_ANALYSIS_CLOSE, OnClosePane)
    ON_COMMAND(ID_ANALYSIS_REFRESH, OnRefreshCommand)
    ON_UPDATE_COMMAND_UI(ID_ANALYSIS_REFRESH, OnUpdateRefresh)
    ON_CBN_SELCHANGE(IDC_ANALYSIS_CHANNELS, OnChannelChange)
    ON_UPDATE_COMMAND_UI(IDC_ANALYSIS_CHANNELS, OnUpdateRefresh)
    ON_COMMAND_RANGE(ID_ANALYSIS_TRACK_FIRST, ID_ANALYSIS_TRACK_LAST, OnSelectTrack)
END_MESSAGE_MAP()

CNyAnalizeWnd::CNyAnalizeWnd() : m_analyzer(std::make_unique<CSpectrumAnalyzer>())
{
    AnalysisSettings stored;
    stored.ampUpper = GetSettingInt(kSettingsSection, "AnalizeAmpRange", 0);
    stored.ampLower = GetSettingInt(kSettingsSection, "AnalizeAmpRangeLow", -130);
    stored.axisType = GetSettingInt(kSettingsSection, "AnalizeAxis", 2);
    stored.graphType = GetSettingInt(kSettingsSection, "AnalizeViewType", 1);
    stored.fftSize = GetSettingInt(kSettingsSection, "AnalizeTapSize", 128);
    stored.overlap = GetSettingInt(kSettingsSection, "AnalizeOverlapTapSize", 0);
    stored.windowType = GetSettingInt(kSettingsSection, "AnalizeWindowType", 0);
    stored.autoRefresh = GetSettingInt(kSettingsSection, "AnalizeAutoUpdate", 1);
    m_settings = ClampAnalysisSettings(stored);
    CSpectrumAnalyzer& a = *m_analyzer;
    a.SetChannels(1);
    a.SetFftSize(m_settings.fftSize);
    a.SetOverlap(m_settings.overlap);
    a.SetWindow(m_settings.windowType);
    a.SetSampleRate(44100);
    a.SetBytesPerSample(2);
    a.SetSignedBytes(1);
    if (a.Begin() == 1) {
        const std::vector<int16_t> silence(size_t(m_settings.fftSize));
        a.AddSamples(silence.data(), m_settings.fftSize);
        a.Finish();
    }
}

CNyAnalizeWnd::~CNyAnalizeWnd() = default;

BOOL CNyAnalizeWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                           UINT id, void* createParam)
{
    if (!className)
        className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW), nullptr);
    return CWnd::Create(className, windowName, style, rect, parent, id, createParam);
}

CNyAnalizeFrame* CNyAnalizeWnd::GetFrame() const
{
    return m_hWnd ? dynamic_cast<CNyAnalizeFrame*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd))) : nullptr;
}

void CNyAnalizeWnd::SetView(CNyMultiTrackView* view)
{
    if (view == m_view)
        return;
    m_view = view;
    m_track = m_channel = -1;
    InvalidateKey();
    if (!view) {
        if (HWND list = GetFrame() ? GetFrame()->GetChannelList() : nullptr)
            ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    }
    if (m_hWnd)
        Invalidate(FALSE);
}

GraphSettings CNyAnalizeWnd::CurrentGraphSettings() const
{
    return {m_settings.ampUpper, m_settings.ampLower, m_settings.axisType, m_settings.graphType};
}

void CNyAnalizeWnd::SaveSetting(const char* entry, int value)
{
    SetSettingInt(kSettingsSection, entry, value);
}

std::string CNyAnalizeWnd::SelectedEntryText() const
{
    HWND list = GetFrame() ? GetFrame()->GetChannelList() : nullptr;
    const int selected = list ? int(::SendMessageA(list, CB_GETCURSEL, 0, 0)) : -1;
    if (selected < 0)
        return std::string();
    char text[64] = "";
    if (::SendMessageA(list, CB_GETLBTEXTLEN, WPARAM(selected), 0) < LRESULT(sizeof text))
        ::SendMessageA(list, CB_GETLBTEXT, WPARAM(selected), reinterpret_cast<LPARAM>(text));
    return text;
}

int CNyAnalizeWnd::ShownChannel() const
{
    int track = 0, channel = 0;
    return ParseChannelEntry(SelectedEntryText(), &track, &channel) ? channel : 0;
}

// Painting and the mouse -----------------------------------------------------------------------

BOOL CNyAnalizeWnd::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CNyAnalizeWnd::OnSize(UINT, int, int)
{
    Invalidate(FALSE);
}

void CNyAnalizeWnd::OnPaint()
{
    CPaintDC paint(m_hWnd);
    RECT client;
    GetClientRect(&client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;
    HDC memory = ::CreateCompatibleDC(paint.m_hDC);
    HBITMAP bitmap = ::CreateCompatibleBitmap(paint.m_hDC, width, height);
    if (!memory || !bitmap) {
        if (bitmap)
            ::DeleteObject(bitmap);
        if (memory)
            ::DeleteDC(memory);
        return;
    }
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::FillRect(memory, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    RECT edge = client;
    ::DrawEdge(memory, &edge, EDGE_SUNKEN, BF_RECT);
    m_graph.channel = ShownChannel();
    PaintSpectrumGraph(memory, client, *m_analyzer, CurrentGraphSettings(), m_view != nullptr,
                       SkinColorAt(kSkinColorSpectrum), m_graph);
    ::BitBlt(paint.m_hDC, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
}

void CNyAnalizeWnd::OnMouseMove(UINT, CPoint point)
{
    RECT client;
    GetClientRect(&client);
    CClientDC dc(m_hWnd);
    const GraphMetrics metrics = SystemFontMetrics(dc.m_hDC);
    const GraphLayout layout =
        LayoutGraph({client.left, client.top, client.right, client.bottom}, metrics.lineHeight, metrics.charWidth);
    const GraphRect& area = layout.mouseArea;
    if (point.x < area.left || point.x >= area.right || point.y < area.top || point.y >= area.bottom)
        return;
    GraphState state;
    state.plot = layout.plot;
    state.channel = ShownChannel();
    const SpectrumGraph graph(*m_analyzer, CurrentGraphSettings(), state);
    GraphValue value = {};
    if (!graph.ValueAt(point.x, &value))
        return;
    if (value.frequency == m_cursorFrequency && value.level == m_cursorLevel)
        return;
    m_cursorFrequency = value.frequency;
    m_cursorLevel = value.level;
    char text[96];
    std::snprintf(text, sizeof text, "%5.2fHz  %7.2lfdB", value.frequency, value.level);
    if (CNyAnalizeFrame* frame = GetFrame())
        frame->SetStatusText(0, text);
}

void CNyAnalizeWnd::OnContextMenu(CWnd*, CPoint point)
{
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_ANALYSIS_MENU));
    if (!menu)
        return;
    if (point.x == -1 && point.y == -1) {
        point = CPoint(0, 0);
        ClientToScreen(&point);
    }
    CWnd* owner = GetFrame() ? static_cast<CWnd*>(GetFrame()) : this;
    ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, owner->m_hWnd,
                     nullptr);
    ::DestroyMenu(menu);
}

// View commands and dialogs -----------------------------------------------------------------------

void CNyAnalizeWnd::OnAmplitudeRange()
{
    CAnalysisRangeDialog dialog(this);
    dialog.m_upper = m_settings.ampUpper;
    dialog.m_lower = m_settings.ampLower;
    if (dialog.DoModal() != IDOK)
        return;
    m_settings.ampUpper = dialog.m_upper > dialog.m_lower ? dialog.m_upper : dialog.m_lower;
    m_settings.ampLower = dialog.m_upper > dialog.m_lower ? dialog.m_lower : dialog.m_upper;
    SaveSetting("AnalizeAmpRange", m_settings.ampUpper);
    SaveSetting("AnalizeAmpRangeLow", m_settings.ampLower);
    Invalidate(FALSE);
}

void CNyAnalizeWnd::OnAxisType(UINT id)
{
    m_settings.axisType = id == ID_ANALYSIS_AXIS_LOG ? kAxisLog : kAxisLinear;
    SaveSetting("AnalizeAxis", m_settings.axisType);
    Invalidate(FALSE);
}

void CNyAnalizeWnd::OnUpdateAxisType(CCmdUI* cmdUI)
{
    cmdUI->SetCheck(m_settings.axisType == (cmdUI->m_nID == ID_ANALYSIS_AXIS_LOG ? kAxisLog : kAxisLinear));
}

void CNyAnalizeWnd::OnGraphType(UINT id)
{
    m_settings.graphType = int(id - ID_ANALYSIS_NARROW) + kGraphNarrow;
    SaveSetting("AnalizeViewType", m_settings.graphType);
    Invalidate(FALSE);
}

void CNyAnalizeWnd::OnUpdateGraphType(CCmdUI* cmdUI)
{
    cmdUI->SetCheck(m_settings.graphType == int(cmdUI->m_nID - ID_ANALYSIS_NARROW) + kGraphNarrow);
}

void CNyAnalizeWnd::OnFftParameters()
{
    CAnalysisFftDialog dialog(this);
    dialog.m_fftSize = m_settings.fftSize;
    dialog.m_overlap = m_settings.overlap;
    dialog.m_window = m_settings.windowType;
    dialog.m_autoRefresh = m_settings.autoRefresh;
    if (dialog.DoModal() != IDOK)
        return;
    SaveSetting("AnalizeTapSize", dialog.m_fftSize);
    SaveSetting("AnalizeOverlapTapSize", dialog.m_overlap);
    SaveSetting("AnalizeWindowType", dialog.m_window);
    SaveSetting("AnalizeAutoUpdate", dialog.m_autoRefresh);
    const bool changed = dialog.m_fftSize != m_settings.fftSize || dialog.m_overlap != m_settings.overlap ||
                         dialog.m_window != m_settings.windowType;
    m_settings.fftSize = dialog.m_fftSize;
    m_settings.overlap = dialog.m_overlap;
    m_settings.windowType = dialog.m_window;
    m_settings.autoRefresh = dialog.m_autoRefresh;
    if (changed) {
        InvalidateKey();
        m_channel = -1;
        AnalyzeSelection(TRUE);
    }
}

void CNyAnalizeWnd::OnUpdateFftParameters(CCmdUI* cmdUI)
{
    cmdUI->Enable(!m_view || !m_view->IsPlaying());
}

void CNyAnalizeWnd::OnClosePane()
{
    if (CNyAnalizeFrame* frame = GetFrame())
        frame->ShowWindow(SW_HIDE);
}

void CNyAnalizeWnd::OnRefreshCommand()
{
    InvalidateKey();
    AnalyzeSelection(TRUE);
}

void CNyAnalizeWnd::OnUpdateRefresh(CCmdUI* cmdUI)
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    cmdUI->Enable(doc && doc->GetTrackCount() > 0 && m_view->IsTransportIdle() && !m_busy);
}
