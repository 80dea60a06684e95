// The track set: exports by ordinal, raw slots, the channel limit, stable ids, the selection.
#include "EngineFixture.h"

#include <algorithm>

namespace {

// The exports as a caller of another module binds them: by ordinal, apart from the loader.
// The module stays loaded for the process: objects of other tests may still be alive.
class ExportsByOrdinal {
public:
    ExportsByOrdinal() : module_(LoadLibraryA((kvtest::BinFolder() + "KsMultiTrack.dll").c_str())) {}
    HMODULE Module() const { return module_; }
    FARPROC Proc(WORD ordinal) const { return GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)); }
    template <class F>
    F Get(WORD ordinal) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(Proc(ordinal)));
    }

private:
    HMODULE module_;
};

// Calls slot n of an interface directly through its table, as a caller without our
// header would.
template <class R, class... A>
R CallSlot(void* object, int slot, A... args)
{
    using Fn = R(STDMETHODCALLTYPE*)(void*, A...);
    Fn fn = reinterpret_cast<Fn>((*reinterpret_cast<void***>(object))[slot]);
    return fn(object, args...);
}

LONG IdAt(IMtTrackSet* set, LONG index)
{
    LONG id = -99;
    EXPECT_EQ(S_OK, set->TrackIndexToId(index, &id));
    return id;
}

} // namespace

TEST(KsMultiTrackExports, EveryOrdinalResolves)
{
    ExportsByOrdinal engine;
    ASSERT_TRUE(engine.Module());
    for (WORD ordinal : {1, 2, 4, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 22, 25, 26, 27})
        EXPECT_NE(nullptr, engine.Proc(ordinal)) << "ordinal " << ordinal;
    auto init = engine.Get<PFN_MtInitialize>(kMtOrdInitialize);
    auto uninit = engine.Get<PFN_MtUninitialize>(kMtOrdUninitialize);
    EXPECT_EQ(S_OK, init(nullptr));
    EXPECT_EQ(S_OK, uninit());
}

TEST(KsMultiTrackExports, DeviceListsAnswerCountsAndTerminatedNames)
{
    ExportsByOrdinal engine;
    auto playCount = engine.Get<PFN_MtGetPlaybackDeviceCount>(kMtOrdGetPlaybackDeviceCount);
    auto playName = engine.Get<PFN_MtGetPlaybackDeviceName>(kMtOrdGetPlaybackDeviceName);
    auto recCount = engine.Get<PFN_MtGetRecordingDeviceCount>(kMtOrdGetRecordingDeviceCount);
    auto recName = engine.Get<PFN_MtGetRecordingDeviceName>(kMtOrdGetRecordingDeviceName);
    auto asioCount = engine.Get<PFN_MtGetAsioDriverCount>(kMtOrdGetAsioDriverCount);
    auto asio = engine.Get<PFN_MtGetAsioDriver>(kMtOrdGetAsioDriver);
    char name[1024];
    for (LONG kind : {0, 1}) {
        LONG count = playCount(kind);
        ASSERT_GE(count, 0);
        for (LONG i = 0; i < count; ++i) {
            memset(name, 'x', sizeof(name));
            EXPECT_EQ(S_OK, playName(kind, i, name, sizeof(name)));
            EXPECT_NE(nullptr, memchr(name, 0, sizeof(name)));
        }
        // Past the list: refused, and the buffer holds an empty name.
        name[0] = 'x';
        EXPECT_EQ(E_INVALIDARG, playName(kind, count, name, sizeof(name)));
        EXPECT_EQ('\0', name[0]);
    }
    EXPECT_EQ(0, playCount(7));
    LONG rec = recCount(0);
    ASSERT_GE(rec, 0);
    EXPECT_EQ(E_INVALIDARG, recName(0, rec, name, sizeof(name)));
    EXPECT_EQ(E_POINTER, recName(0, 0, nullptr, 10));
    EXPECT_EQ(0, asioCount());
    IUnknown* driver = reinterpret_cast<IUnknown*>(1);
    EXPECT_TRUE(FAILED(asio(&driver)));
    EXPECT_EQ(nullptr, driver);
}

