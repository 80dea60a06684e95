// Item lists, items, clips and the temporary store.
#include "EngineFixture.h"

#include "ChunkFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST_F(EngineTest, ItemReadsItsFramesAndDescribesItself)
{
    Frames16 data = Pattern(1000, 2, 9);
    IMtItem* item = MakeItem("item.raw", data.data(), data.size() * 2, 2, 16, 22050);
    LONGLONG size = 0;
    ASSERT_EQ(S_OK, item->GetSize(&size));
    EXPECT_EQ(4000, size);
    MtFileItemRecord info;
    ASSERT_EQ(S_OK, item->GetInfo(&info));
    EXPECT_EQ(2, info.channels);
    EXPECT_EQ(16, info.bitsPerSample);
    EXPECT_EQ(22050u, info.samplesPerSec);
    const LONGLONG ten = 10, twenty = 20;
    ASSERT_EQ(S_OK, item->SetRange(&ten, &twenty));
    ASSERT_EQ(S_OK, item->BeginRead());
    int16_t buffer[64];
    DWORD got = 0;
    ASSERT_EQ(S_OK, item->Read(buffer, sizeof(buffer), &got));
    EXPECT_EQ(40u, got);
    EXPECT_TRUE(std::equal(buffer, buffer + 20, data.begin() + 20));
    EXPECT_EQ(E_INVALIDARG, item->SetRange(&twenty, &ten));
    EXPECT_EQ(E_POINTER, item->SetRange(nullptr, &twenty));
    item->Release();
    // 24-bit data is held as floats but sized at three bytes a sample.
    std::vector<float> floats(300 * 2, 0.5f);
    IMtItem* wide = MakeItem("item24.raw", floats.data(), floats.size() * 4, 2, 24, 48000);
    ASSERT_EQ(S_OK, wide->GetSize(&size));
    EXPECT_EQ(300 * 6, size);
    wide->Release();
}

TEST_F(EngineTest, ItemFilesThatAreNotWholeFramesAreRefused)
{
    const char odd[3] = {1, 2, 3};
    WriteFile("odd.raw", odd, sizeof(odd));
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    MtFileItemRecord r = RecordFor(scratch_.File("odd.raw"), 0, 1, 16, 44100);
    EXPECT_EQ(kMtErrBadItemFile, list->AddFileItem(&r, r.path, nullptr, 0));
    MtFileItemRecord missing = RecordFor(scratch_.File("missing.raw"), 0, 1, 16, 44100);
    EXPECT_EQ(kMtErrBadItemFile, list->AddFileItem(&missing, missing.path, nullptr, 0));
    MtFileItemRecord badBits = RecordFor(scratch_.File("odd.raw"), 0, 1, 12, 44100);
    EXPECT_EQ(kMtErrFormatNotSupported, list->AddFileItem(&badBits, badBits.path, nullptr, 0));
    EXPECT_TRUE(list->IsEmpty());
}

// A refused file in the engine's temporary folder stays where it is: only items the engine
// opened whole own their files.
TEST_F(EngineTest, RefusedFileInTheTempFolderIsNotDeleted)
{
    EngineTempFolder temp;
    ASSERT_TRUE(temp.Ready());
    const std::string path = temp.File("odd.raw");
    FILE* f = fopen(path.c_str(), "wb");
    fwrite("abc", 1, 3, f);
    fclose(f);
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    MtFileItemRecord r = RecordFor(path, 0, 1, 16, 44100);
    EXPECT_EQ(kMtErrBadItemFile, list->AddFileItem(&r, path.c_str(), nullptr, 0));
    EXPECT_TRUE(Exists(path));
}

