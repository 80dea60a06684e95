#include "SplitRender.h"

#include "EffectProgramHost.h"
#include "KsMultiTrack.h"
#include "MultiTrackDoc.h"
#include "RenderWorker.h"
#include "ResourceModule.h"

#include <new>
#include <string>
#include <vector>

namespace {

constexpr UINT kIdsProcessing = 20346; // "Processing..."

// The engine's range and track marks, kept while the whole document renders.
class WholeDocumentMarks {
public:
    explicit WholeDocumentMarks(IMtTrackSet* engine)
    {
        if (!engine || FAILED(engine->QueryInterface(__uuidof(IMtSelection), m_selection.OutVoid())))
            return;
        m_selection->GetRange(&m_start, &m_end);
        LONG count = 0;
        engine->GetTrackCount(&count);
        for (LONG t = 0; t < count; ++t) {
            LONG marked = 0;
            m_selection->IsTrackMarked(t, &marked);
            m_marked.push_back(marked);
        }
        m_selection->SetRange(0, 0);
        m_selection->SetAllTracks(1);
    }
    ~WholeDocumentMarks()
    {
        if (!m_selection)
            return;
        m_selection->SetAllTracks(0);
        for (size_t t = 0; t < m_marked.size(); ++t)
            m_selection->SelectTrack(static_cast<LONG>(t), m_marked[t]);
        m_selection->SetRange(m_start, m_end);
    }
    WholeDocumentMarks(const WholeDocumentMarks&) = delete;
    WholeDocumentMarks& operator=(const WholeDocumentMarks&) = delete;

private:
    ComRef<IMtSelection> m_selection;
    LONGLONG m_start = 0, m_end = 0;
    std::vector<LONG> m_marked;
};

} // namespace

SplitRender::SplitRender(CNyMultiTrackDoc* document)
    : m_document(document), m_engine(ComRef<IMtTrackSet>::Share(document->GetTrackSet()))
{
}

SplitRender::~SplitRender()
{
    if (!m_worker)
        return;
    m_worker->StopGraph(FALSE);
    m_worker->DisconnectChain();
    m_worker->RemoveEffectFilters();
    delete m_worker;
}

HRESULT SplitRender::Start()
{
    m_worker = new (std::nothrow) CRenderWorker(nullptr);
    if (!m_worker)
        return E_OUTOFMEMORY;
    const HRESULT hr = m_worker->Start();
    if (FAILED(hr)) {
        delete m_worker;
        m_worker = nullptr;
    }
    return hr;
}

HRESULT SplitRender::AddTerminal(IBaseFilter* filter)
{
    if (!m_worker)
        return E_FAIL;
    const HRESULT hr = m_worker->AddEffectFilter(filter, TRUE);
    if (SUCCEEDED(hr))
        m_worker->SetSource(m_engine.Get());
    return hr;
}

HRESULT SplitRender::Run(CWnd* owner)
{
    if (!m_worker)
        return E_FAIL;
    IEffectProgramHost& host = GetEffectProgramHost();
    const HRESULT hr = RunIn(host.OpenProgressDialog(owner));
    host.CloseProgressDialog();
    return hr;
}

HRESULT SplitRender::RunIn(HWND progress)
{
    if (!m_worker)
        return E_FAIL;
    WholeDocumentMarks marks(m_engine.Get());
    m_worker->PostRender(progress);
    char text[128] = {};
    ::LoadStringA(GetResourceModule(), kIdsProcessing, text, sizeof text);
    m_worker->SendProgress(1, text, 0, 0, nullptr);
    if (progress)
        ::SetFocus(progress);
    GetEffectProgramHost().WaitForHandle(m_worker->doneEvent);
    const HRESULT hr = m_worker->result;
    if (FAILED(hr))
        m_worker->SendProgress(6, nullptr, 0, 0, nullptr);
    else
        m_worker->SendProgress(4, nullptr, 100, 0, nullptr);
    return hr;
}
