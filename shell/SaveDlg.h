// CSaveDlg: the system's save dialog with the program's panel under it (template 109): the
// description of the chosen format and Help. The formats are the file module's save-format
// table; before it accepts a name the dialog refuses forbidden characters, the file of another
// open document, read-only files, folders that cannot be written and marks it would drop.
//
//   CSaveDlg dialog(1, document, filter, path);
//   dialog.SetFormats(formats, filterIndex);
//   if (dialog.DoModal() == IDOK) ... dialog.GetPathName(), dialog.GetFormatCode(), dialog.IsMixdown()
#pragma once
#include "DocumentHost.h"
#include "FwFileDialog.h"
#include "IKvSKsFIO.h"

#include <string>
#include <vector>

class CNyMultiTrackDoc;

class CSaveDlg : public CFileDialog {
public:
    // mode: 0 export, 1 save as, 2 save of a sound-file document (chooses the help topic).
    CSaveDlg(int mode, CNyMultiTrackDoc* document, const char* filter, const char* path, CWnd* parent = nullptr);

    // One entry per filter, in filter order; index is the filter shown first (from 1).
    void SetFormats(const std::vector<FileFormatEntry>& formats, int filterIndex);
    // The format of the current (after IDOK: the chosen) filter; -1 without one.
    int GetFormatCode() const;
    // The document holds what the chosen format cannot store and is written as a mixdown.
    BOOL IsMixdown() const { return m_mixdown; }
    const std::string& GetDescription() const { return m_description; }

    // The name check of the dialog's OK, without the dialog: 0 when accepted, else the string
    // id shown (61281 only when the user did not confirm).
    static UINT CheckTarget(const char* path, CNyMultiTrackDoc* document);
    // name with its extension replaced by the first one of a pattern ("wav;wave"): the folder
    // part is dropped, as the name box holds a name.
    static std::string ReplaceExtension(const std::string& name, const char* pattern);

    BOOL OnInitDialog() override;
    void OnInitDone() override;
    void OnTypeChange() override;
    void OnFileNameChange() override;
    BOOL OnFileNameOK() override;

protected:
    void OnHelp();
    void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    // The description and the mixdown state of the current filter's format.
    void RefreshFormat();
    // The system's dialog refuses some names with texts of its own before they reach
    // OnFileNameOK: its OK is watched so that such a name gets this dialog's refusal.
    static LRESULT CALLBACK ExplorerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    BOOL RefuseTypedName();

    WNDPROC m_explorerProc = nullptr;

    int m_mode;
    CNyMultiTrackDoc* m_document;
    std::vector<FileFormatEntry> m_formats;
    int m_lastCode = -2;
    BOOL m_mixdown = FALSE;
    std::string m_description;
    CString m_lastPath;
    int m_chosenCode = -1;
};

// The document's save dialog (DocumentHost::RunSaveDialog of the program): the formats of the
// mode from the file module's save-format table, the proposed name and folder ("LastSaveDir"),
// then the dialog. FALSE when cancelled or refused (too many channels for the chosen format).
BOOL RunSaveAsDialog(CNyMultiTrackDoc* document, int mode, SaveAsChoice* choice);
// The Import command's open dialog (DocumentHost::RunImportDialog of the program): the file
// module's import types; the chosen paths.
BOOL RunImportDialog(CNyMultiTrackDoc* document, std::vector<std::string>* paths);
