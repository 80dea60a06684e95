#include <gtest/gtest.h>

#include "ByteBuffer.h"
#include "EditBusyGuard.h"
#include "FakeEngine.h"
#include "KvSSException.h"
#include "RangeCommand.h"
#include "SampleRange.h"
#include "TransactionCommand.h"

using namespace kvtest;

namespace {

// A range command whose edit replaces the track's content by its input clip.
class ReplaceCommand : public RangeCommand {
public:
    using RangeCommand::RangeCommand;
    // Keeps the content, then edits the track directly, as a real edit does.
    STDMETHODIMP Do() override
    {
        HRESULT hr = SaveTrackContent();
        if (FAILED(hr))
            return hr;
        hr = GetTrackForTest()->SwapContent(m_forward.Get(), nullptr);
        return hr;
    }
    ComRef<IMtTrack> GetTrackForTest()
    {
        try {
            return GetTrack();
        } catch (const CKvSSException&) {
            return ComRef<IMtTrack>();
        }
    }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override
    {
        return CopyTypeName("test.replace", buffer, length);
    }
    IMtClip* Backward() const { return m_backward.Get(); }
};

ComRef<ReplaceCommand> NewReplace(FakeDocument& doc, int track, int64_t start, int64_t length)
{
    return ComRef<ReplaceCommand>(ComObject<IEditCommand>::Create<ReplaceCommand>("Replace", &doc, track, start, length,
                                                                                  MakeClip("after").Get()));
}

} // namespace

TEST(SampleRange, IntersectsInclusivelyAndAcceptsAReversedOther)
{
    struct Case {
        SampleRange a, b, expected;
    };
    const Case cases[] = {
        {{100, 200}, {150, 300}, {150, 200}}, {{100, 200}, {300, 150}, {150, 200}},
        {{100, 200}, {200, 300}, {200, 200}}, {{100, 200}, {201, 300}, {0, 0}},
        {{100, 200}, {0, 99}, {0, 0}},        {{100, 200}, {120, 130}, {120, 130}},
        {{100, 200}, {0, 1000}, {100, 200}},  {{-50, 50}, {-10, -100}, {-50, -10}},
        {{160, 170}, {300, 150}, {160, 170}}, // a reversed range around this one still overlaps
    };
    for (const Case& c : cases) {
        SampleRange r = c.a.Intersect(c.b);
        EXPECT_EQ(r, c.expected) << c.a.start << ".." << c.a.end << " with " << c.b.start << ".." << c.b.end;
    }
    SampleRange reversed{500, 400};
    reversed.Normalize();
    EXPECT_EQ(reversed, (SampleRange{400, 500}));
}

TEST(RangeCommand, NormalisesItsRange)
{
    FakeDocument doc;
    EXPECT_EQ(NewReplace(doc, 0, 500, -100)->Range(), (SampleRange{400, 500}));
    EXPECT_EQ(NewReplace(doc, 0, 500, 100)->Range(), (SampleRange{500, 600}));
}

