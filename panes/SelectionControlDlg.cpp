#include "SelectionControlDlg.h"

#include "ControllerViewLink.h"
#include "MultiTrackDoc.h"
#include "PanesIds.h"
#include "SelectionFieldText.h"
#include "SelectionModel.h"

#include <algorithm>

namespace {

std::string WindowText(HWND hwnd)
{
    char buffer[256] = "";
    ::GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

} // namespace

CSelectionControlDlg::CSelectionControlDlg() : CDialogPane(IDD_SELECTION_CONTROL) {}

BOOL CSelectionControlDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND mode = ::GetDlgItem(m_hWnd, IDC_SELCTRL_MODE);
    for (UINT id = IDS_FIXED_START_END; id <= IDS_FIXED_END_LENGTH; ++id) {
        CString text;
        text.LoadString(id);
        ::SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.GetString()));
    }
    ::SendMessageA(mode, CB_SETCURSEL, 0, 0);
    HWND unit = ::GetDlgItem(m_hWnd, IDC_SELCTRL_UNIT);
    for (UINT id = 10004; id <= 10009; ++id) {
        CString text;
        text.LoadString(id);
        ::SendMessageA(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.GetString()));
    }
    ::SendMessageA(unit, CB_SETCURSEL, 0, 0);
    ApplyModeReadOnly();
    return TRUE;
}

CNyMultiTrackDoc* CSelectionControlDlg::Document() const
{
    return m_view ? m_view->GetDocument() : nullptr;
}

void CSelectionControlDlg::SetView(ControllerViewLink* view)
{
    m_view = view;
    if (m_hWnd)
        UpdateFromSelection();
}

int CSelectionControlDlg::Mode() const
{
    const int mode = int(::SendDlgItemMessageA(m_hWnd, IDC_SELCTRL_MODE, CB_GETCURSEL, 0, 0));
    return mode < 0 ? 0 : mode;
}

void CSelectionControlDlg::ApplyModeReadOnly()
{
    const int readOnly[3] = {IDC_SELCTRL_LENGTH, IDC_SELCTRL_END, IDC_SELCTRL_START};
    const int mode = Mode();
    for (int id : {IDC_SELCTRL_START, IDC_SELCTRL_END, IDC_SELCTRL_LENGTH})
        ::SendDlgItemMessageA(m_hWnd, id, EM_SETREADONLY, id == readOnly[mode], 0);
}

bool CSelectionControlDlg::ReadFormat()
{
    CNyMultiTrackDoc* doc = Document();
    if (!doc || !doc->GetTrackSet())
        return false;
    DWORD rate = 0;
    doc->GetTrackSet()->GetSamplesPerSec(&rate);
    m_rate = rate;
    m_frameRate = doc->GetSettings().frameRate;
    return true;
}

uint32_t CSelectionControlDlg::GetUnitFlags()
{
    CNyMultiTrackDoc* doc = Document();
    const uint32_t word = doc ? doc->GetSettings().rulerUnit : 1;
    if (word == m_lastUnitWord) {
        const int index = int(::SendDlgItemMessageA(m_hWnd, IDC_SELCTRL_UNIT, CB_GETCURSEL, 0, 0));
        return (word & ~0xFFu) | (1u << std::max(index, 0));
    }
    m_lastUnitWord = word;
    return word;
}

int64_t& CSelectionControlDlg::Stored(int id)
{
    return id == IDC_SELCTRL_START ? m_start : id == IDC_SELCTRL_END ? m_end : m_length;
}

void CSelectionControlDlg::SetField(int id, uint32_t unit, int64_t position)
{
    const std::string text = FormatSelectionField(unit, m_rate, m_frameRate, position);
    ::SendDlgItemMessageA(m_hWnd, IDC_SELCTRL_UNIT, CB_SETCURSEL, SelectionUnitIndex(unit), 0);
    HWND edit = ::GetDlgItem(m_hWnd, id);
    if (WindowText(edit) != text)
        ::SetWindowTextA(edit, text.c_str());
    ::SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    Stored(id) = position;
}

