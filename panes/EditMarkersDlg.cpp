#include "EditMarkersDlg.h"

#include "DocumentHost.h"
#include "HelpLauncher.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "PanesIds.h"
#include "PositionText.h"
#include "SelectionModel.h"
#include "TimeUnitCombo.h"
#include "TracksStopMessage.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int64_t kPositionLimit = int64_t(1) << 32;
// "NyTracksStop", read by the message map when a message arrives.
const UINT g_tracksStop = RegisterTracksStopMessage();

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

CEditMarkersDlg::CEditMarkersDlg(CWnd* parent) : CDialog(IDD_EDIT_MARKERS, parent) {}

CEditMarkersDlg::~CEditMarkersDlg()
{
    m_player.Reset();
}

bool CEditMarkersDlg::HasEnd() const
{
    const int32_t kind = record.kind & 0xFF;
    return kind == kLabelSection || kind == kLabelLoop;
}

BOOL CEditMarkersDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (document && document->GetTrackSet())
        document->GetTrackSet()->GetShuttleStart(&m_savedEngineValue);
    char name[sizeof record.name + 1] = "";
    std::memcpy(name, record.name, sizeof record.name);
    ::SetDlgItemTextA(m_hWnd, IDC_EDITMARK_NAME, Trimmed(name).c_str());
    ::SendDlgItemMessageA(m_hWnd, IDC_EDITMARK_NAME, EM_LIMITTEXT, kPaneNameLimit, 0);
    std::string track;
    if (record.trackId == -1) {
        CString all;
        if (!all.LoadString(IDS_ALL_TRACKS))
            all = "All";
        track = std::string(" ") + all.GetString();
    } else {
        const int index = document ? document->GetTrackIndex(record.trackId) : record.trackId;
        track = " " + std::to_string(index + 1);
    }
    ::SetDlgItemTextA(m_hWnd, IDC_EDITMARK_TRACK, track.c_str());
    HWND pair = ::GetDlgItem(m_hWnd, IDC_EDITMARK_PAIR);
    for (UINT id = IDS_FIXED_START_END; id <= IDS_FIXED_END_LENGTH; ++id) {
        CString text;
        text.LoadString(id);
        ::SendMessageA(pair, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.GetString()));
    }
    ::SendMessageA(pair, CB_SETCURSEL, 0, 0);
    ShowFields();
    ApplyMode();
    FillTimeUnitCombo(::GetDlgItem(m_hWnd, IDC_TIME_UNIT), unit);
    return TRUE;
}

void CEditMarkersDlg::ShowFields()
{
    auto show = [&](int id, int64_t position) {
        ::SetDlgItemTextA(m_hWnd, id, FormatPosition(sampleRate, unit, frameRate, position).c_str());
        ::SendDlgItemMessageA(m_hWnd, id, EM_SETMODIFY, FALSE, 0);
    };
    show(IDC_EDITMARK_START, record.start);
    if (HasEnd()) {
        show(IDC_EDITMARK_END, record.end);
        show(IDC_EDITMARK_LENGTH, record.end - record.start);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EDITMARK_PAIR), TRUE);
        if (IsLoop())
            ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EDITMARK_NAME), FALSE);
    } else {
        for (int id : {IDC_EDITMARK_END, IDC_EDITMARK_LENGTH, IDC_EDITMARK_PAIR})
            ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);
    }
}

int CEditMarkersDlg::Mode() const
{
    const int mode = int(::SendDlgItemMessageA(m_hWnd, IDC_EDITMARK_PAIR, CB_GETCURSEL, 0, 0));
    return mode < 0 ? 0 : mode;
}

void CEditMarkersDlg::SetMode(int mode)
{
    ::SendDlgItemMessageA(m_hWnd, IDC_EDITMARK_PAIR, CB_SETCURSEL, mode, 0);
    ApplyMode();
}

void CEditMarkersDlg::ApplyMode()
{
    const int mode = Mode();
    const bool start = mode != kEndLength;
    const bool end = mode == kStartEnd ? HasEnd() : mode == kEndLength;
    const bool length = mode != kStartEnd;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EDITMARK_START), start);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EDITMARK_END), end && HasEnd());
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EDITMARK_LENGTH), length && HasEnd());
}

