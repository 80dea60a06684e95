// The renderers on the effect kit, loaded by file name as the program loads them: the silence
// finder and the file divider in the platform's graph with the program's call orders, 16-bit
// and float, 1, 2 and 6 channels; their checks; failures that end the run as EC_ERRORABORT;
// and the finder's detector on small signals.
#include "EffectModuleKit.h"

#include "DividerPlan.h"
#include "FilterConformance.h"
#include "GraphRunner.h"
#include "IEffectParameters.h"
#include "KvSDivFl.h"
#include "KvSFndSp.h"
#include "SilenceDetector.h"
#include "TestFilters.h"
#include "TestSupport.h"

#include <ocidl.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

using namespace fxtest;

namespace {

constexpr DWORD kRate = 44100;

const ModuleRow& Finder()
{
    return Renderers()[0];
}
const ModuleRow& Divider()
{
    return Renderers()[1];
}

struct Graphed {
    HRESULT connect = E_FAIL;
    long code = 0;
    LONG_PTR param = 0;
    LONGLONG duration = -1; // the graph's answer before the run
    LONGLONG position = -1; // the renderer's answer after it
    int laterCompletes = 0; // EC_COMPLETE after the first end event
};

// source -> renderer in the platform's graph; the worker's questions asked of the graph.
Graphed RunInto(IBaseFilter* renderer, const WAVEFORMATEXTENSIBLE& w, const std::vector<uint8_t>& bytes)
{
    Graphed r;
    kvtest::TestGraph graph;
    ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(w.Format, bytes, 4410));
    graph.Add(source.Get(), L"source");
    graph.Add(renderer, L"renderer");
    r.connect = graph.Connect(source.Get(), renderer);
    if (SUCCEEDED(r.connect)) {
        if (auto seeking = Query<IMediaSeeking>(graph.Graph()))
            seeking->GetDuration(&r.duration);
        r.code = graph.RunToEnd(30000, &r.param);
        // A run that failed must not be reported complete after all.
        IMediaEvent* events = nullptr;
        if (r.code != EC_COMPLETE &&
            SUCCEEDED(graph.Graph()->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)))) {
            long code = 0;
            LONG_PTR p1 = 0, p2 = 0;
            while (events->GetEvent(&code, &p1, &p2, 300) == S_OK) {
                r.laterCompletes += code == EC_COMPLETE;
                events->FreeEventParams(code, p1, p2);
            }
            events->Release();
        }
        graph.Stop();
        if (auto own = Query<IMediaSeeking>(renderer))
            own->GetCurrentPosition(&r.position);
    }
    graph.Graph()->RemoveFilter(renderer);
    return r;
}

std::vector<float> Tone(size_t frames, int channels, size_t at)
{
    std::vector<float> v(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            v[i * size_t(channels) + size_t(c)] =
                float(0.5 * std::sin(2 * 3.14159265358979 * 440.0 * double(i + at) / kRate + c));
    return v;
}

// The tone with gapFrames of digital silence from gapAt.
std::vector<float> ToneWithGap(size_t frames, int channels, size_t gapAt, size_t gapFrames)
{
    std::vector<float> v = Tone(frames, channels, 0);
    std::fill(v.begin() + long(gapAt * size_t(channels)), v.begin() + long((gapAt + gapFrames) * size_t(channels)),
              0.0f);
    return v;
}

std::string Name(const testing::TestParamInfo<std::pair<bool, int>>& info)
{
    return std::string(info.param.first ? "Float" : "Pcm16") + "_" + std::to_string(info.param.second) + "ch";
}

} // namespace

// ---- the silence finder ----

