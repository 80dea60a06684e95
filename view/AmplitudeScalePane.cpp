#include "AmplitudeScalePane.h"

#include "ChangeMixingParamCommand.h"
#include "ComObject.h"
#include "CommandInterfaces.h"
#include "DrawIds.h"
#include "CursorIds.h"
#include "FontSet.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "RulerCore.h"
#include "SkinTables.h"
#include "TransactionCommand.h"
#include "WaveformPainter.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CAmplitudeScalePane, CBaseWin)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

namespace {

constexpr int kOptionVolumeEnvelopes = 1023;
constexpr int kOptionPanEnvelopes = 1115;
constexpr LONG kParameterVolume = 0, kParameterPan = 1;
constexpr DWORD kTrackReadsEnvelopes = 64;
constexpr DWORD kTrackWritesEnvelopes = 128;

std::string LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text.GetString();
}
} // namespace

CAmplitudeScalePane::~CAmplitudeScalePane() = default;

BOOL CAmplitudeScalePane::Create(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent, id);
}

bool CAmplitudeScalePane::Bind()
{
    if (!m_view && m_hWnd)
        Attach();
    return m_view && m_doc;
}

void CAmplitudeScalePane::Attach()
{
    m_view = dynamic_cast<CNyMultiTrackView*>(CWnd::FromHandle(::GetParent(m_hWnd)));
    m_doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (m_doc)
        SetUnits(m_doc->GetSettings().rulerUnit, 0);
}

void CAmplitudeScalePane::SetUnits(uint32_t units, int signHint)
{
    m_unitWord = units;
    int signedDisplay = signHint < 0 ? 1 : signHint > 0 ? 0 : m_units.signedDisplay;
    m_units = MakeAmplitudeUnits(units, m_doc ? m_doc->GetBitsPerSample() : 16, signedDisplay);
    CalcWidth();
}

void CAmplitudeScalePane::CalcWidth()
{
    std::string sample = "-MMMMM";
    if (m_units.unit == kRulerPercentage)
        sample = "-MMM%";
    else if (m_units.unit == kRulerHexadecimal)
        sample = " " + std::string("MMMMMMMM").substr(0, size_t(m_units.bits / 8 * 2));
    HDC dc = ::GetDC(m_hWnd);
    CFont* font = FontSet::Get(5);
    HGDIOBJ old = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
    RECT r{0, 0, 0, 0};
    ::DrawTextA(dc, sample.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    if (old)
        ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    m_readoutWidth = short(r.right - r.left);
    m_readoutHeight = short(r.bottom - r.top);
}

int CAmplitudeScalePane::GetUnitInfo(int32_t* offset, int64_t* range) const
{
    *offset = m_units.offset;
    *range = m_units.range;
    return m_units.signedDisplay;
}

RECT CAmplitudeScalePane::GetTrackRect(int track)
{
    RECT client{0, 0, 0, 0};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &client);
    RECT t = m_view->GetTrackRect(track);
    return RECT{0, t.top, client.right, t.bottom};
}

void CAmplitudeScalePane::FormatScaleLabel(HDC dc, int row)
{
    if (row < 0 || !Bind() || !m_hWnd)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    RECT c = m_view->GetChannelRect(row, -1);
    if (c.bottom <= client.top || c.top >= client.bottom)
        return;
    int64_t p = m_view->GetPlayPosition() >= 0   ? m_view->GetPlayPosition()
                : m_view->GetEditPosition() >= 0 ? m_view->GetEditPosition()
                                                 : 0;
    int track = m_view->TrackFromRow(row, 0);
    int32_t v = m_view->GetTrackArea().GetSampleValue(row, p);
    int top = c.top + (c.bottom - c.top) / 2 - m_readoutHeight / 2;
    int channels = m_doc->GetTrackChannels(track);
    top += channels == 1 ? 4 : channels == 2 ? -2 : 0;
    RECT box{6, top, 6 + m_readoutWidth, top + m_readoutHeight};
    int64_t start = 0, end = 0;
    m_doc->GetTrackSpan(track, &start, &end);
    std::string text = start <= p && p < end ? FormatAmplitudeReadout(m_units, v) : std::string();

    bool own = dc == nullptr;
    if (own)
        dc = ::GetDC(m_hWnd);
    RECT area{0, 0, box.right - c.left, m_readoutHeight};
    if (area.right > 0 && area.bottom > 0) {
        CDC target(dc);
        CDC* mem = m_readoutBuffer.GetDC();
        if (!mem || m_readoutBufferSize.cx != area.right || m_readoutBufferSize.cy != area.bottom) {
            mem = m_readoutBuffer.Create(&target, area);
            m_readoutBufferSize = mem ? SIZE{area.right, area.bottom} : SIZE{0, 0};
        }
        if (mem) {
            TileSkinImage(mem, kSkinViewRuler2, area);
            CFont* font = FontSet::Get(5);
            HGDIOBJ old = font ? ::SelectObject(mem->m_hDC, font->m_hObject) : nullptr;
            ::SetBkMode(mem->m_hDC, TRANSPARENT);
            RECT textBox{box.left - c.left, 0, area.right, area.bottom};
            ::DrawTextA(mem->m_hDC, text.c_str(), -1, &textBox, DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOPREFIX);
            if (old)
                ::SelectObject(mem->m_hDC, old);
            ::BitBlt(dc, c.left, box.top, area.right, area.bottom, mem->m_hDC, 0, 0, SRCCOPY);
        }
    }
    if (own)
        ::ReleaseDC(m_hWnd, dc);
}

