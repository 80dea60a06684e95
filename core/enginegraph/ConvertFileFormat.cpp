#include "FormatConverter.h"

#include "IKsDShowSource.h"
#include "ITracksWriterOutput.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"

#include <cstring>
#include <vector>

namespace {

template <class T>
class Held {
public:
    Held() = default;
    ~Held() { Reset(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    void Reset()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    T** Out()
    {
        Reset();
        return &m_p;
    }
    void** Void() { return reinterpret_cast<void**>(Out()); }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p = nullptr;
};

// The engine's exports, from the module beside the program.
template <class Fn>
Fn EngineExport(WORD ordinal)
{
    HMODULE engine = GetModuleHandleA("KsMultiTrack.dll");
    if (!engine)
        engine = LoadLibraryA("KsMultiTrack.dll"); // stays loaded: its objects outlive this call
    if (!engine)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(engine, MAKEINTRESOURCEA(ordinal))));
}

void DeleteNamed(const char* name)
{
    if (name[0])
        DeleteFileA(name);
}

// Converts the one marked track at index; hands its files on or deletes them.
HRESULT ConvertTrack(FormatConverter& converter, IMtTrackSet* engine, IMtSelection* sel, LONG index, DWORD rate,
                     WORD bits, DWORD fourth, IMtItemList* receiver)
{
    Held<IMtTrack> track;
    ThrowIfFailed(sel->SetAllTracks(0));
    ThrowIfFailed(sel->SelectTrack(index, 1));
    ThrowIfFailed(engine->GetTrack(index, track.Out()));
    LONGLONG length = 0, start = 0;
    WORD channels = 0;
    ThrowIfFailed(track->GetLength(&length));
    ThrowIfFailed(track->GetStartOffset(&start));
    ThrowIfFailed(sel->SetRange(start, start + length));
    ThrowIfFailed(track->GetChannels(&channels));
    converter.SetTargetFormat(rate, bits, channels, fourth);
    Held<ITracksWriterOutput> output;
    ThrowIfFailed(converter.Writer()->QueryInterface(__uuidof(ITracksWriterOutput), output.Void()));
    // The names of the track before belong to the receiver now: forget them, so that a track
    // that fails before its run deletes nothing of them.
    ThrowIfFailed(output->Reset());
    HRESULT hr = converter.Connect();
    if (SUCCEEDED(hr))
        hr = converter.Run();

    char dataName[MAX_PATH] = {}, peakName[MAX_PATH] = {};
    output->GetDataFileName(dataName);
    output->GetPeakFileName(peakName);
    if (SUCCEEDED(hr)) {
        WAVEFORMATEX wf{};
        hr = output->GetWaveFormat(&wf);
        LONG id = 0;
        if (SUCCEEDED(hr))
            hr = track->GetTrackId(&id);
        if (SUCCEEDED(hr)) {
            MtFileItemRecord record;
            std::memset(&record, 0, sizeof(record));
            lstrcpynA(record.path, dataName, sizeof(record.path));
            record.channels = wf.nChannels;
            record.bitsPerSample = wf.wBitsPerSample;
            record.samplesPerSec = wf.nSamplesPerSec;
            hr = receiver ? receiver->AddFileItem(&record, dataName, peakName, id) : S_OK;
        }
    }
    if (FAILED(hr) || !receiver) { // files nobody takes are not left behind
        DeleteNamed(dataName);
        DeleteNamed(peakName);
    }
    HRESULT down = converter.Disconnect();
    return FAILED(hr) ? hr : down;
}

} // namespace

