// Any bytes as a project file, read as the loads read them: a flat file (it opens with the
// creator text) by its header, offset table, track headers and labels; any other as the
// chunked forms, walked to the header, track and marker chunks. Every record read stays
// inside the bytes, what a reader accepts lies where it says, and the counted chunks
// (envelopes, labels) write back as the bytes they were read from.
#include "MemoryChunkStore.h"
#include "ProjectRecords.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Fail(const char* what)
{
    std::fprintf(stderr, "project records: %s\n", what);
    std::abort();
}

// The bytes read of a chunk in a block of their own size, so that a read past them is caught.
std::vector<uint8_t> ReadExact(ChunkWalker& chunks, uint64_t bytes)
{
    std::vector<uint8_t> block(static_cast<size_t>(bytes));
    block.resize(chunks.Read(block.data(), DWORD(block.size())));
    return std::vector<uint8_t>(block.begin(), block.end());
}

// The bytes from offset on (none past the end).
size_t Left(size_t size, uint64_t offset)
{
    return offset < size ? size - size_t(offset) : 0;
}

void ReadFlat(const uint8_t* data, size_t size)
{
    FlatHeader header;
    if (DecodeFlatHeader(data, size, &header) != kRecordSound)
        return;
    if (header.videoPath[sizeof(header.videoPath) - 1] != 0)
        Fail("the video path runs past its field");
    if (CheckFlatTrackCount(header.trackCount, size) != kRecordSound)
        return;
    std::vector<int64_t> offsets;
    if (DecodeFlatOffsets(data + kFlatHeaderSize, Left(size, kFlatHeaderSize), header.trackCount, &offsets) !=
        kRecordSound)
        return;
    for (int64_t offset : offsets) {
        const size_t at = offset < 0 ? size : size_t(std::min<uint64_t>(uint64_t(offset), size));
        FlatTrackHeader track;
        uint64_t bytes = 0;
        if (DecodeFlatTrackHeader(data + at, std::min<size_t>(Left(size, at), sizeof(track)), offset, size,
                                  header.bits, &track, &bytes) == kRecordSound &&
            bytes > Left(size, at + sizeof(track)))
            Fail("a track's samples run past the file");
    }
    if (CheckFlatLabels(header.markerCount, header.markerOffset, size) != kRecordSound)
        return;
    const size_t at = size_t(std::min<uint64_t>(uint64_t(header.markerOffset), size));
    std::vector<LabelRecord> labels;
    if (DecodeLabelRecords(data + at, Left(size, at), header.markerCount, &labels) != kRecordSound)
        Fail("labels the file holds were refused");
    if (!labels.empty() && std::memcmp(labels.data(), data + at, labels.size() * sizeof(LabelRecord)) != 0)
        Fail("the labels read are not the bytes");
}

// Reads the current chunk as a counted one, as a load does and from all its bytes; what is
// accepted writes back as what was read.
template <class Record>
void ReadCounted(ChunkWalker& chunks, MemoryChunkStore& store,
                 int (*decode)(const uint8_t*, size_t, std::vector<Record>*),
                 std::vector<uint8_t> (*encode)(const std::vector<Record>&))
{
    const ChunkInfo chunk = *chunks.Current();
    const std::vector<uint8_t> whole = ReadExact(chunks, chunk.size);
    std::vector<Record> records;
    if (decode(whole.data(), whole.size(), &records) == kRecordSound) {
        const std::vector<uint8_t> written = encode(records);
        if (written.size() > whole.size() || !std::equal(written.begin(), written.end(), whole.begin()))
            Fail("a counted chunk writes back otherwise");
    }

    store.Seek(int64_t(chunk.dataStart), kSeekBegin);
    const std::vector<uint8_t> read = ReadCountedChunk(chunk.size, sizeof(Record), [&](void* buffer, size_t n) {
        return size_t(chunks.Read(buffer, DWORD(n)));
    });
    const std::vector<uint8_t> bytes(read.begin(), read.end());
    if (bytes.size() > chunk.size)
        Fail("a counted chunk was read past its end");
    std::vector<Record> again;
    const bool sound = decode(bytes.data(), bytes.size(), &again) == kRecordSound;
    if (sound != (decode(whole.data(), whole.size(), &records) == kRecordSound))
        Fail("the bytes a load reads decide otherwise than the whole chunk");
    if (sound && encode(again) != bytes)
        Fail("a counted chunk writes back otherwise");
}

// Enters each chunk inside the current one in turn.
template <class Step>
void EachChunk(ChunkWalker& chunks, Step step)
{
    for (int count = 0; count < 512; ++count) {
        ChunkInfo info{0, 0, 0, 0};
        if (FAILED(chunks.Descend(&info, 0)))
            return;
        step(info);
        chunks.Ascend();
    }
}

void ReadChunked(const uint8_t* data, size_t size)
{
    MemoryChunkStore store(std::vector<uint8_t>(data, data + size));
    ChunkWalker chunks(store);
    ChunkInfo form{kIdForm, 0, 0, 0};
    if (FAILED(chunks.Descend(&form, kChunkFindById)))
        return;
    EachChunk(chunks, [&](const ChunkInfo& part) {
        if (part.id == kIdFileHead) {
            EachChunk(chunks, [&](const ChunkInfo& record) {
                if (record.id != kIdCreator)
                    return;
                const std::vector<uint8_t> text = ReadExact(chunks, std::min<uint64_t>(record.size, 127));
                const std::string creator = DecodeCreator(text.data(), text.size());
                if (creator.size() > text.size() || creator.find('\0') != std::string::npos)
                    Fail("the creator text is not the chunk's");
            });
        } else if (part.id == kIdTrackList) {
            EachChunk(chunks, [&](const ChunkInfo& track) {
                if (TrackChunkNumber(track.id) < -1)
                    Fail("a track number below -1");
                EachChunk(chunks, [&](const ChunkInfo& record) {
                    if (record.id == kIdTrackInfo4) {
                        const std::vector<uint8_t> bytes = ReadExact(chunks, std::min<uint64_t>(record.size, 42));
                        TrackInfo4 info;
                        if (DecodeTrackInfo4(bytes.data(), bytes.size(), &info) == kRecordSound &&
                            (info.channels < 1 || info.channels > 6 || info.length < 0))
                            Fail("a track record out of range was taken");
                    } else if (record.id == kIdTrackInfo) {
                        const std::vector<uint8_t> bytes = ReadExact(chunks, std::min<uint64_t>(record.size, 52));
                        TrackInfo2 info;
                        DecodeTrackInfo2(bytes.data(), bytes.size(), &info);
                    } else if (record.id == kIdEnvelopes) {
                        EachChunk(chunks, [&](const ChunkInfo&) {
                            ReadCounted(chunks, store, DecodeEnvelope, EncodeEnvelope);
                        });
                    }
                });
            });
        } else if (part.id == kIdMarkers) {
            ReadCounted(chunks, store, DecodeLabels, EncodeLabels);
        }
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 4 && std::memcmp(data, kFlatCreator, 4) == 0)
        ReadFlat(data, size);
    else
        ReadChunked(data, size);
    return 0;
}
