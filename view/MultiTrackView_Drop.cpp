#include "ComObject.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "TransactionCommand.h"
#include "ViewHost.h"
#include "ViewIds.h"
#include "resource.h"

#include "CommandInterfaces.h"

#include <shellapi.h>

namespace {
constexpr HRESULT kErrUnsupportedFormat = static_cast<HRESULT>(0x83E804B4);
constexpr HRESULT kErrNoMoreTracks = static_cast<HRESULT>(0x83E807D5);
constexpr int kDropChannelBudget = 6;

// One drop at a time, program-wide.
bool g_dropInProgress = false;

std::string LoadText(UINT id)
{
    char text[256] = "";
    ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

bool IsProjectFile(int type)
{
    return type == 0 || type == 1 || type == 20;
}

// Channels the document holds up to its last track with sound.
int UsedChannels(CNyMultiTrackDoc& doc)
{
    int lastWithSound = -1;
    for (int t = 0, n = doc.GetTrackCount(); t < n; ++t)
        if (doc.GetTrackExtent(t, 0) > 0)
            lastWithSound = t;
    int used = 0;
    for (int t = 0; t <= lastWithSound; ++t)
        used += doc.GetTrackChannels(t);
    return used;
}

// Checks one file against the format limits and the budget, then imports it.
HRESULT ImportOne(IViewHost& host, CNyMultiTrackDoc& doc, const char* path, int split, int* budget,
                  TransactionCommand& transaction)
{
    FileInfoRecord info{};
    HRESULT hr = host.QueryFileInfo(path, &info);
    if (FAILED(hr))
        return hr;
    if (info.fileType == 11)
        info.importChannels = 2;
    if (info.channels > 16 || info.samplesPerSec > 192000)
        return kErrUnsupportedFormat;
    if (IsProjectFile(info.fileType)) {
        int channels = 0;
        hr = host.GetProjectChannels(path, &channels);
        if (FAILED(hr))
            return hr;
        *budget -= channels;
    } else {
        *budget -= info.importChannels;
    }
    if (*budget < 0)
        return kErrNoMoreTracks;
    ComRef<IEditCommand> command;
    hr = host.ImportFile(&doc, path, split, command.Out());
    if (FAILED(hr))
        return hr;
    // A loader that hands out no command has loaded nothing we could undo.
    if (!command)
        return E_FAIL;
    return transaction.Add(command.Get());
}
} // namespace

void CNyMultiTrackView::OnDropFiles(HDROP drop)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc || IsTransportBusy() || g_dropInProgress || m_editMode != 0) {
        ::DragFinish(drop);
        return;
    }
    g_dropInProgress = true;
    ::SetForegroundWindow(::GetAncestor(m_hWnd, GA_ROOT));
    IViewHost& host = GetViewHost();
    ComRef<TransactionCommand> transaction(
        ComObject<IEditCommand>::Create<TransactionCommand>(LoadText(IDS_PF_IMPORT).c_str()));
    if (transaction) {
        int budget = kDropChannelBudget - UsedChannels(*doc);
        int split = GetSettingInt("Settings", "ChannelSplit", 0);
        HRESULT failure = S_OK;
        UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count && SUCCEEDED(failure); ++i) {
            char path[MAX_PATH] = "";
            ::DragQueryFileA(drop, i, path, MAX_PATH);
            failure = ImportOne(host, *doc, path, split, &budget, *transaction.Get());
        }
        UINT added = 0;
        transaction->GetCount(&added);
        if (FAILED(failure)) {
            // The file's own text once, then what this drop loaded goes out again.
            host.ShowErrorBox(failure, failure == kErrNoMoreTracks ? LoadText(IDS_WARNING).c_str() : nullptr);
            if (added)
                transaction->Undo();
        } else if (added && doc->GetHistory()) {
            HRESULT hr = doc->GetHistory()->Add(transaction.Get(), TRUE);
            if (FAILED(hr))
                host.ShowErrorBox(hr, nullptr);
            doc->SetModifiedFlag(TRUE);
        }
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateStatusText();
    if (CSelectionModel* selection = GetSelection()) {
        int64_t start = 0, end = 0;
        selection->GetSelection(&start, &end);
        selection->SetSelection(start, end, TRUE);
    }
    ::DragFinish(drop);
    g_dropInProgress = false;
}

void CNyMultiTrackView::OnDestroyClipboard()
{
    // The clip data handed to the clipboard is the system's from then on, and it frees it
    // when the clipboard is emptied: nothing of it is ours to free here.
    Default();
}
