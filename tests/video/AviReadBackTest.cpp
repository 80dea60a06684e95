// Saved AVIs as other readers meet them: native ffmpeg (run through Wine's Z: drive), Wine's
// DirectShow and our own video source read the video's packets and the mix back exactly, in
// one part and across the parts of an OpenDML file; a video that is no AVI goes in as its
// decoded frames in uncompressed RGB24.
#include "UnixPath.h"
#include "AviStructure.h"
#include "AviWriter.h"
#include "DecodedVideo.h"
#include "DrawWindow.h"
#include "FioKit.h"
#include "GraphRunner.h"
#include "SoundFile.h"
#include "TestFilters.h"
#include "VideoFixtures.h"
#include "VideoSource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

using namespace fiotest;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the machine's own ffmpeg on a file into out (a Windows path); its exit code. Wine starts
// a program of the machine without a handle to wait on: a shell around it leaves the code in a
// file once it has ended.
DWORD Ffmpeg(const std::string& in, const std::string& options, const std::string& out)
{
    const std::string done = out + ".code";
    DeleteFileA(done.c_str());
    const std::string script = "/usr/bin/ffmpeg -v error -y -i '" + UnixPath(in) + "' " + options + " '" +
                               UnixPath(out) + "'; echo $? > '" + UnixPath(done) + ".part' && mv '" + UnixPath(done) +
                               ".part' '" + UnixPath(done) + "'";
    std::string command = "Z:\\bin\\sh -c \"" + script + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return DWORD(-1);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    for (int waited = 0; waited < 60000 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 20)
        Sleep(20);
    const std::string code = ReadText(done);
    return code.empty() ? DWORD(-1) : DWORD(std::atoi(code.c_str()));
}

// ffmpeg's size and hash of each video packet, as copied out of the file.
std::vector<std::string> PacketHashes(const std::string& avi, const std::string& scratch)
{
    EXPECT_EQ(Ffmpeg(avi, "-map 0:v -c copy -f framemd5", scratch), 0u) << "ffmpeg could not read " << avi;
    std::vector<std::string> hashes;
    std::istringstream lines(ReadText(scratch));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        // stream, dts, pts, duration, size, hash
        const size_t size = line.find(',', line.find(',', line.find(',', line.find(',') + 1) + 1) + 1);
        hashes.push_back(line.substr(size + 1));
    }
    return hashes;
}