class SilenceFinderRun : public testing::TestWithParam<std::pair<bool, int>> {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

// As the program runs it: SetDetection before the run, GetCount and GetPosition after; the
// graph's duration passes the finder to the source; one 1 s gap, its middle within 10 ms.
TEST_P(SilenceFinderRun, FindsTheOneGapInTheProgramsCallOrder)
{
    const bool isFloat = GetParam().first;
    const int channels = GetParam().second;
    auto filter = CreateFilter(Finder());
    auto settings = Query<ISilenceFinderSettings>(filter.Get());
    ASSERT_TRUE(settings);
    ASSERT_EQ(settings->SetDetection(500, 100, 1000), S_OK);
    const size_t frames = 4 * kRate;
    const auto w = Wave(isFloat, channels);
    const Graphed run = RunInto(filter.Get(), w, ToBytes(ToneWithGap(frames, channels, 3 * kRate / 2, kRate), isFloat));
    ASSERT_EQ(run.connect, S_OK);
    EXPECT_EQ(run.code, EC_COMPLETE);
    EXPECT_EQ(run.duration, 40000000);
    EXPECT_EQ(run.position, 40000000);
    ASSERT_EQ(settings->GetCount(), 1);
    EXPECT_NEAR(double(settings->GetPosition(0) / 2), 2.0 * kRate, kRate / 100);
    EXPECT_EQ(settings->GetPosition(1), -1);

    // The next run forgets this one's silences.
    const Graphed again = RunInto(filter.Get(), w, ToBytes(Tone(kRate, channels, 0), isFloat));
    EXPECT_EQ(again.code, EC_COMPLETE);
    EXPECT_EQ(settings->GetCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, SilenceFinderRun,
                         testing::Values(std::make_pair(false, 1), std::make_pair(false, 2), std::make_pair(false, 6),
                                         std::make_pair(true, 1), std::make_pair(true, 2), std::make_pair(true, 6)),
                         Name);

TEST(SilenceFinder, ClampsItsSettingsAndRefusesOtherSampleTypes)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        auto filter = CreateFilter(Finder());
        auto settings = Query<ISilenceFinderSettings>(filter.Get());
        EXPECT_EQ(settings->SetDetection(0, -5, 40000), S_FALSE);
        EXPECT_EQ(settings->SetDetection(10, 0, 32768), S_OK);
        // 24-bit PCM and three channels do not connect.
        auto w = Wave(false, 2);
        w.Format.wBitsPerSample = 24;
        w.Format.nBlockAlign = 6;
        w.Format.nAvgBytesPerSec = kRate * 6;
        EXPECT_FALSE(SUCCEEDED(RunInto(filter.Get(), w, std::vector<uint8_t>(6000)).connect));
        EXPECT_FALSE(SUCCEEDED(RunInto(filter.Get(), Wave(false, 3), std::vector<uint8_t>(6000)).connect));
    }
    CoUninitialize();
}

// The detector's rules on small signals (10 ms blocks at 44.1 kHz; A 100, B 1000).
struct DetectCase {
    const char* what;
    int durationMs;
    int levelB;
    // (start ms, end ms, level on the 16-bit scale) pieces over 0..3000 ms of tone at 16000
    std::vector<std::tuple<int, int, int>> pieces;
    std::vector<std::pair<int, int>> expected; // silences in ms
};

TEST(SilenceDetector, FollowsItsRulesOnATableOfSignals)
{
    const std::vector<DetectCase> cases = {
        {"one gap", 500, 1000, {{1000, 2000, 0}}, {{1000, 2000}}},
        {"too short", 500, 1000, {{1000, 1400, 0}}, {}},
        {"none at the ends", 300, 1000, {{0, 800, 0}, {2200, 3000, 0}}, {}},
        {"a passage under B joins", 700, 1000, {{1000, 1400, 0}, {1400, 1600, 500}, {1600, 2000, 0}}, {}},
        {"joined gaps hold the duration",
         350,
         1000,
         {{1000, 1400, 0}, {1400, 1600, 500}, {1600, 2000, 0}},
         {{1000, 2000}}},
        {"a passage reaching B splits",
         350,
         400,
         {{1000, 1400, 0}, {1400, 1600, 500}, {1600, 2000, 0}},
         {{1000, 1400}, {1600, 2000}}},
        {"a passage under B at the start", 300, 1000, {{0, 300, 500}, {300, 1000, 0}}, {}},
        {"two gaps", 200, 1000, {{500, 900, 0}, {2000, 2500, 0}}, {{500, 900}, {2000, 2500}}},
    };
    for (const DetectCase& c : cases) {
        std::vector<float> v(3 * kRate);
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = (i % 20 < 10 ? 16000.0f : -16000.0f) / 32768.0f; // a square wave: never near 0
        for (const auto& [from, to, level] : c.pieces)
            for (size_t i = size_t(from) * kRate / 1000; i < size_t(to) * kRate / 1000; ++i)
                v[i] = (i % 20 < 10 ? float(level) : -float(level)) / 32768.0f;
        fx::SilenceDetector detector;
        detector.Prepare(kRate, 1, {c.durationMs, 100, c.levelB});
        for (size_t at = 0; at < v.size(); at += 1000)
            detector.Feed(v.data() + at, std::min<size_t>(1000, v.size() - at));
        detector.Finish();
        const auto& found = detector.Silences();
        ASSERT_EQ(found.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].start, int64_t(c.expected[i].first) * kRate / 1000) << c.what;
            EXPECT_EQ(found[i].end, int64_t(c.expected[i].second) * kRate / 1000) << c.what;
        }
    }
}

