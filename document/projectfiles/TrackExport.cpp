#include "TrackExport.h"

#include "KvSSException.h"

TrackExport::TrackExport(IMtTrack* track, WORD storedBits, DWORD rate, bool interleaved)
{
    try {
        Export(track, storedBits, rate, interleaved);
    } catch (...) {
        Remove();
        throw;
    }
}

void TrackExport::Export(IMtTrack* track, WORD storedBits, DWORD rate, bool interleaved)
{
    ComRef<IMtItem> item;
    ThrowIfFailed(track->CreateReader(item.Out(), 0));
    ThrowIfFailed(track->GetStartOffset(&start));
    ThrowIfFailed(track->GetChannels(&channels));
    ThrowIfFailed(track->GetLength(&length));
    const LONGLONG end = -1;
    ThrowIfFailed(item->SetRange(&start, &end));
    ThrowIfFailed(item->BeginRead());
    HRESULT hr = interleaved ? split.CopyInterleavedWithProgress(item.Get(), storedBits, rate, channels, length)
                             : split.SplitWithProgress(item.Get(), storedBits, rate, channels, length);
    item->EndRead();
    ThrowIfFailed(hr);
    split.CloseChannelFiles();

    ComRef<IMtPeakReader> peaks;
    ThrowIfFailed(track->CreatePeakReader(peaks.Out(), 1024, 0));
    ThrowIfFailed(peaks->Seek(start));
    if (interleaved)
        split.CopyBlocks(peaks.Get(), channels);
    else
        split.SplitBlocks(peaks.Get(), channels);
    peaks->End();
    split.ClosePeakFiles();
}

TrackExport::~TrackExport()
{
    Remove();
}

void TrackExport::Remove()
{
    split.CloseChannelFiles();
    split.DeleteChannelFiles();
    split.ClosePeakFiles();
    split.DeletePeakFiles();
}