// A record is 288 bytes and no more: one without a zero byte anywhere, laid against memory
// that cannot be read, is refused without a read past its end.
TEST_F(EngineTest, RecordWithoutTerminatorIsReadWithinItsPathField)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const DWORD page = info.dwPageSize;
    uint8_t* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, page * 2, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, pages);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    auto* record = reinterpret_cast<MtFileItemRecord*>(pages + page - sizeof(MtFileItemRecord));
    memset(record, 'A', sizeof(*record));
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    EXPECT_TRUE(FAILED(list->AddFileItem(record, nullptr, nullptr, 0)));
    EXPECT_TRUE(list->IsEmpty());
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(EngineTest, ItemListKeepsPairsInOrder)
{
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    EXPECT_TRUE(list->IsEmpty());
    ComRef<IMtTrack> a, b;
    set_->InsertTrack(0, 1, a.Out(), -1);
    set_->InsertTrack(0, 1, b.Out(), -1);
    list->AddItem(a.Get(), 5);
    list->AddItem(b.Get(), 6);
    IUnknown* object = nullptr;
    LONG id = 0;
    ASSERT_EQ(S_OK, list->NextItem(&object, &id));
    EXPECT_EQ(5, id);
    object->Release();
    ASSERT_EQ(S_OK, list->NextItem(&object, nullptr));
    object->Release();
    EXPECT_EQ(S_FALSE, list->NextItem(&object, &id));
    EXPECT_EQ(nullptr, object);
    list->ResetItems(0);
    ASSERT_EQ(S_OK, list->NextItem(&object, &id));
    EXPECT_EQ(5, id);
    object->Release();
    LONG count = 0;
    list->GetCount(&count);
    EXPECT_EQ(2, count);
    list->Clear();
    EXPECT_TRUE(list->IsEmpty());
}

TEST_F(EngineTest, TempStoreFindsItemsByTheirRecord)
{
    ComRef<IMtTempStore> store;
    ASSERT_EQ(S_OK, MtEngine::CreateTempStore(store));
    ASSERT_EQ(S_OK, store->Open());
    // A project track registered under the project's path and its track number.
    Frames16 data = Pattern(100, 1, 3);
    WriteFile("t1.raw", data.data(), data.size() * 2);
    WriteFile("project.kvs", "x", 1);
    MtFileItemRecord project = RecordFor(scratch_.File("project.kvs"), 2, 1, 16, 44100);
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    ASSERT_EQ(S_OK, list->AddFileItem(&project, scratch_.File("t1.raw").c_str(), nullptr, 0));
    ComRef<IUnknown> held;
    ASSERT_EQ(S_OK, store->LookupTrack(&project, held.Out(), 1));
    ComRef<IMtItem> item;
    ASSERT_EQ(S_OK, held->QueryInterface(__uuidof(IMtItem), reinterpret_cast<void**>(item.Out())));
    LONGLONG size = 0;
    item->GetSize(&size);
    EXPECT_EQ(200, size);
    // Another track number, or another format: not held.
    MtFileItemRecord other = RecordFor(scratch_.File("project.kvs"), 3, 1, 16, 44100);
    ComRef<IUnknown> none;
    EXPECT_EQ(S_FALSE, store->LookupTrack(&other, none.Out(), 1));
    EXPECT_FALSE(none);
    other = RecordFor(scratch_.File("project.kvs"), 2, 1, 24, 44100);
    EXPECT_EQ(S_FALSE, store->LookupTrack(&other, none.Out(), 1));
    // A record of a data file is restored from the file itself.
    MtFileItemRecord take = RecordFor(scratch_.File("t1.raw"), 0, 1, 16, 44100);
    EXPECT_EQ(S_OK, store->LookupTrack(&take, none.Out(), 1));
    // Once nothing holds the project track, it is gone from the store.
    held.Reset();
    item.Reset();
    none.Reset();
    list->Clear();
    EXPECT_EQ(S_FALSE, store->LookupTrack(&project, none.Out(), 1));
    ASSERT_EQ(S_OK, store->Close());
}

// A load asks for held items only: a sound file is never opened as raw samples for it; and
// a held project track lapses once the project file is written again.
TEST_F(EngineTest, TempStoreGivesLoadsHeldItemsOnlyAndForgetsChangedFiles)
{
    ComRef<IMtTempStore> store;
    ASSERT_EQ(S_OK, MtEngine::CreateTempStore(store));
    Frames16 data = Pattern(100, 1, 3);
    WriteFile("t1.raw", data.data(), data.size() * 2);
    ComRef<IUnknown> found;
    MtFileItemRecord sound = RecordFor(scratch_.File("t1.raw"), 0, 1, 16, 44100);
    EXPECT_EQ(S_FALSE, store->LookupTrack(&sound, found.Out(), 1 | kMtLookupHeldOnly));
    EXPECT_FALSE(found);

    WriteFile("project.kvs", "x", 1);
    MtFileItemRecord project = RecordFor(scratch_.File("project.kvs"), 1, 1, 16, 44100);
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    ASSERT_EQ(S_OK, list->AddFileItem(&project, scratch_.File("t1.raw").c_str(), nullptr, 0));
    EXPECT_EQ(S_OK, store->LookupTrack(&project, found.Out(), 1 | kMtLookupHeldOnly));
    WriteFile("project.kvs", "xy", 2);
    EXPECT_EQ(S_FALSE, store->LookupTrack(&project, found.Out(), 1 | kMtLookupHeldOnly));
    EXPECT_FALSE(found);
}

