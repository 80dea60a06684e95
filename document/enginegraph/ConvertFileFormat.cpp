#include "FormatConverter.h"

#include "ComRef.h"
#include "IKsDShowSource.h"
#include "ITracksWriterOutput.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

void DeleteNamed(const char* name)
{
    if (name[0])
        DeleteFileA(name);
}

// Converts the one marked track at index; hands its files on or deletes them.
HRESULT ConvertTrack(FormatConverter& converter, IMtTrackSet* engine, IMtSelection* sel, LONG index, DWORD rate,
                     WORD bits, DWORD fourth, IMtItemList* receiver)
{
    ComRef<IMtTrack> track;
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
    ComRef<ITracksWriterOutput> output;
    ThrowIfFailed(converter.Writer()->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid()));
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
        ComRef<IKsDShowSource> source;
        hr = converter.Source()->QueryInterface(__uuidof(IKsDShowSource), source.OutVoid());
        if (SUCCEEDED(hr))
            hr = source->AttachEngine(engine, 0, 0);
        if (SUCCEEDED(hr))
            hr = source->SetOutputSampleFormat(bits == 32 ? 3 : 1);
        if (FAILED(hr))
            return hr;
    }

    ComRef<IMtSelection> sel;
    LONG count = 0;
    LONGLONG savedStart = 0, savedEnd = 0;
    std::vector<LONG> marked;
    try {
        ThrowIfFailed(engine->GetTrackCount(&count));
        ThrowIfFailed(engine->QueryInterface(__uuidof(IMtSelection), sel.OutVoid()));
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

namespace {

// The items of a list with their records, held until the list is converted.
class ListItems {
public:
    struct Entry {
        ComRef<IMtItem> item;
        MtFileItemRecord info;
    };
    void Add(ComRef<IMtItem> item, const MtFileItemRecord& info) { m_entries.push_back({std::move(item), info}); }
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

// Converts the entries [first, last), all of one rate, on the tracks of a new track set in
// the format of the first. Each track is made in ids, a set that numbers the tracks across
// the whole list (the ids the receiver gets), and then moved to the new set.
HRESULT ConvertItemRun(IMtTrackSet* ids, const ListItems::Entry* first, const ListItems::Entry* last, DWORD rate,
                       WORD bits, HWND progress, DWORD fourth, IMtItemList* receiver)
{
    ComRef<IMtTrackSet> set;
    HRESULT hr = MtEngine::CreateTrackSet(set);
    if (FAILED(hr))
        return hr;
    try {
        if (first != last)
            ThrowIfFailed(set->SetFormat(first->info.bitsPerSample, first->info.samplesPerSec));
        for (const ListItems::Entry* e = first; e != last; ++e) {
            ComRef<IMtClip> clip;
            ThrowIfFailed(MtEngine::CreateClip(clip));
            MtClipFormat format{e->info.samplesPerSec, e->info.bitsPerSample, e->info.channels};
            ThrowIfFailed(clip->SetFormat(&format));
            ThrowIfFailed(clip->SetSource(e->item.Get(), 0, -1));
            ComRef<IMtTrack> track;
            ThrowIfFailed(ids->InsertTrack(0, e->info.channels, track.Out(), -1));
            ThrowIfFailed(ids->DetachTrack(track.Get()));
            ThrowIfFailed(set->AttachTrack(track.Get(), -1));
            ThrowIfFailed(track->InsertClip(clip.Get(), 0, 0, 0));
        }
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    FormatConverter converter;
    return ConvertFileFormat(converter, set.Get(), rate, bits, progress, fourth, receiver);
}

} // namespace

HRESULT ConvertTrackFile(IMtItemList* items, DWORD rate, WORD bits, HWND progress, DWORD fourth, IMtItemList* receiver)
{
    if (!items)
        return E_POINTER;
    // The engine stays loaded: its objects outlive this call.
    if (FAILED(MtEngine::Load()))
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    // All items first: the receiver may be the list itself.
    ListItems list;
    try {
        ThrowIfFailed(items->ResetItems(0));
        for (;;) {
            ComRef<IUnknown> unknown;
            LONG id = 0;
            if (ThrowIfFailed(items->NextItem(unknown.Out(), &id)) != S_OK)
                break;
            ComRef<IMtItem> item;
            ThrowIfFailed(unknown->QueryInterface(__uuidof(IMtItem), item.OutVoid()));
            MtFileItemRecord info;
            std::memset(&info, 0, sizeof(info));
            HRESULT got = item->GetInfo(&info);
            list.Add(std::move(item), info);
            ThrowIfFailed(got);
        }
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    // A track set holds one sample rate, and the graph converts from it. Each run of items of
    // one rate gets a set of its own, so every item is converted from its own rate, in the
    // list's order.
    ComRef<IMtTrackSet> ids;
    HRESULT hr = MtEngine::CreateTrackSet(ids);
    if (FAILED(hr))
        return hr;
    const auto& entries = list.Entries();
    const ListItems::Entry* begin = entries.data();
    const ListItems::Entry* end = begin + entries.size();
    if (begin == end)
        return ConvertItemRun(ids.Get(), begin, end, rate, bits, progress, fourth, receiver);
    for (const ListItems::Entry* first = begin; first != end && SUCCEEDED(hr);) {
        const ListItems::Entry* last = first + 1;
        while (last != end && last->info.samplesPerSec == first->info.samplesPerSec)
            ++last;
        hr = ConvertItemRun(ids.Get(), first, last, rate, bits, progress, fourth, receiver);
        first = last;
    }
    return hr;
}