// A silence's edges are sample exact whichever channel holds the loud sample beside it and
// however the sound is cut into pieces: a piece may end inside a block, or hold several.
TEST(SilenceDetector, FindsSampleExactEdgesInAnyChannelWhateverThePieces)
{
    const int64_t gapStart = 44100 + 137, gapEnd = 2 * 44100 + 301; // not on 10-ms blocks
    for (int channels : {1, 2, 6}) {
        for (size_t piece : {size_t(1), size_t(7), size_t(441), size_t(1000), size_t(65536)}) {
            const int64_t frames = 3 * 44100;
            std::vector<float> v(size_t(frames) * size_t(channels));
            for (int64_t f = 0; f < frames; ++f)
                for (int c = 0; c < channels; ++c)
                    v[size_t(f * channels + c)] = (f % 20 < 10 ? 16000.0f : -16000.0f) / 32768.0f;
            for (int64_t f = gapStart; f < gapEnd; ++f)
                for (int c = 0; c < channels; ++c)
                    v[size_t(f * channels + c)] = f % 3 == 0 ? 50.0f / 32768.0f : 0.0f; // under A
            // The loud frames beside the gap are loud in one channel only: the last before it in
            // the last channel, the first after it in the first.
            for (int c = 0; c + 1 < channels; ++c)
                v[size_t((gapStart - 1) * channels + c)] = 0.0f;
            for (int c = 1; c < channels; ++c)
                v[size_t(gapEnd * channels + c)] = 0.0f;
            fx::SilenceDetector detector;
            detector.Prepare(kRate, channels, {500, 100, 1000});
            for (size_t at = 0; at < size_t(frames); at += piece)
                detector.Feed(v.data() + at * size_t(channels), std::min(piece, size_t(frames) - at));
            detector.Finish();
            const auto& found = detector.Silences();
            ASSERT_EQ(found.size(), 1u) << channels << " channels, pieces of " << piece;
            EXPECT_EQ(found[0].start, gapStart) << channels << " channels, pieces of " << piece;
            EXPECT_EQ(found[0].end, gapEnd) << channels << " channels, pieces of " << piece;
        }
    }
}

// ---- the file divider ----

