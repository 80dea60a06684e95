// Envelopes: points, ranges, values between points, enumeration and independent clones.
#include "EngineFixture.h"

#include <limits>

namespace {

class EnvelopeTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, track_.Out(), -1));
        ASSERT_EQ(S_OK, track_->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(envelopes_.Out())));
        ASSERT_EQ(S_OK, envelopes_->GetEnvelope(kMtEnvLevel, level_.Out()));
    }
    std::vector<std::pair<LONGLONG, float>> Points(IMtEnvelope* e)
    {
        ComRef<IMtEnvelopePointEnum> points;
        EXPECT_EQ(S_OK, e->EnumPoints(points.Out()));
        std::vector<std::pair<LONGLONG, float>> out;
        MtEnvelopePointItem item;
        LONGLONG position = 0;
        while (points->Next(&item) == S_OK) {
            position += item.distance;
            out.emplace_back(position, item.value);
        }
        return out;
    }

    ComRef<IMtTrack> track_;
    ComRef<IMtEnvelopeSet> envelopes_;
    ComRef<IMtEnvelope> level_;
};

using PointList = std::vector<std::pair<LONGLONG, float>>;

} // namespace

TEST_F(EnvelopeTest, DefaultsAreUnityLevelAndCentredPans)
{
    const float expected[] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind) {
        float v = -5;
        ASSERT_EQ(S_OK, envelopes_->GetValue(kind, &v));
        EXPECT_EQ(expected[kind], v);
    }
    ComRef<IMtEnvelope> none;
    EXPECT_EQ(E_INVALIDARG, envelopes_->GetEnvelope(5, none.Out()));
    ASSERT_EQ(S_OK, envelopes_->SetValue(kMtEnvPan, -1.0f));
    float v = 0;
    ASSERT_EQ(S_OK, envelopes_->GetValueAt(kMtEnvPan, 12345, &v));
    EXPECT_EQ(-1.0f, v);
}

TEST_F(EnvelopeTest, ValuesInterpolateBetweenPointsAndHoldOutside)
{
    ASSERT_EQ(S_OK, level_->InsertPoint(100, 0.0f));
    ASSERT_EQ(S_OK, level_->InsertPoint(300, 1.0f));
    ASSERT_EQ(S_OK, level_->InsertPoint(200, 0.2f));
    ASSERT_EQ(S_OK, level_->InsertPoint(200, 0.5f)); // replaces
    LONG count = 0;
    level_->GetCount(&count);
    EXPECT_EQ(3, count);
    const struct {
        LONGLONG at;
        float value;
    } cases[] = {{0, 0.0f}, {100, 0.0f}, {150, 0.25f}, {200, 0.5f}, {250, 0.75f}, {300, 1.0f}, {5000, 1.0f}};
    for (const auto& c : cases) {
        float v = -1;
        ASSERT_EQ(S_OK, level_->GetValueAt(c.at, &v));
        EXPECT_NEAR(c.value, v, 1e-6) << "at " << c.at;
    }
    EXPECT_EQ((PointList{{100, 0.0f}, {200, 0.5f}, {300, 1.0f}}), Points(level_.Get()));
    EXPECT_EQ(S_FALSE, level_->DeletePoint(150));
    EXPECT_EQ(S_OK, level_->DeletePoint(200));
    EXPECT_EQ((PointList{{100, 0.0f}, {300, 1.0f}}), Points(level_.Get()));
}

TEST_F(EnvelopeTest, RangesShiftAndCutPoints)
{
    for (LONGLONG p : {10, 20, 30, 40})
        level_->InsertPoint(p, static_cast<float>(p));
    ASSERT_EQ(S_OK, level_->InsertRange(20, 5));
    EXPECT_EQ((PointList{{10, 10.f}, {25, 20.f}, {35, 30.f}, {45, 40.f}}), Points(level_.Get()));
    ASSERT_EQ(S_OK, level_->DeleteRange(25, 15));
    EXPECT_EQ((PointList{{10, 10.f}, {30, 40.f}}), Points(level_.Get()));
    EXPECT_EQ(E_INVALIDARG, level_->DeleteRange(0, -1));
}

