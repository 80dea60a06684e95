// The fade and envelope handle edit modes: entering and leaving them, the apply render that
// turns each track's handle curve into new sound, and the preview that plays the curves.
#include "MultiTrackDoc.h"

#include "AudioRenderer.h"
#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "DocMixdown.h"
#include "DocWiring.h"
#include "ErrorText.h"
#include "FileCommands.h"
#include "FormatConverter.h"
#include "HandleEditFault.h"
#include "HandleEditView.h"
#include "KsMultiTrackLoader.h"
#include "ResourceModule.h"
#include "TrackPreviewPlayer.h"
#include "TrackRenderGraph.h"
#include "ViewGeometry.h"

#include <evcode.h>

#include <algorithm>
#include <new>

using namespace doccmd;

namespace {

constexpr HRESULT kNoAudioHardware = static_cast<HRESULT>(0x8004025C);
constexpr HRESULT kPlaybackDeviceFailed = static_cast<HRESULT>(0x83E803EA);

HRESULT g_renderFailure = S_OK;
HRESULT (*g_makeRenderer)(IBaseFilter**) = nullptr;

using TakenEnvelopes = std::array<ComRef<IMtEnvelope>, kMtEnvelopeKinds>;

HandleEditView* HandleViewOf(CNyMultiTrackDoc* document)
{
    return dynamic_cast<HandleEditView*>(document->GetMultiTrackView());
}

ComRef<IMtEnvelopeSet> EnvelopesOf(IMtTrack* track)
{
    if (!track)
        throw CKvSSException(E_FAIL);
    ComRef<IMtEnvelopeSet> set;
    ThrowIfFailed(track->QueryInterface(__uuidof(IMtEnvelopeSet), set.OutVoid()));
    return set;
}

// Takes the track's five envelopes and installs empty copies in their place, the level one
// holding the handle curve (positions from the track's start). What was taken before a failure
// stays in taken, so that PutBack can return it.
void SwapInHandleCurve(IMtEnvelopeSet* set, const CFadeHandleEditor& handles, int64_t trackStart, TakenEnvelopes& taken)
{
    for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind) {
        ComRef<IMtEnvelope> own, curve;
        ThrowIfFailed(set->GetEnvelope(kind, own.Out()));
        ThrowIfFailed(own->Clone(curve.Out()));
        ThrowIfFailed(curve->Clear());
        if (kind == 0)
            for (const HandlePoint& point : handles.Handles())
                ThrowIfFailed(curve->InsertPoint(point.position - trackStart, point.gain));
        ThrowIfFailed(set->SetEnvelope(kind, curve.Get()));
        taken[static_cast<size_t>(kind)] = std::move(own);
    }
}

void PutBack(IMtEnvelopeSet* set, TakenEnvelopes& taken)
{
    for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind) {
        ComRef<IMtEnvelope>& own = taken[static_cast<size_t>(kind)];
        if (own && set)
            set->SetEnvelope(kind, own.Get());
        own.Reset();
    }
}

// While a track renders into its own channels, what the mix would add besides the handle
// curve is set aside: its volume, pan, mute and silence and the master volume. The new sound
// holds the curve alone, as the handles show it; the track goes on applying its own settings.
class PlainTrackMix {
public:
    PlainTrackMix(IMtTrackSet* engine, IMtTrack* track) : m_engine(engine), m_track(track)
    {
        m_engine->GetMasterVolume(&m_master);
        m_track->GetVolume(&m_volume);
        m_track->GetPan(&m_pan);
        m_track->TestFlag(kMtFlagMute, &m_mute);
        m_track->IsSilenced(&m_silenced);
        m_engine->SetMasterVolume(1.0f);
        m_track->SetVolume(1.0f);
        m_track->SetPan(0.0f);
        m_track->SetFlag(kMtFlagMute, 0);
        m_track->SetSilenced(0);
    }
    ~PlainTrackMix()
    {
        m_engine->SetMasterVolume(m_master);
        m_track->SetVolume(m_volume);
        m_track->SetPan(m_pan);
        m_track->SetFlag(kMtFlagMute, m_mute);
        m_track->SetSilenced(m_silenced);
    }
    PlainTrackMix(const PlainTrackMix&) = delete;
    PlainTrackMix& operator=(const PlainTrackMix&) = delete;

private:
    IMtTrackSet* m_engine;
    IMtTrack* m_track;
    float m_master = 1.0f, m_volume = 1.0f, m_pan = 0.0f;
    LONG m_mute = 0, m_silenced = 0;
};

