// CDocTemplate / CMultiDocTemplate: binds a document class, a frame class and a view class to
// one resource id: the menu and accelerators the frame shows while active, and the document
// string "<window title>\n<doc name>\n<file-new name>\n<filter name>\n<extension>\n<type id>\n<type name>".
//
//   AddDocTemplate(new CMultiDocTemplate(IDR_DOC, RUNTIME_CLASS(CMyDoc),
//                                        RUNTIME_CLASS(CMyChildFrame), RUNTIME_CLASS(CMyView)));
#pragma once
#include "FwCmdTarget.h"
#include <vector>

class CDocument;
class CFrameWnd;
typedef struct KvFwPosition* POSITION;

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

    CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                 const CRuntimeClass* viewClass);
    ~CDocTemplate() override;

    // Loads the document string, menu and accelerators (the application calls it when added).
    virtual void LoadTemplate();
    BOOL GetDocString(CString& text, DocStringIndex index) const;
    UINT GetResourceId() const { return m_nIDResource; }

    POSITION GetFirstDocPosition() const;
    CDocument* GetNextDoc(POSITION& pos) const;
    int GetDocumentCount() const { return static_cast<int>(m_docs.size()); }
    virtual void AddDocument(CDocument* doc);
    virtual void RemoveDocument(CDocument* doc);

    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
    virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);
    // Creates a document with its frame and view: empty (path null) or loaded from path.
    virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE);
    virtual void SetDefaultTitle(CDocument* doc);
    virtual void CloseAllDocuments(BOOL endSession);
    virtual BOOL SaveAllModified();

    HMENU m_hMenuShared = nullptr;
    HACCEL m_hAccelTable = nullptr;

protected:
    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
    std::vector<CDocument*> m_docs;
    UINT m_nUntitledCount = 0;
};

class CMultiDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    using CDocTemplate::CDocTemplate;
};

// Context handed from a template to a new frame, and from the frame to its new view.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};
