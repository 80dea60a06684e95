// Saving a clip into the program's chunk file and loading it back (the record: ClipRecord.h).
#include "Clip.h"

#include "ChunkFile.h"
#include "ClipRecord.h"
#include "ComRef.h"
#include "KvSSException.h"

#include <cstring>

namespace {

constexpr InterfaceTag kClipChunk = MakeTag("KMTCLIP ");
static_assert(kClipPathLength == MAX_PATH, "stored paths are MAX_PATH characters");

StoredClipFormat ToRecord(const MtFormat& f)
{
    return StoredClipFormat{f.rate, f.bits, f.channels};
}
MtFormat FromRecord(const StoredClipFormat& r)
{
    MtFormat f;
    f.rate = r.samplesPerSec;
    f.bits = r.bitsPerSample;
    f.channels = r.channels;
    return f;
}

void WriteAll(IChunkFile* file, const void* data, size_t bytes)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (bytes > 0) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(bytes, 1u << 30));
        if (file->Write(p, n) != n)
            throw CKvSSException(E_FAIL);
        p += n;
        bytes -= n;
    }
}

// False when the file ends inside the clip.
bool ReadAll(IChunkFile* file, void* data, size_t bytes)
{
    uint8_t* p = static_cast<uint8_t*>(data);
    while (bytes > 0) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(bytes, 1u << 30));
        if (file->Read(p, n) != n)
            return false;
        p += n;
        bytes -= n;
    }
    return true;
}

// The chunk-file interface of a tagged object (one reference), thrown E_INVALIDARG otherwise.
IChunkFile* ChunkFileOf(ITaggedObject* object)
{
    IChunkFile* file = nullptr;
    if (!object || FAILED(object->QueryInterface(kTagChunkFile, reinterpret_cast<void**>(&file))) || !file)
        throw CKvSSException(E_INVALIDARG);
    return file;
}

void KeepAll(const std::vector<ItemDataPtr>& items)
{
    for (const ItemDataPtr& item : items)
        item->KeepFiles();
}

// A clip file that contradicts itself: sizes beyond what its chunk holds, lengths that do
// not add up, segments outside their data.
constexpr HRESULT kBadClipFile = kMtErrBadItemFile;

// Reads the chunk entered last, never past its end: every size the file states is checked
// against Left() before it is believed.
class ChunkReader : public ClipSource {
public:
    explicit ChunkReader(IChunkFile* file) : m_file(file)
    {
        const ChunkInfo* info = file->GetCurrentChunk();
        m_end = info->dataStart + info->size;
    }
    uint64_t Left() const override
    {
        uint64_t at = m_file->GetPosition();
        return at < m_end ? m_end - at : 0;
    }
    bool Read(void* data, size_t bytes) override { return bytes <= Left() && ReadAll(m_file, data, bytes); }

private:
    IChunkFile* m_file;
    uint64_t m_end = 0;
};

} // namespace

STDMETHODIMP CClip::Save(ITaggedObject* chunkFile, DWORD)
{
    try {
        ComRef<IChunkFile> ref(ChunkFileOf(chunkFile));
        IChunkFile* file = ref.Get();
        ThrowIfFailed(file->CreateChunkById(kClipChunk, 0));
        ClipHeader header{kClipVersion, ToRecord(Format()), m_formatSet ? 1u : 0u, m_start,
                          static_cast<uint32_t>(m_content->SegmentCount())};
        WriteAll(file, &header, sizeof(header));
        for (size_t i = 0; i < m_content->SegmentCount(); ++i) {
            const Segment& s = m_content->SegmentAt(i);
            SegmentHeader sh{s.offset, s.length, kClipSilence, StoredClipFormat{}};
            if (s.item) {
                sh.format = ToRecord(s.item->Format());
                sh.kind = s.item->Path().empty() ? kClipInline : kClipFileStretch;
            }
            if (sh.kind == kClipInline)
                sh.offset = 0;
            WriteAll(file, &sh, sizeof(sh));
            if (sh.kind == kClipFileStretch) {
                char paths[2][MAX_PATH] = {};
                strncpy(paths[0], s.item->Path().c_str(), MAX_PATH - 1);
                strncpy(paths[1], s.item->PeakPath().c_str(), MAX_PATH - 1);
                WriteAll(file, paths, sizeof(paths));
            } else if (sh.kind == kClipInline) {
                std::vector<uint8_t> scratch;
                WriteAll(file, s.item->Frames(s.offset, s.length, scratch),
                         static_cast<size_t>(s.length * s.item->FrameBytes()));
            }
        }
        ThrowIfFailed(file->Ascend());
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP CClip::Load(ITaggedObject* chunkFile)
{
    // Data files this load opened first: a failing load leaves them on disk rather than
    // deleting sound that a later attempt (or the user) may still need.
    std::vector<ItemDataPtr> openedHere;
    try {
        ComRef<IChunkFile> ref(ChunkFileOf(chunkFile));
        IChunkFile* file = ref.Get();
        if (file->GetChunkDepth() == 0)
            file->Seek(0, kSeekBegin);
        ThrowIfFailed(file->DescendById(kClipChunk, kChunkFindById));
        ChunkReader chunk(file);
        ClipHeader header;
        auto content = std::make_shared<Content>();
        const ClipFault fault = ReadClipRecord(chunk, &header, [&](StoredSegment& segment) {
            const SegmentHeader& sh = segment.header;
            ItemDataPtr data;
            if (sh.kind == kClipSilence) {
                content->Append(Segment{nullptr, 0, sh.length});
                return;
            }
            if (sh.kind == kClipFileStretch) {
                data = ItemData::OpenFile(segment.paths[0], segment.paths[1], segment.format, true);
                if (data.use_count() == 1)
                    openedHere.push_back(data);
            } else {
                data = ItemData::FromMemory(segment.format, std::move(segment.frames));
            }
            if (sh.offset > data->Frames() || sh.length > data->Frames() - sh.offset)
                throw CKvSSException(kMtErrBadItemFile);
            content->Append(Segment{data, sh.offset, sh.length});
        });
        if (fault == ClipFault::Format)
            throw CKvSSException(kMtErrFormatNotSupported);
        if (fault != ClipFault::None)
            throw CKvSSException(kBadClipFile);
        file->Ascend();
        m_content = content;
        m_start = header.start;
        m_format = FromRecord(header.format);
        m_formatSet = header.formatSet != 0;
        return S_OK;
    } catch (const CKvSSException& e) {
        KeepAll(openedHere);
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        KeepAll(openedHere);
        return E_OUTOFMEMORY;
    } catch (...) {
        KeepAll(openedHere);
        return E_FAIL;
    }
}
