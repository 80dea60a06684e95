// What the track, resample and envelope commands rely on in KsMultiTrack.dll, checked on
// the engine itself: should one of these change, the commands' undo breaks silently.
#include "TrackCommandFixture.h"

#include "TrackCommandSupport.h"

#include <functional>

using namespace kvtest;

namespace {
using PointList = std::vector<std::pair<int64_t, float>>;
}

TEST_F(TrackCommandTest, EngineEnvelopeEditsAsTheCommandsAssume)
{
    struct Case {
        const char* label;
        std::function<HRESULT(IMtEnvelope*)> edit;
        PointList after;
    };
    const Case cases[] = {
        {"a range is half-open: its start goes, its end stays and moves to the start",
         [](IMtEnvelope* e) { return e->DeleteRange(100, 100); },
         {{0, 0.0f}, {100, 0.5f}, {200, 1.0f}}},
        {"inserting a range moves the points at and after its start",
         [](IMtEnvelope* e) { return e->InsertRange(100, 50); },
         {{0, 0.0f}, {150, 0.25f}, {250, 0.5f}, {350, 1.0f}}},
        {"a point at a taken position replaces its value",
         [](IMtEnvelope* e) { return e->InsertPoint(200, 0.75f); },
         {{0, 0.0f}, {100, 0.25f}, {200, 0.75f}, {300, 1.0f}}},
        {"deleting where no point is changes nothing",
         [](IMtEnvelope* e) { return e->DeletePoint(150) == S_FALSE ? S_OK : E_FAIL; },
         {{0, 0.0f}, {100, 0.25f}, {200, 0.5f}, {300, 1.0f}}},
    };
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = Build({1}, {1000});
        IMtEnvelope* curve = Volume(doc, 0);
        for (auto p : PointList{{0, 0.0f}, {100, 0.25f}, {200, 0.5f}, {300, 1.0f}})
            ASSERT_EQ(curve->InsertPoint(p.first, p.second), S_OK);
        ASSERT_EQ(c.edit(curve), S_OK) << c.label;
        EXPECT_EQ(Points(curve), c.after) << c.label;
    }
}

TEST_F(TrackCommandTest, EngineTracksAsTheCommandsAssume)
{
    CNyMultiTrackDoc* doc = Build({1, 2}, {1000, 2000}, {0, 4410});
    ASSERT_EQ(Volume(doc, 1)->InsertPoint(8820, 0.5f), S_OK);
    IMtTrackSet* set = doc->GetTrackSet();
    std::string before = Fingerprint(doc);

    // A detached track keeps its sound and curves and goes back where it is attached.
    ComRef<IMtTrack> track = ComRef<IMtTrack>::Share(Track(doc, 1));
    ASSERT_EQ(set->DetachTrack(track.Get()), S_OK);
    LONGLONG length = 0;
    EXPECT_EQ(track->GetLength(&length), S_OK);
    EXPECT_EQ(length, 2000);
    EXPECT_EQ(set->DetachTrack(track.Get()), kMtErrNotInSet) << "what removetrack's rollback meets";
    ASSERT_EQ(set->AttachTrack(track.Get(), 1), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);

    // A duplicate carries the curves, as copies of its own.
    ComRef<IMtTrack> copy;
    ASSERT_EQ(track->Duplicate(copy.Out()), S_OK);
    ComRef<IMtEnvelope> copied = EnvelopeOf(copy.Get(), kMtEnvLevel);
    EXPECT_EQ(Points(copied.Get()), (PointList{{8820, 0.5f}}));
    ASSERT_EQ(copied->InsertPoint(10, 1.0f), S_OK);
    EXPECT_EQ(Points(Volume(doc, 1)), (PointList{{8820, 0.5f}}));

    // A format change moves start offsets and curve points with the rate.
    ASSERT_EQ(set->ConvertFormat(16, 22050), S_OK);
    EXPECT_EQ(doc->GetTrackExtent(1, -1), 2205);
    EXPECT_EQ(doc->GetTrackExtent(1, 0), 1000);
    EXPECT_EQ(Points(Volume(doc, 1)), (PointList{{4410, 0.5f}}));
    // SetFormat alone converts nothing: what the resample's undo puts back is taken as it is.
    ASSERT_EQ(set->SetFormat(16, 44100), S_OK);
    EXPECT_EQ(doc->GetTrackExtent(1, 0), 1000);
}

TEST_F(TrackCommandTest, EngineStoreFindsAnItemByItsRecord)
{
    CNyMultiTrackDoc* doc = Build({1}, {100});
    std::string path = files_.File("store.raw");
    std::vector<int16_t> samples(64, 7);
    WriteFileBytes(path,
                   Bytes(reinterpret_cast<uint8_t*>(samples.data()), reinterpret_cast<uint8_t*>(samples.data()) + 128));
    MtFileItemRecord record{};
    std::strncpy(record.path, path.c_str(), sizeof record.path - 1);
    record.channels = 1;
    record.bitsPerSample = 16;
    record.samplesPerSec = doc->GetSamplesPerSec();
    ComRef<IMtItemList> list;
    ASSERT_EQ(MtEngine::CreateItemList(list), S_OK);
    ASSERT_EQ(list->AddFileItem(&record, path.c_str(), nullptr, 0), S_OK);
    ASSERT_EQ(list->ResetItems(0), S_OK);
    ComRef<IUnknown> item;
    ASSERT_EQ(list->NextItem(item.Out(), nullptr), S_OK);

    ComRef<IMtTempStore> store;
    ASSERT_EQ(MtEngine::CreateTempStore(store), S_OK);
    ComRef<IUnknown> found;
    ASSERT_EQ(store->LookupTrack(&record, found.Out(), 1), S_OK);
    ASSERT_TRUE(found);
    LONGLONG size = 0;
    ASSERT_EQ(QueryCom<IMtItem>(found.Get())->GetSize(&size), S_OK);
    EXPECT_EQ(size, 128);
}
