#include "ChannelSplitter.h"

#include "GlobalMemory.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "ProgressReporter.h"
#include "ResourceModule.h"
#include "SampleConverter.h"
#include "TempFilePaths.h"
#include "WaveFormat.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr UINT kRefreshingPeaksTitleId = 61287;
constexpr HRESULT kCancelled = static_cast<HRESULT>(0x83E80005);
constexpr DWORD kPeakItemsPerRead = 1024; // per channel
constexpr DWORD kCloseDelay = 500;

// The system's last error as a failure; never a success code, even when nothing set it.
HRESULT LastErrorResult()
{
    HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    return FAILED(hr) ? hr : E_FAIL;
}

// Locked movable global memory, zeroed, freed on every path.
class WorkBlock {
public:
    explicit WorkBlock(SIZE_T bytes)
        : m_p(static_cast<BYTE*>(GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes ? bytes : 1)))
    {
        if (!m_p)
            throw CKvSSException(E_OUTOFMEMORY);
    }
    ~WorkBlock() { GlobalUnlockFree(m_p); }
    WorkBlock(const WorkBlock&) = delete;
    WorkBlock& operator=(const WorkBlock&) = delete;
    BYTE* Get() const { return m_p; }

private:
    BYTE* m_p;
};

// Deals frames interleaved samples of width T out to one buffer per channel. The fixed
// channel counts let the compiler unroll and vectorise the common cases.
template <class T, int Channels>
void DealFixed(const BYTE* in, size_t frames, BYTE* const* out)
{
    const T* src = reinterpret_cast<const T*>(in);
    T* dst[Channels];
    for (int c = 0; c < Channels; ++c)
        dst[c] = reinterpret_cast<T*>(out[c]);
    for (size_t f = 0; f < frames; ++f)
        for (int c = 0; c < Channels; ++c)
            dst[c][f] = src[f * Channels + c];
}

template <class T>
void DealTyped(const BYTE* in, size_t frames, WORD channels, BYTE* const* out)
{
    switch (channels) {
    case 1:
        std::memcpy(out[0], in, frames * sizeof(T));
        break;
    case 2:
        DealFixed<T, 2>(in, frames, out);
        break;
    case 3:
        DealFixed<T, 3>(in, frames, out);
        break;
    case 4:
        DealFixed<T, 4>(in, frames, out);
        break;
    case 5:
        DealFixed<T, 5>(in, frames, out);
        break;
    default:
        DealFixed<T, 6>(in, frames, out);
        break;
    }
}

// Deals whole frames of width-byte samples; width is 1, 2, 4 or 8.
void Deal(const BYTE* in, size_t frames, WORD channels, UINT width, BYTE* const* out)
{
    switch (width) {
    case 1:
        DealTyped<uint8_t>(in, frames, channels, out);
        break;
    case 2:
        DealTyped<uint16_t>(in, frames, channels, out);
        break;
    case 4:
        DealTyped<uint32_t>(in, frames, channels, out);
        break;
    default:
        DealTyped<uint64_t>(in, frames, channels, out);
        break;
    }
}

void CheckChannels(WORD channels)
{
    if (channels < 1 || channels > CChannelSplitter::kMaxChannels)
        throw CKvSSException(E_INVALIDARG);
}

// The long runs' progress: a title, no text, shown from the start.
class SplitProgress {
public:
    SplitProgress() : m_report("", Title().c_str(), 0, kCloseDelay, FALSE) { m_report.SetPosition(m_report.minimum); }
    ~SplitProgress() { m_report.End(); }
    SplitProgress(const SplitProgress&) = delete;
    SplitProgress& operator=(const SplitProgress&) = delete;

