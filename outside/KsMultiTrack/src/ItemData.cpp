#include "ItemData.h"

#include "KvSSException.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>

#include <winternl.h>

extern "C" NTSTATUS NTAPI NtReadFile(HANDLE file, HANDLE event, void* apc, void* apcContext, IO_STATUS_BLOCK* status,
                                     void* buffer, ULONG length, LARGE_INTEGER* offset, ULONG* key);

namespace {

std::mutex& RegistryLock()
{
    static std::mutex lock;
    return lock;
}
std::map<std::string, std::weak_ptr<ItemData>>& Registry()
{
    static std::map<std::string, std::weak_ptr<ItemData>> files;
    return files;
}
std::string& TempFolder()
{
    static std::string folder;
    return folder;
}

std::string FullPathKey(const std::string& path)
{
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    std::string key = (n > 0 && n < sizeof(full)) ? std::string(full, n) : path;
    for (char& c : key) {
        if (c == '/')
            c = '\\';
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

bool InsideTempFolder(const std::string& path)
{
    std::string folder = GetEngineTempFolder();
    if (folder.empty())
        return false;
    std::string f = FullPathKey(folder);
    if (!f.empty() && f.back() != '\\')
        f += '\\';
    std::string p = FullPathKey(path);
    return p.size() > f.size() && p.compare(0, f.size(), f) == 0;
}

LONGLONG FileSize(HANDLE file)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return -1;
    return size.QuadPart;
}

} // namespace

void SetEngineTempFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> guard(RegistryLock());
    TempFolder() = folder;
}

std::string PathKey(const std::string& path)
{
    return FullPathKey(path);
}

bool IsFileUsedByItems(const std::string& path)
{
    const std::string key = FullPathKey(path);
    std::vector<std::shared_ptr<ItemData>> live;
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        if (auto it = Registry().find(key); it != Registry().end() && !it->second.expired())
            return true;
        for (const auto& entry : Registry())
            if (auto item = entry.second.lock())
                live.push_back(std::move(item));
    }
    // Compared, and the references dropped, outside the lock: a last release takes it.
    bool used = false;
    for (const auto& item : live)
        if (!item->PeakPath().empty() && FullPathKey(item->PeakPath()) == key)
            used = true;
    return used;
}

FILETIME ThisRunStart()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        GetSystemTimeAsFileTime(&created);
    return created;
}

bool WrittenBeforeThisRun(HANDLE file)
{
    FILETIME written{};
    const FILETIME start = ThisRunStart();
    return GetFileTime(file, nullptr, nullptr, &written) && CompareFileTime(&written, &start) < 0;
}

bool IsEngineTempName(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() < 4 || _stricmp(name.c_str() + name.size() - 4, ".tmp") != 0)
        return false;
    return _strnicmp(name.c_str(), "NY", 2) == 0 || _strnicmp(name.c_str(), "KMT", 3) == 0;
}

std::string GetEngineTempFolder()
{
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        if (!TempFolder().empty())
            return TempFolder();
    }
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof(buffer), buffer);
    return (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : std::string();
}

