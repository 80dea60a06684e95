#include "KeyFrameClipSource.h"

#include "ComRef.h"

#include <gtest/gtest.h>

#include <amvideo.h>
#include <uuids.h>

#include <atomic>
#include <cstring>

namespace {

// {8D7E1A52-3C64-4B1F-A0E5-6B2C9D3F7A11}
const CLSID kClipSourceId = {0x8d7e1a52, 0x3c64, 0x4b1f, {0xa0, 0xe5, 0x6b, 0x2c, 0x9d, 0x3f, 0x7a, 0x11}};
const char kClipSourceIdText[] = "{8D7E1A52-3C64-4B1F-A0E5-6B2C9D3F7A11}";
const char kPatternKey[] = "Media Type\\{E436EB83-524F-11CE-9F53-0020AF0BA770}\\{8D7E1A52-3C64-4B1F-A0E5-6B2C9D3F7A11}";

constexpr int kFrames = 12, kWidth = 160, kHeight = 120, kKeyEvery = 4;
constexpr long kFrameBytes = kWidth * 3 * kHeight;
constexpr LONGLONG kPeriod = 400000;

ClipSourceSettings g_settings;
std::atomic<int> g_slowFramesBegun{0};

struct ClipSource : FilterObject<SourceFilter, IFileSourceFilter> {
    // IFileSourceFilter: the file only names the clip.
    STDMETHODIMP Load(LPCOLESTR name, const AM_MEDIA_TYPE*) override
    {
        m_name = name ? name : L"";
        return S_OK;
    }
    STDMETHODIMP GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* mt) override
    {
        if (!name)
            return E_POINTER;
        const size_t bytes = (m_name.size() + 1) * sizeof(wchar_t);
        *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!*name)
            return E_OUTOFMEMORY;
        std::memcpy(*name, m_name.c_str(), bytes);
        if (mt)
            *mt = AM_MEDIA_TYPE{};
        return S_OK;
    }

    // Restarts the stream at the key frame before position, timed from position.
    HRESULT Seek(LONGLONG position)
    {
        Output()->DeliverBeginFlush();
        OnStop();
        m_segmentStart = position;
        m_next = static_cast<int>(position / kPeriod) / kKeyEvery * kKeyEvery;
        Output()->DeliverEndFlush();
        Output()->DeliverNewSegment(position, kFrames * kPeriod, 1.0);
        if (State() != State_Stopped)
            SourceFilter::OnPause(State_Stopped);
        return S_OK;
    }

protected:
    HRESULT GetMediaType(int i, MediaType& out) override
    {
        if (i != 0)
            return VFW_S_NO_MORE_ITEMS;
        VIDEOINFOHEADER vih{};
        vih.AvgTimePerFrame = kPeriod;
        vih.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB, kFrameBytes, 0, 0, 0, 0};
        const AM_MEDIA_TYPE mt{MEDIATYPE_Video, MEDIASUBTYPE_RGB24, TRUE,
                               FALSE,           kFrameBytes,        FORMAT_VideoInfo,
                               nullptr,         sizeof vih,         reinterpret_cast<BYTE*>(&vih)};
        return out.Set(mt);
    }
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override
    {
        return mt.majortype == MEDIATYPE_Video && mt.subtype == MEDIASUBTYPE_RGB24 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override
    {
        ALLOCATOR_PROPERTIES props = *wanted, actual{};
        props.cBuffers = 2;
        props.cbBuffer = kFrameBytes;
        props.cbAlign = 1;
        HRESULT hr = alloc->SetProperties(&props, &actual);
        return FAILED(hr) ? hr : (actual.cbBuffer < kFrameBytes ? E_FAIL : S_OK);
    }
    HRESULT FillBuffer(IMediaSample* sample) override
    {
        const int f = m_next;
        if (f >= kFrames)
            return S_FALSE;
        if (g_settings.slowFrom >= 0 && f >= g_settings.slowFrom)
            for (DWORD waited = 0; waited < g_settings.slowMs; waited += 10) {
                if (waited == 0)
                    ++g_slowFramesBegun;
                if (StopRequested())
                    return VFW_E_WRONG_STATE;
                Sleep(10);
            }
        BYTE* bits = nullptr;
        sample->GetPointer(&bits);
        std::memset(bits, 8 * f + 4, kFrameBytes);
        sample->SetActualDataLength(kFrameBytes);
        REFERENCE_TIME start = f * kPeriod - m_segmentStart, stop = start + kPeriod;
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(f % kKeyEvery == 0);
        sample->SetPreroll(g_settings.markPreroll && stop <= 0);
        m_next = f + 1;
        return S_OK;
    }
    IMediaSeeking* PinUpstreamSeeking(OutputPin*) override;

private:
    std::wstring m_name;
    std::atomic<int> m_next{0};
    std::atomic<LONGLONG> m_segmentStart{0};
};

} // namespace

KV_FILTER_KIND(ClipSource)

namespace {

// What the source's pin answers to seeking, an object of its own: a source filter that
// answered it too would be seeked by the graph besides its renderer.
struct ClipSeeking : ComObject<SeekingPassThru> {
    explicit ClipSeeking(ClipSource* source) : m_source(ComRef<ClipSource>::Share(source)) {}

    HRESULT LocalDuration(LONGLONG* d) override
    {
        *d = kFrames * kPeriod;
        return S_OK;
    }
    HRESULT LocalPosition(LONGLONG* p) override
    {
        *p = 0;
        return S_OK;
    }
    STDMETHODIMP GetCapabilities(DWORD* caps) override
    {
        if (!caps)
            return E_POINTER;
        *caps = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
                AM_SEEKING_CanGetDuration | AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos;
        return S_OK;
    }
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG*, DWORD) override
    {
        if (!current || (currentFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_AbsolutePositioning)
            return S_OK;
        return m_source->Seek(*current);
    }

private:
    ComRef<ClipSource> m_source;
};

IMediaSeeking* ClipSource::PinUpstreamSeeking(OutputPin*)
{
    return ComObject<SeekingPassThru>::Create<ClipSeeking>(this);
}

} // namespace

ClipSourceRegistration::ClipSourceRegistration(const ClipSourceSettings& settings)
{
    g_settings = settings;
    g_slowFramesBegun = 0;
    static const kvcom::ClassEntry entry{&kClipSourceId, &kvcom::CreateInstanceOf<ClipSource>};
    ComRef<kvcom::ClassFactory> factory(kvcom::ClassFactory::Create<kvcom::ClassFactory>(entry));
    if (FAILED(
            CoRegisterClassObject(kClipSourceId, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie)))
        ADD_FAILURE() << "the clip source cannot be registered";
    // Found by its first bytes, as a splitter is found.
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kPatternKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        const char pattern[] = "0,8,,4B56434C49504B46";
        RegSetValueExA(key, "0", 0, REG_SZ, reinterpret_cast<const BYTE*>(pattern), sizeof pattern);
        RegSetValueExA(key, "Source Filter", 0, REG_SZ, reinterpret_cast<const BYTE*>(kClipSourceIdText),
                       sizeof kClipSourceIdText);
        RegCloseKey(key);
    }
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    m_path = std::string(folder) + "keyframes.kvclip";
    const HANDLE file = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, "KVCLIPKF", 8, &written, nullptr);
        CloseHandle(file);
    }
}

int ClipSourceRegistration::SlowFramesBegun()
{
    return g_slowFramesBegun;
}

ClipSourceRegistration::~ClipSourceRegistration()
{
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kPatternKey);
    DeleteFileA(m_path.c_str());
    g_settings = ClipSourceSettings();
}