TEST_F(EngineTest, OwnedFilesInTheTempFolderGoWithTheirLastItem)
{
    EngineTempFolder temp;
    ASSERT_TRUE(temp.Ready());
    Frames16 data = Pattern(100, 1, 3);
    std::string inside = temp.File("owned.raw"), outside = scratch_.File("kept.raw");
    for (const std::string& path : {inside, outside}) {
        FILE* f = fopen(path.c_str(), "wb");
        fwrite(data.data(), 2, data.size(), f);
        fclose(f);
        MtFileItemRecord r = RecordFor(path, 0, 1, 16, 44100);
        ComRef<IMtItemList> list;
        ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
        ASSERT_EQ(S_OK, list->AddFileItem(&r, path.c_str(), nullptr, 0));
        // A track still plays the item after the list is gone.
        IUnknown* object = nullptr;
        list->ResetItems(0);
        list->NextItem(&object, nullptr);
        ComRef<IMtTrack> track;
        set_->InsertTrack(0, 1, track.Out(), -1);
        ComRef<IMtClip> clip;
        MtEngine::CreateClip(clip);
        clip->SetSource(object, 0, 0);
        object->Release();
        ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), 0, 0, 0));
        clip.Reset();
        list.Reset();
        EXPECT_TRUE(Exists(path));
        set_->DetachTrack(track.Get());
    }
    EXPECT_FALSE(Exists(inside));
    EXPECT_TRUE(Exists(outside));
}

// With its item goes the peak file only when it was read as the item's peaks, carries one of
// the temporary names and no other item reads it: a path is only a name the caller gave.
TEST_F(EngineTest, OnlyTemporaryPeakFilesReadAsPeaksGoWithTheirItem)
{
    EngineTempFolder temp;
    ASSERT_TRUE(temp.Ready());
    const Frames16 data = Pattern(2048, 1, 5);
    std::vector<MtPeakItem> peaks;
    for (size_t first = 0; first < data.size(); first += 1024) {
        auto range = std::minmax_element(data.begin() + first, data.begin() + first + 1024);
        peaks.push_back(MtPeakItem{*range.first, *range.second});
    }
    auto write = [](const std::string& path, const void* bytes, size_t size) {
        FILE* f = fopen(path.c_str(), "wb");
        fwrite(bytes, 1, size, f);
        fclose(f);
    };
    // Another live item's data, of just the size of the peaks.
    const std::string shared = temp.File("NYshared.tmp");
    write(shared, peaks.data(), peaks.size() * sizeof(MtPeakItem));
    MtFileItemRecord sharedRecord = RecordFor(shared, 0, 1, 16, 44100);
    ComRef<IMtItemList> keeper;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(keeper));
    ASSERT_EQ(S_OK, keeper->AddFileItem(&sharedRecord, shared.c_str(), nullptr, 0));

    struct Case {
        const char* what;
        std::string peakPath;
        bool peakSized; // written as the item's peaks (else a journal-like 100 bytes)
        bool goes;
    };
    const Case cases[] = {
        {"peaks under a temporary name", temp.File("NYpeaks.tmp"), true, true},
        {"peaks under the engine's name", temp.File("KMT1.tmp"), true, true},
        {"right size under another name", temp.File("notes.dat"), true, false},
        {"temporary name, not peaks", temp.File("NYjournal.tmp"), false, false},
        {"another item's data", shared, true, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        if (c.peakPath != shared) {
            std::vector<uint8_t> junk(100, 7);
            if (c.peakSized)
                write(c.peakPath, peaks.data(), peaks.size() * sizeof(MtPeakItem));
            else
                write(c.peakPath, junk.data(), junk.size());
        }
        const std::string dataPath = temp.File("NYdata" + std::to_string(n++) + ".tmp");
        write(dataPath, data.data(), data.size() * 2);
        MtFileItemRecord r = RecordFor(dataPath, 0, 1, 16, 44100);
        {
            ComRef<IMtItemList> list;
            ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
            ASSERT_EQ(S_OK, list->AddFileItem(&r, dataPath.c_str(), c.peakPath.c_str(), 0)) << c.what;
        }
        EXPECT_FALSE(Exists(dataPath)) << c.what;
        EXPECT_EQ(!c.goes, Exists(c.peakPath)) << c.what;
    }
}

