// The document's edit journal (work file): opened fresh for every new, opened and saved
// document, so that it holds exactly the edits since the file was last written.
#include "MultiTrackDoc.h"

#include "ChunkFile.h"
#include "CommandInterfaces.h"
#include "DocCommandSupport.h"
#include "JournalHeader.h"
#include "Settings.h"
#include "TaggedInterface.h"
#include "TempFilePaths.h"

#include <cstring>

void CNyMultiTrackDoc::OpenWorkFiles(const char* path)
{
    CloseWorkFiles();
    TempFilePaths temp;
    OpenWorkFilesAt(temp.MakeTempFileName("KVC"), path);
}

void CNyMultiTrackDoc::OpenWorkFilesAt(const char* journalPath, const char* path)
{
    try {
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(m_history.Get());
        if (!journal)
            throw CKvSSException(E_NOINTERFACE);
        m_workFilePath = journalPath ? journalPath : "";
        HRESULT hr = journal->Open(m_workFilePath);
        if (FAILED(hr)) {
            // The empty file would be offered by the recovery as a journal of a lost session.
            ::DeleteFileA(m_workFilePath);
            throw CKvSSException(hr);
        }
        ComRef<IChunkFile> file;
        ThrowIfFailed(journal->GetChunkFile(file.Out()));
        JournalHeaderValues values;
        values.path = path ? path : "";
        std::string title = static_cast<const char*>(GetTitle());
        values.title = title.c_str();
        values.multichannel = m_settings.documentType == 1 ? 1 : 0;
        values.samplesPerSec = GetSamplesPerSec();
        values.bitsPerSample = GetBitsPerSample();
        values.bitsPerSample = GetStoredBits() ? GetStoredBits() : GetBitsPerSample();
        values.channels = GetTrackCount() > 0 ? static_cast<uint16_t>(GetTrackChannels(0)) : 2;
        values.channelSplit = static_cast<uint32_t>(GetSettingInt("Settings", "ChannelSplit", 0));
        std::array<uint8_t, kJournalHeaderSize> header = BuildJournalHeader(values);
        const JournalIdentity identity = MakeJournalIdentity(values.path, values.title, m_fileInfo);
        ThrowIfFailed(file->CreateChunkById(MakeTag("KSCMKDOC"), 0));
        if (file->GetPosition() != kJournalIdentityOffset - kJournalHeaderSize)
            throw CKvSSException(E_UNEXPECTED);
        if (file->Write(header.data(), kJournalHeaderSize) != kJournalHeaderSize ||
            file->Write(&identity, sizeof identity) != sizeof identity)
            throw CKvSSException(E_FAIL);
        ThrowIfFailed(file->Ascend());
        m_identityAt = kJournalIdentityOffset;
        m_journalIdentity.assign(reinterpret_cast<const uint8_t*>(&identity),
                                 reinterpret_cast<const uint8_t*>(&identity + 1));
    } catch (const CKvSSException& e) {
        doccmd::ShowError(e.m_hr);
    }
}

void CNyMultiTrackDoc::SetPathName(const char* path, BOOL addToRecent)
{
    CDocument::SetPathName(path, addToRecent);
    KeepJournalIdentity();
}

void CNyMultiTrackDoc::KeepJournalIdentity()
{
    if (!m_identityAt)
        return;
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(m_history.Get());
    ComRef<IChunkFile> file;
    if (!journal || FAILED(journal->GetChunkFile(file.Out())) || !file)
        return;
    // Only into the journal this document opened and wrote the record into.
    char journalPath[MAX_PATH] = {};
    journal->GetPath(journalPath, sizeof journalPath - 1);
    if (m_workFilePath.CompareNoCase(journalPath) != 0)
        return;
    const std::string path = static_cast<const char*>(GetPathName());
    const std::string title = static_cast<const char*>(GetTitle());
    const JournalIdentity identity = MakeJournalIdentity(path.c_str(), title.c_str(), m_fileInfo);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&identity);
    if (m_journalIdentity.size() == sizeof identity && std::memcmp(m_journalIdentity.data(), bytes, sizeof identity) == 0)
        return;
    // Written in place: the record keeps its size, and appends go on at the end.
    try {
        const uint64_t end = file->GetPosition();
        file->Seek(static_cast<int64_t>(m_identityAt), kSeekBegin);
        const bool written = file->Write(bytes, sizeof identity) == sizeof identity;
        file->Seek(static_cast<int64_t>(end), kSeekBegin);
        if (written)
            m_journalIdentity.assign(bytes, bytes + sizeof identity);
    } catch (const CKvSSException&) {
        // The journal's records are untouched; a recovery names the document as before.
    }
}

void CNyMultiTrackDoc::CloseWorkFiles()
{
    m_identityAt = 0;
    m_journalIdentity.clear();
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(m_history.Get());
    if (!journal)
        return;
    journal->Close();
    char path[MAX_PATH] = {};
    journal->GetPath(path, sizeof path);
    if (path[0])
        ::DeleteFileA(path);
}

void CNyMultiTrackDoc::ResumeWorkFiles(const char* path)
{
    HRESULT hr = CloseWorkFilesReporting(path);
    if (FAILED(hr))
        doccmd::ShowError(hr);
}

HRESULT CNyMultiTrackDoc::CloseWorkFilesReporting(const char* path)
{
    CloseWorkFiles();
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(m_history.Get());
    if (!journal)
        return E_NOINTERFACE;
    m_workFilePath = path ? path : "";
    HRESULT hr = journal->Open(m_workFilePath);
    if (FAILED(hr)) {
        // The file stays for a later start; this document keeps no journal.
        m_workFilePath.Empty();
        return hr;
    }
    // After a partial replay the journal goes on in a copy: that is this document's file.
    char journalPath[MAX_PATH] = {};
    journal->GetPath(journalPath, sizeof journalPath - 1);
    m_workFilePath = journalPath;
    ComRef<IChunkFile> file;
    if (SUCCEEDED(journal->GetChunkFile(file.Out())) && file) {
        // A journal of this program holds the name record at its place: kept up to date from here.
        const uint64_t end = file->GetPosition();
        uint8_t head[16] = {};
        file->Seek(16, kSeekBegin);
        if (file->Read(head, sizeof head) == sizeof head && std::memcmp(head, "KSCMKDOC", 8) == 0) {
            uint64_t size = 0;
            std::memcpy(&size, head + 8, 8);
            std::vector<uint8_t> data(kJournalHeaderSize + sizeof(JournalIdentity));
            JournalIdentity identity{};
            if (size >= data.size() && file->Read(data.data(), DWORD(data.size())) == data.size() &&
                ReadJournalIdentity(data.data(), data.size(), &identity)) {
                m_identityAt = kJournalIdentityOffset;
                m_journalIdentity.assign(data.begin() + kJournalHeaderSize, data.end());
            }
        }
        file->Seek(static_cast<int64_t>(end), kSeekBegin);
    }
    if (m_history)
        m_history->SetModified(TRUE);
    CDocument::SetModifiedFlag(TRUE);
    return hr;
}
