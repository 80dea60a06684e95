// Clip files that lie: crafted fixtures, a truncation loop over the engine's own saved clip
// and a seeded fuzz of the clip, item and peak readers. A load either refuses or gives a clip
// whose every segment lies inside its item, and no load takes memory its file did not hold.
//
// The fuzz runs briefly by default; for a long run set KSMT_FUZZ_ITERATIONS (and
// KSMT_FUZZ_SEED to repeat a run).
#include "EngineFixture.h"

#include "ChunkFile.h"

#include <psapi.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace {

// The saved clip as written into its chunk: a header, then per segment a header followed by
// two 260-byte paths (data stretch) or its frames (held in memory).
#pragma pack(push, 1)
struct ClipHeader {
    uint32_t version;
    MtClipFormat format;
    uint32_t formatSet;
    int64_t start;
    uint32_t segments;
};
struct SegmentHeader {
    int64_t offset;
    int64_t length;
    uint32_t kind; // 0 silence, 1 data stretch, 2 frames held in memory
    MtClipFormat format;
};
#pragma pack(pop)
constexpr uint32_t kSilence = 0, kStretch = 1, kInline = 2;
constexpr InterfaceTag kClipTag = MakeTag("KMTCLIP ");
constexpr size_t kChunkHeader = 16;

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

template <class T>
void Put(Bytes& b, const T& value)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
    b.insert(b.end(), p, p + sizeof(T));
}

// A clip file of one chunk holding body.
void WriteClipFile(const std::string& path, const Bytes& body)
{
    IChunkFile* file = CreateChunkFile();
    file->SetFileName(path.c_str());
    file->Open(kFileCreate);
    file->CreateChunkById(kClipTag, 0);
    file->Write(body.data(), static_cast<DWORD>(body.size()));
    file->Ascend();
    file->Close();
    file->Release();
}

Bytes StretchPaths(const std::string& data)
{
    char paths[2][MAX_PATH] = {};
    strncpy(paths[0], data.c_str(), MAX_PATH - 1);
    return Bytes(&paths[0][0], &paths[0][0] + sizeof(paths));
}

// The most the process ever committed: a load that allocates for a size its file only claims
// shows here even when the memory is gone again.
SIZE_T PeakCommit()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return std::max(counters.PeakPagefileUsage, counters.PeakWorkingSetSize);
}
constexpr SIZE_T kMemorySlack = 64u << 20;

class ClipFileTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_TRUE(temp_.Ready());
        ASSERT_EQ(S_OK, set_->SetChannelLimit(6));
        stereo_ = Pattern(3000, 2, 1);
        mono_ = Pattern(500, 1, 2);
        stereoItem_ = MakeItem("stereo.raw", stereo_.data(), stereo_.size() * 2, 2, 16, 44100);
        monoItem_ = MakeItem("mono.raw", mono_.data(), mono_.size() * 2, 1, 16, 44100);
        ASSERT_TRUE(stereoItem_ && monoItem_);
    }
    void TearDown() override
    {
        if (stereoItem_)
            stereoItem_->Release();
        if (monoItem_)
            monoItem_->Release();
    }

    // The engine's own clip: two stretches of the stereo item, a gap of silence, the mono
    // item and a frame held in memory; saved to path. Its sound is returned.
    Frames16 SaveEngineClip(const std::string& path)
    {
        ComRef<IMtTrack> track;
        EXPECT_EQ(S_OK, set_->InsertTrack(0, 2, track.Out(), -1));
        IMtClip* stereo = ClipOf(stereoItem_);
        IMtClip* mono = ClipOf(monoItem_);
        EXPECT_EQ(S_OK, track->InsertClip(stereo, 100, 0, 0));
        EXPECT_EQ(S_OK, track->DeleteRange(1000, 200));
        EXPECT_EQ(S_OK, track->InsertClip(mono, 4000, 0, 0)); // past the end: silence between
        EXPECT_EQ(S_OK, track->WriteSample(1, 2000, 1234));
        stereo->Release();
        mono->Release();
        Frames16 sound = ReadTrack16(track.Get());
        ComRef<IMtClip> copy;
        EXPECT_EQ(S_OK, track->CopyToEnd(copy.Out(), 100));
        EXPECT_EQ(S_OK, copy->SetStartOffset(100));
        ComRef<IMtClipPersist> persist;
        EXPECT_EQ(S_OK, copy->QueryInterface(__uuidof(IMtClipPersist), reinterpret_cast<void**>(persist.Out())));
        IChunkFile* file = CreateChunkFile();
        file->SetFileName(path.c_str());
        file->Open(kFileCreate);
        EXPECT_EQ(S_OK, persist->Save(file, kFileCreate));
        file->Close();
        file->Release();
        EXPECT_EQ(S_OK, set_->DetachTrack(track.Get()));
        return sound;
    }

    HRESULT Load(const std::string& path, IMtClip** clip)
    {
        *clip = nullptr;
        ComRef<IMtClip> loaded;
        EXPECT_EQ(S_OK, MtEngine::CreateClip(loaded));
        ComRef<IMtClipPersist> loader;
        EXPECT_EQ(S_OK, loaded->QueryInterface(__uuidof(IMtClipPersist), reinterpret_cast<void**>(loader.Out())));
        IChunkFile* file = CreateChunkFile();
        file->SetFileName(path.c_str());
        HRESULT hr = E_FAIL;
        try {
            file->Open(kFileRead);
            hr = loader->Load(file);
            file->Close();
        } catch (...) {
            hr = E_FAIL; // the chunk file refused the bytes itself
        }
        file->Release();
        if (hr == S_OK) {
            *clip = loaded.Get();
            (*clip)->AddRef();
        }
        return hr;
    }

    // Puts a loaded clip on a track of its format and reads up to limit frames from its
    // start, and its peaks; false when no track takes the clip.
    bool PlayBack(IMtClip* clip, Frames16* sound, LONGLONG limit)
    {
        MtClipFormat format{};
        EXPECT_EQ(S_OK, clip->GetFormat(&format));
        if (set_->SetFormat(format.bitsPerSample, format.samplesPerSec) != S_OK)
            return false;
        ComRef<IMtTrack> track;
        if (set_->InsertTrack(0, format.channels, track.Out(), -1) != S_OK)
            return false;
        bool taken = track->SwapContent(clip, nullptr) == S_OK;
        if (taken) {
            LONGLONG start = 0, length = 0;
            EXPECT_EQ(S_OK, track->GetStartOffset(&start));
            EXPECT_EQ(S_OK, track->GetLength(&length));
            const LONGLONG end = start + std::min(length, limit);
            Bytes bytes = ReadTrack(track.Get(), start, end, 65536);
            if (sound && format.bitsPerSample == 16) {
                sound->resize(bytes.size() / 2);
                memcpy(sound->data(), bytes.data(), sound->size() * 2);
            }
            ComRef<IMtPeakReader> peaks;
            EXPECT_EQ(S_OK, track->CreatePeakReader(peaks.Out(), 1024, 0));
            std::vector<MtPeakItem> points(format.channels * 64);
            DWORD read = 0;
            EXPECT_EQ(S_OK, peaks->Read(points.data(), static_cast<DWORD>(points.size()), &read));
            const LONG low = format.bitsPerSample == 16 ? -32768 : INT32_MIN;
            const LONG high = format.bitsPerSample == 16 ? 32767 : INT32_MAX;
            for (DWORD i = 0; i < read; ++i) {
                EXPECT_LE(low, points[i].minimum) << i;
                EXPECT_LE(points[i].minimum, points[i].maximum) << i;
                EXPECT_GE(high, points[i].maximum) << i;
            }
        }
        set_->DetachTrack(track.Get());
        set_->SetFormat(16, 44100);
        return taken;
    }

    EngineTempFolder temp_;
    Frames16 stereo_, mono_;
    IMtItem* stereoItem_ = nullptr;
    IMtItem* monoItem_ = nullptr;
};

