// The stream library's converter ("KSMANG  ") and WAV writer ("KSWAVW  ") as the burn run uses
// them: any reader, a target format of CD audio, reports to a window.
#include "KvsStrm.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 24-bit stereo WAV of a 1 kHz sine at half scale (left) and its negative (right).
void WriteSine24(const std::string& path, uint32_t rate, uint32_t frames)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    kvtest::WriteWavHeader(f, 2, rate, 24, frames);
    const double pi = 3.14159265358979323846;
    for (uint32_t i = 0; i < frames; ++i) {
        const int32_t v = int32_t(std::lround(std::sin(2 * pi * 1000.0 * i / rate) * 4194304.0));
        for (int32_t s : {v, -v})
            std::fwrite(&s, 1, 3, f);
    }
    std::fclose(f);
}

class Converter : public testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryA((kvtest::BinFolder() + "KVSSTRM.dll").c_str());
        ASSERT_NE(m_module, nullptr);
        auto getRegistry = reinterpret_cast<StrmGetRegistryFn>(
            reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(kStrmOrdGetRegistry))));
        const StrmRegistration* entry = getRegistry()->Find(TagLow(kTagConverter), TagHigh(kTagConverter));
        ASSERT_NE(entry, nullptr);
        ITaggedObject* object = nullptr;
        ASSERT_EQ(entry->create(TagLow(kTagConverter), TagHigh(kTagConverter), &object), S_OK);
        ASSERT_EQ(object->QueryInterface(kTagConverter, reinterpret_cast<void**>(&m_converter)), S_OK);
        object->Release();
        m_window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        m_message = RegisterWindowMessageA("AudioCD Convert Kvss Notify");
    }
    void TearDown() override
    {
        if (m_converter) {
            m_converter->SetNotify(nullptr, 0);
            m_converter->Release();
        }
        DestroyWindow(m_window);
        FreeLibrary(m_module);
    }
    HRESULT Prepare(const std::string& source, const std::string& target, uint32_t rate = 44100)
    {
        HRESULT hr = m_converter->Open(TagLow(kTagAnyReader), TagHigh(kTagAnyReader), source.c_str(),
                                       TagLow(kTagWavWriter), TagHigh(kTagWavWriter), target.c_str());
        if (FAILED(hr) || FAILED(hr = m_converter->Prepare()))
            return hr;
        IStrmAttributes* attributes = nullptr;
        if (FAILED(hr = m_converter->QueryInterface(kTagAttributes, reinterpret_cast<void**>(&attributes))))
            return hr;
        const StrmFormat cd{rate, 2, 16, 16, 0};
        hr = attributes->SetOutputFormat(&cd);
        attributes->Release();
        return hr;
    }
    // The reports until the last one (finished or a failure).
    std::vector<WPARAM> Run()
    {
        std::vector<WPARAM> reports;
        EXPECT_EQ(m_converter->SetNotify(m_window, m_message), S_OK);
        EXPECT_EQ(m_converter->Start(), S_OK);
        const DWORD start = GetTickCount();
        MSG msg;
        while (GetTickCount() - start < 30000) {
            if (!PeekMessageA(&msg, m_window, m_message, m_message, PM_REMOVE)) {
                Sleep(1);
                continue;
            }
            reports.push_back(msg.wParam);
            if (msg.wParam == kStrmConvertFinished || HRESULT(msg.wParam) < 0)
                break;
        }
        return reports;
    }

    HMODULE m_module = nullptr;
    IStrmConverter* m_converter = nullptr;
    HWND m_window = nullptr;
    UINT m_message = 0;
    kvtest::ScratchFolder m_folder;
};