namespace {

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le(const uint8_t* p, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}
uint32_t Be(const uint8_t* p, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

// A file as read back: its format and its sound as float.
struct ReadBack {
    bool valid = false;
    int channels = 0;
    uint32_t rate = 0;
    int bits = 0;
    uint16_t tag = 0; // WAV
    uint32_t mask = 0;
    std::vector<float> sound;
};

enum class Lay { Le16, Be16, LeF32, BeF32, BeS32 };

void Decode(const uint8_t* p, size_t bytes, Lay lay, std::vector<float>& out)
{
    const size_t step = lay == Lay::Le16 || lay == Lay::Be16 ? 2 : 4;
    for (size_t i = 0; i + step <= bytes; i += step) {
        const bool be = lay == Lay::Be16 || lay == Lay::BeF32 || lay == Lay::BeS32;
        const uint32_t u = be ? Be(p + i, int(step)) : Le(p + i, int(step));
        if (step == 2)
            out.push_back(float(int16_t(u)) / 32768.0f);
        else if (lay == Lay::BeS32)
            out.push_back(float(double(int32_t(u)) / 2147483648.0));
        else {
            float f;
            std::memcpy(&f, &u, 4);
            out.push_back(f);
        }
    }
}

// Calls fn(id, body, size) for each chunk of a RIFF or IFF body from at, while fn answers true.
template <class Fn>
void WalkChunks(const std::vector<uint8_t>& b, bool bigEndian, Fn fn)
{
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = bigEndian ? Be(&b[at + 4], 4) : Le(&b[at + 4], 4);
        if (at + 8 + size > b.size() || !fn(&b[at], &b[at + 8], size))
            return;
        at += 8 + size + (size & 1);
    }
}

ReadBack ReadWav(const std::vector<uint8_t>& b)
{
    ReadBack r;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4) ||
        Le(&b[4], 4) != b.size() - 8)
        return r;
    uint32_t subTag = 0;
    WalkChunks(b, false, [&](const uint8_t* id, const uint8_t* body, uint32_t size) {
        if (!std::memcmp(id, "fmt ", 4)) {
            r.tag = uint16_t(Le(body, 2));
            r.channels = int(Le(body + 2, 2));
            r.rate = Le(body + 4, 4);
            r.bits = int(Le(body + 14, 2));
            if (r.tag == WAVE_FORMAT_EXTENSIBLE) {
                r.mask = Le(body + 20, 4);
                subTag = Le(body + 24, 2);
            }
        } else if (!std::memcmp(id, "data", 4)) {
            const bool isFloat = r.tag == WAVE_FORMAT_IEEE_FLOAT || (r.tag == WAVE_FORMAT_EXTENSIBLE && subTag == 3);
            r.valid = r.bits == 16 || (isFloat && r.bits == 32);
            if (r.valid)
                Decode(body, size, r.bits == 16 ? Lay::Le16 : Lay::LeF32, r.sound);
            return false;
        }
        return true;
    });
    return r;
}

ReadBack ReadAu(const std::vector<uint8_t>& b)
{
    ReadBack r;
    if (b.size() < 24 || Be(&b[0], 4) != 0x2E736E64 || Be(&b[4], 4) != 24 || Be(&b[8], 4) != b.size() - 24)
        return r;
    const uint32_t encoding = Be(&b[12], 4);
    r.rate = Be(&b[16], 4);
    r.channels = int(Be(&b[20], 4));
    r.bits = encoding == 3 ? 16 : 32;
    r.valid = encoding == 3 || encoding == 6;
    Decode(&b[24], b.size() - 24, encoding == 3 ? Lay::Be16 : Lay::BeF32, r.sound);
    return r;
}

ReadBack ReadAiff(const std::vector<uint8_t>& b)
{
    ReadBack r;
    if (b.size() < 12 || std::memcmp(b.data(), "FORM", 4) || std::memcmp(b.data() + 8, "AIFF", 4) ||
        Be(&b[4], 4) != b.size() - 8)
        return r;
    uint32_t frames = 0;
    WalkChunks(b, true, [&](const uint8_t* id, const uint8_t* body, uint32_t size) {
        if (!std::memcmp(id, "COMM", 4)) {
            r.channels = int(Be(body, 2));
            frames = Be(body + 2, 4);
            r.bits = int(Be(body + 6, 2));
            const int exponent = int(Be(body + 8, 2)) - 16383 - 31;
            r.rate = uint32_t(std::ldexp(double(Be(body + 10, 4)), exponent));
        } else if (!std::memcmp(id, "SSND", 4)) {
            const size_t bytes = size - 8;
            r.valid = bytes == size_t(frames) * size_t(r.channels) * size_t(r.bits / 8);
            Decode(body + 8, bytes, r.bits == 16 ? Lay::Be16 : Lay::BeS32, r.sound);
            return false;
        }
        return true;
    });
    return r;
}

