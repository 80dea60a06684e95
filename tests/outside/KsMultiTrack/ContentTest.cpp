// Track content operations read back sample-exact against a plain model of the time line.
#include "EngineFixture.h"

#include <algorithm>

namespace {

// The time line of one stereo 16-bit track: a start and its frames.
struct Model {
    LONGLONG start = 0;
    Frames16 frames; // interleaved, 2 channels
    LONGLONG Length() const { return static_cast<LONGLONG>(frames.size() / 2); }

    void Erase(LONGLONG a, LONGLONG b)
    {
        a = std::max<LONGLONG>(a, 0);
        b = std::min(b, Length());
        if (a < b)
            frames.erase(frames.begin() + a * 2, frames.begin() + b * 2);
    }
    void Delete(LONGLONG s, LONGLONG len)
    {
        LONGLONG a = s - start, b = a + len;
        if (b <= 0) {
            start -= len;
            return;
        }
        if (a < 0) {
            start = s;
            a = 0;
        }
        Erase(a, b);
    }
    void Insert(LONGLONG pos, LONGLONG replace, const Frames16& clip)
    {
        if (Length() > 0)
            Delete(pos, replace);
        if (Length() == 0) {
            frames = clip;
            start = pos;
            return;
        }
        LONGLONG p = pos - start;
        if (p < 0) {
            Frames16 f = clip;
            f.resize(f.size() + static_cast<size_t>(-p) * 2, 0);
            f.insert(f.end(), frames.begin(), frames.end());
            frames = f;
            start = pos;
        } else {
            if (p > Length())
                frames.resize(static_cast<size_t>(p) * 2, 0);
            frames.insert(frames.begin() + p * 2, clip.begin(), clip.end());
        }
    }
    void Trim(LONGLONG s, LONGLONG len)
    {
        LONGLONG a = std::max<LONGLONG>(s - start, 0), b = std::min(s + len - start, Length());
        if (a >= b) {
            frames.clear();
            start = std::max(start, s);
            return;
        }
        frames = Frames16(frames.begin() + a * 2, frames.begin() + b * 2);
        start += a;
    }
    // The clip's frames over [pos, pos + len) in place: frames past len mixed into what follows.
    void Overlay(LONGLONG pos, LONGLONG len, const Frames16& clip)
    {
        const LONGLONG n = static_cast<LONGLONG>(clip.size() / 2);
        Frames16 span(clip.begin(), clip.begin() + std::min(len, n) * 2);
        span.resize(static_cast<size_t>(len) * 2, 0);
        if (len > 0)
            Insert(pos, len, span);
        for (LONGLONG f = len; f < n; ++f) {
            LONGLONG at = pos + f;
            if (Length() == 0) {
                start = at;
            } else if (at < start) {
                Frames16 gap(static_cast<size_t>(start - at) * 2, 0);
                frames.insert(frames.begin(), gap.begin(), gap.end());
                start = at;
            }
            if (at - start >= Length())
                frames.resize(static_cast<size_t>(at - start + 1) * 2, 0);
            for (int c = 0; c < 2; ++c) {
                int16_t& v = frames[static_cast<size_t>((at - start) * 2 + c)];
                v = static_cast<int16_t>(std::max(-32768, std::min(32767, v + clip[static_cast<size_t>(f * 2 + c)])));
            }
        }
    }
    Frames16 Copy(LONGLONG s, LONGLONG len) const
    {
        Frames16 out;
        LONGLONG a = s - start, b = std::min(a + len, Length());
        if (a < 0) {
            out.resize(static_cast<size_t>(std::min<LONGLONG>(b, 0) - a) * 2, 0);
            a = 0;
        }
        if (a < b)
            out.insert(out.end(), frames.begin() + a * 2, frames.begin() + b * 2);
        return out;
    }
};

enum class Op { Delete, Insert, Replace, Trim, CopyPaste, WriteSample, Fill, Merge };

struct Step {
    Op op;
    LONGLONG position;
    LONGLONG length;
    LONGLONG target; // paste position or sample value
};

class ContentTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Frames16 base = Pattern(5000, 2, 1);
        clipFrames_ = Pattern(300, 2, 2);
        baseItem_ = MakeItem("base.raw", base.data(), base.size() * 2, 2, 16, 44100);
        clipItem_ = MakeItem("clip.raw", clipFrames_.data(), clipFrames_.size() * 2, 2, 16, 44100);
        ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, track_.Out(), -1));
        IMtClip* clip = ClipOf(baseItem_);
        ASSERT_EQ(S_OK, track_->InsertClip(clip, 1000, 0, 0));
        clip->Release();
        model_.start = 1000;
        model_.frames = base;
    }
    void TearDown() override
    {
        baseItem_->Release();
        clipItem_->Release();
    }
    void ExpectTrackIs(const Model& m, const char* where)
    {
        LONGLONG start = -7, length = -7;
        ASSERT_EQ(S_OK, track_->GetStartOffset(&start));
        ASSERT_EQ(S_OK, track_->GetLength(&length));
        EXPECT_EQ(m.start, start) << where;
        EXPECT_EQ(m.Length(), length) << where;
        EXPECT_TRUE(ReadTrack16(track_.Get()) == m.frames) << where;
    }
    void Apply(const Step& s, Model& m)
    {
        switch (s.op) {
        case Op::Delete:
            ASSERT_EQ(S_OK, track_->DeleteRange(s.position, s.length));
            m.Delete(s.position, s.length);
            break;
        case Op::Insert:
        case Op::Replace: {
            IMtClip* clip = ClipOf(clipItem_);
            ASSERT_EQ(S_OK, track_->InsertClip(clip, s.position, s.length, 0));
            clip->Release();
            m.Insert(s.position, s.length, clipFrames_);
            break;
        }
        case Op::Trim:
            ASSERT_EQ(S_OK, track_->TrimToRange(s.position, s.length));
            m.Trim(s.position, s.length);
            break;
        case Op::CopyPaste: {
            ComRef<IMtClip> copy;
            ASSERT_EQ(S_OK, track_->CopyRange(copy.Out(), s.position, s.length));
            Frames16 copied = m.Copy(s.position, s.length);
            LONGLONG copyLength = -1;
            ASSERT_EQ(S_OK, copy->GetLength(&copyLength));
            ASSERT_EQ(static_cast<LONGLONG>(copied.size() / 2), copyLength);
            ASSERT_EQ(S_OK, track_->InsertClip(copy.Get(), s.target, 0, 0));
            m.Insert(s.target, 0, copied);
            break;
        }
        case Op::WriteSample:
            ASSERT_EQ(S_OK, track_->WriteSample(1, s.position, static_cast<LONG>(s.target)));
            m.frames[static_cast<size_t>((s.position - m.start) * 2 + 1)] = static_cast<int16_t>(s.target);
            break;
        case Op::Fill:
            // The whole item replaces the span, whatever their lengths.
            ASSERT_EQ(S_OK, track_->FillRange(clipItem_, s.position, s.length));
            m.Insert(s.position, s.length, clipFrames_);
            break;
        case Op::Merge:
            ASSERT_EQ(S_OK, track_->MergeRange(clipItem_, s.position, s.length));
            m.Overlay(s.position, s.length, clipFrames_);
            break;
        }
    }

    IMtItem* baseItem_ = nullptr;
    IMtItem* clipItem_ = nullptr;
    Frames16 clipFrames_;
    ComRef<IMtTrack> track_;
    Model model_;
};

} // namespace