TEST_F(EngineTest, SlotsAnswerAtTheirPositions)
{
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, WORD, DWORD>(set_.Get(), 3, WORD(24), DWORD(48000))));
    IMtTrack* track = nullptr;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, DWORD, WORD, IMtTrack**, LONG>(set_.Get(), 7, 0, WORD(2), &track, -1)));
    LONG count = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONG*>(set_.Get(), 14, &count)));
    EXPECT_EQ(1, count);
    WORD bits = 0;
    DWORD rate = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, WORD*>(set_.Get(), 15, &bits)));
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, DWORD*>(set_.Get(), 17, &rate)));
    EXPECT_EQ(24, bits);
    EXPECT_EQ(48000u, rate);
    WORD channels = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, WORD*>(track, 16, &channels)));
    EXPECT_EQ(2, channels);
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONGLONG>(track, 33, 500LL)));
    LONGLONG start = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONGLONG*>(track, 32, &start)));
    EXPECT_EQ(500, start);
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, float>(track, 48, 0.5f)));
    float volume = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, float*>(track, 47, &volume)));
    EXPECT_EQ(0.5f, volume);
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, DWORD, LONG>(track, 25, DWORD(kMtFlagSolo), 1)));
    LONG solo = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, DWORD, LONG*>(track, 24, DWORD(kMtFlagSolo), &solo)));
    EXPECT_EQ(1, solo);
    IUnknown* selection = nullptr;
    ASSERT_EQ(S_OK, set_->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(&selection)));
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONG, LONG>(selection, 5, 0, 1)));
    LONG marked = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONG, LONG*>(selection, 3, 0, &marked)));
    EXPECT_EQ(1, marked);
    selection->Release();
    IUnknown* envelopes = nullptr;
    ASSERT_EQ(S_OK, track->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(&envelopes)));
    float level = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONG, LONGLONG, float*>(envelopes, 7, 0, 0LL, &level)));
    EXPECT_EQ(1.0f, level);
    envelopes->Release();
    track->Release();
}

TEST_F(EngineTest, ChannelLimitRefusesWiderTracks)
{
    ComRef<IMtTrack> track;
    EXPECT_EQ(kMtErrChannelLimit, set_->InsertTrack(0, 6, track.Out(), -1));
    EXPECT_FALSE(track);
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, track.Out(), -1));
    EXPECT_EQ(kMtErrChannelLimit, track->SetChannels(6));
    EXPECT_EQ(E_INVALIDARG, set_->SetChannelLimit(4));
    ASSERT_EQ(S_OK, set_->SetChannelLimit(6));
    EXPECT_EQ(S_OK, track->SetChannels(6));
    ComRef<IMtTrack> six;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 6, six.Out(), -1));
    // Seven channels lie beyond the widest limit there is: refused as beyond the limit.
    ComRef<IMtTrack> seven;
    EXPECT_EQ(kMtErrChannelLimit, set_->InsertTrack(0, 7, seven.Out(), -1));
    EXPECT_FALSE(seven);
    EXPECT_EQ(kMtErrChannelLimit, six->SetChannels(7));
    // Back to two channels: a six-channel track cannot come back in.
    ASSERT_EQ(S_OK, set_->DetachTrack(six.Get()));
    ASSERT_EQ(S_OK, set_->SetChannelLimit(2));
    EXPECT_EQ(kMtErrChannelLimit, set_->AttachTrack(six.Get(), -1));
    LONG count = 0;
    ASSERT_EQ(S_OK, set_->GetTrackCount(&count));
    EXPECT_EQ(1, count);
    EXPECT_EQ(E_INVALIDARG, set_->InsertTrack(0, 0, track.Out(), -1));
}

TEST_F(EngineTest, TrackIdsStayWhileIndexesChange)
{
    ComRef<IMtTrack> a, b, c;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, a.Out(), -1));
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, b.Out(), -1));
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, c.Out(), 0)); // at the front
    LONG ida = 0, idb = 0, idc = 0;
    a->GetTrackId(&ida);
    b->GetTrackId(&idb);
    c->GetTrackId(&idc);
    EXPECT_EQ((std::vector<LONG>{idc, ida, idb}),
              (std::vector<LONG>{IdAt(set_.Get(), 0), IdAt(set_.Get(), 1), IdAt(set_.Get(), 2)}));
    ASSERT_EQ(S_OK, set_->MoveTrack(0, 2));
    LONG index = -1;
    ASSERT_EQ(S_OK, set_->TrackIdToIndex(idc, &index));
    EXPECT_EQ(2, index);
    ASSERT_EQ(S_OK, set_->GetTrackIndex(c.Get(), &index));
    EXPECT_EQ(2, index);
    ASSERT_EQ(S_OK, set_->DetachTrack(a.Get()));
    EXPECT_EQ(kMtErrNoTrack, set_->TrackIdToIndex(ida, &index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(kMtErrNotInSet, set_->DetachTrack(a.Get()));
    ASSERT_EQ(S_OK, set_->AttachTrack(a.Get(), 0));
    EXPECT_EQ(kMtErrNotInSet, set_->AttachTrack(a.Get(), 0));
    EXPECT_EQ(ida, IdAt(set_.Get(), 0));
    ComRef<IMtTrack> byId;
    ASSERT_EQ(S_OK, set_->GetTrackById(idb, byId.Out()));
    EXPECT_EQ(b.Get(), byId.Get());
    EXPECT_EQ(kMtErrNoTrack, set_->GetTrackById(12345, byId.Out()));
    LONG id = 0;
    EXPECT_EQ(kMtErrNoTrack, set_->TrackIndexToId(3, &id));
    EXPECT_EQ(-1, id);
    EXPECT_EQ(kMtErrNoTrack, set_->TrackIndexToId(-2, &id));
    // "No track" converts both ways, as take and label records store it (slots 33 and 35).
    id = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONG, LONG*>(set_.Get(), 33, -1, &id)));
    EXPECT_EQ(-1, id);
    index = 0;
    ASSERT_EQ(S_OK, (CallSlot<HRESULT, LONG, LONG*>(set_.Get(), 35, -1, &index)));
    EXPECT_EQ(-1, index);
    // The track list gives the tracks in order with their ids.
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, set_->GetTrackList(list.Out()));
    ASSERT_EQ(S_OK, list->ResetItems(1));
    std::vector<LONG> ids;
    IUnknown* object = nullptr;
    LONG trackId = 0;
    while (list->NextItem(&object, &trackId) == S_OK) {
        ids.push_back(trackId);
        object->Release();
    }
    EXPECT_EQ((std::vector<LONG>{ida, idb, idc}), ids);
    EXPECT_FALSE(list->IsEmpty());
}