// Bytes of the file at path as it is on disk; 0 when there is none.
uint64_t SizeOnDisk(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Whether every segment of a clip file (as the chunk at the start of bytes holds it) lies
// inside its item: the data file it names as it is on disk, or the frames it holds. Files
// the check cannot follow (another chunk first) count as consistent.
bool SegmentsInsideItems(const Bytes& bytes)
{
    if (bytes.size() < kChunkHeader || memcmp(bytes.data(), &kClipTag, 8) != 0)
        return true;
    uint64_t size = 0;
    memcpy(&size, bytes.data() + 8, 8);
    const size_t end = kChunkHeader + static_cast<size_t>(std::min<uint64_t>(size, bytes.size() - kChunkHeader));
    size_t at = kChunkHeader;
    auto take = [&](void* out, size_t n) {
        if (end - at < n)
            return false;
        memcpy(out, bytes.data() + at, n);
        at += n;
        return true;
    };
    ClipHeader h;
    if (!take(&h, sizeof(h)))
        return false;
    for (uint32_t i = 0; i < h.segments; ++i) {
        SegmentHeader s;
        if (!take(&s, sizeof(s)) || s.offset < 0 || s.length < 0)
            return false;
        if (s.kind == kSilence)
            continue;
        const uint64_t frameBytes = uint64_t((s.format.bitsPerSample == 8    ? 1
                                              : s.format.bitsPerSample == 16 ? 2
                                                                             : 4)) *
                                    s.format.channels;
        if (frameBytes == 0)
            return false;
        uint64_t frames = 0;
        if (s.kind == kStretch) {
            char paths[2][MAX_PATH];
            if (!take(paths, sizeof(paths)))
                return false;
            paths[0][MAX_PATH - 1] = '\0';
            frames = SizeOnDisk(paths[0]) / frameBytes;
        } else {
            if (uint64_t(s.length) > (end - at) / frameBytes)
                return false;
            at += static_cast<size_t>(s.length * frameBytes);
            frames = uint64_t(s.length);
        }
        if (uint64_t(s.offset) > frames || uint64_t(s.length) > frames - uint64_t(s.offset))
            return false;
    }
    return true;
}

uint64_t EnvNumber(const char* name, uint64_t fallback)
{
    const char* v = getenv(name);
    return v && *v ? strtoull(v, nullptr, 0) : fallback;
}

} // namespace

// Crafted files that once loaded or took memory they did not hold.
TEST_F(ClipFileTest, CraftedFilesAreRefusedWithoutTakingWhatTheyClaim)
{
    const std::string stereoPath = scratch_.File("stereo.raw");
    const MtClipFormat stereo16{44100, 16, 2}, mono16{44100, 16, 1};
    struct Segment {
        SegmentHeader header;
        Bytes after;
    };
    struct Case {
        const char* what;
        ClipHeader header;
        std::vector<Segment> segments;
        HRESULT expected;
        LONGLONG length; // of the loaded clip
    };
    const int64_t big = INT64_MAX;
    const Case cases[] = {
        {"a stretch inside its item loads",
         {1, stereo16, 1, 0, 2},
         {{{0, 10, kSilence, {}}, {}}, {{5, 10, kStretch, stereo16}, StretchPaths(stereoPath)}},
         S_OK,
         20},
        {"offset plus length overflows past the item",
         {1, stereo16, 1, 0, 1},
         {{{big - 10, 100, kStretch, stereo16}, StretchPaths(stereoPath)}},
         kMtErrBadItemFile,
         0},
        {"72-byte file claims 4 GB held in memory",
         {1, mono16, 1, 0, 1},
         {{{0, int64_t(1) << 31, kInline, mono16}, {}}},
         kMtErrBadItemFile,
         0},
        {"silence lengths add up past the largest length",
         {1, stereo16, 1, 0, 2},
         {{{0, big / 2 + 1, kSilence, {}}, {}}, {{0, big / 2 + 1, kSilence, {}}, {}}},
         kMtErrBadItemFile,
         0},
        {"start plus length ends past the time line",
         {1, stereo16, 1, big - 5, 1},
         {{{0, 10, kSilence, {}}, {}}},
         kMtErrBadItemFile,
         0},
        {"more segments than the chunk holds", {1, stereo16, 1, 0, 0xFFFFFFFFu}, {}, kMtErrBadItemFile, 0},
        {"header format the clip refuses", {1, {44100, 12, 2}, 1, 0, 0}, {}, kMtErrFormatNotSupported, 0},
        {"header with seven channels", {1, {44100, 16, 7}, 1, 0, 0}, {}, kMtErrFormatNotSupported, 0},
        {"header with no rate", {1, {0, 16, 2}, 1, 0, 0}, {}, kMtErrFormatNotSupported, 0},
    };
    for (const Case& c : cases) {
        Bytes body;
        Put(body, c.header);
        for (const Segment& s : c.segments) {
            Put(body, s.header);
            body.insert(body.end(), s.after.begin(), s.after.end());
        }
        const std::string path = scratch_.File("crafted.kcl");
        WriteClipFile(path, body);
        if (std::string(c.what).rfind("72-byte", 0) == 0) {
            ASSERT_EQ(72u, ReadBytes(path).size());
        }
        const SIZE_T before = PeakCommit();
        ComRef<IMtClip> clip;
        EXPECT_EQ(c.expected, Load(path, clip.Out())) << c.what;
        EXPECT_LT(PeakCommit() - before, kMemorySlack) << c.what;
        if (clip) {
            LONGLONG length = -1;
            EXPECT_EQ(S_OK, clip->GetLength(&length));
            EXPECT_EQ(c.length, length) << c.what;
        }
    }
}

