#include "TrackPropertiesDialog.h"

#include "ComObject.h"
#include "CommandInterfaces.h"
#include "LabelRecord.h"
#include "LevelConversion.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "PositionText.h"
#include "SelectionModel.h"
#include "ViewCore.h"
#include "ViewHost.h"
#include "DocCommandIds.h"
#include "ViewIds.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
std::string LoadText(UINT id)
{
    char text[512] = "";
    ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

std::string Trim(std::string s)
{
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

std::string Hundredths(int value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%5.2f", value * 0.01);
    return Trim(text);
}
} // namespace

int32_t ParseHundredthsText(const char* text)
{
    double v = std::atof(text) * 100.0;
    return int32_t(v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5));
}

BEGIN_MESSAGE_MAP(CTrackPropertiesDialog, CDialog)
    ON_CBN_SELCHANGE(IDC_TP_OFFSET_UNIT, OnSelChangeOffsetUnit)
    ON_NOTIFY(UDN_DELTAPOS, IDC_TP_VOLUME_SPIN, OnVolumeSpin)
    ON_NOTIFY(UDN_DELTAPOS, IDC_TP_PAN_SPIN, OnPanSpin)
    ON_EN_KILLFOCUS(IDC_TP_VOLUME, OnVolumeKillFocus)
    ON_EN_KILLFOCUS(IDC_TP_PAN, OnPanKillFocus)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTrackPropertiesDialog::CTrackPropertiesDialog(CWnd* parent) : CDialog(IDD_TRACK_PROPERTIES, parent) {}

CTrackPropertiesDialog::~CTrackPropertiesDialog() = default;

BOOL CTrackPropertiesDialog::CreateModeless(CWnd* parent)
{
    return Create(IDD_TRACK_PROPERTIES, parent);
}

CNyMultiTrackDoc* CTrackPropertiesDialog::Doc() const
{
    return m_view ? m_view->GetMultiTrackDoc() : nullptr;
}

std::string CTrackPropertiesDialog::ItemText(int id) const
{
    char text[512] = "";
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return text;
}

BOOL CTrackPropertiesDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CNyMultiTrackDoc* doc = Doc();
    if (doc)
        m_property =
            ComRef<ChangePropertyCommand>(ComObject<IEditCommand>::Create<ChangePropertyCommand>(nullptr, doc));
    if (!m_property || m_track < 0 || size_t(m_track) >= m_property->newTracks.size()) {
        // Nothing thrown leaves the dialog procedure: the opener sees IDABORT.
        EndDialog(IDABORT);
        return FALSE;
    }
    m_rate = doc->GetSamplesPerSec();
    char title[128];
    std::snprintf(title, sizeof title, LoadText(IDS_VIEW_TRACK_PROPERTIES_TITLE).c_str(), m_track + 1);
    ::SetWindowTextA(m_hWnd, title);
    ::SendDlgItemMessageA(m_hWnd, IDC_TP_VOLUME_SPIN, UDM_SETRANGE32, WPARAM(-8000), 352);
    ::SendDlgItemMessageA(m_hWnd, IDC_TP_PAN_SPIN, UDM_SETRANGE32, WPARAM(-10000), 10000);
    const struct {
        UINT text;
        uint32_t unit;
    } units[] = {{10005, 2}, {10006, 4}, {10007, 8}};
    uint32_t docUnit = doc->GetSettings().rulerUnit & 0xFF;
    m_unit = docUnit == 4 || docUnit == 8 ? docUnit : 2;
    HWND combo = ::GetDlgItem(m_hWnd, IDC_TP_OFFSET_UNIT);
    for (const auto& u : units) {
        LRESULT i = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(u.text).c_str()));
        ::SendMessageA(combo, CB_SETITEMDATA, WPARAM(i), u.unit);
        if (u.unit == m_unit)
            ::SendMessageA(combo, CB_SETCURSEL, WPARAM(i), 0);
    }
    FillFields();
    return TRUE;
}

std::string CTrackPropertiesDialog::FormatOffset(int64_t position) const
{
    return FormatPosition(m_rate, m_unit, 0.0, position);
}

void CTrackPropertiesDialog::SetHundredths(int edit, int spin, int value)
{
    ::SendDlgItemMessageA(m_hWnd, spin, UDM_SETPOS32, 0, value);
    ::SetDlgItemTextA(m_hWnd, edit, Hundredths(value).c_str());
}

