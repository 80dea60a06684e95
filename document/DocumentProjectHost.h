// DocumentProjectHost: the document as the project formats see it. A load's edits run at
// once and collect in one "Import" transaction, which the load hands out or undoes.
#pragma once
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "ProjectFile.h"

class CNyMultiTrackDoc;

class DocumentProjectHost : public ProjectHost {
public:
    explicit DocumentProjectHost(CNyMultiTrackDoc* document);
    ~DocumentProjectHost();

    IMtTrackSet* TrackSet() override;
    WORD StoredBits() override;
    uint32_t DocumentType() override;
    void TakeFormat(WORD bits, DWORD rate, WORD storedBits) override;
    void SetDocumentType(uint32_t type) override;
    int GetTrackGroup(int index) override;
    void SetTrackGroup(IMtTrack* track, int group) override;
    BOOL GetTrackFlag(int index, DWORD flag) override;
    void SetTrackFlag(int index, DWORD flag, BOOL on) override;
    COLORREF GetTrackColor(IMtTrack* track) override;
    void SetTrackColor(IMtTrack* track, COLORREF colour) override;
    COLORREF SkinColor(int index) override;
    DWORD GetTrackSerial(IMtTrack* track) override;
    void SetTrackSerial(IMtTrack* track, DWORD serial) override;
    void GetLabels(int trackIndex, int64_t from, int64_t to, std::vector<LabelRecord>& out) override;
    int TrackIndexToId(int index) override;
    int TrackIdToIndex(int id) override;
    HRESULT ImportItems(IMtItemList* items, IMtTrack** track) override;
    HRESULT ApplyLabel(const LabelRecord& record) override;
    HRESULT GetLoadCommand(IUnknown** command) override;
    void UndoLoad() override;
    IMtTempStore* TempStore() override;
    ProjectWorkspace GetWorkspace() override;
    void ApplyWorkspace(const ProjectWorkspace& workspace, BOOL fitView) override;
    std::string GetDescription() override;
    void SetDescription(const char* text) override;
    std::string GetVideoPath() override;
    void SetVideoPath(const char* path) override;
    void SetCreatorText(const char* signature) override;
    std::string GetCreatorText() override;
    void ShowMessage(const char* text) override;
    int AskYesNo(const char* text) override;
    void ShowErrorCode(HRESULT code) override;
    HWND ProgressWindow() override;

    // The view should fit the document once it shows (a workspace without zoom values).
    BOOL WantsFitView() const { return m_fitView; }

private:
    // Runs a command of the load and keeps it in the transaction.
    HRESULT RunInTransaction(IEditCommand* command);

    CNyMultiTrackDoc* m_document;
    ComRef<ICommandList> m_transaction;
    ComRef<IMtTempStore> m_store;
    BOOL m_fitView = FALSE;
};
