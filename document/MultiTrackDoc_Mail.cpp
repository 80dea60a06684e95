// Send (the saved project file as a mail attachment) and New Cue Point and New Section.
#include "MultiTrackDoc.h"

#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "DocWiring.h"
#include "EditBusyGuard.h"
#include "FwApp.h"
#include "MarkCommands.h"
#include "MarksAddedHint.h"
#include "SelectionModel.h"

using namespace doccmd;

namespace {

bool MailerConfigured()
{
    return ::GetProfileIntA("MAIL", "MAPI", 0) != 0 &&
           ::SearchPathA(nullptr, "MAPI32.DLL", nullptr, 0, nullptr, nullptr) != 0;
}

void AddMarkAtCursor(CNyMultiTrackDoc* document)
{
    UINT nameId = document->GetSelection()->HasSelection() ? IDS_CMD_SECTION : IDS_CMD_CUE;
    ComRef<IEditCommand> command =
        MakeCommand<AddMarksCommand>(LoadResourceText(nameId).c_str(), static_cast<CommandDocument*>(document));
    ICommandHistory* history = document->GetHistory();
    // New marks take the places after the table's last.
    MarksAddedHint added(document->GetLabels().GetSize() + 1);
    HRESULT hr = command && history ? history->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    document->SyncModifiedWithHistory();
    // Pressed while playing, a whole repaint of the view would hold up the keys after it.
    document->UpdateAllViews(nullptr, kHintMarksAdded, &added);
    DocWiring::RefreshMarkerList(-1);
    DocWiring::SelectLastMarker();
}

} // namespace

void CNyMultiTrackDoc::OnFileSend()
{
    CWaitCursor wait;
    if (!MailerConfigured()) {
        AfxMessageBox(LoadResourceText(IDS_MAIL_NO_MAILER).c_str(), MB_OK);
        return;
    }
    if (IsModified()) {
        AfxMessageBox(LoadResourceText(IDS_MAIL_FILE_EDITED).c_str(), MB_OK);
        return;
    }
    HANDLE file = ::CreateFileA(GetPathName(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ShowError(HRESULT_FROM_WIN32(::GetLastError()));
        return;
    }
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    ::CloseHandle(file);
    if (static_cast<uint64_t>(size.QuadPart) >= kMailWarnBytes &&
        AfxMessageBox(FormatText(IDS_MAIL_LARGE_FILE, MailSizeText(static_cast<uint64_t>(size.QuadPart))).c_str(),
                      MB_YESNO) == IDNO)
        return;
    OnFileSendMail();
}

void CNyMultiTrackDoc::OnUpdateFileSend(CCmdUI* ui)
{
    ui->Enable(RuleFileSend(CaptureCommandState()).enabled);
}

void CNyMultiTrackDoc::OnNewCuePoint()
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard busy;
    AddMarkAtCursor(this);
    DocWiring::SelectLastMarker();
}

void CNyMultiTrackDoc::OnUpdateNewCuePoint(CCmdUI* ui)
{
    ui->Enable(RuleNewCuePoint(CaptureCommandState()).enabled);
}

void CNyMultiTrackDoc::OnNewSection()
{
    AddMarkAtCursor(this);
}

void CNyMultiTrackDoc::OnUpdateNewSection(CCmdUI* ui)
{
    ui->Enable(RuleNewSection(CaptureCommandState()).enabled);
}
