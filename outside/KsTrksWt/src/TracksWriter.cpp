#include "TracksWriter.h"

#include "KvSSException.h"
#include "TempFilePaths.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kPeakBlockFrames = 1024; // the engine's peak block
// Samples come in tenths of a second: the data file is written a quarter of a megabyte at a
// time, as each write is a call into the system of its own.
constexpr size_t kWriteBytes = 256 * 1024;

void CopyName(const std::string& name, char* buffer)
{
    lstrcpynA(buffer, name.c_str(), MAX_PATH);
}

// Every depth of the engine: 8, 16, 20 (plain or in a 24-bit container), 24 and 32-bit float.
bool Writable(const WaveFormat& wf)
{
    if (wf.IsFloat())
        return wf.bitsPerSample == 32;
    if (!wf.IsPcm())
        return false;
    uint32_t bits = SampleConverter::EffectiveBits(wf);
    return bits == 8 || bits == 16 || bits == 20 || bits == 24;
}

WaveFormat FromMediaType(const AM_MEDIA_TYPE& mt)
{
    WaveFormat wf;
    std::memcpy(static_cast<void*>(&wf), mt.pbFormat, std::min<size_t>(mt.cbFormat, sizeof(WaveFormat)));
    if (wf.formatTag != kWaveTagExtensible)
        wf.extensionSize = 0;
    return wf;
}

// A name the caller could not read back whole (the answers hold 260 characters) is refused.
bool FitsNameBuffer(const char* path)
{
    return !path || std::strlen(path) < MAX_PATH;
}

} // namespace

TracksWriter::TracksWriter()
{
    SetClassId(CLSID_KsTrksWt);
}

TracksWriter::~TracksWriter()
{
    if (!m_complete)
        DeleteFiles();
    CloseFiles();
}

HRESULT TracksWriter::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    if (!IsUsableAudioType(mt))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return Writable(FromMediaType(mt)) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

void TracksWriter::CloseFiles()
{
    if (m_peaks) {
        m_peaks->End();
        m_peaks->Release();
        m_peaks = nullptr;
    }
    if (m_data) {
        if (m_data->IsOpen())
            m_data->Close();
        m_data->Release();
        m_data = nullptr;
    }
}

void TracksWriter::DeleteFiles()
{
    CloseFiles();
    for (const std::string* name : {&m_dataName, &m_peakName, &m_tempPeakName})
        if (!name->empty())
            DeleteFileA(name->c_str());
    AutoLock lock(m_outputLock);
    m_dataName.clear();
    m_peakName.clear();
    m_tempPeakName.clear();
}

HRESULT TracksWriter::OnStartStreaming()
{
    // The files of an earlier complete run belong to whoever took their names.
    CloseFiles();
    {
        AutoLock lock(m_outputLock);
        m_dataName.clear();
        m_peakName.clear();
        m_tempPeakName.clear();
        m_frames = 0;
        m_complete = false;
        // Under the lock: progress questions read the rate from another thread.
        m_format = FromMediaType(Input()->CurrentMediaType().Get());
    }
    m_pending.clear();
    m_pending.reserve(kWriteBytes);
    if (m_format.bitsPerSample == 8 || m_format.bitsPerSample == 16)
        m_storage = m_format;
    else
        m_storage.InitFloat32(m_format.samplesPerSec, m_format.channels);
    m_convert.SetSourceFormat(&m_format);
    m_convert.SetDestinationFormat(&m_storage);
    try {
        std::string dataName = m_wantData;
        // A new temporary file is empty already and is opened as it is: truncating it would make
        // the file system write all of it out when it closes, holding up the end of the run.
        DWORD openMode = kStreamCreate;
        if (dataName.empty()) {
            TempFilePaths temp;
            dataName = temp.MakeTempFileName();
            if (dataName.empty())
                throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
            openMode = kStreamReadWrite;
        }
        {
            AutoLock lock(m_outputLock);
            m_dataName = dataName;
        }
        ThrowIfFailed(CreateStreamObject(__uuidof(IFileStream), reinterpret_cast<void**>(&m_data)));
        m_data->SetFileName(dataName.c_str());
        ThrowIfFailed(m_data->Open(openMode));
        ThrowIfFailed(CreateStreamObject(__uuidof(IPeakBuilder), reinterpret_cast<void**>(&m_peaks)));
        ThrowIfFailed(m_peaks->Begin(&m_storage, kPeakBlockFrames));
        char peak[MAX_PATH] = {};
        ThrowIfFailed(m_peaks->GetFileName(peak, MAX_PATH));
        AutoLock lock(m_outputLock);
        m_tempPeakName = peak;
        return S_OK;
    } catch (const CKvSSException& e) {
        DeleteFiles();
        return e.m_hr;
    }
}