TEST_F(ContentTest, EveryEditReadsBackExactlyAndUndoesThroughContentSwap)
{
    const Step steps[] = {
        {Op::Delete, 1500, 700, 0},        // inside
        {Op::Delete, 900, 200, 0},         // straddles the start
        {Op::Delete, 100, 50, 0},          // wholly before the sound
        {Op::Insert, 1200, 0, 0},          // pure insertion
        {Op::Replace, 1100, 400, 0},       // paste over a span
        {Op::Insert, 200, 0, 0},           // before the start: silence bridges the gap
        {Op::Insert, 20000, 0, 0},         // past the end: silence bridges the gap
        {Op::CopyPaste, 1000, 333, 3000},  // copy and paste inside the track
        {Op::CopyPaste, 0, 500, 2500},     // copy reaching before the start
        {Op::WriteSample, 1234, 0, -4321}, // one sample
        {Op::Fill, 4000, 500, 0},          // store fill of a span longer than the item
        {Op::Fill, 1300, 100, 0},          // store fill of a span shorter than the item
        {Op::Fill, 2000, 0, 0},            // store placed without replacing anything
        {Op::Merge, 1500, 100, 0},         // in place: the item's tail mixes into what follows
        {Op::Merge, 2500, 300, 0},         // in place over exactly its length
        {Op::Merge, 3000, 450, 0},         // in place over more than its length
        {Op::Trim, 600, 9000, 0},          // keep a range
        {Op::Delete, 0, 100000, 0},        // everything
        {Op::Insert, 777, 0, 0},           // into the empty track
        {Op::Merge, 600, 50, 0},           // in place reaching before the start
        {Op::Delete, 0, 100000, 0},        // everything
        {Op::Fill, 0, 0, 0},               // an opened file into an empty track
        {Op::Merge, 5000, 0, 0},           // in place past the end, nothing to replace
    };
    for (const Step& s : steps) {
        std::string where = "step op " + std::to_string(static_cast<int>(s.op)) + " at " + std::to_string(s.position);
        Model before = model_;
        // Save the content as the range commands do, edit, then undo and redo by swapping.
        LONGLONG start = 0;
        ASSERT_EQ(S_OK, track_->GetStartOffset(&start));
        ComRef<IMtClip> backward;
        ASSERT_EQ(S_OK, track_->CopyToEnd(backward.Out(), start));
        ASSERT_EQ(S_OK, backward->SetStartOffset(start));
        Apply(s, model_);
        ExpectTrackIs(model_, (where + " after edit").c_str());
        ComRef<IMtClip> forward;
        ASSERT_EQ(S_OK, track_->SwapContent(backward.Get(), forward.Out()));
        ExpectTrackIs(before, (where + " after undo").c_str());
        ComRef<IMtClip> again;
        ASSERT_EQ(S_OK, track_->SwapContent(forward.Get(), again.Out()));
        ExpectTrackIs(model_, (where + " after redo").c_str());
    }
}