// Renders the tracks the engine marks into a new file of the given channels (the track's own,
// so that the file can take the place of its sound), reporting progress: S_OK when complete,
// 0x83E80005 when the user stopped it, else the graph's failure.
HRESULT RenderMarkedTracks(IMtTrackSet* engine, WORD channels, TrackRenderGraph& render)
{
    if (FAILED(g_renderFailure))
        return g_renderFailure;
    HRESULT hr = render.Build(engine, channels);
    if (SUCCEEDED(hr))
        hr = render.Run();
    if (FAILED(hr))
        return hr;
    for (;;) {
        LONG_PTR p1 = 0, p2 = 0;
        switch (render.WaitEvent(&p1, &p2)) {
        case EC_COMPLETE:
            render.control->StopWhenReady();
            return S_OK;
        case EC_ERRORABORT:
            render.control->Stop();
            return static_cast<HRESULT>(p1);
        case EC_USERABORT:
            render.control->Stop();
            return kKvErrorCancelled;
        default: {
            ProgressRecord answer{};
            SendProgress(2, render.ProgressPercent(), &answer);
            if (answer.cancel) {
                render.control->Stop();
                return kKvErrorCancelled;
            }
        }
        }
    }
}

} // namespace

void SetHandleRenderFailure(HRESULT code)
{
    g_renderFailure = code;
}

void SetPreviewRendererFactory(HRESULT (*make)(IBaseFilter** renderer))
{
    g_makeRenderer = make;
}

void CNyMultiTrackDoc::OnFadeInOut()
{
    EnterHandleEditMode(kCmdFadeInOut);
}

void CNyMultiTrackDoc::OnEnvelope()
{
    EnterHandleEditMode(kCmdEnvelope);
}

void CNyMultiTrackDoc::EnterHandleEditMode(int command)
{
    HandleEditView* view = HandleViewOf(this);
    ViewGeometry* geometry = GetMultiTrackView();
    if (!view || !geometry || !m_selection || !CheckWholeTracksWarn(IDS_CMD_EFFECT))
        return;
    // The command toggles: chosen again it leaves the mode without applying.
    if (geometry->GetEditMode() != 0) {
        EndHandleEditMode(FALSE);
        return;
    }
    const int count = GetTrackCount();
    auto editors = std::make_unique<std::vector<CFadeHandleEditor>>(static_cast<size_t>(count));
    int64_t selectionStart = 0;
    const int64_t selectionLength = m_selection->GetStartAndLength(&selectionStart);
    bool any = false;
    int64_t start = 0, end = 0;
    for (int t = 0; t < count; ++t) {
        if (!m_selection->IsTrackSelectedAt(t))
            continue;
        int64_t s = selectionStart, e = selectionStart + selectionLength - 1;
        if (selectionLength == 0) {
            s = GetTrackExtent(t, -1);
            e = s + GetTrackExtent(t, 0) - 1;
        }
        start = any ? std::min(start, s) : s;
        end = any ? std::max(end, e) : e;
        any = true;
    }
    const float first = command == kCmdFadeInOut ? 0.0f : 1.0f;
    for (int t = 0; t < count; ++t) {
        CFadeHandleEditor& editor = (*editors)[static_cast<size_t>(t)];
        if (m_selection->IsTrackSelectedAt(t)) {
            editor.Init(geometry, t, start, end);
            editor.SetHandles(start, first);
            editor.SetHandles(end, 1.0f);
        } else {
            editor.Init(geometry, t, -1, -1);
        }
    }
    SetHandleEditors(std::move(editors));
    const int mode = command == kCmdFadeInOut ? 1 : 2;
    view->SetEditMode(mode);
    BuildFadeHandles(m_fadeDirection, m_fadeCurve);
    view->ShowEditMode(mode, TRUE);
    m_editMode = command;
    DocWiring::UpdateEffectPalette();
}

HRESULT CNyMultiTrackDoc::EndHandleEditMode(BOOL apply)
{
    // The preview's swapped envelopes must not outlive the mode, nor be taken for the tracks'
    // own by the apply.
    StopFadePreview();
    HRESULT hr = S_OK;
    if (apply && m_handleEditors) {
        hr = ApplyHandleEdits();
        if (hr == kKvErrorCancelled)
            return hr;
        if (FAILED(hr))
            ShowError(hr);
        else
            DocWiring::UpdateAnalysisPane(1);
    }
    m_handleEditors.reset();
    if (HandleEditView* view = HandleViewOf(this)) {
        const int noted = view->SetEditMode(0);
        view->ShowEditMode(noted, FALSE);
    }
    m_editMode = 0;
    DocWiring::UpdateEffectPalette();
    return hr;
}

