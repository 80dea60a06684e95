#include "RefreshPeakCommand.h"

#include "ByteBuffer.h"
#include "ChannelSplitter.h"
#include "FileCommands.h"
#include "KsMultiTrackLoader.h"
#include "MarkCommands.h"
#include "OperationEdge.h"
#include "ProgressReporter.h"
#include "StreamObjects.h"
#include "TrackCommandSupport.h"
#include "WaveFormat.h"

#include <cstdio>

namespace {

// The peak file and its data file until the engine's item list takes them over.
struct PendingFiles {
    ComRef<IPeakFile> file;
    bool handedOver = false;
    ~PendingFiles()
    {
        if (!file || handedOver)
            return;
        file->Close();
        char name[MAX_PATH] = {};
        if (SUCCEEDED(file->GetDataFileName(name, sizeof name)) && name[0])
            DeleteFileA(name);
        name[0] = 0;
        if (SUCCEEDED(file->GetPeakFileName(name, sizeof name)) && name[0])
            DeleteFileA(name);
    }
};

} // namespace

void RefreshPeakCommand::RefreshTrack(int index, int count)
{
    char title[kProgressTextLength] = {};
    std::snprintf(title, sizeof title, "%s   (%d/%d)", LoadResourceText(kIdsProcessing).c_str(), index + 1, count);
    ProgressReporter progress("", title, 0, 0, FALSE);

    ComRef<IMtTrack> track = TrackAt(m_document, index);
    LONGLONG length = 0;
    ThrowIfFailed(track->GetLength(&length));
    if (length <= 0)
        return;
    LONGLONG start = 0;
    WORD channels = 0;
    ThrowIfFailed(track->GetStartOffset(&start));
    ThrowIfFailed(track->GetChannels(&channels));

    // The reader gives the storage form: bytes up to 16 bits, 32-bit floats above.
    const DWORD rate = m_document->GetSamplesPerSec();
    const WORD bits = m_document->GetBitsPerSample();
    WaveFormat format;
    if (bits > 16)
        format.InitFloat32(rate, channels);
    else
        format.InitPcm(rate, bits, channels);
    const uint32_t blockAlign = format.blockAlign;
    if (blockAlign == 0 || rate == 0)
        throw CKvSSException(kMtErrFormatNotSupported);

    PendingFiles pending;
    ThrowIfFailed(CreateStreamObject(__uuidof(IPeakFile), reinterpret_cast<void**>(pending.file.Out())));
    ThrowIfFailed(pending.file->Create(&format, 1024));

    ByteBuffer buffer;
    buffer.Resize(blockAlign * rate);
    ComRef<IMtItem> reader;
    ThrowIfFailed(track->CreateReader(reader.Out(), 0));
    LONGLONG end = start + length;
    ThrowIfFailed(reader->SetRange(&start, &end));
    ThrowIfFailed(reader->BeginRead());
    const uint64_t expected = static_cast<uint64_t>(length) * blockAlign;
    uint64_t total = 0;
    HRESULT failure = S_OK;
    while (total < expected) {
        DWORD read = 0;
        failure = reader->Read(buffer.Data(), buffer.Size(), &read);
        if (FAILED(failure) || read == 0)
            break;
        DWORD written = 0;
        failure = pending.file->Write(buffer.Data(), read, &written);
        if (FAILED(failure))
            break;
        total += read;
        const double frames = static_cast<double>(total / blockAlign);
        progress.SetPosition(
            static_cast<UINT>(frames / static_cast<double>(length) * (progress.maximum - progress.minimum)));
        if (progress.cancelled) {
            failure = kMtErrCancelled;
            break;
        }
    }
    reader->EndRead();
    ThrowIfFailed(failure);
    if (total != expected)
        throw CKvSSException(E_FAIL); // the track gave less than its length
    ThrowIfFailed(pending.file->Close());
    progress.SetPosition(progress.maximum);

    MtFileItemRecord record{};
    ThrowIfFailed(pending.file->GetDataFileName(record.path, sizeof record.path));
    record.channels = channels;
    record.bitsPerSample = bits;
    record.samplesPerSec = rate;
    char peakName[MAX_PATH] = {};
    ThrowIfFailed(pending.file->GetPeakFileName(peakName, sizeof peakName));
    ComRef<IMtItemList> list;
    ThrowIfFailed(MtEngine::CreateItemList(list));
    ThrowIfFailed(list->AddFileItem(&record, record.path, peakName, 0));
    pending.handedOver = true;
    ThrowIfFailed(list->ResetItems(0));
    ComRef<IUnknown> item;
    if (ThrowIfFailed(list->NextItem(item.Out(), nullptr)) != S_OK || !item)
        throw CKvSSException(E_FAIL);
    AddChild(this, NewCommand<OpenFileCommand>(m_document, index, int64_t(start), int64_t(length), item.Get()));
}

HRESULT RefreshPeakCommand::Do()
{
    return RunAtEdge([&] {
        if (!m_document)
            throw CKvSSException(E_FAIL);
        const int count = TrackCountOf(m_document);
        for (int i = 0; i < count; ++i)
            RefreshTrack(i, count);
        HRESULT hr = CommandGroup::Do();
        if (SUCCEEDED(hr))
            m_document->RepaintAllViews();
        return hr;
    });
}
