// CFileDialog: the open and save dialogs of Windows (Explorer style) with a hook. A derived dialog
// may add its own child template (m_ofn.Flags |= OFN_ENABLETEMPLATE, m_ofn.lpTemplateName) whose
// controls it handles in its message map; the dialog's events arrive as virtual calls:
// OnInitDone, OnFileNameChange, OnFolderChange, OnTypeChange and OnFileNameOK (TRUE keeps the
// dialog open). The filter is "Name|*.ext|Name|*.a;*.b||".
#pragma once
#include "FwDialog.h"
#include <commdlg.h>
#include <vector>

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    CFileDialog(BOOL openFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);

    INT_PTR DoModal() override;

    // Valid while the dialog runs (asked from the dialog) and after it returned IDOK.
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;
    // Multiple selection: every chosen path.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;
    // The Explorer dialog that holds this dialog's child template.
    HWND GetExplorerWindow() const { return ::GetParent(m_hWnd); }

    virtual void OnInitDone() {}
    virtual void OnFileNameChange() {}
    virtual void OnFolderChange() {}
    virtual void OnTypeChange() {}
    virtual BOOL OnFileNameOK() { return FALSE; }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    OPENFILENAMEA m_ofn = {};
    BOOL m_bOpenFileDialog;

protected:
    static UINT_PTR CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    std::vector<char> m_fileBuffer;
    CString m_strFilter;
    CString m_strDefExt;
    CString m_acceptingPath; // set while OnFileNameOK runs
    std::vector<CString> ChosenPaths() const;
    DECLARE_MESSAGE_MAP()
};
