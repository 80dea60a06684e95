// Random sequences of every edit command type of clips, clipboard, files, recording,
// envelopes, marks and tracks, run through a real document's history: after each step undo
// gives back the document as it was before the command and redo as it was after; at the end
// the journal replayed into a fresh document of the same start gives the same document.
#include "ClipCommands.h"
#include "ClipboardCommands.h"
#include "CommandSupport.h"
#include "EditFixture.h"
#include "EnvelopeCommands.h"
#include "FileCommands.h"
#include "FwApp.h"
#include "JournalSupport.h"
#include "MarkCommands.h"
#include "TrackCommands.h"

#include <map>
#include <random>

using namespace kvtest;

namespace {

// Tracks and marks apart from the selection: undo of a command gives back the selection that
// command defines (an edited sample's position, an insert's span), not any earlier one.
bool SameContent(const Fingerprint& a, const Fingerprint& b)
{
    Fingerprint x = a, y = b;
    x.selectionStart = y.selectionStart = x.selectionEnd = y.selectionEnd = 0;
    return x == y;
}

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

    int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    int64_t Position(CNyMultiTrackDoc* doc) { return Pick(static_cast<int>(doc->GetLength() + 200)); }

    // A new command of a random type on the document, after arranging the selection it reads.
    ComRef<IEditCommand> Generate(CNyMultiTrackDoc* doc, std::string& type)
    {
        int tracks = doc->GetTrackCount();
        int track = Pick(tracks);
        int64_t a = Position(doc), b = Position(doc);
        int64_t start = std::min(a, b), end = std::max(a, b);
        doc->GetSelection()->SetSelection(start, end, TRUE);
        doc->SetTrackSelected(-1, FALSE);
        for (int t = 0; t < tracks; ++t)
            if (t == track || Pick(3) == 0)
                doc->SetTrackSelected(t, TRUE);
        IUnknown* item = items_[Pick(static_cast<int>(items_.size()))].Get();
        auto list = [&](int n) {
            std::vector<std::pair<ComRef<IUnknown>, LONG>> entries;
            for (int i = 0; i < n; ++i)
                entries.push_back({items_[Pick(4)], doc->GetTrackId(Pick(tracks))});
            return ListOf(entries);
        };
        LabelRecord label{};
        int labels = doc->GetLabels().GetSize();
        bool haveLabel = labels > 0 && doc->GetLabels().GetAt(Pick(labels), &label) && label.id > 0;
        switch (Pick(31)) {
        case 0: {
            type = "insertclip";
            ComRef<IMtClip> clip;
            doc->GetTrack(track)->CopyRange(clip.Out(), doc->GetTrackExtent(track, -1), 50 + Pick(200));
            return ComRef<IEditCommand>(
                NewCommand<InsertClipCommand>(nullptr, doc, track, start, end - start, clip.Get()));
        }
        case 1:
            type = "deleteclip";
            return ComRef<IEditCommand>(NewCommand<DeleteClipCommand>(nullptr, doc, track, start, end - start));
        case 2:
            type = "trimclip";
            return ComRef<IEditCommand>(NewCommand<TrimClipCommand>(nullptr, doc, track, start, end - start));
        case 3:
            type = "createclip";
            return ComRef<IEditCommand>(NewCommand<CreateClipCommand>(nullptr, doc, track, start, end - start, item));
        case 4:
            type = "mergeclip";
            return ComRef<IEditCommand>(
                NewCommand<MergeClipCommand>(nullptr, doc, track, start, end - start, item, Pick(2)));
        case 5:
            type = "editsample";
            return ComRef<IEditCommand>(NewCommand<EditSampleCommand>(nullptr, doc, track, WORD(0),
                                                                      doc->GetTrackExtent(track, -1) + Pick(50), 777));
        case 6:
            type = "cut";
            return ComRef<IEditCommand>(NewCommand<CutCommand>(doc));
        case 7:
            type = "delete";
            return ComRef<IEditCommand>(NewCommand<DeleteCommand>(doc));
        case 8: {
            type = "paste";
            ComRef<IEditCommand>(NewCommand<CopyCommand>(doc))->Do();
            doc->GetSelection()->SetSelection(start, start + Pick(100), TRUE);
            return ComRef<IEditCommand>(NewCommand<PasteCommand>(doc));
        }
        case 9:
            type = "drop";
            return ComRef<IEditCommand>(NewCommand<DropCommand>(doc, doc, Pick(tracks + 1), Position(doc)));
        case 10:
            type = "openfile";
            return ComRef<IEditCommand>(NewCommand<OpenFileCommand>(doc, track, start, end - start, item));
        case 11:
            type = "insertfile";
            return ComRef<IEditCommand>(NewCommand<InsertFileCommand>(doc, start, end - start, list(2).Get()));
        case 12:
            type = "importfile";
            return ComRef<IEditCommand>(NewCommand<ImportFileCommand>(doc, list(2).Get(), DWORD(Pick(2))));
        case 13:
            type = "recording";
            return ComRef<IEditCommand>(NewCommand<RecordingCommand>(doc, list(1 + Pick(2)).Get()));
        case 14:
            type = "insertenvelopepoint";
            return ComRef<IEditCommand>(
                NewCommand<InsertEnvelopePointCommand>(nullptr, doc, track, Pick(2), start, 0.01f * Pick(100)));
        case 15: {
            type = "deleteenvelopepoint";
            int64_t at = doc->GetTrackExtent(track, -1) + 10 * Pick(20);
            TrackEnvelope(doc, track, 0)->InsertPoint(at - doc->GetTrackExtent(track, -1), 0.3f);
            return ComRef<IEditCommand>(NewCommand<DeleteEnvelopePointCommand>(nullptr, doc, track, 0, at));
        }
        case 16:
            type = "moveenvelopepoint";
            return ComRef<IEditCommand>(NewCommand<MoveEnvelopePointCommand>(nullptr, doc, track, 1, start, end, 0.5f));
        case 17:
            type = "insertenveloperange";
            return ComRef<IEditCommand>(
                NewCommand<InsertEnvelopeRangeCommand>(nullptr, doc, track, start, end - start));
        case 18:
            type = "deleteenveloperange";
            return ComRef<IEditCommand>(
                NewCommand<DeleteEnvelopeRangeCommand>(nullptr, doc, track, start, end - start));
        case 19:
            type = "deleteclearenvelope";
            return ComRef<IEditCommand>(NewCommand<DeleteClearEnvelopeCommand>(nullptr, doc, track, Pick(2)));
        case 20:
            type = "addmark";
            return ComRef<IEditCommand>(
                NewCommand<AddMarkCommand>(nullptr, doc, track, start, Pick(2) ? end - start : 0, 0));
        case 21:
            type = "addmarks";
            return ComRef<IEditCommand>(NewCommand<AddMarksCommand>(nullptr, doc));
        case 22:
            type = "delmark";
            return ComRef<IEditCommand>(NewCommand<DelMarkCommand>(nullptr, doc, haveLabel ? label.id : 99));
        case 23:
            type = "modmark";
            label.start += 5;
            label.end += 5;
            return ComRef<IEditCommand>(NewCommand<ModMarkCommand>(nullptr, doc, label));
        case 24:
            type = "addloop";
            return ComRef<IEditCommand>(NewCommand<AddLoopCommand>(nullptr, doc, start, end - start));
        case 25: {
            type = "addmarkinfo";
            LabelRecord info{};
            info.kind = kLabelOther;
            info.trackId = -1;
            info.start = info.end = start;
            return ComRef<IEditCommand>(NewCommand<AddMarkInfoCommand>(nullptr, doc, info));
        }
        case 26:
            type = "mergefile";
            return ComRef<IEditCommand>(
                NewCommand<MergeFileCommand>(nullptr, doc, track, start, end - start, item, Pick(2)));
        case 27: {
            type = "effectfile";
            if (Pick(2))
                doc->GetSelection()->SetSelection(start, start, TRUE);
            return ComRef<IEditCommand>(NewCommand<EffectFileCommand>("Effect", doc, list(1).Get(), Pick(2)));
        }
        case 28:
            type = "inserttrack";
            return ComRef<IEditCommand>(
                NewCommand<InsertTrackCommand>(nullptr, doc, WORD(1 + Pick(2)), Pick(tracks + 1) - 1));
        case 29:
            type = "appendtrack";
            return ComRef<IEditCommand>(NewCommand<AppendTrackCommand>(nullptr, doc, WORD(1 + Pick(2))));
        default: {
            type = "trackproperty";
            // The levels of a detached copy: the document itself changes only through commands.
            ComRef<IMtTrack> copy;
            doc->GetTrack(track)->Duplicate(copy.Out());
            copy->SetVolume(0.01f * Pick(100));
            ComRef<TrackPropertyCommand> property(NewCommand<TrackPropertyCommand>(doc));
            property->InitFromSource(Pick(tracks), copy.Get());
            return ComRef<IEditCommand>::Share(property.Get());
        }
        }
    }

