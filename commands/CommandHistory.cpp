#include "CommandHistory.h"

#include "OperationEdge.h"

CommandHistory::CommandHistory(CommandDocument* owner)
    : m_undo(ComObject::Create<CommandStack>()), m_redo(ComObject::Create<CommandStack>()), m_owner(owner)
{
    if (!m_undo || !m_redo)
        throw std::bad_alloc();
}

CommandHistory::~CommandHistory() { Close(); }

void CommandHistory::Refresh()
{
    if (m_owner)
        m_owner->OnHistoryChanged();
}

HRESULT CommandHistory::PushUndo(IEditCommand* command, int64_t recordStart)
{
    return RunAtEdge([&] {
        if (m_recordStarts.size() == m_recordStarts.capacity()) // nothing may fail after the push
            m_recordStarts.reserve(m_recordStarts.size() * 2 + 16);
        HRESULT hr = m_undo->Push(command);
        if (SUCCEEDED(hr))
            m_recordStarts.push_back(recordStart);
        return hr;
    });
}

HRESULT CommandHistory::Clear()
{
    m_undo->Clear();
    m_redo->Clear();
    m_recordStarts.clear();
    m_modified = FALSE;
    return S_OK;
}

HRESULT CommandHistory::Do(IEditCommand* command, BOOL markModified)
{
    if (!command)
        return E_POINTER;
    HRESULT hr = command->Do();
    if (FAILED(hr))
        return hr;
    hr = Add(command, markModified);
    if (FAILED(hr))
        command->Undo(); // an edit that cannot be recorded is not kept
    return hr;
}

HRESULT CommandHistory::Add(IEditCommand* command, BOOL markModified)
{
    if (!command)
        return E_POINTER;
    // The record goes first: when it cannot be written, the stacks are left as they were.
    DWORD depth = m_journalDepth;
    int64_t start = kNoRecord;
    HRESULT hr = AppendRecord(command, &start);
    if (SUCCEEDED(hr)) {
        hr = PushUndo(command, start);
        if (FAILED(hr) && start != kNoRecord)
            CutJournal(start, depth);
    }
    if (SUCCEEDED(hr)) {
        m_redo->Clear();
        if (m_owner && markModified)
            m_owner->SetModifiedFlag(TRUE);
        hr = S_OK;
    }
    Refresh();
    return hr;
}

HRESULT CommandHistory::Undo()
{
    ComRef<IEditCommand> entry;
    if (m_undo->Pop(entry.Out()) != S_OK)
        return S_FALSE;
    int64_t start = m_recordStarts.back();
    m_recordStarts.pop_back();

    HRESULT hr = entry->Undo();
    if (FAILED(hr)) {
        // Dropped from the history; its record goes with it.
        if (start != kNoRecord)
            CutJournal(start, m_journalDepth);
        Refresh();
        return hr;
    }
    hr = m_redo->Push(entry.Get());
    if (start != kNoRecord) {
        HRESULT cut = CutJournal(start, m_journalDepth);
        if (SUCCEEDED(hr))
            hr = cut;
    }
    if (m_owner)
        m_owner->SetModifiedFlag(TRUE);
    Refresh();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CommandHistory::Redo()
{
    ComRef<IEditCommand> entry;
    if (m_redo->Pop(entry.Out()) != S_OK)
        return S_FALSE;

    HRESULT hr = entry->Redo();
    if (FAILED(hr)) {
        Refresh(); // dropped from the history
        return hr;
    }
    int64_t start = kNoRecord;
    HRESULT saved = AppendRecord(entry.Get(), &start);
    if (SUCCEEDED(saved))
        saved = PushUndo(entry.Get(), start);
    if (FAILED(saved)) {
        // Not recordable: take the edit back and leave it where it was.
        if (start != kNoRecord)
            CutJournal(start, m_journalDepth);
        if (SUCCEEDED(entry->Undo()))
            m_redo->Push(entry.Get());
        Refresh();
        return saved;
    }
    if (m_owner)
        m_owner->SetModifiedFlag(TRUE);
    Refresh();
    return m_journal ? saved : hr;
}

HRESULT CommandHistory::TakeLast(IEditCommand** command)
{
    ComRef<IEditCommand> entry;
    if (m_undo->Pop(entry.Out()) != S_OK)
        return S_FALSE;
    int64_t start = m_recordStarts.back();
    m_recordStarts.pop_back();
    HRESULT hr = start != kNoRecord ? CutJournal(start, m_journalDepth) : S_OK;
    if (FAILED(hr))
        PushUndo(entry.Get(), kNoRecord); // the journal was closed; the entry stays
    else if (command)
        *command = entry.Detach();
    Refresh();
    return hr;
}

HRESULT CommandHistory::GetUndoCursor(ICommandCursor** cursor)
{
    if (!cursor)
        return E_POINTER;
    *cursor = ComObject::Create<CommandStackCursor>(m_undo.Get());
    return *cursor ? S_OK : E_OUTOFMEMORY;
}

HRESULT CommandHistory::GetRedoCursor(ICommandCursor** cursor)
{
    if (!cursor)
        return E_POINTER;
    *cursor = ComObject::Create<CommandStackCursor>(m_redo.Get());
    return *cursor ? S_OK : E_OUTOFMEMORY;
}

HRESULT CommandHistory::SetModified(BOOL modified)
{
    m_modified = modified;
    return S_OK;
}

HRESULT CommandHistory::IsModified()
{
    if (m_modified)
        return S_OK;
    UINT count = 0;
    HRESULT hr = m_undo->GetCount(&count);
    if (FAILED(hr))
        return hr;
    return count ? S_OK : S_FALSE;
}
