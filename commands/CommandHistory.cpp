#include "CommandHistory.h"

#include "OperationEdge.h"

CommandHistory::CommandHistory(CommandDocument* owner)
    : m_undo(ComObject::Create<CommandStack>()), m_redo(ComObject::Create<CommandStack>()), m_owner(owner)
{
    if (!m_undo || !m_redo)
        throw std::bad_alloc();
}

CommandHistory::~CommandHistory()
{
    Close();
}

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
    bool kept = false;
    hr = Record(command, markModified, &kept);
    if (!kept)
        command->Undo(); // an edit that is not in the history is not kept either
    return hr;
}

HRESULT CommandHistory::Add(IEditCommand* command, BOOL markModified)
{
    if (!command)
        return E_POINTER;
    bool kept = false;
    return Record(command, markModified, &kept);
}

HRESULT CommandHistory::Record(IEditCommand* command, BOOL markModified, bool* kept)
{
    // The edit is in effect: once it is on the undo stack it stays there, whatever the journal does.
    HRESULT hr = PushUndo(command, kNoRecord);
    if (SUCCEEDED(hr)) {
        *kept = true;
        m_redo->Clear(); // the redo entries no longer match the content
        if (m_owner && markModified)
            m_owner->SetModifiedFlag(TRUE);
        hr = JournalNewest(command);
    }
    Refresh();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CommandHistory::JournalNewest(IEditCommand* command)
{
    int64_t start = kNoRecord;
    HRESULT hr = AppendRecord(command, &start);
    if (FAILED(hr)) {
        // The journal now lacks an edit of the stack, and a journal replayed without it would
        // apply later edits over content they do not match: it is given up.
        Close();
        return hr;
    }
    m_recordStarts.back() = start;
    return S_OK;
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
    HRESULT saved = PushUndo(entry.Get(), kNoRecord);
    if (FAILED(saved)) {
        // Not in the history: take the edit back and leave it where it was.
        if (SUCCEEDED(entry->Undo()))
            m_redo->Push(entry.Get());
        Refresh();
        return saved;
    }
    if (m_owner)
        m_owner->SetModifiedFlag(TRUE);
    const bool journalled = m_journal.Get() != nullptr;
    saved = JournalNewest(entry.Get());
    Refresh();
    return journalled ? saved : hr;
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
