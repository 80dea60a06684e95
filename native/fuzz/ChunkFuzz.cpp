// Any bytes as a chunk file (project files, the command journal, take stores): every chunk
// walked within its bounds, and the top-level chunks written again through the walker read
// back as the same tree.
#include "MemoryChunkStore.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kDepth = 6;

void Fail(const std::string& what)
{
    std::fprintf(stderr, "chunk walk: %s\n", what.c_str());
    std::abort();
}

std::string CheckedOutline(MemoryChunkStore& store)
{
    store.Seek(0, kSeekBegin);
    ChunkWalker chunks(store);
    std::string outline;
    const std::string broken = CheckChunkTree(chunks, store, kDepth, &outline);
    if (!broken.empty())
        Fail(broken);
    return outline;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryChunkStore source(std::vector<uint8_t>(data, data + size));
    const std::string outline = CheckedOutline(source);

    source.Seek(0, kSeekBegin);
    ChunkWalker reader(source);
    MemoryChunkStore copy;
    ChunkWalker writer(copy);
    ChunkInfo info{0, 0, 0, 0};
    while (SUCCEEDED(reader.Descend(&info, 0))) {
        std::vector<uint8_t> body(info.size);
        if (reader.Read(body.data(), static_cast<DWORD>(body.size())) != body.size())
            Fail("a chunk's data could not be read whole");
        ChunkInfo written{info.id, 0, 0, 0};
        writer.Create(&written);
        copy.Write(body.data(), static_cast<DWORD>(body.size()));
        writer.Ascend();
        reader.Ascend();
    }
    if (CheckedOutline(copy) != outline)
        Fail("the written copy reads as another tree");
    return 0;
}
