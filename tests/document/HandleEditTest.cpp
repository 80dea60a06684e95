// The fade and envelope handle modes of the document on the real engine: the stretch the
// handles cover, leaving by the same command, the apply render through the tracks reader and
// writer as one undo step, a failing or cancelled apply, and the preview's envelope swap.
#include "DocumentFixture.h"

#include "AudioRenderer.h"
#include "CommandInterfaces.h"
#include "ErrorText.h"
#include "FwApp.h"
#include "HandleEditFault.h"
#include "RawClip.h"
#include "ResourceModule.h"
#include "TestFilters.h"
#include "HistorySteps.h"
#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>

namespace {

HRESULT MakeTestRenderer(IBaseFilter** renderer)
{
    kvtest::TestRenderer* made = kvtest::TestRenderer::New();
    *renderer = made;
    return made ? S_OK : E_OUTOFMEMORY;
}

int UndoSteps(CNyMultiTrackDoc* doc)
{
    return kvtest::UndoSteps(doc->GetHistory());
}

class HandleEditTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        SetDocumentHost(&messages_);
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            boxes_.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetHandleRenderFailure(S_OK);
        SetPreviewRendererFactory(nullptr);
        AfxSetMessageBoxHook(nullptr);
        DocumentTest::TearDown();
        ::CoUninitialize();
    }

    // Mono 16-bit frames of one value into a track, from offset on.
    void Fill(int track, int frames, int16_t value, int64_t offset)
    {
        std::string path = scratch_.File("t" + std::to_string(++serial_) + ".raw");
        std::vector<int16_t> samples(static_cast<size_t>(frames), value);
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        std::fwrite(samples.data(), 2, samples.size(), f);
        std::fclose(f);
        ComRef<IMtClip> clip;
        ASSERT_EQ(S_OK, MakeRawClip(path, 1, 16, 44100, clip));
        ASSERT_EQ(S_OK, doc_->GetTrack(track)->InsertClip(clip.Get(), offset, 0, 0));
    }
    void Select(std::initializer_list<int> tracks, int64_t start, int64_t end)
    {
        CSelectionModel* sel = doc_->GetSelection();
        sel->SetTrackSelected(-1, FALSE);
        for (int t : tracks)
            ASSERT_EQ(S_OK, sel->SetTrackSelected(t, TRUE));
        ASSERT_EQ(S_OK, sel->SetSelection(start, end, TRUE));
    }
    std::vector<int> Samples(int track)
    {
        std::vector<int> out;
        IMtTrack* t = doc_->GetTrack(track);
        for (int64_t p = doc_->GetTrackExtent(track, -1), end = doc_->GetTrackExtent(track, 1); p < end; ++p) {
            LONG v = 0;
            t->ReadSample(0, p, &v);
            out.push_back(v);
        }
        return out;
    }
    // The level and pan values of a track at a few positions: what its own envelopes give.
    std::vector<float> EnvelopeValues(int track)
    {
        ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(doc_->GetTrack(track));
        std::vector<float> values;
        for (LONG kind : {0, 1})
            for (LONGLONG p : {0, 10, 40, 90}) {
                float v = -9.0f;
                set->GetValueAt(kind, p, &v);
                values.push_back(v);
            }
        return values;
    }
    // Two tracks of 100 frames of 10000; the second carries envelopes of its own.
    void TwoTracksWithEnvelopes()
    {
        NewDocument({1, 1});
        Fill(0, 100, 10000, 0);
        Fill(1, 100, 10000, 0);
        ASSERT_EQ(S_OK, doc_->GetTrackEditInterface(1, 0)->InsertPoint(40, 0.5f));
        ASSERT_EQ(S_OK, doc_->GetTrackEditInterface(1, 1)->InsertPoint(90, -0.75f));
        Select({0, 1}, 0, 0);
    }

    MessageHost messages_;
    std::vector<std::string> boxes_;
    kvtest::ScratchFolder scratch_;
    int serial_ = 0;
};

} // namespace