void CSelectionControlDlg::UpdateFromSelection()
{
    if (!m_view || !m_hWnd || !::IsWindowVisible(m_hWnd))
        return;
    CNyMultiTrackDoc* doc = Document();
    if (!ReadFormat()) {
        for (int id : {IDC_SELCTRL_START, IDC_SELCTRL_END, IDC_SELCTRL_LENGTH}) {
            if (!WindowText(::GetDlgItem(m_hWnd, id)).empty())
                ::SetDlgItemTextA(m_hWnd, id, "");
            Stored(id) = 0;
        }
        return;
    }
    int64_t start = 0;
    const int64_t length = doc->GetSelection()->GetStartAndLength(&start);
    const uint32_t unit = GetUnitFlags();
    SetField(IDC_SELCTRL_START, unit, start);
    SetField(IDC_SELCTRL_END, unit, start + length);
    SetField(IDC_SELCTRL_LENGTH, unit, length);
}

int64_t CSelectionControlDlg::GetFieldValue(int id)
{
    HWND edit = ::GetDlgItem(m_hWnd, id);
    if (!::SendMessageA(edit, EM_GETMODIFY, 0, 0))
        return Stored(id);
    const uint32_t unit = 1u << std::max(0, int(::SendDlgItemMessageA(m_hWnd, IDC_SELCTRL_UNIT, CB_GETCURSEL, 0, 0)));
    const int64_t value = ParseSelectionField(WindowText(edit).c_str(), unit, m_rate, m_frameRate);
    ::SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    Stored(id) = value;
    if (value >= 0 && unit == 1) {
        // The typed time is shown again in its normal form.
        ::SetWindowTextA(edit, FormatSelectionField(unit, m_rate, m_frameRate, value).c_str());
        ::SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    }
    return value;
}

bool CSelectionControlDlg::FocusInPane() const
{
    const HWND focus = ::GetFocus();
    for (int id : {IDC_SELCTRL_START, IDC_SELCTRL_END, IDC_SELCTRL_LENGTH, IDOK, IDC_SELCTRL_MODE, IDC_SELCTRL_UNIT})
        if (focus && focus == ::GetDlgItem(m_hWnd, id))
            return true;
    return false;
}

void CSelectionControlDlg::ReportField(int id)
{
    if (!FocusInPane())
        return;
    ::MessageBeep(0);
    HWND edit = ::GetDlgItem(m_hWnd, id);
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
}

bool CSelectionControlDlg::CommitField(int id)
{
    (void)id; // every field is read again: the one left and the others
    CNyMultiTrackDoc* doc = Document();
    if (!doc || !doc->GetTrackSet())
        return false;
    const HWND focus = ::GetFocus();
    auto focused = [&](int field) { return focus && focus == ::GetDlgItem(m_hWnd, field); };
    int64_t start = GetFieldValue(IDC_SELCTRL_START);
    int64_t end = GetFieldValue(IDC_SELCTRL_END);
    int64_t length = GetFieldValue(IDC_SELCTRL_LENGTH);
    LONGLONG documentLength = 0;
    doc->GetTrackSet()->GetLength(&documentLength, 0);
    auto inside = [&](int64_t v) { return v >= 0 && v <= documentLength; };
    switch (Mode()) {
    case kStartEnd:
        if (!inside(start)) {
            ReportField(IDC_SELCTRL_START);
            return false;
        }
        if (!inside(end)) {
            ReportField(IDC_SELCTRL_END);
            return false;
        }
        if (start > end) {
            if (focused(IDC_SELCTRL_START) || focused(IDC_SELCTRL_END)) {
                ::SendMessageA(focus, EM_SETMODIFY, TRUE, 0);
                return false;
            }
            std::swap(start, end);
        }
        length = end - start;
        break;
    case kStartLength:
        if (!inside(start)) {
            ReportField(IDC_SELCTRL_START);
            return false;
        }
        if (length < 0 || length > documentLength) {
            ReportField(IDC_SELCTRL_LENGTH);
            return false;
        }
        if (!inside(start + length)) {
            if (focused(IDC_SELCTRL_START) || focused(IDC_SELCTRL_LENGTH)) {
                ::SendMessageA(focus, EM_SETMODIFY, TRUE, 0);
                return false;
            }
            ReportField(IDC_SELCTRL_LENGTH);
            return false;
        }
        end = start + length;
        break;
    default:
        if (!inside(end)) {
            ReportField(IDC_SELCTRL_END);
            return false;
        }
        if (length < 0 || length > documentLength) {
            ReportField(IDC_SELCTRL_LENGTH);
            return false;
        }
        if (!inside(end - length)) {
            if (focused(IDC_SELCTRL_END) || focused(IDC_SELCTRL_LENGTH)) {
                ::SendMessageA(focus, EM_SETMODIFY, TRUE, 0);
                return false;
            }
            ReportField(IDC_SELCTRL_LENGTH);
            return false;
        }
        start = end - length;
        break;
    }
    const uint32_t unit = 1u << std::max(0, int(::SendDlgItemMessageA(m_hWnd, IDC_SELCTRL_UNIT, CB_GETCURSEL, 0, 0)));
    SetField(IDC_SELCTRL_START, unit, start);
    SetField(IDC_SELCTRL_END, unit, end);
    SetField(IDC_SELCTRL_LENGTH, unit, length);
    ApplyFields();
    return true;
}

