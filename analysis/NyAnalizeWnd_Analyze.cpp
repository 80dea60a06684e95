// The channel list and the analysis runs: which track and channel, the key that makes a repeated
// request with the same track, channel and range a no-op, and the reading of the track into the
// analyser in the engine's storage form (8-bit unsigned, 16-bit, 32-bit float for 20, 24 and 32).
#include "NyAnalizeWnd.h"

#include "AnalysisIds.h"
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyAnalizeFrame.h"
#include "SelectionModel.h"
#include "FrequencyAnalyzer.h"
#include "ViewHost.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Frames a read of a real range asks for: whole transform frames, at least this many.
const int64_t kReadFrames = 65536;

struct StorageForm {
    int bytes;
    int isSigned;
    unsigned char silence;
};

StorageForm StorageOf(int bits)
{
    if (bits <= 8)
        return {1, 0, 128};
    if (bits <= 16)
        return {2, 1, 0};
    return {4, 1, 0};
}

CString LoadString(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

void CNyAnalizeWnd::Refresh(int resetKey)
{
    if (!m_settings.autoRefresh || m_settings.fftSize > 1024)
        return;
    if (resetKey)
        InvalidateKey();
    AnalyzeSelection(TRUE);
}

BOOL CNyAnalizeWnd::PickTrack()
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    CSelectionModel* selection = doc ? doc->GetSelection() : nullptr;
    if (!selection)
        return FALSE;
    const int count = doc->GetTrackCount();
    if (m_track < 0 || m_track >= count || !selection->IsTrackSelectedAt(m_track)) {
        m_track = -1;
        for (int t = 0; t < count && m_track < 0; ++t)
            if (selection->IsTrackSelectedAt(t))
                m_track = t;
    }
    if (m_track < 0)
        return FALSE;
    if (m_channel < 0)
        m_channel = 0;
    return TRUE;
}

void CNyAnalizeWnd::FillChannelList()
{
    HWND list = GetFrame() ? GetFrame()->GetChannelList() : nullptr;
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!list)
        return;
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    CSelectionModel* selection = doc ? doc->GetSelection() : nullptr;
    if (!selection)
        return;
    int current = -1;
    for (int t = 0; t < doc->GetTrackCount(); ++t) {
        if (!selection->IsTrackSelectedAt(t))
            continue;
        const int channels = doc->GetTrackChannels(t);
        for (int c = 0; c < channels; ++c) {
            if (!selection->IsChannelSelected(t, c))
                continue;
            const std::string text = ChannelEntryText(t, c, channels);
            const int index = int(::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
            if (t == m_track && c == m_channel)
                current = index;
        }
    }
    if (::SendMessageA(list, CB_GETCOUNT, 0, 0) <= 0)
        return;
    ::SendMessageA(list, CB_SETCURSEL, WPARAM(current >= 0 ? current : 0), 0);
    int track = 0, channel = 0;
    if (current < 0 && ParseChannelEntry(SelectedEntryText(), &track, &channel)) {
        m_track = track;
        m_channel = channel;
    }
}

HRESULT CNyAnalizeWnd::AnalyzeSelection(BOOL refill)
{
    m_cursorFrequency = m_cursorLevel = -1.0;
    if (!m_view || !m_view->IsTransportIdle() || m_busy)
        return E_FAIL;
    m_busy = 1;
    const int enteredTrack = m_track, enteredChannel = m_channel;
    if (!PickTrack()) {
        m_busy = 0;
        return E_FAIL;
    }
    if (refill)
        FillChannelList();
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    if (m_channel >= doc->GetTrackChannels(m_track))
        m_channel = 0;
    int64_t start = 0, end = 0;
    doc->GetSelection()->GetOrderedSelection(&start, &end);
    const int64_t selected = end - start;
    // The key: the same track, channel and range as the last run leaves everything as it is.
    const int64_t keyLength = selected != 0 ? selected : m_settings.fftSize;
    if (m_track == enteredTrack && m_channel == enteredChannel && m_lastStart == start && m_lastLength == keyLength) {
        m_busy = 0;
        return S_OK;
    }
    const int64_t length = m_view->IsPlaying() ? 0 : selected;
    const HRESULT hr =
        RunAnalysis({start, length < m_settings.fftSize ? m_settings.fftSize : length, length != 0}, false);
    if (SUCCEEDED(hr)) {
        m_lastStart = start;
        m_lastLength = keyLength;
    }
    return hr;
}

void CNyAnalizeWnd::Analyze(int64_t position)
{
    if (!m_view || m_busy)
        return;
    m_busy = 1;
    FillChannelList();
    if (!PickTrack()) {
        m_busy = 0;
        return;
    }
    if (m_channel >= m_view->GetMultiTrackDoc()->GetTrackChannels(m_track))
        m_channel = 0;
    if (SUCCEEDED(RunAnalysis({position, m_settings.fftSize, false}, true))) {
        m_lastStart = position;
        m_lastLength = m_settings.fftSize;
    }
}

