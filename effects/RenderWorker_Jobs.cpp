// The jobs the worker's commands run on its thread: preview, apply in place (one or two
// passes), render to a new document, render to temporary files for new tracks, and render the
// source to the chain's own end. Each connects the chain anew, runs the graph and disconnects
// it; failures inside are thrown and caught at the end of the job.
#include "RenderWorker.h"

#include "EffectModuleTable.h"
#include "IEffectEnvironment.h"
#include "IKsDShowSource.h"
#include "ITracksWriterOutput.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSENorm.h"
#include "KvSEOfst.h"
#include "KvSSException.h"
#include "ModuleObjects.h"
#include "TempFilePaths.h"
#include "TrackMarks.h"

#include <mmreg.h>
#include <uuids.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned kRowDcOffset = 1;
constexpr unsigned kRowNormalize = 2;
constexpr unsigned kRowChannelNormalize = 30;

bool IsRow(const CLSID& id, unsigned row)
{
    return id == GetEffectModuleEntry(row)->classId;
}

LONGLONG TrackLength(IMtTrack* track)
{
    LONGLONG length = 0;
    track->GetLength(&length);
    return length;
}

std::string NoiseProfileFile()
{
    TempFilePaths temp;
    std::string folder = temp.GetFolder();
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder + "\\KvSSpectralSubtraction\\setting.ini";
}

} // namespace

void CRenderWorker::SetMeasuringMode(int mode)
{
    for (ChainEntry& entry : chain) {
        CLSID id;
        if (FAILED(entry.filter->GetClassID(&id)))
            continue;
        if (IsRow(id, kRowDcOffset)) {
            ComRef<IDcOffsetSettings> settings;
            if (SUCCEEDED(entry.filter->QueryInterface(__uuidof(IDcOffsetSettings), settings.OutVoid())))
                settings->SetMeasuringMode(mode);
        } else if (IsRow(id, kRowNormalize)) {
            ComRef<INormalizeSettings> settings;
            if (SUCCEEDED(entry.filter->QueryInterface(__uuidof(INormalizeSettings), settings.OutVoid())))
                settings->SetMeasuringMode(mode);
        } else if (IsRow(id, kRowChannelNormalize)) {
            ComRef<IEffectChannelLayout2> settings;
            if (SUCCEEDED(entry.filter->QueryInterface(__uuidof(IEffectChannelLayout2), settings.OutVoid())))
                settings->SetMeasuringMode(mode);
        }
    }
}

// One run of the chain into the null renderer with the measuring filters measuring; they are
// left applying what they measured.
void CRenderWorker::MeasurePass()
{
    SetMeasuringMode(1);
    UseNullRenderer();
    ThrowIfFailed(BuildChain(FALSE));
    HRESULT hr = RunGraph();
    DisconnectChain();
    ReplaceSink(nullptr);
    ThrowIfFailed(hr);
    SetMeasuringMode(2);
}

// A preview plays the chain's output at the output device; a two-pass preview
// measures the range first.
HRESULT CRenderWorker::RunPreview(bool twoPass)
{
    if (!engine)
        return E_FAIL;
    engine->SetShuttleStart(1);
    HRESULT hr = S_OK;
    try {
        if (twoPass) {
            AttachSource(1, 0);
            MeasurePass();
        }
        AttachSource(1, 1);
        UseAudioRenderer();
        hr = BuildChain(TRUE);
        // The client looks at the result as soon as it is told the preview runs.
        result = hr;
        ::SetEvent(doneEvent);
        if (SUCCEEDED(hr))
            hr = RunGraph();
    } catch (const CKvSSException& e) {
        hr = e.m_hr;
        result = hr;
        ::SetEvent(doneEvent);
    }
    DisconnectChain();
    engine->SetShuttleStart(0);
    return hr;
}

