#include "JournalHeader.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies at most the field's size less one characters and ends them (the field is zeroed).
template <size_t N>
void CopyText(char (&field)[N], const char* text)
{
    if (text)
        std::memcpy(field, text, strnlen(text, N - 1));
}

template <size_t N>
void Terminate(char (&text)[N])
{
    text[N - 1] = 0;
}

} // namespace

std::array<uint8_t, kJournalHeaderSize> BuildJournalHeader(const JournalHeaderValues& v)
{
    std::array<uint8_t, kJournalHeaderSize> h{};
    auto put = [&h](size_t at, size_t room, const char* text) {
        size_t n = text ? std::strlen(text) : 0;
        std::memcpy(&h[at], text ? text : "", n < room ? n : room);
    };
    put(0, 32, "5.00");
    put(32, 32, "J");
    put(64, 32, "R4");
    const char* path = v.path ? v.path : "";
    const char* slash = std::strrchr(path, '\\');
    const char* title = !*path ? v.title : (slash && slash > path ? slash + 1 : path);
    put(96, 128, title);
    put(224, 260, path);
    std::memcpy(&h[484], &v.multichannel, 4);
    std::memcpy(&h[488], &v.samplesPerSec, 4);
    std::memcpy(&h[492], &v.bitsPerSample, 2);
    std::memcpy(&h[494], &v.channels, 2);
    std::memcpy(&h[496], &v.channelSplit, 4);
    return h;
}

JournalIdentity MakeJournalIdentity(const char* path, const char* title, const FileInfoRecord& fileInfo)
{
    JournalIdentity identity{};
    std::memcpy(identity.tag, kJournalIdentityTag, sizeof identity.tag);
    CopyText(identity.path, path);
    CopyText(identity.title, title);
    identity.fileInfo = fileInfo;
    return identity;
}

bool ReadJournalIdentity(const uint8_t* data, size_t size, JournalIdentity* identity)
{
    if (size < kJournalHeaderSize + sizeof(JournalIdentity))
        return false;
    std::memcpy(identity, data + kJournalHeaderSize, sizeof *identity);
    if (std::memcmp(identity->tag, kJournalIdentityTag, sizeof identity->tag) != 0)
        return false;
    identity->path[sizeof identity->path - 1] = 0;
    identity->title[sizeof identity->title - 1] = 0;
    return true;
}

SessionHeader ReadSessionHeader(const uint8_t* data, size_t size)
{
    SessionHeader header{};
    if (size)
        std::memcpy(&header, data, std::min(size, sizeof header));
    Terminate(header.version);
    Terminate(header.edition);
    Terminate(header.release);
    Terminate(header.title);
    Terminate(header.path);
    return header;
}
