#include "RandomEdits.h"

#include "ClipCommands.h"
#include "ClipboardCommands.h"
#include "CommandSupport.h"
#include "DocumentPrint.h"
#include "EnvelopeCommands.h"
#include "FileCommands.h"
#include "KsMultiTrackLoader.h"
#include "LabelTable.h"
#include "MarkCommands.h"
#include "SelectionModel.h"
#include "TrackCommands.h"
#include "TrackEdits.h"

namespace kvtest {

namespace {

constexpr int kEditTypes = 31, kTrackTypes = 14;

ComRef<IMtItemList> ListOf(const std::vector<std::pair<ComRef<IUnknown>, LONG>>& items)
{
    ComRef<IMtItemList> list;
    EXPECT_EQ(S_OK, MtEngine::CreateItemList(list));
    for (const auto& entry : items)
        EXPECT_EQ(S_OK, list->AddItem(entry.first.Get(), entry.second));
    return list;
}

} // namespace

ComRef<IEditCommand> RandomEdits::Next(CNyMultiTrackDoc* doc, std::string& type)
{
    if (Pick(kEditTypes + kTrackTypes) < kEditTypes)
        return EditCommand(doc, type);
    return RandomTrackEdit(doc, m_random, &type);
}

ComRef<IEditCommand> RandomEdits::EditCommand(CNyMultiTrackDoc* doc, std::string& type)
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
    IUnknown* item = m_items[Pick(static_cast<int>(m_items.size()))].Get();
    auto list = [&](int n) {
        std::vector<std::pair<ComRef<IUnknown>, LONG>> entries;
        for (int i = 0; i < n; ++i)
            entries.push_back({m_items[Pick(static_cast<int>(m_items.size()))], doc->GetTrackId(Pick(tracks))});
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
        // A point the track's volume has (each history step changes the document only through
        // commands), else a place without one, which the command refuses.
        const int64_t offset = doc->GetTrackExtent(track, -1);
        int64_t at = offset + 10 * Pick(20);
        std::vector<int64_t> points;
        ComRef<IMtEnvelopePointEnum> e;
        MtEnvelopePointItem item{};
        int64_t position = 0;
        if (SUCCEEDED(TrackEnvelope(doc, track, 0)->EnumPoints(e.Out())))
            while (e->Next(&item) == S_OK)
                points.push_back(position += item.distance);
        if (!points.empty())
            at = offset + points[size_t(Pick(static_cast<int>(points.size())))];
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

RandomSession::RandomSession(CNyMultiTrackDoc* doc, RandomEdits& edits)
    : m_doc(doc), m_edits(edits), m_prints{ContentPrint(doc)}
{
}

::testing::AssertionResult RandomSession::Step(std::string* what)
{
    ICommandHistory* history = m_doc->GetHistory();
    const unsigned action = m_edits.Random()() % 4;
    if (action == 0 && m_depth > 0) {
        *what = "undo";
        if (history->Undo() != S_OK)
            return ::testing::AssertionFailure() << "undo refused";
        --m_depth;
        ++m_redoable;
    } else if (action == 1 && m_redoable > 0) {
        *what = "redo";
        if (history->Redo() != S_OK)
            return ::testing::AssertionFailure() << "redo refused";
        ++m_depth;
        --m_redoable;
    } else {
        std::string type;
        ComRef<IEditCommand> command = m_edits.Next(m_doc, type);
        if (!command) {
            *what = "none " + type;
            return ::testing::AssertionSuccess();
        }
        if (FAILED(history->Do(command.Get(), TRUE))) {
            // A refused edit leaves the document as it was.
            *what = "refused " + type;
        } else {
            *what = "do " + type;
            ++m_done[type];
            m_prints.resize(++m_depth);
            m_prints.push_back(ContentPrint(m_doc));
            m_redoable = 0;
            return ::testing::AssertionSuccess();
        }
    }
    const std::string now = ContentPrint(m_doc);
    if (now != m_prints[m_depth])
        return ::testing::AssertionFailure() << *what << " at depth " << m_depth << " gave\n"
                                             << now << "where it was\n"
                                             << m_prints[m_depth];
    return ::testing::AssertionSuccess();
}

} // namespace kvtest
