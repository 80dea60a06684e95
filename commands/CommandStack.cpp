#include "CommandStack.h"

#include <algorithm>
#include <new>

CommandStack::~CommandStack()
{
    Clear();
}

HRESULT CommandStack::GetAt(UINT index, IEditCommand** command)
{
    if (!command)
        return E_POINTER;
    if (index >= m_entries.size())
        return E_INVALIDARG;
    *command = ComRef<IEditCommand>(m_entries[index]).Detach();
    return S_OK;
}

HRESULT CommandStack::Pop(IEditCommand** command)
{
    if (m_entries.empty())
        return S_FALSE;
    ComRef<IEditCommand> top = std::move(m_entries.back());
    m_entries.pop_back();
    if (command)
        *command = top.Detach();
    return S_OK;
}

HRESULT CommandStack::Push(IEditCommand* command)
{
    if (!command)
        return E_POINTER;
    try {
        m_entries.push_back(ComRef<IEditCommand>::Share(command));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CommandStack::RemoveAt(UINT index)
{
    // Released once out of the stack: a destructor it runs may read the stack.
    if (index < m_entries.size()) {
        ComRef<IEditCommand> entry = std::move(m_entries[index]);
        m_entries.erase(m_entries.begin() + index);
    }
    return S_OK;
}

HRESULT CommandStack::Remove(IEditCommand* command)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [command](const ComRef<IEditCommand>& entry) { return entry.Get() == command; });
    if (it != m_entries.end()) {
        ComRef<IEditCommand> entry = std::move(*it);
        m_entries.erase(it);
    }
    return S_OK;
}

HRESULT CommandStack::Clear()
{
    // Empty first: a destructor run by a release must not see half-released entries.
    std::vector<ComRef<IEditCommand>> entries;
    entries.swap(m_entries);
    return S_OK;
}

HRESULT CommandStack::GetCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<UINT>(m_entries.size());
    return S_OK;
}

CommandStackCursor::CommandStackCursor(CommandStack* stack) : m_stack(ComRef<CommandStack>::Share(stack)) {}

HRESULT CommandStackCursor::Next(IEditCommand** command)
{
    UINT count = 0;
    HRESULT hr = m_stack->GetCount(&count);
    if (FAILED(hr))
        return hr;
    if (count == 0 || m_position >= count)
        return S_FALSE;
    ComRef<IEditCommand> entry;
    hr = m_stack->GetAt(count - m_position - 1, entry.Out());
    if (FAILED(hr))
        return hr;
    ++m_position;
    if (!command)
        return E_POINTER;
    *command = entry.Detach();
    return S_OK;
}

HRESULT CommandStackCursor::Reset()
{
    m_position = 0;
    return S_OK;
}
