#include <gtest/gtest.h>

#include "FileHandle.h"
#include "KvSSException.h"
#include "PeakBuilder.h"
#include "PeakFile.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "StreamObjects.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <iterator>
#include <vector>

namespace {

template <class I>
I* Create()
{
    I* object = nullptr;
    EXPECT_EQ(CreateStreamObject(__uuidof(I), reinterpret_cast<void**>(&object)), S_OK);
    return object;
}

HRESULT CodeOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    return S_OK;
}

std::vector<int32_t> ReadWords(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    EXPECT_EQ(bytes.size() % 4, 0u);
    return words;
}

WaveFormat Format(uint16_t bits, uint16_t channels)
{
    WaveFormat format;
    format.formatTag = bits == 32 ? kWaveTagFloat : kWaveTagPcm;
    format.channels = channels;
    format.samplesPerSec = 44100;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(bits / 8 * channels);
    return format;
}

// Runs a builder over data written in pieces of the given size; returns the peak words.
std::vector<int32_t> BuildPeaks(const WaveFormat& format, const void* data, size_t bytes, size_t piece,
                                DWORD framesPerBlock = 1024)
{
    IPeakBuilder* builder = Create<IPeakBuilder>();
    EXPECT_EQ(builder->Begin(&format, framesPerBlock), S_OK);
    auto* in = static_cast<const uint8_t*>(data);
    for (size_t done = 0; done < bytes; done += piece)
        builder->Write(in + done, static_cast<DWORD>(std::min(piece, bytes - done)));
    EXPECT_EQ(builder->End(), S_OK);
    char name[MAX_PATH] = {};
    EXPECT_EQ(builder->GetFileName(name, sizeof(name)), S_OK);
    builder->Release();
    std::vector<int32_t> words = ReadWords(name);
    ::DeleteFileA(name);
    return words;
}