BOOL CAmplitudeScalePane::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CAmplitudeScalePane::OnPaint()
{
    PaintBuffered(m_hWnd, Bind(), [&](HDC dc, const RECT& client) {
        int count = m_doc->GetTrackCount();
        int below = client.top;
        if (count > 0) {
            below = std::max<int>(client.top, m_view->GetVisibleTrackRect(count - 1).bottom);
            int split = GetLabelAreaWidth() - 1;
            FillColour(dc, RECT{client.left, client.top, split, below}, SkinColorAt(14));
            FillColour(dc, RECT{split, client.top, client.right, below}, SkinColorAt(10));
        }
        FillColour(dc, RECT{client.left, below, client.right, client.bottom}, SkinColorAt(17));
        for (int t = std::max(0, m_view->TrackFromRow(m_view->GetFirstVisibleRow(), 0)); t < count; ++t) {
            RECT r = m_view->GetTrackRect(t);
            if (r.bottom < client.top)
                continue;
            if (r.top > client.bottom)
                break;
            DrawTrackScale(dc, t);
        }
        FillColour(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, SkinColorAt(11));
        for (int row = 0; row < m_view->GetRowCount(); ++row)
            FormatScaleLabel(dc, row);
    });
}

void CAmplitudeScalePane::DrawTrackScale(HDC dc, int track)
{
    RECT t = GetTrackRect(track);
    CDC target(dc);
    TileSkinImage(&target, kSkinViewRuler2, t);
    COLORREF mark = SkinColorAt(16);
    for (int c = 0; c < m_doc->GetTrackChannels(track); ++c) {
        RECT k = m_view->GetChannelRect(track, c);
        k.top += 2;
        k.bottom -= 2;
        int h = (k.bottom - k.top - 1) / 2, m = k.top + h, q = (h + 1) / 2;
        for (int y : {m, m - h, m + h})
            FillColour(dc, RECT{t.right - 7, y, t.right + 3, y + 1}, mark);
        for (int y : {m - q, m + q})
            FillColour(dc, RECT{t.right - 5, y, t.right + 5, y + 1}, mark);
    }
    FillColour(dc, RECT{t.right - 1, t.top, t.right, t.bottom}, SkinColorAt(11));
    FillColour(dc, RECT{t.left, t.bottom - 1, t.right, t.bottom}, SkinColorAt(11));
    RECT text{t.left, t.top + 3, t.right - 8, t.bottom};
    CFont* font = FontSet::Get(5);
    HGDIOBJ old = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    if (m_doc->GetViewOption(kOptionVolumeEnvelopes)) {
        ::SetTextColor(dc, SkinColorAt(26));
        ::DrawTextA(dc, "150% ", -1, &text, DT_SINGLELINE | DT_RIGHT | DT_TOP);
        ::DrawTextA(dc, "0% ", -1, &text, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
        RECT unity = text;
        unity.top += (text.bottom - text.top) / 3 - (m_doc->GetTrackChannels(track) == 1 ? 3 : 0);
        ::DrawTextA(dc, "100% ", -1, &unity, DT_SINGLELINE | DT_RIGHT | DT_TOP);
    }
    text.left += 4;
    if (m_doc->GetViewOption(kOptionPanEnvelopes)) {
        ::SetTextColor(dc, SkinColorAt(27));
        ::DrawTextA(dc, "L", -1, &text, DT_SINGLELINE | DT_LEFT | DT_TOP);
        ::DrawTextA(dc, "R", -1, &text, DT_SINGLELINE | DT_LEFT | DT_BOTTOM);
    }
    if (old)
        ::SelectObject(dc, old);
}

void CAmplitudeScalePane::OnMouseMove(UINT, CPoint point)
{
    if (Bind())
        m_view->ShowTrackName(m_view->TrackFromY(point.y, 1));
}

void CAmplitudeScalePane::OnLButtonDown(UINT flags, CPoint point)
{
    if (Bind() && m_view->TrackFromY(point.y, 1) >= 0 && m_view->GetEditMode() == 0 && m_doc->IsViewIdle()) {
        m_view->SetEditPosition(-1);
        POINT inView = point;
        ::MapWindowPoints(m_hWnd, m_view->m_hWnd, &inView, 1);
        m_view->DragTrack(inView.x, point.y);
        m_view->GetTrackArea().SetCaretHidden(0);
        m_view->GetTrackArea().InvalidateCaret(1);
    }
    CBaseWin::OnLButtonDown(flags, point);
}

BOOL CAmplitudeScalePane::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest == HTCLIENT && Bind() && m_doc->IsViewIdle()) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(m_hWnd, &p);
        int track = m_view->TrackFromY(p.y, 1);
        RECT r = track >= 0 ? GetTrackRect(track) : RECT{0, 0, 0, 0};
        HCURSOR hand = ::PtInRect(&r, p) ? ::LoadCursorA(::GetModuleHandleA(nullptr), kCursorHand) : nullptr;
        if (hand) {
            ::SetCursor(hand);
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

void CAmplitudeScalePane::OnLButtonUp(UINT, CPoint)
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

// Live changes -----------------------------------------------------------------------------------

float CAmplitudeScalePane::ReadValue(int track)
{
    float value = m_changeMode == 1 ? 1.0f : 0.0f;
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(m_doc->GetTrack(track));
    if (set)
        set->GetValue(m_changeMode == 1 ? kParameterVolume : kParameterPan, &value);
    return value;
}

std::vector<int> CAmplitudeScalePane::GroupMembers(int track)
{
    std::vector<int> members;
    int group = m_doc->GetTrackGroup(track);
    for (int i = 0; i < m_doc->GetTrackCount(); ++i)
        if (i == track || (group > 0 && m_doc->GetTrackGroup(i) == group))
            members.push_back(i);
    return members;
}

void CAmplitudeScalePane::SnapshotValues()
{
    if (m_changeMode == 0)
        return;
    m_startValues.clear();
    for (int i = 0; i < m_doc->GetTrackCount(); ++i)
        m_startValues.push_back(ReadValue(i));
    m_currentValue = m_startValue = m_startValues[size_t(m_changedTrack)];
    if (m_changeMode == 2) {
        m_lower = -1.0f;
        m_upper = 1.0f;
        return;
    }
    std::vector<float> group;
    for (int i : GroupMembers(m_changedTrack))
        group.push_back(m_startValues[size_t(i)]);
    VolumeBounds b = GroupVolumeBounds(m_startValue, group, m_doc->IsGroupingOn() != 0);
    m_lower = b.lower;
    m_upper = b.upper;
}

bool CAmplitudeScalePane::WritesEnvelope(int track)
{
    return m_doc && m_doc->GetTrackFlag(track, kTrackWritesEnvelopes);
}

int64_t CAmplitudeScalePane::WritePosition()
{
    // Where the sound is now: the view's play position moves only on the play timer's ticks,
    // which a loaded machine delays by some hundred ms.
    const int64_t played = m_view->GetPlayPositionNow();
    return played >= 0 ? played : m_view->GetSelectionEnd();
}

bool CAmplitudeScalePane::BeginEnvelopeEdit(int track, int kind)
{
    auto editor = std::make_unique<CEnvelopeEditor>();
    int64_t start = 0, end = 0;
    m_doc->GetTrackSpan(track, &start, &end);
    editor->Load(m_view, track, kind, start, end);
    editor->SetAnchor(m_view->GetPlayPosition());
    m_liveEditors[kind] = std::move(editor);
    return true;
}

void CAmplitudeScalePane::EndEnvelopeEdit(int track, int kind)
{
    (void)track;
    if (m_liveEditors[kind])
        m_liveEditors[kind]->ClearAnchor();
    m_liveEditors[kind].reset();
}

void CAmplitudeScalePane::FinishEnvelopeWrite(int track)
{
    for (int kind : {0, 1})
        if (m_liveEditors[kind])
            EndEnvelopeEdit(track, kind);
    if (m_restoreFlag && m_doc)
        m_doc->SetTrackFlag(track, kTrackReadsEnvelopes, TRUE);
    m_restoreFlag = 0;
}

void CAmplitudeScalePane::DeleteEnvelopePoint(int track, int kind, int64_t position)
{
    if (!m_transaction || position < 0 || kind < 0 || kind > 4 || !m_liveEditors[kind])
        return;
    (void)track;
    try {
        if (!m_liveEditors[kind]->DeletePassedPoints(position, m_transaction.Get()))
            throw CKvSSException(E_FAIL);
    } catch (const CKvSSException&) {
        throw CKvSSException(E_FAIL);
    }
}

void CAmplitudeScalePane::Begin(int track, int mode, const char* name)
{
    if (!Bind() || track < 0 || track >= m_doc->GetTrackCount())
        return;
    m_changedTrack = track;
    m_changeMode = mode;
    SnapshotValues();
    m_restoreFlag = 0;
    std::string written;
    if (WritesEnvelope(track)) {
        // Playback reads the track's parameter, not its envelope, while the gesture writes.
        BeginEnvelopeEdit(track, mode == 1 ? 0 : 1);
        m_restoreFlag = m_doc->GetTrackFlag(track, kTrackReadsEnvelopes) ? 1 : 0;
        if (m_restoreFlag)
            m_doc->SetTrackFlag(track, kTrackReadsEnvelopes, FALSE);
        written = LoadText(IDS_LIVE_ENVELOPE);
        name = written.c_str();
    }
    if (!m_transaction) {
        ComRef<IEditCommand> group(ComObject<IEditCommand>::Create<TransactionCommand>(name));
        m_transaction = QueryCom<ICommandList>(group.Get());
        m_idleAtStart = m_view->IsTransportIdle() ? 1 : 0;
        m_holdPosition = m_view->GetPlayPositionNow() - 1;
        m_holdValues.assign(size_t(m_doc->GetTrackCount()), 0.0f);
        m_held.assign(m_holdValues.size(), 0);
        for (size_t i = 0; m_holdPosition >= 0 && i < m_holdValues.size(); ++i) {
            try {
                m_holdValues[i] = m_doc->GetTrackLevel(int(i), mode == 1 ? 0 : 1, m_holdPosition);
            } catch (const CKvSSException&) {
                m_held[i] = 1; // nothing to hold
            }
        }
    }
    m_view->GetTrackArea().SetCaretHidden(1);
}

void CAmplitudeScalePane::BeginVolumeChange(int track, int* lower, int* upper)
{
    Begin(track, 1, LoadText(IDS_LIVE_VOLUME).c_str());
    if (lower)
        *lower = int(m_lower * 10000);
    if (upper)
        *upper = int(m_upper * 10000);
}

void CAmplitudeScalePane::BeginPanChange(int track)
{
    Begin(track, 2, LoadText(IDS_LIVE_PAN).c_str());
}

void CAmplitudeScalePane::Apply(int track, float value)
{
    ComRef<IEditCommand> step(ComObject<IEditCommand>::Create<TransactionCommand>("step"));
    ComRef<ICommandList> list = QueryCom<ICommandList>(step.Get());
    if (!list)
        throw CKvSSException(E_OUTOFMEMORY);
    LONG parameter = m_changeMode == 1 ? kParameterVolume : kParameterPan;
    float old = track < int(m_startValues.size()) ? m_startValues[size_t(track)] : m_startValue;
    ComRef<IEditCommand> change(ComObject<IEditCommand>::Create<ChangeMixingParamCommand>(
        m_changeMode == 1 ? "Volume" : "Pan", m_doc, track, parameter, value, old));
    if (!change)
        throw CKvSSException(E_OUTOFMEMORY);
    ThrowIfFailed(change->Do());
    ThrowIfFailed(list->Add(change.Get()));
    if (WritesEnvelope(track)) {
        CEnvelopeEditor editor;
        int64_t start = 0, end = 0;
        m_doc->GetTrackSpan(track, &start, &end);
        editor.Load(m_view, track, m_changeMode == 1 ? 0 : 1, start, end);
        HoldLevelBeforeGesture(track, editor, list.Get());
        ComRef<IEditCommand> inserted;
        // A position outside the track writes no point.
        if (editor.InsertPoint(WritePosition(), value, inserted.Out()) && inserted)
            ThrowIfFailed(list->Add(inserted.Get()));
    }
    if (m_transaction)
        ThrowIfFailed(m_transaction->Add(step.Get()));
    if (m_doc->GetViewOption(m_changeMode == 1 ? kOptionVolumeEnvelopes : kOptionPanEnvelopes))
        m_view->InvalidateTrackArea(m_view->GetTrackWaveRect(track));
}

void CAmplitudeScalePane::HoldLevelBeforeGesture(int track, CEnvelopeEditor& editor, ICommandList* step)
{
    // Without it the first written point would also set the level of everything before it.
    if (m_holdPosition < 0 || track < 0 || size_t(track) >= m_held.size() || m_held[size_t(track)])
        return;
    m_held[size_t(track)] = 1;
    ComRef<IEditCommand> held;
    if (editor.InsertPoint(m_holdPosition, m_holdValues[size_t(track)], held.Out()) && held)
        ThrowIfFailed(step->Add(held.Get()));
}

void CAmplitudeScalePane::ApplyToGroup()
{
    if (m_changeMode != 1 || !m_doc->IsGroupingOn())
        return;
    for (int i : GroupMembers(m_changedTrack))
        if (i != m_changedTrack)
            Apply(i, m_currentValue - m_startValue + m_startValues[size_t(i)]);
}

int CAmplitudeScalePane::SetLiveValue(int mode, int track, float value)
{
    if (m_changeMode != mode || track != m_changedTrack)
        return 0;
    UINT count = 0;
    // The gesture keeps only the commands of its latest step, each from the start values;
    // one that writes the envelope keeps every point it wrote.
    if (!WritesEnvelope(track) && m_transaction && SUCCEEDED(m_transaction->GetCount(&count)) && count)
        m_transaction->Clear();
    m_currentValue = value;
    Apply(track, value);
    ApplyToGroup();
    return 1;
}

int CAmplitudeScalePane::SetTrackVolume(int track, float value)
{
    return SetLiveValue(1, track, value);
}

int CAmplitudeScalePane::SetTrackPan(int track, float value)
{
    return SetLiveValue(2, track, value);
}

void CAmplitudeScalePane::CancelLiveChange()
{
    if (m_changeMode == 0)
        return;
    // Undo what the gesture did and record nothing of it.
    if (m_transaction) {
        ComRef<IEditCommand> done = QueryCom<IEditCommand>(m_transaction.Get());
        if (done)
            done->Undo();
        m_transaction.Reset();
    }
    m_currentValue = m_startValue;
    m_changeMode = 0;
    FinishEnvelopeWrite(m_changedTrack);
    if (Bind())
        m_view->InvalidateTrackArea(m_view->GetTrackWaveRect(m_changedTrack));
}

void CAmplitudeScalePane::End(int track)
{
    if (m_transaction) {
        UINT count = 0;
        ComRef<ICommandList> list = std::move(m_transaction);
        ComRef<IEditCommand> done = QueryCom<IEditCommand>(list.Get());
        if (SUCCEEDED(list->GetCount(&count)) && count && done && m_doc->GetHistory())
            ThrowIfFailed(m_doc->GetHistory()->Add(done.Get(), TRUE));
    }
    m_changeMode = 0;
    FinishEnvelopeWrite(track);
    if (Bind())
        m_view->GetTrackArea().InvalidateCaret(1);
}

void CAmplitudeScalePane::EndVolumeChange(int track)
{
    bool changed = m_changeMode == 1;
    End(track);
    if (changed && m_doc)
        m_doc->SetModifiedFlag(TRUE);
}

void CAmplitudeScalePane::EndPanChange(int track)
{
    End(track);
}