// A clip file cut short by a crash, at every length: refused, or whole.
TEST_F(ClipFileTest, TruncatedClipLoadsRefusedOrWhole)
{
    const std::string path = scratch_.File("whole.kcl"), cut = scratch_.File("cut.kcl");
    const Frames16 sound = SaveEngineClip(path);
    const Bytes whole = ReadBytes(path);
    ASSERT_GT(whole.size(), 1000u);
    {
        ComRef<IMtClip> clip;
        ASSERT_EQ(S_OK, Load(path, clip.Out()));
        Frames16 back;
        ASSERT_TRUE(PlayBack(clip.Get(), &back, 1 << 20));
        ASSERT_TRUE(back == sound);
    }
    int wholeLoads = 0;
    for (size_t length = 0; length < whole.size(); ++length) {
        WriteBytes(cut, whole.data(), length);
        ComRef<IMtClip> clip;
        HRESULT hr = Load(cut, clip.Out());
        if (hr != S_OK) {
            EXPECT_TRUE(FAILED(hr)) << length;
            continue;
        }
        ++wholeLoads;
        Frames16 back;
        ASSERT_TRUE(PlayBack(clip.Get(), &back, 1 << 20)) << length;
        EXPECT_TRUE(back == sound) << "cut at " << length << " of " << whole.size();
    }
    EXPECT_LE(wholeLoads, 1); // at most the file without its pad byte
}