bool CEditMarkersDlg::FocusIsOn(int id) const
{
    const HWND focus = ::GetFocus();
    return focus && focus == ::GetDlgItem(m_hWnd, id);
}

bool CEditMarkersDlg::FocusInDialog() const
{
    const HWND focus = ::GetFocus();
    return focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus));
}

bool CEditMarkersDlg::Reject(int id, bool beep)
{
    if (beep)
        ::MessageBeep(0);
    if (FocusInDialog())
        ::SetFocus(::GetDlgItem(m_hWnd, id));
    return false;
}

bool CEditMarkersDlg::Fail(int id)
{
    ::SendDlgItemMessageA(m_hWnd, id, EM_SETMODIFY, TRUE, 0);
    return Reject(id, true);
}

int64_t CEditMarkersDlg::ReadField(int id, int64_t current)
{
    return UpdatePositionEdit(::GetDlgItem(m_hWnd, id), sampleRate, unit, frameRate, current);
}

bool CEditMarkersDlg::TestField(int id)
{
    const int64_t stored = id == IDC_EDITMARK_START ? record.start
                           : id == IDC_EDITMARK_END ? record.end
                                                    : record.end - record.start;
    if (FocusIsOn(IDCANCEL) || FocusIsOn(IDC_PANE_HELP)) {
        ::SetDlgItemTextA(m_hWnd, id, FormatPosition(sampleRate, unit, frameRate, stored).c_str());
        ::SendDlgItemMessageA(m_hWnd, id, EM_SETMODIFY, FALSE, 0);
        return true;
    }
    const bool modified = ::SendDlgItemMessageA(m_hWnd, id, EM_GETMODIFY, 0, 0) != 0;
    const int64_t value = ReadField(id, stored);
    if (value == -1)
        return Reject(id, true);
    if (!modified && value == stored)
        return true;

    if (!HasEnd()) {
        if (id != IDC_EDITMARK_START)
            return true;
        if (value >= kPositionLimit)
            return Reject(id, true);
        record.start = record.end = value;
        ShowFields();
        // The change is taken; OK closes on the next press.
        return false;
    }

    int64_t start = -1, end = -1, length = -1;
    const int64_t fieldStart = ReadField(IDC_EDITMARK_START, record.start);
    const int64_t fieldEnd = ReadField(IDC_EDITMARK_END, record.end);
    const int64_t fieldLength = ReadField(IDC_EDITMARK_LENGTH, record.end - record.start);
    auto valid = [](int64_t v) { return v >= 0 && v < kPositionLimit; };
    switch (Mode()) {
    case kStartEnd:
        if (!valid(fieldStart))
            return Fail(IDC_EDITMARK_START);
        if (!valid(fieldEnd))
            return Fail(IDC_EDITMARK_END);
        start = fieldStart;
        end = fieldEnd;
        if (start > end) {
            if (FocusIsOn(IDC_EDITMARK_START) || FocusIsOn(IDC_EDITMARK_END)) {
                ::SendMessageA(::GetFocus(), EM_SETMODIFY, TRUE, 0);
                return false;
            }
            std::swap(start, end);
        }
        if (end - start == 0)
            return Fail(id);
        break;
    case kStartLength:
        if (!valid(fieldStart))
            return Fail(IDC_EDITMARK_START);
        if (!valid(fieldLength) || fieldLength <= 0)
            return Fail(IDC_EDITMARK_LENGTH);
        if (fieldStart + fieldLength >= kPositionLimit) {
            if (FocusIsOn(IDC_EDITMARK_START) || FocusIsOn(IDC_EDITMARK_LENGTH)) {
                ::SendMessageA(::GetFocus(), EM_SETMODIFY, TRUE, 0);
                return false;
            }
            return Fail(IDC_EDITMARK_LENGTH);
        }
        start = fieldStart;
        length = fieldLength;
        break;
    default:
        if (!valid(fieldEnd))
            return Fail(IDC_EDITMARK_END);
        if (!valid(fieldLength) || fieldLength <= 0)
            return Fail(IDC_EDITMARK_LENGTH);
        if (fieldEnd - fieldLength < 0) {
            if (FocusIsOn(IDC_EDITMARK_END) || FocusIsOn(IDC_EDITMARK_LENGTH)) {
                ::SendMessageA(::GetFocus(), EM_SETMODIFY, TRUE, 0);
                return false;
            }
            return Fail(IDC_EDITMARK_LENGTH);
        }
        end = fieldEnd;
        length = fieldLength;
        break;
    }
    if (!ResolveRange(start, end, length) && start < 0)
        return Reject(id, true);
    if (start < 0 || end < 0 || end <= start)
        return Fail(id);
    record.start = start;
    record.end = end;
    ShowFields();
    return true;
}

