// The WAV reader ("KSWAVR  ") and writer ("KSWAVW  ") components. Frames pass as they lie in
// the file: interleaved, little-endian, 8-bit unsigned.
#include "KvSSException.h"
#include "Library.h"
#include "SoundFile.h"

#include <memory>

namespace {

template <InterfaceTag kTag>
class WavComponent : public TaggedObject<IStrmComponent, kTag> {
public:
    HRESULT STDMETHODCALLTYPE GetFormat(StrmFormat* format) override
    {
        if (!format)
            return E_POINTER;
        if (!m_open)
            return E_UNEXPECTED;
        *format = m_format;
        return S_OK;
    }

protected:
    bool m_open = false;
    StrmFormat m_format{};
};

class WavReader : public WavComponent<kTagWavReader> {
public:
    HRESULT STDMETHODCALLTYPE Open(const char* path, const StrmFormat*) override
    {
        if (!path)
            return E_POINTER;
        if (m_open)
            return E_UNEXPECTED;
        try {
            auto file = std::make_unique<InFile>(path);
            ReadWav(*file, &m_sound);
            const StoredFormat& f = m_sound.format;
            if (f.coding != Coding::PcmLE && f.coding != Coding::FloatLE)
                return kErrNotSupported;
            m_format = {f.rate, f.channels, f.containerBits, f.validBits, uint16_t(f.coding == Coding::FloatLE)};
            m_file = std::move(file);
        } catch (const CKvSSException& e) {
            return e.m_hr;
        }
        m_open = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLength(uint64_t* frames) override
    {
        if (!frames)
            return E_POINTER;
        if (!m_open)
            return E_UNEXPECTED;
        *frames = m_sound.frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Read(void* buffer, uint32_t* frames) override
    {
        if (!buffer || !frames)
            return E_POINTER;
        if (!m_open)
            return E_UNEXPECTED;
        const uint32_t n = uint32_t(std::min<uint64_t>(*frames, m_sound.frames - m_next));
        const size_t bytes = size_t(n) * m_sound.format.BlockAlign();
        *frames = 0;
        try {
            m_file->ReadAt(m_sound.dataOffset + m_next * m_sound.format.BlockAlign(), buffer, bytes);
        } catch (const CKvSSException& e) {
            return e.m_hr;
        }
        m_next += n;
        *frames = n;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, uint32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Close() override
    {
        m_file.reset();
        m_open = false;
        return S_OK;
    }

private:
    std::unique_ptr<InFile> m_file;
    SoundFile m_sound;
    uint64_t m_next = 0;
};

class WavWriter : public WavComponent<kTagWavWriter> {
public:
    ~WavWriter() override
    {
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
    }
    HRESULT STDMETHODCALLTYPE Open(const char* path, const StrmFormat* format) override
    {
        if (!path || !format)
            return E_POINTER;
        if (m_open)
            return E_UNEXPECTED;
        const uint16_t bits = format->bits;
        if (!format->channels || format->channels > kMaxChannels || !format->rate ||
            (format->isFloat ? bits != 32 : bits != 8 && bits != 16 && bits != 24 && bits != 32))
            return kErrNotSupported;
        m_sound = SoundFile();
        m_sound.format = FormatForWrite(kTypeWav, format->channels, format->rate,
                                        format->validBits == 20 && bits == 24 ? 20 : bits,
                                        format->isFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM, 0, false);
        m_file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (m_file == INVALID_HANDLE_VALUE)
            return HRESULT_FROM_WIN32(::GetLastError());
        m_head = LayoutWav(m_sound).head.size();
        // The header's sizes are filled in when the file is closed.
        HRESULT hr = Put(std::vector<uint8_t>(m_head, 0));
        if (FAILED(hr))
            return hr;
        m_format = *format;
        m_open = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLength(uint64_t* frames) override
    {
        if (!frames)
            return E_POINTER;
        *frames = m_sound.frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Read(void*, uint32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, uint32_t frames) override
    {
        if (!buffer && frames)
            return E_POINTER;
        if (!m_open)
            return E_UNEXPECTED;
        const uint64_t bytes = uint64_t(frames) * m_sound.format.BlockAlign();
        if ((m_sound.frames + frames) * m_sound.format.BlockAlign() + m_head > 0xFFFFFFF0ull)
            return kErrSizeLimit;
        DWORD wrote = 0;
        if (!::WriteFile(m_file, buffer, DWORD(bytes), &wrote, nullptr) || wrote != bytes)
            return HRESULT_FROM_WIN32(::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT);
        m_sound.frames += frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override
    {
        if (!m_open)
            return S_FALSE;
        m_open = false;
        HRESULT hr = S_OK;
        try {
            const WriteLayout layout = LayoutWav(m_sound);
            hr = Put(layout.tail);
            LARGE_INTEGER start{};
            if (SUCCEEDED(hr) && layout.head.size() == m_head && ::SetFilePointerEx(m_file, start, nullptr, FILE_BEGIN))
                hr = Put(layout.head);
            else if (SUCCEEDED(hr))
                hr = E_FAIL;
        } catch (const CKvSSException& e) {
            hr = e.m_hr;
        }
        if (!::CloseHandle(m_file) && SUCCEEDED(hr))
            hr = HRESULT_FROM_WIN32(::GetLastError());
        m_file = INVALID_HANDLE_VALUE;
        return hr;
    }

private:
    HRESULT Put(const std::vector<uint8_t>& bytes)
    {
        DWORD wrote = 0;
        if (!bytes.empty() && (!::WriteFile(m_file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr) ||
                               wrote != bytes.size()))
            return HRESULT_FROM_WIN32(::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT);
        return S_OK;
    }

    HANDLE m_file = INVALID_HANDLE_VALUE;
    SoundFile m_sound;
    size_t m_head = 0;
};

} // namespace

HRESULT WINAPI CreateWavReader(DWORD tagLow, DWORD tagHigh, ITaggedObject** component)
{
    return CreateTagged<WavReader>(tagLow, tagHigh, kTagWavReader, component);
}

HRESULT WINAPI CreateWavWriter(DWORD tagLow, DWORD tagHigh, ITaggedObject** component)
{
    return CreateTagged<WavWriter>(tagLow, tagHigh, kTagWavWriter, component);
}
