#include "RemoveTrackCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

HRESULT RemoveTrackCommand::Do()
{
    return RunAtEdge([&] {
        int count = TrackCountOf(m_document);
        m_removed.clear();
        for (int i = 0; i < count; ++i)
            if (m_document->IsTrackSelectedAt(i))
                m_removed.emplace_back(i, TrackAt(m_document, i));
        return ThrowIfFailed(Redo());
    });
}

HRESULT RemoveTrackCommand::Redo()
{
    return RunAtEdge([&] {
        if (m_removed.empty())
            throw CKvSSException(kMtErrCancelled);
        IMtTrackSet* tracks = TrackSetOf(m_document);
        m_document->SetTrackSelected(-1, FALSE);
        HRESULT hr = S_OK;
        for (size_t i = 0; i < m_removed.size(); ++i) {
            hr = tracks->DetachTrack(m_removed[i].second.Get());
            if (FAILED(hr)) {
                // Back in ascending order, each at its old place: the document is as before.
                for (size_t j = 0; j < i; ++j)
                    tracks->AttachTrack(m_removed[j].second.Get(), m_removed[j].first);
                throw CKvSSException(hr);
            }
        }
        LONG remaining = 0;
        ThrowIfFailed(tracks->GetTrackCount(&remaining));
        if (remaining > 0) {
            unsigned first = static_cast<unsigned>(m_removed.front().first);
            unsigned last = static_cast<unsigned>(remaining - 1);
            m_document->SetTrackSelected(static_cast<int>(first < last ? first : last), TRUE);
        }
        return hr;
    });
}

HRESULT RemoveTrackCommand::Undo()
{
    return RunAtEdge([&] {
        if (m_removed.empty())
            throw CKvSSException(kMtErrCancelled);
        IMtTrackSet* tracks = TrackSetOf(m_document);
        m_document->SetTrackSelected(-1, FALSE);
        HRESULT hr = S_OK;
        for (auto& entry : m_removed) {
            hr = ThrowIfFailed(tracks->AttachTrack(entry.second.Get(), entry.first));
            m_document->SetTrackSelected(entry.first, TRUE);
        }
        return hr;
    });
}

void RemoveTrackCommand::PutList(uint8_t* first, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        PutField<int32_t>(first, 4 * i, m_removed[i].first);
}

void RemoveTrackCommand::GetList(const uint8_t* first, size_t count)
{
    std::vector<std::pair<int, ComRef<IMtTrack>>> removed;
    for (size_t i = 0; i < count; ++i) {
        int index = GetField<int32_t>(first, 4 * i);
        removed.emplace_back(index, TrackAt(m_document, index));
    }
    m_removed = std::move(removed);
}