// A stream that takes nothing: a peak file on a full disk.
class FullStream : public ComObject<IFileStream> {
public:
    HRESULT STDMETHODCALLTYPE Open(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close() override
    {
        m_open = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSize(uint64_t*) override { return E_PENDING; }
    DWORD STDMETHODCALLTYPE GetFileName(char*, DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE SetFileName(const char*) override { return 0; }
    BOOL STDMETHODCALLTYPE Exists() override { return TRUE; }
    BOOL STDMETHODCALLTYPE IsOpen() override { return m_open; }
    BOOL STDMETHODCALLTYPE IsWritable() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE Read(void*, DWORD, DWORD* done) override
    {
        *done = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, DWORD, DWORD* done) override
    {
        *done = 0;
        return S_OK;
    }
    BOOL STDMETHODCALLTYPE SetEndOfFile() override { return FALSE; }
    HRESULT STDMETHODCALLTYPE Seek(int64_t, DWORD, uint64_t*) override { return S_OK; }

private:
    bool m_open = true;
};

} // namespace

TEST(StreamObjects, EachClassAnswersItsOwnIdAndIUnknownOnly)
{
    const IID* ids[] = {&__uuidof(IFileStream), &__uuidof(IPeakBuilder), &__uuidof(IPeakFile)};
    for (const IID* id : ids) {
        IUnknown* object = nullptr;
        ASSERT_EQ(CreateStreamObject(*id, reinterpret_cast<void**>(&object)), S_OK);
        IUnknown* identity = nullptr;
        ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
        void* again = nullptr;
        ASSERT_EQ(identity->QueryInterface(*id, &again), S_OK);
        EXPECT_EQ(again, object) << "one sub-object per interface";
        for (const IID* other : ids) {
            if (other == id)
                continue;
            void* none = reinterpret_cast<void*>(1);
            EXPECT_EQ(object->QueryInterface(*other, &none), E_NOINTERFACE);
            EXPECT_EQ(none, nullptr);
        }
        static_cast<IUnknown*>(again)->Release();
        identity->Release();
        EXPECT_EQ(object->Release(), 0u);
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateStreamObject(IID_IUnknown, &none), E_OUTOFMEMORY);
    EXPECT_EQ(none, nullptr);
}

TEST(FileStream, ReadsWritesAndSeeksA64BitFile)
{
    kvtest::ScratchFolder scratch;
    IFileStream* stream = Create<IFileStream>();
    EXPECT_EQ(stream->SetFileName(scratch.File("data.bin").c_str()), scratch.File("data.bin").size());
    uint64_t size = 1;
    EXPECT_EQ(stream->GetSize(&size), E_PENDING);
    EXPECT_FALSE(stream->Exists());
    ASSERT_EQ(stream->Open(kStreamCreate), S_OK);
    EXPECT_TRUE(stream->IsWritable());
    DWORD done = 0;
    stream->Write("0123456789", 10, &done);
    EXPECT_EQ(done, 10u);
    uint64_t position = 0;
    stream->Seek(-4, FILE_END, &position);
    EXPECT_EQ(position, 6u);
    char text[8] = {};
    stream->Read(text, 7, &done);
    EXPECT_EQ(done, 4u);
    EXPECT_STREQ(text, "6789");
    stream->Seek(5, FILE_BEGIN, nullptr);
    EXPECT_TRUE(stream->SetEndOfFile());
    ASSERT_EQ(stream->GetSize(&size), S_OK);
    EXPECT_EQ(size, 5u);
    // Beyond 4 GB without writing there: the position is 64-bit.
    stream->Seek(0x100000005LL, FILE_BEGIN, &position);
    EXPECT_EQ(position, 0x100000005ULL);
    stream->Close();
    EXPECT_FALSE(stream->IsOpen());
    EXPECT_TRUE(stream->Exists());

    ASSERT_EQ(stream->Open(kStreamRead), S_OK);
    EXPECT_FALSE(stream->IsWritable());
    EXPECT_FALSE(stream->SetEndOfFile());
    EXPECT_NE(CodeOf([&] { stream->Write("x", 1, &done); }), S_OK);
    stream->Close();
    stream->Release();
}

TEST(FileStream, FailuresAreThrownWithTheirCodes)
{
    kvtest::ScratchFolder scratch;
    IFileStream* stream = Create<IFileStream>();
    stream->SetFileName(scratch.File("missing.bin").c_str());
    EXPECT_EQ(CodeOf([&] { stream->Open(0); }), E_INVALIDARG);
    EXPECT_EQ(CodeOf([&] { stream->Open(4); }), E_INVALIDARG);
    EXPECT_EQ(CodeOf([&] { stream->Open(kStreamRead); }), HRESULT(0x80070002));
    DWORD done = 0;
    char byte = 0;
    EXPECT_EQ(CodeOf([&] { stream->Read(&byte, 1, &done); }), HRESULT(0x80070006)) << "closed: invalid handle";
    EXPECT_EQ(CodeOf([&] { stream->Seek(0, FILE_BEGIN, nullptr); }), HRESULT(0x80070006));
    stream->Release();
}

TEST(FileStream, SharingBitsKeepOtherOpenersOut)
{
    kvtest::ScratchFolder scratch;
    std::string path = scratch.File("shared.bin");
    struct Case {
        DWORD mode;
        bool othersRead;
        bool othersWrite;
    };
    const Case cases[] = {{kStreamCreate, true, true},
                          {kStreamCreate | kStreamDenyRead, false, true},
                          {kStreamCreate | kStreamDenyWrite, true, false},
                          {kStreamCreate | kStreamDenyRead | kStreamDenyWrite, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        IFileStream* stream = Create<IFileStream>();
        stream->SetFileName(path.c_str());
        ASSERT_EQ(stream->Open(c.mode), S_OK);
        auto canOpen = [&](DWORD access) {
            FileHandle other(::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
            return other.IsValid();
        };
        EXPECT_EQ(canOpen(GENERIC_READ), c.othersRead);
        EXPECT_EQ(canOpen(GENERIC_WRITE), c.othersWrite);
        stream->Release(); // closes
    }
}

TEST(FileStream, NameCopyIsBoundedByTheBuffer)
{
    IFileStream* stream = Create<IFileStream>();
    stream->SetFileName("C:\\data.bin");
    EXPECT_EQ(stream->GetFileName(nullptr, 0), 11u);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(stream->GetFileName(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 4), "C:\\x");
    EXPECT_EQ(stream->SetFileName(nullptr), 0u);
    stream->Release();
}

TEST(PeakBuilder, WritesOneRecordPerBlockWithTheShortLastBlock)
{
    SettingsTestRoot root;
    // 1536 frames of 16-bit stereo: left ramps 0..1535, right is its negation.
    std::vector<int16_t> samples;
    for (int i = 0; i < 1536; ++i) {
        samples.push_back(static_cast<int16_t>(i));
        samples.push_back(static_cast<int16_t>(-i));
    }
    const std::vector<int32_t> expected = {0, 1023, -1023, 0, 1024, 1535, -1535, -1024};
    for (size_t piece : {samples.size() * 2, size_t(4096), size_t(1000), size_t(3)}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(BuildPeaks(Format(16, 2), samples.data(), samples.size() * 2, piece), expected);
    }
}

TEST(PeakBuilder, ScalesFloatAndEightBitSamples)
{
    SettingsTestRoot root;
    const float floats[] = {0.5f, 1.5f, -2.0f, -0.25f, 0.0f, 0.75f};
    EXPECT_EQ(BuildPeaks(Format(32, 1), floats, sizeof(floats), sizeof(floats), 4),
              (std::vector<int32_t>{-32768, 32767, 0, 24575}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float withNan[] = {0.5f, nan, -0.5f};
    EXPECT_EQ(BuildPeaks(Format(32, 1), withNan, sizeof(withNan), sizeof(withNan)),
              (std::vector<int32_t>{-16383, 16383}));
    const float leadingNan[] = {nan, 0.5f, -0.25f, nan};
    EXPECT_EQ(BuildPeaks(Format(32, 1), leadingNan, sizeof(leadingNan), sizeof(leadingNan)),
              (std::vector<int32_t>{-8191, 16383}))
        << "a block that starts with a NaN keeps the peaks of its other samples";
    const float allNan[] = {nan, nan};
    EXPECT_EQ(BuildPeaks(Format(32, 1), allNan, sizeof(allNan), sizeof(allNan)), (std::vector<int32_t>{0, 0}));
    const uint8_t bytes[] = {0, 255, 128, 128, 200, 10};
    EXPECT_EQ(BuildPeaks(Format(8, 2), bytes, sizeof(bytes), 1), (std::vector<int32_t>{-128, 72, -118, 127}));
}

TEST(PeakBuilder, BlockPeaksMatchAPlainScanForEveryChannelCountAndLength)
{
    // The plain scan: per channel, the smallest and largest sample, NaNs passed over.
    auto plain = [](const std::vector<float>& v, DWORD channels, bool isFloat) {
        std::vector<int32_t> out;
        for (DWORD c = 0; c < channels; ++c) {
            float lo = std::numeric_limits<float>::infinity(), hi = -lo;
            for (size_t i = c; i < v.size(); i += channels)
                if (!std::isnan(v[i])) {
                    lo = std::min(lo, v[i]);
                    hi = std::max(hi, v[i]);
                }
            if (!isFloat) {
                out.push_back(int32_t(lo));
                out.push_back(int32_t(hi));
            } else {
                auto scaled = [](float x) { return x > 1 ? 32767 : x < -1 ? -32768 : int32_t(x * 32767.0); };
                out.push_back(lo <= hi ? scaled(lo) : 0);
                out.push_back(lo <= hi ? scaled(hi) : 0);
            }
        }
        return out;
    };
    uint32_t seed = 7;
    for (WORD bits : {16, 32})
        for (DWORD channels : {1u, 2u, 3u, 4u, 6u, 8u})
            for (DWORD frames : {1u, 3u, 5u, 7u, 1021u, 1024u}) {
                SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels, " << frames << " frames");
                std::vector<float> values(size_t(frames) * channels);
                std::vector<int16_t> shorts(values.size());
                for (size_t i = 0; i < values.size(); ++i) {
                    seed = seed * 1664525u + 1013904223u;
                    shorts[i] = int16_t(seed >> 16);
                    values[i] = bits == 16 ? float(shorts[i]) : float(shorts[i]) / 30000.0f;
                    if (bits == 32 && seed % 11 == 0)
                        values[i] = std::numeric_limits<float>::quiet_NaN();
                }
                std::vector<int32_t> peaks;
                const uint8_t* data = bits == 16 ? reinterpret_cast<const uint8_t*>(shorts.data())
                                                 : reinterpret_cast<const uint8_t*>(values.data());
                PeakBuilder::AnalyseBlock(data, DWORD(values.size() * bits / 8), Format(bits, WORD(channels)), 1024,
                                          &peaks);
                EXPECT_EQ(peaks, plain(values, channels, bits == 32));
            }
}

TEST(PeakBuilder, TwentyFourBitInputGivesAnEmptyPeakFile)
{
    SettingsTestRoot root;
    std::vector<uint8_t> data(3 * 2 * 3000, 0x40);
    EXPECT_TRUE(BuildPeaks(Format(24, 2), data.data(), data.size(), 5000).empty());
}

TEST(PeakBuilder, WritesWaitingPeaksOnceMoreThanTheThresholdWait)
{
    SettingsTestRoot root;
    IPeakBuilder* builder = Create<IPeakBuilder>();
    WaveFormat mono = Format(16, 1);
    ASSERT_EQ(builder->Begin(&mono, 1), S_OK);
    std::vector<int16_t> samples(512, 7);
    EXPECT_EQ(builder->Write(samples.data(), 256 * 2), 2048u) << "exactly the threshold waits";
    EXPECT_EQ(builder->Write(samples.data(), 2), 0u) << "past it everything is written";
    EXPECT_EQ(builder->End(), S_OK);
    char name[MAX_PATH];
    builder->GetFileName(name, sizeof(name));
    EXPECT_EQ(ReadWords(name).size(), 514u);
    builder->Release();
    ::DeleteFileA(name);
}

TEST(PeakBuilder, EndFailsInsteadOfSpinningWhenTheFileTakesNothing)
{
    PeakBuilder* builder = RefCounted::Create<PeakBuilder>();
    FullStream* full = FullStream::Create<FullStream>();
    WaveFormat mono = Format(16, 1);
    ASSERT_EQ(builder->BeginOnStream(full, &mono, 4), S_OK);
    const int16_t samples[] = {1, 2, 3};
    builder->Write(samples, sizeof(samples));
    EXPECT_EQ(builder->End(), E_FAIL);
    EXPECT_FALSE(full->IsOpen());
    EXPECT_EQ(builder->GetFileName(nullptr, 0), E_FAIL) << "a stream without a name";
    builder->Release();
    EXPECT_EQ(full->Release(), 0u);
}

TEST(PeakBuilder, RefusesFormatsThatMakeEmptyBlocks)
{
    IPeakBuilder* builder = Create<IPeakBuilder>();
    char name[8];
    EXPECT_EQ(builder->GetFileName(name, sizeof(name)), E_POINTER) << "no peak file yet";
    WaveFormat none = Format(16, 0);
    WaveFormat narrow = Format(4, 1);
    WaveFormat mono = Format(16, 1);
    EXPECT_EQ(builder->Begin(&none, 1024), E_INVALIDARG);
    EXPECT_EQ(builder->Begin(&narrow, 1024), E_INVALIDARG);
    EXPECT_EQ(builder->Begin(&mono, 0), E_INVALIDARG);
    EXPECT_EQ(builder->Write("abcd", 4), 0u) << "nothing begun: nothing collected";
    builder->Release();
}

TEST(PeakFile, WritesTheDataFileAndItsPeaks)
{
    SettingsTestRoot root;
    IPeakFile* file = Create<IPeakFile>();
    char name[MAX_PATH];
    uint64_t size = 0;
    EXPECT_EQ(file->GetDataFileName(name, sizeof(name)), E_FAIL);
    EXPECT_EQ(file->GetPeakFileName(name, sizeof(name)), E_FAIL);
    EXPECT_EQ(file->GetDataSize(&size), E_FAIL);

    WaveFormat stereo = Format(16, 2);
    ASSERT_EQ(file->Create(&stereo, 1024), S_OK);
    std::vector<int16_t> samples(2 * 1500, 100);
    DWORD done = 0;
    EXPECT_EQ(file->Write(samples.data(), 6000, &done), S_OK);
    EXPECT_EQ(done, 6000u);
    ASSERT_EQ(file->GetDataSize(&size), S_OK);
    EXPECT_EQ(size, 6000u);
    EXPECT_EQ(file->Close(), S_OK);

    char data[MAX_PATH];
    char peaks[MAX_PATH];
    ASSERT_EQ(file->GetDataFileName(data, sizeof(data)), S_OK);
    ASSERT_EQ(file->GetPeakFileName(peaks, sizeof(peaks)), S_OK);
    EXPECT_STRNE(data, peaks);
    EXPECT_EQ(ReadWords(peaks), (std::vector<int32_t>{100, 100, 100, 100, 100, 100, 100, 100}));
    std::ifstream in(data, std::ios::binary | std::ios::ate);
    EXPECT_EQ(in.tellg(), 6000);
    in.close();
    file->Release();
    ::DeleteFileA(data);
    ::DeleteFileA(peaks);
}

TEST(PeakFile, RefusesMoreThanTwoChannels)
{
    IPeakFile* file = Create<IPeakFile>();
    WaveFormat three = Format(16, 3);
    EXPECT_EQ(CodeOf([&] { file->Create(&three, 1024); }), HRESULT(0x83E804B4));
    char name[8];
    EXPECT_EQ(file->GetDataFileName(name, sizeof(name)), E_FAIL) << "nothing created";
    file->Release();
}

namespace {

// Files in the temporary folder the stream objects use, with TempPath pointed at a scratch folder.
size_t TempFileCount(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    do {
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

} // namespace

// A refused run leaves no temporary file behind: only the objects know the names they made.
TEST(PeakBuilder, RefusedBeginLeavesNoTemporaryFile)
{
    SettingsTestRoot root;
    kvtest::ScratchFolder scratch;
    ASSERT_EQ(SetSettingString("Settings", "TempPath", scratch.Path().c_str()), 1);
    const std::string temp = scratch.Path() + "kv5eu\\";

    IPeakBuilder* builder = Create<IPeakBuilder>();
    const WaveFormat refused[] = {Format(16, 0), Format(4, 1)};
    for (const WaveFormat& format : refused)
        EXPECT_EQ(builder->Begin(&format, 1024), E_INVALIDARG);
    WaveFormat mono = Format(16, 1);
    EXPECT_EQ(builder->Begin(&mono, 0), E_INVALIDARG);
    EXPECT_EQ(TempFileCount(temp), 0u);
    EXPECT_EQ(builder->Begin(&mono, 1024), S_OK);
    EXPECT_EQ(TempFileCount(temp), 1u) << "the peak file of the run";
    EXPECT_EQ(builder->Begin(&mono, 0), E_INVALIDARG);
    EXPECT_EQ(builder->End(), S_OK) << "a refused Begin leaves the running file alone";
    EXPECT_EQ(TempFileCount(temp), 1u);
    builder->Release();
}

// A peak file whose builder refuses the format throws its code and keeps no half-made data file.
TEST(PeakFile, FailedCreateLeavesNothingBehind)
{
    SettingsTestRoot root;
    kvtest::ScratchFolder scratch;
    ASSERT_EQ(SetSettingString("Settings", "TempPath", scratch.Path().c_str()), 1);
    const std::string temp = scratch.Path() + "kv5eu\\";

    IPeakFile* file = Create<IPeakFile>();
    WaveFormat none = Format(16, 0);
    EXPECT_EQ(CodeOf([&] { file->Create(&none, 1024); }), E_INVALIDARG);
    WaveFormat mono = Format(16, 1);
    EXPECT_EQ(CodeOf([&] { file->Create(&mono, 0); }), E_INVALIDARG);
    char name[MAX_PATH];
    uint64_t size = 0;
    EXPECT_EQ(file->GetDataFileName(name, sizeof(name)), E_FAIL);
    EXPECT_EQ(file->GetPeakFileName(name, sizeof(name)), E_FAIL);
    EXPECT_EQ(file->GetDataSize(&size), E_FAIL);
    DWORD done = 7;
    EXPECT_EQ(file->Write("ab", 2, &done), E_FAIL);
    EXPECT_EQ(TempFileCount(temp), 0u);
    file->Release();
}
