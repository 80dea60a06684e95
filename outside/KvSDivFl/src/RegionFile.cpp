#include "RegionFile.h"

#include "KvSSException.h"

namespace {

HRESULT LastError()
{
    const DWORD e = GetLastError();
    return HRESULT_FROM_WIN32(e ? e : ERROR_WRITE_FAULT);
}

// Sound bytes a headed format can describe (its size fields are 32-bit), with room for the header.
constexpr uint64_t kHeadedLimit = 0xFFFFFFFFull - 65536;

} // namespace

RegionFile::RegionFile(const std::string& name, fx::DividerFormat format, const StoredFormat& stored, Storage from)
    : m_name(name), m_part(name + ".part"), m_format(format), m_stored(stored), m_from(from)
{
    // A read-only file of the name is the user's to keep, whichever file system lies below.
    const DWORD existing = GetFileAttributesA(m_name.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
        throw CKvSSException(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    m_file = CreateFileA(m_part.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (m_file == INVALID_HANDLE_VALUE)
        throw CKvSSException(LastError());
    // The header of an empty file holds the place of the final one (same size).
    const std::vector<uint8_t> head = Header(nullptr);
    m_headBytes = head.size();
    Put(head.data(), head.size());
}

RegionFile::~RegionFile()
{
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
        DeleteFileA(m_part.c_str());
    }
}

std::vector<uint8_t> RegionFile::Header(std::vector<uint8_t>* tail) const
{
    SoundFile sound;
    sound.format = m_stored;
    sound.frames = m_frames;
    WriteLayout layout;
    switch (m_format) {
    case fx::DividerFormat::Wav:
        layout = LayoutWav(sound);
        break;
    case fx::DividerFormat::Aiff:
        layout = LayoutAiff(sound);
        break;
    case fx::DividerFormat::Au:
        layout.head = fx::AuHeader(m_stored.containerBits, m_stored.coding == Coding::FloatBE, m_stored.rate,
                                   m_stored.channels, m_frames * m_stored.BlockAlign());
        break;
    default:
        break;
    }
    if (tail)
        *tail = std::move(layout.tail);
    return std::move(layout.head);
}

void RegionFile::Put(const void* data, size_t bytes)
{
    DWORD written = 0;
    if (bytes > 0 && (!WriteFile(m_file, data, DWORD(bytes), &written, nullptr) || written != bytes))
        throw CKvSSException(LastError());
}

void RegionFile::Write(const uint8_t* frames, size_t count)
{
    const uint64_t bytes = (m_frames + count) * m_stored.BlockAlign();
    if (m_format != fx::DividerFormat::Raw && bytes > kHeadedLimit)
        throw CKvSSException(kErrSizeLimit);
    m_encoded.resize(count * m_stored.BlockAlign());
    EncodeFrames(m_stored, m_from, frames, count, m_encoded.data());
    Put(m_encoded.data(), m_encoded.size());
    m_frames += count;
}

void RegionFile::Commit()
{
    std::vector<uint8_t> tail;
    const std::vector<uint8_t> head = Header(&tail);
    if (head.size() != m_headBytes)
        throw CKvSSException(E_UNEXPECTED);
    Put(tail.data(), tail.size());
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(m_file, start, nullptr, FILE_BEGIN))
        throw CKvSSException(LastError());
    Put(head.data(), head.size());
    if (!FlushFileBuffers(m_file))
        throw CKvSSException(LastError());
    const BOOL closed = CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (!closed || !MoveFileExA(m_part.c_str(), m_name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const HRESULT hr = LastError();
        DeleteFileA(m_part.c_str());
        throw CKvSSException(hr);
    }
}
