// Edits of every type here recorded through the document's history and journal, replayed onto
// a document built the same way: the replayed document matches the edited one.
#include "TrackCommandFixture.h"

#include "ChangeMasterVolumeCommand.h"
#include "ChangeMixingParamCommand.h"
#include "ChangePropertyCommand.h"
#include "CopyTrackCommand.h"
#include "CrossfadeCommand.h"
#include "DeleteTrackCommand.h"
#include "FadeInOutCommand.h"
#include "MoveTrackCommand.h"
#include "OffsetTrackCommand.h"
#include "RemoveTrackCommand.h"
#include "ResampleCommand.h"
#include "SelectionGroupCommand.h"
#include "TrimCommand.h"

#include <functional>

using namespace kvtest;

namespace {

template <class T, class... A>
ComRef<IEditCommand> Make(A... args)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<T>(args...));
}

// A dialog's way: the group and one snapshot per track, the points written, then the history.
template <class Group, class Child>
ComRef<IEditCommand> Faded(CNyMultiTrackDoc* doc, std::initializer_list<int> tracks, float level)
{
    ComRef<IEditCommand> group = Make<Group>("Fade", static_cast<CommandDocument*>(doc));
    for (int t : tracks) {
        ComRef<IEditCommand> child = Make<Child>(nullptr, static_cast<CommandDocument*>(doc), t);
        doc->GetTrackEditInterface(t, 0)->InsertPoint(10 + t, level);
        doc->GetTrackEditInterface(t, 0)->InsertPoint(5000, 0.0f);
        QueryCom<ICommandList>(group.Get())->Add(child.Get());
    }
    return group;
}

} // namespace

TEST_F(TrackCommandTest, AJournalOfTheseEditsReplaysToTheSameDocument)
{
    const std::vector<WORD> channels{1, 2, 1, 1};
    const std::vector<int> frames{4000, 3000, 2000, 1000};
    CNyMultiTrackDoc* doc = Build(channels, frames);
    CommandDocument* d = doc;
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
    std::string path = files_.File("KVC1.tmp");
    ASSERT_EQ(journal->Open(path.c_str()), S_OK);
    WriteDocumentRecord(journal.Get());

    std::vector<std::function<ComRef<IEditCommand>()>> edits{
        [&] { return Make<ChangeMixingParamCommand>("Volume", d, 1, 0, 0.5f, 1.0f); },
        [&] { return Make<ChangeMixingParamCommand>("Pan", d, 2, 1, 0.25f, 0.0f); },
        [&] { return Make<OffsetTrackCommand>("Offset", d, 2, int64_t(3000)); },
        [&] { return Make<CopyTrackCommand>("Copy", d, 0, 3); },
        [&] { return Make<MoveTrackCommand>("Move", d, 1, 4); },
        [&] {
            return Faded<CrossfadesCommand, CrossfadeCommand>(doc, {0, 1}, 0.75f);
        },
        [&] { return Faded<FadeInOutsCommand, FadeInOutCommand>(doc, {2}, 0.5f); },
        [&] { return Make<ChangeMasterVolumeCommand>("Master Volume", d, 5000, 10000); },
        [&] {
            ChangePropertyCommand* change = ComObject<IEditCommand>::Create<ChangePropertyCommand>("Properties", d);
            change->newTracks[1].level = 2500;
            change->newTracks[2].startOffset = 123;
            std::strcpy(change->newTracks[0].label.name, "Lead");
            return ComRef<IEditCommand>(change);
        },
        [&] {
            Select(doc, {0, 2});
            doc->SetSelectionRange(150, 2900, FALSE);
            return Make<TrimCommand>("Trim", d);
        },
        [&] {
            Select(doc, {2});
            return Make<RemoveTrackCommand>("Remove", d);
        },
        [&] { return Make<DeleteTrackCommand>("Delete", d, 0); },
        [&] { return Make<ResampleCommand>("Sample Type", d, WORD(24), DWORD(22050)); },
        [&] { return Make<OffsetTrackCommand>("Offset", d, 0, int64_t(77)); },
    };
    for (size_t i = 0; i < edits.size(); ++i)
        ASSERT_EQ(doc->GetHistory()->Do(edits[i]().Get(), TRUE), S_OK) << "edit " << i;
    ASSERT_EQ(doc->GetHistory()->Undo(), S_OK) << "the last record is cut off again";
    std::string edited = Fingerprint(doc);
    ASSERT_EQ(journal->Close(), S_OK);
    Bytes bytes = ReadFileBytes(path);

    CNyMultiTrackDoc* replayed = Build(channels, frames);
    WriteFileBytes(path, bytes);
    ComRef<IJournalFile> again = QueryCom<IJournalFile>(replayed->GetHistory());
    ASSERT_EQ(again->Open(path.c_str()), S_OK);
    EXPECT_EQ(Fingerprint(replayed), edited);
    EXPECT_EQ(replayed->GetMasterVolume(), 5000);
    EXPECT_EQ(DescribeUndo(replayed->GetHistory()).size(), edits.size() - 1);

    ASSERT_EQ(again->Close(), S_OK);
    again.Reset();

    // Undoing everything replayed gives the document it started as.
    std::string start = Fingerprint(Build(channels, frames));
    replayed = Build(channels, frames);
    WriteFileBytes(path, bytes);
    again = QueryCom<IJournalFile>(replayed->GetHistory());
    ASSERT_EQ(again->Open(path.c_str()), S_OK);
    while (replayed->GetHistory()->Undo() == S_OK) {}
    EXPECT_EQ(Fingerprint(replayed), start);
    again->Close();
}
