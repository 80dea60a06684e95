// The Burn CD dialog in window mode: the tracks cut from the active document at its cue marks,
// their rows, their preview, and the document rendered into one CD-audio file per track
// through the attribute filter and the file divider.
#include "BurnCdDialog.h"

#include "AudioFormat.h"
#include "AudioRenderer.h"
#include "ComRef.h"
#include "IAttributeSettings.h"
#include <mmreg.h>

#include "KvSDivFl.h"
#include "KsMultiTrackLoader.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "PositionText.h"
#include "RenderWorker.h"
#include "SelectionModel.h"
#include "SplitRender.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kIdsPluginLoadFailed = 20263; // "Failed to load the plugin(s)."
constexpr UINT kIdsProcessing = 20346;       // "Processing..."
constexpr HRESULT kPluginNotSupported = HRESULT(0x83E8044C);
constexpr HRESULT kNoPlaybackDevice = HRESULT(0x83E80450);
constexpr HRESULT kCancelled = HRESULT(0x83E80005);
// A failure the run has already told the user about.
constexpr HRESULT kToldAlready = E_ABORT;

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

// A position at 44100 Hz in the document's rate, through its time in 100-ns units.
int64_t AtDocumentRate(int64_t position, uint32_t rate)
{
    if (rate == 44100)
        return position;
    AudioFormat cd, document;
    cd.Set(44100, 16, 2);
    document.Set(rate, 16, 2);
    return document.TimeToFrames(cd.FramesToTime(position));
}

} // namespace

CNyMultiTrackDoc* CBurnCdDialog::SourceDocument() const
{
    return m_view ? dynamic_cast<CNyMultiTrackDoc*>(m_view->GetDocument()) : nullptr;
}

void CBurnCdDialog::BuildTracksFromDocument()
{
    m_tracks.clear();
    CNyMultiTrackDoc* doc = SourceDocument();
    if (!doc)
        return;
    const CLabelTable& labels = doc->GetLabels();
    std::vector<int64_t> positions;
    for (int i = 0; i < labels.GetSize(); ++i) {
        LabelRecord r{};
        if (labels.GetAt(i, &r) && r.id >= 0 && (r.kind & 1) && !(r.kind & kLabelHidden))
            positions.push_back(r.start);
    }
    const uint32_t rate = doc->GetSamplesPerSec();
    m_tracks = TracksFromCues(CuePositionsAtCdRate(positions, rate), AtCdRate(doc->GetLength(), rate));
    m_rebuild = false;
}

void CBurnCdDialog::FillWindowList()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_BURN_TRACKS);
    ListView_DeleteAllItems(list);
    CNyMultiTrackDoc* doc = SourceDocument();
    const uint32_t unit = doc ? doc->GetSettings().rulerUnit & 0xFF : kTimeUnitHms;
    const double frameRate = doc ? doc->GetSettings().frameRate : 0.0;
    int64_t total = 0;
    const std::vector<WindowRowTimes> rows = LayOutWindowTracks(m_tracks, &total);
    // Without the file columns the list has room for every time text and heading whole (with
    // the room the list keeps around a cell's text).
    HDC dc = ::GetDC(list);
    HGDIOBJ font = ::SelectObject(dc, HGDIOBJ(::SendMessageA(list, WM_GETFONT, 0, 0)));
    const auto measure = [dc](const char* text) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc, text, int(strlen(text)), &size);
        return int(size.cx);
    };
    int widths[5] = {};
    for (int c = 0; c < 5; ++c) {
        char heading[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = heading;
        column.cchTextMax = sizeof heading;
        ListView_GetColumn(list, c, &column);
        widths[c] = measure(heading);
    }
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        char number[16], gap[16];
        std::snprintf(number, sizeof number, "%02d", m_tracks[i].trackNumber);
        std::snprintf(gap, sizeof gap, "%d", m_tracks[i].preGap);
        const std::string cells[] = {number, gap, FormatPosition(44100, unit, frameRate, rows[i].start),
                                     FormatPosition(44100, unit, frameRate, rows[i].end),
                                     FormatPosition(44100, unit, frameRate, rows[i].length)};
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = int(i);
        item.pszText = const_cast<char*>(cells[0].c_str());
        ::SendMessageA(list, LVM_INSERTITEMA, 0, LPARAM(&item));
        for (int c = 0; c < 5; ++c) {
            if (c > 0)
                ListView_SetItemText(list, int(i), c, const_cast<char*>(cells[c].c_str()));
            widths[c] = std::max(widths[c], measure(cells[c].c_str()));
        }
    }
    ::SelectObject(dc, font);
    ::ReleaseDC(list, dc);
    for (int c = 0; c < 5; ++c)
        ListView_SetColumnWidth(list, c, std::max(widths[c] + 30, c == 1 ? 60 : c == 0 ? 75 : 90));
    SetTotal(total * kHundredNsPerSecond / 44100);
}

std::string CBurnCdDialog::TrackFileName(int trackNumber) const
{
    char name[16];
    std::snprintf(name, sizeof name, "KsW%04d.wav", trackNumber);
    return TempFolder() + name;
}

