// A fuzz of the module's readers: WAV and AIFF files the module wrote and MP3 files, mutated
// where the readers decide (headers, chunk sizes, frame headers) and now and then anywhere.
// Every file is read or refused without leftovers, and every file read gives the sound it
// holds: the length it stated, the same samples as sox reads (integer WAV, AIFF) or ffmpeg
// (float WAV), and for an MP3 stream that ffmpeg decodes without complaint, as many frames.
//
// Brief here; long by hand: KV_FIO_FUZZ=20000 KV_FIO_FUZZ_SEED=7 fio_tests --gtest_filter=FioFuzz.*
// (KV_FIO_FUZZ_KEEP=folder keeps each file read otherwise than the reference reads it).
#include "FioKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

using namespace fiotest;

namespace {

struct Seed {
    std::string extension;
    std::vector<uint8_t> bytes;
    size_t statement = 0; // MP3: the end of the first frame, which states the stream's length
};

// The end of an MP3 file's first frame (after its ID3 tag).
size_t FirstFrameEnd(const std::vector<uint8_t>& b)
{
    size_t at = 0;
    if (b.size() > 10 && std::memcmp(b.data(), "ID3", 3) == 0)
        at = 10 + (size_t(b[6] & 0x7F) << 21 | size_t(b[7] & 0x7F) << 14 | size_t(b[8] & 0x7F) << 7 | (b[9] & 0x7F));
    const int version = (b[at + 1] >> 3) & 3;
    static const int kV1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kV2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    // The seeds: MPEG-1 at 44.1 kHz, MPEG-2 at 22.05 kHz.
    const int rate = version == 3 ? 44100 : 22050, bitrate = (version == 3 ? kV1 : kV2)[b[at + 2] >> 4];
    return at + (version == 3 ? 144 : 72) * bitrate * 1000 / rate + ((b[at + 2] >> 1) & 1);
}

// The frames of a track file (the engine's storage form of the bits) as floats.
std::vector<float> StorageFloats(const std::vector<uint8_t>& data, WORD bits)
{
    std::vector<float> out;
    if (bits == 8) {
        for (uint8_t v : data)
            out.push_back((int(v) - 128) / 128.0f);
    } else if (bits == 16) {
        for (size_t i = 0; i + 1 < data.size(); i += 2)
            out.push_back(int16_t(data[i] | data[i + 1] << 8) / 32768.0f);
    } else {
        out.resize(data.size() / 4);
        std::memcpy(out.data(), data.data(), out.size() * 4);
    }
    return out;
}

// What differs between our frames and the reference's (empty when they agree). A sample the
// reference gives as NaN or infinite must be 0 or full scale of its sign here.
std::string Difference(const std::vector<float>& ours, const std::vector<float>& theirs)
{
    if (ours.size() != theirs.size())
        return "samples: " + std::to_string(ours.size()) + " here, " + std::to_string(theirs.size()) + " there";
    for (size_t i = 0; i < ours.size(); ++i) {
        const float t = theirs[i];
        const float want = std::isnan(t) ? 0.0f : std::isinf(t) ? std::copysign(1.0f, t) : t;
        if (!(ours[i] == want))
            return "sample " + std::to_string(i) + ": " + std::to_string(ours[i]) + " here, " + std::to_string(t) +
                   " there";
    }
    return std::string();
}

enum class Tool {
    Sox,        // integer PCM, read exactly (sox holds floats as integers: clipped and rounded)
    FfmpegPcm,  // float PCM, passed on bit for bit
    FfmpegMpeg, // MP3, read only when ffmpeg decodes it without complaint
};

// The tool's reading of the file as floats; false when it does not read it.
bool Reference(Tool tool, const std::string& path, const kvtest::ScratchFolder& folder, std::vector<float>* samples)
{
    const std::string out = folder.File("reference.raw"), errors = folder.File("reference.txt");
    DeleteFileA(out.c_str());
    const std::string in = "'" + HostPath(path) + "'", raw = "'" + HostPath(out) + "'";
    const std::string ffmpeg =
        "ffmpeg -nostdin -v error -i " + in + " -f f32le -acodec pcm_f32le " + raw + " 2> '" + HostPath(errors) + "'";
    if (tool == Tool::Sox && RunOnHost("sox -V1 -D " + in + " -t raw -e floating-point -b 32 " + raw) != 0)
        return false;
    if (tool != Tool::Sox && RunOnHost(ffmpeg) != 0)
        return false;
    if (tool == Tool::FfmpegMpeg && !ReadBytes(errors).empty())
        return false;
    const std::vector<uint8_t> bytes = ReadBytes(out);
    samples->resize(bytes.size() / 4);
    std::memcpy(samples->data(), bytes.data(), samples->size() * 4);
    return true;
}

std::vector<Seed> Seeds(IKvSKsFIO* fio, const kvtest::ScratchFolder& folder)
{
    std::vector<Seed> seeds;
    // Files the module wrote: 16 and 24 bits and floats, as WAV and AIFF, with marks, a loop
    // and texts.
    const WavForm forms[] = {{"pcm16", 1, 16, 16, false}, {"pcm24", 1, 24, 24, false}, {"float32", 3, 32, 32, false}};
    for (const WavForm& form : forms) {
        WavSpec wav;
        wav.form = form;
        wav.channels = 2;
        wav.data = TestFrames(form, 2, 3000, 9);
        wav.marks = {{10, 0, "A"}, {20, 300, "B"}};
        wav.loop = true;
        wav.loopStart = 5;
        wav.loopEnd = 50;
        wav.info = {{"INAM", "x"}};
        const std::string source = folder.File("source.wav");
        EXPECT_TRUE(WriteBytes(source, BuildWav(wav).b));
        Converted c = Convert(fio, source);
        EXPECT_EQ(S_OK, c.hr);
        Engine engine(c.record.bitsPerSample, c.record.samplesPerSec);
        EXPECT_EQ(S_OK, engine.AddTracks(c));
        for (LONG type : {3L, 2L}) {
            if (type == 2 && form.tag == 3)
                continue; // AIFF is written as integers
            FileInfoRecord r = c.record;
            r.fileType = type;
            const std::string p = folder.File(type == 3 ? "seed.wav" : "seed.aif");
            EXPECT_EQ(S_OK, WriteEngine(fio, engine.Set(), p, r, c.markers, &c.loop, c.attributes));
            seeds.push_back({type == 3 ? "wav" : "aif", ReadBytes(p)});
        }
        for (const std::string& n : c.names)
            DeleteFileA(n.c_str());
    }
    // MP3: constant and variable rate, with and without an Info frame, half-size frames.
    for (const char* name : {"cbr64-2", "vbr32-1", "noinfo-64-2", "mpeg2-32-1"}) {
        std::vector<uint8_t> bytes = ReadBytes(TestData(std::string("mp3\\") + name + ".mp3"));
        const size_t statement = FirstFrameEnd(bytes);
        seeds.push_back({"mp3", std::move(bytes), statement});
    }
    return seeds;
}

// Mutates b; answers the lowest offset it changed.
size_t Mutate(std::vector<uint8_t>& b, std::mt19937& rng)
{
    size_t lowest = b.size();
    const unsigned edits = 1 + rng() % 4;
    for (unsigned e = 0; e < edits; ++e) {
        // Most edits land where the headers lie; some anywhere.
        const size_t head = rng() % 8 ? std::min<size_t>(b.size(), 600) : b.size();
        size_t at = 0;
        switch (rng() % 5) {
        case 0:
            at = rng() % head;
            b[at] ^= uint8_t(1u << (rng() % 8));
            break;
        case 1: {
            at = rng() % (head - 4);
            const uint32_t values[] = {0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, uint32_t(rng())};
            const uint32_t v = values[rng() % 6];
            std::memcpy(&b[at], &v, 4);
            break;
        }
        case 2:
            b.resize(rng() % (b.size() + 1));
            if (b.size() < 16)
                b.resize(16);
            at = b.size();
            break;
        case 3: {
            // A run of bytes copied from elsewhere in the file.
            const size_t n = 1 + rng() % std::min<size_t>(64, b.size() / 2), from = rng() % (b.size() - n);
            at = rng() % (b.size() - n);
            std::memmove(&b[at], &b[from], n);
            break;
        }
        default:
            at = rng() % b.size();
            b[at] = uint8_t(rng());
            break;
        }
        lowest = std::min(lowest, at);
    }
    return lowest;
}

} // namespace

