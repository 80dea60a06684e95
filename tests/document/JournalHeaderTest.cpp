// The journal's document record read back: the session header and the name record, from
// whole, cut-off and unterminated bytes (natively too).
#include "JournalHeader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> DocumentRecord(const JournalIdentity& identity)
{
    JournalHeaderValues v;
    v.path = "C:\\songs\\take.kvs";
    v.samplesPerSec = 48000;
    v.bitsPerSample = 24;
    const auto header = BuildJournalHeader(v);
    std::vector<uint8_t> data(header.size() + sizeof identity);
    std::memcpy(data.data(), header.data(), header.size());
    std::memcpy(data.data() + header.size(), &identity, sizeof identity);
    return data;
}

} // namespace

TEST(JournalHeader, SessionHeaderReadsWhatTheJournalWrote)
{
    const std::vector<uint8_t> data = DocumentRecord(JournalIdentity{});
    const SessionHeader header = ReadSessionHeader(data.data(), data.size());
    EXPECT_STREQ("5.00", header.version);
    EXPECT_STREQ("J", header.edition);
    EXPECT_STREQ("R4", header.release);
    EXPECT_STREQ("take.kvs", header.title);
    EXPECT_STREQ("C:\\songs\\take.kvs", header.path);
    EXPECT_EQ(48000u, header.sampleRate);
    EXPECT_EQ(24, header.bitsPerSample);
    EXPECT_EQ(2, header.channels);
}

TEST(JournalHeader, SessionHeaderTextsEndInsideTheirFieldsAndACutOffHeaderReadsAsZeros)
{
    std::vector<uint8_t> data(kJournalHeaderSize, 'x');
    SessionHeader header = ReadSessionHeader(data.data(), data.size());
    EXPECT_EQ(31u, std::strlen(header.version));
    EXPECT_EQ(127u, std::strlen(header.title));
    EXPECT_EQ(259u, std::strlen(header.path));

    header = ReadSessionHeader(data.data(), 40);
    EXPECT_EQ(31u, std::strlen(header.version));
    EXPECT_EQ(8u, std::strlen(header.edition)) << "bytes past the chunk read as zeros";
    EXPECT_EQ(0u, header.sampleRate);
    header = ReadSessionHeader(nullptr, 0);
    EXPECT_STREQ("", header.path);
}

TEST(JournalHeader, NameRecordReadsBackAsMadeAndOnlyFromAWholeRecord)
{
    FileInfoRecord info{};
    info.size = 744;
    info.fileType = 20;
    info.samplesPerSec = 96000;
    const std::string longPath(400, 'p'), longTitle(200, 't');
    struct Case {
        const char* path;
        const char* title;
        std::string readPath, readTitle;
    } cases[] = {{"C:\\a.kvs", "a.kvs", "C:\\a.kvs", "a.kvs"},
                 {nullptr, nullptr, "", ""},
                 {longPath.c_str(), longTitle.c_str(), std::string(259, 'p'), std::string(127, 't')}};
    for (const Case& c : cases) {
        const JournalIdentity made = MakeJournalIdentity(c.path, c.title, info);
        EXPECT_EQ(0, std::memcmp(made.tag, "NAME", 4));
        const std::vector<uint8_t> data = DocumentRecord(made);
        JournalIdentity read{};
        ASSERT_TRUE(ReadJournalIdentity(data.data(), data.size(), &read));
        EXPECT_EQ(c.readPath, read.path);
        EXPECT_EQ(c.readTitle, read.title);
        EXPECT_EQ(0, std::memcmp(&info, &read.fileInfo, sizeof info));
        EXPECT_FALSE(ReadJournalIdentity(data.data(), data.size() - 1, &read)) << "a cut-off name record";
    }
    std::vector<uint8_t> data = DocumentRecord(MakeJournalIdentity("C:\\a.kvs", "a", info));
    data[kJournalHeaderSize] = 'n';
    JournalIdentity read{};
    EXPECT_FALSE(ReadJournalIdentity(data.data(), data.size(), &read)) << "an older journal has no name record";
    std::memset(data.data() + kJournalHeaderSize, 'z', sizeof(JournalIdentity));
    std::memcpy(data.data() + kJournalHeaderSize, "NAME", 4);
    ASSERT_TRUE(ReadJournalIdentity(data.data(), data.size(), &read));
    EXPECT_EQ(259u, std::strlen(read.path));
    EXPECT_EQ(127u, std::strlen(read.title));
}