TEST_F(EngineTest, SelectionMarksTracksAndKeepsTheRange)
{
    ComRef<IMtSelection> selection;
    ASSERT_EQ(S_OK, set_->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(selection.Out())));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, nullptr, -1));
    ASSERT_EQ(S_OK, selection->SetAllTracks(1));
    LONG count = 0;
    selection->GetMarkedCount(&count);
    EXPECT_EQ(3, count);
    ASSERT_EQ(S_OK, selection->SetAllTracks(0));
    ASSERT_EQ(S_OK, selection->SelectTrack(1, 1));
    LONG marked = -1;
    selection->IsTrackMarked(1, &marked);
    EXPECT_EQ(1, marked);
    selection->IsTrackMarked(0, &marked);
    EXPECT_EQ(0, marked);
    EXPECT_EQ(kMtErrNoTrack, selection->SelectTrack(3, 1));
    ASSERT_EQ(S_OK, set_->MoveTrack(1, 0)); // the mark moves with the track
    selection->IsTrackMarked(0, &marked);
    EXPECT_EQ(1, marked);
    ASSERT_EQ(S_OK, selection->SetRange(900, 100));
    LONGLONG start = 0, end = 0, length = 0;
    selection->GetRange(&start, &end);
    selection->GetLength(&length);
    EXPECT_EQ(900, start);
    EXPECT_EQ(100, end);
    EXPECT_EQ(800, length);
}

TEST_F(EngineTest, SetSwitchesKeepTheirValues)
{
    EXPECT_EQ(kMtErrFormatNotSupported, set_->SetFormat(12, 44100));
    EXPECT_EQ(kMtErrFormatNotSupported, set_->SetFormat(16, 0));
    ASSERT_EQ(S_OK, set_->SetMasterVolume(0.25f));
    EXPECT_EQ(E_INVALIDARG, set_->SetMasterVolume(-1.0f));
    float master = 0;
    set_->GetMasterVolume(&master);
    EXPECT_EQ(0.25f, master);
    EXPECT_EQ(E_INVALIDARG, set_->SetRecordChannels(3));
    ASSERT_EQ(S_OK, set_->SetRecordChannels(1));
    WORD rec = 0;
    set_->GetRecordChannels(&rec);
    EXPECT_EQ(1, rec);
    LONGLONG s = 300, e = 100;
    ASSERT_EQ(S_OK, set_->SetLoopRange(&s, &e));
    LONGLONG ls = 0, le = 0;
    set_->GetLoopRange(&ls, &le);
    EXPECT_EQ(100, ls);
    EXPECT_EQ(300, le);
    ASSERT_EQ(S_OK, set_->SetReadAutomation(0));
    ASSERT_EQ(S_OK, set_->SetWriteAutomation(1));
    LONG read = 1, write = 0;
    set_->GetReadAutomation(&read);
    set_->GetWriteAutomation(&write);
    EXPECT_EQ(0, read);
    EXPECT_EQ(1, write);
}

TEST_F(EngineTest, TrackSettingsRoundTripAndRefuseBadValues)
{
    ComRef<IMtTrack> t;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, t.Out(), -1));
    MtGroupRecord group{0x00FF00, 3, 17, 0};
    ASSERT_EQ(S_OK, t->SetGroupRecord(&group));
    MtGroupRecord back{};
    ASSERT_EQ(S_OK, t->GetGroupRecord(&back));
    EXPECT_EQ(0, memcmp(&group, &back, sizeof(group)));
    EXPECT_EQ(E_INVALIDARG, t->SetPan(1.5f));
    ASSERT_EQ(S_OK, t->SetPan(-0.5f));
    ASSERT_EQ(S_OK, t->SetSpeakerMask(4));
    ASSERT_EQ(S_OK, t->SetSelectedChannels(kMtAllChannels));
    ASSERT_EQ(S_OK, t->SetRecordArmed(1));
    LONG armed = 0;
    ASSERT_EQ(S_OK, t->TestFlag(kMtFlagRecord, &armed));
    EXPECT_EQ(1, armed);
    ASSERT_EQ(S_OK, t->SetSurroundValue(80));
    ASSERT_EQ(S_OK, t->SetSurroundOn(1));
    LONG value = 0, on = 0;
    t->GetSurroundValue(&value);
    t->IsSurroundOn(&on);
    EXPECT_EQ(80, value);
    EXPECT_EQ(1, on);
    float pan = 0;
    t->GetPan(&pan);
    EXPECT_EQ(-0.5f, pan);
}