void CEditMarkersDlg::OnOK()
{
    ::SetFocus(::GetDlgItem(m_hWnd, IDOK));
    for (int id : {IDC_EDITMARK_START, IDC_EDITMARK_END, IDC_EDITMARK_LENGTH})
        if (::IsWindowEnabled(::GetDlgItem(m_hWnd, id)) && !TestField(id))
            return;
    char name[kPaneNameLimit + 1] = "";
    ::GetDlgItemTextA(m_hWnd, IDC_EDITMARK_NAME, name, sizeof name);
    const std::string trimmed = Trimmed(name);
    if (trimmed.empty()) {
        CString text;
        if (!text.LoadString(IDS_NAME_MISSING))
            text = "Name has not been entered.";
        ::MessageBoxA(m_hWnd, text.GetString(), nullptr, MB_OK);
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_EDITMARK_NAME));
        return;
    }
    std::memset(record.name, 0, sizeof record.name);
    std::strncpy(record.name, trimmed.c_str(), kPaneNameLimit);
    StopPreview(true);
    CDialog::OnOK();
}

void CEditMarkersDlg::OnCancel()
{
    StopPreview(true);
    CDialog::OnCancel();
}

void CEditMarkersDlg::RestoreDocumentSelection()
{
    if (!document || !document->GetSelection())
        return;
    CSelectionModel* selection = document->GetSelection();
    int64_t start = 0, end = 0;
    selection->GetSelection(&start, &end);
    try {
        selection->SendRangeToEngine(start, end);
        for (int i = 0; i < document->GetTrackCount(); ++i)
            selection->SendTrackSelectionToEngine(i);
    } catch (...) {
    }
}

void CEditMarkersDlg::EndOfPlayback()
{
    if (!m_previewing)
        return;
    if (m_player)
        m_player->Stop();
    m_player.Reset();
    m_previewing = 0;
    RestoreDocumentSelection();
    CString caption;
    if (!caption.LoadString(IDS_PREVIEW))
        caption = "&Preview";
    ::SetDlgItemTextA(m_hWnd, IDC_EDITMARK_PREVIEW, caption.GetString());
}

void CEditMarkersDlg::StopPreview(bool forGood)
{
    EndOfPlayback();
    if (forGood && document && document->GetTrackSet())
        document->GetTrackSet()->SetShuttleStart(m_savedEngineValue);
}

HRESULT CEditMarkersDlg::GetPreviewPosition(int64_t* position)
{
    ComRef<IMtPlayPosition> player;
    if (!m_player || FAILED(m_player->QueryInterface(__uuidof(IMtPlayPosition), player.OutVoid())))
        return E_POINTER;
    LONGLONG at = 0;
    const HRESULT hr = player->GetPosition(&at);
    *position = at;
    return hr;
}

