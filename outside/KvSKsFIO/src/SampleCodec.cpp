#include "SampleCodec.h"

#include "KvSSException.h"
#include "TempFilePaths.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

inline int32_t Int24(const uint8_t* p, bool be)
{
    const int32_t v = be ? (p[0] << 16 | p[1] << 8 | p[2]) : (p[2] << 16 | p[1] << 8 | p[0]);
    return (v ^ 0x800000) - 0x800000;
}
inline int32_t Int32(const uint8_t* p, bool be)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    if (be)
        v = __builtin_bswap32(v);
    return static_cast<int32_t>(v);
}
inline int16_t Int16(const uint8_t* p, bool be)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    if (be)
        v = __builtin_bswap16(v);
    return static_cast<int16_t>(v);
}

// One stored sample as a float of full scale 1.0.
inline float SampleFloat(const StoredFormat& f, const uint8_t* p)
{
    const bool be = f.coding == Coding::PcmBE || f.coding == Coding::FloatBE;
    switch (f.containerBits) {
    case 8:
        return ((f.signed8 ? int8_t(*p) : int(*p) - 128)) * (1.0f / 128.0f);
    case 16:
        return Int16(p, be) * (1.0f / 32768.0f);
    case 24:
        return static_cast<float>(Int24(p, be) * (1.0 / 8388608.0));
    default:
        if (f.coding == Coding::FloatLE || f.coding == Coding::FloatBE) {
            uint32_t v = static_cast<uint32_t>(Int32(p, be));
            float x;
            std::memcpy(&x, &v, 4);
            return x;
        }
        return static_cast<float>(Int32(p, be) * (1.0 / 2147483648.0));
    }
}

inline int64_t RoundClamp(double v, int64_t low, int64_t high)
{
    if (std::isnan(v))
        return 0;
    const double r = std::nearbyint(v);
    if (r < static_cast<double>(low))
        return low;
    if (r > static_cast<double>(high))
        return high;
    return static_cast<int64_t>(r);
}

inline float StorageFloat(Storage s, const uint8_t* p)
{
    switch (s) {
    case Storage::U8:
        return (int(*p) - 128) * (1.0f / 128.0f);
    case Storage::S16:
        return Int16(p, false) * (1.0f / 32768.0f);
    default: {
        float x;
        std::memcpy(&x, p, 4);
        return x;
    }
    }
}

} // namespace

void DecodeFrames(const StoredFormat& f, const uint8_t* in, size_t frames, Storage to, uint8_t* const* outs, int perOut)
{
    const int channels = f.channels;
    const int sb = f.containerBits / 8;
    const int ob = StorageBytes(to);
    const bool be = f.coding == Coding::PcmBE || f.coding == Coding::FloatBE;
    // The common forms first: whole-word copies without conversion.
    if (to == Storage::S16 && f.containerBits == 16 && !be) {
        if (perOut == channels) {
            std::memcpy(outs[0], in, frames * channels * 2);
            return;
        }
        const int16_t* src = reinterpret_cast<const int16_t*>(in);
        for (int c = 0; c < channels; ++c) {
            int16_t* dst = reinterpret_cast<int16_t*>(outs[c / perOut]) + c % perOut;
            for (size_t i = 0; i < frames; ++i)
                dst[i * perOut] = src[i * channels + c];
        }
        return;
    }
    for (int c = 0; c < channels; ++c) {
        uint8_t* dst = outs[c / perOut] + (c % perOut) * ob;
        const uint8_t* src = in + c * sb;
        const size_t step = static_cast<size_t>(perOut) * ob;
        for (size_t i = 0; i < frames; ++i, src += channels * sb, dst += step) {
            if (to == Storage::U8) {
                *dst = f.signed8 ? uint8_t(int8_t(*src) + 128) : *src;
            } else if (to == Storage::S16) {
                const int16_t v = Int16(src, be);
                std::memcpy(dst, &v, 2);
            } else {
                const float x = SampleFloat(f, src);
                std::memcpy(dst, &x, 4);
            }
        }
    }
}