    void Advance(LONGLONG done, LONGLONG length)
    {
        UINT range = m_report.maximum - m_report.minimum;
        m_report.SetPosition(m_report.minimum + CChannelSplitter::ProgressPosition(done, length, range));
        if (m_report.cancelled)
            throw CKvSSException(kCancelled);
    }
    void Finish() { m_report.SetPosition(m_report.maximum); }

private:
    static std::string Title()
    {
        char loaded[kProgressTextLength];
        if (LoadStringA(GetResourceModule(), kRefreshingPeaksTitleId, loaded, sizeof(loaded)) > 0)
            return loaded;
        return "Refreshing wave form peaks...";
    }
    ProgressReporter m_report;
};

void ClearRecord(ChannelFileRecord& r)
{
    r.fileName[0] = 0;
    r.file = nullptr;
    r.buffer = nullptr;
    r.pending = 0;
}

} // namespace

CChannelSplitter::CChannelSplitter()
{
    for (int c = 0; c < kMaxChannels; ++c) {
        ClearRecord(m_samples[c]);
        ClearRecord(m_peaks[c]);
    }
}

CChannelSplitter::~CChannelSplitter()
{
    FreeBuffers(m_samples);
    FreeBuffers(m_peaks);
    CloseFiles(m_samples);
    CloseFiles(m_peaks);
}

UINT CChannelSplitter::StorageBytes(WORD bits)
{
    if (bits <= 8)
        return 1;
    return bits <= 16 ? 2 : 4;
}

UINT CChannelSplitter::ProgressPosition(LONGLONG done, LONGLONG length, UINT range)
{
    if (length <= 0 || done <= 0)
        return 0;
    if (done >= length)
        return range;
    return UINT(double(range) * double(done) / double(length));
}

int CChannelSplitter::CreateFiles(ChannelFileRecord* set, WORD channels)
{
    if (channels < 1 || channels > kMaxChannels) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (WORD c = 0; c < channels; ++c) {
        ChannelFileRecord& r = set[c];
        if (r.file)
            CloseHandle(r.file);
        ClearRecord(r);
        TempFilePaths paths;
        if (!paths.MakeTempFileNameCopy(r.fileName, sizeof(r.fileName))) {
            r.fileName[0] = 0;
            if (GetLastError() == ERROR_SUCCESS)
                SetLastError(ERROR_CANNOT_MAKE);
            return 0;
        }
        HANDLE h = CreateFileA(r.fileName, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return 0; // the name stays, so that the delete step removes the empty file
        r.file = h;
    }
    return 1;
}

void CChannelSplitter::CloseFiles(ChannelFileRecord* set)
{
    for (int c = 0; c < kMaxChannels; ++c)
        if (set[c].file) {
            CloseHandle(set[c].file);
            set[c].file = nullptr;
        }
}

void CChannelSplitter::DeleteFiles(ChannelFileRecord* set)
{
    for (int c = 0; c < kMaxChannels; ++c)
        if (set[c].fileName[0]) {
            DeleteFileA(set[c].fileName);
            set[c].fileName[0] = 0;
        }
}

void CChannelSplitter::FreeBuffers(ChannelFileRecord* set)
{
    for (int c = 0; c < kMaxChannels; ++c) {
        GlobalUnlockFree(set[c].buffer);
        set[c].buffer = nullptr;
        set[c].pending = 0;
    }
}

void CChannelSplitter::WriteAll(HANDLE file, const void* data, DWORD bytes)
{
    if (bytes == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(file, data, bytes, &written, nullptr))
        throw CKvSSException(LastErrorResult());
    if (written != bytes)
        throw CKvSSException(HRESULT_FROM_WIN32(ERROR_DISK_FULL));
}

int CChannelSplitter::CreateChannelFiles(WORD channels)
{
    return CreateFiles(m_samples, channels);
}
int CChannelSplitter::CreatePeakFiles(WORD channels)
{
    return CreateFiles(m_peaks, channels);
}

const char* CChannelSplitter::GetChannelFileName(WORD channel) const
{
    return channel < kMaxChannels ? m_samples[channel].fileName : "";
}

const char* CChannelSplitter::GetPeakFileName(WORD channel) const
{
    return channel < kMaxChannels ? m_peaks[channel].fileName : "";
}

void CChannelSplitter::CloseChannelFiles()
{
    CloseFiles(m_samples);
}
void CChannelSplitter::ClosePeakFiles()
{
    CloseFiles(m_peaks);
}
void CChannelSplitter::DeleteChannelFiles()
{
    DeleteFiles(m_samples);
}
void CChannelSplitter::DeletePeakFiles()
{
    DeleteFiles(m_peaks);
}

HRESULT CChannelSplitter::SplitWithProgress(IMtItem* stream, WORD bits, DWORD rate, WORD channels, LONGLONG length)
{
    HRESULT last = S_OK;
    try {
        if (!stream || rate == 0)
            throw CKvSSException(E_INVALIDARG);
        CheckChannels(channels);
        if (!CreateChannelFiles(channels))
            throw CKvSSException(LastErrorResult());
        // The reader gives floats for 20, 24 and 32 bits: deal out by what it gives.
        const UINT width = StorageBytes(bits);
        const DWORD blockBytes = DWORD(channels) * width * rate;
        WorkBlock read(blockBytes);
        BYTE* out[kMaxChannels] = {};
        for (WORD c = 0; c < channels; ++c) {
            m_samples[c].buffer =
                static_cast<BYTE*>(GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(width) * rate));
            if (!m_samples[c].buffer)
                throw CKvSSException(E_OUTOFMEMORY);
            out[c] = m_samples[c].buffer;
        }
        SplitProgress progress;
        const DWORD frameBytes = DWORD(channels) * width;
        LONGLONG done = 0;
        for (;;) {
            DWORD got = 0;
            last = ThrowIfFailed(stream->Read(read.Get(), blockBytes, &got));
            if (got > blockBytes)
                throw CKvSSException(E_UNEXPECTED);
            const DWORD frames = got / frameBytes;
            Deal(read.Get(), frames, channels, width, out);
            for (WORD c = 0; c < channels; ++c) {
                m_samples[c].pending = frames * width;
                WriteAll(m_samples[c].file, out[c], m_samples[c].pending);
                m_samples[c].pending = 0;
            }
            done += frames;
            progress.Advance(done, length);
            if (got < blockBytes)
                break;
        }
        FreeBuffers(m_samples);
        CloseChannelFiles();
        progress.Finish();
        return last;
    } catch (const CKvSSException& e) {
        FreeBuffers(m_samples);
        CloseChannelFiles();
        DeleteChannelFiles();
        return e.m_hr;
    }
}

