#include <gtest/gtest.h>

#include "ChunkWalker.h"
#include "MemoryChunkStore.h"

#include <string>
#include <vector>

namespace {

constexpr InterfaceTag kForm = MakeTag("FORM");

// FORM { AAAA "hello", BBBB { CCCC "xyz", DDDD "" }, EEEE "0123456" }, written through the
// walker with every size left for Ascend to fix.
std::vector<uint8_t> WrittenTree()
{
    MemoryChunkStore store;
    ChunkWalker chunks(store);
    auto create = [&](const char* id) {
        ChunkInfo info{MakeTag(id), 0, 0, 0};
        EXPECT_EQ(chunks.Create(&info), S_OK);
    };
    create("FORM");
    create("AAAA");
    store.Write("hello", 5);
    chunks.Ascend();
    create("BBBB");
    create("CCCC");
    store.Write("xyz", 3);
    chunks.Ascend();
    create("DDDD");
    chunks.Ascend();
    chunks.Ascend();
    create("EEEE");
    store.Write("0123456", 7);
    EXPECT_EQ(chunks.AscendAll(), S_OK);
    EXPECT_EQ(chunks.Depth(), 0u);
    return store.Bytes();
}

std::string Line(int depth, const char* id, uint64_t size)
{
    return std::to_string(depth) + ' ' + std::to_string(MakeTag(id)) + ' ' + std::to_string(size) + '\n';
}

std::string Walk(const std::vector<uint8_t>& bytes, std::string* outline)
{
    MemoryChunkStore store(bytes);
    ChunkWalker chunks(store);
    return CheckChunkTree(chunks, store, 4, outline);
}

void PutSize(std::vector<uint8_t>& bytes, size_t header, uint64_t size)
{
    for (int i = 0; i < 8; ++i)
        bytes[header + 8 + i] = static_cast<uint8_t>(size >> (8 * i));
}

} // namespace

TEST(ChunkWalker, WrittenTreeReadsBackChunkForChunkWithItsPads)
{
    const std::vector<uint8_t> tree = WrittenTree();
    ASSERT_EQ(tree.size(), 16u + 22u + 16u + 20u + 16u + 24u);
    std::string outline;
    EXPECT_EQ(Walk(tree, &outline), "");
    // The walk reads every chunk's data as children too: "hello" and "xyz" are too short.
    EXPECT_EQ(outline, Line(0, "FORM", 98) + Line(1, "AAAA", 5) + Line(1, "BBBB", 36) + Line(2, "CCCC", 3) +
                           Line(2, "DDDD", 0) + Line(1, "EEEE", 7));
}

// Whatever a crash or a disk leaves of a file, every chunk entered lies inside its parent and
// the store, and every read and ascend stays within them.
TEST(ChunkWalker, EveryCutAndDamagedSizeOfATreeIsWalkedWithinItsBounds)
{
    const std::vector<uint8_t> tree = WrittenTree();
    for (size_t cut = 0; cut <= tree.size(); ++cut) {
        std::string outline;
        EXPECT_EQ(Walk(std::vector<uint8_t>(tree.begin(), tree.begin() + cut), &outline), "") << "cut at " << cut;
    }
    const size_t headers[] = {0, 16, 38, 54, 74, 90};
    const uint64_t sizes[] = {0, 1, 2, 15, 16, 17, 35, 36, 37, 97, 98, 99, 0x7FFFFFFFull, 0x7FFFFFFFFFFFFFFFull,
                              ~0ull - 15, ~0ull};
    for (size_t header : headers) {
        for (uint64_t size : sizes) {
            std::vector<uint8_t> damaged = tree;
            PutSize(damaged, header, size);
            std::string outline;
            EXPECT_EQ(Walk(damaged, &outline), "") << "header at " << header << " claiming " << size;
        }
    }
}

TEST(ChunkWalker, TopLevelChunkLongerThanTheStoreIsCutToItAndANestedOneRefused)
{
    std::vector<uint8_t> tree = WrittenTree();
    PutSize(tree, 0, 1000);
    MemoryChunkStore store(tree);
    ChunkWalker chunks(store);
    ChunkInfo form{kForm, 0, 0, 0};
    ASSERT_EQ(chunks.Descend(&form, kChunkFindById), S_OK);
    EXPECT_EQ(form.size, tree.size() - kChunkHeaderSize);

    PutSize(tree, 16, 1000);
    MemoryChunkStore nested(tree);
    ChunkWalker inner(nested);
    ASSERT_EQ(inner.Descend(&form, kChunkFindById), S_OK);
    ChunkInfo a{MakeTag("AAAA"), 0, 0, 0};
    EXPECT_EQ(inner.Descend(&a, kChunkFindById), E_FAIL);
    EXPECT_EQ(inner.Depth(), 1u);
}
