// Not run by the suite: a document window with a sine in two tracks, a cue, a section, the loop
// and a selection, shown for a look or a screenshot under a virtual display.
//   view_tests --gtest_also_run_disabled_tests --gtest_filter=*Showcase*   (KV_SHOW_SECONDS=8)
#include "ViewFixture.h"

#include "LabelTable.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

class ViewShowcase : public ViewTest {
protected:
    void AddMark(int32_t kind, int track, int64_t start, int64_t end, const char* name)
    {
        LabelRecord r{};
        r.kind = kind;
        r.trackId = track < 0 ? -1 : doc_->GetTrackId(track);
        r.start = start;
        r.end = end;
        strncpy(r.name, name, sizeof r.name - 1);
        doc_->GetLabels().Add(r);
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
    ASSERT_TRUE(NewDocument());
    std::vector<int32_t> sine(44100 * 4);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = int32_t(20000 * std::sin(double(i) * 2 * 3.14159265 * 3 / 44100));
    FillTrack(0, sine, 16);
    view_->SetTimeZoom(64 * 256);
    view_->SetFirstVisibleSample(0);
    doc_->GetSelection()->SetRowRange(0, 0);
    doc_->GetSelection()->SetSelection(22050, 154350);
    view_->SendMessage(WM_COMMAND, 2012, 0);
    view_->SendMessage(WM_COMMAND, 1134, 0);
    Show();
}