HRESULT CChannelSplitter::CopyInterleavedWithProgress(IMtItem* stream, WORD storedBits, DWORD rate, WORD channels,
                                                      LONGLONG length)
{
    HRESULT last = S_OK;
    try {
        if (!stream || rate == 0)
            throw CKvSSException(E_INVALIDARG);
        CheckChannels(channels);
        if (!CreateChannelFiles(1))
            throw CKvSSException(LastErrorResult());
        const UINT width = StorageBytes(storedBits);
        const DWORD frameBytes = DWORD(channels) * width;
        // Whole frames of the storage layout, one second at most.
        const DWORD blockBytes = DWORD(channels) * rate * 4 / frameBytes * frameBytes;
        WorkBlock read(blockBytes);
        const bool narrow = storedBits == 20 || storedBits == 24;
        WaveFormat floats, packed;
        SampleConverter convert;
        BYTE* converted = nullptr;
        if (narrow) {
            floats.InitFloat32(rate, channels);
            packed.InitExtensiblePcm(rate, storedBits, channels, 0, 0);
            convert.SetSourceFormat(&floats);
            convert.SetDestinationFormat(&packed);
            m_samples[0].buffer = static_cast<BYTE*>(GlobalAllocLock(GMEM_MOVEABLE, SIZE_T(channels) * rate * 3));
            if (!m_samples[0].buffer)
                throw CKvSSException(E_OUTOFMEMORY);
            converted = m_samples[0].buffer;
        }
        SplitProgress progress;
        LONGLONG done = 0;
        for (;;) {
            DWORD got = 0;
            last = ThrowIfFailed(stream->Read(read.Get(), blockBytes, &got));
            if (got > blockBytes)
                throw CKvSSException(E_UNEXPECTED);
            const DWORD frames = got / frameBytes;
            if (narrow) {
                convert.Convert(read.Get(), frames, converted);
                WriteAll(m_samples[0].file, converted, frames * channels * 3);
            } else {
                WriteAll(m_samples[0].file, read.Get(), frames * frameBytes);
            }
            done += frames;
            progress.Advance(done, length);
            if (got < blockBytes)
                break;
        }
        FreeBuffers(m_samples);
        CloseChannelFiles();
        progress.Finish();
        return last;
    } catch (const CKvSSException& e) {
        FreeBuffers(m_samples);
        CloseChannelFiles();
        DeleteChannelFiles();
        return e.m_hr;
    }
}