std::shared_ptr<ItemData> ItemData::OpenFile(const std::string& dataPath, const std::string& peakPath,
                                             const MtFormat& format, bool owned,
                                             std::vector<MtPeakItem> computedPeaks)
{
    if (!IsValidBits(format.bits) || format.channels < 1 || format.channels > kMaxChannels || format.rate == 0)
        throw CKvSSException(kMtErrFormatNotSupported);
    std::string key = FullPathKey(dataPath);
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        auto it = Registry().find(key);
        if (it != Registry().end()) {
            if (auto shared = it->second.lock()) {
                const MtFormat& f = shared->m_format;
                if (f.rate == format.rate && f.bits == format.bits && f.channels == format.channels)
                    return shared;
                // The same file read in another format: refuse rather than misread it.
                throw CKvSSException(kMtErrFormatNotSupported);
            }
        }
    }
    // Opened outside the lock: a failure destroys the half-made item, which takes the lock.
    std::shared_ptr<ItemData> item(new ItemData);
    item->m_format = format;
    item->m_kind = KindOfBits(format.bits);
    item->m_frameBytes = ::FrameBytes(format);
    item->m_path = dataPath;
    item->m_file = CreateFileA(dataPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (item->m_file == INVALID_HANDLE_VALUE)
        throw CKvSSException(kMtErrBadItemFile);
    LONGLONG size = FileSize(item->m_file);
    if (size < 0 || size % item->m_frameBytes != 0)
        throw CKvSSException(kMtErrBadItemFile);
    item->m_frames = size / item->m_frameBytes;
    // A peak file is used only when it is not the data itself and holds exactly one record
    // per block; anything else (empty, foreign, truncated) is replaced by computed peaks.
    if (!peakPath.empty() && FullPathKey(peakPath) != key) {
        item->m_peakPath = peakPath;
        HANDLE peaks = CreateFileA(peakPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        bool peakSized = false;
        if (peaks != INVALID_HANDLE_VALUE) {
            const LONGLONG want = PeakFileBytes(item->m_frames, format);
            peakSized = FileSize(peaks) == want && want > 0;
            if (peakSized && want < (1LL << 31)) {
                std::vector<uint8_t> bytes(static_cast<size_t>(want));
                DWORD got = 0;
                std::vector<StoredPeak> loaded;
                if (ReadFile(peaks, bytes.data(), static_cast<DWORD>(want), &got, nullptr) &&
                    DecodePeakFile(bytes.data(), got, item->m_frames, format, &loaded)) {
                    item->m_peaks.resize(loaded.size());
                    for (size_t i = 0; i < loaded.size(); ++i)
                        item->m_peaks[i] = MtPeakItem{loaded[i].minimum, loaded[i].maximum};
                    item->m_peaksFromFile = true;
                    std::call_once(item->m_peaksOnce, [] {});
                }
            }
            CloseHandle(peaks);
        }
        // A temporary file written as this item's peaks, handed with a data file the engine
        // takes, is the engine's too: refused, it would be left to a caller that has let go of
        // it. A temporary file of another size (a journal) is not a peak file and stays.
        if (!item->m_peaksFromFile && peakSized && owned && InsideTempFolder(dataPath) && InsideTempFolder(peakPath) &&
            IsEngineTempName(peakPath) && !IsFileUsedByItems(peakPath))
            DeleteFileA(peakPath.c_str());
    }
    const LONGLONG blocks = (item->m_frames + kPeakBlock - 1) / kPeakBlock;
    if (!item->m_peaksFromFile && blocks > 0 &&
        computedPeaks.size() == static_cast<size_t>(blocks * format.channels)) {
        item->m_peaks = std::move(computedPeaks);
        std::call_once(item->m_peaksOnce, [] {});
    }
    // Owned only once whole: a refused file stays where it is for the caller to handle. A file
    // an earlier run left belongs to that run's journal (a recovery that fails or is declined
    // must find it again): the start-up's clean-up deletes it once nothing needs it.
    item->m_owned = owned && !WrittenBeforeThisRun(item->m_file);
    std::lock_guard<std::mutex> guard(RegistryLock());
    Registry()[key] = item;
    return item;
}

std::shared_ptr<ItemData> ItemData::FromMemory(const MtFormat& format, std::vector<uint8_t> data)
{
    std::shared_ptr<ItemData> item(new ItemData);
    item->m_format = format;
    item->m_kind = KindOfBits(format.bits);
    item->m_frameBytes = ::FrameBytes(format);
    item->m_memory = std::move(data);
    item->m_frames = static_cast<LONGLONG>(item->m_memory.size()) / item->m_frameBytes;
    return item;
}

void ItemData::ReadFrames(LONGLONG first, LONGLONG count, uint8_t* out) const
{
    const size_t bytes = static_cast<size_t>(count) * m_frameBytes;
    if (m_file == INVALID_HANDLE_VALUE) {
        memcpy(out, m_memory.data() + first * m_frameBytes, bytes);
        return;
    }
    const uint64_t offset = static_cast<uint64_t>(first) * m_frameBytes;
    size_t done = 0;
    while (done < bytes) {
        // Positioned: readers on other threads share the handle. Without a completion value:
        // ReadFile with an OVERLAPPED queues a completion for every read, which under Wine is a
        // round trip to the server each time.
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset + done);
        IO_STATUS_BLOCK status{};
        const ULONG want = static_cast<ULONG>(std::min<size_t>(bytes - done, 1u << 30));
        if (NtReadFile(m_file, nullptr, nullptr, nullptr, &status, out + done, want, &at, nullptr) < 0 ||
            status.Information == 0)
            break;
        done += status.Information;
    }
    if (done < bytes) {
        const int bps = BytesPerSample(m_format.bits);
        done -= done % bps;
        FillSilence(out + done, (bytes - done) / bps, m_kind);
    }
}

const uint8_t* ItemData::Frames(LONGLONG first, LONGLONG count, std::vector<uint8_t>& scratch) const
{
    if (m_file == INVALID_HANDLE_VALUE)
        return m_memory.data() + first * m_frameBytes;
    const size_t bytes = static_cast<size_t>(count) * m_frameBytes;
    if (scratch.size() < bytes)
        scratch.resize(bytes);
    ReadFrames(first, count, scratch.data());
    return scratch.data();
}

