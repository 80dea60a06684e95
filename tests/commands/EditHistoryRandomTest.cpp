// Random sequences of every journalled command type (clips, clipboard, files, recording,
// envelopes, marks, tracks, mixing, trims, fades) done, undone and redone at random depths
// through a real document's history: at each depth the whole document is as it was there; at
// the end the journal replayed into a fresh document of the same start gives the same document.
#include "ClipboardCommands.h"
#include "DocumentPrint.h"
#include "EditFixture.h"
#include "FwApp.h"
#include "JournalSupport.h"
#include "RandomEdits.h"

using namespace kvtest;

namespace {

class EditHistoryRandom : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSA wc{};
        // As the main frame: the program's clipboard contents destroyed, its copies go.
        wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_DESTROYCLIPBOARD)
                ReleasePendingCopies();
            return ::DefWindowProcA(window, message, wParam, lParam);
        };
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvEditRandomOwner";
        ::RegisterClassA(&wc);
        owner_ = ::CreateWindowA("KvEditRandomOwner", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
        SetClipboardOwnerWindow(owner_);
        AfxSetMessageBoxHook([](const char*, const char*, UINT) { return IDYES; });
        for (int i = 0; i < 4; ++i)
            items_.push_back(MakeItem("item" + std::to_string(i) + ".raw", 300 + 250 * i, WORD(1 + i % 2), 16, 44100));
    }
    void TearDown() override
    {
        AfxSetMessageBoxHook(nullptr);
        ReleasePendingCopies();
        SetClipboardOwnerWindow(nullptr);
        ::DestroyWindow(owner_);
        EditTest::TearDown();
        ::CoUninitialize();
    }

    // The same start for the run and its replay: three tracks with audio, one mark.
    void Base(CNyMultiTrackDoc* doc)
    {
        for (int t = 0; t < 3; ++t)
            PlaceItem(doc, t, 100 * t, items_[t].Get());
        LabelRecord cue{};
        cue.kind = kLabelCue;
        cue.trackId = doc->GetTrackId(0);
        cue.start = cue.end = 400;
        doc->GetLabels().Add(cue);
    }

    HWND owner_ = nullptr;
    std::vector<ComRef<IUnknown>> items_;
};

TEST_F(EditHistoryRandom, UndoRedoAtRandomDepthsAndReplayGiveBackTheDocument)
{
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        CNyMultiTrackDoc* doc = NewDoc({1, 2, 1});
        Base(doc);
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
        std::string path = scratch_.File("journal" + std::to_string(seed) + ".kcm");
        ASSERT_EQ(S_OK, journal->Open(path.c_str()));
        WriteDocumentRecord(journal.Get());
        RandomEdits edits(items_, seed);
        RandomSession session(doc, edits);
        for (int step = 0; step < 90; ++step) {
            std::string what;
            ASSERT_TRUE(session.Step(&what)) << "step " << step;
        }
        EXPECT_GE(session.Done().size(), 25u);
        const std::string last = ContentPrint(doc);
        const std::vector<std::string> stack = DescribeUndo(doc->GetHistory());
        journal->Close();
        std::string copy = scratch_.File("replay" + std::to_string(seed) + ".kcm");
        WriteFileBytes(copy, ReadFileBytes(path));

        CNyMultiTrackDoc* fresh = SecondDoc({1, 2, 1}, 44100);
        Base(fresh);
        ASSERT_EQ(S_OK, QueryCom<IJournalFile>(fresh->GetHistory())->Open(copy.c_str()));
        EXPECT_EQ(stack, DescribeUndo(fresh->GetHistory()));
        EXPECT_EQ(last, ContentPrint(fresh));
        QueryCom<IJournalFile>(fresh->GetHistory())->Close();
    }
}

} // namespace
