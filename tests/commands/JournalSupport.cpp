#include "JournalSupport.h"

#include "CommandHeader.h"
#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kvtest {

FaultyChunkFile::FaultyChunkFile() : m_file(CreateChunkFile())
{
    if (!m_file)
        throw std::bad_alloc();
}

FaultyChunkFile::~FaultyChunkFile()
{
    m_file->Release();
}

namespace {
constexpr HRESULT kDiskFull = HRESULT_FROM_WIN32(ERROR_DISK_FULL);
}

// Once a write has failed, every later one fails too until the file is disarmed.
bool FaultyChunkFile::FailNow()
{
    if (m_writesLeft < 0)
        return false;
    if (!m_fired && m_writesLeft > 0) {
        --m_writesLeft;
        return false;
    }
    m_fired = true;
    return true;
}

DWORD FaultyChunkFile::Write(const void* buffer, DWORD bytes)
{
    if (FailNow()) {
        m_file->Write(buffer, bytes / 2);
        throw CKvSSException(kDiskFull);
    }
    return m_file->Write(buffer, bytes);
}

HRESULT FaultyChunkFile::CreateChunkById(InterfaceTag id, DWORD flags)
{
    ChunkInfo info{id, 0, 0, 0};
    return CreateChunk(&info, flags);
}

HRESULT FaultyChunkFile::CreateChunk(ChunkInfo* info, DWORD flags)
{
    if (FailNow()) {
        uint8_t half[8] = {};
        std::memcpy(half, &info->id, 8);
        m_file->Write(half, sizeof half);
        throw CKvSSException(kDiskFull);
    }
    return m_file->CreateChunk(info, flags);
}

HRESULT FaultyChunkFile::Ascend()
{
    if (m_file->GetChunkDepth() && (m_file->GetCurrentChunk()->flags & kChunkCreated)) {
        if (FailNow()) // fixing the size writes
            throw CKvSSException(kDiskFull);
    }
    return m_file->Ascend();
}

IChunkFile* FaultyHistory::CreateJournalChunkFile()
{
    m_last = ComRef<FaultyChunkFile>(new FaultyChunkFile());
    m_last->AddRef();
    return m_last.Get();
}

FileStream::FileStream(const std::string& path, DWORD mode) : m_file(CreateChunkFile())
{
    m_file->SetFileName(path.c_str());
    m_file->Open(mode);
}

FileStream::~FileStream()
{
    Close();
    m_file->Release();
}

HRESULT FileStream::Close()
{
    try {
        m_file->Close();
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    return S_OK;
}

HRESULT FileStream::GetChunkFile(IChunkFile** file)
{
    return m_file->QueryInterface(kTagChunkFile, reinterpret_cast<void**>(file));
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    std::vector<uint8_t> bytes(::GetFileSize(h, nullptr));
    DWORD done = 0;
    if (!bytes.empty())
        ::ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    ::CloseHandle(h);
    bytes.resize(done);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path);
    DWORD done = 0;
    if (!bytes.empty())
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    ::CloseHandle(h);
}

std::string Describe(IEditCommand* command)
{
    char type[200] = {};
    char name[200] = {};
    command->GetTypeName(type, sizeof type - 1);
    command->GetName(name, sizeof name - 1);
    std::string text = std::string(type) + ":" + name;
    ComRef<ICommandList> list = QueryCom<ICommandList>(command);
    if (list) {
        text += "{";
        UINT count = 0;
        list->GetCount(&count);
        for (UINT i = 0; i < count; ++i) {
            ComRef<IEditCommand> child;
            list->GetAt(i, child.Out());
            text += (i ? "," : "") + Describe(child.Get());
        }
        text += "}";
    }
    return text;
}

std::vector<std::string> DescribeCursor(ICommandCursor* cursor)
{
    std::vector<std::string> newestFirst;
    ComRef<IEditCommand> command;
    while (cursor->Next(command.Out()) == S_OK)
        newestFirst.push_back(Describe(command.Get()));
    return std::vector<std::string>(newestFirst.rbegin(), newestFirst.rend());
}

std::vector<std::string> DescribeUndo(ICommandHistory* history)
{
    ComRef<ICommandCursor> cursor;
    history->GetUndoCursor(cursor.Out());
    return DescribeCursor(cursor.Get());
}

std::vector<std::string> DescribeRedo(ICommandHistory* history)
{
    ComRef<ICommandCursor> cursor;
    history->GetRedoCursor(cursor.Out());
    return DescribeCursor(cursor.Get());
}

