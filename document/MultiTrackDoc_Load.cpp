// The document's loads: a file opened as the document or imported into it. Project files go
// through their format classes; sound files through the file module, one track per track
// file it makes. Every change is a command of one transaction, undone when the load fails.
#include "CommandHistory.h"
#include "CommandSupport.h"
#include "DocMixdown.h"
#include "DocumentHost.h"
#include "DocumentProjectHost.h"
#include "FileCommands.h"
#include "FwApp.h"
#include "FwDocTemplate.h"
#include "FwFrame.h"
#include "FwResource.h"
#include "FwView.h"
#include "GlobalMemory.h"
#include "IKvSKsFIO.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "ProjectFileIds.h"
#include "ResampleCommand.h"
#include "ViewGeometry.h"
#include "ResourceModule.h"
#include "TransactionCommand.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kIdsOpen = 20337;
constexpr UINT kCmdFitToWindowId = 1009;
constexpr UINT kIdsNoSoundTrack = 20399;
constexpr UINT kIdsLoadFailed = 20232;
constexpr UINT kIdsImport = 21024;
constexpr HRESULT kHardwareError = static_cast<HRESULT>(0x83E800D1);
constexpr HRESULT kStreamHardware = static_cast<HRESULT>(0x83EA000A);
constexpr HRESULT kConvertedNothing = static_cast<HRESULT>(0x83E803EB);
constexpr HRESULT kCancelled = static_cast<HRESULT>(0x83E80005);

int FileTypeOfFormat(int format)
{
    return format == kProjectFlat ? 0 : format == kProjectChunked ? 1 : 20;
}

bool IsProjectType(int type)
{
    return type == 0 || type == 1 || type == 20;
}

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(GetResourceModule(), id, text, sizeof(text));
    return text;
}

// The file name of a path, without its folder.
std::string BaseName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