ItemData::~ItemData()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    if (!m_path.empty()) {
        std::lock_guard<std::mutex> guard(RegistryLock());
        auto it = Registry().find(FullPathKey(m_path));
        if (it != Registry().end() && it->second.expired())
            Registry().erase(it);
    }
    if (m_owned && !m_keep && !m_path.empty() && InsideTempFolder(m_path)) {
        DeleteFileA(m_path.c_str());
        // A peak path is only a name the caller gave: the file goes only when it was read as
        // these peaks, carries a temporary name of ours and no other item reads it.
        if (m_peaksFromFile && InsideTempFolder(m_peakPath) && IsEngineTempName(m_peakPath) &&
            !IsFileUsedByItems(m_peakPath))
            DeleteFileA(m_peakPath.c_str());
    }
}

const std::vector<MtPeakItem>& ItemData::BlockPeaks() const
{
    // Asked for every piece of every peak point: a flag spares the once-call its lock.
    if (!m_peaksReady.load(std::memory_order_acquire)) {
        std::call_once(m_peaksOnce, [this] { ComputePeaks(); });
        m_peaksReady.store(true, std::memory_order_release);
    }
    return m_peaks;
}

const FinePeak* ItemData::FinePeaks(LONGLONG block) const
{
    if (!m_fineReady.load(std::memory_order_acquire)) {
        std::call_once(m_fineOnce, [this] {
            const LONGLONG blocks = (m_frames + kPeakBlock - 1) / kPeakBlock;
            auto fill = [](const void* owner, LONGLONG b, FinePeak* out) {
                static_cast<const ItemData*>(owner)->ComputeFinePeaks(b, out);
            };
            m_fine.reset(new (std::nothrow) FinePeakLevel(blocks, m_format.channels, kFinePerBlock, fill, this));
        });
        m_fineReady.store(true, std::memory_order_release);
    }
    return m_fine ? m_fine->Block(block) : nullptr;
}

void ItemData::ComputeFinePeaks(LONGLONG block, FinePeak* out) const
{
    const int ch = m_format.channels;
    const LONGLONG blockFirst = block * kPeakBlock;
    std::vector<uint8_t> scratch;
    const uint8_t* frames = Frames(blockFirst, std::max<LONGLONG>(0, std::min(kPeakBlock, m_frames - blockFirst)),
                                   scratch);
    for (int k = 0; k < kFinePerBlock; ++k) {
        const LONGLONG first = blockFirst + k * kFineBlock;
        const LONGLONG count = std::min(kFineBlock, m_frames - first);
        LONG lo[kMaxChannels], hi[kMaxChannels];
        std::fill(lo, lo + ch, count > 0 ? LONG_MAX : 0);
        std::fill(hi, hi + ch, count > 0 ? LONG_MIN : 0);
        if (count > 0)
            FoldPeaks(frames + (first - blockFirst) * m_frameBytes, count, lo, hi);
        for (int c = 0; c < ch; ++c)
            out[k * ch + c] = FinePeak{static_cast<int16_t>(lo[c]), static_cast<int16_t>(hi[c])};
    }
}

namespace {

template <class Load>
void FoldSamples(const uint8_t* p, LONGLONG count, int channels, int frameBytes, int bps, LONG* lo, LONG* hi, Load load)
{
    for (int c = 0; c < channels; ++c) {
        const uint8_t* s = p + c * bps;
        LONG l = lo[c], h = hi[c];
        for (LONGLONG i = 0; i < count; ++i, s += frameBytes) {
            const LONG v = load(s);
            l = std::min(l, v);
            h = std::max(h, v);
        }
        lo[c] = l;
        hi[c] = h;
    }
}

// Samples of one, two or four channels stored as T: eight at a time, lane j holding channel
// j mod channels, so that the compiler keeps the lanes in vector registers. clean(v) is the
// value compared; peak(v) its peak value, which must never fall as v rises, so that the lowest
// and highest values give the lowest and highest peaks.
template <class T, class Clean, class Peak>
void FoldLanes(const uint8_t* p, LONGLONG count, int channels, LONG* lo, LONG* hi, T lowest, T highest, Clean clean,
               Peak peak)
{
    constexpr int kLanes = 8;
    const LONGLONG samples = count * channels;
    T l[kLanes], h[kLanes];
    for (int j = 0; j < kLanes; ++j) {
        l[j] = highest;
        h[j] = lowest;
    }
    auto fold = [&](int j, T v) {
        const T x = clean(v);
        l[j] = x < l[j] ? x : l[j];
        h[j] = x > h[j] ? x : h[j];
    };
    LONGLONG i = 0;
    for (; i + kLanes <= samples; i += kLanes) {
        T v[kLanes];
        memcpy(v, p + i * sizeof(T), sizeof v);
        for (int j = 0; j < kLanes; ++j)
            fold(j, v[j]);
    }
    for (; i < samples; ++i) {
        T v;
        memcpy(&v, p + i * sizeof(T), sizeof(T));
        fold(static_cast<int>(i % kLanes), v); // the lane of this sample's channel
    }
    const int mask = channels - 1; // channels divides 8: a power of two
    for (int j = 0; j < kLanes; ++j) {
        if (l[j] > h[j])
            continue; // a lane no sample reached
        lo[j & mask] = std::min(lo[j & mask], peak(l[j]));
        hi[j & mask] = std::max(hi[j & mask], peak(h[j]));
    }
}

} // namespace