    HWND owner_ = nullptr;
    std::vector<ComRef<IUnknown>> items_;
    std::mt19937 rng_;
};

TEST_F(EditHistoryRandom, UndoRedoAndReplayGiveBackTheDocument)
{
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        rng_.seed(seed);
        CNyMultiTrackDoc* doc = NewDoc({1, 2, 1});
        Base(doc);
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
        std::string path = scratch_.File("journal" + std::to_string(seed) + ".kcm");
        ASSERT_EQ(S_OK, journal->Open(path.c_str()));
        WriteDocumentRecord(journal.Get());
        std::map<std::string, int> done;
        for (int step = 0; step < 60; ++step) {
            std::string type;
            ComRef<IEditCommand> command = Generate(doc, type);
            SCOPED_TRACE(std::to_string(step) + " " + type);
            Fingerprint before = Take(doc);
            HRESULT hr = doc->GetHistory()->Do(command.Get(), TRUE);
            if (FAILED(hr)) {
                ASSERT_TRUE(SameContent(before, Take(doc))) << std::hex << hr << "\n"
                                                            << Describe(before) << "\n"
                                                            << Describe(Take(doc));
                continue;
            }
            ++done[type];
            Fingerprint after = Take(doc);
            ASSERT_EQ(S_OK, doc->GetHistory()->Undo());
            ASSERT_TRUE(SameContent(before, Take(doc))) << Describe(before) << "\n" << Describe(Take(doc));
            ASSERT_EQ(S_OK, doc->GetHistory()->Redo());
            ASSERT_TRUE(SameContent(after, Take(doc))) << Describe(after) << "\n" << Describe(Take(doc));
        }
        EXPECT_GE(done.size(), 20u);
        Fingerprint last = Take(doc);
        journal->Close();
        std::string copy = scratch_.File("replay" + std::to_string(seed) + ".kcm");
        WriteFileBytes(copy, ReadFileBytes(path));

        CNyMultiTrackDoc* fresh = SecondDoc({1, 2, 1}, 44100);
        Base(fresh);
        ASSERT_EQ(S_OK, QueryCom<IJournalFile>(fresh->GetHistory())->Open(copy.c_str()));
        EXPECT_TRUE(SameContent(last, Take(fresh))) << Describe(last) << "\n" << Describe(Take(fresh));
    }
}

} // namespace
