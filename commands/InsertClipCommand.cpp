#include "ClipCommands.h"

#include "CommandSupport.h"
#include "FormatConverter.h"
#include "FwApp.h"
#include "KsMultiTrackLoader.h"
#include "OperationEdge.h"
#include "ScopedChunkFile.h"
#include "StreamChunkFile.h"
#include "TempFilePaths.h"

namespace {

ComRef<IMtClipPersist> PersistOf(IMtClip* clip)
{
    ComRef<IMtClipPersist> persist = QueryCom<IMtClipPersist>(clip);
    if (!persist)
        throw CKvSSException(E_NOINTERFACE);
    return persist;
}

} // namespace

InsertClipCommand::InsertClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start,
                                     int64_t length, IMtClip* clip)
    : RecordedCommand(name, document, trackIndex, start, length, clip)
{
}

InsertClipCommand::~InsertClipCommand()
{
    m_clipHold.Reset();
    if (m_ownsClipFile)
        ::DeleteFileA(m_clipPath.c_str());
}

void InsertClipCommand::HoldClipFile()
{
    // Readers may open it beside this handle; no one may write or delete it meanwhile.
    m_clipHold.Reset(::CreateFileA(m_clipPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

HRESULT InsertClipCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = GetTrack();
        DWORD state = 0;
        ThrowIfFailed(track->GetSelectedChannels(&state));
        m_trackState = static_cast<int32_t>(state);
        ThrowIfFailed(SaveTrackContent());
        ConvertClipToDocumentFormat();
        HRESULT hr = ThrowIfFailed(track->InsertClip(m_forward.Get(), m_range.start, m_range.end - m_range.start, 0));
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return hr;
    });
}

void InsertClipCommand::ConvertClipToDocumentFormat()
{
    if (!m_forward)
        throw CKvSSException(E_POINTER);
    MtClipFormat format{};
    ThrowIfFailed(m_forward->GetFormat(&format));
    DWORD rate = m_document->GetSamplesPerSec();
    WORD bits = m_document->GetBitsPerSample();
    if (format.samplesPerSec == rate && format.bitsPerSample == bits)
        return;

    ComRef<IMtTrackSet> set;
    ThrowIfFailed(MtEngine::CreateTrackSet(set));
    ThrowIfFailed(set->SetFormat(format.bitsPerSample, format.samplesPerSec));
    ComRef<IMtTrack> track;
    ThrowIfFailed(set->InsertTrack(0, format.channels, track.Out(), -1));
    ThrowIfFailed(track->InsertClip(m_forward.Get(), 0, 0, 0));

    ComRef<IMtItemList> items;
    ThrowIfFailed(MtEngine::CreateItemList(items));
    FormatConverter converter;
    CWnd* main = AfxGetMainWnd();
    ThrowIfFailed(
        ConvertFileFormat(converter, set.Get(), rate, bits, main ? main->GetSafeHwnd() : nullptr, 8, items.Get()));

    ComRef<IMtClip> converted;
    ThrowIfFailed(MtEngine::CreateClip(converted));
    MtClipFormat target{rate, bits, format.channels};
    ThrowIfFailed(converted->SetFormat(&target));
    ThrowIfFailed(items->ResetItems(0));
    ComRef<IUnknown> item;
    if (items->NextItem(item.Out(), nullptr) == S_OK && item)
        ThrowIfFailed(converted->SetSource(item.Get(), 0, -1));
    m_forward = std::move(converted);
}

HRESULT InsertClipCommand::OnLoaded()
{
    return RunAtEdge([&] {
        ThrowIfFailed(GetTrack()->SetSelectedChannels(static_cast<DWORD>(m_trackState)));
        return Do();
    });
}

void InsertClipCommand::BeforeWrite()
{
    if (!m_clipPath.empty())
        return;
    TempFilePaths temp;
    std::string path = temp.MakeTempFileName();
    if (path.empty() || path.size() >= 260)
        throw CKvSSException(E_FAIL);
    {
        ScopedChunkFile file(path, kFileCreate);
        HRESULT hr = PersistOf(m_forward.Get())->Save(file.Get(), kFileCreate);
        if (FAILED(hr)) {
            // The file is not the command's until it holds the clip.
            file.Get()->Close();
            ::DeleteFileA(path.c_str());
            throw CKvSSException(hr);
        }
    }
    m_clipPath = path;
    m_ownsClipFile = true;
    HoldClipFile();
}

void InsertClipCommand::AfterRead(uint16_t /*formSize*/)
{
    ComRef<IMtClip> clip;
    ThrowIfFailed(MtEngine::CreateClip(clip));
    {
        ScopedChunkFile file(m_clipPath, kFileRead);
        ThrowIfFailed(PersistOf(clip.Get())->Load(file.Get()));
    }
    m_forward = std::move(clip);
    HoldClipFile();
}