TEST_F(ContentTest, DuplicateIsIndependentOfTheOriginal)
{
    ComRef<IMtTrack> copy;
    ASSERT_EQ(S_OK, track_->Duplicate(copy.Out()));
    ASSERT_EQ(S_OK, track_->DeleteRange(1000, 2500));
    EXPECT_TRUE(ReadTrack16(copy.Get()) == model_.frames);
    ASSERT_EQ(S_OK, set_->AttachTrack(copy.Get(), -1));
    LONG a = 0, b = 0;
    ASSERT_EQ(S_OK, track_->GetTrackId(&a));
    ASSERT_EQ(S_OK, copy->GetTrackId(&b));
    EXPECT_NE(a, b);
}

TEST_F(ContentTest, BadArgumentsFailAndChangeNothing)
{
    EXPECT_EQ(E_INVALIDARG, track_->DeleteRange(1200, -5));
    EXPECT_EQ(E_INVALIDARG, track_->InsertClip(nullptr, 0, 0, 0));
    EXPECT_EQ(E_INVALIDARG, track_->InsertClip(track_.Get(), 0, 0, 0));
    EXPECT_EQ(E_INVALIDARG, track_->WriteSample(0, 999, 5));      // before the sound
    EXPECT_EQ(E_INVALIDARG, track_->WriteSample(2, 1000, 5));     // no third channel
    EXPECT_EQ(E_INVALIDARG, track_->WriteSample(0, 1000, 40000)); // beyond 16 bits
    EXPECT_EQ(E_INVALIDARG, track_->TrimToRange(0, -1));
    ExpectTrackIs(model_, "after refused calls");
}

TEST_F(ContentTest, ClipWithMoreChannelsOrAnotherRateIsRefused)
{
    Frames16 six = Pattern(100, 6, 3);
    IMtItem* sixItem = MakeItem("six.raw", six.data(), six.size() * 2, 6, 16, 44100);
    Frames16 other = Pattern(100, 2, 4);
    IMtItem* rateItem = MakeItem("rate.raw", other.data(), other.size() * 2, 2, 16, 48000);
    IMtClip* a = ClipOf(sixItem);
    IMtClip* b = ClipOf(rateItem);
    EXPECT_EQ(kMtErrChannelMismatch, track_->InsertClip(a, 1000, 0, 0));
    EXPECT_EQ(kMtErrRateMismatch, track_->InsertClip(b, 1000, 0, 0));
    ExpectTrackIs(model_, "after refused clips");
    a->Release();
    b->Release();
    sixItem->Release();
    rateItem->Release();
}