namespace {

std::string DescribeRecord(IChunkFile* file)
{
    InterfaceTag id = file->GetCurrentChunk()->id;
    if (id == kDocumentChunkId)
        return "doc";
    if (id == kCommandChunkId) {
        uint8_t header[CommandHeader::kSize] = {};
        if (file->Read(header, sizeof header) != sizeof header)
            throw std::runtime_error("short command record");
        return CommandHeader::TypeName(header) + ":" + CommandHeader::Name(header);
    }
    if (id == kGroupChunkId) {
        const ChunkInfo* group = file->GetCurrentChunk();
        uint64_t end = group->dataStart + group->size;
        std::string text;
        bool first = true;
        while (file->GetPosition() < end) {
            if (FAILED(file->DescendById(0, 0)))
                throw std::runtime_error("bad group");
            std::string part = DescribeRecord(file);
            file->Ascend();
            if (first)
                text = part + "{";
            else
                text += (text.back() == '{' ? "" : ",") + part;
            first = false;
        }
        return text + "}";
    }
    throw std::runtime_error("unknown record");
}

} // namespace

std::vector<std::string> DescribeJournal(const std::string& path, bool* ok)
{
    std::vector<std::string> records;
    *ok = false;
    IChunkFile* file = CreateChunkFile();
    try {
        file->SetFileName(path.c_str());
        uint64_t size = file->Open(kFileRead);
        if (FAILED(file->DescendById(0, 0)) || file->GetCurrentChunk()->id != kJournalChunkId)
            throw std::runtime_error("not a journal");
        ChunkInfo* journal = file->GetCurrentChunk();
        journal->size = size - journal->dataStart;
        uint64_t end = size;
        while (file->GetPosition() < end) {
            if (FAILED(file->DescendById(0, 0)))
                throw std::runtime_error("bad record");
            records.push_back(DescribeRecord(file));
            file->Ascend();
        }
        *ok = file->GetPosition() == end;
    } catch (const std::exception&) {
        records.clear();
    } catch (const CKvSSException&) {
        records.clear();
    }
    try {
        file->Close();
    } catch (const CKvSSException&) {
    }
    file->Release();
    return records;
}

namespace {

uint64_t Get64(const uint8_t* in)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | in[i];
    return value;
}

std::string Field(const uint8_t* field, size_t length)
{
    return std::string(field, std::find(field, field + length, 0));
}

// The record with the id whose data are bytes [begin, end); false when it is not well formed.
bool DescribeBytes(const std::vector<uint8_t>& bytes, uint64_t id, size_t begin, size_t end, std::string* text)
{
    if (id == kDocumentChunkId) {
        *text = "doc";
        return true;
    }
    if (id == kCommandChunkId) {
        if (end - begin < CommandHeader::kSize)
            return false;
        *text = Field(&bytes[begin + 2], 128) + ":" + Field(&bytes[begin + 130], 128);
        return true;
    }
    if (id != kGroupChunkId)
        return false;
    std::vector<std::string> parts;
    for (size_t at = begin; at < end;) {
        if (end - at < kChunkHeaderSize)
            return false;
        const uint64_t size = Get64(&bytes[at + 8]);
        if (size > end - at - kChunkHeaderSize)
            return false;
        std::string part;
        if (!DescribeBytes(bytes, Get64(&bytes[at]), at + kChunkHeaderSize, at + kChunkHeaderSize + size, &part))
            return false;
        parts.push_back(part);
        at += kChunkHeaderSize + size;
        at += at & 1;
    }
    if (parts.empty())
        return false;
    *text = parts[0] + "{";
    for (size_t i = 1; i < parts.size(); ++i)
        *text += (i > 1 ? "," : "") + parts[i];
    *text += "}";
    return true;
}

} // namespace

std::vector<std::string> FinishedRecords(const std::vector<uint8_t>& bytes, size_t* end)
{
    std::vector<std::string> records;
    size_t at = kChunkHeaderSize;
    *end = at;
    while (at <= bytes.size() && bytes.size() - at >= kChunkHeaderSize) {
        const uint64_t size = Get64(&bytes[at + 8]);
        if (size == 0 || size > bytes.size() - at - kChunkHeaderSize)
            break;
        std::string text;
        if (!DescribeBytes(bytes, Get64(&bytes[at]), at + kChunkHeaderSize, at + kChunkHeaderSize + size, &text))
            break;
        records.push_back(text);
        at += kChunkHeaderSize + size;
        at += at & 1;
        *end = at;
    }
    return records;
}

void WriteDocumentRecord(IJournalFile* journal, size_t bytes)
{
    ComRef<IChunkFile> file;
    if (FAILED(journal->GetChunkFile(file.Out())))
        throw std::runtime_error("no journal");
    std::vector<uint8_t> record(bytes, 0x44);
    file->CreateChunkById(kDocumentChunkId, 0);
    file->Write(record.data(), static_cast<DWORD>(record.size()));
    file->Ascend();
}

} // namespace kvtest
