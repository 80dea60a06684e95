// CSaveDlg: the system's save dialog with the program's panel under it (template 109): the
// description of the file the chosen format makes, Advanced Settings for the format's own
// settings, the mix, the output channels and the information entries, and Help. The formats
// are the file module's save-format table; the converter judges and describes them. Before it
// accepts a name the dialog refuses forbidden characters, the file of another open document,
// read-only files, folders that cannot be written, marks it would drop and formats that
// cannot hold the document.
//
//   CSaveDlg dialog(1, document, filter, path);
//   dialog.SetFormats(converter, formats, filterIndex);
//   dialog.SetInfoEntries(count, entries);
//   if (dialog.DoModal() == IDOK) ... dialog.GetPathName(), dialog.GetFormatCode(), dialog.IsMixdown(),
//                                    dialog.GetSettings(), dialog.IsMixAll(), dialog.InfoEntries()
#pragma once
#include "ComRef.h"
#include "DocumentHost.h"
#include "SaveFormatConverter.h"
#include "FwFileDialog.h"
#include "IKvSKsFIO.h"

#include <string>
#include <vector>

class CNyMultiTrackDoc;

class CSaveDlg : public CFileDialog {
public:
    // mode: 0 export, 1 save as, 2 save of a sound-file document (chooses the help topic).
    CSaveDlg(int mode, CNyMultiTrackDoc* document, const char* filter, const char* path, CWnd* parent = nullptr);

    ~CSaveDlg() override;
    // One entry per filter, in filter order; index is the filter shown first (from 1). The
    // converter may be null: formats then have no settings.
    void SetFormats(IFormatConverter* converter, const std::vector<FileFormatEntry>& formats, int filterIndex);
    // The information entries the file carries (copied); Advanced Settings edits them.
    void SetInfoEntries(const std::vector<FioInfoEntry>& entries);
    const std::vector<FioInfoEntry>& InfoEntries();
    // The chosen format's settings after IDOK (null for a project format).
    IOutputFormatSettings* GetSettings() const { return m_settings.Get(); }
    // Advanced Settings chose to mix every track with the mixer's settings.
    BOOL IsMixAll() const { return m_mixAll; }
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

    // The description, the mixdown state and the Advanced Settings button from the converter.
    virtual void OnFormatChanged();

protected:
    void OnHelp();
    void OnFormatOptions();
    void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    // The mixdown state of the current filter's format.
    void RefreshMixdown();
    // The channels the converter's mix makes: 6 or 2, 0 without a mixdown.
    LONG MixChannels() const;
    std::string FileName() const;
    void ShowDescription(const std::string& text, BOOL advanced);
    // The system's dialog refuses some names with texts of its own before they reach
    // OnFileNameOK: its OK is watched so that such a name gets this dialog's refusal.
    static LRESULT CALLBACK ExplorerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    BOOL RefuseTypedName();

    WNDPROC m_explorerProc = nullptr;

    int m_mode;
    CNyMultiTrackDoc* m_document;
    std::vector<FileFormatEntry> m_formats;
    ComRef<IFormatConverter> m_converter;
    ComRef<IOutputFormatSettings> m_settings;
    WORD m_bitsValue = 16;
    int m_initialCode = -1;
    int m_refreshedCode = -2;
    // The information entries as Advanced Settings edits them: a count and a global block.
    WORD m_infoCount = 0;
    void* m_infoBlock = nullptr;
    std::vector<FioInfoEntry> m_info;
    BOOL m_mixAll = FALSE;
    DWORD m_channelMask = 0x80000000;
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
