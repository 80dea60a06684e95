#include "TrackRangeJob.h"

#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "FileCommands.h"
#include "FileHandle.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "MarkCommands.h"
#include "ProgressReporter.h"
#include "StreamObjects.h"
#include "TempFilePaths.h"
#include "WaveFormat.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr HRESULT kJobErrNoEngine = static_cast<HRESULT>(0x83E80001);
constexpr HRESULT kJobErrFile = static_cast<HRESULT>(0x83E800D1);
constexpr HRESULT kJobErrMemory = static_cast<HRESULT>(0x83E80064);
constexpr HRESULT kJobCancelled = static_cast<HRESULT>(0x83E80005);
constexpr UINT kIdsProcessing = 20346; // "Processing..."
constexpr UINT kIdsEffect = 21017;     // "Effect"

// The new data file of one track and its peaks, written front to back. Both files go again
// unless Keep is called.
class TrackOutput {
public:
    TrackOutput(WORD bits, DWORD rate, WORD channels)
    {
        TempFilePaths temp;
        m_dataPath = temp.MakeTempFileName();
        if (m_dataPath.empty())
            throw CKvSSException(kJobErrFile);
        m_file = ::CreateFileA(m_dataPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (m_file == INVALID_HANDLE_VALUE) {
            ::DeleteFileA(m_dataPath.c_str());
            throw CKvSSException(kJobErrFile);
        }
        // 20 and 24 bits are stored as floats, but their peaks count in their own units: the
        // engine takes those from the data.
        if (bits == 20 || bits == 24)
            return;
        ThrowIfFailed(CreateStreamObject(__uuidof(IPeakBuilder), m_peaks.OutVoid()));
        WaveFormat format(rate, bits, channels);
        ThrowIfFailed(m_peaks->Begin(&format, 1024));
    }
    ~TrackOutput()
    {
        Close();
        if (m_keep)
            return;
        ::DeleteFileA(m_dataPath.c_str());
        if (!m_peakPath.empty())
            ::DeleteFileA(m_peakPath.c_str());
    }
    TrackOutput(const TrackOutput&) = delete;
    TrackOutput& operator=(const TrackOutput&) = delete;

    void Write(const uint8_t* data, size_t bytes)
    {
        DWORD written = 0;
        if (!::WriteFile(m_file, data, static_cast<DWORD>(bytes), &written, nullptr) || written != bytes)
            throw CKvSSException(kJobErrFile);
        if (m_peaks)
            m_peaks->Write(data, static_cast<DWORD>(bytes));
    }
    // Ends both files; the peak file's name is known from here on.
    void Close()
    {
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        if (!m_peaks)
            return;
        char name[MAX_PATH] = {};
        if (SUCCEEDED(m_peaks->GetFileName(name, sizeof name)))
            m_peakPath = name;
        HRESULT ended = m_peaks->End();
        m_peaks.Reset();
        if (FAILED(ended))
            throw CKvSSException(kJobErrFile);
    }
    void Keep() { m_keep = true; }
    const std::string& DataPath() const { return m_dataPath; }
    const std::string& PeakPath() const { return m_peakPath; }

private:
    std::string m_dataPath;
    std::string m_peakPath;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    ComRef<IPeakBuilder> m_peaks;
    bool m_keep = false;
};

} // namespace

TrackRangeJob::TrackRangeJob() = default;

TrackRangeJob::~TrackRangeJob()
{
    m_items.Reset();
    m_engine.Reset();
}

void TrackRangeJob::SetEngine(IMtTrackSet* set)
{
    m_engine = ComRef<IMtTrackSet>::Share(set);
}

void TrackRangeJob::Advance(int64_t frames)
{
    m_done += frames;
    if (!m_progress)
        return;
    const UINT percent = m_total > 0 ? static_cast<UINT>(m_done * 100 / m_total) : 100;
    m_progress->SetPosition(percent > 100 ? 100 : percent);
    if (m_progress->cancelled)
        throw CKvSSException(kJobCancelled);
}