HRESULT TracksWriter::RenderSample(IMediaSample* sample)
{
    if (!m_data)
        return E_UNEXPECTED;
    BYTE* p = nullptr;
    sample->GetPointer(&p);
    long bytes = sample->GetActualDataLength();
    size_t frames = size_t(std::max<long>(bytes, 0)) / m_format.blockAlign;
    if (frames == 0)
        return S_OK;
    const BYTE* out = p;
    size_t outBytes = frames * m_storage.blockAlign;
    if (m_format.blockAlign != m_storage.blockAlign || m_format.IsFloat() != m_storage.IsFloat()) {
        m_buffer.resize(outBytes);
        m_convert.Convert(p, frames, m_buffer.data());
        out = m_buffer.data();
    }
    try {
        m_peaks->Write(out, DWORD(outBytes)); // while the data is still in the cache
        if (m_pending.size() + outBytes > kWriteBytes)
            WritePending();
        if (m_pending.empty() && outBytes >= kWriteBytes) {
            WriteData(out, outBytes); // large enough alone: no copy through m_pending
        } else {
            m_pending.insert(m_pending.end(), out, out + outBytes);
            if (m_pending.size() >= kWriteBytes)
                WritePending();
        }
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    AutoLock lock(m_outputLock);
    m_frames += LONGLONG(frames);
    return S_OK;
}

void TracksWriter::WritePending()
{
    if (m_pending.empty())
        return;
    WriteData(m_pending.data(), m_pending.size());
    m_pending.clear();
}

void TracksWriter::WriteData(const void* data, size_t bytes)
{
    DWORD done = 0;
    ThrowIfFailed(m_data->Write(data, DWORD(bytes), &done));
    if (done != bytes)
        throw CKvSSException(HRESULT_FROM_WIN32(ERROR_DISK_FULL));
}

HRESULT TracksWriter::OnEndOfStreamReceived()
{
    if (!m_data)
        return E_UNEXPECTED;
    try {
        WritePending();
        ThrowIfFailed(m_peaks->End());
        m_peaks->Release();
        m_peaks = nullptr;
        ThrowIfFailed(m_data->Close());
        std::string peak = m_tempPeakName;
        if (!m_wantPeak.empty()) {
            if (!MoveFileExA(peak.c_str(), m_wantPeak.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
                throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
            peak = m_wantPeak;
        }
        AutoLock lock(m_outputLock);
        m_peakName = peak;
        m_tempPeakName.clear();
        m_complete = true;
        return S_OK;
    } catch (const CKvSSException& e) {
        DeleteFiles();
        return e.m_hr;
    }
}

void TracksWriter::OnStopStreaming()
{
    if (m_complete)
        CloseFiles();
    else
        DeleteFiles(); // stopped before the end: nothing half-written stays
}

HRESULT TracksWriter::RenderedPosition(LONGLONG* pos)
{
    AutoLock lock(m_outputLock);
    *pos = m_format.samplesPerSec ? m_frames * 10000000 / m_format.samplesPerSec : 0;
    return S_OK;
}

STDMETHODIMP TracksWriter::GetDataFileName(char* buffer)
{
    if (!buffer)
        return E_POINTER;
    AutoLock lock(m_outputLock);
    CopyName(m_complete ? m_dataName : std::string(), buffer);
    return S_OK;
}

STDMETHODIMP TracksWriter::GetPeakFileName(char* buffer)
{
    if (!buffer)
        return E_POINTER;
    AutoLock lock(m_outputLock);
    CopyName(m_complete ? m_peakName : std::string(), buffer);
    return S_OK;
}

STDMETHODIMP TracksWriter::GetWaveFormat(WAVEFORMATEX* format)
{
    if (!format)
        return E_POINTER;
    AutoLock lock(m_outputLock);
    std::memcpy(format, &m_format, sizeof(WAVEFORMATEX));
    // The plain head only: an extensible connection is reported by its effective encoding.
    format->wFormatTag = m_format.IsFloat() ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    format->wBitsPerSample = WORD(SampleConverter::EffectiveBits(m_format));
    format->cbSize = 0;
    return m_format.channels ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP TracksWriter::GetWrittenLength(LONGLONG* frames)
{
    if (!frames)
        return E_POINTER;
    AutoLock lock(m_outputLock);
    *frames = m_frames;
    return S_OK;
}

STDMETHODIMP TracksWriter::SetDataFileName(const char* path)
{
    if (!FitsNameBuffer(path))
        return E_INVALIDARG;
    AutoLock lock(m_outputLock);
    m_wantData = path ? path : "";
    return S_OK;
}

STDMETHODIMP TracksWriter::SetPeakFileName(const char* path)
{
    if (!FitsNameBuffer(path))
        return E_INVALIDARG;
    AutoLock lock(m_outputLock);
    m_wantPeak = path ? path : "";
    return S_OK;
}

STDMETHODIMP TracksWriter::Reset()
{
    AutoLock state(m_stateLock);
    if (m_state != State_Stopped)
        return VFW_E_NOT_STOPPED;
    AutoLock lock(m_outputLock);
    m_wantData.clear();
    m_wantPeak.clear();
    m_dataName.clear();
    m_peakName.clear();
    m_frames = 0;
    m_complete = false;
    return S_OK;
}
