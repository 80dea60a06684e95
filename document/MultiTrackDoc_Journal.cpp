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
    std::memcpy(&h[494], &v.recordChannels, 2);
    std::memcpy(&h[496], &v.channelSplit, 4);
    return h;
}

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
        WORD record = 2;
        if (m_engine)
            m_engine->GetRecordChannels(&record);
        values.recordChannels = record;
        values.channelSplit = static_cast<uint32_t>(GetSettingInt("Settings", "ChannelSplit", 0));
        std::array<uint8_t, kJournalHeaderSize> header = BuildJournalHeader(values);
        ThrowIfFailed(file->CreateChunkById(MakeTag("KSCMKDOC"), 0));
        if (file->Write(header.data(), kJournalHeaderSize) != kJournalHeaderSize)
            throw CKvSSException(E_FAIL);
        ThrowIfFailed(file->Ascend());
    } catch (const CKvSSException& e) {
        doccmd::ShowError(e.m_hr);
    }
}

void CNyMultiTrackDoc::CloseWorkFiles()
{
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
    if (m_history)
        m_history->SetModified(TRUE);
    CDocument::SetModifiedFlag(TRUE);
    return S_OK;
}