HRESULT CBurnCdDialog::RenderDocument()
{
    CNyMultiTrackDoc* doc = SourceDocument();
    if (!doc)
        return E_FAIL;
    const std::string folder = TempFolder();
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return E_FAIL;
    // Every file the divider may write is the run's, whatever end it comes to.
    for (const BurnTrackRecord& r : m_tracks)
        m_temporaries.push_back(TrackFileName(r.trackNumber));

    SplitRender render(doc);
    HRESULT hr = render.Start();
    if (FAILED(hr))
        return hr;
    ComRef<IBaseFilter> divider;
    hr = CreateModuleObject("KvSDivFl.dll", CLSID_KvSDivFl, IID_IBaseFilter, divider.OutVoid());
    if (FAILED(hr) || !divider) {
        Box(kIdsPluginLoadFailed, MB_OK | MB_ICONSTOP);
        return kToldAlready;
    }
    ComRef<IFileDividerSettings> settings;
    if (FAILED(divider->QueryInterface(__uuidof(IFileDividerSettings), settings.OutVoid())))
        return kPluginNotSupported;

    // The attribute filter makes CD audio of whatever the mix is (the mix of mono tracks is
    // mono, one of several rates or depths anything); CD audio itself passes unchanged.
    ComRef<IBaseFilter> converter;
    ComRef<IAttributeSettings> target;
    hr = CreateModuleObject("KvSEAttr.dll", CLSID_KvSEAttr, IID_IBaseFilter, converter.OutVoid());
    if (SUCCEEDED(hr))
        hr = converter->QueryInterface(__uuidof(IAttributeSettings), target.OutVoid());
    if (SUCCEEDED(hr))
        hr = target->SetBitsPerSample(16);
    if (SUCCEEDED(hr))
        hr = target->SetChannels(2);
    if (SUCCEEDED(hr))
        hr = target->SetSamplesPerSec(44100);
    if (SUCCEEDED(hr))
        hr = render.Worker()->AddEffectFilter(converter.Get(), FALSE);
    if (FAILED(hr)) {
        Box(kIdsPluginLoadFailed, MB_OK | MB_ICONSTOP);
        return kToldAlready;
    }
    WAVEFORMATEX cd{};
    cd.wFormatTag = WAVE_FORMAT_PCM;
    cd.nChannels = 2;
    cd.nSamplesPerSec = 44100;
    cd.nAvgBytesPerSec = 176400;
    cd.nBlockAlign = 4;
    cd.wBitsPerSample = 16;
    settings->SetFormatWord(16);
    settings->SetOutputFormat(&cd);
    settings->SetFormatId(0);
    settings->SetOutputBase((folder + "KsW").c_str());
    settings->SetProgressText(Text(kIdsProcessing).c_str());
    for (int64_t cut : TrackCuts(m_tracks))
        settings->AddSplitPoint(cut);
    if (FAILED(render.AddTerminal(divider.Get()))) {
        Box(kIdsPluginLoadFailed, MB_OK | MB_ICONSTOP);
        return kToldAlready;
    }
    return render.RunIn(m_progress && m_progress->m_hWnd ? m_progress->m_hWnd : nullptr);
}

void CBurnCdDialog::BurnDocument()
{
    m_operation = kConverting;
    EnableControls();
    EnableWindow(FALSE);
    m_writeTracks.clear();
    const HRESULT hr = RenderDocument();
    if (FAILED(hr)) {
        if (hr != kCancelled && hr != kToldAlready)
            m_host.ShowErrorBox(hr);
        EndRun(hr == kCancelled ? kStateAborted : kStateError, false);
        return;
    }
    for (const BurnTrackRecord& r : m_tracks) {
        const std::string path = TrackFileName(r.trackNumber);
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            break;
        CdWriteTrack track{};
        lstrcpynA(track.path, path.c_str(), sizeof track.path);
        track.preGapFrames = r.preGap * 75;
        m_writeTracks.push_back(track);
    }
    // A track the divider did not write would burn a short disc: a failed conversion.
    if (m_writeTracks.size() != m_tracks.size()) {
        EndRun(kStateError);
        return;
    }
    if (BeginWriting())
        StartTimer();
}

HRESULT CBurnCdDialog::PreviewDocumentTrack(const BurnTrackRecord& track)
{
    CNyMultiTrackDoc* doc = SourceDocument();
    IMtTrackSet* engine = doc ? doc->GetTrackSet() : nullptr;
    if (!engine)
        return E_FAIL;
    if (!CanCreateAudioRenderer())
        return kNoPlaybackDevice;
    ComRef<IMtSelection> range;
    HRESULT hr = engine->QueryInterface(__uuidof(IMtSelection), range.OutVoid());
    // The whole mix over the track's range; the document's own selection comes back at the end.
    const uint32_t rate = doc->GetSamplesPerSec();
    if (SUCCEEDED(hr))
        hr = range->SetAllTracks(1);
    if (SUCCEEDED(hr))
        hr = range->SetRange(AtDocumentRate(track.start, rate), AtDocumentRate(track.end, rate));
    if (SUCCEEDED(hr))
        hr = MtEngine::StartPlayer(engine, m_hWnd, s_tracksStop, m_player);
    if (FAILED(hr))
        StopDocumentPreview();
    return hr;
}

void CBurnCdDialog::StopDocumentPreview()
{
    if (m_player)
        m_player->Stop();
    m_player.Reset();
    CNyMultiTrackDoc* doc = SourceDocument();
    CSelectionModel* selection = doc ? doc->GetSelection() : nullptr;
    if (!selection)
        return;
    int64_t start = 0, end = 0;
    selection->GetSelection(&start, &end);
    selection->SendRangeToEngine(start, end);
    for (int i = 0; i < doc->GetTrackCount(); ++i)
        selection->SendTrackSelectionToEngine(i);
}
