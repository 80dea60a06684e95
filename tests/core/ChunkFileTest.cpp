#include <gtest/gtest.h>

#include "ChunkFile.h"
#include "KvSSException.h"
#include "ScopedChunkFile.h"
#include "TestSupport.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr InterfaceTag kForm = MakeTag("FORM");
constexpr InterfaceTag kA = MakeTag("AAAA");
constexpr InterfaceTag kB = MakeTag("BBBB");

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void AppendHeader(Bytes& out, const char* id, uint64_t size)
{
    InterfaceTag tag = MakeTag(id);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(tag >> (8 * i)));
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(size >> (8 * i)));
}

void AppendText(Bytes& out, const char* text)
{
    for (; *text; ++text)
        out.push_back(static_cast<uint8_t>(*text));
}

// FORM { AAAA "hello" + pad, BBBB "ok" }: 56 bytes.
Bytes GoldenImage()
{
    Bytes b;
    AppendHeader(b, "FORM", 40);
    AppendHeader(b, "AAAA", 5);
    AppendText(b, "hello");
    b.push_back(0);
    AppendHeader(b, "BBBB", 2);
    AppendText(b, "ok");
    return b;
}

// Owns one reference of a chunk file named in a scratch folder.
class ChunkFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_file = CreateChunkFile();
        ASSERT_NE(m_file, nullptr);
        m_path = m_scratch.File("test.kch");
        m_file->SetFileName(m_path.c_str());
    }
    void TearDown() override
    {
        if (m_file) {
            EXPECT_EQ(m_file->Release(), 0u);
        }
    }
    void OpenImage(const Bytes& image)
    {
        WriteAll(m_path, image);
        ASSERT_EQ(m_file->Open(kFileRead), image.size());
    }

    kvtest::ScratchFolder m_scratch;
    std::string m_path;
    IChunkFile* m_file = nullptr;
};

} // namespace

TEST(InterfaceTag, HoldsItsCharactersLittleEndianBlankPadded)
{
    EXPECT_EQ(kTagChunkFile, 0x454C49464B43204BULL); // "K CKFILE"
    EXPECT_EQ(MakeTag("KSCM"), MakeTag("KSCM    "));
    EXPECT_EQ(MakeTag("KSCMKCMD"), MakeTag(TagLow(MakeTag("KSCM")), TagLow(MakeTag("KCMD"))));
    EXPECT_EQ(TagHigh(kTagFile), TagLow(MakeTag("LE  ")));

    char text[16];
    std::memset(text, 'x', sizeof(text));
    Int64ToBytes(kTagFile, text, sizeof(text));
    EXPECT_STREQ(text, "KSFILE  ");
    char tiny[4] = {'x', 'x', 'x', 'x'};
    Int64ToBytes(kTagFile, tiny, 3);
    EXPECT_EQ(std::string(tiny, 4), std::string("KSFx"));
    Int64ToBytes(kTagFile, tiny, 1); // too short: untouched
    EXPECT_EQ(tiny[0], 'K');
}

TEST_F(ChunkFileTest, AnswersBothTagsWithItselfAndRefusesOthers)
{
    EXPECT_EQ(m_file->GetTag(), kTagChunkFile);
    IFile* plain = nullptr;
    IChunkFile* chunked = nullptr;
    ASSERT_EQ(m_file->QueryInterface(kTagFile, reinterpret_cast<void**>(&plain)), S_OK);
    ASSERT_EQ(m_file->QueryInterface(kTagChunkFile, reinterpret_cast<void**>(&chunked)), S_OK);
    EXPECT_EQ(static_cast<IFile*>(chunked), plain);
    void* other = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(m_file->QueryInterface(MakeTag("KSOTHER "), &other), E_NOINTERFACE);
    EXPECT_EQ(other, reinterpret_cast<void*>(0x1234)) << "out value untouched";
    EXPECT_EQ(plain->Release(), 2u);
    EXPECT_EQ(chunked->Release(), 1u);
}