ReadBack ReadFile(int formatId, bool isFloat, int channels, const std::string& path)
{
    const std::vector<uint8_t> b = ReadAll(path);
    switch (formatId) {
    case 0:
        return ReadWav(b);
    case 2:
        return ReadAu(b);
    case 3:
        return ReadAiff(b);
    default: {
        ReadBack r;
        r.valid = !b.empty();
        r.channels = channels;
        r.rate = kRate;
        r.bits = isFloat ? 32 : 16;
        Decode(b.data(), b.size(), isFloat ? Lay::LeF32 : Lay::Le16, r.sound);
        return r;
    }
    }
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Files of the folder ending in ".part".
int PartFiles(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*.part").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do
        ++n;
    while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
}

// The split dialog's calls from its start to the run: creation, dialog set-up, cuts, OK.
void SetUpAsTheSplitDialog(IFileDividerSettings* d, const std::string& base, int formatId, DWORD channelWord,
                           const WAVEFORMATEXTENSIBLE& documentFormat, const std::vector<int64_t>& cuts)
{
    EXPECT_EQ(d->SetFormatWord(documentFormat.Format.wBitsPerSample), S_OK);
    EXPECT_EQ(d->SetOutputBase(base.c_str()), S_OK);
    EXPECT_EQ(d->SetOutputFormat(&documentFormat.Format), S_OK);
    EXPECT_EQ(d->SetChannelWord(0x80000000), S_OK);
    EXPECT_EQ(d->SetFormatId(0), S_OK);
    EXPECT_EQ(d->CanWrite(), 1);
    for (int64_t cut : cuts)
        EXPECT_EQ(d->AddSplitPoint(cut), S_OK);
    EXPECT_EQ(d->GetSplitCount(), LONG(std::set<int64_t>(cuts.begin(), cuts.end()).size()));
    EXPECT_EQ(d->SetFormatWord(documentFormat.Format.wBitsPerSample), S_OK);
    EXPECT_EQ(d->SetChannelWord(channelWord), S_OK);
    EXPECT_EQ(d->SetOutputBase(base.c_str()), S_OK);
    EXPECT_EQ(d->SetFormatId(formatId), S_OK);
}

struct SplitCase {
    int formatId;
    bool isFloat;
    int channels;
    DWORD channelWord;
    const char* ext;
    Lay lay;           // how the file holds the samples
    uint32_t wantMask; // WAV's channel mask, 0 for a plain header
};

std::string SplitName(const testing::TestParamInfo<SplitCase>& info)
{
    const SplitCase& c = info.param;
    return std::string(c.ext + 1) + (c.isFloat ? "_Float_" : "_Pcm16_") + std::to_string(c.channels) + "ch" +
           (c.channelWord != 0x80000000 ? "_Mask" : "");
}

class FileDividerRun : public testing::TestWithParam<SplitCase> {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

} // namespace

// Three cuts (one given twice, as a second OK of the dialog gives it) make four valid files of
// the stream's format, named from 0001, whose sound joined is the input.
TEST_P(FileDividerRun, ThreeCutsMakeFourValidFilesThatJoinToTheInput)
{
    const SplitCase& c = GetParam();
    kvtest::ScratchFolder folder;
    const std::string base = folder.File("Sound_");
    auto filter = CreateFilter(Divider());
    auto d = Query<IFileDividerSettings>(filter.Get());
    ASSERT_TRUE(d);
    const auto w = Wave(c.isFloat, c.channels);
    const std::vector<int64_t> cuts = {10000, 30000, 30000, 50000};
    SetUpAsTheSplitDialog(d.Get(), base, c.formatId, c.channelWord, w, cuts);
    const size_t frames = 70000;
    const std::vector<float> input = FromBytes(ToBytes(Noise(frames, c.channels, 0.5, 7), c.isFloat), c.isFloat);
    const Graphed run = RunInto(filter.Get(), w, ToBytes(input, c.isFloat));
    ASSERT_EQ(run.connect, S_OK);
    ASSERT_EQ(run.code, EC_COMPLETE);
    EXPECT_EQ(run.duration, LONGLONG(frames) * 10000000 / kRate);

    std::vector<float> joined;
    const size_t lengths[] = {10000, 20000, 20000, 20000};
    for (int region = 1; region <= 4; ++region) {
        const std::string name = fx::RegionFileName(base, region, fx::DividerFormatOf(c.formatId));
        ASSERT_TRUE(Exists(name)) << name;
        const ReadBack r = ReadFile(c.formatId, c.isFloat, c.channels, name);
        EXPECT_TRUE(r.valid) << name;
        EXPECT_EQ(r.channels, c.channels) << name;
        EXPECT_EQ(r.rate, kRate) << name;
        if (c.formatId == 0) {
            EXPECT_EQ(r.mask, c.wantMask) << name;
        }
        EXPECT_EQ(r.sound.size(), lengths[region - 1] * size_t(c.channels)) << name;
        joined.insert(joined.end(), r.sound.begin(), r.sound.end());
    }
    EXPECT_FALSE(Exists(fx::RegionFileName(base, 5, fx::DividerFormatOf(c.formatId))));
    EXPECT_EQ(PartFiles(folder.Path()), 0);
    ASSERT_EQ(joined.size(), input.size());
    const float tolerance = c.lay == Lay::BeS32 ? 1e-6f : 0.0f; // AIFF holds float as 32-bit PCM
    size_t differing = 0;
    for (size_t i = 0; i < input.size(); ++i)
        differing += std::fabs(joined[i] - input[i]) > tolerance;
    EXPECT_EQ(differing, 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Formats, FileDividerRun, testing::Values(
    SplitCase{0, false, 1, 0x80000000, ".wav", Lay::Le16, 0},
    SplitCase{0, false, 2, 0x80000000, ".wav", Lay::Le16, 0},
    SplitCase{0, false, 6, 0x0000003F, ".wav", Lay::Le16, 0x3F},
    SplitCase{0, true, 1, 0x80000000, ".wav", Lay::LeF32, 0},
    SplitCase{0, true, 2, 0x00000030, ".wav", Lay::LeF32, 0x30},
    SplitCase{0, true, 6, 0x80000000, ".wav", Lay::LeF32, 0x3F},
    SplitCase{2, false, 2, 0x80000000, ".au", Lay::Be16, 0},
    SplitCase{2, true, 6, 0x80000000, ".au", Lay::BeF32, 0},
    SplitCase{3, false, 2, 0x80000000, ".aif", Lay::Be16, 0},
    SplitCase{3, true, 1, 0x80000000, ".aif", Lay::BeS32, 0},
    SplitCase{4, false, 6, 0x80000000, ".raw", Lay::Le16, 0},
    SplitCase{4, true, 2, 0x80000000, ".raw", Lay::LeF32, 0}), SplitName);
// clang-format on

namespace {

class FileDivider : public testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

} // namespace

// MP3, Ogg, WMA, DSS and DVF are the program's to list, not ours to write: CanWrite says so and
// a run anyway ends as an error and writes nothing.
TEST_F(FileDivider, FormatsItDoesNotWriteAnswerCanWriteZeroAndFailTheRun)
{
    kvtest::ScratchFolder folder;
    const std::string base = folder.File("Sound_");
    auto filter = CreateFilter(Divider());
    auto d = Query<IFileDividerSettings>(filter.Get());
    const auto w = Wave(false, 2);
    EXPECT_EQ(d->CanWrite(), 0) << "no output base yet";
    SetUpAsTheSplitDialog(d.Get(), base, 0, 0x80000000, w, {22050});
    for (LONG id : {1, 5, 6, 7, 8}) {
        ASSERT_EQ(d->SetFormatId(id), S_OK);
        EXPECT_EQ(d->CanWrite(), 0) << id;
    }
    const Graphed run = RunInto(filter.Get(), w, ToBytes(Noise(44100, 2, 0.5, 1), false));
    EXPECT_EQ(run.code, EC_ERRORABORT);
    EXPECT_EQ(PartFiles(folder.Path()), 0);
    EXPECT_FALSE(Exists(base + "0001.dvf"));
}

// A write that fails ends the run as EC_ERRORABORT with the system's code, never complete:
// the regions written before it stay whole, and the region that failed leaves no file.
TEST_F(FileDivider, AFailingWriteEndsTheRunAsAnErrorAndLeavesNoHalfFile)
{
    struct FailCase {
        const char* what;
        const char* prefix;
        const char* blocker; // made before the run in the second region's place
        bool blockerIsFolder;
        HRESULT code;
        int wholeRegions;
    };
    const FailCase cases[] = {
        {"missing folder", "missing\\Take_", nullptr, false, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), 0},
        {"name taken by a folder", "Take_", "Take_0002.wav", true, E_FAIL, 1},
        {"read-only file in the way", "Take_", "Take_0002.wav", false, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), 1},
    };
    const auto w = Wave(false, 2);
    const auto sound = ToBytes(Noise(44100, 2, 0.5, 2), false);
    for (const FailCase& c : cases) {
        kvtest::ScratchFolder folder;
        const std::string base = folder.File(c.prefix);
        const std::string blocker = c.blocker ? folder.File(c.blocker) : std::string();
        if (c.blocker && c.blockerIsFolder) {
            ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr)) << c.what;
        }
        if (c.blocker && !c.blockerIsFolder) {
            std::ofstream(blocker) << "kept";
            ASSERT_TRUE(SetFileAttributesA(blocker.c_str(), FILE_ATTRIBUTE_READONLY)) << c.what;
        }
        auto filter = CreateFilter(Divider());
        auto d = Query<IFileDividerSettings>(filter.Get());
        SetUpAsTheSplitDialog(d.Get(), base, 0, 0x80000000, w, {11025, 22050});
        const Graphed run = RunInto(filter.Get(), w, sound);
        EXPECT_EQ(run.code, EC_ERRORABORT) << c.what;
        EXPECT_EQ(run.laterCompletes, 0) << c.what;
        if (c.code != E_FAIL)
            EXPECT_EQ(HRESULT(run.param), c.code) << c.what;
        else
            EXPECT_TRUE(FAILED(HRESULT(run.param))) << c.what;
        if (c.wholeRegions > 0) {
            const ReadBack first = ReadFile(0, false, 2, base + "0001.wav");
            EXPECT_TRUE(first.valid) << c.what;
            EXPECT_EQ(first.sound.size(), 11025u * 2) << c.what;
        } else {
            EXPECT_FALSE(Exists(base + "0001.wav")) << c.what;
        }
        if (c.blocker && !c.blockerIsFolder) {
            EXPECT_EQ(ReadAll(blocker).size(), 4u) << c.what << ": the file in the way is kept";
            SetFileAttributesA(blocker.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        EXPECT_FALSE(Exists(base + "0003.wav")) << c.what;
        EXPECT_EQ(PartFiles(folder.Path()), 0) << c.what;
        if (c.blocker && c.blockerIsFolder)
            RemoveDirectoryA(blocker.c_str());
    }
}

