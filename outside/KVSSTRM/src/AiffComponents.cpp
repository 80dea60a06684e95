// The AIFF reader and writer components. Frames reach the program interleaved and
// little-endian (8-bit unsigned, as in WAV); a channel table of the file's channel count
// maps file channel i to the program's channel table[i].
#include "AiffFormat.h"
#include "KvSSException.h"
#include "Library.h"

#include <cstring>
#include <new>

namespace {

constexpr HRESULT kErrNotOpen = E_UNEXPECTED;

class FileSource : public AiffSource {
public:
    explicit FileSource(HANDLE file) : m_file(file)
    {
        LARGE_INTEGER size{};
        ::GetFileSizeEx(file, &size);
        m_size = static_cast<uint64_t>(size.QuadPart);
    }
    uint64_t Size() const override { return m_size; }
    void ReadAt(uint64_t offset, void* buffer, size_t bytes) const override
    {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD done = 0;
        if (!::ReadFile(m_file, buffer, static_cast<DWORD>(bytes), &done, &at) || done != bytes)
            throw CKvSSException(kAiffErrDamaged);
    }

private:
    HANDLE m_file;
    uint64_t m_size = 0;
};

// The order of a channel count from the component's parameters; identity when none is set
// or the stored table is not an order of all channels.
std::vector<int> ChannelOrder(InterfaceTag tag, int channels)
{
    std::vector<int> order(static_cast<size_t>(channels));
    for (int i = 0; i < channels; ++i)
        order[static_cast<size_t>(i)] = i;
    if (channels < 3 || channels > 6)
        return order;
    char name[32];
    wsprintfA(name, "AIFF_ChannelTbl_%d", channels);
    std::vector<uint8_t> table;
    if (!ReadBinaryParam(tag, name, &table) || table.size() < 36)
        return order;
    uint32_t count = 0;
    memcpy(&count, table.data(), 4);
    if (count != static_cast<uint32_t>(channels))
        return order;
    std::vector<bool> seen(static_cast<size_t>(channels), false);
    for (int i = 0; i < channels; ++i) {
        const int to = table[4 + static_cast<size_t>(i)];
        if (to >= channels || seen[static_cast<size_t>(to)])
            return order;
        seen[static_cast<size_t>(to)] = true;
    }
    for (int i = 0; i < channels; ++i)
        order[static_cast<size_t>(i)] = table[4 + static_cast<size_t>(i)];
    return order;
}

// One sample between the file's coding and the program's little-endian one.
void ConvertSample(const uint8_t* from, uint8_t* to, int bytes, bool swap, bool flipSign8)
{
    for (int b = 0; b < bytes; ++b)
        to[b] = swap ? from[bytes - 1 - b] : from[b];
    if (flipSign8 && bytes == 1)
        to[0] ^= 0x80;
}

class AiffComponent : public IStrmComponent {
public:
    explicit AiffComponent(InterfaceTag tag) : m_tag(tag) {}
    virtual ~AiffComponent()
    {
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG n = ::InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(InterfaceTag tag, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (tag == m_tag) {
            AddRef();
            *object = static_cast<IStrmComponent*>(this);
            return S_OK;
        }
        if (tag == kTagDefaultParams) {
            IStrmDefaultParams* params = DefaultParamsOf(m_tag);
            params->AddRef();
            *object = params;
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    InterfaceTag STDMETHODCALLTYPE GetTag() override { return m_tag; }
    HRESULT STDMETHODCALLTYPE GetFormat(StrmFormat* format) override
    {
        if (!format)
            return E_POINTER;
        if (m_file == INVALID_HANDLE_VALUE)
            return kErrNotOpen;
        *format = m_format;
        return S_OK;
    }

protected:
    InterfaceTag m_tag;
    LONG m_refs = 1;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    StrmFormat m_format{};
    std::vector<int> m_order;
};

class AiffReader : public AiffComponent {
public:
    AiffReader() : AiffComponent(kTagAiffReader) {}
    HRESULT STDMETHODCALLTYPE Open(const char* path, const StrmFormat*) override
    {
        if (!path)
            return E_POINTER;
        if (m_file != INVALID_HANDLE_VALUE)
            return E_UNEXPECTED;
        HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return HRESULT_FROM_WIN32(::GetLastError());
        try {
            ParseAiff(FileSource(file), &m_description);
        } catch (const CKvSSException& e) {
            ::CloseHandle(file);
            return e.m_hr;
        }
        m_file = file;
        const AiffFormat& f = m_description.format;
        m_format = {f.rate, f.channels, f.containerBits, f.validBits,
                    static_cast<uint16_t>(f.coding == AiffCoding::FloatBE ? 1 : 0)};
        m_order = ChannelOrder(m_tag, f.channels);
        m_next = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLength(uint64_t* frames) override
    {
        if (!frames)
            return E_POINTER;
        if (m_file == INVALID_HANDLE_VALUE)
            return kErrNotOpen;
        *frames = m_description.frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Read(void* buffer, uint32_t* frames) override
    {
        if (!buffer || !frames)
            return E_POINTER;
        if (m_file == INVALID_HANDLE_VALUE)
            return kErrNotOpen;
        const AiffFormat& f = m_description.format;
        const uint64_t left = m_description.frames - m_next;
        const uint32_t count = static_cast<uint32_t>(left < *frames ? left : *frames);
        const int bytes = f.containerBits / 8;
        const size_t block = f.BlockAlign();
        std::vector<uint8_t> raw(block * count);
        try {
            if (count)
                FileSource(m_file).ReadAt(m_description.dataOffset + m_next * block, raw.data(), raw.size());
        } catch (const CKvSSException& e) {
            *frames = 0;
            return e.m_hr;
        }
        const bool swap = f.coding != AiffCoding::PcmLE;
        auto* out = static_cast<uint8_t*>(buffer);
        for (uint32_t frame = 0; frame < count; ++frame)
            for (int ch = 0; ch < f.channels; ++ch)
                ConvertSample(&raw[frame * block + static_cast<size_t>(ch) * bytes],
                              out + frame * block + static_cast<size_t>(m_order[static_cast<size_t>(ch)]) * bytes,
                              bytes, swap, true);
        m_next += count;
        *frames = count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, uint32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Close() override
    {
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        return S_OK;
    }

private:
    AiffDescription m_description;
    uint64_t m_next = 0;
};

class AiffWriter : public AiffComponent {
public:
    AiffWriter() : AiffComponent(kTagAiffWriter) {}
    HRESULT STDMETHODCALLTYPE Open(const char* path, const StrmFormat* format) override
    {
        if (!path || !format)
            return E_POINTER;
        if (m_file != INVALID_HANDLE_VALUE)
            return E_UNEXPECTED;
        const uint16_t bits = format->bits;
        if (format->isFloat || format->channels == 0 || format->channels > kAiffMaxChannels || format->rate == 0 ||
            (bits != 8 && bits != 16 && bits != 24 && bits != 32))
            return kAiffErrNotSupported;
        m_description = AiffDescription{};
        AiffFormat& f = m_description.format;
        f.channels = format->channels;
        f.rate = format->rate;
        f.containerBits = bits;
        f.validBits = format->validBits == 20 && bits == 24 ? 20 : bits;
        HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return HRESULT_FROM_WIN32(::GetLastError());
        m_file = file;
        m_format = *format;
        m_order = ChannelOrder(m_tag, f.channels);
        m_written = 0;
        // The header's size does not change with the count: it is written again at Close.
        HRESULT hr = WriteHead();
        if (FAILED(hr))
            Abandon();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetLength(uint64_t* frames) override
    {
        if (!frames)
            return E_POINTER;
        *frames = m_written;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Read(void*, uint32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, uint32_t frames) override
    {
        if (!buffer && frames)
            return E_POINTER;
        if (m_file == INVALID_HANDLE_VALUE)
            return kErrNotOpen;
        const AiffFormat& f = m_description.format;
        const int bytes = f.containerBits / 8;
        const size_t block = f.BlockAlign();
        if ((m_written + frames) * block > 0xFFFFFFF0ull)
            return kAiffErrSizeLimit;
        std::vector<uint8_t> raw(block * frames);
        const auto* in = static_cast<const uint8_t*>(buffer);
        for (uint32_t frame = 0; frame < frames; ++frame)
            for (int ch = 0; ch < f.channels; ++ch)
                ConvertSample(in + frame * block + static_cast<size_t>(m_order[static_cast<size_t>(ch)]) * bytes,
                              &raw[frame * block + static_cast<size_t>(ch) * bytes], bytes, true, true);
        DWORD done = 0;
        if (!::WriteFile(m_file, raw.data(), static_cast<DWORD>(raw.size()), &done, nullptr) || done != raw.size())
            return HRESULT_FROM_WIN32(::GetLastError());
        m_written += frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override
    {
        if (m_file == INVALID_HANDLE_VALUE)
            return S_FALSE;
        m_description.frames = m_written;
        HRESULT hr = S_OK;
        try {
            AiffLayout layout = LayoutAiff(m_description);
            DWORD done = 0;
            if (!layout.tail.empty())
                ::WriteFile(m_file, layout.tail.data(), static_cast<DWORD>(layout.tail.size()), &done, nullptr);
            ::SetFilePointer(m_file, 0, nullptr, FILE_BEGIN);
            if (!::WriteFile(m_file, layout.head.data(), static_cast<DWORD>(layout.head.size()), &done, nullptr) ||
                done != layout.head.size())
                hr = HRESULT_FROM_WIN32(::GetLastError());
        } catch (const CKvSSException& e) {
            hr = e.m_hr;
        }
        ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        return hr;
    }

private:
    HRESULT WriteHead()
    {
        try {
            AiffLayout layout = LayoutAiff(m_description);
            DWORD done = 0;
            if (!::WriteFile(m_file, layout.head.data(), static_cast<DWORD>(layout.head.size()), &done, nullptr) ||
                done != layout.head.size())
                return HRESULT_FROM_WIN32(::GetLastError());
        } catch (const CKvSSException& e) {
            return e.m_hr;
        }
        return S_OK;
    }
    void Abandon()
    {
        ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }

    AiffDescription m_description;
    uint64_t m_written = 0;
};

} // namespace

HRESULT WINAPI CreateAiffReader(DWORD tagLow, DWORD tagHigh, ITaggedObject** component)
{
    return CreateTagged<AiffReader>(tagLow, tagHigh, kTagAiffReader, component);
}

HRESULT WINAPI CreateAiffWriter(DWORD tagLow, DWORD tagHigh, ITaggedObject** component)
{
    return CreateTagged<AiffWriter>(tagLow, tagHigh, kTagAiffWriter, component);
}
