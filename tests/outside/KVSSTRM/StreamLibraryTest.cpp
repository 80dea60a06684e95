// The stream library as the program uses it: started with its key, its AIFF components found
// by tag, given channel tables through their default parameters, writing and reading files.
#include <gtest/gtest.h>
#include <windows.h>

#include "KvsStrm.h"
#include "TestSupport.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

class StreamLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryA((kvtest::BinFolder() + "KVSSTRM.dll").c_str());
        ASSERT_NE(module_, nullptr);
        getRegistry_ = Bind<StrmGetRegistryFn>(kStrmOrdGetRegistry);
        ASSERT_NE(getRegistry_, nullptr);
        registry_ = getRegistry_();
        ASSERT_NE(registry_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }

    template <class Fn>
    Fn Bind(WORD ordinal)
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))));
    }
    IStrmComponent* Create(InterfaceTag tag)
    {
        const StrmRegistration* entry = registry_->Find(TagLow(tag), TagHigh(tag));
        if (!entry || !entry->create)
            return nullptr;
        ITaggedObject* object = nullptr;
        IStrmComponent* component = nullptr;
        if (SUCCEEDED(entry->create(TagLow(tag), TagHigh(tag), &object)) && object) {
            object->QueryInterface(tag, reinterpret_cast<void**>(&component));
            object->Release();
        }
        return component;
    }
    // Sets the 6-channel table of both components to the order given.
    void SetSixChannelOrder(const uint8_t (&order)[6])
    {
        uint8_t table[72] = {};
        for (int half = 0; half < 2; ++half) {
            const uint32_t n = 6;
            memcpy(table + half * 36, &n, 4);
            memcpy(table + half * 36 + 4, order, 6);
        }
        for (InterfaceTag tag : {kTagAiffReader, kTagAiffWriter}) {
            IStrmComponent* component = Create(tag);
            ASSERT_NE(component, nullptr);
            IStrmDefaultParams* params = nullptr;
            ASSERT_EQ(component->QueryInterface(kTagDefaultParams, reinterpret_cast<void**>(&params)), S_OK);
            component->Release();
            params->BeginChange();
            EXPECT_EQ(params->SetValue("AIFF_ChannelTbl_6", kStrmParamBinary, table, sizeof table), S_OK);
            params->EndChange();
            params->Release();
        }
    }
    // Frame f of program channel c holds c * 1000 + f.
    static std::vector<int16_t> SixChannelFrames(int frames)
    {
        std::vector<int16_t> samples;
        for (int f = 0; f < frames; ++f)
            for (int c = 0; c < 6; ++c)
                samples.push_back(static_cast<int16_t>(c * 1000 + f));
        return samples;
    }
    void Write(const std::string& path, const std::vector<int16_t>& samples)
    {
        IStrmComponent* writer = Create(kTagAiffWriter);
        ASSERT_NE(writer, nullptr);
        StrmFormat format = {48000, 6, 16, 16, 0};
        ASSERT_EQ(writer->Open(path.c_str(), &format), S_OK);
        ASSERT_EQ(writer->Write(samples.data(), static_cast<uint32_t>(samples.size() / 6)), S_OK);
        ASSERT_EQ(writer->Close(), S_OK);
        writer->Release();
    }
    std::vector<int16_t> Read(const std::string& path)
    {
        IStrmComponent* reader = Create(kTagAiffReader);
        EXPECT_NE(reader, nullptr);
        if (!reader)
            return {};
        EXPECT_EQ(reader->Open(path.c_str(), nullptr), S_OK);
        StrmFormat format = {};
        reader->GetFormat(&format);
        EXPECT_EQ(format.channels, 6);
        EXPECT_EQ(format.rate, 48000u);
        uint64_t frames = 0;
        reader->GetLength(&frames);
        std::vector<int16_t> samples(static_cast<size_t>(frames) * 6);
        uint32_t count = static_cast<uint32_t>(frames);
        EXPECT_EQ(reader->Read(samples.data(), &count), S_OK);
        EXPECT_EQ(count, frames);
        reader->Release();
        return samples;
    }
    // Channel c of the file's first frame, read from the sound chunk as stored (big-endian).
    static int FileSample(const std::string& path, int channel)
    {
        FILE* f = fopen(path.c_str(), "rb");
        std::vector<uint8_t> bytes(4096);
        size_t n = fread(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        for (size_t i = 12; i + 16 <= n; ++i)
            if (memcmp(&bytes[i], "SSND", 4) == 0) {
                const uint8_t* s = &bytes[i + 16 + static_cast<size_t>(channel) * 2];
                return static_cast<int16_t>(s[0] << 8 | s[1]);
            }
        return -1;
    }

    HMODULE module_ = nullptr;
    StrmGetRegistryFn getRegistry_ = nullptr;
    IStrmRegistry* registry_ = nullptr;
};

} // namespace