// A run stopped midway (the user's cancel) keeps the regions it finished and drops the one it
// was writing.
TEST_F(FileDivider, AStoppedRunKeepsItsWholeRegionsOnly)
{
    kvtest::ScratchFolder folder;
    const std::string base = folder.File("Cut_");
    auto filter = CreateFilter(Divider());
    auto d = Query<IFileDividerSettings>(filter.Get());
    const auto w = Wave(false, 1);
    SetUpAsTheSplitDialog(d.Get(), base, 0, 0x80000000, w, {8820});
    kvtest::TestGraph graph;
    ComRef<kvtest::TestPcmSource> source(
        kvtest::TestPcmSource::New(w.Format, ToBytes(Noise(20 * 4410, 1, 0.5, 4), false), 4410));
    source->delayPerBufferMs = 40;
    graph.Add(source.Get(), L"source");
    graph.Add(filter.Get(), L"divider");
    ASSERT_EQ(graph.Connect(source.Get(), filter.Get()), S_OK);
    ASSERT_EQ(graph.Control()->Run(), S_OK);
    for (int i = 0; i < 200 && source->buffersDelivered.load() < 5; ++i)
        Sleep(10);
    graph.Stop();
    graph.Graph()->RemoveFilter(filter.Get());
    const ReadBack first = ReadFile(0, false, 1, base + "0001.wav");
    EXPECT_TRUE(first.valid);
    EXPECT_EQ(first.sound.size(), 8820u);
    EXPECT_FALSE(Exists(base + "0002.wav"));
    EXPECT_EQ(PartFiles(folder.Path()), 0);
}

