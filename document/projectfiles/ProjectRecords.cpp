#include "ProjectRecords.h"

#include "ProjectFileIds.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Reads a header's fields in order; a field the bytes do not hold ends the read.
class FieldCursor {
public:
    FieldCursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Take(void* field, size_t bytes)
    {
        if (bytes > m_size - m_at)
            return false;
        std::memcpy(field, m_data + m_at, bytes);
        m_at += bytes;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

template <class Record>
void CopyShort(const uint8_t* data, size_t size, Record* record)
{
    if (size)
        std::memcpy(record, data, std::min(size, sizeof(Record)));
}

// The count word of a counted chunk and the records after it, refused with errorId when the
// count names more than the bytes hold.
template <class Record>
int DecodeCounted(const uint8_t* data, size_t size, int errorId, std::vector<Record>* records)
{
    uint32_t count = 0;
    if (size < 4)
        return errorId;
    std::memcpy(&count, data, 4);
    if (uint64_t(count) * sizeof(Record) > size - 4)
        return errorId;
    records->resize(count);
    if (count)
        std::memcpy(records->data(), data + 4, size_t(count) * sizeof(Record));
    return kRecordSound;
}

template <class Record>
std::vector<uint8_t> EncodeCounted(const std::vector<Record>& records)
{
    std::vector<uint8_t> bytes(4 + records.size() * sizeof(Record));
    const uint32_t count = uint32_t(records.size());
    std::memcpy(bytes.data(), &count, 4);
    if (!records.empty())
        std::memcpy(bytes.data() + 4, records.data(), records.size() * sizeof(Record));
    return bytes;
}

} // namespace

int TrackChunkNumber(InterfaceTag id)
{
    char text[9] = {};
    for (int i = 0; i < 8; ++i)
        text[i] = char((id >> (8 * i)) & 0xFF);
    int number = -1;
    if (std::sscanf(text, "TRK%d", &number) != 1 || number < 0)
        return -1;
    return number;
}

std::string DecodeCreator(const uint8_t* data, size_t size)
{
    if (size == 0)
        return std::string();
    const char* text = reinterpret_cast<const char*>(data);
    return std::string(text, strnlen(text, std::min<size_t>(size, 127)));
}

int DecodeTrackInfo2(const uint8_t* data, size_t size, TrackInfo2* info)
{
    std::memset(info, 0, sizeof(*info));
    CopyShort(data, size, info);
    if (info->channels != 1 || info->length < 0)
        return IDS_PF_CREATED_IN;
    return kRecordSound;
}

int DecodeTrackInfo4(const uint8_t* data, size_t size, TrackInfo4* info)
{
    std::memset(info, 0, sizeof(*info));
    info->speakerMask = 0x3F;
    CopyShort(data, size, info);
    // Tracks of every width a multichannel document holds.
    if (info->channels < 1 || info->channels > 6)
        return IDS_PF_CREATED_IN;
    if (info->length < 0)
        return IDS_PF_LOAD_FAILED;
    return kRecordSound;
}

uint64_t CountedChunkBytes(uint32_t count, uint64_t chunkSize, size_t recordSize)
{
    const uint64_t whole = 4 + uint64_t(count) * recordSize;
    return std::min<uint64_t>(whole <= chunkSize ? whole : 4, chunkSize);
}

std::vector<uint8_t> ReadCountedChunk(uint64_t chunkSize, size_t recordSize,
                                      const std::function<size_t(void*, size_t)>& read)
{
    std::vector<uint8_t> bytes(size_t(std::min<uint64_t>(chunkSize, 4)));
    bytes.resize(read(bytes.data(), bytes.size()));
    if (bytes.size() < 4)
        return bytes;
    uint32_t count = 0;
    std::memcpy(&count, bytes.data(), 4);
    bytes.resize(size_t(CountedChunkBytes(count, chunkSize, recordSize)));
    if (bytes.size() > 4)
        bytes.resize(4 + read(bytes.data() + 4, bytes.size() - 4));
    return bytes;
}

int DecodeEnvelope(const uint8_t* data, size_t size, std::vector<StoredEnvelopePoint>* points)
{
    return DecodeCounted(data, size, IDS_PF_LOAD_FAILED, points);
}

std::vector<uint8_t> EncodeEnvelope(const std::vector<StoredEnvelopePoint>& points)
{
    return EncodeCounted(points);
}

int DecodeLabels(const uint8_t* data, size_t size, std::vector<LabelRecord>* records)
{
    return DecodeCounted(data, size, IDS_PF_MARKERS_FAILED, records);
}

std::vector<uint8_t> EncodeLabels(const std::vector<LabelRecord>& records)
{
    return EncodeCounted(records);
}

int DecodeLabelRecords(const uint8_t* data, size_t size, uint32_t count, std::vector<LabelRecord>* records)
{
    if (uint64_t(count) * sizeof(LabelRecord) > size)
        return IDS_PF_MARKERS_FAILED;
    records->resize(count);
    if (count)
        std::memcpy(records->data(), data, size_t(count) * sizeof(LabelRecord));
    return kRecordSound;
}

int DecodeFlatHeader(const uint8_t* data, size_t size, FlatHeader* header)
{
    std::memset(header, 0, sizeof(*header));
    FieldCursor in(data, size);
    if (!in.Take(header->signature, 16))
        return IDS_PF_LOAD_FAILED;
    for (char c : header->signature)
        if (c == 0)
            return IDS_PF_DIFFERENT_FORMAT;
    uint32_t version = 0;
    if (!in.Take(&version, 4))
        return IDS_PF_LOAD_FAILED;
    if (version != kFlatVersion)
        return IDS_PF_DIFFERENT_VERSION;
    if (!in.Take(&header->block, sizeof(header->block)))
        return IDS_PF_LOAD_FAILED;
    header->oldest = std::memcmp(header->signature + 9, kFlatSuffixOld1, 7) == 0;
    if (header->oldest) {
        header->block.size -= 8;
        uint8_t skipped[8];
        if (!in.Take(skipped, 8))
            return IDS_PF_LOAD_FAILED;
    }
    if (header->block.size != kFlatBlockSize)
        return IDS_PF_DIFFERENT_VERSION;
    if (!in.Take(&header->rate, 4) || !in.Take(&header->bits, 4) ||
        (!header->oldest && !in.Take(&header->length, 8)) || !in.Take(header->videoPath, sizeof(header->videoPath)))
        return IDS_PF_LOAD_FAILED;
    header->videoPath[sizeof(header->videoPath) - 1] = 0;
    if (!in.Take(&header->markerCount, 4) || !in.Take(&header->markerOffset, 8) || !in.Take(&header->trackCount, 4))
        return IDS_PF_LOAD_FAILED;
    return kRecordSound;
}

int CheckFlatTrackCount(uint32_t count, uint64_t fileSize)
{
    if (count > uint32_t(kMaxStoredTracks))
        return kRecordTooMany;
    if (uint64_t(count) * (8 + sizeof(FlatTrackHeader)) > fileSize)
        return IDS_PF_LOAD_FAILED;
    return kRecordSound;
}

int DecodeFlatOffsets(const uint8_t* data, size_t size, uint32_t count, std::vector<int64_t>* offsets)
{
    if (uint64_t(count) * 8 > size)
        return IDS_PF_OFFSETS_FAILED;
    offsets->assign(count, 0);
    if (count)
        std::memcpy(offsets->data(), data, size_t(count) * 8);
    return kRecordSound;
}

int DecodeFlatTrackHeader(const uint8_t* data, size_t size, int64_t offset, uint64_t fileSize, uint32_t bits,
                          FlatTrackHeader* header, uint64_t* sampleBytes)
{
    std::memset(header, 0, sizeof(*header));
    *sampleBytes = 0;
    if (offset < 0)
        return IDS_PF_SEEK_FAILED;
    if (size < sizeof(*header))
        return IDS_PF_LOAD_FAILED;
    std::memcpy(header, data, sizeof(*header));
    if (header->size != sizeof(*header))
        return IDS_PF_DIFFERENT_VERSION;
    // The samples the header claims must lie inside the file.
    const uint64_t width = bits / 8;
    const uint64_t room = fileSize - std::min<uint64_t>(fileSize, uint64_t(offset) + sizeof(*header));
    if (width == 0 || header->length < 0 || uint64_t(header->length) > room / width)
        return IDS_PF_LOAD_FAILED;
    *sampleBytes = uint64_t(header->length) * width;
    return kRecordSound;
}

int CheckFlatLabels(uint32_t count, int64_t offset, uint64_t fileSize)
{
    if (offset < 0)
        return IDS_PF_SEEK_FAILED;
    // The count is bounded by what the file holds.
    if (uint64_t(count) * sizeof(LabelRecord) > fileSize - std::min<uint64_t>(fileSize, uint64_t(offset)))
        return IDS_PF_MARKERS_FAILED;
    return kRecordSound;
}
