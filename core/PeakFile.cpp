#include "PeakFile.h"

#include "FileHandle.h"
#include "KvSSException.h"
#include "TempFilePaths.h"

#include <string>

PeakFile::~PeakFile()
{
    try {
        if (m_data && m_data->IsOpen())
            m_data->Close();
    } catch (const CKvSSException&) {
        // the stream's own destructor closes the handle
    }
    ReleaseParts();
}

void PeakFile::ReleaseParts()
{
    m_builder.Reset();
    m_data.Reset();
}

HRESULT PeakFile::Create(const WaveFormat* format, DWORD framesPerBlock)
{
    if (!format)
        return E_POINTER;
    if (format->channels > 2)
        throw CKvSSException(kPeakFileFormatNotSupported);
    ReleaseParts();
    try {
        ThrowIfFailed(CreateStreamObject(__uuidof(IFileStream), m_data.OutVoid()));
        TempFilePaths temp;
        const char* name = temp.MakeTempFileName();
        if (!*name)
            throw CKvSSException(LastErrorCode());
        m_data->SetFileName(name);
        m_data->Open(kStreamCreate);
        ThrowIfFailed(CreateStreamObject(__uuidof(IPeakBuilder), m_builder.OutVoid()));
        return ThrowIfFailed(m_builder->Begin(format, framesPerBlock));
    } catch (const CKvSSException&) {
        DiscardParts();
        throw;
    }
}

void PeakFile::DiscardParts()
{
    // The caller gets no name from a failed Create, so the data file made for it goes too.
    if (m_data) {
        std::string name(m_data->GetFileName(nullptr, 0), '\0');
        m_data->GetFileName(&name[0], static_cast<DWORD>(name.size()));
        try {
            if (m_data->IsOpen())
                m_data->Close();
        } catch (const CKvSSException&) {
            // released below, which closes the handle
        }
        if (!name.empty())
            ::DeleteFileA(name.c_str());
    }
    ReleaseParts();
}

HRESULT PeakFile::Write(const void* data, DWORD bytes, DWORD* done)
{
    if (!m_data || !m_builder)
        return E_FAIL;
    m_builder->Write(data, bytes);
    return m_data->Write(data, bytes, done);
}

HRESULT PeakFile::Close()
{
    if (m_builder)
        m_builder->End();
    if (m_data && m_data->IsOpen())
        m_data->Close();
    return S_OK;
}

HRESULT PeakFile::GetDataFileName(char* buffer, DWORD capacity)
{
    if (!m_data)
        return E_FAIL;
    if (buffer)
        m_data->GetFileName(buffer, capacity);
    return S_OK;
}

HRESULT PeakFile::GetPeakFileName(char* buffer, DWORD capacity)
{
    if (!m_builder)
        return E_FAIL;
    return m_builder->GetFileName(buffer, capacity);
}

HRESULT PeakFile::GetDataSize(uint64_t* size)
{
    if (!m_data)
        return E_FAIL;
    return m_data->GetSize(size);
}
