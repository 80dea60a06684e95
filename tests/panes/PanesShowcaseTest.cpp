// Not run by the suite: shows both Controller skins and the Mixer on a document of three
// tracks, and the Marker List with 5,000 labels, for a look or a screenshot under a virtual
// display.
//   panes_tests --gtest_also_run_disabled_tests --gtest_filter=*Showcase*   (KV_SHOW_SECONDS=8)
#include "MarkerListDlg.h"
#include "MixerView.h"
#include "NyControlFrame.h"
#include "NyControlView.h"
#include "NyMixerCtrlFrame.h"
#include "PaneDocFixture.h"
#include "PaneSkin.h"
#include "SkinPaneWnd.h"

#include <cstdio>
#include <cstdlib>

namespace {

class PanesShowcase : public PaneDocTest {};

TEST_F(PanesShowcase, DISABLED_ControllersAndMixer)
{
    PaneSkin skin;
    ASSERT_TRUE(LoadSkinScrollBitmaps());
    NewDocumentAt(44100);
    AddTrack(Tone(44100, 1), 1, 0);
    AddTrack(Tone(44100, 2), 2, 0);
    AddTrack(Tone(44100, 1), 1, 22050);
    for (int i = 0; i < 5; ++i)
        AddTrack(Tone(4410, 1), 1, 0);
    doc_->SetTrackMute(1, TRUE);
    doc_->SetTrackRecord(2, TRUE);

    CNyControlFrame* compact = CreateControllerPane(nullptr);
    CNyControlFrame* big = CreateControllerPane(nullptr);
    ASSERT_TRUE(compact && big);
    DocumentTransportLink compactLink(doc_.get(), compact->GetControlView());
    DocumentTransportLink bigLink(doc_.get(), big->GetControlView());
    compact->GetControlView()->SetActiveView(&compactLink);
    big->GetControlView()->SetActiveView(&bigLink);
    big->ToggleCompact();
    big->GetControlView()->SetCounterPosition(44100 * 83 + 22050);
    compact->SetWindowPos(nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    big->SetWindowPos(nullptr, 20, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    CNyMixerCtrlFrame* mixer = CreateMixerPane(nullptr);
    ASSERT_TRUE(mixer);
    DocumentTransportLink mixerLink(doc_.get(), nullptr);
    mixer->GetMixerView()->SetController(compact->GetControlView());
    mixer->GetMixerView()->SetView(&mixerLink);
    mixer->SetWindowPos(nullptr, 480, 20, 640, 440, SWP_NOZORDER);
    for (CWnd* frame : {static_cast<CWnd*>(compact), static_cast<CWnd*>(big), static_cast<CWnd*>(mixer)})
        frame->ShowWindow(SW_SHOW);

    const char* seconds = std::getenv("KV_SHOW_SECONDS");
    const DWORD until = GetTickCount() + 1000u * (seconds ? DWORD(std::atoi(seconds)) : 8u);
    while (GetTickCount() < until)
        PumpMessages(15);
    compact->GetControlView()->SetActiveView(nullptr);
    big->GetControlView()->SetActiveView(nullptr);
    for (CWnd* frame : {static_cast<CWnd*>(compact), static_cast<CWnd*>(big), static_cast<CWnd*>(mixer)})
        frame->DestroyWindow();
    FreeSkinScrollBitmaps();
}

TEST_F(PanesShowcase, DISABLED_MarkerListOfManyLabels)
{
    PaneSkin skin;
    NewDocumentAt(44100);
    AddTrack(Tone(44100 * 60, 1), 1, 0);
    AddTrack(Tone(44100 * 60, 1), 1, 0);
    for (int i = 0; i < 5000; ++i) {
        LabelRecord record{};
        record.kind = i % 3 ? kLabelCue : kLabelSection;
        record.trackId = i % 4 ? -1 : doc_->GetTrackId(i % 2);
        record.start = int64_t(i) * 441;
        record.end = record.start + (record.kind == kLabelSection ? 22050 : 0);
        std::snprintf(record.name, sizeof record.name, "Marker %04d", (i * 7919) % 5000);
        doc_->AddLabel(record);
    }
    CMarkerListDlg* list = CreateMarkerListPane(nullptr);
    ASSERT_TRUE(list);
    DocumentTransportLink link(doc_.get(), nullptr);
    CWnd* frame = CWnd::FromHandle(::GetParent(list->m_hWnd));
    frame->SetWindowPos(nullptr, 40, 40, 560, 360, SWP_NOZORDER);
    frame->ShowWindow(SW_SHOW);
    list->SetView(&link);
    list->SelectItemClamped(3);
    const char* seconds = std::getenv("KV_SHOW_SECONDS");
    const DWORD until = GetTickCount() + 1000u * (seconds ? DWORD(std::atoi(seconds)) : 8u);
    while (GetTickCount() < until)
        PumpMessages(15);
    list->SetView(nullptr);
    frame->DestroyWindow();
}

} // namespace
