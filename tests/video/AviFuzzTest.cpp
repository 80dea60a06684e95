// Mutated AVIs down both roads that read them: the file module (file facts, the sound into
// track files) and the video sources (AVIFile and DrawDib, or a filter graph), drawing frames.
// A crash ends the test program. Seeded, so a failing case comes back: brief here; a long run
// by hand with KV_FUZZ_COUNT (cases) and KV_FUZZ_SEED (first seed).
#include "FioKit.h"
#include "VideoFixtures.h"
#include "VideoSource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace fiotest;

namespace {

class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next(uint32_t below)
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>((m_state >> 33) % below);
    }

private:
    uint64_t m_state;
};

// Places of the sizes and counts a lie hides in: after each known id, and the fields of the
// headers that follow them.
std::vector<size_t> Landmarks(const std::vector<uint8_t>& b)
{
    static const char* const kIds[] = {"RIFF", "LIST", "avih", "strh", "strf", "idx1", "indx", "ix00", "ix01",
                                       "movi", "00dc", "01wb", "00db", "JUNK", "strl", "hdrl"};
    std::vector<size_t> out;
    for (size_t i = 0; i + 8 <= b.size(); ++i)
        for (const char* id : kIds)
            if (std::memcmp(&b[i], id, 4) == 0)
                out.push_back(i + 4);
    return out;
}

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& good, Random& r)
{
    static const uint32_t kValues[] = {0, 1, 2, 3, 4, 7, 8, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF,
                                       0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    std::vector<uint8_t> b = good;
    const std::vector<size_t> marks = Landmarks(b);
    const int edits = 1 + r.Next(6);
    for (int e = 0; e < edits && b.size() > 16; ++e) {
        switch (r.Next(5)) {
        case 0: // a byte anywhere
            b[r.Next(static_cast<uint32_t>(b.size()))] = static_cast<uint8_t>(r.Next(256));
            break;
        case 1: // a size or count beside an id, or a header field after it
        case 2: {
            const size_t at = marks.empty() ? 4 : marks[r.Next(static_cast<uint32_t>(marks.size()))] + 4 * r.Next(12);
            if (at + 4 > b.size())
                break;
            const uint32_t v = r.Next(2) ? kValues[r.Next(16)]
                                         : (b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24) +
                                               r.Next(64) - 32;
            std::memcpy(&b[at], &v, 4);
            break;
        }
        case 3: // cut short
            b.resize(12 + r.Next(static_cast<uint32_t>(b.size() - 12)));
            break;
        default: // a run of bytes copied over another place
        {
            const size_t n = 1 + r.Next(64);
            const size_t from = r.Next(static_cast<uint32_t>(b.size())), to = r.Next(static_cast<uint32_t>(b.size()));
            for (size_t i = 0; i < n && from + i < b.size() && to + i < b.size(); ++i)
                b[to + i] = b[from + i];
            break;
        }
        }
    }
    return b;
}

// One mutated file down both roads; nothing may crash.
void Exercise(IKvSKsFIO* fio, const std::string& path, HDC dc)
{
    FileInfoRecord record{};
    if (SUCCEEDED(fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &record))) {
        Converted c = Convert(fio, path);
        for (const std::string& name : c.names)
            DeleteFileA(name.c_str());
    }
    std::unique_ptr<CVideoSource> source(CreateVideoSource(path.c_str(), WindowFromDC(dc)));
    if (!source)
        return;
    const int n = source->GetFrameCount();
    for (int frame : {0, n / 2, n - 1, n + 3})
        source->DrawFrame(dc, 0, 0, 80, 60, frame, 0);
    Sleep(source->IsDrawnLater() ? 50 : 0);
}

} // namespace

TEST(AviFuzz, MutatedAvisNeverCrashEitherRoad)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const char* count = std::getenv("KV_FUZZ_COUNT");
    const char* seed = std::getenv("KV_FUZZ_SEED");
    const int cases = count ? std::atoi(count) : 24;
    const uint64_t first = seed ? std::strtoull(seed, nullptr, 10) : 1;
    const char* const fixtures[] = {"cinepak.avi", "rgb24.avi", "mjpeg.avi", "msvideo1.avi", "mpeg4-DX50.avi"};
    std::vector<std::vector<uint8_t>> goods;
    for (const char* f : fixtures)
        goods.push_back(ReadBytes(VideoFixture(f)));
    for (const char* d : kDamagedAvis)
        goods.push_back(ReadBytes(DamagedFixture(d)));
    Fio fio;
    kvtest::ScratchFolder folder;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 60);
    SelectObject(dc, bitmap);
    // Cases that crashed once come back every run (1255: a Cinepak codebook chunk that claims
    // more entries than a codebook holds, which the system's decoder wrote past).
    std::vector<uint64_t> seeds = {1255};
    for (int k = 0; k < cases; ++k)
        seeds.push_back(first + k);
    for (const uint64_t s : seeds) {
        Random r(s);
        const std::vector<uint8_t>& good = goods[r.Next(static_cast<uint32_t>(goods.size()))];
        const std::string path = folder.File("fuzz.avi");
        const std::vector<uint8_t> mutated = Mutate(good, r);
        ASSERT_TRUE(WriteBytes(path, mutated));
        if (const char* keep = std::getenv("KV_FUZZ_KEEP"))
            WriteBytes(keep, mutated);
        SCOPED_TRACE("seed " + std::to_string(s));
        // A long run says which case it is on: a crash ends the program without a trace.
        if (count)
            std::printf("seed %llu\n", static_cast<unsigned long long>(s)), std::fflush(stdout);
        Exercise(fio.Get(), path, dc);
    }
    DeleteDC(dc);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    CoUninitialize();
}
