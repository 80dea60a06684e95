// Channel commands' checks, the track edits of the view's drags (move, copy, delete), the
// mono/stereo switch of an empty track and the test whether a save needs a mixdown.
#include "MultiTrackDoc.h"

#include "CopyTrackCommand.h"
#include "DeleteTrackCommand.h"
#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "DocMixdown.h"
#include "MarkCommands.h"
#include "MixdownCheck.h"
#include "MoveTrackCommand.h"
#include "TransactionCommand.h"
#include "ViewGeometry.h"

using namespace doccmd;

namespace {

constexpr int kChannelLimit = 6;

// The values of an envelope kind the mix uses: its points while automation is read and it
// has some, else its constant value.
bool ReadEnvelopeValues(IMtTrack* track, LONG kind, bool automation, std::vector<float>* values)
{
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(track);
    float constant = 0.0f;
    if (!set || FAILED(set->GetValue(kind, &constant)))
        return false;
    values->assign(1, constant);
    if (!automation)
        return true;
    ComRef<IMtEnvelope> envelope;
    LONG count = 0;
    if (FAILED(set->GetEnvelope(kind, envelope.Out())) || !envelope || FAILED(envelope->GetCount(&count)))
        return false;
    if (count == 0)
        return true;
    ComRef<IMtEnvelopePointEnum> points;
    if (FAILED(envelope->EnumPoints(points.Out())) || !points)
        return false;
    values->clear();
    points->Reset();
    MtEnvelopePointItem point{};
    while (points->Next(&point) == S_OK)
        values->push_back(point.value);
    return true;
}

} // namespace

BOOL CNyMultiTrackDoc::CheckChannelCommand(int id)
{
    int target = -1;
    for (int i = 0, n = GetTrackCount(); i < n; ++i) {
        if (!m_selection->IsTrackSelectedAt(i))
            continue;
        if (target >= 0) {
            AfxMessageBox(LoadResourceText(IDS_SEVERAL_TRACKS).c_str(), MB_OK);
            return FALSE;
        }
        target = i;
    }
    if (target < 0)
        target = 0;
    if (!CheckWholeTracksWarn(IDS_CMD_EFFECT))
        return FALSE;
    const int channels = GetTrackChannels(target);
    if (id == 1122) {
        if (channels != 1) {
            AfxMessageBox(LoadResourceText(IDS_CHANNELS_MISMATCH).c_str(), MB_OK);
            return FALSE;
        }
        ViewGeometry* view = GetMultiTrackView();
        int rows = view ? view->GetRowCount() : static_cast<int>(GetTotalChannels());
        if (rows + 1 > kChannelLimit) {
            AfxMessageBox(FormatText(IDS_CHANNEL_LIMIT, kChannelLimit).c_str(), MB_OK);
            return FALSE;
        }
    } else if ((id == 1123 || id == 1124) && channels != 2) {
        AfxMessageBox(LoadResourceText(IDS_CHANNELS_MISMATCH).c_str(), MB_OK);
        return FALSE;
    }
    return TRUE;
}

namespace {

// Move and Copy report failure only by their answer.
template <class Command>
BOOL RunTrackDrag(CNyMultiTrackDoc* document, UINT nameId, int from, int to)
{
    ICommandHistory* history = document->GetHistory();
    if (!history)
        return FALSE;
    ComRef<IEditCommand> command = MakeCommand<Command>(LoadResourceText(nameId).c_str(), document, from, to);
    if (!command || FAILED(history->Do(command.Get(), TRUE)))
        return FALSE;
    document->SyncModifiedWithHistory();
    return TRUE;
}

} // namespace

BOOL CNyMultiTrackDoc::MoveTrack(int from, int to)
{
    return RunTrackDrag<MoveTrackCommand>(this, IDS_CMD_MOVE_TRACK, from, to);
}

BOOL CNyMultiTrackDoc::CopyTrack(int from, int to)
{
    return RunTrackDrag<CopyTrackCommand>(this, IDS_CMD_COPY_TRACK, from, to);
}

BOOL CNyMultiTrackDoc::DeleteTrack(int index)
{
    if (!m_history)
        return FALSE;
    ComRef<IEditCommand> transaction = MakeCommand<TransactionCommand>(LoadResourceText(IDS_CMD_DELETE_TRACK).c_str());
    if (!transaction)
        throw CKvSSException(E_OUTOFMEMORY);
    Append(transaction.Get(), MakeCommand<DeleteTrackCommand>(nullptr, this, index).Get());
    std::vector<LabelRecord> labels;
    m_labels.FindInRange(index, labels, -1, -1, -1);
    for (const LabelRecord& label : labels)
        Append(transaction.Get(), MakeCommand<DelMarkCommand>(nullptr, this, label.id).Get());
    ThrowIfFailed(m_history->Do(transaction.Get(), TRUE));
    SyncModifiedWithHistory();
    return TRUE;
}

BOOL CNyMultiTrackDoc::NeedsNewerFormat(int fileType)
{
    MixLevels levels;
    levels.multichannel = m_settings.documentType == 1;
    if (!m_engine)
        return FALSE;
    m_engine->GetMasterVolume(&levels.master);
    LONG automation = 0;
    m_engine->GetReadAutomation(&automation);
    for (int i = 0, n = GetTrackCount(); i < n; ++i) {
        MixTrackLevels t;
        IMtTrack* track = GetTrack(i);
        t.readable = track && SUCCEEDED(track->GetVolume(&t.volume)) && SUCCEEDED(track->GetPan(&t.pan)) &&
                     ReadEnvelopeValues(track, kMtEnvLevel, automation != 0, &t.levelValues) &&
                     ReadEnvelopeValues(track, kMtEnvPan, automation != 0, &t.panValues);
        t.channels = GetTrackChannels(i);
        levels.tracks.push_back(t);
    }
    return NeedsMixdown(levels, fileType) ? TRUE : FALSE;
}

BOOL CNyMultiTrackDoc::IsTrackStereo(int index)
{
    IMtTrack* track = GetTrack(index);
    WORD channels = 0;
    return track && SUCCEEDED(track->GetChannels(&channels)) && channels > 1;
}

void CNyMultiTrackDoc::SetTrackStereo(int index, BOOL stereo)
{
    if (IsTransportBusy() || GetTrackExtent(index, 0) != 0 || GetTrackChannels(index) > 2 || !m_history)
        return;
    const WORD channels = stereo ? 2 : 1;
    if (GetTrackChannels(index) == channels)
        return;
    std::vector<int> selected;
    for (int i = 0, n = GetTrackCount(); i < n; ++i)
        if (m_selection->IsTrackSelectedAt(i))
            selected.push_back(i);
    // Recorded as a replacement of the track, so that a replayed journal follows the document.
    ComRef<IEditCommand> transaction = MakeCommand<TransactionCommand>(LoadResourceText(IDS_CMD_PROPERTIES).c_str());
    try {
        if (!transaction)
            throw CKvSSException(E_OUTOFMEMORY);
        ReplaceTrackCarrying(this, transaction.Get(), index, channels, nullptr);
        ThrowIfFailed(m_history->Add(transaction.Get(), TRUE));
    } catch (const CKvSSException& e) {
        TakeBackUnlessRecorded(m_history.Get(), transaction.Get());
        ShowError(e.m_hr);
    }
    SyncModifiedWithHistory();
    m_selection->SetTrackSelected(-1, FALSE);
    for (int i : selected)
        m_selection->SetTrackSelected(i, TRUE);
    RefreshController();
}