void CTrackPropertiesDialog::FillFields()
{
    CNyMultiTrackDoc* doc = Doc();
    std::string path = doc->GetPathText();
    size_t slash = path.find_last_of("\\/");
    std::string undecided = LoadText(IDS_VIEW_UNDECIDED);
    ::SetDlgItemTextA(m_hWnd, IDC_TP_FILENAME,
                      path.empty() ? undecided.c_str()
                                   : path.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_TP_FOLDER,
                      path.empty() ? undecided.c_str()
                                   : path.substr(0, slash == std::string::npos ? 0 : slash + 1).c_str());
    const FileInfoRecord& info = doc->GetFileInfo();
    ::SetDlgItemTextA(m_hWnd, IDC_TP_FORMAT, std::string(info.formatName, strnlen(info.formatName, 128)).c_str());
    std::string attributes(info.description, strnlen(info.description, sizeof info.description));
    WORD channels = 2;
    if (IMtTrackSet* set = doc->GetTrackSet())
        set->GetRecordChannels(&channels);
    std::string word = LoadText(channels == 1 ? IDS_VIEW_MONO : channels == 2 ? IDS_VIEW_STEREO : IDS_VIEW_CHANNELS);
    size_t at = attributes.find(word);
    if (!word.empty() && at != std::string::npos) {
        if (at > 0 && (attributes[at - 1] == ' ' || attributes[at - 1] == ','))
            --at;
        attributes.resize(at);
    }
    ::SetDlgItemTextA(m_hWnd, IDC_TP_ATTRIBUTES, attributes.c_str());
    ::SetDlgItemInt(m_hWnd, IDC_TP_CHANNELS, doc->GetTrackChannels(m_track), FALSE);
    double seconds = m_rate ? double(doc->GetLength()) / m_rate : 0.0;
    ::SetDlgItemTextA(m_hWnd, IDC_TP_LENGTH, FormatLengthText(seconds).c_str());
    TrackPropertyRecord& entry = Entry();
    std::string label(entry.label.name, strnlen(entry.label.name, sizeof entry.label.name));
    label.erase(label.find_last_not_of(' ') + 1);
    ::SetDlgItemTextA(m_hWnd, IDC_TP_LABEL, label.c_str());
    int64_t length = doc->GetTrackExtent(m_track, 0);
    ::SetDlgItemTextA(m_hWnd, IDC_TP_SAMPLES, std::to_string(length).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_TP_OFFSET, FormatOffset(entry.startOffset).c_str());
    ::SendDlgItemMessageA(m_hWnd, IDC_TP_OFFSET, EM_SETREADONLY, length == 0, 0);
    SetHundredths(IDC_TP_PAN, IDC_TP_PAN_SPIN, entry.pan);
    SetHundredths(IDC_TP_VOLUME, IDC_TP_VOLUME_SPIN, LevelToMillibel(entry.level));
}

void CTrackPropertiesDialog::OnSelChangeOffsetUnit()
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_TP_OFFSET_UNIT);
    LRESULT i = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (i >= 0)
        m_unit = uint32_t(::SendMessageA(combo, CB_GETITEMDATA, WPARAM(i), 0));
    FillFields();
}

void CTrackPropertiesDialog::Spin(NMHDR* header, LRESULT* result, int edit, int low, int high)
{
    auto* change = reinterpret_cast<NMUPDOWN*>(header);
    int value = std::max(low, std::min(high, change->iPos + change->iDelta));
    SetHundredths(edit, int(header->idFrom), value);
    *result = 1;
}

void CTrackPropertiesDialog::OnVolumeSpin(NMHDR* header, LRESULT* result)
{
    Spin(header, result, IDC_TP_VOLUME, -8000, 352);
}

void CTrackPropertiesDialog::OnPanSpin(NMHDR* header, LRESULT* result)
{
    Spin(header, result, IDC_TP_PAN, -10000, 10000);
}

void CTrackPropertiesDialog::OnVolumeKillFocus()
{
    ::SendDlgItemMessageA(m_hWnd, IDC_TP_VOLUME_SPIN, UDM_SETPOS32, 0,
                          ParseHundredthsText(ItemText(IDC_TP_VOLUME).c_str()));
}

void CTrackPropertiesDialog::OnPanKillFocus()
{
    ::SendDlgItemMessageA(m_hWnd, IDC_TP_PAN_SPIN, UDM_SETPOS32, 0, ParseHundredthsText(ItemText(IDC_TP_PAN).c_str()));
}

