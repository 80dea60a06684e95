// Saving a clip into the program's chunk file and loading it back: one chunk "KMTCLIP "
// with the clip's format and start, then its segments: silence, a stretch of a data file
// (named by path and format), or the frames themselves for sound held in memory.
#include "Clip.h"

#include "ChunkFile.h"
#include "ComRef.h"
#include "KvSSException.h"

#include <cstring>

namespace {

constexpr InterfaceTag kClipChunk = MakeTag("KMTCLIP ");
constexpr uint32_t kVersion = 1;

enum : uint32_t { kSilence = 0, kFileStretch = 1, kInline = 2 };

#pragma pack(push, 1)
struct ClipHeader {
    uint32_t version;
    MtClipFormat format;
    uint32_t formatSet;
    int64_t start;
    uint32_t segments;
};
struct SegmentHeader {
    int64_t offset;
    int64_t length;
    uint32_t kind;
    MtClipFormat format;
};
#pragma pack(pop)

MtClipFormat ToRecord(const MtFormat& f)
{
    return MtClipFormat{f.rate, f.bits, f.channels};
}
MtFormat FromRecord(const MtClipFormat& r)
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

void ReadAll(IChunkFile* file, void* data, size_t bytes)
{
    uint8_t* p = static_cast<uint8_t*>(data);
    while (bytes > 0) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(bytes, 1u << 30));
        if (file->Read(p, n) != n)
            throw CKvSSException(kMtErrBadItemFile); // the file ends inside the clip
        p += n;
        bytes -= n;
    }
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
class ChunkReader {
public:
    explicit ChunkReader(IChunkFile* file) : m_file(file)
    {
        const ChunkInfo* info = file->GetCurrentChunk();
        m_end = info->dataStart + info->size;
    }
    uint64_t Left() const
    {
        uint64_t at = m_file->GetPosition();
        return at < m_end ? m_end - at : 0;
    }
    void Read(void* data, size_t bytes)
    {
        if (bytes > Left())
            throw CKvSSException(kBadClipFile);
        ReadAll(m_file, data, bytes);
    }

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
        ClipHeader header{kVersion, ToRecord(Format()), m_formatSet ? 1u : 0u, m_start,
                          static_cast<uint32_t>(m_content->SegmentCount())};
        WriteAll(file, &header, sizeof(header));
        for (size_t i = 0; i < m_content->SegmentCount(); ++i) {
            const Segment& s = m_content->SegmentAt(i);
            SegmentHeader sh{s.offset, s.length, kSilence, MtClipFormat{}};
            if (s.item) {
                sh.format = ToRecord(s.item->Format());
                sh.kind = s.item->Path().empty() ? kInline : kFileStretch;
            }
            if (sh.kind == kInline)
                sh.offset = 0;
            WriteAll(file, &sh, sizeof(sh));
            if (sh.kind == kFileStretch) {
                char paths[2][MAX_PATH] = {};
                strncpy(paths[0], s.item->Path().c_str(), MAX_PATH - 1);
                strncpy(paths[1], s.item->PeakPath().c_str(), MAX_PATH - 1);
                WriteAll(file, paths, sizeof(paths));
            } else if (sh.kind == kInline) {
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
        chunk.Read(&header, sizeof(header));
        if (header.version != kVersion)
            throw CKvSSException(kMtErrFormatNotSupported);
        if (!IsUsableClipFormat(header.format))
            throw CKvSSException(kMtErrFormatNotSupported);
        // Every segment takes at least its header: a count the chunk cannot hold is refused
        // before anything is read for it.
        if (header.segments > chunk.Left() / sizeof(SegmentHeader))
            throw CKvSSException(kBadClipFile);
        auto content = std::make_shared<Content>();
        LONGLONG total = 0;
        for (uint32_t i = 0; i < header.segments; ++i) {
            SegmentHeader sh;
            chunk.Read(&sh, sizeof(sh));
            if (sh.length < 0 || sh.offset < 0 || __builtin_add_overflow(total, sh.length, &total))
                throw CKvSSException(kBadClipFile);
            if (sh.kind == kSilence) {
                content->Append(Segment{nullptr, 0, sh.length});
                continue;
            }
            if (!IsUsableClipFormat(sh.format))
                throw CKvSSException(kMtErrFormatNotSupported);
            MtFormat f = FromRecord(sh.format);
            ItemDataPtr data;
            if (sh.kind == kFileStretch) {
                char paths[2][MAX_PATH];
                chunk.Read(paths, sizeof(paths));
                paths[0][MAX_PATH - 1] = paths[1][MAX_PATH - 1] = '\0';
                data = ItemData::OpenFile(paths[0], paths[1], f, true);
                if (data.use_count() == 1)
                    openedHere.push_back(data);
            } else if (sh.kind == kInline) {
                // The frames must be in the chunk before any memory is taken for them.
                const uint64_t frameBytes = static_cast<uint64_t>(::FrameBytes(f));
                if (static_cast<uint64_t>(sh.length) > chunk.Left() / frameBytes)
                    throw CKvSSException(kBadClipFile);
                std::vector<uint8_t> bytes(static_cast<size_t>(static_cast<uint64_t>(sh.length) * frameBytes));
                chunk.Read(bytes.data(), bytes.size());
                data = ItemData::FromMemory(f, std::move(bytes));
            } else {
                throw CKvSSException(kBadClipFile);
            }
            if (sh.offset > data->Frames() || sh.length > data->Frames() - sh.offset)
                throw CKvSSException(kMtErrBadItemFile);
            content->Append(Segment{data, sh.offset, sh.length});
        }
        // The clip's end on the time line must be a position too.
        LONGLONG end = 0;
        if (__builtin_add_overflow(header.start, total, &end))
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