HRESULT CNyAnalizeWnd::RunAnalysis(const Range& range, bool fixedBlocks)
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    const StorageForm form = StorageOf(doc->GetBitsPerSample());
    const int channels = doc->GetTrackChannels(m_track);
    CSpectrumAnalyzer& a = *m_analyzer;
    a.SetSampleRate(int(doc->GetSamplesPerSec()));
    a.SetBytesPerSample(form.bytes);
    a.SetChannels(channels);
    a.SetSignedBytes(form.isSigned);
    a.SetFftSize(m_settings.fftSize);
    a.SetOverlap(m_settings.overlap);
    a.SetWindow(m_settings.windowType);

    IMtTrack* track = doc->GetTrack(m_track);
    ComRef<IMtItem> reader;
    HRESULT hr = track ? track->CreateReader(reader.Out(), 0) : E_FAIL;
    LONGLONG from = range.start, to = range.start + range.length;
    if (SUCCEEDED(hr))
        hr = reader->SetRange(&from, &to);
    if (SUCCEEDED(hr))
        hr = reader->BeginRead();
    if (FAILED(hr)) {
        m_busy = 0;
        return hr;
    }
    long begun = 0;
    try {
        begun = a.Begin();
    } catch (const MemoryException&) {
        begun = E_OUTOFMEMORY;
    }
    if (begun != 1) {
        reader->EndRead();
        m_busy = 0;
        return HRESULT(begun);
    }
    m_showProgress = 1;
    const int frameBytes = channels * form.bytes;
    const int64_t blockFrames =
        fixedBlocks ? m_settings.fftSize : (kReadFrames + m_settings.fftSize - 1) / m_settings.fftSize * m_settings.fftSize;
    const int64_t total = range.length * frameBytes;
    std::vector<unsigned char> buffer;
    try {
        buffer.resize(size_t(blockFrames * frameBytes));
    } catch (const std::bad_alloc&) {
        reader->EndRead();
        m_busy = 0;
        return E_OUTOFMEMORY;
    }
    const bool progress = range.real || (fixedBlocks && total > int64_t(buffer.size()));
    CNyAnalizeFrame* frame = GetFrame();
    HWND focus = ::GetFocus();
    IViewHost& host = GetViewHost();
    if (progress) {
        if (frame)
            frame->BeginModalState();
        host.OpenProgress(m_view, LoadString(IDS_ANALYSIS_PROGRESS));
    }
    bool cancelled = false;
    int64_t remaining = total;
    while (remaining > 0) {
        std::memset(buffer.data(), form.silence, buffer.size());
        const DWORD want = DWORD(remaining < int64_t(buffer.size()) ? remaining : int64_t(buffer.size()));
        DWORD got = 0;
        if (FAILED(reader->Read(buffer.data(), want, &got)))
            got = 0;
        a.AddSamples(buffer.data(), fixedBlocks ? m_settings.fftSize : int(got / DWORD(frameBytes)));
        remaining -= want;
        if (progress && host.UpdateProgress(int((total - remaining) * 100 / total))) {
            cancelled = true;
            break;
        }
        if (got < want)
            break;
    }
    if (progress) {
        host.CloseProgress(cancelled);
        if (frame)
            frame->EndModalState();
        if (focus && ::IsWindow(focus))
            ::SetFocus(focus);
    }
    m_showProgress = 0;
    try {
        a.Finish(); // after a cancel too: the part read is shown
    } catch (const MemoryException&) {
        hr = E_OUTOFMEMORY;
    }
    reader->EndRead();
    m_busy = 0;
    Invalidate(FALSE);
    char text[32];
    std::snprintf(text, sizeof text, "TRACK %d", m_track + 1);
    if (frame)
        frame->SetStatusText(1, text);
    return hr;
}

void CNyAnalizeWnd::OnChannelChange()
{
    int track = 0, channel = 0;
    if (!ParseChannelEntry(SelectedEntryText(), &track, &channel))
        return;
    if (track == m_track && channel == m_channel)
        return;
    const int previousTrack = m_track, previousChannel = m_channel;
    const std::string previous = ChannelEntryText(previousTrack, previousChannel,
                                                  m_view && m_view->GetMultiTrackDoc()
                                                      ? m_view->GetMultiTrackDoc()->GetTrackChannels(previousTrack)
                                                      : 1);
    m_track = track;
    m_channel = channel;
    InvalidateKey();
    if (FAILED(AnalyzeSelection(FALSE))) {
        m_track = previousTrack;
        m_channel = previousChannel;
        if (HWND list = GetFrame() ? GetFrame()->GetChannelList() : nullptr)
            ::SendMessageA(list, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(previous.c_str()));
    }
}

void CNyAnalizeWnd::OnSelectTrack(UINT id)
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc || !doc->GetSelection())
        return;
    int wanted = int(id - ID_ANALYSIS_TRACK_FIRST), found = -1;
    for (int t = 0; t < doc->GetTrackCount() && found < 0; ++t)
        if (doc->GetSelection()->IsTrackSelectedAt(t) && wanted-- == 0)
            found = t;
    if (found < 0)
        return;
    const int previous = m_track;
    m_track = found;
    InvalidateKey();
    if (FAILED(AnalyzeSelection(TRUE)))
        m_track = previous;
}
