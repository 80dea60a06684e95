#include "PropertiesDialog.h"

#include "AudioFormat.h"
#include "CoreStrings.h"
#include "DocWiring.h"
#include "DocumentHost.h"
#include "FileNames.h"
#include "HelpLauncher.h"
#include "KvSSException.h"
#include "LevelConversion.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "PositionText.h"
#include "SettingsIds.h"

#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr DWORD kHelpTopicProperties = 306;
constexpr size_t kMaxVideoPath = 260;
constexpr int64_t kOffsetLimit = int64_t(1) << 32;
constexpr int kMasterMin = -8000, kMasterMax = 0, kPanMin = -10000, kPanMax = 10000;

int TrackVolumeMax()
{
    return LevelToMillibel(15000);
}

DocumentFormatTexts& FormatTextSource()
{
    static DocumentFormatTexts source;
    return source;
}

CString ResourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

std::string WindowText(HWND hwnd)
{
    std::string text((size_t)::GetWindowTextLengthA(hwnd) + 1, '\0');
    text.resize((size_t)::GetWindowTextA(hwnd, &text[0], (int)text.size()));
    return text;
}

// "%5.2f" of hundredths without the padding.
CString HundredthsText(int hundredths)
{
    CString text;
    text.Format("%.2f", hundredths / 100.0);
    return text;
}

struct SpinField {
    int edit, spin;
    int min, max;
};

SpinField SpinFor(int id)
{
    switch (id) {
    case IDC_PROP_MASTER:
    case IDC_PROP_MASTER_SPIN:
        return {IDC_PROP_MASTER, IDC_PROP_MASTER_SPIN, kMasterMin, kMasterMax};
    case IDC_PROP_VOLUME:
    case IDC_PROP_VOLUME_SPIN:
        return {IDC_PROP_VOLUME, IDC_PROP_VOLUME_SPIN, kMasterMin, TrackVolumeMax()};
    case IDC_PROP_PAN:
    case IDC_PROP_PAN_SPIN:
        return {IDC_PROP_PAN, IDC_PROP_PAN_SPIN, kPanMin, kPanMax};
    default:
        return {0, 0, 0, 0};
    }
}

} // namespace

int64_t ParseHundredths(const char* text)
{
    double value = atof(text ? text : "") * 100.0;
    return (int64_t)(value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

void SetDocumentFormatTexts(DocumentFormatTexts source)
{
    FormatTextSource() = std::move(source);
}

BEGIN_MESSAGE_MAP(PropertiesDialog, CDialog)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_PROP_APPLY, OnApply)
    ON_BN_CLICKED(IDC_PROP_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDHELP, OnHelp)
    ON_CBN_SELCHANGE(IDC_PROP_TRACK, OnTrackChanged)
    ON_CBN_SELCHANGE(IDC_PROP_UNIT, OnUnitChanged)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_PROP_VOLUME, IDC_PROP_VIDEO, OnEditKillFocus)
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_PROP_VOLUME, IDC_PROP_VIDEO, OnEditSetFocus)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_PROP_VOLUME, IDC_PROP_VIDEO, OnEditChange)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, IDC_PROP_VOLUME_SPIN, IDC_PROP_MASTER_SPIN, OnSpin)
END_MESSAGE_MAP()

PropertiesDialog::PropertiesDialog(CNyMultiTrackDoc* document, CWnd* parent, int shownTrack)
    : CDialog(IDD_PROPERTIES, parent), m_document(document), m_track(shownTrack)
{
}

CString PropertiesDialog::FormatLength(int64_t samples, DWORD rate)
{
    double seconds = rate ? (double)samples / rate : 0.0;
    int whole = (int)seconds;
    CString fraction;
    fraction.Format("%.03f", seconds - whole);
    CString text;
    text.Format("%02d:%02d:%02d.%s", whole / 3600, whole / 60 % 60, whole % 60, (const char*)fraction + 2);
    return text;
}