void TrackRangeJob::ProcessTrack(LONG index, LONG trackNumber, LONG trackCount)
{
    std::string title = LoadResourceText(kIdsProcessing);
    if (title.empty())
        title = "Processing...";
    char counted[32];
    std::snprintf(counted, sizeof counted, "   (%ld/%ld)", static_cast<long>(trackNumber),
                  static_cast<long>(trackCount));
    title += counted;
    ProgressReporter progress(title.c_str(), nullptr, 0, 0, FALSE);
    struct ProgressSlot {
        ProgressReporter*& slot;
        ~ProgressSlot() { slot = nullptr; }
    } held{m_progress};
    m_progress = &progress;

    ComRef<IMtTrack> track;
    ThrowIfFailed(m_engine->GetTrack(index, track.Out()));
    ThrowIfFailed(track->GetChannels(&m_channels));
    ComRef<IMtSelection> selection;
    ThrowIfFailed(m_engine->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()));
    LONGLONG start = 0, end = 0;
    ThrowIfFailed(selection->GetRange(&start, &end));
    if (end < start)
        std::swap(start, end);
    if (start == end) {
        LONGLONG length = 0;
        ThrowIfFailed(track->GetStartOffset(&start));
        ThrowIfFailed(track->GetLength(&length));
        end = start + length;
    }
    m_done = 0;
    m_total = end - start;

    TrackOutput output(m_bits, m_rate, m_channels);
    struct Sink final : FrameSink {
        TrackOutput* out;
        void Write(const uint8_t* data, size_t bytes) override { out->Write(data, bytes); }
    } sink;
    sink.out = &output;
    Process(track.Get(), start, end, sink);
    output.Close();

    LONG trackId = -1;
    ThrowIfFailed(track->GetTrackId(&trackId));
    MtFileItemRecord record;
    std::memset(&record, 0, sizeof record);
    lstrcpynA(record.path, output.DataPath().c_str(), sizeof record.path);
    record.channels = m_channels;
    record.bitsPerSample = m_bits;
    record.samplesPerSec = m_rate;
    ThrowIfFailed(m_items->AddFileItem(&record, output.DataPath().c_str(),
                                       output.PeakPath().empty() ? nullptr : output.PeakPath().c_str(), trackId));
    // The item owns the files now: the engine deletes them with their last item.
    output.Keep();
    progress.End();
}

HRESULT TrackRangeJob::Run()
{
    try {
        if (!m_engine)
            throw CKvSSException(kJobErrNoEngine);
        if (!m_items)
            ThrowIfFailed(MtEngine::CreateItemList(m_items));
        ComRef<IMtSelection> selection;
        ThrowIfFailed(m_engine->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()));
        LONG marked = 0, count = 0;
        ThrowIfFailed(selection->GetMarkedCount(&marked));
        ThrowIfFailed(m_engine->GetBitsPerSample(&m_bits));
        ThrowIfFailed(m_engine->GetSamplesPerSec(&m_rate));
        ThrowIfFailed(m_engine->GetTrackCount(&count));
        LONG number = 0;
        for (LONG i = 0; i < count; ++i) {
            LONG isMarked = 0;
            if (FAILED(selection->IsTrackMarked(i, &isMarked)) || !isMarked)
                continue;
            ProcessTrack(i, ++number, marked);
        }
        if (!m_document || !m_history)
            throw CKvSSException(E_POINTER);
        std::string name = LoadResourceText(kIdsEffect);
        ComRef<IEditCommand> command(static_cast<IEditCommand*>(
            NewCommand<EffectFileCommand>(name.empty() ? "Effect" : name.c_str(), m_document, m_items.Get(), 0)));
        ThrowIfFailed(m_history->Do(command.Get(), TRUE));
        return S_OK;
    } catch (const CKvSSException& e) {
        if (m_items)
            m_items->Clear(); // the files of the tracks done go with their items
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        if (m_items)
            m_items->Clear();
        return kJobErrMemory;
    }
}
