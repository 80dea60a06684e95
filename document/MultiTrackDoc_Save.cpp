// The document's saves: project files through their format classes, sound files through
// the file module. A failed save changes neither the old file nor the document's state.
#include "CommandHistory.h"
#include "DocMixdown.h"
#include "DocumentHost.h"
#include "DocumentProjectHost.h"
#include "DocWiring.h"
#include "IKvSKsFIO.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"
#include "VideoForAviSave.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kIdsNothingToSave = 20253;
constexpr UINT kIdsFolderNotWritable = 20455;
constexpr UINT kIdsSameFormat = 20248;
constexpr UINT kIdsMixdownQuestion = 20247;
constexpr UINT kIdsMustMixDown = 20306;
constexpr UINT kIdsSavedDifferent = 20246;
constexpr UINT kIdsMarkersOutside = 61281;
constexpr UINT kIdsEnvelopesLost = 61290;
constexpr HRESULT kCancelled = static_cast<HRESULT>(0x83E80005);
// What the file module is told for a multichannel mix when the record holds no value.
constexpr int32_t kDefaultWriteValue = 1;

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(GetResourceModule(), id, text, sizeof(text));
    return text;
}

int Ask(UINT id, UINT style)
{
    return GetDocumentHost().ShowMessageText(Text(id).c_str(), style);
}

bool IsProjectType(int type)
{
    return type == 0 || type == 1 || type == 20;
}

} // namespace

int CNyMultiTrackDoc::SaveProjectFile(const char* path, int fileType)
{
    if (!IsProjectType(fileType))
        return 0;
    int format = fileType == 0 ? kProjectFlat : fileType == 1 ? kProjectChunked : kProjectMultichannel;
    DocumentProjectHost host(this);
    std::unique_ptr<CProjectFile> file = CProjectFile::Create(format, &host);
    if (!file->Save(path))
        return 0;
    // The type changes only with a good save.
    m_fileInfo.fileType = fileType;
    SetModifiedFlag(FALSE);
    return 1;
}

BOOL CNyMultiTrackDoc::IsFolderWritable(const char* folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    SetLastError(0);
    BOOL writable = FALSE;
    for (UINT n = 1; n < 0x10000; ++n) {
        char name[MAX_PATH];
        if (!GetTempFileNameA(folder, "NY", n, name))
            break;
        if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (GetLastError() == ERROR_ACCESS_DENIED)
            break;
        HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            DeleteFileA(name);
            writable = TRUE;
        }
        break;
    }
    SetLastError(0);
    return writable;
}

HRESULT CNyMultiTrackDoc::WriteSoundFile(const char* path, FileInfoRecord* record, IUnknown* attributes, BOOL mixdown)
{
    IKvSKsFIO* fio = GetDocumentHost().FileModule();
    if (!fio)
        return REGDB_E_CLASSNOTREG;
    const int64_t length = GetLength();
    std::vector<LabelRecord> markers;
    FioLoopBlock loop{};
    bool hasLoop = false;
    std::vector<LabelRecord> found;
    for (int t = -1; t < GetTrackCount(); ++t) {
        FindLabelsInRange(t, found, 0, -1, -1);
        for (LabelRecord r : found) {
            const int kind = r.kind & 0xFF;
            if (kind == kLabelCue || kind == kLabelSection) {
                if (kind == kLabelCue && r.start > length)
                    continue;
                if (r.end > length)
                    continue;
                // A mark at the very end is written on the last sample.
                if (kind == kLabelCue && r.start == length && length > 0)
                    r.start = r.end = length - 1;
                if (r.end == length && length > 0)
                    r.end = length - 1;
                r.trackId = -1;
                markers.push_back(r);
            } else if (kind == kLabelLoop && r.end <= length) {
                hasLoop = true;
                loop.samplePeriod = GetSamplesPerSec();
                loop.unityNote = 60;
                loop.loopCount = 1;
                loop.start = uint32_t(r.start);
                loop.end = uint32_t(r.end == length && length > 0 ? length - 1 : r.end);
            }
        }
    }
    // A video that is no AVI goes into an AVI as its decoded frames.
    const VideoForAviSave video(m_videoPath, record->fileType == 5);
    if (FAILED(video.Result()))
        return video.Result();
    // The video is closed while the file is written, and opened again after.
    DocWiring::DocumentVideoClosed videoClosed(IsVideoOpen() ? DocWiring::VideoOf(this) : nullptr, m_videoPath);
    // The attributes the write carries go to the module before the write itself.
    HRESULT hr = fio->SetWriteAttributes(attributes);
    if (SUCCEEDED(hr))
        hr = fio->SetTrackSet(m_engine.Get());
    if (SUCCEEDED(hr))
        hr = fio->SetWriteChannels((m_settings.documentType == 1 ? 6 : 2) * (mixdown ? 1 : 0), record->writeValue);
    if (SUCCEEDED(hr))
        hr = fio->SetVideoPath(video.Path());
    if (SUCCEEDED(hr))
        hr =
            fio->WriteSoundFile(GetDocumentHost().OwnerWindow(), path, video.Path(), record,
                                markers.empty() ? nullptr : markers.data(), LONG(markers.size()), m_fileMarkerCount,
                                m_fileMarkerBlock ? GlobalLock(m_fileMarkerBlock) : nullptr, hasLoop ? &loop : nullptr);
    if (m_fileMarkerBlock)
        GlobalUnlock(m_fileMarkerBlock);
    if (SUCCEEDED(hr))
        hr = fio->GetCompletionResult();
    // A file cut off at the format's limit (kCutOff) is a failure like any other: the old
    // file stays and the document stays modified.
    return hr;
}