void PropertiesDialog::MakeCommands()
{
    if (m_transaction)
        return;
    std::string name = LoadResourceText(IDS_CMD_PROPERTIES);
    // The snapshot reads every track; a failing read is thrown from here to the caller.
    ComRef<ChangePropertyCommand> snapshot(
        ComObject<IEditCommand>::Create<ChangePropertyCommand>(name.c_str(), m_document));
    ComRef<TransactionCommand> transaction(ComObject<IEditCommand>::Create<TransactionCommand>(name.c_str()));
    if (!snapshot || !transaction)
        throw CKvSSException(E_OUTOFMEMORY);
    HRESULT hr = transaction->Add(snapshot.Get());
    if (FAILED(hr))
        throw CKvSSException(hr);
    m_snapshot = snapshot;
    m_transaction = transaction;
}

INT_PTR PropertiesDialog::DoModal()
{
    MakeCommands();
    return CDialog::DoModal();
}

BOOL PropertiesDialog::Create(UINT templateId, CWnd* parent)
{
    MakeCommands();
    return CDialog::Create(templateId, parent);
}

bool PropertiesDialog::TakesVideo() const
{
    int type = m_document->GetFileType();
    return type == 0 || type == 1 || type == 20;
}

BOOL PropertiesDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_rate = m_document->GetSamplesPerSec();
    if (!TakesVideo()) {
        SendDlgItemMessage(IDC_PROP_VIDEO, EM_SETREADONLY, TRUE, 0);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PROP_BROWSE), FALSE);
    }
    for (int id : {IDC_PROP_MASTER_SPIN, IDC_PROP_VOLUME_SPIN, IDC_PROP_PAN_SPIN}) {
        SpinField field = SpinFor(id);
        SendDlgItemMessage(id, UDM_SETRANGE32, (WPARAM)field.min, (LPARAM)field.max);
    }
    int tracks = m_document->GetTrackCount();
    if (m_track < 0 || m_track >= tracks)
        m_track = 0;
    for (int i = 1; i <= tracks; ++i) {
        CString number;
        number.Format("%d", i);
        SendDlgItemMessage(IDC_PROP_TRACK, CB_ADDSTRING, 0, (LPARAM)(const char*)number);
    }
    SendDlgItemMessage(IDC_PROP_TRACK, CB_SETCURSEL, (WPARAM)m_track, 0);
    const struct {
        UINT text;
        uint32_t unit;
    } units[] = {{IDS_TIMEUNIT_SECONDS, kUnitSeconds},
                 {IDS_TIMEUNIT_MILLISECONDS, kUnitMilliseconds},
                 {IDS_TIMEUNIT_SAMPLES, kUnitSamples}};
    uint32_t documentUnit = m_document->GetSettings().rulerUnit;
    m_unit = documentUnit == kUnitMilliseconds || documentUnit == kUnitSamples ? documentUnit : kUnitSeconds;
    for (const auto& unit : units) {
        int index =
            (int)SendDlgItemMessage(IDC_PROP_UNIT, CB_ADDSTRING, 0, (LPARAM)(const char*)ResourceText(unit.text));
        SendDlgItemMessage(IDC_PROP_UNIT, CB_SETITEMDATA, (WPARAM)index, (LPARAM)unit.unit);
        if (unit.unit == m_unit)
            SendDlgItemMessage(IDC_PROP_UNIT, CB_SETCURSEL, (WPARAM)index, 0);
    }
    bool sound = false;
    for (int i = 0; i < tracks; ++i)
        sound = sound || m_document->GetTrackExtent(i, 0) > 0;
    if (!sound)
        SendDlgItemMessage(IDC_PROP_OFFSET, EM_SETREADONLY, TRUE, 0);
    ShowValues();
    return TRUE;
}

void PropertiesDialog::SetLevelText(int id, int hundredths)
{
    SpinField field = SpinFor(id);
    SendDlgItemMessage(field.spin, UDM_SETPOS32, 0, (LPARAM)hundredths);
    SetDlgItemText(id, HundredthsText(hundredths));
}

