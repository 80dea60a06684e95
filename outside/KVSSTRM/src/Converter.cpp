// The converter component ("KSMANG  ") with its attributes ("KSATTR  "): a source read by a
// reader component, its channels mapped (mono doubled, stereo averaged to mono), its rate
// changed by the kit's resampler, its samples rounded to the output's bits, and the result
// written by a writer component, on a thread of its own.
#include "Library.h"
#include "PcmCodec.h"
#include "Resampler.h"

#include <atomic>
#include <mutex>
#include <new>
#include <thread>

namespace {

constexpr HRESULT kErrNotSupported = HRESULT(0x83E804B4);
constexpr uint32_t kBlockFrames = 32768;
constexpr DWORD kReportEveryMs = 50;

pcm::Form FormOf(const StrmFormat& f)
{
    if (f.isFloat)
        return pcm::Form::F32;
    switch (f.bits) {
    case 8: return pcm::Form::U8;
    case 16: return pcm::Form::S16;
    case 24: return f.validBits == 20 ? pcm::Form::S20 : pcm::Form::S24;
    default: return pcm::Form::S32;
    }
}

class Converter : public IStrmConverter {
public:
    ~Converter() override { Stop(); }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG n = ::InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(InterfaceTag tag, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (tag == kTagConverter)
            *object = static_cast<IStrmConverter*>(this);
        else if (tag == kTagAttributes)
            *object = static_cast<IStrmAttributes*>(&m_attributes);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    InterfaceTag STDMETHODCALLTYPE GetTag() override { return kTagConverter; }

    HRESULT STDMETHODCALLTYPE Open(DWORD inLow, DWORD inHigh, const char* source, DWORD outLow, DWORD outHigh,
                                   const char* target) override
    {
        if (!source || !target)
            return E_POINTER;
        if (Running())
            return E_UNEXPECTED;
        m_readerTag = MakeTag(inLow, inHigh);
        m_writerTag = MakeTag(outLow, outHigh);
        m_source = source;
        m_target = target;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Prepare() override
    {
        if (m_source.empty() || Running())
            return E_UNEXPECTED;
        ReleaseComponents();
        size_t count = 1;
        const InterfaceTag* tags = &m_readerTag;
        if (m_readerTag == kTagAnyReader)
            tags = ReaderTags(&count);
        HRESULT hr = kErrNotSupported;
        for (size_t i = 0; i < count && !m_reader; ++i) {
            ComRef<IStrmComponent> reader = CreateComponent(tags[i]);
            if (!reader)
                continue;
            hr = reader->Open(m_source.c_str(), nullptr);
            if (SUCCEEDED(hr))
                m_reader = std::move(reader);
        }
        if (!m_reader)
            return hr;
        uint64_t frames = 0;
        if (FAILED(hr = m_reader->GetFormat(&m_in)) || FAILED(hr = m_reader->GetLength(&frames)))
            return hr;
        m_frames = frames;
        m_out = m_in;
        m_out.isFloat = 0;
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetNotify(HWND window, UINT message) override
    {
        std::lock_guard<std::mutex> hold(m_notifyLock);
        m_window = window;
        m_message = message;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Start() override
    {
        if (!m_reader || Running())
            return E_UNEXPECTED;
        if (m_in.channels > 2 || !m_out.channels || m_out.channels > 2)
            return kErrNotSupported;
        ComRef<IStrmComponent> writer = CreateComponent(m_writerTag);
        if (!writer)
            return kErrNotSupported;
        HRESULT hr = writer->Open(m_target.c_str(), &m_out);
        if (FAILED(hr))
            return hr;
        m_writer = std::move(writer);
        m_stop = false;
        m_finished = false;
        m_thread = std::thread([this] { Run(); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_writer) {
            m_writer->Close();
            m_writer.Reset();
            if (!m_finished)
                ::DeleteFileA(m_target.c_str());
        }
        ReleaseComponents();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLength(uint64_t* milliseconds) override
    {
        if (!milliseconds)
            return E_POINTER;
        *milliseconds = m_in.rate ? m_frames * 1000 / m_in.rate : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(uint64_t* milliseconds) override
    {
        if (!milliseconds)
            return E_POINTER;
        *milliseconds = m_in.rate ? m_position.load() * 1000 / m_in.rate : 0;
        return S_OK;
    }

private:
    class Attributes : public IStrmAttributes {
    public:
        explicit Attributes(Converter& owner) : m_owner(owner) {}
        ULONG STDMETHODCALLTYPE AddRef() override { return m_owner.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return m_owner.Release(); }
        HRESULT STDMETHODCALLTYPE QueryInterface(InterfaceTag tag, void** object) override
        {
            return m_owner.QueryInterface(tag, object);
        }
        InterfaceTag STDMETHODCALLTYPE GetTag() override { return kTagAttributes; }
        HRESULT STDMETHODCALLTYPE SetOutputFormat(const StrmFormat* format) override
        {
            if (!format)
                return E_POINTER;
            if (m_owner.Running())
                return E_UNEXPECTED;
            const uint16_t bits = format->bits;
            if (!format->rate || format->channels < 1 || format->channels > 2 || format->isFloat ||
                (bits != 8 && bits != 16 && bits != 24 && bits != 32))
                return kErrNotSupported;
            m_owner.m_out = *format;
            m_owner.m_out.validBits = format->validBits == 20 && bits == 24 ? 20 : bits;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetOutputFormat(StrmFormat* format) override
        {
            if (!format)
                return E_POINTER;
            *format = m_owner.m_out;
            return S_OK;
        }

    private:
        Converter& m_owner;
    };

    bool Running() const { return m_thread.joinable() && !m_done; }
    void ReleaseComponents()
    {
        if (m_reader) {
            m_reader->Close();
            m_reader.Reset();
        }
    }
    void Report(WPARAM code)
    {
        std::lock_guard<std::mutex> hold(m_notifyLock);
        if (m_window)
            ::PostMessageA(m_window, m_message, code, 0);
    }
    void Run()
    {
        m_done = false;
        Report(kStrmConvertStarted);
        const HRESULT hr = Convert();
        if (SUCCEEDED(hr) && !m_stop) {
            const HRESULT closed = m_writer->Close();
            if (SUCCEEDED(closed)) {
                m_finished = true;
                m_done = true;
                Report(kStrmConvertFinished);
                return;
            }
            m_done = true;
            Report(WPARAM(closed));
            return;
        }
        m_done = true;
        if (!m_stop)
            Report(WPARAM(hr));
    }
    HRESULT Convert()
    {
        const pcm::Form inForm = FormOf(m_in), outForm = FormOf(m_out);
        const int inCh = m_in.channels, outCh = m_out.channels;
        fxkit::Resampler resampler;
        const bool resample = m_in.rate != m_out.rate;
        if (resample && !resampler.Setup(m_in.rate, m_out.rate, outCh))
            return kErrNotSupported;
        std::vector<uint8_t> raw(size_t(kBlockFrames) * inCh * pcm::BytesOf(inForm));
        std::vector<float> in(size_t(kBlockFrames) * inCh), mapped(size_t(kBlockFrames) * outCh), out;
        std::vector<uint8_t> encoded;
        auto put = [&](const float* samples, size_t frames) -> HRESULT {
            encoded.resize(frames * outCh * pcm::BytesOf(outForm));
            pcm::Encode(samples, frames * outCh, outForm, encoded.data());
            return m_writer->Write(encoded.data(), uint32_t(frames));
        };
        DWORD reported = ::GetTickCount();
        while (!m_stop) {
            uint32_t frames = kBlockFrames;
            HRESULT hr = m_reader->Read(raw.data(), &frames);
            if (FAILED(hr))
                return hr;
            if (!frames)
                break;
            pcm::Decode(inForm, raw.data(), size_t(frames) * inCh, in.data());
            const float* block = in.data();
            if (inCh != outCh) {
                for (uint32_t i = 0; i < frames; ++i)
                    if (outCh == 2)
                        mapped[2 * i] = mapped[2 * i + 1] = in[i];
                    else
                        mapped[i] = (in[2 * i] + in[2 * i + 1]) * 0.5f;
                block = mapped.data();
            }
            if (resample) {
                out.clear();
                resampler.Process(block, frames, out);
                hr = put(out.data(), out.size() / outCh);
            } else {
                hr = put(block, frames);
            }
            if (FAILED(hr))
                return hr;
            m_position += frames;
            if (::GetTickCount() - reported >= kReportEveryMs) {
                reported = ::GetTickCount();
                Report(kStrmConvertProgress);
            }
        }
        if (resample && !m_stop) {
            out.clear();
            resampler.Flush(out);
            const HRESULT hr = put(out.data(), out.size() / outCh);
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    }

    LONG m_refs = 1;
    Attributes m_attributes{*this};
    InterfaceTag m_readerTag = kTagAnyReader, m_writerTag = kTagWavWriter;
    std::string m_source, m_target;
    ComRef<IStrmComponent> m_reader;
    ComRef<IStrmComponent> m_writer;
    StrmFormat m_in{}, m_out{};
    uint64_t m_frames = 0;
    std::atomic<uint64_t> m_position{0};
    std::mutex m_notifyLock;
    HWND m_window = nullptr;
    UINT m_message = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false}, m_done{false};
    bool m_finished = false;
};

} // namespace

HRESULT WINAPI CreateConverter(DWORD tagLow, DWORD tagHigh, ITaggedObject** component)
{
    return CreateTagged<Converter>(tagLow, tagHigh, kTagConverter, component);
}