// Mutations of the engine's own saved clip, of a peak file and of item records, seeded and
// repeatable: no crash, no clip with a segment outside its item, no memory a file did not
// hold, and peaks always ordered and in range.
TEST_F(ClipFileTest, MutatedFilesNeverCrashLoadOutsideTheirItemsOrTakeMemory)
{
    const uint64_t iterations = EnvNumber("KSMT_FUZZ_ITERATIONS", 500);
    const uint64_t seed = EnvNumber("KSMT_FUZZ_SEED", 20261210);
    std::mt19937_64 random(seed);
    auto below = [&](uint64_t n) { return n ? random() % n : 0; };

    const std::string path = scratch_.File("fuzz-source.kcl"), mutated = scratch_.File("fuzz.kcl");
    SaveEngineClip(path);
    const Bytes original = ReadBytes(path);
    // A peak file that fits a data file of its own, mutated next to the clip.
    Frames16 peakData = Pattern(4096, 2, 7);
    WriteFile("peaked.raw", peakData.data(), peakData.size() * 2);
    std::vector<MtPeakItem> goodPeaks;
    for (size_t first = 0; first < 4096; first += 1024)
        for (int c = 0; c < 2; ++c) {
            LONG lo = 32767, hi = -32768;
            for (size_t f = first; f < first + 1024; ++f) {
                lo = std::min<LONG>(lo, peakData[f * 2 + c]);
                hi = std::max<LONG>(hi, peakData[f * 2 + c]);
            }
            goodPeaks.push_back(MtPeakItem{lo, hi});
        }
    const Bytes peakOriginal(reinterpret_cast<const uint8_t*>(goodPeaks.data()),
                             reinterpret_cast<const uint8_t*>(goodPeaks.data() + goodPeaks.size()));
    // Where the saved clip keeps its sizes: mutations aim there as often as anywhere else.
    std::vector<size_t> sizeFields = {8, kChunkHeader + offsetof(ClipHeader, start),
                                      kChunkHeader + offsetof(ClipHeader, segments)};
    {
        ClipHeader h;
        memcpy(&h, original.data() + kChunkHeader, sizeof(h));
        size_t at = kChunkHeader + sizeof(h);
        for (uint32_t i = 0; i < h.segments; ++i) {
            SegmentHeader sh;
            memcpy(&sh, original.data() + at, sizeof(sh));
            for (size_t field : {offsetof(SegmentHeader, offset), offsetof(SegmentHeader, length),
                                 offsetof(SegmentHeader, kind), offsetof(SegmentHeader, format)})
                sizeFields.push_back(at + field);
            at += sizeof(sh) + (sh.kind == kStretch  ? 2 * MAX_PATH
                                : sh.kind == kInline ? static_cast<size_t>(sh.length) * 2 * sh.format.channels
                                                     : 0);
        }
        EXPECT_EQ(original.size(), at + (at % 2));
    }
    const int64_t interesting[] = {0,
                                   1,
                                   -1,
                                   7,
                                   255,
                                   0x7FFF,
                                   0x10000,
                                   int64_t(1) << 31,
                                   int64_t(1) << 32,
                                   int64_t(1) << 62,
                                   INT64_MAX,
                                   INT64_MIN,
                                   INT64_MAX - 1000};
    auto mutate = [&](Bytes b, const std::vector<size_t>& fields) {
        for (uint64_t n = 1 + below(3); n > 0 && !b.empty(); --n) {
            size_t at = static_cast<size_t>(below(b.size()));
            if (!fields.empty() && below(2) == 0 && fields.back() < b.size())
                at = fields[static_cast<size_t>(below(fields.size()))];
            switch (below(5)) {
            case 0:
                b[at] ^= static_cast<uint8_t>(1u << below(8));
                break;
            case 1:
                b[at] = static_cast<uint8_t>(random());
                break;
            case 2: {
                const int64_t v = interesting[below(std::size(interesting))];
                memcpy(&b[at], &v, std::min<size_t>(8, b.size() - at));
                break;
            }
            case 3: {
                const uint32_t v = static_cast<uint32_t>(interesting[below(std::size(interesting))]);
                memcpy(&b[at], &v, std::min<size_t>(4, b.size() - at));
                break;
            }
            default:
                b.resize(at);
                break;
            }
        }
        return b;
    };

    const SIZE_T before = PeakCommit();
    for (uint64_t i = 0; i < iterations; ++i) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " iteration " + std::to_string(i));
        // The clip reader.
        const Bytes b = mutate(original, sizeFields);
        WriteBytes(mutated, b.data(), b.size());
        ComRef<IMtClip> clip;
        if (Load(mutated, clip.Out()) == S_OK) {
            ASSERT_TRUE(SegmentsInsideItems(b)) << "a clip outside its items loaded";
            LONGLONG length = -1;
            ASSERT_EQ(S_OK, clip->GetLength(&length));
            ASSERT_GE(length, 0);
            PlayBack(clip.Get(), nullptr, 1 << 16);
        }
        // The peak reader over a mutated peak file.
        const Bytes p = mutate(peakOriginal, {});
        const std::string peakPath = scratch_.File("fuzz" + std::to_string(i) + ".pk");
        WriteBytes(peakPath, p.data(), p.size());
        IMtItem* item = MakeItem("peaked.raw", peakData.data(), peakData.size() * 2, 2, 16, 44100, peakPath);
        ASSERT_NE(nullptr, item);
        IMtClip* whole = ClipOf(item);
        PlayBack(whole, nullptr, 4096);
        whole->Release();
        item->Release();
        DeleteFileA(peakPath.c_str());
        // The item list over a mutated record.
        MtFileItemRecord record = RecordFor(scratch_.File("mono.raw"), 0, 1, 16, 44100);
        Bytes r(reinterpret_cast<uint8_t*>(&record), reinterpret_cast<uint8_t*>(&record) + sizeof(record));
        r = mutate(r, {});
        r.resize(sizeof(record), static_cast<uint8_t>(random()));
        memcpy(&record, r.data(), sizeof(record));
        ComRef<IMtItemList> list;
        ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
        list->AddFileItem(&record, nullptr, nullptr, 0);
    }
    EXPECT_LT(PeakCommit() - before, kMemorySlack);
}
