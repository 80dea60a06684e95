#include "TakeFile.h"

#include "ItemData.h"
#include "KvSSException.h"

#include <cstring>

std::string MakeEngineTempFile()
{
    std::string folder = GetEngineTempFolder();
    char name[MAX_PATH];
    if (folder.empty() || !GetTempFileNameA(folder.c_str(), "KMT", 0, name))
        throw CKvSSException(HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_PATH_NOT_FOUND));
    return name;
}

namespace {

HANDLE OpenForWriting(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
    return h;
}

} // namespace

TakeFile::~TakeFile()
{
    Finish();
}

void TakeFile::Create(const MtFormat& format)
{
    m_format = format;
    try {
        m_dataPath = MakeEngineTempFile();
        m_data = OpenForWriting(m_dataPath);
        m_peakPath = MakeEngineTempFile();
        m_peaks = OpenForWriting(m_peakPath);
    } catch (...) {
        Discard();
        throw;
    }
    m_blockMin.assign(format.channels, 0);
    m_blockMax.assign(format.channels, 0);
}

bool TakeFile::Append(const int16_t* frames, size_t count, int inChannels)
{
    m_converted.resize(count * static_cast<size_t>(inChannels));
    for (size_t i = 0; i < m_converted.size(); ++i)
        m_converted[i] = S16ToFloat(frames[i]);
    return Append(m_converted.data(), count, inChannels);
}

bool TakeFile::Append(const float* frames, size_t count, int inChannels)
{
    if (m_failed || m_data == INVALID_HANDLE_VALUE)
        return !m_failed;
    const int out = m_format.channels;
    const SampleKind kind = KindOfBits(m_format.bits);
    const int bytes = BytesPerSample(m_format.bits);
    m_buffer.resize(count * out * bytes);
    uint8_t* dst = m_buffer.data();
    for (size_t f = 0; f < count; ++f) {
        const float* in = frames + f * inChannels;
        for (int c = 0; c < out; ++c) {
            float v;
            if (out == 1 && inChannels > 1) {
                float sum = 0;
                for (int i = 0; i < inChannels; ++i)
                    sum += in[i];
                v = sum / static_cast<float>(inChannels);
            } else {
                v = in[c % inChannels];
            }
            ConvertSample(reinterpret_cast<const uint8_t*>(&v), SampleKind::F32, dst, kind);
            LONG peak = PeakValue(dst, kind);
            m_blockMin[c] = (m_blockFill == 0) ? peak : std::min(m_blockMin[c], peak);
            m_blockMax[c] = (m_blockFill == 0) ? peak : std::max(m_blockMax[c], peak);
            dst += bytes;
        }
        if (++m_blockFill == ItemData::kPeakBlock)
            FlushPeaks(false);
    }
    DWORD want = static_cast<DWORD>(m_buffer.size());
    DWORD done = 0;
    if (!WriteFile(m_data, m_buffer.data(), want, &done, nullptr) || done != want) {
        m_error = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
        // Keep the whole frames that made it; the rest of the take is lost, not misaligned.
        const int frameBytes = out * bytes;
        LONGLONG whole = static_cast<LONGLONG>(done / frameBytes);
        LARGE_INTEGER at;
        at.QuadPart = (m_frames + whole) * frameBytes;
        SetFilePointerEx(m_data, at, nullptr, FILE_BEGIN);
        SetEndOfFile(m_data);
        m_frames += whole;
        m_failed = true;
        return false;
    }
    m_frames += static_cast<LONGLONG>(count);
    return true;
}

void TakeFile::FlushPeaks(bool last)
{
    if (m_blockFill == 0)
        return;
    for (size_t c = 0; c < m_blockMin.size(); ++c)
        m_peakOut.push_back(
            MtPeakItem{PeakToDocument(m_blockMin[c], m_format.bits), PeakToDocument(m_blockMax[c], m_format.bits)});
    m_blockFill = 0;
    if (m_peakOut.size() >= 4096 || last) {
        if (m_peaks != INVALID_HANDLE_VALUE && !m_peakOut.empty()) {
            DWORD done = 0;
            WriteFile(m_peaks, m_peakOut.data(), static_cast<DWORD>(m_peakOut.size() * sizeof(MtPeakItem)), &done,
                      nullptr);
        }
        m_peakOut.clear();
    }
}

void TakeFile::Finish()
{
    if (m_data == INVALID_HANDLE_VALUE && m_peaks == INVALID_HANDLE_VALUE)
        return;
    // Peaks are whole only for the frames that were written.
    if (m_failed) {
        m_peakOut.clear();
        m_blockFill = 0;
    }
    FlushPeaks(true);
    if (m_peaks != INVALID_HANDLE_VALUE && !m_peakOut.empty()) {
        DWORD done = 0;
        WriteFile(m_peaks, m_peakOut.data(), static_cast<DWORD>(m_peakOut.size() * sizeof(MtPeakItem)), &done, nullptr);
    }
    m_peakOut.clear();
    if (m_data != INVALID_HANDLE_VALUE)
        CloseHandle(m_data);
    if (m_peaks != INVALID_HANDLE_VALUE)
        CloseHandle(m_peaks);
    m_data = m_peaks = INVALID_HANDLE_VALUE;
}

void TakeFile::Discard()
{
    if (m_data != INVALID_HANDLE_VALUE)
        CloseHandle(m_data);
    if (m_peaks != INVALID_HANDLE_VALUE)
        CloseHandle(m_peaks);
    m_data = m_peaks = INVALID_HANDLE_VALUE;
    if (!m_dataPath.empty())
        DeleteFileA(m_dataPath.c_str());
    if (!m_peakPath.empty())
        DeleteFileA(m_peakPath.c_str());
    m_dataPath.clear();
    m_peakPath.clear();
    m_frames = 0;
}
