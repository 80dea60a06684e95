// A fuzz of the stream library's WAV reader ("KSWAVR  "), which the burn run points at files
// a user chose: WAV files of every form it reads, mutated where a reader decides (chunk sizes,
// the format's fields, the extensible part, the file's length) and now and then anywhere.
// Every file opens or is refused with one of the reader's own codes, without a hang and
// without keeping the file open; every file that opens gives as many frames as it states, the
// same as sox reads (integers) or ffmpeg (floats).
//
// Brief here; long by hand: KV_STRM_FUZZ=5000 KV_STRM_FUZZ_SEED=7 strm_tests --gtest_filter=WavReaderFuzz.*
#include "FioKit.h"
#include "SoundFile.h"
#include "StrmKit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace fiotest;

namespace {

struct Seed {
    WavForm form;
    uint16_t channels;
    std::vector<uint8_t> bytes;
    std::vector<size_t> sizeFields; // offsets of the chunks' size fields, the RIFF form's first
    size_t fmtBody = 0;             // offset of the "fmt " chunk's body
};

Seed MakeSeed(const WavForm& form, uint16_t channels, bool extras)
{
    WavSpec wav;
    wav.form = form;
    wav.channels = channels;
    wav.rate = 22050;
    wav.data = TestFrames(form, channels, 301, channels);
    if (extras) {
        wav.marks = {{10, 0, "A"}, {40, 25, "B"}};
        wav.info = {{"INAM", "odd"}};
        wav.extra = {{"junk", {1, 2, 3}}}; // an odd size and its pad byte
    }
    Seed seed{form, channels, BuildWav(wav).b, {4}, 0};
    for (size_t at = 12; at + 8 <= seed.bytes.size();) {
        uint32_t size = 0;
        std::memcpy(&size, &seed.bytes[at + 4], 4);
        seed.sizeFields.push_back(at + 4);
        if (std::memcmp(&seed.bytes[at], "fmt ", 4) == 0)
            seed.fmtBody = at + 8;
        at += 8 + size + (size & 1);
    }
    return seed;
}

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    if (at + 2 <= b.size())
        std::memcpy(&b[at], &v, 2);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    if (at + 4 <= b.size())
        std::memcpy(&b[at], &v, 4);
}

// One to three edits of the kinds a damaged or hostile file shows.
void Mutate(const Seed& seed, std::vector<uint8_t>& b, std::mt19937& rng)
{
    static const uint32_t kSizes[] = {0, 1, 2, 3, 15, 16, 39, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u};
    static const uint32_t kFields[] = {0, 1, 2, 3, 7, 8, 20, 0xFFFF};
    const unsigned edits = 1 + rng() % 3;
    for (unsigned e = 0; e < edits; ++e) {
        const size_t fmt = seed.fmtBody;
        switch (rng() % 8) {
        case 0: { // a chunk size: a telling value, one off, or anything
            const size_t at = seed.sizeFields[rng() % seed.sizeFields.size()];
            uint32_t size = 0;
            std::memcpy(&size, &b[at], 4);
            const uint32_t choices[] = {kSizes[rng() % 11], size + 1, size - 1, uint32_t(b.size()), uint32_t(rng())};
            Put32(b, at, choices[rng() % 5]);
            break;
        }
        case 1: // channels, block align, bits
            Put16(b, fmt + (rng() % 2 ? 2 : rng() % 2 ? 12 : 14), kFields[rng() % 8]);
            break;
        case 2: // rate and byte rate
            Put32(b, fmt + (rng() % 2 ? 4 : 8), rng() % 2 ? 0 : uint32_t(rng()));
            break;
        case 3: // the format tag, plain or extensible, and its extension's size
            Put16(b, fmt, rng() % 2 ? 0xFFFE : rng() % 2 ? 3 : uint32_t(rng() % 8));
            Put16(b, fmt + 16, kFields[rng() % 8] * 11);
            break;
        case 4: // valid bits, channel mask, sub-format
            Put16(b, fmt + 18, rng() % 2 ? 20 : kFields[rng() % 8]);
            Put32(b, fmt + 20, uint32_t(rng()));
            Put16(b, fmt + 24 + 2 * (rng() % 8), uint32_t(rng()));
            break;
        case 5: // cut short: inside the headers, or in the sound
            b.resize(rng() % 3 ? rng() % std::min<size_t>(b.size(), 200) : rng() % b.size());
            break;
        case 6: // a byte of the headers
            if (!b.empty())
                b[rng() % std::min<size_t>(b.size(), 200)] ^= uint8_t(1u << (rng() % 8));
            break;
        default: // a byte anywhere
            if (!b.empty())
                b[rng() % b.size()] = uint8_t(rng());
            break;
        }
    }
}

// What the reader hands over, as 32-bit words: integers at full scale, floats as they are.
std::vector<uint32_t> AsWords(const std::vector<uint8_t>& frames, const StrmFormat& f)
{
    std::vector<uint32_t> out;
    const size_t bytes = f.bits / 8u;
    for (size_t i = 0; i + bytes <= frames.size(); i += bytes) {
        uint32_t v = 0;
        std::memcpy(&v, &frames[i], bytes);
        out.push_back(bytes == 1 ? uint32_t(v - 128) << 24 : v << (32 - 8 * bytes));
    }
    return out;
}

