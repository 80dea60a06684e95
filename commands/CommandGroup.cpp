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
            ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(m_children[i]);
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
    for (IEditCommand* child : m_children) {
        ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(child);
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
        m_children.push_back(command);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    command->AddRef();
    return S_OK;
}

HRESULT CommandGroup::Clear()
{
    std::vector<IEditCommand*> children;
    children.swap(m_children);
    for (IEditCommand* child : children)
        child->Release();
    return S_OK;
}

HRESULT CommandGroup::RemoveAt(UINT index)
{
    if (index >= m_children.size())
        return E_INVALIDARG;
    // By position: a command listed twice loses the entry asked for, not its first one.
    IEditCommand* child = m_children[index];
    m_children.erase(m_children.begin() + index);
    child->Release();
    return S_OK;
}

HRESULT CommandGroup::Remove(IEditCommand* command)
{
    auto it = std::find(m_children.begin(), m_children.end(), command);
    if (it != m_children.end()) {
        m_children.erase(it);
        command->Release();
    }
    return S_OK;
}

HRESULT CommandGroup::GetAt(UINT index, IEditCommand** command)
{
    if (index >= m_children.size())
        return E_FAIL;
    if (!command)
        return E_POINTER;
    *command = m_children[index];
    (*command)->AddRef();
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