HRESULT CNyMultiTrackDoc::ApplyHandleEdits()
{
    FreezeScope freeze(this);
    MarksKeeper marks(this);
    SendProgress(1, 0);
    try {
        if (!m_engine || !m_history)
            throw CKvSSException(E_UNEXPECTED);
        ComRef<IMtSelection> selection;
        ThrowIfFailed(m_engine->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()));
        ComRef<IMtItemList> items;
        ThrowIfFailed(MtEngine::CreateItemList(items));
        for (int t = 0, n = GetTrackCount(); t < n; ++t) {
            if (!HasEditHandles(t))
                continue;
            ComRef<IMtEnvelopeSet> set = EnvelopesOf(GetTrack(t));
            TakenEnvelopes taken;
            TrackRenderGraph render;
            HRESULT hr = S_OK;
            try {
                SwapInHandleCurve(set.Get(), *GetHandleEditTrack(t), GetTrackExtent(t, -1), taken);
                selection->SetAllTracks(0);
                selection->SelectTrack(t, 1);
                PlainTrackMix plain(m_engine.Get(), GetTrack(t));
                hr = RenderMarkedTracks(m_engine.Get(), GetTrackChannels(t), render);
            } catch (const CKvSSException& e) {
                hr = e.m_hr;
            }
            PutBack(set.Get(), taken);
            ThrowIfFailed(hr);
            ThrowIfFailed(render.TakeOutput(items.Get(), GetTrackId(t)));
        }
        // Nothing rendered: nothing to record (the command would answer "cancelled", which keeps
        // the mode on).
        if (items->IsEmpty()) {
            SendProgress(4, 100);
            return S_OK;
        }
        ComRef<IEditCommand> command = MakeCommand<EffectFileCommand>(
            LoadResourceText(IDS_CMD_EFFECT).c_str(), static_cast<CommandDocument*>(this), items.Get(), 0);
        if (!command)
            throw CKvSSException(E_OUTOFMEMORY);
        // The new sound is an edit like any other: the document is modified.
        ThrowIfFailed(m_history->Do(command.Get(), TRUE));
        SyncModifiedWithHistory();
        DocWiring::UpdateAnalysisPane(0);
        SendProgress(4, 100);
        return S_OK;
    } catch (const CKvSSException& e) {
        SendProgress(6, 0);
        return e.m_hr;
    }
}

void CNyMultiTrackDoc::StartFadePreview()
{
    try {
        if (!m_engine)
            throw CKvSSException(E_UNEXPECTED);
        ComRef<IMtSelection> selection;
        ThrowIfFailed(m_engine->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()));
        selection->SetAllTracks(0);
        for (int t = 0, n = GetTrackCount(); t < n; ++t) {
            if (!HasEditHandles(t))
                continue;
            selection->SelectTrack(t, 1);
            ComRef<IMtEnvelopeSet> set = EnvelopesOf(GetTrack(t));
            SwapInHandleCurve(set.Get(), *GetHandleEditTrack(t), GetTrackExtent(t, -1), m_previewMap[t]);
        }
        if (m_ownsFadePreviewReader)
            delete m_fadePreviewReader;
        m_fadePreviewReader = new (std::nothrow) TrackPreviewPlayer;
        m_ownsFadePreviewReader = m_fadePreviewReader != nullptr;
        if (!m_fadePreviewReader)
            throw CKvSSException(E_OUTOFMEMORY);
        // Without a renderer there is no playback device to open, whatever code the
        // platform gives for it.
        ComRef<IBaseFilter> renderer;
        if (FAILED((g_makeRenderer ? g_makeRenderer : CreateAudioRendererFilter)(renderer.Out())))
            throw CKvSSException(kPlaybackDeviceFailed);
        ThrowIfFailed(m_fadePreviewReader->StartWithRenderer(m_engine.Get(), renderer.Get()));
        m_fadePreviewReader->RequestRun();
        m_previewPlaying = 1;
    } catch (const CKvSSException& e) {
        const HRESULT code = e.m_hr == kNoAudioHardware ? kPlaybackDeviceFailed : e.m_hr;
        ErrorText text(GetResourceModule());
        GetDocumentHost().ShowMessageText(text.GetText(code), MB_OK | MB_ICONEXCLAMATION);
        StopFadePreview();
    }
}

void CNyMultiTrackDoc::StopFadePreview()
{
    if (m_fadePreviewReader) {
        m_fadePreviewReader->RequestStop();
        if (m_ownsFadePreviewReader)
            delete m_fadePreviewReader;
        m_ownsFadePreviewReader = false;
        m_fadePreviewReader = nullptr;
    }
    for (auto& [track, taken] : m_previewMap) {
        ComRef<IMtEnvelopeSet> set;
        if (IMtTrack* engineTrack = GetTrack(track))
            engineTrack->QueryInterface(__uuidof(IMtEnvelopeSet), set.OutVoid());
        PutBack(set.Get(), taken);
    }
    const bool swapped = !m_previewMap.empty();
    m_previewMap.clear();
    m_previewPlaying = 0;
    // The preview marked only the tracks with handles; playback follows the selection again.
    if (swapped) {
        MarksKeeper restore(this);
    }
}