TEST_F(ChunkFileTest, WritesNestedChunksAsTheGoldenImage)
{
    ASSERT_EQ(m_file->Open(kFileCreate), 0u);
    ASSERT_EQ(m_file->CreateChunkById(kForm, 0), S_OK);
    ASSERT_EQ(m_file->CreateChunkById(kA, 0), S_OK);
    EXPECT_EQ(m_file->GetChunkDepth(), 2u);
    EXPECT_EQ(m_file->GetCurrentChunk()->dataStart, 32u);
    EXPECT_TRUE(m_file->GetCurrentChunk()->flags & kChunkCreated);
    EXPECT_EQ(m_file->Write("hello", 5), 5u);
    ASSERT_EQ(m_file->Ascend(), S_OK);
    EXPECT_EQ(m_file->GetPosition(), 38u) << "odd data padded to an even end";
    ASSERT_EQ(m_file->CreateChunkById(kB, 0), S_OK);
    m_file->Write("ok", 2);
    m_file->Ascend();
    m_file->Ascend();
    EXPECT_EQ(m_file->GetChunkDepth(), 0u);
    m_file->Close();
    EXPECT_FALSE(m_file->IsOpen());
    EXPECT_EQ(ReadAll(m_path), GoldenImage());
}

TEST_F(ChunkFileTest, CloseFixesTheSizesOfEveryOpenCreatedChunk)
{
    m_file->Open(kFileCreate);
    m_file->CreateChunkById(kForm, 0);
    m_file->CreateChunkById(kA, 0);
    m_file->CreateChunkById(kB, 0);
    m_file->Write("abc", 3);
    m_file->Close();

    Bytes expected;
    AppendHeader(expected, "FORM", 36);
    AppendHeader(expected, "AAAA", 20);
    AppendHeader(expected, "BBBB", 3);
    AppendText(expected, "abc");
    expected.push_back(0);
    EXPECT_EQ(ReadAll(m_path), expected);
}

// A job cut short by a throw still leaves a whole file, and the file free for the next one.
TEST_F(ChunkFileTest, ScopedFileLeftByAThrowIsClosedWithItsSizesWritten)
{
    EXPECT_THROW(
        {
            ScopedChunkFile file(m_path, kFileCreate);
            file->CreateChunkById(kForm, 0);
            file->CreateChunkById(kA, 0);
            file->Write("hello", 5);
            file->Ascend();
            file->CreateChunkById(kB, 0);
            file->Write("ok", 2);
            throw CKvSSException(E_FAIL);
        },
        CKvSSException);
    EXPECT_EQ(ReadAll(m_path), GoldenImage());
    EXPECT_TRUE(::DeleteFileA(m_path.c_str())) << "the handle is closed";
    EXPECT_THROW(ScopedChunkFile(m_path, kFileRead), CKvSSException) << "a missing file throws the open's failure";
}

TEST_F(ChunkFileTest, ReaderWalksTheGoldenImage)
{
    OpenImage(GoldenImage());
    ASSERT_EQ(m_file->DescendById(0, 0), S_OK);
    EXPECT_EQ(m_file->GetCurrentChunk()->id, kForm);
    EXPECT_EQ(m_file->GetCurrentChunk()->size, 40u);

    ASSERT_EQ(m_file->DescendById(kB, kChunkFindById), S_OK) << "finds B after skipping A and its pad";
    EXPECT_EQ(m_file->GetCurrentChunk()->dataStart, 54u);
    char text[8] = {};
    EXPECT_EQ(m_file->Read(text, sizeof(text)), 2u) << "a read stops at the chunk's end";
    EXPECT_STREQ(text, "ok");
    m_file->Ascend();
    EXPECT_EQ(m_file->DescendById(0, 0), E_FAIL) << "nothing left in FORM";
    EXPECT_EQ(m_file->GetChunkDepth(), 1u);
    m_file->Ascend();
    EXPECT_EQ(m_file->GetPosition(), 56u);
}