std::vector<uint8_t> FfmpegSound(const std::string& avi, const std::string& scratch)
{
    EXPECT_EQ(Ffmpeg(avi, "-map 0:a -c:a pcm_s16le -f s16le", scratch), 0u);
    const std::string text = ReadText(scratch);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The sound of a file as Wine's DirectShow splits it, every byte the renderer gets.
std::vector<uint8_t> DirectShowSound(const std::string& avi)
{
    kvtest::TestGraph graph;
    EXPECT_TRUE(graph.Ok());
    kvtest::TestRenderer* renderer = kvtest::TestRenderer::New();
    EXPECT_EQ(graph.Add(renderer, L"sound"), S_OK);
    const std::wstring file(avi.begin(), avi.end());
    IBaseFilter* source = nullptr;
    EXPECT_EQ(graph.Graph()->AddSourceFilter(file.c_str(), L"file", &source), S_OK);
    IPin* out = source ? kvtest::FirstPin(source, PINDIR_OUTPUT) : nullptr;
    IPin* in = kvtest::FirstPin(renderer, PINDIR_INPUT);
    if (!out) {
        if (source)
            source->Release();
        in->Release();
        static_cast<IBaseFilter*>(renderer)->Release();
        return {};
    }
    EXPECT_EQ(graph.Graph()->Connect(out, in), S_OK);
    out->Release();
    in->Release();
    source->Release();
    EXPECT_EQ(graph.RunWithoutClock(), S_OK);
    EXPECT_EQ(graph.RunToEnd(20000), EC_COMPLETE);
    graph.Stop();
    const std::vector<uint8_t> received = renderer->received;
    static_cast<IBaseFilter*>(renderer)->Release();
    return received;
}

// Opens the file as the program does and tells the frame drawn for a few frames.
void ExpectFramesDrawn(const std::string& avi)
{
    DrawWindow w;
    std::unique_ptr<CVideoSource> source(CreateVideoSource(avi.c_str(), w.Window()));
    ASSERT_NE(source, nullptr) << avi;
    EXPECT_EQ(source->GetFrameCount(), 12);
    for (int frame : {7, 11, 2})
        EXPECT_EQ(DrawnFrame(*source, w, frame), frame);
}

// The sound of a WAV-style data block of an engine's mix: the fixture's own decode.
std::vector<uint8_t> FixturePcm(const char* name)
{
    const std::string text = ReadText(VideoFixture(name));
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Saves the engine (the fixture's sound as one track) with a video as the document does.
HRESULT SaveThroughModule(IKvSKsFIO* fio, Engine& engine, FileInfoRecord record, const std::string& video,
                          const std::string& saved)
{
    record.fileType = kTypeAvi;
    fio->SetVideoPath(video.c_str());
    fio->SetTrackSet(engine.Set());
    fio->SetWriteChannels(2, 0);
    HRESULT hr = fio->WriteSoundFile(nullptr, saved.c_str(), video.c_str(), &record, nullptr, 0, 0, nullptr, nullptr);
    if (SUCCEEDED(hr))
        hr = fio->GetCompletionResult();
    fio->SetTrackSet(nullptr);
    return hr;
}

class AviReadBack : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    std::string Scratch(const char* name) const { return folder_.File(name); }

    kvtest::ScratchFolder folder_;
};

} // namespace

TEST_F(AviReadBack, ASavedAviGivesFfmpegDirectShowAndOurSourceTheSourcesPacketsAndTheMix)
{
    Fio fio;
    const std::string source = VideoFixture("mjpeg.avi"), saved = Scratch("saved.avi");
    Converted c = Convert(fio.Get(), source);
    ASSERT_EQ(c.hr, S_OK);
    Engine engine(16, 44100);
    ASSERT_EQ(engine.AddTracks(c), S_OK);
    ASSERT_EQ(SaveThroughModule(fio.Get(), engine, c.record, source, saved), S_OK);

    const std::vector<std::string> packets = PacketHashes(source, Scratch("source.md5"));
    ASSERT_EQ(packets.size(), 12u);
    EXPECT_EQ(PacketHashes(saved, Scratch("saved.md5")), packets);
    // The mix of the one stereo track is the track.
    const std::vector<uint8_t> mix = FixturePcm("mjpeg.pcm");
    EXPECT_EQ(FfmpegSound(saved, Scratch("saved.pcm")), mix);
    EXPECT_EQ(DirectShowSound(saved), mix);
    ExpectFramesDrawn(saved);
}

TEST_F(AviReadBack, AnOpenDmlFileSpansSeveralPartsAndEveryReaderReadsItWhole)
{
    const std::string path = Scratch("parts.avi");
    InFile source(VideoFixture("rgb24.avi").c_str());
    AviWriteVideo video;
    video.file = &source;
    video.stream = *ReadAviStructure(source, kAviVideo).Find(kAviVideo);
    // Sound whose every sample tells its place, as long as the video.
    AviWriteAudio audio;
    audio.format = PcmFormat(2, 44100, 16, 0);
    audio.rate = 44100;
    audio.blockAlign = 4;
    audio.frames = 44100 * 12 / 25;
    std::vector<uint8_t> sound;
    for (uint64_t f = 0; f < audio.frames; ++f)
        for (int ch = 0; ch < 2; ++ch) {
            const int16_t s = int16_t((f * 7 + ch * 13) & 0x7FFF);
            sound.push_back(uint8_t(s));
            sound.push_back(uint8_t(s >> 8));
        }
    audio.read = [&](uint64_t first, size_t count, uint8_t* out) {
        std::copy_n(sound.begin() + ptrdiff_t(first * 4), count * 4, out);
    };
    AviWriteOptions options;
    options.partLimit = 200000;
    options.allowOpenDml = [] { return true; };
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        WriteAvi([&out](const void* d, size_t n) { out.write(static_cast<const char*>(d), std::streamsize(n)); }, video,
                 audio, options);
    }
    InFile written(path.c_str());
    ASSERT_GE(ReadAviStructure(written, kAviVideo).riffParts, 4);

    const std::vector<std::string> packets = PacketHashes(VideoFixture("rgb24.avi"), Scratch("rgb.md5"));
    ASSERT_EQ(packets.size(), 12u);
    EXPECT_EQ(PacketHashes(path, Scratch("parts.md5")), packets);
    EXPECT_EQ(FfmpegSound(path, Scratch("parts.pcm")), sound);
    EXPECT_EQ(DirectShowSound(path), sound);
    ExpectFramesDrawn(path);
}

TEST_F(AviReadBack, AVideoThatIsNoAviIsSavedAsItsDecodedFramesInRgb24)
{
    // An AVI keeps its own samples: nothing is decoded.
    EXPECT_EQ(WriteDecodedVideo(VideoFixture("mjpeg.avi").c_str(), Scratch("none.avi").c_str()), S_FALSE);

    const std::string decoded = Scratch("decoded.avi"), saved = Scratch("saved.avi");
    ASSERT_EQ(WriteDecodedVideo(VideoFixture("theora.ogg").c_str(), decoded.c_str()), S_OK);
    Fio fio;
    Converted c = Convert(fio.Get(), VideoFixture("rgb24.avi"));
    ASSERT_EQ(c.hr, S_OK);
    Engine engine(16, 44100);
    ASSERT_EQ(engine.AddTracks(c), S_OK);
    ASSERT_EQ(SaveThroughModule(fio.Get(), engine, c.record, decoded, saved), S_OK);

    InFile file(saved.c_str());
    const AviStreamInfo v = *ReadAviStructure(file, kAviVideo).Find(kAviVideo);
    EXPECT_EQ(v.compression, 0u);
    EXPECT_EQ(v.bitCount, 24);
    EXPECT_EQ(v.chunks.size(), 12u);
    EXPECT_EQ(v.scale * 25ull, uint64_t(v.rate));
    // ffmpeg decodes frame n as grey 8n + 4 (within the lossy source's error).
    ASSERT_EQ(Ffmpeg(saved, "-map 0:v -f rawvideo -pix_fmt gray", Scratch("frames.raw")), 0u);
    const std::string frames = ReadText(Scratch("frames.raw"));
    ASSERT_EQ(frames.size(), 12u * 160 * 120);
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(FrameOfGrey(uint8_t(frames[size_t(n) * 160 * 120 + 60 * 160 + 80])), n);
    EXPECT_EQ(FfmpegSound(saved, Scratch("saved.pcm")), FixturePcm("rgb24.pcm"));
}
