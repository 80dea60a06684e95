#include "RemoveTrackCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

namespace {
constexpr size_t kFixedPart = 264; // header, two zero bytes, the count
}

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

size_t RemoveTrackCommand::RecordSize() const
{
    return kFixedPart + 4 * (m_removed.empty() ? 1 : m_removed.size());
}

HRESULT RemoveTrackCommand::GetSize(ULONG* size)
{
    *size = static_cast<ULONG>(RecordSize());
    return S_OK;
}

HRESULT RemoveTrackCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        std::vector<uint8_t> block(RecordSize(), 0);
        FillHeader(block.data(), SizeWord(block.size()));
        PutField<uint32_t>(block.data(), 260, static_cast<uint32_t>(m_removed.size()));
        for (size_t i = 0; i < m_removed.size(); ++i)
            PutField<int32_t>(block.data(), kFixedPart + 4 * i, m_removed[i].first);
        return WriteRecord(stream, block.data(), block.size());
    });
}

HRESULT RemoveTrackCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        CommandDocument* document = JournalDocument(stream);
        uint8_t fixed[kFixedPart] = {};
        ThrowIfFailed(ReadRecord(stream, fixed, sizeof fixed));
        uint32_t n = GetField<uint32_t>(fixed, 260);
        if (n > 0x3FFFFFFFu)
            throw CKvSSException(kBadJournal);
        std::vector<uint8_t> indices(4 * static_cast<size_t>(n ? n : 1));
        ReadInsideChunk(stream, indices.data(), indices.size());
        std::vector<std::pair<int, ComRef<IMtTrack>>> removed;
        for (uint32_t i = 0; i < n; ++i) {
            int index = GetField<int32_t>(indices.data(), 4 * i);
            removed.emplace_back(index, TrackAt(document, index));
        }
        m_document = document;
        m_removed = std::move(removed);
        return S_OK;
    });
}