void CSelectionControlDlg::ApplyFields()
{
    CNyMultiTrackDoc* doc = Document();
    int64_t values[3];
    const int ids[3] = {IDC_SELCTRL_START, IDC_SELCTRL_END, IDC_SELCTRL_LENGTH};
    for (int i = 0; i < 3; ++i) {
        values[i] = GetFieldValue(ids[i]);
        if (values[i] == -1) {
            HWND edit = ::GetDlgItem(m_hWnd, ids[i]);
            ::SendMessageA(edit, EM_SETSEL, 0, -1);
            ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
            ::MessageBeep(0);
            return;
        }
    }
    int64_t currentStart = 0;
    const int64_t currentLength = doc->GetSelection()->GetStartAndLength(&currentStart);
    int64_t start = values[0];
    int64_t end = values[1];
    if (values[2] != currentLength)
        end = std::max<int64_t>(start + values[2], 0);
    if (start == currentStart && end == currentStart + currentLength && values[2] == currentLength)
        return;
    doc->GetSelection()->SetSelection(start, end, FALSE);
    if (m_view)
        m_view->SelectionMoved();
}

void CSelectionControlDlg::OnOK()
{
    const HWND focus = ::GetFocus();
    for (int id : {IDC_SELCTRL_START, IDC_SELCTRL_END, IDC_SELCTRL_LENGTH})
        if (focus == ::GetDlgItem(m_hWnd, id) && ::SendMessageA(focus, EM_GETMODIFY, 0, 0) && ReadFormat())
            CommitField(id);
    if (m_view) {
        m_view->SelectionMoved();
        if (HWND view = m_view->GetViewWindow())
            ::SetFocus(view);
    }
}

void CSelectionControlDlg::OnCancel()
{
    // Escape drops what was typed: the fields show the selection again.
    UpdateFromSelection();
}

BEGIN_MESSAGE_MAP(CSelectionControlDlg, CDialogPane)
    ON_EN_KILLFOCUS(IDC_SELCTRL_START, OnStartKillFocus)
    ON_EN_KILLFOCUS(IDC_SELCTRL_END, OnEndKillFocus)
    ON_EN_KILLFOCUS(IDC_SELCTRL_LENGTH, OnLengthKillFocus)
    ON_CBN_SELCHANGE(IDC_SELCTRL_UNIT, OnUnitChange)
    ON_CBN_SELCHANGE(IDC_SELCTRL_MODE, ApplyModeReadOnly)
END_MESSAGE_MAP()

void CSelectionControlDlg::CommitIfTyped(int id)
{
    if (::SendDlgItemMessageA(m_hWnd, id, EM_GETMODIFY, 0, 0) && ReadFormat())
        CommitField(id);
}

void CSelectionControlDlg::OnStartKillFocus()
{
    CommitIfTyped(IDC_SELCTRL_START);
}

void CSelectionControlDlg::OnEndKillFocus()
{
    CommitIfTyped(IDC_SELCTRL_END);
}

void CSelectionControlDlg::OnLengthKillFocus()
{
    CommitIfTyped(IDC_SELCTRL_LENGTH);
}

void CSelectionControlDlg::OnUnitChange()
{
    m_lastUnitWord = Document() ? Document()->GetSettings().rulerUnit : m_lastUnitWord;
    if (!ReadFormat())
        return;
    const uint32_t unit = 1u << std::max(0, int(::SendDlgItemMessageA(m_hWnd, IDC_SELCTRL_UNIT, CB_GETCURSEL, 0, 0)));
    SetField(IDC_SELCTRL_START, unit, m_start);
    SetField(IDC_SELCTRL_END, unit, m_end);
    SetField(IDC_SELCTRL_LENGTH, unit, m_length);
}

CSelectionControlDlg* CreateSelectionControlPane(CWnd* mainFrame)
{
    return CreateDialogPane<CSelectionControlDlg>(mainFrame, "Selection Control", CRect(0, 0, 320, 160));
}
