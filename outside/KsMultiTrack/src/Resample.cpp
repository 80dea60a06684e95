#include "Resample.h"

#include "ContentIO.h"

#include "KvSSException.h"
#include "Resampler.h"

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

namespace {

// Band-limited conversion by the kit's resampler, in steps down of less than its largest
// ratio, streamed from the content to the file one block at a time.
class RateChain {
public:
    RateChain(DWORD from, DWORD to, int channels)
    {
        const uint64_t limit = fxkit::Resampler::kMaxDownRatio / 2;
        DWORD rate = from;
        while (rate > to && rate / to >= fxkit::Resampler::kMaxDownRatio) {
            const DWORD next = static_cast<DWORD>(std::min<uint64_t>(uint64_t(to) * limit, rate / 2));
            Add(rate, next, channels);
            rate = next;
        }
        Add(rate, to, channels);
    }
    // Appends to out what the input (null: the end of the stream) makes ready.
    void Run(const float* in, size_t frames, std::vector<float>& out)
    {
        for (size_t i = 0; i < m_steps.size(); ++i) {
            fxkit::Resampler& step = m_steps[i];
            std::vector<float>& into = i + 1 == m_steps.size() ? out : m_between[i];
            if (i > 0) {
                std::vector<float>& made = m_between[i - 1];
                step.Process(made.data(), made.size() / size_t(step.Channels()), into);
                made.clear();
            } else if (in) {
                step.Process(in, frames, into);
            }
            if (!in)
                step.Flush(into);
        }
    }

private:
    void Add(DWORD from, DWORD to, int channels)
    {
        m_steps.emplace_back();
        if (!m_steps.back().Setup(from, to, channels))
            throw CKvSSException(kMtErrFormatNotSupported);
        m_between.resize(m_steps.size() - 1);
    }

    std::vector<fxkit::Resampler> m_steps;
    std::vector<std::vector<float>> m_between; // the output of each step but the last
};

} // namespace

ContentPtr ResampleContent(const Content& content, const MtFormat& from, const MtFormat& to)
{
    const LONGLONG inFrames = content.Length();
    if (inFrames == 0)
        return Content::Empty();
    const int channels = from.channels;
    // As many frames as the same time holds at the new rate.
    const uint64_t outFrames = (uint64_t(inFrames) * to.rate + from.rate - 1) / from.rate;
    const pcm::Form form = FormOf(KindOfBits(to.bits));
    const size_t bps = size_t(BytesPerSample(to.bits));

    RateChain chain(from.rate, to.rate, channels);
    TempDataFile file;
    MtFormat f = to;
    f.channels = static_cast<WORD>(channels);
    // The peaks made on the way, so that the new file is not read back for them.
    BlockPeakBuilder peaks(f);
    uint64_t written = 0;
    std::vector<uint8_t> bytes;
    auto emit = [&](std::vector<float>& made) {
        const size_t frames = size_t(std::min<uint64_t>(made.size() / size_t(channels), outFrames - written));
        bytes.resize(frames * size_t(channels) * bps);
        pcm::Encode(made.data(), frames * size_t(channels), form, bytes.data());
        file.Write(bytes.data(), bytes.size());
        peaks.Add(bytes.data(), bytes.size());
        written += frames;
        made.clear();
    };
    const LONGLONG kBlock = 65536;
    std::vector<float> in, out;
    for (LONGLONG first = 0; first < inFrames; first += kBlock) {
        const LONGLONG n = std::min(kBlock, inFrames - first);
        in.resize(static_cast<size_t>(n * channels));
        ReadContentFloat(content, first, n, channels, in.data());
        chain.Run(in.data(), size_t(n), out);
        emit(out);
    }
    chain.Run(nullptr, 0, out);
    emit(out);
    // A chain of steps may round its length to a frame less: the last frames are silent.
    if (written < outFrames) {
        std::vector<float> silence(size_t(outFrames - written) * size_t(channels), 0.0f);
        emit(silence);
    }
    file.Close();
    auto data = ItemData::OpenFile(file.Path(), std::string(), f, true, peaks.Take());
    file.Keep();
    return Content::FromItem(data, 0, data->Frames());
}
