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
    *command = m_entries[index];
    (*command)->AddRef();
    return S_OK;
}

HRESULT CommandStack::Pop(IEditCommand** command)
{
    if (m_entries.empty())
        return S_FALSE;
    IEditCommand* top = m_entries.back();
    m_entries.pop_back();
    if (command)
        *command = top;
    else
        top->Release();
    return S_OK;
}

HRESULT CommandStack::Push(IEditCommand* command)
{
    if (!command)
        return E_POINTER;
    try {
        m_entries.push_back(command);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    command->AddRef();
    return S_OK;
}

HRESULT CommandStack::RemoveAt(UINT index)
{
    if (index < m_entries.size()) {
        IEditCommand* entry = m_entries[index];
        m_entries.erase(m_entries.begin() + index);
        entry->Release();
    }
    return S_OK;
}

HRESULT CommandStack::Remove(IEditCommand* command)
{
    auto it = std::find(m_entries.begin(), m_entries.end(), command);
    if (it != m_entries.end()) {
        m_entries.erase(it);
        command->Release();
    }
    return S_OK;
}

HRESULT CommandStack::Clear()
{
    // Empty first: a destructor run by a release must not see half-released entries.
    std::vector<IEditCommand*> entries;
    entries.swap(m_entries);
    for (IEditCommand* entry : entries)
        entry->Release();
    return S_OK;
}

HRESULT CommandStack::GetCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<UINT>(m_entries.size());
    return S_OK;
}

CommandStackCursor::CommandStackCursor(CommandStack* stack) : m_stack(stack)
{
    m_stack->AddRef();
}

CommandStackCursor::~CommandStackCursor()
{
    m_stack->Release();
}

HRESULT CommandStackCursor::Next(IEditCommand** command)
{
    UINT count = 0;
    HRESULT hr = m_stack->GetCount(&count);
    if (FAILED(hr))
        return hr;
    if (count == 0 || m_position >= count)
        return S_FALSE;
    IEditCommand* entry = nullptr;
    hr = m_stack->GetAt(count - m_position - 1, &entry);
    if (FAILED(hr))
        return hr;
    ++m_position;
    if (!command) {
        entry->Release();
        return E_POINTER;
    }
    *command = entry;
    return S_OK;
}

HRESULT CommandStackCursor::Reset()
{
    m_position = 0;
    return S_OK;
}