TEST_F(ChunkFileTest, ReaderSkipsPadByteOfOddChunk)
{
    OpenImage(GoldenImage());
    m_file->DescendById(kForm, kChunkFindById);
    ASSERT_EQ(m_file->DescendById(0, 0), S_OK);
    EXPECT_EQ(m_file->GetCurrentChunk()->size, 5u);
    m_file->Ascend();
    EXPECT_EQ(m_file->GetPosition(), 16u + 16u + 5u + 1u);
    ASSERT_EQ(m_file->DescendById(0, 0), S_OK);
    EXPECT_EQ(m_file->GetCurrentChunk()->id, kB);
}

TEST_F(ChunkFileTest, PadFollowsAnOddEndEvenWhenTheSizeIsEven)
{
    // One raw byte before A puts its data at an odd position: 4 data bytes end at 37.
    m_file->Open(kFileCreate);
    m_file->CreateChunkById(kForm, 0);
    m_file->Write("r", 1);
    m_file->CreateChunkById(kA, 0);
    m_file->Write("abcd", 4);
    m_file->Ascend();
    EXPECT_EQ(m_file->GetPosition(), 38u);
    m_file->CreateChunkById(kB, 0);
    m_file->Ascend();
    m_file->Close();

    ASSERT_EQ(m_file->Open(kFileRead), 54u);
    m_file->DescendById(kForm, kChunkFindById);
    char raw = 0;
    m_file->Read(&raw, 1);
    ASSERT_EQ(m_file->DescendById(kA, kChunkFindById), S_OK);
    EXPECT_EQ(m_file->GetCurrentChunk()->dataStart, 33u);
    m_file->Ascend();
    EXPECT_EQ(m_file->GetPosition(), 38u);
    ASSERT_EQ(m_file->DescendById(0, 0), S_OK);
    EXPECT_EQ(m_file->GetCurrentChunk()->id, kB);
    m_file->Ascend();
    m_file->Seek(17, kSeekBegin);
    EXPECT_EQ(m_file->DescendById(kB, kChunkFindById), S_OK) << "a search skips the pad too";
}

TEST_F(ChunkFileTest, MissingIdFailsAtTheParentEndWithNothingEntered)
{
    OpenImage(GoldenImage());
    m_file->DescendById(kForm, kChunkFindById);
    EXPECT_EQ(m_file->DescendById(MakeTag("CCCC"), kChunkFindById), E_FAIL);
    EXPECT_EQ(m_file->GetChunkDepth(), 1u);
    EXPECT_GE(m_file->GetPosition(), 56u);
}

TEST_F(ChunkFileTest, TopLevelChunkLongerThanTheFileIsCutToTheFile)
{
    // A journal left by a crash: the outer size is that of an earlier close.
    Bytes image;
    AppendHeader(image, "KSCMKSTM", 1000);
    AppendHeader(image, "KSCMKCMD", 3);
    AppendText(image, "abc");
    image.push_back(0);
    OpenImage(image);
    ASSERT_EQ(m_file->DescendById(0, 0), S_OK);
    EXPECT_EQ(m_file->GetCurrentChunk()->size, 20u);
    ASSERT_EQ(m_file->DescendById(0, 0), S_OK);
    EXPECT_EQ(m_file->GetCurrentChunk()->id, MakeTag("KSCMKCMD"));
}

TEST_F(ChunkFileTest, CorruptChunksFailCleanly)
{
    auto form = [](uint64_t formSize, const char* inner, uint64_t innerSize, size_t dataBytes) {
        Bytes b;
        AppendHeader(b, "FORM", formSize);
        AppendHeader(b, inner, innerSize);
        b.insert(b.end(), dataBytes, 0x55);
        return b;
    };
    Bytes truncatedHeader;
    AppendHeader(truncatedHeader, "FORM", 40);
    AppendText(truncatedHeader, "AAAA    ");
    Bytes siblingTooLong = form(40, "AAAA", 0x85, 6);
    AppendHeader(siblingTooLong, "BBBB", 2);
    struct Case {
        const char* name;
        Bytes image;
        InterfaceTag target;
        DWORD flags;
    };
    const Case cases[] = {
        {"file ends inside a header", truncatedHeader, 0, 0},
        {"chunk longer than its parent", form(20, "AAAA", 100, 4), 0, 0},
        {"size that would wrap the position", form(40, "AAAA", ~0ULL, 24), 0, 0},
        {"search skipping a sibling longer than its parent", siblingTooLong, kB, kChunkFindById},
        {"chunk of a truncated file", form(200, "AAAA", 150, 10), 0, 0},
        {"search through a truncated file", form(200, "AAAA", 150, 10), kB, kChunkFindById},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_file->Close();
        OpenImage(c.image);
        ASSERT_EQ(m_file->DescendById(kForm, kChunkFindById), S_OK);
        EXPECT_EQ(m_file->DescendById(c.target, c.flags), E_FAIL);
        EXPECT_EQ(m_file->GetChunkDepth(), 1u);
    }
}