TEST_F(EngineTest, CopiesCarryTheSourceTrackAndSubClips)
{
    Frames16 data = Pattern(1000, 1, 4);
    IMtItem* item = MakeItem("copy.raw", data.data(), data.size() * 2, 1, 16, 44100);
    ComRef<IMtTrack> track;
    set_->InsertTrack(0, 1, track.Out(), -1);
    IMtClip* clip = ClipOf(item);
    track->InsertClip(clip, 100, 0, 0);
    track->SetVolume(0.7f);
    ComRef<IMtClip> copy;
    ASSERT_EQ(S_OK, track->CopyRange(copy.Out(), 300, 200));
    ComRef<IMtTrack> source;
    ASSERT_EQ(S_OK, copy->GetSourceTrack(source.Out()));
    float volume = 0;
    source->GetVolume(&volume);
    EXPECT_EQ(0.7f, volume);
    ComRef<IMtClip> whole;
    ASSERT_EQ(S_OK, copy->CreateSubClip(0, -1, whole.Out()));
    LONGLONG length = 0;
    whole->GetLength(&length);
    EXPECT_EQ(200, length);
    MtClipFormat format{};
    whole->GetFormat(&format);
    EXPECT_EQ(44100u, format.samplesPerSec);
    EXPECT_EQ(1, format.channels);
    ComRef<IMtTrack> none;
    EXPECT_EQ(E_FAIL, clip->GetSourceTrack(none.Out()));
    // Pasting the copy at the front puts the copied frames there.
    ASSERT_EQ(S_OK, track->InsertClip(whole.Get(), 100, 0, 0));
    Frames16 got = ReadTrack16(track.Get());
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 200, data.begin() + 200));
    clip->Release();
    item->Release();
}

