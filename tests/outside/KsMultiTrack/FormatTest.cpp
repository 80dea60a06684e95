// Tracks read back in the document's storage whatever the width of their items.
#include "EngineFixture.h"

#include <cmath>
#include <cstring>

namespace {

struct Case {
    WORD itemBits;
    WORD documentBits;
    std::vector<uint8_t> item;     // three mono samples in the item's storage
    std::vector<uint8_t> expected; // the same three in the document's storage
};

std::vector<uint8_t> Bytes16(std::initializer_list<int16_t> v)
{
    std::vector<uint8_t> b(v.size() * 2);
    memcpy(b.data(), v.begin(), b.size());
    return b;
}
std::vector<uint8_t> BytesF(std::initializer_list<float> v)
{
    std::vector<uint8_t> b(v.size() * 4);
    memcpy(b.data(), v.begin(), b.size());
    return b;
}

} // namespace

TEST_F(EngineTest, ItemsOfAnyWidthReadInTheDocumentStorage)
{
    const Case cases[] = {
        {16, 16, Bytes16({-32768, 0, 16384}), Bytes16({-32768, 0, 16384})},
        {16, 24, Bytes16({-32768, 0, 16384}), BytesF({-1.0f, 0.0f, 0.5f})},
        {16, 32, Bytes16({-32768, 0, 16384}), BytesF({-1.0f, 0.0f, 0.5f})},
        {16, 8, Bytes16({-32768, 0, 16384}), {0, 128, 192}},
        {8, 16, {0, 128, 255}, Bytes16({-32768, 0, 32512})},
        {24, 16, BytesF({-1.0f, 0.25f, 2.0f}), Bytes16({-32768, 8192, 32767})},
        {24, 20, BytesF({-1.0f, 0.25f, 0.75f}), BytesF({-1.0f, 0.25f, 0.75f})},
        // A sample that is not a number reads as silence in integer storage.
        {32, 16, BytesF({NAN, 0.5f, -NAN}), Bytes16({0, 16384, 0})},
        {32, 8, BytesF({NAN, 0.5f, -NAN}), {128, 192, 128}},
    };
    int n = 0;
    for (const Case& c : cases) {
        set_.Reset();
        ASSERT_EQ(S_OK, MtEngine::CreateTrackSet(set_));
        ASSERT_EQ(S_OK, set_->SetFormat(c.documentBits, 44100));
        IMtItem* item =
            MakeItem("w" + std::to_string(n++) + ".raw", c.item.data(), c.item.size(), 1, c.itemBits, 44100);
        ComRef<IMtTrack> track;
        ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
        IMtClip* clip = ClipOf(item);
        ASSERT_EQ(S_OK, track->InsertClip(clip, 0, 0, 0));
        EXPECT_EQ(c.expected, ReadTrack(track.Get(), 0, -1)) << c.itemBits << " bits in " << c.documentBits;
        clip->Release();
        item->Release();
    }
}

TEST_F(EngineTest, SamplesOfFloatDocumentsAreWrittenAndReadAsScaledIntegers)
{
    ASSERT_EQ(S_OK, set_->SetFormat(24, 48000));
    std::vector<float> data = {0.5f, -0.25f, 0.0f};
    IMtItem* item = MakeItem("f.raw", data.data(), data.size() * 4, 1, 24, 48000);
    ComRef<IMtTrack> track;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
    IMtClip* clip = ClipOf(item);
    ASSERT_EQ(S_OK, track->InsertClip(clip, 10, 0, 0));
    LONG value = 0;
    ASSERT_EQ(S_OK, track->ReadSample(0, 11, &value));
    EXPECT_EQ(-(1 << 29), value);
    ASSERT_EQ(S_OK, track->WriteSample(0, 12, 1 << 30));
    std::vector<uint8_t> bytes = ReadTrack(track.Get(), 10, -1);
    ASSERT_EQ(size_t(12), bytes.size());
    float third = 0;
    memcpy(&third, &bytes[8], 4);
    EXPECT_EQ(0.5f, third);
    // The item itself is untouched: a second track on it still reads the old sample.
    ComRef<IMtTrack> other;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, other.Out(), -1));
    ASSERT_EQ(S_OK, other->InsertClip(clip, 0, 0, 0));
    ASSERT_EQ(S_OK, other->ReadSample(0, 2, &value));
    EXPECT_EQ(0, value);
    clip->Release();
    item->Release();
}