TEST_F(ChunkFileTest, OddChunkEndingAtItsParentsEndLeavesNothingMore)
{
    // The parent's size leaves no room for the pad byte of its last child.
    Bytes image;
    AppendHeader(image, "FORM", 21);
    AppendHeader(image, "AAAA", 5);
    AppendText(image, "hello");
    AppendHeader(image, "BBBB", 0);
    OpenImage(image);
    m_file->DescendById(kForm, kChunkFindById);
    ASSERT_EQ(m_file->DescendById(0, 0), S_OK);
    char text[8] = {};
    EXPECT_EQ(m_file->Read(text, sizeof(text)), 5u);
    m_file->Ascend();
    EXPECT_EQ(m_file->GetPosition(), 38u);
    EXPECT_EQ(m_file->DescendById(0, 0), E_FAIL);
    EXPECT_EQ(m_file->GetChunkDepth(), 1u);
}

TEST_F(ChunkFileTest, ReadStaysInsideAChunkWhateverTheCountAsked)
{
    OpenImage(GoldenImage());
    m_file->DescendById(kForm, kChunkFindById);
    m_file->DescendById(kA, kChunkFindById);
    char text[64] = {};
    EXPECT_EQ(m_file->Read(text, sizeof(text)), 5u);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(m_file->Read(text, sizeof(text)), 0u);
    m_file->Seek(100, kSeekBegin); // moved away by the caller: still nothing past the chunk
    EXPECT_EQ(m_file->Read(text, sizeof(text)), 0u);
}

TEST_F(ChunkFileTest, FailuresAreThrownWithTheirCodes)
{
    auto codeOf = [](auto&& call) {
        try {
            call();
        } catch (const CKvSSException& e) {
            return e.m_hr;
        }
        return S_OK;
    };
    EXPECT_EQ(codeOf([&] { m_file->Open(4); }), E_FAIL);
    EXPECT_EQ(codeOf([&] { m_file->Open(kFileRead); }), HRESULT(0x80070002)) << "missing file";
    EXPECT_FALSE(m_file->Exists());
    EXPECT_EQ(codeOf([&] { m_file->Ascend(); }), E_FAIL);
    EXPECT_EQ(codeOf([&] { m_file->GetCurrentChunk(); }), E_FAIL);
    EXPECT_NE(codeOf([&] { m_file->CreateChunkById(kA, 0); }), S_OK) << "closed file";
    EXPECT_EQ(m_file->GetChunkDepth(), 0u);

    m_file->Open(kFileCreate);
    EXPECT_TRUE(m_file->Exists());
    EXPECT_TRUE(m_file->IsWritable());
    m_file->Close();
    m_file->Open(kFileRead);
    EXPECT_FALSE(m_file->IsWritable());
    EXPECT_FALSE(m_file->SetEndOfFile());
    EXPECT_NE(codeOf([&] { m_file->Write("x", 1); }), S_OK) << "read-only file";
}

TEST_F(ChunkFileTest, FileNameCopyIsBoundedByTheBuffer)
{
    m_file->SetFileName("C:\\abc.kvs");
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(m_file->GetFileName(buffer, 3), 10u);
    EXPECT_EQ(std::string(buffer, 4), "C:\\x");
    char whole[16];
    m_file->GetFileName(whole, sizeof(whole));
    EXPECT_STREQ(whole, "C:\\abc.kvs");
    m_file->SetFileName(nullptr);
    EXPECT_EQ(m_file->GetFileName(nullptr, 0), 0u);
}