BOOL CNyMultiTrackDoc::OnSaveDocument(const char* path)
{
    const int type = m_fileInfo.fileType;
    DocumentHost& host = GetDocumentHost();
    FreezeScope frozen(this);
    if (IsProjectType(type)) {
        // Cancel at the marks question saves nothing and says so.
        if (!AreLabelsInsideDocument(1) && Ask(kIdsMarkersOutside, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return FALSE;
        if (!SaveProjectFile(path, type))
            return FALSE;
        if (m_history)
            m_history->Clear();
        SetModifiedFlag(FALSE);
        return TRUE;
    }
    if (type == 10 || type == 11) {
        Ask(kIdsSameFormat, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if ((type == 2 || type == 3 || type == 21 || type == 22) && !AreLabelsInsideDocument(1) &&
        Ask(kIdsMarkersOutside, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return FALSE;
    if (GetSamplesPerSec() != m_fileInfo.formatSamplesPerSec ||
        (m_fileInfo.bitsPerSample && GetStoredBits() != m_fileInfo.bitsPerSample))
        return SaveAsWithDialog(0);
    FileInfoRecord record = m_fileInfo;
    BOOL mixdown = FALSE;
    if (m_settings.documentType == 1) {
        if (m_fileInfo.channels <= 2)
            return SaveAsWithDialog(0);
        mixdown = TRUE;
        if (record.writeValue == 0)
            record.writeValue = kDefaultWriteValue;
    } else {
        bool asked = false;
        if (NeedsNewerFormat(type) && Ask(kIdsMixdownQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            // A mix of another channel count does not fit the file: it goes through Export.
            if (GetMixdownChannels(type) != m_fileInfo.channels)
                return SaveAsWithDialog(0);
            mixdown = TRUE;
            asked = true;
        }
        if (!asked && GetTotalChannels() > 2 && type != 3) {
            if (Ask(kIdsMustMixDown, MB_YESNO | MB_ICONQUESTION) != IDYES)
                return FALSE;
            mixdown = TRUE;
        }
    }
    HRESULT hr = WriteSoundFile(path, &record, m_documentAttributes.Get(), mixdown);
    if (FAILED(hr)) {
        if (hr != kCancelled)
            host.ShowErrorBox(hr, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (m_history)
        m_history->Clear();
    SetModifiedFlag(FALSE);
    if (mixdown) {
        // The file now holds the mix: the document may show it instead, once this save (and a
        // close it belongs to) has ended.
        if (Ask(kIdsSavedDifferent, MB_YESNO | MB_ICONQUESTION) == IDYES)
            host.RequestReopen(this);
        return TRUE;
    }
    if (IKvSKsFIO* fio = host.FileModule()) {
        FileInfoRecord fresh{};
        if (SUCCEEDED(fio->QueryFileInfo(host.OwnerWindow(), path, type, 0, &fresh)))
            m_fileInfo = fresh;
    }
    return TRUE;
}

BOOL CNyMultiTrackDoc::DoFileSave()
{
    if (!IsViewIdle())
        return FALSE;
    bool empty = true;
    for (int i = 0; i < GetTrackCount(); ++i)
        empty = empty && GetTrackExtent(i, 0) < 1;
    if (empty) {
        Ask(kIdsNothingToSave, MB_OK);
        return FALSE;
    }
    std::string path = static_cast<const char*>(GetPathName());
    if (IKvSKsFIO* fio = GetDocumentHost().FileModule())
        fio->SetDocumentPath(path.c_str());
    const int type = m_fileInfo.fileType;
    if (path.empty() || IsReadOnly())
        return RefreshPeaksForSave() && SaveAsWithDialog(1);
    if ((!m_documentAttributes && !IsProjectType(type) && type != 21 && type != 22) || type == 23)
        return SaveAsWithDialog(2);
    if ((type == 0 || type == 1) && (HasEnvelopeData(0) || HasEnvelopeData(1)) &&
        Ask(kIdsEnvelopesLost, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    if (!RefreshPeaksForSave())
        return FALSE;
    std::string folder = path.substr(0, path.find_last_of('\\') == std::string::npos ? 0 : path.find_last_of('\\'));
    if (!folder.empty() && !IsFolderWritable(folder.c_str())) {
        Ask(kIdsFolderNotWritable, MB_OK | MB_ICONEXCLAMATION);
        return SaveAsWithDialog(1);
    }
    return OnSaveDocument(path.c_str());
}

BOOL CNyMultiTrackDoc::RefreshPeaksForSave()
{
    HRESULT hr = RefreshPeaks();
    if (FAILED(hr)) {
        GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

BOOL CNyMultiTrackDoc::HasEnvelopeData(LONG kind)
{
    for (int i = 0; i < GetTrackCount(); ++i) {
        IMtEnvelope* envelope = nullptr;
        try {
            envelope = GetTrackEditInterface(i, kind);
        } catch (const CKvSSException&) {
            continue;
        }
        LONG count = 0;
        if (envelope && SUCCEEDED(envelope->GetCount(&count)) && count > 0)
            return TRUE;
    }
    return FALSE;
}

BOOL CNyMultiTrackDoc::SaveAsWithDialog(int mode)
{
    SaveAsChoice choice;
    if (!GetDocumentHost().RunSaveDialog(this, mode, &choice))
        return FALSE;
    return SaveAsChosen(mode, choice);
}

// A save that left the document in its file starts the journal of the edits after it. One
// that wrote something else (a mixdown, another format) leaves the document modified: its
// journal keeps the unsaved edits.
void CNyMultiTrackDoc::RestartJournalAfterSave()
{
    if (GetDocumentHost().IsCommandLoggingOn() && !IsModified())
        OpenWorkFiles(GetPathName());
}

void CNyMultiTrackDoc::OnFileSaveCommand()
{
    if (DoFileSave())
        RestartJournalAfterSave();
}

void CNyMultiTrackDoc::OnFileSaveAsCommand()
{
    if (SaveAsWithDialog(1))
        RestartJournalAfterSave();
}

void CNyMultiTrackDoc::OnFileExport()
{
    SaveAsWithDialog(0);
}

BOOL CNyMultiTrackDoc::SaveAsChosen(int mode, const SaveAsChoice& choice)
{
    (void)mode;
    const char* path = choice.path.c_str();
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        GetDocumentHost().ShowErrorText(static_cast<HRESULT>(0x83E800DC));
        return FALSE;
    }
    FreezeScope frozen(this);
    if (!IsProjectType(choice.type))
        return ExportWithFormat(choice);
    if ((choice.type == 0 || choice.type == 1) && (HasEnvelopeData(0) || HasEnvelopeData(1)) &&
        Ask(kIdsEnvelopesLost, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    // The type is taken only once the file is written.
    if (!SaveProjectFile(path, choice.type))
        return FALSE;
    SetPathName(path);
    DocumentHost& host = GetDocumentHost();
    if (IKvSKsFIO* fio = host.FileModule()) {
        FileInfoRecord fresh{};
        if (SUCCEEDED(fio->QueryFileInfo(host.OwnerWindow(), path, choice.type, 0, &fresh))) {
            fresh.fileType = choice.type;
            m_fileInfo = fresh;
        }
    }
    // The older forms keep stereo tracks as mono pairs: the document shows what was written.
    if ((choice.type == 0 || choice.type == 1) && GetTotalChannels() != UINT(GetTrackCount()))
        host.RequestReopen(this);
    if (m_history)
        m_history->SetModified(FALSE);
    SetModifiedFlag(FALSE);
    SetReadOnly(FALSE);
    return TRUE;
}

int CNyMultiTrackDoc::GetMixdownChannels(int type)
{
    const UINT total = GetTotalChannels();
    if (total == 1)
        return type == 0 || !NeedsNewerFormat(type) ? 1 : 2;
    if (type == 1 && total == UINT(GetTrackCount()))
        return NeedsNewerFormat(type) ? 2 : 1;
    return 2;
}

BOOL CNyMultiTrackDoc::ExportWithFormat(const SaveAsChoice& choice)
{
    DocumentHost& host = GetDocumentHost();
    const char* path = choice.path.c_str();
    FileInfoRecord record = m_fileInfo;
    record.fileType = choice.type;
    record.formatValue = choice.formatValue;
    lstrcpynA(record.formatName, choice.description.c_str(), sizeof record.formatName);
    lstrcpynA(record.description, choice.extensions.c_str(), sizeof record.description);
    const WAVEFORMATEX& wave = choice.waveFormat;
    if (wave.wFormatTag != 0) {
        record.formatTag = wave.wFormatTag;
        record.channels = wave.nChannels;
        record.formatSamplesPerSec = wave.nSamplesPerSec;
        record.avgBytesPerSec = wave.nAvgBytesPerSec;
        record.blockAlign = wave.nBlockAlign;
        record.formatBitsPerSample = wave.wBitsPerSample;
        if (wave.wFormatTag == WAVE_FORMAT_PCM || wave.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
            record.samplesPerSec = wave.nSamplesPerSec;
            record.bitsPerSample = wave.wBitsPerSample;
        }
        // A speaker mask of the channels chosen, or the writer's own for their count.
        record.channelMask = 0;
    }
    record.writeValue = choice.options;
    // Another channel count than the tracks', or the mixer's settings: the tracks are mixed.
    const BOOL mixdown = choice.formatLoss || choice.mixAll ||
                         (wave.wFormatTag != 0 && wave.nChannels != GetTotalChannels());
    HRESULT hr = WriteSoundFile(path, &record, choice.attributes.Get(), mixdown);
    if (FAILED(hr)) {
        if (hr != kCancelled)
            host.ShowErrorBox(hr, MB_ICONEXCLAMATION);
        return FALSE;
    }
    FileInfoRecord written = record;
    if (IKvSKsFIO* fio = host.FileModule()) {
        FileInfoRecord fresh{};
        if (SUCCEEDED(fio->QueryFileInfo(host.OwnerWindow(), path, choice.type, 0, &fresh)))
            written = fresh;
    }
    const bool samePath = lstrcmpiA(GetPathName(), path) == 0;
    if (choice.type != 8 && IsWrittenFileDifferent(choice, mixdown, written)) {
        if (Ask(kIdsSavedDifferent, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            if (samePath)
                host.RequestReopen(this);
            else
                host.OpenFurtherDocument(path, choice.type, m_settings.documentType);
        }
        return TRUE;
    }
    if (samePath)
        m_documentAttributes = choice.attributes;
    if (m_history)
        m_history->SetModified(FALSE);
    SetModifiedFlag(FALSE);
    SetPathName(path);
    m_fileInfo = written;
    KeepJournalIdentity();
    return TRUE;
}

bool CNyMultiTrackDoc::IsWrittenFileDifferent(const SaveAsChoice& choice, BOOL mixdown, const FileInfoRecord& written)
{
    if (IsProjectType(choice.type))
        return false;
    if (mixdown || written.fileType != m_fileInfo.fileType)
        return true;
    if (choice.type != 3 && GetTrackCount() > 1)
        return true;
    if (GetTotalChannels() != written.channels || GetSamplesPerSec() != written.samplesPerSec)
        return true;
    // A format chosen in the format's own settings is the file's, not the document's.
    const WORD tag = choice.waveFormat.wFormatTag;
    if (tag == WAVE_FORMAT_PCM || tag == WAVE_FORMAT_IEEE_FLOAT)
        return true;
    if (m_fileInfo.hasVideo)
        return true;
    IUnknown* chosen = choice.attributes.Get();
    ComRef<IKvSFileAttributes> own = QueryCom<IKvSFileAttributes>(m_documentAttributes.Get());
    if (own && chosen && own->IsEqual(chosen) != S_OK)
        return true;
    if (choice.type != 3)
        if (ComRef<IKvSFileAttributes> dialog = QueryCom<IKvSFileAttributes>(chosen)) {
            IKsAttributeValues* values = nullptr;
            if (SUCCEEDED(dialog->QueryTag(kTagFileAttributes, reinterpret_cast<void**>(&values))) && values) {
                const LONG first = values->GetValue(kAttributeFirstValue);
                values->Release();
                if (first != 1)
                    return true;
            }
        }
    return false;
}
