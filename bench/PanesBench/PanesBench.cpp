// Prints the time of the marker list's first fill (until its visible rows are drawn), of a
// refresh with every row present and of a CSV export, with 5,000 labels, beside the 50 ms a
// fill may take, and of one mixer meter tick with 16 track strips beside the 2 ms a tick may
// take (median of several runs, in milliseconds).
#include "DocumentTransportLink.h"
#include "BenchSupport.h"
#include "FontSet.h"
#include "MarkerListDlg.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyMixerCtrlFrame.h"
#include "PanesIds.h"
#include "SkinImage.h"
#include "SkinTables.h"
#include "TestSupport.h"

#include <cstdio>
#include <vector>

namespace {

} // namespace

int main()
{
    GdiplusSession gdiplus;
    InitSkinColors();
    FontSet fonts;
    fonts.CreateAll();
    CSkinImageTable skin;
    CString missing;
    if (!skin.LoadFrom(GetImagesFolder(), &missing))
        std::printf("skin images missing: %s\n", missing.GetString());

    auto* doc = new CNyMultiTrackDoc;
    doc->m_bAutoDelete = FALSE;
    auto* view = new CNyMultiTrackView;
    view->SetPaneSizes(800, 700, 400);
    doc->AddView(view);
    if (!doc->OnNewDocument()) {
        std::printf("no document\n");
        return 1;
    }
    doc->GetTrackSet()->SetFormat(16, 44100);
    for (int i = 1; i < 16; ++i) {
        ComRef<IMtTrack> track;
        doc->GetTrackSet()->InsertTrack(0, 1, track.Out(), -1);
    }
    for (int i = 0; i < 5000; ++i) {
        LabelRecord record{};
        record.kind = i % 3 ? kLabelCue : kLabelSection;
        record.trackId = i % 4 ? -1 : doc->GetTrackId(i % 16);
        record.start = int64_t(i) * 4410;
        record.end = record.start + (record.kind == kLabelSection ? 22050 : 0);
        std::snprintf(record.name, sizeof record.name, "Marker %d, take %d", (i * 7919) % 5000, i % 9);
        doc->AddLabel(record);
    }
    DocumentTransportLink link(doc, nullptr);

    CMarkerListDlg* list = CreateMarkerListPane(nullptr);
    ::ShowWindow(::GetParent(list->m_hWnd), SW_SHOWNOACTIVATE);
    // The fill alone, from an empty list each run (emptying it is not timed).
    list->SetView(nullptr);
    std::vector<double> fills;
    for (int i = 0; i < 5; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        list->SetView(&link);
        ::UpdateWindow(::GetDlgItem(list->m_hWnd, IDC_MARKER_LIST));
        QueryPerformanceCounter(&b);
        fills.push_back(Milliseconds(a, b));
        list->SetView(nullptr);
    }
    std::sort(fills.begin(), fills.end());
    std::printf("%-52s median %.3f ms   fastest %.3f ms   (5 runs; aim 50 ms)\n",
                "marker list: fill and first paint, 5,000 labels", fills[2], fills[0]);
    list->SetView(&link);
    Time("marker list: refresh with 5,000 rows present", 5, [&] { list->Refresh(); });
    kvtest::ScratchFolder folder;
    const std::string csv = folder.File("markers.csv");
    Time("marker list: CSV export of 5,000 rows", 5, [&] { list->ExportCsv(csv.c_str()); });

    CNyMixerCtrlFrame* mixer = CreateMixerPane(nullptr);
    mixer->SetWindowPos(nullptr, 0, 0, 1600, 440, SWP_NOZORDER);
    mixer->GetMixerView()->SetView(&link);
    mixer->ShowWindow(SW_SHOWNOACTIVATE);
    std::printf("mixer track strips: %d\n", mixer->GetMixerView()->GetTrackStripCount());
    CClientDC dc(mixer->GetMixerView()->m_hWnd);
    Time("mixer: one meter tick with 16 track strips", 200, [&] { mixer->GetMixerView()->DrawMeters(&dc); });

    list->SetView(nullptr);
    ::DestroyWindow(::GetParent(list->m_hWnd));
    mixer->DestroyWindow();
    skin.Free();
    return 0;
}