void CChannelSplitter::SplitBlocks(IMtPeakReader* stream, WORD channels)
{
    if (!stream)
        throw CKvSSException(E_INVALIDARG);
    CheckChannels(channels);
    if (!CreatePeakFiles(channels))
        throw CKvSSException(LastErrorResult());
    try {
        const DWORD want = DWORD(channels) * kPeakItemsPerRead;
        WorkBlock read(SIZE_T(want) * sizeof(MtPeakItem));
        BYTE* out[kMaxChannels] = {};
        for (WORD c = 0; c < channels; ++c) {
            m_peaks[c].buffer = static_cast<BYTE*>(
                GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, kPeakItemsPerRead * sizeof(MtPeakItem)));
            if (!m_peaks[c].buffer)
                throw CKvSSException(E_OUTOFMEMORY);
            out[c] = m_peaks[c].buffer;
        }
        for (;;) {
            DWORD got = 0;
            ThrowIfFailed(stream->Read(reinterpret_cast<MtPeakItem*>(read.Get()), want, &got));
            if (got > want)
                throw CKvSSException(E_UNEXPECTED);
            const DWORD points = got / channels;
            Deal(read.Get(), points, channels, sizeof(MtPeakItem), out);
            // A last point the reader cut short still goes to the channels it reached.
            for (DWORD k = points * channels; k < got; ++k)
                std::memcpy(out[k % channels] + points * sizeof(MtPeakItem), read.Get() + k * sizeof(MtPeakItem),
                            sizeof(MtPeakItem));
            for (WORD c = 0; c < channels; ++c) {
                m_peaks[c].pending = (points + (c < got % channels ? 1 : 0)) * DWORD(sizeof(MtPeakItem));
                WriteAll(m_peaks[c].file, out[c], m_peaks[c].pending);
                m_peaks[c].pending = 0;
            }
            if (got < want)
                break;
        }
    } catch (...) {
        FreeBuffers(m_peaks);
        ClosePeakFiles();
        throw;
    }
    FreeBuffers(m_peaks);
    ClosePeakFiles();
}

void CChannelSplitter::CopyBlocks(IMtPeakReader* stream, WORD channels)
{
    if (!stream)
        throw CKvSSException(E_INVALIDARG);
    CheckChannels(channels);
    if (!CreatePeakFiles(1))
        throw CKvSSException(LastErrorResult());
    try {
        const DWORD want = DWORD(channels) * kPeakItemsPerRead;
        WorkBlock read(SIZE_T(want) * sizeof(MtPeakItem));
        for (;;) {
            DWORD got = 0;
            ThrowIfFailed(stream->Read(reinterpret_cast<MtPeakItem*>(read.Get()), want, &got));
            if (got > want)
                throw CKvSSException(E_UNEXPECTED);
            WriteAll(m_peaks[0].file, read.Get(), got * DWORD(sizeof(MtPeakItem)));
            if (got < want)
                break;
        }
    } catch (...) {
        ClosePeakFiles();
        throw;
    }
    ClosePeakFiles();
}
