// CDocument: the data of one open file, shown by one or more views. The document manager (the
// application and its templates) creates it, calls OnNewDocument or OnOpenDocument, asks
// SaveModified before a close, and deletes it in OnCloseDocument when its last view goes.
#pragma once
#include "FwCmdTarget.h"
#include "FwFile.h"
#include <functional>
#include <mapi.h>
#include <vector>

class CView;
class CDocTemplate;
class CFrameWnd;
typedef struct KvFwPosition* POSITION;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument() = default;
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const char* title);
    const CString& GetPathName() const { return m_strPathName; }
    // Stores the full path, makes the file name the title and (optionally) adds it to the recent files.
    virtual void SetPathName(const char* path, BOOL addToRecent = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }

    // Views
    void AddView(CView* view);
    void RemoveView(CView* view);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& pos) const;
    int GetViewCount() const { return static_cast<int>(m_views.size()); }
    // Calls OnUpdate of every view but the sender.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
    // Numbers the frames showing this document (":1", ":2" in their titles) and retitles them.
    virtual void UpdateFrameCounts();

    // Life cycle
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const char* path);
    virtual BOOL OnSaveDocument(const char* path);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    // Asks "save changes?" when modified: TRUE when the document may close.
    virtual BOOL SaveModified();
    virtual BOOL DoFileSave();
    // Saves under path, or asks for a name when path is null; replace makes it the document's path.
    virtual BOOL DoSave(const char* path, BOOL replace = TRUE);
    virtual void OnChangedViewList();

    // Files: GetFile opens path with CFile flags and gives a new CFile (null on failure, error
    // set to the system code); ReleaseFile closes (or, with abort, abandons) and deletes it.
    virtual CFile* GetFile(const char* path, UINT flags, DWORD* error = nullptr);
    virtual void ReleaseFile(CFile* file, BOOL abort);
    // Tells the user that loading or saving path failed: the prompt of the system error when
    // one is given, else the prompt defaultPromptId (AFX_IDP_...), naming the file.
    virtual void ReportSaveLoadException(const char* path, DWORD error, BOOL saving, UINT defaultPromptId);
    // Sends the document's file by simple mail (MAPI) as an attachment, with the mail system's
    // own dialog. A document without a file is saved first; failures are told to the user.
    virtual void OnFileSendMail();

    BOOL m_bAutoDelete = TRUE; // deleted when its last view goes

    // Command handlers (in the document's message map)
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();

    BOOL OnCmdMsg(kvfw::CmdRequest& request) override;

protected:
    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_views;
    BOOL m_bModified = FALSE;

    friend class CDocTemplate;
    DECLARE_MESSAGE_MAP()
};

// Simple mail of CDocument::OnFileSendMail goes through this function (by default MAPISendMail
// of MAPI32.DLL, with the mail system's dialog). Tests install their own; null restores it.
// The result is a MAPI code: SUCCESS_SUCCESS, MAPI_USER_ABORT or a failure.
using SendMailHook = std::function<ULONG(HWND owner, MapiMessage& message)>;
void AfxSetSendMailHook(SendMailHook hook);