TEST_F(HandleEditTest, AnEmptySelectionSpansTheSelectedTracksFromTheEarlierStartToTheLaterEnd)
{
    struct Case {
        void (CNyMultiTrackDoc::*command)();
        int command_id, viewMode;
        float firstLevel;
    };
    for (const Case& c :
         {Case{&CNyMultiTrackDoc::OnFadeInOut, 2012, 1, 0.0f}, Case{&CNyMultiTrackDoc::OnEnvelope, 2013, 2, 1.0f}}) {
        NewDocument({1, 1, 1});
        Fill(0, 100, 1000, 50);
        Fill(1, 300, 1000, 200);
        Fill(2, 400, 1000, 0);
        Select({0, 1}, 0, 0);

        (doc_.get()->*c.command)();
        ASSERT_EQ(c.viewMode, view_->GetEditMode()) << c.command_id;
        EXPECT_EQ(c.command_id, doc_->GetEditMode());
        for (int t : {0, 1}) {
            const std::vector<HandlePoint>& h = doc_->GetHandleEditTrack(t)->Handles();
            ASSERT_EQ(2u, h.size()) << t;
            EXPECT_EQ(50, h[0].position);
            EXPECT_EQ(499, h[1].position);
            EXPECT_EQ(c.firstLevel, h[0].gain);
            EXPECT_EQ(1.0f, h[1].gain);
        }
        EXPECT_FALSE(doc_->HasEditHandles(2)) << "an unselected track takes no part";

        // The same command again leaves the mode and applies nothing.
        (doc_.get()->*c.command)();
        EXPECT_EQ(0, view_->GetEditMode());
        EXPECT_EQ(0, doc_->GetEditMode());
        EXPECT_EQ(nullptr, doc_->GetHandleEditTrack(0));
        EXPECT_EQ(0, UndoSteps(doc_.get()));
        EXPECT_EQ(std::vector<int>(100, 1000), Samples(0));
    }
}

TEST_F(HandleEditTest, ExecuteFadesTheSoundInOneUndoStepThatMarksTheDocumentModified)
{
    NewDocument({1, 1});
    Fill(0, 1000, 10000, 0);
    Fill(1, 1000, 10000, 0);
    Select({0, 1}, 0, 1000);
    doc_->SetModifiedFlag(FALSE);
    doc_->OnFadeInOut();
    ASSERT_TRUE(doc_->HasEditHandles(1));
    // A track left with one handle is not rendered.
    CFadeHandleEditor* one = doc_->GetHandleEditTrack(1);
    one->Reset(-1);
    one->SetHandles(500, 0.25f);

    ASSERT_EQ(S_OK, doc_->EndHandleEditMode(TRUE)) << messages_.texts.size();
    EXPECT_EQ(0, view_->GetEditMode());
    const std::vector<int> faded = Samples(0);
    ASSERT_EQ(1000u, faded.size());
    EXPECT_LT(std::abs(faded[0]), 100) << "the fade in starts near silence";
    EXPECT_NEAR(5000, faded[500], 300);
    EXPECT_NEAR(10000, faded[999], 30) << "and ends unchanged";
    EXPECT_EQ(std::vector<int>(1000, 10000), Samples(1));
    EXPECT_EQ(1, UndoSteps(doc_.get()));
    EXPECT_TRUE(doc_->IsModified()) << "new sound is a change to save";

    doc_->OnEditUndo();
    EXPECT_EQ(std::vector<int>(1000, 10000), Samples(0));
}

TEST_F(HandleEditTest, ExecuteWithNoTrackToRenderLeavesTheModeAndRecordsNothing)
{
    NewDocument({1});
    Fill(0, 100, 10000, 0);
    Select({0}, 10, 11); // a stretch of one sample: its two handles fall on one point
    doc_->OnFadeInOut();
    ASSERT_EQ(1, view_->GetEditMode());
    ASSERT_FALSE(doc_->HasEditHandles(0));

    EXPECT_EQ(S_OK, doc_->EndHandleEditMode(TRUE));
    EXPECT_EQ(0, view_->GetEditMode());
    EXPECT_EQ(0, UndoSteps(doc_.get()));
    EXPECT_EQ(std::vector<int>(100, 10000), Samples(0));
}

TEST_F(HandleEditTest, AFailedOrCancelledApplyPutsEveryTrackItsOwnEnvelopesBack)
{
    struct Case {
        HRESULT failure;
        int modeAfter;
        size_t shown;
    };
    for (const Case& c : {Case{kKvErrorCancelled, 1, 0}, Case{E_FAIL, 0, 1}}) {
        TwoTracksWithEnvelopes();
        const std::vector<float> own = EnvelopeValues(1);
        doc_->OnFadeInOut();
        const std::vector<HandlePoint> handles = doc_->GetHandleEditTrack(1)->Handles();
        SetHandleRenderFailure(c.failure);
        host_.shown.clear();
        messages_.shown.clear();

        EXPECT_EQ(c.failure, doc_->EndHandleEditMode(TRUE));
        EXPECT_EQ(c.modeAfter, view_->GetEditMode()) << std::hex << c.failure;
        EXPECT_EQ(c.shown, messages_.shown.size());
        EXPECT_EQ(own, EnvelopeValues(1));
        EXPECT_EQ(0, UndoSteps(doc_.get()));
        EXPECT_EQ(std::vector<int>(100, 10000), Samples(1));
        if (c.modeAfter) {
            ASSERT_NE(nullptr, doc_->GetHandleEditTrack(1));
            EXPECT_EQ(handles.size(), doc_->GetHandleEditTrack(1)->Handles().size()) << "the handles stay to edit";
            doc_->EndHandleEditMode(FALSE);
        }
        SetHandleRenderFailure(S_OK);
    }
}

