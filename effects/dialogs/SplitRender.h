// SplitRender: the whole document rendered into one filter that ends the chain (the silence
// finder, the file divider) on a render worker, as the split wizard's runs need it: every track
// marked and no range, so the stream runs from 0 to the document's end, the progress dialog
// shown; the document's range and track marks are given back afterwards.
//
//   SplitRender render(document);
//   if (FAILED(render.Start()) || FAILED(render.AddTerminal(finder))) ...;
//   HRESULT hr = render.Run(owner);     // the worker's result; 0x83E80005 after Cancel
#pragma once
#include "ComRef.h"
#include "Framework.h"

#include <strmif.h>

class CNyMultiTrackDoc;
class CRenderWorker;
struct IMtTrackSet;

class SplitRender {
public:
    explicit SplitRender(CNyMultiTrackDoc* document);
    // Stops the graph, takes the chain down and ends the worker.
    ~SplitRender();
    SplitRender(const SplitRender&) = delete;
    SplitRender& operator=(const SplitRender&) = delete;

    // Makes and starts the worker: E_OUTOFMEMORY, or the start's failure.
    HRESULT Start();
    // The filter ends the chain; the document's engine becomes the source.
    HRESULT AddTerminal(IBaseFilter* filter);
    CRenderWorker* Worker() const { return m_worker; }
    // Renders the whole document with the progress dialog over owner; the worker's result.
    HRESULT Run(CWnd* owner);
    // The same in a progress dialog the caller has open and keeps.
    HRESULT RunIn(HWND progress);

private:
    CNyMultiTrackDoc* m_document;
    ComRef<IMtTrackSet> m_engine;
    CRenderWorker* m_worker = nullptr;
};
