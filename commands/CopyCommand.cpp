#include "ClipboardCommands.h"

#include "CommandSupport.h"
#include "FwApp.h"
#include "OperationEdge.h"

#include <algorithm>

namespace {

struct PendingCopy {
    uint32_t serial;
    IMtClip* copy; // one reference
};

std::vector<PendingCopy>& PendingCopies()
{
    static std::vector<PendingCopy> copies;
    return copies;
}

uint32_t g_nextSerial = 1;
HWND g_ownerWindow = nullptr;

HWND OwnerWindow()
{
    if (g_ownerWindow)
        return g_ownerWindow;
    CWnd* main = AfxGetMainWnd();
    return main ? main->GetSafeHwnd() : nullptr;
}

HRESULT LastError()
{
    DWORD error = ::GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

} // namespace

UINT GetCopyClipboardFormat()
{
    static UINT format = ::RegisterClipboardFormatA("KorvaneSound4 Copy");
    return format;
}

void ReleasePendingCopies()
{
    // Taken out of the list first: a release may reach code that looks at the list.
    std::vector<PendingCopy> copies;
    copies.swap(PendingCopies());
    for (PendingCopy& entry : copies)
        entry.copy->Release();
}

size_t PendingCopyCount()
{
    return PendingCopies().size();
}

void SetClipboardOwnerWindow(HWND window)
{
    g_ownerWindow = window;
}

HRESULT ReadClipboardCopies(std::vector<ComRef<IMtClip>>& copies)
{
    copies.clear();
    HWND owner = ::GetClipboardOwner();
    DWORD process = 0;
    if (!owner || !::GetWindowThreadProcessId(owner, &process) || process != ::GetCurrentProcessId())
        return E_FAIL;
    HANDLE block = ::GetClipboardData(GetCopyClipboardFormat());
    if (!block)
        return E_FAIL;
    SIZE_T size = ::GlobalSize(block);
    const uint8_t* data = static_cast<const uint8_t*>(::GlobalLock(block));
    if (!data)
        return E_FAIL;
    HRESULT hr = S_OK;
    uint32_t count = size >= 4 ? GetField<uint32_t>(data, 0) : 0;
    if (count < 1 || (size - 4) / 4 < count) {
        hr = E_FAIL;
    } else {
        for (uint32_t i = 0; i < count && hr == S_OK; ++i) {
            uint32_t serial = GetField<uint32_t>(data, 4 + 4 * static_cast<size_t>(i));
            auto found = std::find_if(PendingCopies().begin(), PendingCopies().end(),
                                      [&](const PendingCopy& entry) { return entry.serial == serial; });
            if (found == PendingCopies().end())
                hr = E_FAIL;
            else
                copies.push_back(ComRef<IMtClip>::Share(found->copy));
        }
    }
    ::GlobalUnlock(block);
    if (FAILED(hr))
        copies.clear();
    return hr;
}

HRESULT CopyCommand::Do()
{
    HWND owner = OwnerWindow();
    if (!owner || !m_document)
        return E_POINTER;
    if (!::OpenClipboard(owner))
        return LastError();
    if (!::EmptyClipboard()) {
        HRESULT hr = LastError();
        ::CloseClipboard();
        return hr;
    }
    HRESULT hr = RunAtEdge([&] {
        int64_t start = 0, end = 0;
        m_document->GetOrderedSelection(&start, &end);
        if (Magnitude(end, start) < 1)
            throw CKvSSException(E_FAIL);
        IMtTrackSet* set = m_document->GetTrackSet();
        if (!set)
            throw CKvSSException(E_POINTER);
        HRESULT last = S_OK;
        for (int i = 0; i < m_document->GetTrackCount(); ++i) {
            if (!m_document->IsTrackSelectedAt(i))
                continue;
            ComRef<IMtTrack> track;
            ThrowIfFailed(set->GetTrack(i, track.Out()));
            LONGLONG trackStart = 0, trackLength = 0;
            ThrowIfFailed(track->GetStartOffset(&trackStart));
            ThrowIfFailed(track->GetLength(&trackLength));
            int64_t length = std::max<int64_t>(0, std::min<int64_t>(end, trackStart + trackLength) - start);
            ComRef<IMtClip> copy;
            last = ThrowIfFailed(track->CopyRange(copy.Out(), start, length));
            if (!copy)
                throw CKvSSException(E_FAIL);
            PendingCopies().push_back({g_nextSerial++, copy.Detach()});
        }
        size_t count = PendingCopies().size();
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4 + 4 * count);
        if (!block)
            throw CKvSSException(E_OUTOFMEMORY);
        auto* data = static_cast<uint8_t*>(::GlobalLock(block));
        PutField<uint32_t>(data, 0, static_cast<uint32_t>(count));
        for (size_t i = 0; i < count; ++i)
            PutField<uint32_t>(data, 4 + 4 * i, PendingCopies()[i].serial);
        ::GlobalUnlock(block);
        if (!::SetClipboardData(GetCopyClipboardFormat(), block)) {
            HRESULT failed = LastError();
            ::GlobalFree(block);
            throw CKvSSException(failed);
        }
        return last;
    });
    if (FAILED(hr))
        ReleasePendingCopies();
    ::CloseClipboard();
    return hr;
}
