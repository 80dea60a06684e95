#include "Resample.h"

#include "ContentIO.h"

#include "KvSSException.h"

#include <algorithm>
#include <cmath>

namespace {

// A scoped output file that is deleted unless kept.
class TempDataFile {
public:
    TempDataFile()
    {
        std::string folder = GetEngineTempFolder();
        char name[MAX_PATH];
        if (!GetTempFileNameA(folder.c_str(), "KMT", 0, name))
            throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
        m_path = name;
        m_file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE) {
            DeleteFileA(name);
            throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
        }
    }
    ~TempDataFile()
    {
        Close();
        if (!m_kept)
            DeleteFileA(m_path.c_str());
    }
    void Write(const void* data, size_t bytes)
    {
        DWORD written = 0;
        if (!WriteFile(m_file, data, static_cast<DWORD>(bytes), &written, nullptr) || written != bytes)
            throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
    }
    void Close()
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    void Keep() { m_kept = true; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    bool m_kept = false;
};

} // namespace

ContentPtr ResampleContent(const Content& content, const MtFormat& from, const MtFormat& to)
{
    const LONGLONG inFrames = content.Length();
    if (inFrames == 0)
        return Content::Empty();
    const int channels = from.channels;
    const double step = static_cast<double>(from.rate) / to.rate;
    const LONGLONG outFrames = static_cast<LONGLONG>(std::floor((inFrames - 1) / step)) + 1;
    const SampleKind kind = KindOfBits(to.bits);
    const int bps = BytesPerSample(to.bits);

    TempDataFile file;
    const LONGLONG kBlock = 16384;
    std::vector<float> in;
    std::vector<uint8_t> out(static_cast<size_t>(kBlock * channels * bps));
    for (LONGLONG first = 0; first < outFrames; first += kBlock) {
        LONGLONG n = std::min(kBlock, outFrames - first);
        LONGLONG srcFirst = static_cast<LONGLONG>(std::floor(first * step));
        LONGLONG srcLast = static_cast<LONGLONG>(std::floor((first + n - 1) * step)) + 1;
        LONGLONG srcCount = srcLast - srcFirst + 1;
        in.resize(static_cast<size_t>(srcCount * channels));
        ReadContentFloat(content, srcFirst, srcCount, channels, in.data());
        for (LONGLONG j = 0; j < n; ++j) {
            double pos = (first + j) * step;
            LONGLONG i0 = static_cast<LONGLONG>(std::floor(pos));
            float t = static_cast<float>(pos - i0);
            LONGLONG base = i0 - srcFirst;
            bool last = i0 + 1 >= inFrames;
            for (int c = 0; c < channels; ++c) {
                float a = in[static_cast<size_t>(base * channels + c)];
                float b = last ? a : in[static_cast<size_t>((base + 1) * channels + c)];
                float v = a + (b - a) * t;
                ConvertSample(reinterpret_cast<const uint8_t*>(&v), SampleKind::F32,
                              &out[static_cast<size_t>((j * channels + c) * bps)], kind);
            }
        }
        file.Write(out.data(), static_cast<size_t>(n * channels * bps));
    }
    file.Close();
    MtFormat f = to;
    f.channels = static_cast<WORD>(channels);
    auto data = ItemData::OpenFile(file.Path(), std::string(), f, true);
    file.Keep();
    return Content::FromItem(data, 0, data->Frames());
}