void PropertiesDialog::ShowValues()
{
    m_showing = true;
    std::string path(m_document->GetPathName());
    CString undecided = ResourceText(IDS_VIEW_UNDECIDED);
    SetDlgItemText(IDC_PROP_FILENAME, path.empty() ? (const char*)undecided : SplitFileName(path).c_str());
    SetDlgItemText(IDC_PROP_FOLDER, path.empty() ? (const char*)undecided : SplitDirectory(path, false).c_str());
    std::string formatName, attributes;
    if (FormatTextSource())
        FormatTextSource()(m_document, &formatName, &attributes);
    SetDlgItemText(IDC_PROP_FORMAT, formatName.c_str());
    uint32_t channels = m_document->GetAudioFormat().channels;
    std::string audio(ResourceText(channels == 1 ? IDS_VIEW_MONO : channels == 2 ? IDS_VIEW_STEREO : IDS_VIEW_CHANNELS));
    if (!attributes.empty())
        audio += " " + attributes;
    while (!audio.empty() && (audio.back() == ' ' || audio.back() == ','))
        audio.pop_back();
    SetDlgItemText(IDC_PROP_AUDIO, audio.c_str());
    CString text;
    text.Format("%d", m_document->GetTrackCount());
    SetDlgItemText(IDC_PROP_TRACKS, text);
    SetDlgItemText(IDC_PROP_LENGTH, FormatLength(m_document->GetLength(), m_rate));
    if (m_rate >= 1000)
        text.Format("%d,%03dHz", (int)m_rate / 1000, (int)m_rate % 1000);
    else
        text.Format("%dHz", (int)m_rate);
    SetDlgItemText(IDC_PROP_RATE, text);
    text.Format("%dBit", (int)m_document->GetStoredBits());
    SetDlgItemText(IDC_PROP_BITS, text);

    SetDlgItemText(IDC_PROP_VIDEO, m_snapshot->newVideoPath.c_str());
    SetLevelText(IDC_PROP_MASTER, LevelToMillibel(m_snapshot->newMasterVolume));
    if (m_track < (int)m_snapshot->newTracks.size()) {
        const TrackPropertyRecord& track = m_snapshot->newTracks[(size_t)m_track];
        SetDlgItemText(IDC_PROP_LABEL, track.label.name);
        SetLevelText(IDC_PROP_VOLUME, LevelToMillibel(track.level));
        SetLevelText(IDC_PROP_PAN, track.pan);
        SetDlgItemText(IDC_PROP_OFFSET,
                       FormatPosition(m_rate, m_unit, m_document->GetSettings().frameRate, track.startOffset).c_str());
        int64_t length = m_document->GetTrackExtent(m_track, 0);
        text.Format("%lld", (long long)length);
        SetDlgItemText(IDC_PROP_SAMPLES, text);
        ::CheckDlgButton(m_hWnd, IDC_PROP_MUTE, track.mute ? BST_CHECKED : BST_UNCHECKED);
        if (length == 0)
            SendDlgItemMessage(IDC_PROP_OFFSET, EM_SETREADONLY, TRUE, 0);
    }
    m_showing = false;
}