TEST(RangeCommand, SwapsTheTrackBetweenItsContentBeforeAndAfterTheEdit)
{
    FakeDocument doc;
    FakeTrack* track = doc.trackSet->tracks[1].Get();
    ComRef<ReplaceCommand> command = NewReplace(doc, 1, 0, 10);
    ASSERT_EQ(command->Do(), S_OK);
    EXPECT_EQ(LabelOf(track->content.Get()), "after");
    EXPECT_EQ(static_cast<FakeClip*>(command->Backward())->startOffset, 100) << "the copy keeps the start offset";
    const char* expected[] = {"before1", "after", "before1"};
    HRESULT (IEditCommand::*steps[])() = {&IEditCommand::Undo, &IEditCommand::Redo, &IEditCommand::Undo};
    for (int i = 0; i < 3; ++i) {
        IEditCommand* edit = command.Get();
        ASSERT_EQ((edit->*steps[i])(), S_OK);
        EXPECT_EQ(LabelOf(track->content.Get()), expected[i]) << "step " << i;
    }
    EXPECT_EQ(static_cast<FakeClip*>(track->content.Get())->startOffset, 100);
    EXPECT_EQ(doc.selected, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(LabelOf(doc.trackSet->tracks[0]->content.Get()), "before0") << "other tracks untouched";
}

TEST(RangeCommand, FailedSwapIsReportedAndLosesNoContent)
{
    FakeDocument doc;
    FakeTrack* track = doc.trackSet->tracks[0].Get();
    ComRef<ReplaceCommand> command = NewReplace(doc, 0, 0, 10);
    ASSERT_EQ(command->Do(), S_OK);
    track->failSwap = true;
    EXPECT_EQ(command->Undo(), E_OUTOFMEMORY);
    EXPECT_EQ(LabelOf(track->content.Get()), "after");
    track->failSwap = false;
    ASSERT_EQ(command->Undo(), S_OK);
    EXPECT_EQ(LabelOf(track->content.Get()), "before0") << "the content before the edit survived the failure";
    ASSERT_EQ(command->Redo(), S_OK);
    EXPECT_EQ(LabelOf(track->content.Get()), "after");
}

TEST(RangeCommand, FailsWithoutATrack)
{
    FakeDocument doc;
    struct Case {
        const char* label;
        int track;
        bool engine;
    };
    for (const Case& c :
         {Case{"index -1", -1, true}, Case{"index past the end", 5, true}, Case{"no engine", 0, false}}) {
        doc.withEngine = c.engine;
        ComRef<ReplaceCommand> command = NewReplace(doc, c.track, 0, 10);
        EXPECT_TRUE(FAILED(command->Do())) << c.label;
        // Nothing was edited, so there is nothing to take back or make again.
        EXPECT_EQ(command->Undo(), S_OK) << c.label;
        EXPECT_EQ(command->Redo(), S_OK) << c.label;
    }
    doc.withEngine = true;
    EXPECT_EQ(LabelOf(doc.trackSet->tracks[0]->content.Get()), "before0");

    // An engine gone after the edit fails the swap and keeps both contents.
    ComRef<ReplaceCommand> command = NewReplace(doc, 0, 0, 10);
    ASSERT_EQ(command->Do(), S_OK);
    doc.withEngine = false;
    EXPECT_TRUE(FAILED(command->Undo()));
    doc.withEngine = true;
    ASSERT_EQ(command->Undo(), S_OK);
    EXPECT_EQ(LabelOf(doc.trackSet->tracks[0]->content.Get()), "before0");
}

TEST(RangeCommand, GroupRollbackOfAnEditThatFailedBeforeKeepingTheTrackLeavesTheTrackAlone)
{
    FakeDocument doc;
    FakeTrack* track = doc.trackSet->tracks[0].Get();
    track->failCopy = true; // the content cannot be kept: Do fails before it edits
    ComRef<TransactionCommand> group(ComObject<IEditCommand>::Create<TransactionCommand>("T"));
    group->Add(NewReplace(doc, 0, 0, 10).Get());
    EXPECT_EQ(group->Do(), E_OUTOFMEMORY);
    EXPECT_EQ(LabelOf(track->content.Get()), "before0") << "the rollback's Undo must not empty the track";
    EXPECT_TRUE(doc.selected.empty());
}

TEST(EditBusyGuard, SetsTheFlagForItsScopeAndClearsItOnEveryWayOut)
{
    EXPECT_FALSE(EditBusyGuard::IsBusy());
    int edits = 0;
    auto handler = [&](bool fail) {
        if (EditBusyGuard::IsBusy())
            return; // a second edit entered meanwhile does nothing
        EditBusyGuard guard;
        ++edits;
        if (fail)
            throw CKvSSException(E_FAIL);
    };
    {
        EditBusyGuard outer;
        EXPECT_TRUE(EditBusyGuard::IsBusy());
        handler(false);
        EXPECT_EQ(edits, 0);
    }
    EXPECT_FALSE(EditBusyGuard::IsBusy());
    handler(false);
    EXPECT_EQ(edits, 1);
    EXPECT_THROW(handler(true), CKvSSException);
    EXPECT_FALSE(EditBusyGuard::IsBusy());

    // A guard taken inside a running edit (a helper that guards itself) must not end the
    // outer edit's protection when it goes.
    {
        EditBusyGuard outer;
        {
            EditBusyGuard inner;
        }
        EXPECT_TRUE(EditBusyGuard::IsBusy());
        const int before = edits;
        handler(false);
        EXPECT_EQ(edits, before) << "an edit entered while the outer one runs does nothing";
    }
    EXPECT_FALSE(EditBusyGuard::IsBusy());
}

TEST(ByteBuffer, ResizeReplacesTheDataAndZeroFrees)
{
    ByteBuffer buffer;
    EXPECT_EQ(buffer.Data(), nullptr);
    buffer.Resize(1000);
    ASSERT_NE(buffer.Data(), nullptr);
    EXPECT_EQ(buffer.Size(), 1000u);
    buffer.Data()[999] = 7;
    buffer.Resize(0);
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_EQ(buffer.Size(), 0u);
}