void EncodeFrames(const StoredFormat& f, Storage from, const uint8_t* in, size_t frames, uint8_t* out)
{
    const int channels = f.channels;
    const int ib = StorageBytes(from);
    const size_t n = frames * channels;
    const bool be = f.coding == Coding::PcmBE || f.coding == Coding::FloatBE;
    if (from == Storage::S16 && f.containerBits == 16 && !be) {
        std::memcpy(out, in, n * 2);
        return;
    }
    if (from == Storage::U8 && f.containerBits == 8 && !f.signed8) {
        std::memcpy(out, in, n);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = in + i * ib;
        switch (f.containerBits) {
        case 8:
            if (from == Storage::U8)
                out[i] = f.signed8 ? uint8_t(int(*p) - 128) : *p;
            else {
                const int v = static_cast<int>(RoundClamp(StorageFloat(from, p) * 128.0, -128, 127));
                out[i] = f.signed8 ? uint8_t(int8_t(v)) : uint8_t(v + 128);
            }
            break;
        case 16: {
            int16_t v;
            if (from == Storage::S16)
                std::memcpy(&v, p, 2);
            else if (from == Storage::U8)
                v = static_cast<int16_t>((int(*p) - 128) * 256);
            else
                v = static_cast<int16_t>(RoundClamp(StorageFloat(from, p) * 32768.0, -32768, 32767));
            uint16_t u = static_cast<uint16_t>(v);
            if (be)
                u = __builtin_bswap16(u);
            std::memcpy(out + i * 2, &u, 2);
            break;
        }
        case 24: {
            int32_t v;
            if (f.validBits == 20)
                v = static_cast<int32_t>(RoundClamp(StorageFloat(from, p) * 524288.0, -524288, 524287)) * 16;
            else
                v = static_cast<int32_t>(RoundClamp(StorageFloat(from, p) * 8388608.0, -8388608, 8388607));
            uint8_t* o = out + i * 3;
            if (be) {
                o[0] = uint8_t(v >> 16);
                o[1] = uint8_t(v >> 8);
                o[2] = uint8_t(v);
            } else {
                o[0] = uint8_t(v);
                o[1] = uint8_t(v >> 8);
                o[2] = uint8_t(v >> 16);
            }
            break;
        }
        default: {
            uint32_t u;
            if (f.coding == Coding::FloatLE || f.coding == Coding::FloatBE) {
                const float x = StorageFloat(from, p);
                std::memcpy(&u, &x, 4);
            } else {
                u = static_cast<uint32_t>(
                    static_cast<int32_t>(RoundClamp(StorageFloat(from, p) * 2147483648.0, INT32_MIN, INT32_MAX)));
            }
            if (be)
                u = __builtin_bswap32(u);
            std::memcpy(out + i * 4, &u, 4);
            break;
        }
        }
    }
}

PeakAccumulator::PeakAccumulator(WORD bits, int channels)
    : m_bits(bits), m_storage(StorageOfBits(bits)), m_channels(channels), m_low(channels), m_high(channels)
{
}

int32_t PeakAccumulator::Value(const uint8_t* p) const
{
    switch (m_storage) {
    case Storage::U8:
        return int32_t(*p) - 128;
    case Storage::S16:
        return Int16(p, false);
    default: {
        float x;
        std::memcpy(&x, p, 4);
        if (std::isnan(x))
            return 0;
        if (m_bits == 20 || m_bits == 24) {
            const double full = m_bits == 20 ? 524288.0 : 8388608.0;
            return static_cast<int32_t>(std::max(-full, std::min(full - 1, std::floor(x * full))));
        }
        if (x > 1.0f)
            return 32767;
        if (x < -1.0f)
            return -32768;
        return static_cast<int32_t>(x * 32767.0);
    }
    }
}

void PeakAccumulator::Add(const uint8_t* storage, size_t frames)
{
    const int sb = StorageBytes(m_storage);
    const size_t frameBytes = static_cast<size_t>(sb) * m_channels;
    size_t i = 0;
    while (i < frames) {
        const size_t take = std::min(frames - i, kBlock - m_fill);
        for (int c = 0; c < m_channels; ++c) {
            const uint8_t* p = storage + i * frameBytes + c * sb;
            int32_t low = m_fill ? m_low[c] : INT32_MAX;
            int32_t high = m_fill ? m_high[c] : INT32_MIN;
            if (m_storage == Storage::S16) {
                for (size_t k = 0; k < take; ++k, p += frameBytes) {
                    int16_t v;
                    std::memcpy(&v, p, 2);
                    low = std::min<int32_t>(low, v);
                    high = std::max<int32_t>(high, v);
                }
            } else {
                for (size_t k = 0; k < take; ++k, p += frameBytes) {
                    const int32_t v = Value(p);
                    low = std::min(low, v);
                    high = std::max(high, v);
                }
            }
            m_low[c] = low;
            m_high[c] = high;
        }
        m_fill += take;
        i += take;
        if (m_fill == kBlock)
            Finish();
    }
}

