#include "EngineFixture.h"

#include <cstring>
#include <fstream>

// The engine stays loaded for the process: objects of other tests may still be alive.
void EngineTest::SetUp()
{
    ASSERT_EQ(S_OK, MtEngine::Load()) << "the module and its creating exports";
    ASSERT_EQ(S_OK, MtEngine::CreateTrackSet(set_));
    ASSERT_EQ(S_OK, set_->SetFormat(16, 44100));
}

MtFileItemRecord RecordFor(const std::string& path, WORD track, WORD channels, WORD bits, DWORD rate)
{
    MtFileItemRecord r;
    memset(&r, 0, sizeof(r));
    strncpy(r.path, path.c_str(), sizeof(r.path) - 1);
    r.trackNumber = track;
    r.channels = channels;
    r.bitsPerSample = bits;
    r.samplesPerSec = rate;
    return r;
}

IMtItem* EngineTest::MakeItem(const std::string& name, const void* data, size_t bytes, WORD channels, WORD bits,
                              DWORD rate, const std::string& peakPath)
{
    std::string path = scratch_.File(name);
    WriteFile(name, data, bytes);
    MtFileItemRecord record = RecordFor(path, 0, channels, bits, rate);
    ComRef<IMtItemList> list;
    EXPECT_EQ(S_OK, MtEngine::CreateItemList(list));
    EXPECT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), peakPath.empty() ? nullptr : peakPath.c_str(), 7));
    EXPECT_EQ(S_OK, list->ResetItems(1));
    IUnknown* object = nullptr;
    LONG id = 0;
    EXPECT_EQ(S_OK, list->NextItem(&object, &id));
    EXPECT_EQ(7, id);
    IMtItem* item = nullptr;
    if (object) {
        EXPECT_EQ(S_OK, object->QueryInterface(__uuidof(IMtItem), reinterpret_cast<void**>(&item)));
        object->Release();
    }
    return item;
}

void EngineTest::WriteFile(const std::string& name, const void* data, size_t bytes)
{
    std::ofstream out(scratch_.File(name), std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
}

IMtClip* EngineTest::ClipOf(IMtItem* item)
{
    ComRef<IMtClip> clip;
    EXPECT_EQ(S_OK, MtEngine::CreateClip(clip));
    MtFileItemRecord info;
    EXPECT_EQ(S_OK, item->GetInfo(&info));
    MtClipFormat format{info.samplesPerSec, info.bitsPerSample, info.channels};
    EXPECT_EQ(S_OK, clip->SetFormat(&format));
    EXPECT_EQ(S_OK, clip->SetSource(item, 0, -1));
    return clip.Detach();
}

Frames16 EngineTest::Pattern(size_t frames, int channels, int seed)
{
    Frames16 v(frames * channels);
    for (size_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            v[f * channels + c] = static_cast<int16_t>((static_cast<int>(f * 7 + seed * 1000 + c * 3) % 30000) - 15000);
    return v;
}

std::vector<uint8_t> EngineTest::ReadTrack(IMtTrack* track, LONGLONG start, LONGLONG end, DWORD chunk)
{
    ComRef<IMtItem> reader;
    EXPECT_EQ(S_OK, track->CreateReader(reader.Out(), 0));
    EXPECT_EQ(S_OK, reader->SetRange(&start, &end));
    EXPECT_EQ(S_OK, reader->BeginRead());
    std::vector<uint8_t> all, buffer(chunk);
    for (;;) {
        DWORD got = 0;
        EXPECT_EQ(S_OK, reader->Read(buffer.data(), chunk, &got));
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
        if (got == 0)
            break;
    }
    EXPECT_EQ(S_OK, reader->EndRead());
    return all;
}

Frames16 EngineTest::ReadTrack16(IMtTrack* track)
{
    LONGLONG start = 0;
    EXPECT_EQ(S_OK, track->GetStartOffset(&start));
    std::vector<uint8_t> bytes = ReadTrack(track, start, -1);
    Frames16 v(bytes.size() / 2);
    memcpy(v.data(), bytes.data(), v.size() * 2);
    return v;
}

EngineTempFolder::EngineTempFolder()
{
    ComRef<IMtTempStore> store;
    if (MtEngine::CreateTempStore(store) != S_OK ||
        store->QueryInterface(__uuidof(IMtTempSettings), reinterpret_cast<void**>(settings_.Out())) != S_OK)
        return;
    ready_ = settings_->GetFolder(previous_, sizeof(previous_)) == S_OK &&
             settings_->SetFolder(folder_.Path().c_str()) == S_OK;
}

EngineTempFolder::~EngineTempFolder()
{
    if (ready_) {
        EXPECT_EQ(S_OK, settings_->SetFolder(previous_)) << "the previous temporary folder is back";
    }
}