void ItemData::SamplePeaks(LONGLONG first, LONGLONG count, LONG* lo, LONG* hi) const
{
    constexpr LONGLONG kChunk = 64 * kPeakBlock;
    std::vector<uint8_t> scratch;
    for (LONGLONG done = 0; done < count;) {
        const LONGLONG n = std::min(kChunk, count - done);
        FoldPeaks(Frames(first + done, n, scratch), n, lo, hi);
        done += n;
    }
}

void ItemData::FoldPeaks(const uint8_t* p, LONGLONG count, LONG* lo, LONG* hi) const
{
    const int ch = m_format.channels, bps = BytesPerSample(m_format.bits);
    // One loop per kind; one, two or four channels of 16-bit or float samples in lanes.
    switch (m_kind) {
    case SampleKind::S16:
        if (8 % ch == 0) {
            FoldLanes<int16_t>(
                p, count, ch, lo, hi, INT16_MIN, INT16_MAX, [](int16_t v) { return v; },
                [](int16_t v) { return LONG(v); });
            break;
        }
        FoldSamples(p, count, ch, m_frameBytes, bps, lo, hi, [](const uint8_t* s) {
            int16_t v;
            memcpy(&v, s, 2);
            return LONG(v);
        });
        break;
    case SampleKind::U8:
        FoldSamples(p, count, ch, m_frameBytes, bps, lo, hi, [](const uint8_t* s) { return (LONG(*s) - 128) * 256; });
        break;
    default:
        if (8 % ch == 0) {
            // A sample that is no number counts as silence.
            FoldLanes<float>(
                p, count, ch, lo, hi, -HUGE_VALF, HUGE_VALF, [](float v) { return v == v ? v : 0.0f; },
                [](float v) { return PeakValue(reinterpret_cast<const uint8_t*>(&v), SampleKind::F32); });
            break;
        }
        FoldSamples(p, count, ch, m_frameBytes, bps, lo, hi,
                    [](const uint8_t* s) { return PeakValue(s, SampleKind::F32); });
        break;
    }
}

void ItemData::ComputePeaks() const
{
    // One pass in large reads, the blocks folded as they come.
    constexpr LONGLONG kChunk = 64 * kPeakBlock;
    BlockPeakBuilder builder(m_format);
    std::vector<uint8_t> scratch;
    for (LONGLONG first = 0; first < m_frames; first += kChunk) {
        const LONGLONG n = std::min(kChunk, m_frames - first);
        builder.Add(Frames(first, n, scratch), static_cast<size_t>(n * m_frameBytes));
    }
    m_peaks = builder.Take();
}

BlockPeakBuilder::BlockPeakBuilder(const MtFormat& format)
    : m_shape(ItemData::FromMemory(format, {})), m_frameBytes(::FrameBytes(format))
{
}

void BlockPeakBuilder::FoldBlock(const uint8_t* p, size_t bytes)
{
    const int ch = m_shape->Format().channels;
    LONG lo[ItemData::kMaxChannels], hi[ItemData::kMaxChannels];
    std::fill(lo, lo + ch, LONG_MAX);
    std::fill(hi, hi + ch, LONG_MIN);
    m_shape->FoldPeaks(p, static_cast<LONGLONG>(bytes / m_frameBytes), lo, hi);
    for (int c = 0; c < ch; ++c)
        m_peaks.push_back(MtPeakItem{lo[c], hi[c]});
}

void BlockPeakBuilder::Add(const uint8_t* frames, size_t bytes)
{
    const size_t blockBytes = static_cast<size_t>(ItemData::kPeakBlock) * m_frameBytes;
    if (!m_partial.empty()) {
        const size_t take = std::min(bytes, blockBytes - m_partial.size());
        m_partial.insert(m_partial.end(), frames, frames + take);
        frames += take;
        bytes -= take;
        if (m_partial.size() < blockBytes)
            return;
        FoldBlock(m_partial.data(), blockBytes);
        m_partial.clear();
    }
    for (; bytes >= blockBytes; frames += blockBytes, bytes -= blockBytes)
        FoldBlock(frames, blockBytes);
    m_partial.assign(frames, frames + bytes);
}

std::vector<MtPeakItem> BlockPeakBuilder::Take()
{
    const size_t whole = m_partial.size() - m_partial.size() % m_frameBytes;
    if (whole > 0)
        FoldBlock(m_partial.data(), whole);
    m_partial.clear();
    return std::move(m_peaks);
}
