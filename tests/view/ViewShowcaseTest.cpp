// Not run by the suite: document windows shown for a look or a screenshot under a virtual
// display: a sine in two tracks with a cue, a section, the loop and a selection; three tracks
// (one moved in time) with volume and pan envelope points, marks and a selection.
//   view_tests --gtest_also_run_disabled_tests --gtest_filter=*Showcase*   (KV_SHOW_SECONDS=8)
#include "ViewFixture.h"

#include "CommandInterfaces.h"
#include "EnvelopeEditor.h"
#include "KsMultiTrack.h"
#include "LabelTable.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

class ViewShowcase : public ViewTest {
protected:
    // A sine with a selection, in the fade (2012, sine curve) or envelope (2013) mode.
    void ShowHandleMode(int command)
    {
        ASSERT_TRUE(NewDocument());
        std::vector<int32_t> sine(44100 * 4);
        for (size_t i = 0; i < sine.size(); ++i)
            sine[i] = int32_t(20000 * std::sin(double(i) * 2 * 3.14159265 * 3 / 44100));
        FillTrack(0, sine, 16);
        view_->SetTimeZoom(64 * 256);
        view_->SetFirstVisibleSample(0);
        doc_->GetSelection()->SetRowRange(0, 0);
        doc_->GetSelection()->SetSelection(22050, 154350);
        view_->SendMessage(WM_COMMAND, command, 0);
        if (command == 2012)
            view_->SendMessage(WM_COMMAND, 1134, 0);
        Show();
    }
    void Show()
    {
        main_->ShowWindow(SW_SHOWMAXIMIZED);
        child_->ShowWindow(SW_SHOWMAXIMIZED);
        const char* seconds = std::getenv("KV_SHOW_SECONDS");
        const DWORD until = GetTickCount() + 1000u * (seconds ? DWORD(std::atoi(seconds)) : 8u);
        while (GetTickCount() < until) {
            Pump();
            Sleep(15);
        }
    }
};

TEST_F(ViewShowcase, DISABLED_MarkersAndSelection)
{
    ASSERT_TRUE(NewDocument());
    std::vector<int32_t> sine(44100 * 4);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = int32_t(20000 * std::sin(double(i) * 2 * 3.14159265 * 3 / 44100) * (1.0 - double(i) / sine.size()));
    FillTrack(0, sine, 16);
    view_->SetTimeZoom(64 * 256);
    view_->SetFirstVisibleSample(0);
    doc_->SetViewOption(1014, 1);
    AddMark(kLabelCue, 0, 22050, 22050, "Intro");
    AddMark(kLabelSection, 0, 44100, 88200, "Verse one");
    AddMark(kLabelCue, -1, 66150, 66150, "Downbeat");
    AddMark(kLabelLoop, -1, 110000, 140000, "LOOP");
    doc_->GetSelection()->SetRowRange(0, 0);
    doc_->GetSelection()->SetSelection(30000, 60000);
    Show();
}

TEST_F(ViewShowcase, DISABLED_FadeMode)
{
    ShowHandleMode(2012);
}

TEST_F(ViewShowcase, DISABLED_EnvelopeMode)
{
    ShowHandleMode(2013);
}

TEST_F(ViewShowcase, DISABLED_TrackAreaEditing)
{
    ASSERT_TRUE(NewDocument());
    doc_->AddTracks(2);
    doc_->AddTracks(1);
    view_->SetFirstVisibleRow(0);
    const int rate = 44100;
    for (int t = 0; t < 3; ++t) {
        std::vector<int32_t> sound(rate * 3);
        for (size_t i = 0; i < sound.size(); ++i) {
            double f = 2.0 + t * 1.5, swell = std::sin(3.14159265 * double(i) / double(sound.size()));
            sound[i] = int32_t((18000 - 4000 * t) * swell * std::sin(double(i) * 2 * 3.14159265 * f / rate) *
                               (0.6 + 0.4 * std::sin(double(i) * 0.0007)));
        }
        FillTrack(t, sound, 16, doc_->GetTrackChannels(t));
    }
    ASSERT_EQ(S_OK, doc_->GetTrack(2)->SetStartOffset(rate / 2));
    view_->SetTimeZoom(64 * 256);
    view_->SetAmplitudeZoom(2);
    view_->SetFirstVisibleSample(0);
    doc_->SetViewOption(1014, 1);
    doc_->SetViewOption(1023, 1);
    doc_->SetViewOption(1115, 1);
    auto points = [&](int track, int kind, std::initializer_list<std::pair<int64_t, float>> list) {
        CEnvelopeEditor editor;
        editor.Load(view_, track, kind, 0, rate * 4);
        for (auto p : list) {
            ComRef<IEditCommand> done;
            editor.InsertPoint(p.first, p.second, done.Out());
        }
    };
    points(0, 0, {{rate / 4, 0.2f}, {rate, 1.0f}, {rate * 2, 1.3f}, {rate * 5 / 2, 0.4f}});
    points(1, 1, {{rate / 2, -0.8f}, {rate * 3 / 2, 0.7f}, {rate * 5 / 2, 0.0f}});
    AddMark(kLabelCue, 0, rate / 2, rate / 2, "Intro");
    AddMark(kLabelSection, 1, rate, rate * 2, "Chorus");
    AddMark(kLabelCue, 2, rate * 2, rate * 2, "Hit");
    AddMark(kLabelCue, -1, rate * 3 / 2, rate * 3 / 2, "Downbeat");
    doc_->GetSelection()->SetRowRange(0, 2);
    doc_->GetSelection()->SetSelection(rate * 6 / 5, rate * 8 / 5);
    view_->UpdateScrollBars();
    Show();
}
