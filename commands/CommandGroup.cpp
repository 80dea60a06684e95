#include "CommandGroup.h"

#include "OperationEdge.h"
#include "StreamChunkFile.h"

#include <algorithm>

CommandGroup::~CommandGroup()
{
    Clear();
}

HRESULT CommandGroup::RunForward(Step step)
{
    for (size_t i = 0; i < m_children.size(); ++i) {
        HRESULT hr = step == Step::Do ? m_children[i]->Do() : m_children[i]->Redo();
        if (FAILED(hr)) {
            // The failing child may have done part of its work: undo it as well.
            for (size_t j = i + 1; j-- > 0;)
                m_children[j]->Undo();
            return hr;
        }
    }
    return S_OK;
}

HRESULT CommandGroup::Do()
{
    return RunForward(Step::Do);
}

HRESULT CommandGroup::Redo()
{
    return RunForward(Step::Redo);
}

HRESULT CommandGroup::Undo()
{
    for (size_t i = m_children.size(); i-- > 0;) {
        HRESULT hr = m_children[i]->Undo();
        if (FAILED(hr)) {
            for (size_t j = i + 1; j < m_children.size(); ++j)
                m_children[j]->Redo();
            return hr;
        }
    }
    return S_OK;
}

HRESULT CommandGroup::Load(IJournalFile* stream)
{
    return EditCommand::Load(stream);
}

HRESULT CommandGroup::Save(IJournalFile* stream)
{
    return RunAtEdge([&] {
        StreamChunkFile file(stream);
        ThrowIfFailed(file->CreateChunkById(kGroupChunkId, 0));
        HRESULT hr = EditCommand::Save(stream); // the group's own record
        for (size_t i = 0; i < m_children.size() && SUCCEEDED(hr); ++i) {
            ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(m_children[i].Get());
            hr = persist ? persist->Save(stream) : E_NOINTERFACE;
        }
        HRESULT closed = RunAtEdge([&] { return file->Ascend(); });
        return FAILED(hr) ? hr : closed;
    });
}

HRESULT CommandGroup::GetSizeMax(ULONG* size)
{
    if (!size)
        return E_POINTER;
    ULONG own = 0;
    HRESULT hr = GetSize(&own);
    if (FAILED(hr))
        return hr;
    ULONG total = own + kChunkHeaderSize;
    for (const ComRef<IEditCommand>& child : m_children) {
        ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(child.Get());
        if (!persist)
            return E_NOINTERFACE;
        ULONG childSize = 0;
        hr = persist->GetSizeMax(&childSize);
        if (FAILED(hr))
            return hr;
        total += childSize + kChunkHeaderSize;
    }
    *size = total;
    return S_OK;
}

HRESULT CommandGroup::Add(IEditCommand* command)
{
    if (!command)
        return E_POINTER;
    try {
        m_children.push_back(ComRef<IEditCommand>::Share(command));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CommandGroup::Clear()
{
    // Emptied first: a destructor run by a release must not see half-released children.
    std::vector<ComRef<IEditCommand>> children;
    children.swap(m_children);
    return S_OK;
}

HRESULT CommandGroup::RemoveAt(UINT index)
{
    if (index >= m_children.size())
        return E_INVALIDARG;
    // By position: a command listed twice loses the entry asked for, not its first one.
    ComRef<IEditCommand> child = std::move(m_children[index]);
    m_children.erase(m_children.begin() + index);
    return S_OK;
}

HRESULT CommandGroup::Remove(IEditCommand* command)
{
    auto it = std::find_if(m_children.begin(), m_children.end(),
                           [command](const ComRef<IEditCommand>& child) { return child.Get() == command; });
    if (it != m_children.end()) {
        ComRef<IEditCommand> child = std::move(*it);
        m_children.erase(it);
    }
    return S_OK;
}

HRESULT CommandGroup::GetAt(UINT index, IEditCommand** command)
{
    if (index >= m_children.size())
        return E_FAIL;
    if (!command)
        return E_POINTER;
    *command = ComRef<IEditCommand>(m_children[index]).Detach();
    return S_OK;
}

HRESULT CommandGroup::GetCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<UINT>(m_children.size());
    return S_OK;
}

HRESULT CommandGroup::QueryGroupObject(REFIID, void**)
{
    return E_NOTIMPL;
}