// A tone well inside the band comes out as the same tone at the new rate, away from the ends
// (where the sound starts and stops abruptly the band-limited conversion rings). The widest
// step down, 768 kHz to 1 kHz, goes in steps the resampler can take.
TEST_F(EngineTest, ConvertFormatResamplesAToneAndChangesWidth)
{
    const double pi = 3.14159265358979323846;
    struct Case {
        DWORD from, to;
        WORD bits;
        double tone;
        size_t frames;
        LONGLONG start;    // at the old rate
        size_t margin;     // output frames left unchecked at each end
        double tolerance;
    } const cases[] = {
        {48000, 24000, 24, 1000, 4800, 1000, 300, 1e-4},
        {768000, 1000, 32, 100, 384000, 0, 150, 1e-3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        std::vector<int16_t> tone(c.frames);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = static_cast<int16_t>(std::lround(16000 * std::sin(2 * pi * c.tone * double(i) / c.from)));
        ASSERT_EQ(S_OK, set_->SetFormat(16, c.from));
        IMtItem* item = MakeItem("tone" + std::to_string(c.from) + ".raw", tone.data(), tone.size() * 2, 1, 16, c.from);
        ComRef<IMtTrack> track;
        set_->InsertTrack(0, 1, track.Out(), -1);
        IMtClip* clip = ClipOf(item);
        track->InsertClip(clip, c.start, 0, 0);
        ASSERT_EQ(S_OK, set_->ConvertFormat(c.bits, c.to));
        const LONGLONG start = c.start * c.to / c.from, length = LONGLONG(c.frames) * c.to / c.from;
        LONGLONG gotStart = 0, gotLength = 0;
        track->GetStartOffset(&gotStart);
        track->GetLength(&gotLength);
        EXPECT_EQ(start, gotStart);
        ASSERT_EQ(length, gotLength);
        std::vector<uint8_t> bytes = ReadTrack(track.Get(), start, -1);
        ASSERT_EQ(size_t(length * 4), bytes.size());
        std::vector<float> f(static_cast<size_t>(length));
        memcpy(f.data(), bytes.data(), bytes.size());
        for (size_t i = c.margin; i + c.margin < f.size(); ++i)
            ASSERT_NEAR(16000 / 32768.0 * std::sin(2 * pi * c.tone * double(i) / c.to), f[i], c.tolerance) << i;
        set_->DetachTrack(track.Get());
        clip->Release();
        item->Release();
    }
}

TEST_F(EngineTest, ClipsSaveIntoAChunkFileAndLoadBack)
{
    Frames16 data = Pattern(2000, 2, 6);
    IMtItem* item = MakeItem("persist.raw", data.data(), data.size() * 2, 2, 16, 44100);
    ComRef<IMtTrack> track;
    set_->InsertTrack(0, 2, track.Out(), -1);
    IMtClip* clip = ClipOf(item);
    track->InsertClip(clip, 300, 0, 0);
    track->DeleteRange(800, 100);
    track->WriteSample(0, 1000, 1234); // a frame held in memory
    Frames16 before = ReadTrack16(track.Get());
    ComRef<IMtClip> content;
    ASSERT_EQ(S_OK, track->CopyToEnd(content.Out(), 300));
    ASSERT_EQ(S_OK, content->SetStartOffset(300));

    IChunkFile* file = CreateChunkFile();
    file->SetFileName(scratch_.File("clip.kcl").c_str());
    file->Open(kFileCreate);
    ComRef<IMtClipPersist> persist;
    ASSERT_EQ(S_OK, content->QueryInterface(__uuidof(IMtClipPersist), reinterpret_cast<void**>(persist.Out())));
    ASSERT_EQ(S_OK, persist->Save(file, kFileCreate));
    file->Close();
    file->Open(kFileRead);
    ComRef<IMtClip> loaded;
    ASSERT_EQ(S_OK, MtEngine::CreateClip(loaded));
    ComRef<IMtClipPersist> loader;
    ASSERT_EQ(S_OK, loaded->QueryInterface(__uuidof(IMtClipPersist), reinterpret_cast<void**>(loader.Out())));
    ASSERT_EQ(S_OK, loader->Load(file));
    file->Close();
    file->Release();

    ASSERT_EQ(S_OK, track->DeleteRange(0, 1000000));
    ComRef<IMtClip> previous;
    ASSERT_EQ(S_OK, track->SwapContent(loaded.Get(), previous.Out()));
    LONGLONG start = 0;
    track->GetStartOffset(&start);
    EXPECT_EQ(300, start);
    EXPECT_TRUE(ReadTrack16(track.Get()) == before);
    // A file that is no clip is refused.
    EXPECT_EQ(E_INVALIDARG, loader->Load(nullptr));
    clip->Release();
    item->Release();
}

// A clip file whose second data file is gone fails to load, and the first data file, which
// the load had opened, is still on disk afterwards.
TEST_F(EngineTest, FailedClipLoadLeavesTheDataFilesItOpened)
{
    EngineTempFolder temp;
    ASSERT_TRUE(temp.Ready());
    const Frames16 data = Pattern(500, 1, 4);
    const std::string first = temp.File("first.raw"), second = temp.File("second.raw");
    auto writeData = [&](const std::string& path) {
        FILE* f = fopen(path.c_str(), "wb");
        fwrite(data.data(), 2, data.size(), f);
        fclose(f);
    };
    IChunkFile* file = CreateChunkFile();
    file->SetFileName(scratch_.File("two.kcl").c_str());
    {
        ComRef<IMtTrack> track;
        ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
        LONGLONG at = 0;
        for (const std::string& path : {first, second}) {
            writeData(path);
            MtFileItemRecord r = RecordFor(path, 0, 1, 16, 44100);
            ComRef<IMtItemList> list;
            ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
            ASSERT_EQ(S_OK, list->AddFileItem(&r, path.c_str(), nullptr, 0));
            IUnknown* object = nullptr;
            list->ResetItems(0);
            ASSERT_EQ(S_OK, list->NextItem(&object, nullptr));
            ComRef<IMtClip> clip;
            ASSERT_EQ(S_OK, MtEngine::CreateClip(clip));
            ASSERT_EQ(S_OK, clip->SetSource(object, 0, -1));
            object->Release();
            ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), at, 0, 0));
            at += static_cast<LONGLONG>(data.size());
        }
        ComRef<IMtClip> content;
        ASSERT_EQ(S_OK, track->CopyToEnd(content.Out(), 0));
        ComRef<IMtClipPersist> persist;
        ASSERT_EQ(S_OK, content->QueryInterface(__uuidof(IMtClipPersist), reinterpret_cast<void**>(persist.Out())));
        file->Open(kFileCreate);
        ASSERT_EQ(S_OK, persist->Save(file, kFileCreate));
        file->Close();
        set_->DetachTrack(track.Get());
    }
    // Every user is gone: the engine removed both files. Only the first comes back.
    ASSERT_FALSE(Exists(first));
    ASSERT_FALSE(Exists(second));
    writeData(first);
    file->Open(kFileRead);
    ComRef<IMtClip> loaded;
    ASSERT_EQ(S_OK, MtEngine::CreateClip(loaded));
    ComRef<IMtClipPersist> loader;
    ASSERT_EQ(S_OK, loaded->QueryInterface(__uuidof(IMtClipPersist), reinterpret_cast<void**>(loader.Out())));
    EXPECT_EQ(kMtErrBadItemFile, loader->Load(file));
    file->Close();
    file->Release();
    EXPECT_TRUE(Exists(first));
    LONGLONG length = -1;
    ASSERT_EQ(S_OK, loaded->GetLength(&length));
    EXPECT_EQ(0, length);
}