// The output format's sample type reaches the page's values and the files; the document's
// 20 bits keep 20 valid bits in a 24-bit file.
TEST_F(FileDivider, WritesTheOutputFormatsSampleType)
{
    kvtest::ScratchFolder folder;
    const std::string base = folder.File("S_");
    auto filter = CreateFilter(Divider());
    auto d = Query<IFileDividerSettings>(filter.Get());
    auto params = Query<IEffectParameters>(filter.Get());
    WAVEFORMATEXTENSIBLE out = Wave(false, 2, kRate, true);
    out.Format.wBitsPerSample = 24;
    out.Samples.wValidBitsPerSample = 20;
    EXPECT_EQ(d->SetOutputFormat(&out.Format), S_OK);
    double type = -1, header = -1;
    params->GetParameter(kDividerSampleType, &type);
    params->GetParameter(kDividerWavHeader, &header);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(header, 1);
    EXPECT_EQ(d->SetFormatWord(20), S_OK);
    EXPECT_EQ(d->SetOutputBase(base.c_str()), S_OK);
    const Graphed run = RunInto(filter.Get(), Wave(false, 2), ToBytes(Noise(4410, 2, 0.5, 3), false));
    EXPECT_EQ(run.code, EC_COMPLETE);
    const std::vector<uint8_t> file = ReadAll(base + "0001.wav");
    ASSERT_GT(file.size(), 48u);
    EXPECT_EQ(Le(&file[20], 2), WAVE_FORMAT_EXTENSIBLE);
    EXPECT_EQ(Le(&file[34], 2), 24u); // container
    EXPECT_EQ(Le(&file[38], 2), 20u); // valid bits
}