void CEditMarkersDlg::TogglePreview()
{
    for (int id : {IDC_EDITMARK_START, IDC_EDITMARK_END, IDC_EDITMARK_LENGTH})
        if (::IsWindowEnabled(::GetDlgItem(m_hWnd, id)) && !TestField(id))
            return;
    IMtTrackSet* engine = document ? document->GetTrackSet() : nullptr;
    if (!engine)
        return;
    auto failed = [&](HRESULT hr) {
        if (FAILED(hr))
            GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION);
        return FAILED(hr);
    };
    if (failed(engine->SetShuttleStart(1)))
        return;
    if (m_previewing) {
        EndOfPlayback();
        return;
    }
    LONGLONG dataEnd = 0;
    LONG trackIndex = -1;
    if (record.trackId == -1) {
        if (failed(engine->GetLength(&dataEnd, 0)))
            return;
    } else {
        ComRef<IMtTrack> track;
        if (failed(engine->GetTrackById(record.trackId, track.Out())) ||
            failed(engine->TrackIdToIndex(record.trackId, &trackIndex)))
            return;
        LONGLONG start = 0, length = 0;
        if (failed(track->GetStartOffset(&start)) || failed(track->GetLength(&length)))
            return;
        dataEnd = start + length;
    }
    if (record.start >= dataEnd)
        return;
    ComRef<IMtSelection> range;
    if (failed(engine->QueryInterface(__uuidof(IMtSelection), range.OutVoid())))
        return;
    // Only the label's tracks: the marks of the document's selection are put back when the
    // preview ends.
    if (failed(range->SetAllTracks(record.trackId == -1 ? 1 : 0)))
        return;
    if (record.trackId != -1 && failed(range->SelectTrack(trackIndex, 1)))
        return;
    if (failed(range->SetRange(record.start, HasEnd() ? record.end : record.start)))
        return;
    HRESULT hr = MtEngine::StartPlayer(engine, m_hWnd, g_tracksStop, m_player);
    if (failed(hr)) {
        m_player.Reset();
        RestoreDocumentSelection();
        return;
    }
    m_previewing = 1;
    CString caption;
    if (!caption.LoadString(IDS_PREVIEW_STOP))
        caption = "Sto&p";
    ::SetDlgItemTextA(m_hWnd, IDC_EDITMARK_PREVIEW, caption.GetString());
}

BEGIN_MESSAGE_MAP(CEditMarkersDlg, CDialog)
    ON_EN_KILLFOCUS(IDC_EDITMARK_START, OnStartKillFocus)
    ON_EN_KILLFOCUS(IDC_EDITMARK_END, OnEndKillFocus)
    ON_EN_KILLFOCUS(IDC_EDITMARK_LENGTH, OnLengthKillFocus)
    ON_CBN_SELCHANGE(IDC_TIME_UNIT, OnUnitChange)
    ON_CBN_SELCHANGE(IDC_EDITMARK_PAIR, ApplyMode)
    ON_BN_CLICKED(IDC_EDITMARK_PREVIEW, TogglePreview)
    ON_BN_CLICKED(IDC_PANE_HELP, OnHelp)
    ON_WM_DESTROY()
    ON_REGISTERED_MESSAGE(g_tracksStop, OnTracksStop)
END_MESSAGE_MAP()

void CEditMarkersDlg::OnStartKillFocus()
{
    TestField(IDC_EDITMARK_START);
}

void CEditMarkersDlg::OnEndKillFocus()
{
    TestField(IDC_EDITMARK_END);
}

void CEditMarkersDlg::OnLengthKillFocus()
{
    TestField(IDC_EDITMARK_LENGTH);
}

void CEditMarkersDlg::OnUnitChange()
{
    if (const uint32_t chosen = GetSelectedTimeUnit(::GetDlgItem(m_hWnd, IDC_TIME_UNIT))) {
        unit = chosen;
        ShowFields();
        ApplyMode();
    }
}

void CEditMarkersDlg::OnHelp()
{
    HelpLauncher help;
    if (!help.ShowTopic(301, reinterpret_cast<DWORD_PTR>(m_hWnd)))
        help.ShowTopic(300, reinterpret_cast<DWORD_PTR>(m_hWnd));
}

void CEditMarkersDlg::OnDestroy()
{
    StopPreview(true);
    Default();
}

LRESULT CEditMarkersDlg::OnTracksStop(WPARAM, LPARAM)
{
    EndOfPlayback();
    return 0;
}