namespace {

void Backdate(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SYSTEMTIME old{};
    old.wYear = 2001;
    old.wMonth = 1;
    old.wDay = 1;
    FILETIME time{};
    SystemTimeToFileTime(&old, &time);
    SetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
}

} // namespace

// Deleting temporary files spares everything an open document may still need: files in use
// by items, listed documents, files of this session, files held open and foreign names.
TEST_F(EngineTest, DeletingTemporaryFilesTakesOnlyUnusedLeftovers)
{
    EngineTempFolder temp;
    ASSERT_TRUE(temp.Ready());
    const Frames16 data = Pattern(64, 1, 2);
    struct Case {
        const char* name;
        bool backdated;
        bool survives;
    };
    const Case cases[] = {
        {"NY1A.tmp", true, false},  // a leftover of an earlier session
        {"KMT2B.tmp", true, false}, // the engine's own leftover
        {"NY3C.tmp", true, true},   // read by a live item
        {"NY4D.tmp", false, true},  // written in this session
        {"other.tmp", true, true},  // not one of our names
        {"NY5E.raw", true, true},   // not one of our names
        {"NY6F.tmp", true, true},   // a listed document
        {"NY7G.tmp", true, true},   // held open by someone
    };
    for (const Case& c : cases) {
        FILE* f = fopen(temp.File(c.name).c_str(), "wb");
        fwrite(data.data(), 2, data.size(), f);
        fclose(f);
        if (c.backdated)
            Backdate(temp.File(c.name));
    }
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    MtFileItemRecord used = RecordFor(temp.File("NY3C.tmp"), 0, 1, 16, 44100);
    ASSERT_EQ(S_OK, list->AddFileItem(&used, used.path, nullptr, 0));
    HANDLE held = CreateFileA(temp.File("NY7G.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    MtFileItemRecord documents[2] = {RecordFor(temp.File("NY6F.tmp"), 0, 0, 16, 44100),
                                     RecordFor(scratch_.File("song.kvp"), 0, 0, 24, 48000)};

    using Fn = HRESULT(STDMETHODCALLTYPE*)(void*, const MtFileItemRecord*, LONG);
    Fn slot4 = reinterpret_cast<Fn>((*reinterpret_cast<void***>(temp.Settings()))[4]);
    EXPECT_EQ(E_INVALIDARG, slot4(temp.Settings(), documents, -1));
    EXPECT_EQ(E_POINTER, slot4(temp.Settings(), nullptr, 1));
    for (const Case& c : cases)
        EXPECT_TRUE(Exists(temp.File(c.name))) << c.name << " went with a refused call";
    ASSERT_EQ(S_OK, slot4(temp.Settings(), documents, 2));
    for (const Case& c : cases)
        EXPECT_EQ(c.survives, Exists(temp.File(c.name))) << c.name;
    CloseHandle(held);
    // The item still reads its data.
    IUnknown* object = nullptr;
    list->ResetItems(0);
    ASSERT_EQ(S_OK, list->NextItem(&object, nullptr));
    ComRef<IMtItem> item;
    ASSERT_EQ(S_OK, object->QueryInterface(__uuidof(IMtItem), reinterpret_cast<void**>(item.Out())));
    object->Release();
    int16_t first[4] = {};
    DWORD got = 0;
    ASSERT_EQ(S_OK, item->BeginRead());
    ASSERT_EQ(S_OK, item->Read(first, sizeof(first), &got));
    EXPECT_EQ(sizeof(first), got);
    EXPECT_EQ(data[0], first[0]);
    item.Reset();
    list.Reset();
    EXPECT_EQ(S_OK, slot4(temp.Settings(), nullptr, 0));
}