// The burn run's calls: the CD format, the tracks' cuts, the prefix and the progress text, and
// no format id: its track files are CD-format WAV files named KsW0001.wav on, replacing a file
// of an earlier run.
TEST_F(FileDivider, FollowsTheBurnRunsCallOrder)
{
    kvtest::ScratchFolder folder;
    std::ofstream(folder.File("KsW0001.wav")) << "an earlier run's";
    auto filter = CreateFilter(Divider());
    auto d = Query<IFileDividerSettings>(filter.Get());
    const auto cd = Wave(false, 2);
    EXPECT_EQ(d->SetOutputFormat(&cd.Format), S_OK);
    EXPECT_EQ(d->AddSplitPoint(30000), S_OK);
    EXPECT_EQ(d->SetOutputBase(folder.File("KsW").c_str()), S_OK);
    EXPECT_EQ(d->SetProgressText("Processing..."), S_OK);
    EXPECT_EQ(d->CanWrite(), 1);
    const Graphed run = RunInto(filter.Get(), cd, ToBytes(Noise(44100, 2, 0.5, 5), false));
    EXPECT_EQ(run.code, EC_COMPLETE);
    const size_t frames[] = {30000, 14100};
    for (int track = 1; track <= 2; ++track) {
        const ReadBack r = ReadFile(0, false, 2, folder.File("KsW000" + std::to_string(track) + ".wav"));
        EXPECT_TRUE(r.valid && r.tag == WAVE_FORMAT_PCM && r.bits == 16 && r.channels == 2 && r.rate == 44100);
        EXPECT_EQ(r.sound.size(), frames[track - 1] * 2);
    }
}

TEST_F(FileDivider, PassesTheFilterConformanceSequence)
{
    kvtest::ScratchFolder folder;
    for (const ModuleRow& row : Renderers()) {
        auto filter = CreateFilter(row);
        if (auto d = Query<IFileDividerSettings>(filter.Get()))
            d->SetOutputBase(folder.File("C_").c_str());
        const auto w = Wave(false, 2);
        ComRef<kvtest::TestPcmSource> source(
            kvtest::TestPcmSource::New(w.Format, ToBytes(Noise(44100, 2, 0.3, 3), false), 4410));
        kvtest::ConformanceSetup setup{row.clsid, 1, 0};
        setup.upstream = source.Get();
        kvtest::CheckFilterConformance(filter.Get(), setup);
    }
}
