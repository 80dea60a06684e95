#include "FwDocTemplate.h"
#include "FwApp.h"
#include "FwDocument.h"
#include "FwFrame.h"
#include "FwView.h"
#include <algorithm>

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : m_nIDResource(resourceId), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass)
{
}

CDocTemplate::~CDocTemplate()
{
    while (!m_docs.empty()) {
        CDocument* doc = m_docs.back();
        m_docs.pop_back();
        doc->m_pDocTemplate = nullptr;
        delete doc;
    }
    if (m_hMenuShared)
        ::DestroyMenu(m_hMenuShared);
}

void CDocTemplate::LoadTemplate()
{
    if (m_strDocStrings.IsEmpty())
        m_strDocStrings.LoadString(m_nIDResource);
    HINSTANCE instance = AfxGetResourceHandle();
    if (!m_hMenuShared)
        m_hMenuShared = ::LoadMenuA(instance, MAKEINTRESOURCEA(m_nIDResource));
    if (!m_hAccelTable)
        m_hAccelTable = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(m_nIDResource));
}

BOOL CDocTemplate::GetDocString(CString& text, DocStringIndex index) const
{
    text.Empty();
    int start = 0;
    for (int i = 0; i < static_cast<int>(index); ++i) {
        int next = m_strDocStrings.Find('\n', start);
        if (next < 0)
            return FALSE;
        start = next + 1;
    }
    int end = m_strDocStrings.Find('\n', start);
    text = m_strDocStrings.Mid(start, end < 0 ? -1 : end - start);
    return !text.IsEmpty();
}

POSITION CDocTemplate::GetFirstDocPosition() const
{
    return m_docs.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(1));
}

CDocument* CDocTemplate::GetNextDoc(POSITION& pos) const
{
    size_t index = static_cast<size_t>(reinterpret_cast<INT_PTR>(pos) - 1);
    CDocument* doc = m_docs.at(index);
    pos = index + 1 < m_docs.size() ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(index + 2)) : nullptr;
    return doc;
}

void CDocTemplate::AddDocument(CDocument* doc)
{
    m_docs.push_back(doc);
    doc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* doc)
{
    auto at = std::find(m_docs.begin(), m_docs.end(), doc);
    if (at != m_docs.end())
        m_docs.erase(at);
    doc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument()
{
    CObject* object = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
    if (!object)
        return nullptr;
    CDocument* doc = static_cast<CDocument*>(object);
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd* other)
{
    CObject* object = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
    if (!object)
        return nullptr;
    CFrameWnd* frame = static_cast<CFrameWnd*>(object);
    CCreateContext context;
    context.m_pCurrentFrame = other;
    context.m_pCurrentDoc = doc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    // A failed LoadFrame has already deleted the frame object (its window went away).
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, AfxGetMainWnd(), &context))
        return nullptr;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible)
{
    frame->InitialUpdateFrame(doc, makeVisible);
}

void CDocTemplate::SetDefaultTitle(CDocument* doc)
{
    CString name;
    if (!GetDocString(name, docName) || name.IsEmpty())
        AfxFormatString1(name, AFX_IDS_UNTITLED, nullptr);
    CString title;
    title.Format("%s%u", static_cast<const char*>(name), ++m_nUntitledCount);
    doc->SetTitle(title);
}

CDocument* CDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible)
{
    CDocument* doc = CreateNewDocument();
    if (!doc)
        return nullptr;
    // The document must outlive a frame that fails half-way.
    BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
        delete doc;
        return nullptr;
    }
    BOOL ok;
    if (!path) {
        SetDefaultTitle(doc);
        ok = doc->OnNewDocument();
    } else {
        CWaitCursor wait;
        ok = doc->OnOpenDocument(path);
        if (ok)
            doc->SetPathName(path);
    }
    if (!ok) {
        doc->m_bAutoDelete = FALSE;
        frame->DestroyWindow();
        delete doc;
        if (!path)
            --m_nUntitledCount;
        return nullptr;
    }
    InitialUpdateFrame(frame, doc, makeVisible);
    return doc;
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    std::vector<CDocument*> docs = m_docs;
    for (CDocument* doc : docs)
        if (std::find(m_docs.begin(), m_docs.end(), doc) != m_docs.end())
            doc->OnCloseDocument();
}

BOOL CDocTemplate::SaveAllModified()
{
    std::vector<CDocument*> docs = m_docs;
    for (CDocument* doc : docs)
        if (!doc->SaveModified())
            return FALSE;
    return TRUE;
}