int64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return int64_t((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// The frame around a document's multitrack view; null without a window.
CWnd* FrameOfFirstView(CNyMultiTrackDoc* document)
{
    auto* view = dynamic_cast<CView*>(document->GetMultiTrackView());
    return view && view->m_hWnd ? view->GetParentFrame() : nullptr;
}

// The warning for a sound file that states more frames than it holds: the file, and how much
// is missing as time and frames.
std::string CutShortText(const char* path, const FileInfoRecord& record)
{
    char seconds[64], frames[32], text[1200];
    const double missing = record.samplesPerSec ? double(record.missingFrames) / record.samplesPerSec : 0.0;
    std::snprintf(seconds, sizeof(seconds), "%.2f s", missing);
    std::snprintf(frames, sizeof(frames), "%llu", static_cast<unsigned long long>(record.missingFrames));
    std::snprintf(text, sizeof(text), Text(IDS_DOC_CUT_SHORT).c_str(), BaseName(path).c_str(), seconds, frames);
    return text;
}

// The blocks the file module hands out, freed when they go.
struct ModuleBlock {
    void* block = nullptr;
    ~ModuleBlock()
    {
        if (block)
            GlobalUnlockFree(block);
    }
};

} // namespace

int CNyMultiTrackDoc::LoadProjectFile(const char* path, IUnknown** command)
{
    if (command)
        *command = nullptr;
    int format = CProjectFile::DetectProjectFormat(path);
    DocumentProjectHost host(this);
    std::unique_ptr<CProjectFile> file = CProjectFile::Create(format, &host);
    if (!file) {
        host.ShowMessage(CProjectFile::LoadText(kIdsLoadFailed).c_str());
        return 0;
    }
    LONG before = GetTrackCount();
    if (!file->Load(path, command))
        return 0;
    // A workspace without a zoom, or peaks rebuilt on the way: the view shows the whole length.
    if (host.WantsFitView())
        for (POSITION pos = GetFirstViewPosition(); pos;)
            if (CView* view = GetNextView(pos); view && view->m_hWnd)
                view->SendMessage(WM_COMMAND, kCmdFitToWindowId, 0);
    // A file that became the document gives it its type.
    if (before == 0)
        m_fileInfo.fileType = FileTypeOfFormat(format);
    return 1;
}

void CNyMultiTrackDoc::SetCreatorText(const char* signature)
{
    std::memset(m_creatorText, 0, sizeof(m_creatorText));
    std::strncpy(m_creatorText, signature, sizeof(m_creatorText) - 1);
}

BOOL CNyMultiTrackDoc::IsEmptyDocument()
{
    for (int i = 0; i < GetTrackCount(); ++i)
        if (GetTrackExtent(i, 0) > 0)
            return FALSE;
    return TRUE;
}

void CNyMultiTrackDoc::SetSplitChannelPan(IMtTrack* track, WORD channels, int index, int fileType)
{
    const uint32_t type = m_settings.documentType;
    if (fileType == 3 && ((type == 0 && channels > 2) || (type == 1 && channels > 6)))
        return;
    const bool surround = type == 1 && channels > 2;
    switch (index) {
    case 0:
    case 1:
    case 4:
    case 5:
        track->SetPan(index == 0 || index == 4 ? -1.0f : 1.0f);
        if (surround)
            track->SetFrontRearPan(index < 2 ? 1.0f : -1.0f);
        break;
    case 2:
        track->SetSpeakerMask(4);
        track->SetCenterLevel(1.0f);
        break;
    case 3:
        track->SetSpeakerMask(8);
        track->SetLfeLevel(1.0f);
        break;
    default:
        break;
    }
}

int CNyMultiTrackDoc::LoadFile(const char* path, int importFlag, int* status, IUnknown** command)
{
    if (command)
        *command = nullptr;
    if (status)
        *status = 0;
    DocumentHost& host = GetDocumentHost();
    IKvSKsFIO* fio = host.FileModule();
    FreezeScope frozen(this);
    CWaitCursor wait;

    FileInfoRecord record{};
    HRESULT hr = fio ? fio->QueryFileInfo(host.OwnerWindow(), path, host.FileTypeHint(), importFlag, &record)
                     : REGDB_E_CLASSNOTREG;
    if (FAILED(hr)) {
        host.ShowLoadError(hr == kStreamHardware ? kHardwareError : hr, path);
        return 0;
    }
    if (IsProjectType(record.fileType)) {
        int format = CProjectFile::DetectProjectFormat(path);
        if (format)
            record.fileType = FileTypeOfFormat(format);
    }
    // A sound file cut short opens the frames it holds, once the user knows what is missing.
    if (!IsProjectType(record.fileType) && record.missingFrames > 0)
        host.ShowMessageText(CutShortText(path, record).c_str(), MB_OK | MB_ICONWARNING);
    if (importFlag && record.soundTracks == 0 && record.fileType != 6) {
        char text[800];
        std::snprintf(text, sizeof(text), Text(kIdsNoSoundTrack).c_str(), path);
        host.ShowMessageText(text, MB_OK);
        return 0;
    }

    ComRef<TransactionCommand> transaction(NewCommand<TransactionCommand>(Text(kIdsImport).c_str()));
    ICommandList* list = transaction.Get();
    int loadStatus = 0;
    try {
        const bool project = IsProjectType(record.fileType);
        // A project brings its own format; a sound file's format is taken or converted to.
        if (!project && record.fileType != 6 &&
            (record.samplesPerSec != GetSamplesPerSec() || record.bitsPerSample != GetStoredBits())) {
            if (IsEmptyDocument()) {
                loadStatus = 1;
                WORD engineBits = record.bitsPerSample == 20 ? 24 : record.bitsPerSample;
                ThrowIfFailed(m_engine->SetFormat(engineBits, record.samplesPerSec));
                SetDocumentFormat(record.samplesPerSec, engineBits);
                m_settings.samplesPerSec = record.samplesPerSec;
                m_settings.bitsPerSample = engineBits > 16 ? 32 : engineBits;
                m_settings.validBits =
                    record.bitsPerSample == 20 || record.bitsPerSample == 24 ? record.bitsPerSample : 0;
                SetFileFormatInfo(record.bitsPerSample, record.samplesPerSec);
            } else {
                loadStatus = 2;
                DoAndAddChild(list,
                              NewCommand<ResampleCommand>(nullptr, this, record.bitsPerSample, record.samplesPerSec));
            }
        }
        if (!importFlag && record.fileType != 6 && !m_fileInfoTaken) {
            m_fileInfo = record;
            m_fileInfoTaken = 1;
        }

        if (project) {
            ComRef<IUnknown> loaded;
            if (!LoadProjectFile(path, loaded.Out()))
                throw CKvSSException(kCancelled); // the reader has shown its message
            if (ComRef<IEditCommand> edit = QueryCom<IEditCommand>(loaded.Get()))
                ThrowIfFailed(list->Add(edit.Get()));
            ApplySolo();
        } else {
            LoadSoundFile(path, record, importFlag, list);
        }
    } catch (const CKvSSException& e) {
        static_cast<IEditCommand*>(transaction.Get())->Undo();
        if (e.m_hr != kCancelled)
            host.ShowLoadError(e.m_hr, path);
        return 0;
    }
    if (status)
        *status = loadStatus;
    if (command)
        *command = static_cast<IEditCommand*>(transaction.Detach());
    return 1;
}

void CNyMultiTrackDoc::LoadSoundFile(const char* path, const FileInfoRecord& record, int importFlag, ICommandList* list)
{
    DocumentHost& host = GetDocumentHost();
    IKvSKsFIO* fio = host.FileModule();
    const int type = record.fileType;
    // Import position: at the selection when the empty tracks at the end receive the file.
    int64_t position = 0;
    if (importFlag) {
        int firstEmpty = GetTrackCount();
        while (firstEmpty > 0 && GetTrackExtent(firstEmpty - 1, 0) < 1)
            --firstEmpty;
        int64_t start = 0, end = 0;
        if (firstEmpty < GetTrackCount() && GetOrderedSelection(&start, &end) && start != 0 &&
            IsTrackSelectedAt(firstEmpty))
            position = start;
    }
    const bool split = host.IsChannelSplitOn() || ((type == 3 || type == 11) && (m_settings.documentType == 0 || record.channels > 6));
    m_splitChannelsThisLoad = split ? 1 : 0;
    if (!importFlag)
        m_splitChannels = m_splitChannelsThisLoad;

    // Items the engine still holds for this file; raw files are never opened for a load.
    ComRef<IMtTempStore> store;
    std::vector<ComRef<IUnknown>> held;
    if (SUCCEEDED(MtEngine::CreateTempStore(store))) {
        const int requests = split ? record.channels : 1;
        for (int c = 0; c < requests; ++c) {
            MtFileItemRecord request = StoredItemRequest(path, record, split ? c + 1 : 0, split ? 1 : record.channels);
            ComRef<IUnknown> item;
            if (store->LookupTrack(&request, item.Out(), 1 | kMtLookupHeldOnly) == S_OK && item)
                held.push_back(item);
            else
                break;
        }
        if (held.size() != size_t(requests))
            held.clear();
    }
    if (!held.empty()) {
        for (size_t k = 0; k < held.size(); ++k) {
            ComRef<IMtItemList> items;
            ThrowIfFailed(MtEngine::CreateItemList(items));
            ThrowIfFailed(items->AddItem(held[k].Get(), 0));
            BuildTrackFromItems(items.Get(), list, path, position, split ? record.channels : 1, int(k), type);
        }
        AssignGroupToLeadTrack(m_leadTrack, TRUE);
        ThrowIfFailed(LoadFileMarkers(path, record, list));
        if (m_fileInfoTaken && !importFlag)
            CopySourceAttributes();
        ApplySolo();
        return;
    }

    // The file module makes the track files.
    FileInfoRecord converted = record;
    ComRef<IUnknown> attributes;
    ModuleBlock names, markers, loop;
    LONG files = 0, channelsPerFile = 0;
    WORD markerCount = 0;
    FreeFileMarkerBlocks();
    HRESULT hr =
        fio->ConvertToTrackFiles(host.OwnerWindow(), path, &converted, attributes.Out(),
                                 reinterpret_cast<char**>(&names.block), 0, &files, &channelsPerFile, &markerCount,
                                 &markers.block, &loop.block, split ? 1 : 0, m_settings.documentType == 1 ? 6 : 2);
    if (SUCCEEDED(hr))
        hr = fio->GetCompletionResult();
    std::vector<std::string> fileNames;
    if (names.block)
        for (LONG i = 0; i < 2 * files; ++i)
            fileNames.emplace_back(static_cast<const char*>(names.block) + size_t(i) * kFioNameLength);
    auto dropFiles = [&] {
        for (const std::string& name : fileNames)
            if (!name.empty())
                DeleteFileA(name.c_str());
    };
    bool emptyFile = false;
    for (LONG k = 0; k < files; ++k)
        emptyFile = emptyFile || FileSize(fileNames[size_t(2 * k)]) <= 0;
    if (FAILED(hr) || hr == kConvertedNothing || emptyFile || files == 0) {
        dropFiles();
        throw CKvSSException(FAILED(hr) && hr != kConvertedNothing ? hr : kCancelled);
    }
    if (m_fileInfoTaken && !importFlag && attributes)
        ReplaceSourceAttributes(attributes.Get());

    try {
        for (LONG k = 0; k < files; ++k) {
            MtFileItemRecord request =
                StoredItemRequest(path, converted, split ? k + 1 : 0, WORD(channelsPerFile ? channelsPerFile : 1));
            request.bitsPerSample = GetBitsPerSample();
            request.samplesPerSec = GetSamplesPerSec();
            ComRef<IMtItemList> items;
            ThrowIfFailed(MtEngine::CreateItemList(items));
            const std::string& data = fileNames[size_t(2 * k)];
            const std::string& peaks = fileNames[size_t(2 * k + 1)];
            ThrowIfFailed(items->AddFileItem(&request, data.c_str(), peaks.empty() ? nullptr : peaks.c_str(), 0));
            BuildTrackFromItems(items.Get(), list, path, position, split ? record.channels : 1, int(k), type);
        }
    } catch (const CKvSSException&) {
        dropFiles();
        throw;
    }
    AssignGroupToLeadTrack(m_leadTrack, TRUE);
    AddFileMarkers(converted, markerCount, static_cast<const LabelRecord*>(markers.block),
                   static_cast<const FioLoopBlock*>(loop.block), list);
}

MtFileItemRecord CNyMultiTrackDoc::StoredItemRequest(const char* path, const FileInfoRecord& record, int firstChannel,
                                                     WORD channels)
{
    MtFileItemRecord request{};
    lstrcpynA(request.path, path, sizeof(request.path));
    request.trackNumber = WORD(firstChannel);
    request.channels = channels;
    request.bitsPerSample = GetBitsPerSample();
    request.samplesPerSec = record.samplesPerSec ? record.samplesPerSec : GetSamplesPerSec();
    return request;
}

void CNyMultiTrackDoc::BuildTrackFromItems(IMtItemList* items, ICommandList* list, const char* path, int64_t position,
                                           WORD fileChannels, int index, int fileType)
{
    ImportFileCommand* import = NewCommand<ImportFileCommand>(this, items, 0u);
    ComRef<ICommandGroupAux> aux = ComRef<ICommandGroupAux>::Share(static_cast<ICommandGroupAux*>(import));
    DoAndAddChild(list, static_cast<IEditCommand*>(import));
    ComRef<IMtTrack> track;
    ThrowIfFailed(QueryReceivingTrack(aux.Get(), track.Out()));
    if (position)
        ThrowIfFailed(track->SetStartOffset(position));
    if (m_splitChannelsThisLoad && fileChannels > 1)
        SetSplitChannelPan(track.Get(), fileChannels, index, fileType);
    SetTrackColor(track.Get(), GetDocumentHost().SkinColorAt(1));
    SetTrackGroup(track.Get(), GetFreeGroupNumber());
    LONG trackIndex = 0;
    ThrowIfFailed(m_engine->GetTrackIndex(track.Get(), &trackIndex));
    m_leadTrack = int(trackIndex);
    LabelRecord label{};
    GetTrackLabel(trackIndex, &label);
    std::string name = BaseName(path);
    std::memset(label.name, 0, sizeof(label.name));
    std::strncpy(label.name, name.c_str(), sizeof(label.name) - 1);
    if (label.id > 0)
        DoAndAddChild(list, NewCommand<ModMarkCommand>(nullptr, this, label));
    else
        DoAndAddChild(list, NewCommand<AddMarkInfoCommand>(nullptr, this, label));
}

void CNyMultiTrackDoc::FreeFileMarkerBlocks()
{
    if (m_fileMarkerBlock)
        GlobalFree(m_fileMarkerBlock);
    if (m_fileLoopBlock)
        GlobalFree(m_fileLoopBlock);
    m_fileMarkerBlock = nullptr;
    m_fileLoopBlock = nullptr;
    m_fileMarkerCount = 0;
}

void CNyMultiTrackDoc::AddFileMarkers(const FileInfoRecord& record, LONG count, const LabelRecord* markers,
                                      const FioLoopBlock* loop, ICommandList* list)
{
    if (loop && loop->loopCount != 0 && GetLabelCount(kLabelLoop) == 0) {
        LabelRecord r{};
        r.id = 1;
        r.kind = kLabelLoop;
        r.trackId = -1;
        r.start = int64_t(int32_t(loop->start));
        r.end = int64_t(int32_t(loop->end));
        LoadStringA(GetResourceModule(), kIdsLoopName, r.name, sizeof(r.name));
        if (!r.name[0])
            std::strcpy(r.name, "LOOP");
        DoAndAddChild(list, NewCommand<AddMarkInfoCommand>(nullptr, this, r));
    }
    for (LONG i = 0; i < count && markers; ++i) {
        LabelRecord r = markers[i];
        r.name[sizeof(r.name) - 1] = 0;
        if ((r.kind & 0xFF) != 0 && record.formatSamplesPerSec && GetSamplesPerSec()) {
            r.start = int64_t(static_cast<__int128>(r.start) * GetSamplesPerSec() / record.formatSamplesPerSec);
            r.end = int64_t(static_cast<__int128>(r.end) * GetSamplesPerSec() / record.formatSamplesPerSec);
        }
        r.id = 0;
        DoAndAddChild(list, NewCommand<AddMarkInfoCommand>(nullptr, this, r));
    }
}

HRESULT CNyMultiTrackDoc::LoadFileMarkers(const char* path, const FileInfoRecord& record, ICommandList* list)
{
    IKvSKsFIO* fio = GetDocumentHost().FileModule();
    FreeFileMarkerBlocks();
    FileInfoRecord query = record;
    LONG count = 0;
    WORD fileCount = 0;
    ModuleBlock markers, fileMarkers, loop;
    HRESULT hr =
        fio->ReadFileMarkers(path, &query, &count, &markers.block, &fileCount, &fileMarkers.block, &loop.block);
    if (FAILED(hr))
        return hr;
    ComRef<IUnknown> attributes;
    hr = fio->GetFileAttributes(path, &query, attributes.Out());
    if (FAILED(hr))
        return hr;
    m_sourceAttributes = attributes;
    AddFileMarkers(record, count, static_cast<const LabelRecord*>(markers.block),
                   static_cast<const FioLoopBlock*>(loop.block), list);
    return hr;
}

void CNyMultiTrackDoc::ReplaceSourceAttributes(IUnknown* attributes)
{
    m_sourceAttributes.Reset();
    ComRef<IKvSFileAttributes> source = QueryCom<IKvSFileAttributes>(attributes);
    if (source && m_fileInfo.fileType != 5)
        source->Clone(m_sourceAttributes.Out());
    CopySourceAttributes();
}

void CNyMultiTrackDoc::CopySourceAttributes()
{
    m_documentAttributes.Reset();
    ComRef<IKvSFileAttributes> source = QueryCom<IKvSFileAttributes>(m_sourceAttributes.Get());
    if (source)
        source->Clone(m_documentAttributes.Out());
}

BOOL CNyMultiTrackDoc::OnOpenDocument(const char* path)
{
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ReportSaveLoadException(path, GetLastError(), FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    CloseHandle(file);
    DeleteContents();
    if (!m_engine && !CreateEngine())
        return FALSE;
    if (!LoadFile(path, 0, nullptr, nullptr))
        return FALSE;
    if (m_history)
        m_history->Clear();
    SetModifiedFlag(FALSE);
    DWORD attributes = GetFileAttributesA(path);
    SetReadOnly(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY));
    OpenVideoOnLoad(path);
    ReplaceUntouchedFirstDocument();
    if (GetDocumentHost().IsCommandLoggingOn())
        OpenWorkFiles(path);
    return TRUE;
}

// The empty "Sound1" the program opened at its start gives way to the file opened after it:
// the new window takes its place and size.
void CNyMultiTrackDoc::ReplaceUntouchedFirstDocument()
{
    CWinApp* app = AfxGetApp();
    std::vector<std::pair<CNyMultiTrackDoc*, CString>> candidates;
    for (POSITION t = app ? app->GetFirstDocTemplatePosition() : nullptr; t;) {
        CDocTemplate* docTemplate = app->GetNextDocTemplate(t);
        CString name;
        docTemplate->GetDocString(name, CDocTemplate::docName);
        for (POSITION d = docTemplate->GetFirstDocPosition(); d;)
            if (auto* other = dynamic_cast<CNyMultiTrackDoc*>(docTemplate->GetNextDoc(d)); other && other != this)
                candidates.push_back({other, name + "1"});
    }
    for (auto& [other, title] : candidates) {
        if (other->IsModified() || other->GetTrackCount() != 1 || other->GetTrackExtent(0, 0) != 0 ||
            lstrcmpiA(other->GetTitle(), title) != 0)
            continue;
        CWnd* from = FrameOfFirstView(other);
        CWnd* to = FrameOfFirstView(this);
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (from && to && ::GetWindowPlacement(from->m_hWnd, &placement)) {
            // This window is shown when its opening ends, in the state taken here.
            placement.showCmd = placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_HIDE;
            ::SetWindowPlacement(to->m_hWnd, &placement);
        }
        other->OnCloseDocument();
    }
}

void CNyMultiTrackDoc::OnFileImport()
{
    if (!IsViewIdle())
        return;
    std::vector<std::string> paths;
    if (GetDocumentHost().RunImportDialog(this, &paths))
        ImportFiles(paths);
}

BOOL CNyMultiTrackDoc::ImportFiles(const std::vector<std::string>& paths)
{
    ComRef<TransactionCommand> transaction(NewCommand<TransactionCommand>(Text(kIdsImport).c_str()));
    IEditCommand* edit = static_cast<IEditCommand*>(transaction.Get());
    for (const std::string& path : paths) {
        ComRef<IUnknown> loaded;
        // A load that answers 0 has failed (and shown why): the files before it go too.
        if (!LoadFile(path.c_str(), 1, nullptr, loaded.Out())) {
            edit->Undo();
            return FALSE;
        }
        GetDocumentHost().ClearFileTypeHint();
        ComRef<IEditCommand> command = QueryCom<IEditCommand>(loaded.Get());
        if (!command || FAILED(transaction->Add(command.Get()))) {
            if (command)
                command->Undo();
            edit->Undo();
            return FALSE;
        }
    }
    if (m_history)
        m_history->Add(edit, TRUE);
    SetModifiedFlag(TRUE);
    return TRUE;
}
