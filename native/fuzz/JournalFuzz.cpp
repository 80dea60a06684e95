// Any bytes as an edit journal or a recording take store, walked as a replay and the restore
// list read them: the first chunk runs to the end of the file, finished records one after
// another, a group's own command record first and its children after (to the depth a replay
// takes). The document record's session header and name record, and each command record's
// header, are read from bytes only inside their chunk; what is read back writes back alike.
#include "CommandHeader.h"
#include "JournalHeader.h"
#include "MemoryChunkStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxGroupDepth = 64; // as the replay
constexpr InterfaceTag kTakeStoreChunkId = MakeTag("KSCMKREC");

void Fail(const char* what)
{
    std::fprintf(stderr, "journal records: %s\n", what);
    std::abort();
}

template <size_t N>
void CheckEnded(const char (&text)[N])
{
    if (strnlen(text, N) == N)
        Fail("a text runs past its field");
}

void ReadDocumentRecord(ChunkWalker& chunks)
{
    std::vector<uint8_t> block(kJournalHeaderSize + sizeof(JournalIdentity), 0);
    const DWORD got = chunks.Read(block.data(), DWORD(block.size()));
    // In a block of their own size, so that a read past them is caught.
    std::vector<uint8_t> data(block.begin(), block.begin() + got);
    const SessionHeader header = ReadSessionHeader(data.data(), got);
    CheckEnded(header.version);
    CheckEnded(header.edition);
    CheckEnded(header.release);
    CheckEnded(header.title);
    CheckEnded(header.path);
    JournalIdentity identity{};
    if (!ReadJournalIdentity(data.data(), got, &identity))
        return;
    if (got < block.size())
        Fail("a name record was read from a cut-off chunk");
    CheckEnded(identity.path);
    CheckEnded(identity.title);
    const JournalIdentity written = MakeJournalIdentity(identity.path, identity.title, identity.fileInfo);
    JournalIdentity again{};
    std::memcpy(data.data() + kJournalHeaderSize, &written, sizeof written);
    if (!ReadJournalIdentity(data.data(), data.size(), &again) || std::strcmp(again.path, identity.path) != 0 ||
        std::strcmp(again.title, identity.title) != 0 ||
        std::memcmp(&again.fileInfo, &identity.fileInfo, sizeof identity.fileInfo) != 0)
        Fail("a name record writes back otherwise");
}

// A command record's header, as a replay reads it before the command reads its own.
bool ReadCommandRecord(ChunkWalker& chunks)
{
    uint8_t header[CommandHeader::kSize];
    const DWORD got = chunks.Read(header, sizeof header);
    if (got != sizeof header)
        return false;
    const std::string type = CommandHeader::TypeName(header);
    const std::string name = CommandHeader::Name(header);
    if (type.size() > CommandHeader::kNameField || name.size() > CommandHeader::kNameField ||
        type.find('\0') != std::string::npos)
        Fail("a header name runs past its field");
    return true;
}

bool ReadRecord(ChunkWalker& chunks, int depth);

bool ReadGroup(ChunkWalker& chunks, int depth)
{
    const ChunkInfo group = *chunks.Current();
    const uint64_t end = group.dataStart + group.size;
    ChunkInfo own{0, 0, 0, 0};
    if (FAILED(chunks.Descend(&own, 0)))
        return false;
    const bool read = own.id == kCommandChunkId && ReadCommandRecord(chunks);
    chunks.Ascend();
    if (!read)
        return false;
    for (int count = 0; count < 4096; ++count) {
        ChunkInfo child{0, 0, 0, 0};
        if (FAILED(chunks.Descend(&child, 0)))
            return false;
        if (child.dataStart + child.size > end)
            Fail("a child runs past its group");
        const bool sound = ReadRecord(chunks, depth + 1);
        chunks.Ascend();
        if (!sound)
            return false;
    }
    return true;
}

bool ReadRecord(ChunkWalker& chunks, int depth)
{
    const InterfaceTag id = chunks.Current()->id;
    if (id == kCommandChunkId)
        return ReadCommandRecord(chunks);
    if (id == kGroupChunkId)
        return depth < kMaxGroupDepth && ReadGroup(chunks, depth);
    if (id == kDocumentChunkId)
        ReadDocumentRecord(chunks);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryChunkStore store(std::vector<uint8_t>(data, data + size));
    ChunkWalker chunks(store);
    ChunkInfo first{0, 0, 0, 0};
    if (FAILED(chunks.Descend(&first, 0)))
        return 0;
    if (first.id != kJournalChunkId && first.id != kTakeStoreChunkId)
        return 0;
    // Its size is stale after an interruption: the records run to the file's end.
    ChunkInfo* journal = chunks.Current();
    journal->size = size > journal->dataStart ? size - journal->dataStart : 0;
    const uint64_t end = journal->dataStart + journal->size;
    for (int count = 0; count < 4096 && store.Seek(0, kSeekCurrent) < end; ++count) {
        ChunkInfo record{0, 0, 0, 0};
        if (FAILED(chunks.Descend(&record, 0)))
            break;
        // A command or group whose size is still 0 is one whose write was cut off.
        if (record.size == 0 && (record.id == kCommandChunkId || record.id == kGroupChunkId))
            break;
        if (record.dataStart + record.size > end)
            Fail("a record runs past the journal");
        const bool sound = ReadRecord(chunks, 0);
        chunks.Ascend();
        if (!sound)
            break;
    }
    return 0;
}