TEST_F(Converter, CdAudioPassesSampleForSampleAndReportsStartAndEnd)
{
    std::vector<int16_t> samples(2 * 30000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(i * 2654435761u >> 16);
    ASSERT_TRUE(kvtest::WriteWav16(m_folder.File("cd.wav"), 2, 44100, samples));
    ASSERT_EQ(Prepare(m_folder.File("cd.wav"), m_folder.File("out.wav")), S_OK);
    uint64_t length = 0;
    EXPECT_EQ(m_converter->GetLength(&length), S_OK);
    EXPECT_EQ(length, 30000u * 1000 / 44100);
    const std::vector<WPARAM> reports = Run();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), kStrmConvertStarted);
    EXPECT_EQ(reports.back(), kStrmConvertFinished);
    EXPECT_EQ(ReadBytes(m_folder.File("out.wav")), ReadBytes(m_folder.File("cd.wav")));
}

TEST_F(Converter, A48kHz24BitFileBecomesCdAudioOfTheSameTone)
{
    WriteSine24(m_folder.File("hi.wav"), 48000, 48000);
    ASSERT_EQ(Prepare(m_folder.File("hi.wav"), m_folder.File("out.wav")), S_OK);
    ASSERT_EQ(Run().back(), kStrmConvertFinished);
    const std::vector<uint8_t> out = ReadBytes(m_folder.File("out.wav"));
    ASSERT_EQ(out.size(), 44u + 44100u * 4);
    uint16_t channels, bits;
    uint32_t rate;
    std::memcpy(&channels, &out[22], 2);
    std::memcpy(&rate, &out[24], 4);
    std::memcpy(&bits, &out[34], 2);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(bits, 16);
    // Away from the ends each sample is the tone at 44.1 kHz within the rounding.
    const double pi = 3.14159265358979323846;
    double worst = 0;
    for (uint32_t i = 1000; i < 43000; ++i) {
        int16_t left, right;
        std::memcpy(&left, &out[44 + 4 * i], 2);
        std::memcpy(&right, &out[44 + 4 * i + 2], 2);
        const double ideal = std::sin(2 * pi * 1000.0 * i / 44100) * 16384.0;
        worst = std::max({worst, std::fabs(left - ideal), std::fabs(right + ideal)});
    }
    EXPECT_LT(worst, 1.5);
}

TEST_F(Converter, MonoIsDoubledIntoBothChannels)
{
    std::vector<int16_t> mono(5000);
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = int16_t(i * 13);
    ASSERT_TRUE(kvtest::WriteWav16(m_folder.File("mono.wav"), 1, 44100, mono));
    ASSERT_EQ(Prepare(m_folder.File("mono.wav"), m_folder.File("out.wav")), S_OK);
    ASSERT_EQ(Run().back(), kStrmConvertFinished);
    const std::vector<uint8_t> out = ReadBytes(m_folder.File("out.wav"));
    ASSERT_EQ(out.size(), 44u + mono.size() * 4);
    for (size_t i = 0; i < mono.size(); ++i) {
        int16_t pair[2];
        std::memcpy(pair, &out[44 + 4 * i], 4);
        ASSERT_EQ(pair[0], mono[i]);
        ASSERT_EQ(pair[1], mono[i]);
    }
}

TEST_F(Converter, RefusesWhatNoReaderOpensAndStopDeletesAnUnfinishedTarget)
{
    std::ofstream(m_folder.File("text.wav")) << "not a sound file at all";
    EXPECT_LT(Prepare(m_folder.File("text.wav"), m_folder.File("x.wav")), 0);
    EXPECT_LT(Prepare(m_folder.File("absent.wav"), m_folder.File("x.wav")), 0);

    WriteSine24(m_folder.File("long.wav"), 48000, 48000 * 60);
    ASSERT_EQ(Prepare(m_folder.File("long.wav"), m_folder.File("out.wav")), S_OK);
    ASSERT_EQ(m_converter->Start(), S_OK);
    // A conversion that fails before its first block never moves: that is a failure here, not
    // a wait without end.
    uint64_t position = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(1))
        if (m_converter->GetPosition(&position) != S_OK || position > 0)
            break;
    EXPECT_GT(position, 0u) << "the conversion is under way";
    EXPECT_EQ(m_converter->Stop(), S_OK);
    EXPECT_EQ(GetFileAttributesA(m_folder.File("out.wav").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
