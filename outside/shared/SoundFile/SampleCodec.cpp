#include "SampleCodec.h"

#include "KvSSException.h"
#include "PcmCodec.h"
#include "TempFilePaths.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

inline int16_t Int16(const uint8_t* p)
{
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

pcm::Form FileForm(const StoredFormat& f)
{
    using pcm::Form;
    const bool be = f.coding == Coding::PcmBE || f.coding == Coding::FloatBE;
    if (f.coding == Coding::FloatLE || f.coding == Coding::FloatBE)
        return be ? Form::F32BE : Form::F32;
    switch (f.containerBits) {
    case 8:
        return f.signed8 ? Form::S8 : Form::U8;
    case 16:
        return be ? Form::S16BE : Form::S16;
    case 24:
        return f.validBits == 20 ? (be ? Form::S20BE : Form::S20) : (be ? Form::S24BE : Form::S24);
    default:
        return be ? Form::S32BE : Form::S32;
    }
}

pcm::Form StorageForm(Storage s)
{
    return s == Storage::U8 ? pcm::Form::U8 : s == Storage::S16 ? pcm::Form::S16 : pcm::Form::F32;
}

constexpr size_t kChunkSamples = 4096;

// Integer samples narrowed into a file are rounded (through float), not cut to their high bits.
void ConvertForFile(pcm::Form from, const uint8_t* in, size_t samples, pcm::Form to, uint8_t* out)
{
    if (pcm::IsFloat(from) || pcm::IsFloat(to) || pcm::BitsOf(to) >= pcm::BitsOf(from)) {
        pcm::Requantise(from, in, samples, to, out);
        return;
    }
    float chunk[kChunkSamples];
    for (size_t done = 0; done < samples; done += kChunkSamples) {
        const size_t n = std::min(kChunkSamples, samples - done);
        pcm::Decode(from, in + done * pcm::BytesOf(from), n, chunk);
        pcm::Encode(chunk, n, to, out + done * pcm::BytesOf(to));
    }
}

} // namespace

void DecodeFrames(const StoredFormat& f, const uint8_t* in, size_t frames, Storage to, uint8_t* const* outs, int perOut)
{
    const int channels = f.channels;
    const pcm::Form from = FileForm(f), form = StorageForm(to);
    if (perOut == channels) {
        pcm::Requantise(from, in, frames * size_t(channels), form, outs[0]);
        return;
    }
    // Whole frames into one interleaved chunk, then each channel to its place.
    const size_t inFrame = pcm::BytesOf(from) * size_t(channels), ob = pcm::BytesOf(form);
    const size_t chunkFrames = std::max<size_t>(1, kChunkSamples / size_t(channels));
    std::vector<uint8_t> chunk(chunkFrames * size_t(channels) * ob);
    for (size_t done = 0; done < frames; done += chunkFrames) {
        const size_t n = std::min(chunkFrames, frames - done);
        pcm::Requantise(from, in + done * inFrame, n * size_t(channels), form, chunk.data());
        for (int c = 0; c < channels; ++c) {
            uint8_t* dst = outs[c / perOut] + (done * size_t(perOut) + size_t(c % perOut)) * ob;
            const uint8_t* src = chunk.data() + size_t(c) * ob;
            for (size_t i = 0; i < n; ++i)
                std::memcpy(dst + i * size_t(perOut) * ob, src + i * size_t(channels) * ob, ob);
        }
    }
}

void EncodeFrames(const StoredFormat& f, Storage from, const uint8_t* in, size_t frames, uint8_t* out)
{
    ConvertForFile(StorageForm(from), in, frames * f.channels, FileForm(f), out);
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
        return Int16(p);
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