int PropertiesDialog::TakeValues()
{
    bool changed = false;
    if (TakesVideo()) {
        // Read whole: a path too long is refused, never cut.
        std::string video = WindowText(::GetDlgItem(m_hWnd, IDC_PROP_VIDEO));
        if (video.size() > kMaxVideoPath)
            return IDC_PROP_VIDEO;
        if (video != m_snapshot->newVideoPath) {
            m_snapshot->newVideoPath = video;
            changed = true;
        }
    }
    int64_t master = ParseHundredths(WindowText(::GetDlgItem(m_hWnd, IDC_PROP_MASTER)).substr(0, 257).c_str());
    if (master < kMasterMin || master > kMasterMax)
        return IDC_PROP_MASTER;
    if (master != LevelToMillibel(m_snapshot->newMasterVolume)) {
        m_snapshot->newMasterVolume = MillibelToLevel((int32_t)master);
        changed = true;
    }
    SetLevelText(IDC_PROP_MASTER, (int)master);
    if (m_track >= (int)m_snapshot->newTracks.size())
        return 0;
    TrackPropertyRecord& track = m_snapshot->newTracks[(size_t)m_track];
    std::string label = WindowText(::GetDlgItem(m_hWnd, IDC_PROP_LABEL));
    if (label != track.label.name) {
        lstrcpynA(track.label.name, label.c_str(), (int)sizeof track.label.name);
        changed = true;
    }
    int64_t offset = ParsePosition(WindowText(::GetDlgItem(m_hWnd, IDC_PROP_OFFSET)).c_str(), m_rate, m_unit,
                                   m_document->GetSettings().frameRate);
    if (offset < 0 || offset >= kOffsetLimit)
        return IDC_PROP_OFFSET;
    if (offset != track.startOffset) {
        track.startOffset = offset;
        changed = true;
    }
    int64_t pan = ParseHundredths(WindowText(::GetDlgItem(m_hWnd, IDC_PROP_PAN)).c_str());
    if (pan < kPanMin || pan > kPanMax)
        return IDC_PROP_PAN;
    if (pan != track.pan) {
        track.pan = (int32_t)pan;
        changed = true;
    }
    SetLevelText(IDC_PROP_PAN, (int)pan);
    int64_t volume = ParseHundredths(WindowText(::GetDlgItem(m_hWnd, IDC_PROP_VOLUME)).c_str());
    if (volume < kMasterMin || volume > TrackVolumeMax())
        return IDC_PROP_VOLUME;
    if (volume != LevelToMillibel(track.level)) {
        track.level = MillibelToLevel((int32_t)volume);
        changed = true;
    }
    SetLevelText(IDC_PROP_VOLUME, (int)volume);
    uint32_t mute = ::IsDlgButtonChecked(m_hWnd, IDC_PROP_MUTE) == BST_CHECKED ? 1 : 0;
    if (mute != track.mute) {
        track.mute = mute;
        changed = true;
    }
    if (changed)
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PROP_APPLY), TRUE);
    return 0;
}

HRESULT PropertiesDialog::Execute()
{
    // The offsets the tracks have now, before the snapshot moves them.
    std::vector<int64_t> deltas;
    for (size_t i = 0; i < m_snapshot->newTracks.size(); ++i)
        deltas.push_back(m_snapshot->newTracks[i].startOffset - m_document->GetTrackExtent((int)i, -1));
    HRESULT hr = m_snapshot->Redo();
    if (FAILED(hr))
        return hr;
    std::string name = LoadResourceText(IDS_CMD_PROPERTIES);
    std::vector<ComRef<IEditCommand>> moves;
    for (size_t i = 0; i < deltas.size() && SUCCEEDED(hr); ++i) {
        if (deltas[i] == 0)
            continue;
        std::vector<LabelRecord> labels;
        m_document->GetLabels().FindInRange((int)i, labels, 0, -1, -1);
        for (LabelRecord label : labels) {
            if ((label.kind & 0xFF) == kLabelTrack)
                continue;
            ComRef<IEditCommand> move;
            if (label.start + deltas[i] < 0) {
                move = ComRef<IEditCommand>(
                    ComObject<IEditCommand>::Create<DelMarkCommand>(name.c_str(), m_document, label.id));
            } else {
                label.start += deltas[i];
                label.end += deltas[i];
                move = ComRef<IEditCommand>(
                    ComObject<IEditCommand>::Create<ModMarkCommand>(name.c_str(), m_document, label));
            }
            hr = move ? move->Do() : E_OUTOFMEMORY;
            if (FAILED(hr))
                break;
            moves.push_back(move);
        }
    }
    if (FAILED(hr)) {
        // Nothing of a failed Apply stays: the moves made and the snapshot go back.
        for (auto it = moves.rbegin(); it != moves.rend(); ++it)
            (*it)->Undo();
        m_snapshot->Undo();
        return hr;
    }
    for (const ComRef<IEditCommand>& move : moves)
        m_transaction->Add(move.Get());
    return S_OK;
}

void PropertiesDialog::OnApply()
{
    Apply();
}

