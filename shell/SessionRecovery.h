// Work a killed session left in the temporary folder: the command journals ("KSCM" "KSTM")
// and recording take stores ("KSCM" "KREC") in "KVC*.tmp", each opening with the document's
// 500-byte session header. At start-up the dialog offers the journals; Recover rebuilds their
// documents, Cancel deletes the files. Files of another version are deleted unlisted.
#pragma once
#include "Framework.h"
#include "JournalHeader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The header this program writes, for a document.
SessionHeader MakeSessionHeader(const char* title, const char* path);

struct SessionRecord {
    std::string file;
    SessionHeader header{};
    // The document as it was named at the crash, when the journal carries it.
    bool named = false;
    JournalIdentity identity{};
    // In a take store: the journal of the document it was recorded into ("" when not known).
    std::string journal;
    bool deleteOnClose = true;
};

// What the temporary folder holds: journals to offer and take stores to re-apply. Files of
// another version are deleted while scanning; unreadable ones stay for a later start.
struct SessionScan {
    std::vector<std::unique_ptr<SessionRecord>> journals;
    std::vector<std::unique_ptr<SessionRecord>> takes;
    void Scan(const std::string& folder);
};

class SessionFileList : public CWnd {
public:
    void OnLButtonDblClk(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()
};

class SessionRecoveryDlg : public CDialog {
public:
    enum { IDD = 5369 };
    explicit SessionRecoveryDlg(CWnd* parent);
    ~SessionRecoveryDlg() override;

    // IDOK when documents were rebuilt; IDCANCEL (showing nothing) when no session was left.
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    void OnOK() override; // Recover
    void OnSelChange();
    void OnDestroy();
    // Re-applies the recording take stores to the rebuilt documents.
    virtual void RecoverSession();

    // The scan of the temporary folder (run by DoModal, or by a caller before Create).
    SessionScan& Files() { return m_scan; }
    void ScanFolder(const std::string& folder) { m_scan.Scan(folder); }

private:
    CDocument* RebuildDocument(SessionRecord& record);
    // The rebuilt document a take store was recorded into: by the journal it had, else by
    // its title or path.
    CDocument* DocumentOfTakes(const SessionRecord& take) const;
    HRESULT RecoverTakes(SessionRecord& take);

    struct Rebuilt {
        CDocument* document;
        std::string journal; // the session file it was rebuilt from
    };
    std::vector<Rebuilt> m_rebuilt;
    SessionScan m_scan;
    SessionFileList m_list;
    bool m_scanned = false;
    DECLARE_MESSAGE_MAP()
};

// The document takes the session file back as its journal, replays it and is marked
// modified; the failure is returned.
HRESULT TakeBackSessionJournal(CDocument* document, const char* sessionFile);