HRESULT CRenderWorker::RunApply(IMtItemList* items, BOOL* lengthened, bool twoPass)
{
    *lengthened = FALSE;
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        std::vector<LONG> collected;
        bool anyMono = false;
        for (LONG t : marks.Marked()) {
            ComRef<IMtTrack> track;
            if (FAILED(engine->GetTrack(t, track.Out())) || TrackLength(track.Get()) == 0)
                continue;
            WORD channels = 0;
            track->GetChannels(&channels);
            anyMono = anyMono || channels == 1;
            collected.push_back(t);
        }
        // Refused before anything is written, for the stereo tracks too.
        if (!twoPass && anyMono && ChainNeedsTwoChannels())
            throw CKvSSException(kRenderStereoOnly);
        const bool learner = !twoPass && GraphHasNoiseProfileLearner();
        LONGLONG largest = 0;
        for (LONG t : collected) {
            ComRef<IMtTrack> track;
            ThrowIfFailed(engine->GetTrack(t, track.Out()));
            LONG trackId = -1;
            track->GetTrackId(&trackId);
            marks.SelectOnly(t);
            if (twoPass) {
                // Each track is measured anew: its own peak or offset, not the last track's.
                AttachSource(0, 0);
                MeasurePass();
            }
            UseTracksWriter();
            AttachSource(0, 0);
            ThrowIfFailed(BuildChain(FALSE));
            if (!twoPass)
                *lengthened = GraphHasLengtheningEffect() ? TRUE : FALSE;
            HRESULT hr = RunGraph();
            if (FAILED(hr)) {
                DeleteWrittenFiles();
                DisconnectChain();
                if (learner)
                    ::DeleteFileA(NoiseProfileFile().c_str());
                throw CKvSSException(hr);
            }
            if (learner) {
                DeleteWrittenFiles();
            } else {
                AddWrittenFile(items, trackId);
                ComRef<ITracksWriterOutput> output;
                LONGLONG written = 0;
                if (SUCCEEDED(sink->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid())))
                    output->GetWrittenLength(&written);
                largest = std::max(largest, written);
            }
            DisconnectChain();
        }
        renderedLength = *lengthened ? 0 : largest;
        return S_OK;
    } catch (const CKvSSException& e) {
        DisconnectChain();
        return e.m_hr;
    }
}

HRESULT CRenderWorker::RenderToTempFiles(IMtItemList* items)
{
    firstSelectedTrack = -1;
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        if (marks.Marked().empty())
            throw CKvSSException(E_FAIL); // nothing to render: no engine call changes anything
        const LONG t = marks.Marked().front();
        ComRef<IMtTrack> track;
        ThrowIfFailed(engine->GetTrack(t, track.Out()));
        LONGLONG start = 0;
        track->GetStartOffset(&start);
        const LONGLONG end = start + TrackLength(track.Get());
        LONGLONG oldStart = 0, oldEnd = 0;
        selection->GetRange(&oldStart, &oldEnd);
        selection->SetRange(start, end);
        HRESULT hr = S_OK;
        try {
            marks.SelectOnly(t);
            UseTracksWriter();
            AttachSource(0, 0);
            ThrowIfFailed(BuildChain(FALSE));
            hr = RunGraph();
            DisconnectChain();
            if (SUCCEEDED(hr)) {
                LONG trackId = -1;
                track->GetTrackId(&trackId);
                AddWrittenFile(items, trackId);
                ComRef<ITracksWriterOutput> output;
                LONGLONG written = 0;
                if (SUCCEEDED(sink->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid())))
                    output->GetWrittenLength(&written);
                renderedLength = written;
                firstSelectedTrack = t;
            } else {
                DeleteWrittenFiles();
            }
        } catch (const CKvSSException& e) {
            hr = e.m_hr;
            DisconnectChain();
            DeleteWrittenFiles();
        }
        selection->SetRange(oldStart, oldEnd);
        return hr;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

HRESULT CRenderWorker::RunToNewDocument(bool twoPass)
{
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        LONGLONG rangeStart = 0, rangeEnd = 0;
        selection->GetRange(&rangeStart, &rangeEnd);
        LONGLONG length = rangeEnd > rangeStart ? rangeEnd - rangeStart : rangeStart - rangeEnd;
        std::vector<LONG> kept;
        LONGLONG largest = 0;
        for (LONG t : marks.Marked()) {
            ComRef<IMtTrack> track;
            if (FAILED(engine->GetTrack(t, track.Out())))
                continue;
            const LONGLONG trackLength = TrackLength(track.Get());
            if (trackLength == 0)
                continue;
            kept.push_back(t);
            largest = std::max(largest, trackLength);
        }
        marks.Restore(kept);
        if (length == 0)
            length = largest;
        AttachSource(1, 0);
        if (twoPass)
            MeasurePass();
        UseTracksWriter();
        ThrowIfFailed(BuildChain(FALSE));
        const bool lengthening = !twoPass && GraphHasLengtheningEffect();
        HRESULT hr = RunGraph();
        if (SUCCEEDED(hr)) {
            ComRef<ITracksWriterOutput> output;
            LONGLONG written = 0;
            if (SUCCEEDED(sink->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid())))
                output->GetWrittenLength(&written);
            renderedLength = lengthening ? length : written;
        }
        DisconnectChain();
        return hr;
    } catch (const CKvSSException& e) {
        DisconnectChain();
        return e.m_hr;
    }
}

HRESULT CRenderWorker::RunRender()
{
    try {
        AttachSource(1, 0);
        ComRef<IKsDShowSource> api;
        ThrowIfFailed(source->QueryInterface(__uuidof(IKsDShowSource), api.OutVoid()));
        LONG automation = 0;
        engine->GetReadAutomation(&automation);
        api->SetReadAutomation(automation);
        HRESULT hr = BuildChain(FALSE);
        if (SUCCEEDED(hr))
            hr = RunGraph();
        DisconnectChain();
        return hr;
    } catch (const CKvSSException& e) {
        DisconnectChain();
        return e.m_hr;
    }
}