TEST_F(ContentTest, MonoClipFeedsBothChannelsAndMergeOverwritesInPlace)
{
    Frames16 mono = {100, -200, 300, -400};
    IMtItem* monoItem = MakeItem("mono.raw", mono.data(), mono.size() * 2, 1, 16, 44100);
    IMtClip* clip = ClipOf(monoItem);
    ASSERT_EQ(S_OK, track_->InsertClip(clip, 1000, 0, 0));
    Frames16 expect = {100, 100, -200, -200, 300, 300, -400, -400};
    Frames16 got = ReadTrack16(track_.Get());
    EXPECT_TRUE(Frames16(got.begin(), got.begin() + 8) == expect);

    // Over two frames: the first two replace, the other two mix into the next frames.
    ASSERT_EQ(S_OK, track_->MergeRange(monoItem, 1000, 2));
    got = ReadTrack16(track_.Get());
    Frames16 merged = {100, 100, -200, -200, 600, 600, -800, -800};
    EXPECT_TRUE(Frames16(got.begin(), got.begin() + 8) == merged);
    EXPECT_EQ(model_.Length() + 4, static_cast<LONGLONG>(got.size() / 2));
    clip->Release();
    monoItem->Release();
}

TEST_F(ContentTest, ReaderSeeksAndReadsSilenceOutsideTheSound)
{
    ComRef<IMtItem> reader;
    ASSERT_EQ(S_OK, track_->CreateReader(reader.Out(), 0));
    const LONGLONG from = 990, to = 1010;
    ASSERT_EQ(S_OK, reader->SetRange(&from, &to));
    EXPECT_EQ(E_POINTER, reader->SetRange(&from, nullptr));
    LONGLONG size = 0;
    ASSERT_EQ(S_OK, reader->GetSize(&size));
    EXPECT_EQ(20 * 4, size);
    ASSERT_EQ(S_OK, reader->BeginRead());
    int16_t buffer[40];
    DWORD got = 0;
    ASSERT_EQ(S_OK, reader->Read(buffer, sizeof(buffer), &got));
    EXPECT_EQ(80u, got);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(0, buffer[i]);
    EXPECT_TRUE(std::equal(buffer + 20, buffer + 40, model_.frames.begin()));
    ComRef<IMtReaderSeek> seek;
    ASSERT_EQ(S_OK, reader->QueryInterface(__uuidof(IMtReaderSeek), reinterpret_cast<void**>(seek.Out())));
    ASSERT_EQ(S_OK, seek->Seek(1005));
    ASSERT_EQ(S_OK, reader->Read(buffer, sizeof(buffer), &got));
    EXPECT_EQ(20u, got); // five frames to the range end
    EXPECT_TRUE(std::equal(buffer, buffer + 10, model_.frames.begin() + 10));
    LONG sample = 0;
    ASSERT_EQ(S_OK, track_->ReadSample(1, 1003, &sample));
    EXPECT_EQ(model_.frames[7], sample);
}

// Opening a file onto a new track passes the span (position, 0) to slot 10: the whole item
// lands there. A span of another length is replaced by the whole item too, and slot 11
// keeps everything after the span in place.
TEST_F(ContentTest, StoreCallsPlaceTheWholeItemThroughTheirSlots)
{
    using StoreCall = HRESULT(STDMETHODCALLTYPE*)(void*, IUnknown*, LONGLONG, LONGLONG);
    auto slot = [](IMtTrack* track, int n) {
        return reinterpret_cast<StoreCall>((*reinterpret_cast<void***>(track))[n]);
    };
    ComRef<IMtTrack> fresh;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, fresh.Out(), -1));
    ASSERT_EQ(S_OK, slot(fresh.Get(), 10)(fresh.Get(), clipItem_, 0, 0));
    EXPECT_TRUE(ReadTrack16(fresh.Get()) == clipFrames_);

    ASSERT_EQ(S_OK, slot(track_.Get(), 10)(track_.Get(), clipItem_, 2000, 1000));
    Model replaced = model_;
    replaced.Insert(2000, 1000, clipFrames_);
    ExpectTrackIs(replaced, "slot 10 over a longer span");

    LONGLONG before = 0;
    ASSERT_EQ(S_OK, track_->GetLength(&before));
    ASSERT_EQ(S_OK, slot(track_.Get(), 11)(track_.Get(), clipItem_, 1000, 100));
    LONGLONG after = 0;
    ASSERT_EQ(S_OK, track_->GetLength(&after));
    EXPECT_EQ(before, after);
    replaced.Overlay(1000, 100, clipFrames_);
    ExpectTrackIs(replaced, "slot 11 with a tail");
    EXPECT_EQ(E_INVALIDARG, slot(track_.Get(), 10)(track_.Get(), nullptr, 0, 0));
    EXPECT_EQ(E_INVALIDARG, slot(track_.Get(), 11)(track_.Get(), clipItem_, 0, -1));
    ExpectTrackIs(replaced, "after refused calls");
}