TEST_F(StreamLibrary, StartsWithItsKeyAndEndsAgain)
{
    auto openKey = Bind<StrmOpenKeyFn>(kStrmOrdOpenKey);
    auto initialize = Bind<StrmInitializeFn>(kStrmOrdInitialize);
    auto uninitialize = Bind<StrmUninitializeFn>(kStrmOrdUninitialize);
    ASSERT_TRUE(openKey && initialize && uninitialize);
    const std::string path = "Software\\Korvane\\StreamLibraryTest\\KvSSStream";
    IStrmKey* key = nullptr;
    ASSERT_EQ(openKey(path.c_str(), &key), S_OK);
    EXPECT_EQ(key->SetText("PlugInPath", ""), S_OK);
    EXPECT_EQ(key->Flush(), S_OK);
    char text[MAX_PATH] = "x";
    EXPECT_EQ(key->GetText("PlugInPath", "none", text, sizeof text), S_OK);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(key->SetText("PlugInPath", "C:\\plugins"), S_OK);
    key->SetText("PlugInPath", ""); // an empty text does not replace a stored one
    key->GetText("PlugInPath", "", text, sizeof text);
    EXPECT_STREQ(text, "C:\\plugins");

    StreamLibraryStartInfo start = {};
    start.size = sizeof start;
    EXPECT_EQ(initialize(nullptr, key, 0, 0, &start), S_OK);
    StreamLibraryStartInfo wrong = {};
    EXPECT_EQ(initialize(nullptr, key, 0, 0, &wrong), E_INVALIDARG);
    key->Release();
    EXPECT_EQ(uninitialize(), S_OK);
    EXPECT_EQ(uninitialize(), S_FALSE);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Korvane\\StreamLibraryTest");
    EXPECT_EQ(registry_->Find(TagLow(MakeTag("KSNONE  ")), TagHigh(MakeTag("KSNONE  "))), nullptr);
}

TEST_F(StreamLibrary, SixChannelAiffKeepsItsOrderAndHonoursTheTables)
{
    kvtest::ScratchFolder scratch;
    const std::vector<int16_t> samples = SixChannelFrames(500);

    // The program's identity tables: file channel i is program channel i.
    const uint8_t identity[6] = {0, 1, 2, 3, 4, 5};
    SetSixChannelOrder(identity);
    const std::string plain = scratch.File("six.aif");
    Write(plain, samples);
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(FileSample(plain, c), c * 1000) << c;
    EXPECT_EQ(Read(plain), samples);

    // Another table moves the channels in the file and back on reading.
    const uint8_t reversed[6] = {5, 4, 3, 2, 1, 0};
    SetSixChannelOrder(reversed);
    const std::string moved = scratch.File("moved.aif");
    Write(moved, samples);
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(FileSample(moved, c), (5 - c) * 1000) << c;
    EXPECT_EQ(Read(moved), samples);

    // A table that is not an order of all channels is not used.
    const uint8_t broken[6] = {0, 0, 1, 2, 3, 4};
    SetSixChannelOrder(broken);
    const std::string kept = scratch.File("kept.aif");
    Write(kept, samples);
    EXPECT_EQ(FileSample(kept, 1), 1000);
    SetSixChannelOrder(identity);
}