void CTrackPropertiesDialog::OnOK()
{
    TrackPropertyRecord& entry = Entry();
    int errorField = 0;
    bool changed = false;
    char label[256] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_TP_LABEL, label, 256);
    if (std::memcmp(label, entry.label.name, sizeof label) != 0) {
        std::memcpy(entry.label.name, label, sizeof label);
        changed = true;
    }
    std::string offsetText = ItemText(IDC_TP_OFFSET);
    if (offsetText != FormatOffset(entry.startOffset)) {
        int64_t offset = ParsePosition(offsetText.c_str(), m_rate, m_unit, 0.0);
        if (offset < 0 || offset > 4294967295LL)
            errorField = IDC_TP_OFFSET;
        else if (offset != entry.startOffset)
            entry.startOffset = offset, changed = true;
    }
    int32_t pan = ParseHundredthsText(ItemText(IDC_TP_PAN).c_str());
    if (pan < -10000 || pan > 10000)
        errorField = IDC_TP_PAN;
    else if (pan != entry.pan)
        entry.pan = pan, changed = true;
    int32_t volume = ParseHundredthsText(ItemText(IDC_TP_VOLUME).c_str());
    if (volume < -8000 || volume > 352)
        errorField = IDC_TP_VOLUME;
    else if (volume != LevelToMillibel(entry.level))
        entry.level = MillibelToLevel(volume), changed = true;

    if (errorField) {
        AfxMessageBox(LoadText(IDS_VIEW_INVALID_VALUE).c_str(), MB_ICONEXCLAMATION);
        HWND edit = ::GetDlgItem(m_hWnd, errorField);
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        return;
    }
    // After a failed attempt the snapshot already holds the values: apply them again.
    if (changed)
        m_pending = true;
    if (!m_pending || Apply())
        EndDialog(IDOK);
}

void CTrackPropertiesDialog::ShiftTrackLabels()
{
    AddTrackLabelShift(Doc(), m_track, m_offsetChange, nullptr, m_transaction.Get());
}

int CTrackPropertiesDialog::Apply()
{
    CNyMultiTrackDoc* doc = Doc();
    HCURSOR previous = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    // A new transaction for every attempt: a failed one must not leave its label moves behind.
    m_transaction = ComRef<TransactionCommand>(
        ComObject<IEditCommand>::Create<TransactionCommand>(LoadText(IDS_CMD_PROPERTIES).c_str()));
    HRESULT hr = m_transaction ? m_transaction->Add(m_property.Get()) : E_OUTOFMEMORY;
    if (SUCCEEDED(hr)) {
        m_offsetChange = Entry().startOffset - doc->GetTrackExtent(m_track, -1);
        if (m_offsetChange != 0)
            ShiftTrackLabels();
        hr = m_transaction->Do();
    }
    ::SetCursor(previous);
    if (hr == E_FAIL) {
        char text[600];
        std::snprintf(text, sizeof text, LoadText(IDS_VIEW_INVALID_VIDEO).c_str(), m_property->newVideoPath.c_str());
        AfxMessageBox(text, MB_ICONEXCLAMATION);
    }
    if (m_view->GetVideoTrackPane().LacksFrameDecoder()) {
        char text[600];
        std::snprintf(text, sizeof text, LoadText(IDS_VIEW_NO_VIDEO_CODEC).c_str(),
                      m_view->GetVideoTrackPane().GetCodecText().c_str());
        AfxMessageBox(text, MB_ICONEXCLAMATION);
    }
    if (FAILED(hr)) {
        m_transaction = ComRef<TransactionCommand>();
        return 0;
    }
    if (CSelectionModel* selection = doc->GetSelection()) {
        int64_t s = 0, e = 0;
        selection->GetSelection(&s, &e);
        selection->SetSelection(s, e, TRUE);
    }
    m_view->UpdateHorzScrollBar();
    if (m_view->m_hWnd) {
        ::InvalidateRect(m_view->m_hWnd, nullptr, TRUE);
        ::UpdateWindow(m_view->m_hWnd);
    }
    if (IViewMixer* mixer = GetViewHost().GetMixer())
        mixer->InvalidateAll();
    m_pending = false;
    return 1;
}

void CTrackPropertiesDialog::OnDestroy()
{
    CNyMultiTrackDoc* doc = Doc();
    if (m_transaction && m_property && m_property->Changed() && doc && doc->GetHistory())
        doc->GetHistory()->Add(m_transaction.Get(), TRUE);
    m_transaction = ComRef<TransactionCommand>();
    Default();
}