TEST_F(EnvelopeTest, ClonesAndRestoresAreIndependent)
{
    level_->InsertPoint(50, 0.5f);
    ComRef<IMtEnvelope> clone;
    ASSERT_EQ(S_OK, level_->Clone(clone.Out()));
    clone->InsertPoint(60, 0.6f);
    level_->InsertPoint(70, 0.7f);
    EXPECT_EQ((PointList{{50, 0.5f}, {60, 0.6f}}), Points(clone.Get()));
    EXPECT_EQ((PointList{{50, 0.5f}, {70, 0.7f}}), Points(level_.Get()));
    ASSERT_EQ(S_OK, level_->Restore(clone.Get()));
    clone->Clear();
    EXPECT_EQ((PointList{{50, 0.5f}, {60, 0.6f}}), Points(level_.Get()));
    // Duplicated tracks get their own envelopes too.
    ComRef<IMtTrack> copy;
    ASSERT_EQ(S_OK, track_->Duplicate(copy.Out()));
    level_->Clear();
    ComRef<IMtEnvelopeSet> copyEnvelopes;
    ASSERT_EQ(S_OK, copy->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(copyEnvelopes.Out())));
    ComRef<IMtEnvelope> copyLevel;
    ASSERT_EQ(S_OK, copyEnvelopes->GetEnvelope(kMtEnvLevel, copyLevel.Out()));
    EXPECT_EQ(2u, Points(copyLevel.Get()).size());
    // SetEnvelope copies, it does not share.
    ASSERT_EQ(S_OK, envelopes_->SetEnvelope(kMtEnvPan, copyLevel.Get()));
    copyLevel->Clear();
    ComRef<IMtEnvelope> pan;
    ASSERT_EQ(S_OK, envelopes_->GetEnvelope(kMtEnvPan, pan.Out()));
    EXPECT_EQ(2u, Points(pan.Get()).size());
}

namespace {

template <class R, class... A>
R CallEnvelopeSlot(void* object, int slot, A... args)
{
    using Fn = R(STDMETHODCALLTYPE*)(void*, A...);
    Fn fn = reinterpret_cast<Fn>((*reinterpret_cast<void***>(object))[slot]);
    return fn(object, args...);
}

} // namespace

// The render of handle edits takes each envelope away, installs a cleared clone with the
// curve, renders, and puts the taken envelope back: the user's points must survive.
TEST_F(EnvelopeTest, TakenEnvelopeKeepsItsPointsWhileACloneStandsInAndGoesBack)
{
    ASSERT_EQ(S_OK, level_->InsertPoint(100, 0.25f));
    ASSERT_EQ(S_OK, level_->InsertPoint(400, 0.75f));
    IMtEnvelopeSet* set = envelopes_.Get();
    IMtEnvelope* taken = nullptr;
    ASSERT_EQ(S_OK, (CallEnvelopeSlot<HRESULT, LONG, IMtEnvelope**>(set, 5, kMtEnvLevel, &taken)));
    IMtEnvelope* clone = nullptr;
    ASSERT_EQ(S_OK, (CallEnvelopeSlot<HRESULT, IMtEnvelope**>(taken, 5, &clone)));
    ASSERT_EQ(S_OK, (CallEnvelopeSlot<HRESULT>(clone, 3)));
    ASSERT_EQ(S_OK, (CallEnvelopeSlot<HRESULT, LONGLONG, float>(clone, 6, 0LL, 0.0f)));
    ASSERT_EQ(S_OK, (CallEnvelopeSlot<HRESULT, LONGLONG, float>(clone, 6, 1000LL, 1.0f)));
    ASSERT_EQ(S_OK, (CallEnvelopeSlot<HRESULT, LONG, IMtEnvelope*>(set, 6, kMtEnvLevel, clone)));

    // The track now follows the curve; the taken object still holds the user's points.
    float value = -1;
    ASSERT_EQ(S_OK, set->GetValueAt(kMtEnvLevel, 500, &value));
    EXPECT_FLOAT_EQ(0.5f, value);
    EXPECT_EQ((PointList{{100, 0.25f}, {400, 0.75f}}), Points(taken));
    // Edits of the object installed do not reach back into the track either.
    clone->Clear();
    ASSERT_EQ(S_OK, set->GetValueAt(kMtEnvLevel, 500, &value));
    EXPECT_FLOAT_EQ(0.5f, value);

    ASSERT_EQ(S_OK, (CallEnvelopeSlot<HRESULT, LONG, IMtEnvelope*>(set, 6, kMtEnvLevel, taken)));
    ComRef<IMtEnvelope> now;
    ASSERT_EQ(S_OK, set->GetEnvelope(kMtEnvLevel, now.Out()));
    EXPECT_EQ((PointList{{100, 0.25f}, {400, 0.75f}}), Points(now.Get()));
    ASSERT_EQ(S_OK, set->GetValueAt(kMtEnvLevel, 250, &value));
    EXPECT_FLOAT_EQ(0.5f, value);
    // Putting back the same object twice is harmless; something else is refused.
    EXPECT_EQ(S_OK, set->SetEnvelope(kMtEnvLevel, now.Get()));
    EXPECT_EQ(E_INVALIDARG, set->SetEnvelope(kMtEnvLevel, nullptr));
    EXPECT_EQ(2u, Points(now.Get()).size());
    clone->Release();
    taken->Release();
}