// sox's reading as 32-bit integers (integers), or ffmpeg's (floats, passed on bit for bit);
// false when the tool does not read the file.
bool Reference(bool isFloat, const std::string& path, const kvtest::ScratchFolder& folder, std::vector<uint32_t>* words)
{
    const std::string out = folder.File("reference.raw");
    DeleteFileA(out.c_str());
    const std::string in = "'" + HostPath(path) + "'", raw = "'" + HostPath(out) + "'";
    const std::string command = isFloat ? "ffmpeg -nostdin -v quiet -i " + in + " -f f32le -acodec pcm_f32le " + raw
                                        : "sox -V0 -D " + in + " -t raw -e signed-integer -b 32 " + raw;
    if (RunOnHost(command) != 0)
        return false;
    const std::vector<uint8_t> bytes = ReadBytes(out);
    words->resize(bytes.size() / 4);
    std::memcpy(words->data(), bytes.data(), words->size() * 4);
    return true;
}

} // namespace

TEST(WavReaderFuzz, MutatedFilesOpenWithTheirFramesOrAreRefusedWithTheReadersOwnCodes)
{
    strmtest::StreamLibraryModule library;
    ASSERT_TRUE(library.Loaded());
    kvtest::ScratchFolder folder;
    const std::vector<Seed> seeds = {
        MakeSeed({"pcm8", 1, 8, 8, false}, 1, false),
        MakeSeed({"pcm16", 1, 16, 16, false}, 2, true),
        MakeSeed({"pcm20in24", 1, 24, 20, true}, 2, false),
        MakeSeed({"pcm24", 1, 24, 24, false}, 6, true),
        MakeSeed({"pcm32", 1, 32, 32, false}, 3, false),
        MakeSeed({"float32", 3, 32, 32, false}, 2, true),
        MakeSeed({"float32x", 3, 32, 32, true}, 1, false),
    };
    const unsigned iterations = kvtest::EnvNumber("KV_STRM_FUZZ", 84);
    const unsigned seedNumber = kvtest::EnvNumber("KV_STRM_FUZZ_SEED", 1);
    SCOPED_TRACE("seed " + std::to_string(seedNumber));
    std::mt19937 rng(seedNumber);
    unsigned opened = 0, compared = 0;
    for (unsigned i = 0; i < iterations; ++i) {
        const Seed& seed = seeds[i % seeds.size()];
        std::vector<uint8_t> bytes = seed.bytes;
        Mutate(seed, bytes, rng);
        const std::string path = folder.File("fuzz.wav");
        ASSERT_TRUE(WriteBytes(path, bytes));
        SCOPED_TRACE("iteration " + std::to_string(i) + ", a mutated " + seed.form.name);

        IStrmComponent* reader = library.Create(kTagWavReader);
        ASSERT_NE(nullptr, reader);
        const HRESULT hr = reader->Open(path.c_str(), nullptr);
        if (FAILED(hr)) {
            EXPECT_TRUE(hr == kErrInvalidFormat || hr == kErrDamagedRiff || hr == kErrNotSupported)
                << "refused with " << std::hex << hr;
            reader->Release();
            ASSERT_TRUE(DeleteFileA(path.c_str())) << "a refused file is still open";
            continue;
        }
        ++opened;
        StrmFormat format{};
        uint64_t length = 0;
        ASSERT_EQ(S_OK, reader->GetFormat(&format));
        ASSERT_EQ(S_OK, reader->GetLength(&length));
        ASSERT_TRUE(format.channels >= 1 && format.channels <= 6 && format.rate > 0) << format.channels;
        ASSERT_TRUE(format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32) << format.bits;
        const size_t frameBytes = size_t(format.bits / 8) * format.channels;
        ASSERT_LE(length * frameBytes, bytes.size()) << "more frames than the file holds";
        // Read in uneven pieces to the end, and once more past it.
        std::vector<uint8_t> frames;
        for (uint32_t piece = 97;; piece = piece * 3 % 1000 + 1) {
            std::vector<uint8_t> buffer(size_t(piece) * frameBytes);
            uint32_t count = piece;
            ASSERT_EQ(S_OK, reader->Read(buffer.data(), &count));
            ASSERT_LE(count, piece);
            frames.insert(frames.end(), buffer.begin(), buffer.begin() + size_t(count) * frameBytes);
            if (count == 0)
                break;
        }
        EXPECT_EQ(length * frameBytes, frames.size());
        reader->Release();
        std::vector<uint32_t> theirs;
        if (Reference(format.isFloat != 0, path, folder, &theirs)) {
            ++compared;
            const std::vector<uint32_t> ours = AsWords(frames, format);
            EXPECT_EQ(theirs.size(), ours.size());
            EXPECT_TRUE(ours == theirs) << "the samples differ";
        }
        ASSERT_TRUE(DeleteFileA(path.c_str())) << "a file read is still open";
    }
    std::printf("%u of %u mutated files opened, %u of them compared with sox or ffmpeg\n", opened, iterations, compared);
}
