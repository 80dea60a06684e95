#include "ReverseJob.h"

#include "KsMultiTrack.h"
#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <vector>

// The range is read a second at a time from its end backwards, so that the file is written
// once, front to back, with its peaks on the way.
void CReverseJob::Process(IMtTrack* track, int64_t start, int64_t end, FrameSink& sink)
{
    const size_t frameBytes = static_cast<size_t>(FrameBytes());
    std::vector<uint8_t> read(BlockFrames() * frameBytes);
    std::vector<uint8_t> turned(read.size());
    ComRef<IMtItem> reader;
    ThrowIfFailed(track->CreateReader(reader.Out(), 0));
    for (int64_t blockEnd = end; blockEnd > start;) {
        const int64_t blockStart = std::max<int64_t>(start, blockEnd - static_cast<int64_t>(BlockFrames()));
        const LONGLONG from = blockStart, to = blockEnd;
        ThrowIfFailed(reader->SetRange(&from, &to));
        ThrowIfFailed(reader->BeginRead());
        const size_t wanted = static_cast<size_t>(blockEnd - blockStart) * frameBytes;
        DWORD got = 0;
        HRESULT hr = reader->Read(read.data(), static_cast<DWORD>(wanted), &got);
        reader->EndRead();
        ThrowIfFailed(hr);
        // A short read is silence at the block's end (the range passes the sound).
        if (got < wanted)
            std::memset(read.data() + got, StorageBytes() == 1 ? 0x80 : 0, wanted - got);
        const size_t frames = wanted / frameBytes;
        for (size_t f = 0; f < frames; ++f)
            std::memcpy(&turned[f * frameBytes], &read[(frames - 1 - f) * frameBytes], frameBytes);
        sink.Write(turned.data(), wanted);
        Advance(static_cast<int64_t>(frames));
        blockEnd = blockStart;
    }
}