bool PropertiesDialog::Apply()
{
    if (int failed = TakeValues()) {
        AfxMessageBox(ResourceText(failed == IDC_PROP_VIDEO ? IDS_PATH_TOO_LONG : IDS_VIEW_INVALID_VALUE),
                      MB_OK | MB_ICONEXCLAMATION);
        HWND edit = ::GetDlgItem(m_hWnd, failed);
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        return false;
    }
    CWaitCursor wait;
    HRESULT hr = Execute();
    if (hr == E_FAIL) {
        CString message;
        message.Format(ResourceText(IDS_VIEW_INVALID_VIDEO), m_snapshot->newVideoPath.c_str());
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    } else if (FAILED(hr)) {
        GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION); // a missing video file, say
    }
    if (DocWiring::DocumentVideo* video = DocWiring::VideoOf(m_document); video && video->LacksFrameDecoder()) {
        CString message;
        message.Format(ResourceText(IDS_VIEW_NO_VIDEO_CODEC), video->GetCodecText().c_str());
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    }
    if (FAILED(hr))
        return false;
    m_applied = true;
    int64_t start = 0, end = 0;
    if (m_document->GetSelectionRange(&start, &end))
        m_document->SetSelectionRange(start, end, TRUE);
    m_document->RepaintAllViews();
    GetDocumentHost().RefreshMixer(FALSE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PROP_APPLY), FALSE);
    return true;
}

void PropertiesDialog::OnOK()
{
    if (Apply())
        EndDialog(IDOK);
}

void PropertiesDialog::OnDestroy()
{
    // An Apply that changed nothing leaves no step to undo.
    if (m_applied && m_snapshot->Changed() && m_document->GetHistory())
        m_document->GetHistory()->Add(m_transaction.Get(), TRUE);
    m_applied = false;
    CDialog::OnDestroy();
}

void PropertiesDialog::OnBrowse()
{
    std::string video = WindowText(::GetDlgItem(m_hWnd, IDC_PROP_VIDEO));
    if (video.size() > kMaxVideoPath) {
        AfxMessageBox(ResourceText(IDS_PATH_TOO_LONG), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CFileDialog dialog(TRUE, ResourceText(IDS_VIDEO_EXTENSION), video.c_str(), OFN_HIDEREADONLY,
                       ResourceText(IDS_VIDEO_FILTER), this);
    CString title = ResourceText(IDS_OPEN_VIDEO_TITLE);
    dialog.m_ofn.lpstrTitle = title;
    if (dialog.DoModal() != IDOK)
        return;
    SetDlgItemText(IDC_PROP_VIDEO, dialog.GetPathName());
    TakeValues();
}

void PropertiesDialog::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(kHelpTopicProperties, 0);
}

void PropertiesDialog::OnTrackChanged()
{
    int chosen = (int)SendDlgItemMessage(IDC_PROP_TRACK, CB_GETCURSEL, 0, 0);
    if (TakeValues() == 0 && chosen >= 0)
        m_track = chosen;
    else
        SendDlgItemMessage(IDC_PROP_TRACK, CB_SETCURSEL, (WPARAM)m_track, 0);
    ShowValues();
}

void PropertiesDialog::OnUnitChanged()
{
    int index = (int)SendDlgItemMessage(IDC_PROP_UNIT, CB_GETCURSEL, 0, 0);
    if (index >= 0)
        m_unit = (uint32_t)SendDlgItemMessage(IDC_PROP_UNIT, CB_GETITEMDATA, (WPARAM)index, 0);
    ShowValues();
}

void PropertiesDialog::OnEditKillFocus(UINT)
{
    if (!m_showing)
        TakeValues();
}

void PropertiesDialog::OnEditSetFocus(UINT)
{
    HWND focus = ::GetFocus();
    if (focus && ::GetParent(focus) == m_hWnd)
        ::SendMessageA(focus, EM_SETSEL, 0, -1);
}

void PropertiesDialog::OnEditChange(UINT id)
{
    SpinField field = SpinFor((int)id);
    if (!field.spin || m_showing)
        return;
    int64_t value = ParseHundredths(WindowText(::GetDlgItem(m_hWnd, (int)id)).c_str());
    SendDlgItemMessage(field.spin, UDM_SETPOS32, 0, (LPARAM)value);
}

void PropertiesDialog::OnSpin(UINT id, NMHDR* header, LRESULT* result)
{
    SpinField field = SpinFor((int)id);
    auto* change = reinterpret_cast<NMUPDOWN*>(header);
    int value = change->iPos + change->iDelta;
    value = value < field.min ? field.min : value > field.max ? field.max : value;
    m_showing = true;
    SetLevelText(field.edit, value);
    m_showing = false;
    *result = 1; // the spin's own step is not taken
}
