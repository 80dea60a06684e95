#include "FileCommands.h"

#include "ClipCommands.h"
#include "CommandSupport.h"
#include "EnvelopeCommands.h"
#include "OperationEdge.h"

HRESULT QueryReceivingTrack(ICommandGroupAux* command, IMtTrack** track)
{
    return command->QueryGroupObject(__uuidof(IMtTrack), reinterpret_cast<void**>(track));
}

namespace {

// The last child's answer: the group-object query of the file commands that hold children.
HRESULT AskLastChild(CommandGroup* group, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != __uuidof(IMtTrack))
        return E_INVALIDARG;
    UINT count = 0;
    group->GetCount(&count);
    if (count == 0)
        return E_INVALIDARG;
    ComRef<IEditCommand> last;
    HRESULT hr = group->GetAt(count - 1, last.Out());
    if (FAILED(hr))
        return hr;
    ComRef<ICommandGroupAux> aux = QueryCom<ICommandGroupAux>(last.Get());
    return aux ? aux->QueryGroupObject(iid, object) : E_INVALIDARG;
}

} // namespace

HRESULT AskLastFileChild(CommandGroup* group, REFIID iid, void** object)
{
    return AskLastChild(group, iid, object);
}

OpenFileCommand::OpenFileCommand(CommandDocument* document, int trackIndex, int64_t position, int64_t length,
                                 IUnknown* item)
    : m_document(document), m_item(ComRef<IUnknown>::Share(item)), m_range{position, position + length},
      m_trackIndex(trackIndex)
{
}

HRESULT OpenFileCommand::Do()
{
    return RunGroupEdge(this, [&] {
        int64_t replaced = Magnitude(m_range.end, m_range.start);
        AddChild(this, NewCommand<CreateClipCommand>(nullptr, m_document, m_trackIndex, m_range.start, replaced,
                                                     m_item.Get()));
        if (m_document->GetTrackExtent(m_trackIndex, 0) > 0) {
            int64_t frames = ItemFramesOf(m_item.Get());
            int64_t trackStart = m_document->GetTrackExtent(m_trackIndex, -1);
            bool fromSpan = trackStart <= m_range.start;
            int64_t at = fromSpan ? m_range.start : trackStart;
            int64_t gap = fromSpan ? frames : frames + (trackStart - m_range.start);
            AddChild(this, NewCommand<InsertEnvelopeRangeCommand>(nullptr, m_document, m_trackIndex, at, gap));
            if (replaced != 0)
                AddChild(this, NewCommand<DeleteEnvelopeRangeCommand>(nullptr, m_document, m_trackIndex, at, replaced));
        }
        return ThrowIfFailed(CommandGroup::Do());
    });
}

HRESULT OpenFileCommand::QueryGroupObject(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != __uuidof(IMtTrack))
        return E_INVALIDARG;
    IMtTrackSet* set = m_document ? m_document->GetTrackSet() : nullptr;
    if (!set)
        return E_FAIL;
    return set->GetTrack(m_trackIndex, reinterpret_cast<IMtTrack**>(object));
}