TEST_F(EnvelopeTest, ValuesThatAreNotNumbersAreRefusedAndChangeNothing)
{
    ASSERT_EQ(S_OK, level_->InsertPoint(10, 0.5f));
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float v : bad) {
        EXPECT_EQ(E_INVALIDARG, level_->InsertPoint(10, v));
        EXPECT_EQ(E_INVALIDARG, level_->InsertPoint(20, v));
        EXPECT_EQ(E_INVALIDARG, level_->SetInitialValue(v));
        EXPECT_EQ(E_INVALIDARG, envelopes_->SetValue(kMtEnvPan, v));
    }
    EXPECT_EQ((PointList{{10, 0.5f}}), Points(level_.Get()));
    float initial = 0;
    ASSERT_EQ(S_OK, level_->GetInitialValue(&initial));
    EXPECT_EQ(1.0f, initial);
}

// Enumerators share the points until they change: one taken before a change walks the old
// points to its end, and one taken after every kind of change sees the new ones.
TEST_F(EnvelopeTest, AnEnumeratorKeepsItsPointsAndEveryChangeReachesTheNextOne)
{
    ComRef<IMtEnvelope> other;
    ASSERT_EQ(S_OK, level_->Clone(other.Out()));
    ASSERT_EQ(S_OK, other->InsertPoint(7, 0.7f));
    const struct {
        const char* change;
        HRESULT (*apply)(IMtEnvelope* e, IMtEnvelope* other);
        PointList after;
    } cases[] = {
        {"insert",
         [](IMtEnvelope* e, IMtEnvelope*) { return e->InsertPoint(150, 0.5f); },
         {{100, 0.25f}, {150, 0.5f}, {200, 0.75f}}},
        {"delete", [](IMtEnvelope* e, IMtEnvelope*) { return e->DeletePoint(100); }, {{200, 0.75f}}},
        {"insert range",
         [](IMtEnvelope* e, IMtEnvelope*) { return e->InsertRange(150, 10); },
         {{100, 0.25f}, {210, 0.75f}}},
        {"delete range",
         [](IMtEnvelope* e, IMtEnvelope*) { return e->DeleteRange(50, 10); },
         {{90, 0.25f}, {190, 0.75f}}},
        {"clear", [](IMtEnvelope* e, IMtEnvelope*) { return e->Clear(); }, {}},
        {"restore", [](IMtEnvelope* e, IMtEnvelope* o) { return e->Restore(o); }, {{7, 0.7f}}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, level_->Clear());
        ASSERT_EQ(S_OK, level_->InsertPoint(100, 0.25f));
        ASSERT_EQ(S_OK, level_->InsertPoint(200, 0.75f));
        EXPECT_EQ((PointList{{100, 0.25f}, {200, 0.75f}}), Points(level_.Get())) << c.change;
        ComRef<IMtEnvelopePointEnum> before;
        ASSERT_EQ(S_OK, level_->EnumPoints(before.Out()));
        MtEnvelopePointItem item{};
        ASSERT_EQ(S_OK, before->Next(&item));
        ASSERT_EQ(S_OK, c.apply(level_.Get(), other.Get())) << c.change;
        EXPECT_EQ(c.after, Points(level_.Get())) << c.change;
        ASSERT_EQ(S_OK, before->Next(&item)) << c.change;
        EXPECT_EQ(100, item.distance) << c.change;
        EXPECT_EQ(0.75f, item.value) << c.change;
        EXPECT_EQ(S_FALSE, before->Next(&item)) << c.change;
    }
}