HRESULT ConvertFileFormat(FormatConverter& converter, IMtTrackSet* engine, DWORD rate, WORD bits, HWND progress,
                          DWORD fourth, IMtItemList* receiver)
{
    if (!engine)
        return E_POINTER;
    converter.SetProgressWindow(progress);
    HRESULT hr = converter.Build();
    if (FAILED(hr))
        return hr;
    {
        Held<IKsDShowSource> source;
        hr = converter.Source()->QueryInterface(__uuidof(IKsDShowSource), source.Void());
        if (SUCCEEDED(hr))
            hr = source->AttachEngine(engine, 0, 0);
        if (SUCCEEDED(hr))
            hr = source->SetOutputSampleFormat(bits == 32 ? 3 : 1);
        if (FAILED(hr))
            return hr;
    }

    Held<IMtSelection> sel;
    LONG count = 0;
    LONGLONG savedStart = 0, savedEnd = 0;
    std::vector<LONG> marked;
    try {
        ThrowIfFailed(engine->GetTrackCount(&count));
        ThrowIfFailed(engine->QueryInterface(__uuidof(IMtSelection), sel.Void()));
        ThrowIfFailed(sel->GetRange(&savedStart, &savedEnd));
        ThrowIfFailed(sel->SetRange(0, 0));
        for (LONG i = 0; i < count; ++i) {
            LONG on = 0;
            ThrowIfFailed(sel->IsTrackMarked(i, &on));
            if (on)
                marked.push_back(i);
        }
    } catch (const CKvSSException& e) {
        if (sel.Get())
            sel->SetRange(savedStart, savedEnd);
        return e.m_hr;
    }

    for (LONG i = 0; i < count && SUCCEEDED(hr); ++i) {
        try {
            hr = ConvertTrack(converter, engine, sel.Get(), i, rate, bits, fourth, receiver);
        } catch (const CKvSSException& e) {
            converter.Disconnect();
            hr = e.m_hr;
        }
    }

    // The marks exactly as they were, and the range.
    sel->SetAllTracks(0);
    for (LONG i : marked)
        sel->SelectTrack(i, 1);
    sel->SetRange(savedStart, savedEnd);
    return hr;
}

HRESULT ConvertTrackFile(IMtItemList* items, DWORD rate, WORD bits, HWND progress, DWORD fourth,
                         IMtItemList* receiver)
{
    if (!items)
        return E_POINTER;
    auto createSet = EngineExport<PFN_MtCreateTrackSet>(kMtOrdCreateTrackSet);
    auto createClip = EngineExport<PFN_MtCreateClip>(kMtOrdCreateClip);
    if (!createSet || !createClip)
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    Held<IMtTrackSet> set;
    HRESULT hr = createSet(set.Out());
    if (FAILED(hr))
        return hr;
    try {
        ThrowIfFailed(items->ResetItems(0));
        bool formatSet = false;
        for (;;) {
            Held<IUnknown> unknown;
            LONG id = 0;
            if (ThrowIfFailed(items->NextItem(unknown.Out(), &id)) != S_OK)
                break;
            Held<IMtItem> item;
            ThrowIfFailed(unknown->QueryInterface(__uuidof(IMtItem), item.Void()));
            MtFileItemRecord info;
            std::memset(&info, 0, sizeof(info));
            ThrowIfFailed(item->GetInfo(&info));
            if (!formatSet) {
                // The set holds the items in their own format; the graph converts them. A set in
                // the target format would refuse items of another rate.
                ThrowIfFailed(set->SetFormat(info.bitsPerSample, info.samplesPerSec));
                formatSet = true;
            }
            Held<IMtClip> clip;
            ThrowIfFailed(createClip(clip.Out()));
            MtClipFormat format{info.samplesPerSec, info.bitsPerSample, info.channels};
            ThrowIfFailed(clip->SetFormat(&format));
            ThrowIfFailed(clip->SetSource(item.Get(), 0, -1));
            Held<IMtTrack> track;
            ThrowIfFailed(set->InsertTrack(0, info.channels, track.Out(), -1));
            ThrowIfFailed(track->InsertClip(clip.Get(), 0, 0, 0));
        }
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    FormatConverter converter;
    return ConvertFileFormat(converter, set.Get(), rate, bits, progress, fourth, receiver);
}