TEST(FioFuzz, MutatedFilesAreReadOrRefusedWithoutLeftovers)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const std::vector<Seed> seeds = Seeds(fio.Get(), folder);
    ASSERT_EQ(9u, seeds.size());
    const unsigned iterations = kvtest::EnvNumber("KV_FIO_FUZZ", 72);
    const unsigned seed = kvtest::EnvNumber("KV_FIO_FUZZ_SEED", 1);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::vector<std::string> before = TempFileNames();
    unsigned loaded = 0, compared = 0;
    for (unsigned i = 0; i < iterations; ++i) {
        const Seed& s = seeds[i % seeds.size()];
        std::vector<uint8_t> b = s.bytes;
        const size_t changed = Mutate(b, rng);
        const std::string path = folder.File("fuzz." + s.extension);
        ASSERT_TRUE(WriteBytes(path, b));
        SCOPED_TRACE("iteration " + std::to_string(i) + ", a mutated ." + s.extension);
        FileInfoRecord record{};
        const HRESULT described = fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &record);
        Converted out = Convert(fio.Get(), path);
        if (SUCCEEDED(out.hr)) {
            ++loaded;
            ASSERT_EQ(1, out.files);
            ASSERT_EQ(2u, out.names.size());
            const std::vector<float> ours = StorageFloats(ReadBytes(out.names[0]), out.record.bitsPerSample);
            EXPECT_EQ(size_t(out.record.lengthSamples) * out.record.channels, ours.size());
            // What the file says of itself is what it gives.
            if (SUCCEEDED(described)) {
                EXPECT_EQ(record.lengthSamples, out.record.lengthSamples);
            }
            // An MP3 whose first frame (the statement of its length) is damaged is read as
            // each decoder makes it out: ffmpeg's length is no reference then. Decoders also
            // differ in what they make of a damaged frame: of an MP3 the length is compared
            // (its samples are compared, for whole streams, in FioMpeg).
            const bool mpeg = s.extension == "mp3";
            const Tool tool = mpeg ? Tool::FfmpegMpeg : out.record.formatTag == 3 ? Tool::FfmpegPcm : Tool::Sox;
            std::vector<float> theirs;
            if ((!mpeg || changed >= s.statement) && Reference(tool, path, folder, &theirs)) {
                ++compared;
                const std::string difference =
                    mpeg ? (ours.size() == theirs.size() ? std::string()
                                                         : "samples: " + std::to_string(ours.size()) + " here, " +
                                                               std::to_string(theirs.size()) + " there")
                         : Difference(ours, theirs);
                EXPECT_TRUE(difference.empty()) << difference;
                if (!difference.empty() && std::getenv("KV_FIO_FUZZ_KEEP"))
                    WriteBytes(
                        std::string(std::getenv("KV_FIO_FUZZ_KEEP")) + "\\" + std::to_string(i) + "." + s.extension, b);
            }
            for (const std::string& n : out.names)
                DeleteFileA(n.c_str());
        }
        ASSERT_EQ(before, TempFileNames()) << "a refused file left temporary files";
    }
    std::printf("%u of %u mutated files read, %u of them compared with sox or ffmpeg\n", loaded, iterations, compared);
}
