// COpenDlg: the system's open dialog with the program's panel under it (template 110): the
// chosen file's format, audio properties, length and duration, Preview, Auto Preview and
// Split Channels. The filters are the file module's type table. Before it accepts files that
// are added to a document it checks their sample format and that the document's channels
// stay within six.
//
//   COpenDlg dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | ..., filter, parent, title, 57601);
//   dialog.SetFormatTable(fio, count, table, targetTrackSet);
//   if (dialog.DoModal() == IDOK) dialog.GetSelectedPaths(paths);
#pragma once
#include "FwFileDialog.h"
#include "IKvSKsFIO.h"
#include "KsMultiTrack.h"

#include <string>
#include <vector>

class COpenDlg : public CFileDialog {
public:
    COpenDlg(BOOL open, const char* defaultExtension, const char* fileName, DWORD flags, const char* filter,
             CWnd* parent, const char* title, UINT commandId);
    ~COpenDlg() override;

    // table: one entry per filter, in filter order (borrowed); target: the track set files are
    // added to, or null when they open as new documents.
    void SetFormatTable(IKvSKsFIO* player, int count, const FileFormatEntry* table, IMtTrackSet* target);
    int GetSelectedFormat() const { return m_selectedFormat; }
    void GetSelectedPaths(std::vector<std::string>& paths) const;
    // A selection longer than the name buffer still counts as chosen (see CaptureSelection).
    INT_PTR DoModal() override;
    BOOL IsChannelSplit() const { return m_channelSplit; }

    // The checks of the dialog's OK, without the dialog: S_OK, or the code whose text is shown
    // (0x83E804B4 a sample format the program cannot hold, 0x83E807D5 more than six channels).
    static HRESULT CheckSelection(IKvSKsFIO* player, IMtTrackSet* target, const std::vector<std::string>& paths,
                                  LONG formatHint);
    // "1,234,567" (any 64-bit count; nothing for a negative one) and "mm:ss.mmm".
    static std::string FormatSampleCount(int64_t samples);
    static std::string FormatDuration(int64_t hundredNanoseconds);

    BOOL OnInitDialog() override;
    void OnInitDone() override;
    void OnTypeChange() override;
    void OnFileNameChange() override;
    BOOL OnFileNameOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    void OnPreview();
    void OnHelp();
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnPlayRequest(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    int CurrentCode() const;
    void UpdateSplitBox(int code, int when);
    void ClearPanel();
    void StopPreview();
    // Grows the name buffer to hold the selection the dialog now shows.
    void FitBuffer(OPENFILENAMEA* ofn);
    // The chosen paths read from the dialog itself when it accepts them, whatever room the
    // name buffer had: a large multiple selection is then neither cut nor lost as a cancel.
    void CaptureSelection();

    std::vector<std::string> m_captured;

    IKvSKsFIO* m_player = nullptr;
    IMtTrackSet* m_target = nullptr;
    const FileFormatEntry* m_table = nullptr;
    int m_count = 0;
    int m_selectedFormat = -1;
    UINT m_commandId;
    BOOL m_channelSplit = FALSE;
    BOOL m_channelSplitEnabled = FALSE;
    int m_documentType = 0;
    FileInfoRecord m_info{};
    BOOL m_playing = FALSE;
};