void PeakAccumulator::Finish()
{
    if (m_fill == 0)
        return;
    for (int c = 0; c < m_channels; ++c) {
        m_records.push_back(m_low[c]);
        m_records.push_back(m_high[c]);
    }
    m_fill = 0;
}

namespace {

HANDLE CreateTempFile(std::string* name)
{
    TempFilePaths temp;
    const char* made = temp.MakeTempFileName();
    if (!made || !*made)
        throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
    *name = made;
    HANDLE h = CreateFileA(made, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        DeleteFileA(made);
        throw CKvSSException(HRESULT_FROM_WIN32(e));
    }
    return h;
}

void WriteAll(HANDLE h, const void* data, size_t bytes)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (bytes) {
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(h, p, ask, &done, nullptr) || done != ask)
            throw CKvSSException(HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_DISK_FULL));
        p += done;
        bytes -= done;
    }
}

} // namespace

TrackFile::TrackFile(WORD bits, int channels)
    : m_peaks(bits, channels), m_frameBytes(StorageBytes(StorageOfBits(bits)) * channels)
{
    m_data = CreateTempFile(&m_dataName);
}

TrackFile::~TrackFile()
{
    if (m_data != INVALID_HANDLE_VALUE)
        CloseHandle(m_data);
    if (!m_keep) {
        if (!m_dataName.empty())
            DeleteFileA(m_dataName.c_str());
        if (!m_peakName.empty())
            DeleteFileA(m_peakName.c_str());
    }
}

void TrackFile::WriteData(const uint8_t* storage, size_t frames)
{
    WriteAll(m_data, storage, frames * m_frameBytes);
}

void TrackFile::Close()
{
    CloseHandle(m_data);
    m_data = INVALID_HANDLE_VALUE;
    m_peaks.Finish();
    HANDLE peaks = CreateTempFile(&m_peakName);
    try {
        WriteAll(peaks, m_peaks.Records().data(), m_peaks.Records().size() * 4);
    } catch (...) {
        CloseHandle(peaks);
        throw;
    }
    CloseHandle(peaks);
}

FioProgress::FioProgress(HWND owner, const char* text) : m_owner(owner && IsWindow(owner) ? owner : nullptr)
{
    std::memset(&m_record, 0, sizeof m_record);
    if (text)
        lstrcpynA(m_record.text, text, sizeof m_record.text);
    if (m_owner) {
        SendMessageA(m_owner, WM_USER + 10, 1, reinterpret_cast<LPARAM>(&m_record));
        m_open = true;
    }
}

FioProgress::~FioProgress()
{
    if (m_open) {
        m_record.closeValue = 0;
        SendMessageA(m_owner, WM_USER + 10, 6, reinterpret_cast<LPARAM>(&m_record));
    }
}

void FioProgress::Step(uint64_t done, uint64_t total)
{
    if (!m_open)
        return;
    const LONG percent = total ? static_cast<LONG>(std::min<uint64_t>(100, done * 100 / total)) : 0;
    if (percent != m_last) {
        m_last = percent;
        m_record.value = percent;
        SendMessageA(m_owner, WM_USER + 10, 2, reinterpret_cast<LPARAM>(&m_record));
    }
    if (m_record.cancel)
        throw CKvSSException(kErrCancelled);
}

void FioProgress::Finish()
{
    if (!m_open)
        return;
    m_open = false;
    m_record.value = 100;
    m_record.closeValue = 100;
    SendMessageA(m_owner, WM_USER + 10, 4, reinterpret_cast<LPARAM>(&m_record));
}

SafeSave::SafeSave(const char* target) : m_target(target ? target : "")
{
    char full[MAX_PATH];
    char* namePart = nullptr;
    if (m_target.empty() || !GetFullPathNameA(m_target.c_str(), MAX_PATH, full, &namePart) || !namePart)
        throw CKvSSException(HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    m_target = full;
    const std::string folder(full, namePart);
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "NY", 0, temp))
        throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
    m_temp = temp;
    m_file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        DeleteFileA(temp);
        throw CKvSSException(HRESULT_FROM_WIN32(e));
    }
}

SafeSave::~SafeSave()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    if (!m_done)
        DeleteFileA(m_temp.c_str());
}

void SafeSave::Write(const void* data, size_t bytes)
{
    WriteAll(m_file, data, bytes);
}

void SafeSave::Commit()
{
    if (!FlushFileBuffers(m_file))
        throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
    CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    // One rename over the old file: it is either wholly old or wholly new.
    if (!MoveFileExA(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
    m_done = true;
}