// Audio is off: the preview cannot make its renderer (whatever code the platform gives for
// that), says so with the playback device's text and puts back exactly the envelopes it took.
TEST_F(HandleEditTest, APreviewThatCannotPlayShowsTheDeviceTextAndRestoresTheEnvelopes)
{
    IBaseFilter* probe = nullptr;
    HRESULT device = CreateAudioRendererFilter(&probe);
    if (probe)
        probe->Release();
    if (SUCCEEDED(device))
        GTEST_SKIP() << "this machine has a playback device";
    TwoTracksWithEnvelopes();
    const std::vector<float> own = EnvelopeValues(1);
    doc_->OnFadeInOut();

    doc_->StartFadePreview();
    ErrorText text(GetResourceModule());
    ASSERT_EQ(1u, messages_.texts.size());
    EXPECT_EQ(text.GetText(0x83E803EA), messages_.texts[0]) << std::hex << device;
    EXPECT_EQ(0u, messages_.texts[0].find("Could not open the specified playback device."))
        << std::hex << device << " " << messages_.texts[0];
    EXPECT_FALSE(doc_->IsPreviewPlaying());
    EXPECT_EQ(own, EnvelopeValues(1));
    ComRef<IMtSelection> marks = QueryCom<IMtSelection>(doc_->GetTrackSet());
    for (int t = 0; t < 2; ++t) {
        LONG marked = -1;
        marks->IsTrackMarked(t, &marked);
        EXPECT_EQ(doc_->GetSelection()->IsTrackSelectedAt(t) != 0, marked != 0) << t;
    }
    doc_->EndHandleEditMode(FALSE);
}

TEST_F(HandleEditTest, APreviewPlaysTheCurveAloneAndLeavingTheModeGivesTheEnvelopesBack)
{
    SetPreviewRendererFactory(MakeTestRenderer);
    TwoTracksWithEnvelopes();
    const std::vector<float> own = EnvelopeValues(1);
    doc_->OnFadeInOut();

    doc_->StartFadePreview();
    ASSERT_TRUE(doc_->IsPreviewPlaying()) << (messages_.texts.empty() ? "" : messages_.texts[0]);
    const std::vector<float> playing = EnvelopeValues(1);
    EXPECT_EQ(0.0f, playing[0]) << "the fade in's curve is the level";
    EXPECT_NEAR(90.0 / 99.0, playing[3], 0.01);
    EXPECT_EQ(0.0f, playing[7]) << "the pan is neutral";

    doc_->StopFadePreview();
    EXPECT_FALSE(doc_->IsPreviewPlaying());
    EXPECT_EQ(own, EnvelopeValues(1));

    // Leaving while the preview plays must not leave the curve in the track.
    doc_->StartFadePreview();
    ASSERT_TRUE(doc_->IsPreviewPlaying());
    doc_->OnFadeInOut();
    EXPECT_EQ(0, view_->GetEditMode());
    EXPECT_FALSE(doc_->IsPreviewPlaying());
    EXPECT_EQ(own, EnvelopeValues(1));
}

// The handles shape the selected stretch only: sound before and after it comes back as it was,
// whichever way the fade goes, and the track's own pan is not rendered into the new sound (the
// track keeps applying it).
TEST_F(HandleEditTest, SoundOutsideTheHandlesAndTheTracksOwnPanComeBackUnchanged)
{
    for (int direction : {1132, 1133}) {
        SCOPED_TRACE(direction);
        NewDocument({1});
        Fill(0, 3000, 10000, 0);
        ASSERT_EQ(S_OK, doc_->GetTrack(0)->SetPan(-1.0f));
        Select({0}, 1000, 2000);
        doc_->SetFadeMode(direction, 1135);
        doc_->OnFadeInOut();
        ASSERT_TRUE(doc_->HasEditHandles(0));
        ASSERT_EQ(S_OK, doc_->EndHandleEditMode(TRUE));
        const std::vector<int> faded = Samples(0);
        ASSERT_EQ(3000u, faded.size());
        EXPECT_EQ(10000, faded[0]);
        EXPECT_EQ(10000, faded[999]);
        EXPECT_EQ(10000, faded[2001]);
        EXPECT_EQ(10000, faded[2999]);
        EXPECT_LT(std::abs(faded[direction == 1132 ? 1000 : 1999]), 100) << "the silent end of the fade";
        float pan = 0;
        doc_->GetTrack(0)->GetPan(&pan);
        EXPECT_EQ(-1.0f, pan) << "the track keeps its pan";
    }
}
