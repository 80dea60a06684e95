// The document's saves: project files through their format classes, sound files through
// the file module. A failed save changes neither the old file nor the document's state.
#include "CommandHistory.h"
#include "DocumentHost.h"
#include "DocumentProjectHost.h"
#include "DocWiring.h"
#include "IKvSKsFIO.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"

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
    // The video is closed while the file is written, and opened again after.
    DocWiring::DocumentVideoClosed videoClosed(IsVideoOpen() ? DocWiring::VideoOf(this) : nullptr, m_videoPath);
    // The attributes the write carries go to the module before the write itself.
    HRESULT hr = fio->SetWriteAttributes(attributes);
    if (SUCCEEDED(hr))
        hr = fio->SetTrackSet(m_engine.Get());
    if (SUCCEEDED(hr))
        hr = fio->SetWriteChannels((m_settings.documentType == 1 ? 6 : 2) * (mixdown ? 1 : 0), record->writeValue);
    if (SUCCEEDED(hr))
        hr = fio->SetVideoPath(m_videoPath.IsEmpty() ? nullptr : static_cast<const char*>(m_videoPath));
    if (SUCCEEDED(hr))
        hr =
            fio->WriteSoundFile(GetDocumentHost().OwnerWindow(), path,
                                m_videoPath.IsEmpty() ? nullptr : static_cast<const char*>(m_videoPath), record,
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
    BOOL mixdown = FALSE;
    WORD channels = 0;
    for (int i = 0; i < GetTrackCount(); ++i)
        channels = WORD(channels + GetTrackChannels(i));
    if (m_settings.documentType == 1) {
        if (m_fileInfo.channels <= 2)
            return SaveAsWithDialog(0);
        mixdown = TRUE;
    } else {
        bool asked = false;
        if (NeedsNewerFormat(type)) {
            if (Ask(kIdsMixdownQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES) {
                mixdown = TRUE;
                asked = true;
            }
        }
        if (!asked && channels > 2 && type != 3) {
            if (Ask(kIdsMustMixDown, MB_YESNO | MB_ICONQUESTION) != IDYES)
                return FALSE;
            mixdown = TRUE;
        }
    }
    FileInfoRecord record = m_fileInfo;
    HRESULT hr = WriteSoundFile(path, &record, m_documentAttributes.Get(), mixdown);
    if (FAILED(hr)) {
        if (hr != kCancelled)
            host.ShowErrorBox(hr, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (m_history)
        m_history->Clear();
    SetModifiedFlag(FALSE);
    if (mixdown)
        return Ask(kIdsSavedDifferent, MB_YESNO | MB_ICONQUESTION) == IDYES ? FALSE : TRUE;
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
        return SaveAsWithDialog(1);
    if ((!m_documentAttributes && !IsProjectType(type) && type != 21 && type != 22) || type == 23)
        return SaveAsWithDialog(2);
    if ((type == 0 || type == 1) && (HasEnvelopeData(0) || HasEnvelopeData(1)) &&
        Ask(kIdsEnvelopesLost, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    std::string folder = path.substr(0, path.find_last_of('\\') == std::string::npos ? 0 : path.find_last_of('\\'));
    if (!folder.empty() && !IsFolderWritable(folder.c_str())) {
        Ask(kIdsFolderNotWritable, MB_OK | MB_ICONEXCLAMATION);
        return SaveAsWithDialog(1);
    }
    return OnSaveDocument(path.c_str());
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
    const char* path = choice.path.c_str();
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        GetDocumentHost().ShowErrorText(static_cast<HRESULT>(0x83E800DC));
        return FALSE;
    }
    if (IsProjectType(choice.type)) {
        if ((choice.type == 0 || choice.type == 1) && (HasEnvelopeData(0) || HasEnvelopeData(1)) &&
            Ask(kIdsEnvelopesLost, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
        // The type is taken only once the file is written.
        if (!SaveProjectFile(path, choice.type))
            return FALSE;
        SetPathName(path);
        if (m_history)
            m_history->SetModified(FALSE);
        SetModifiedFlag(FALSE);
        SetReadOnly(FALSE);
        return TRUE;
    }
    (void)mode;
    FileInfoRecord record = m_fileInfo;
    record.fileType = choice.type;
    HRESULT hr = WriteSoundFile(path, &record, m_documentAttributes.Get(), choice.formatLoss);
    if (FAILED(hr)) {
        if (hr != kCancelled)
            GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (IKvSKsFIO* fio = GetDocumentHost().FileModule()) {
        FileInfoRecord fresh{};
        if (SUCCEEDED(fio->QueryFileInfo(GetDocumentHost().OwnerWindow(), path, choice.type, 0, &fresh)))
            record = fresh;
    }
    WORD channels = 0;
    for (int i = 0; i < GetTrackCount(); ++i)
        channels = WORD(channels + GetTrackChannels(i));
    const bool different = choice.formatLoss || record.fileType != m_fileInfo.fileType ||
                           (choice.type != 3 && GetTrackCount() > 1) || channels != record.channels ||
                           GetSamplesPerSec() != record.samplesPerSec;
    if (different) {
        Ask(kIdsSavedDifferent, MB_YESNO | MB_ICONQUESTION);
        return TRUE;
    }
    if (m_history)
        m_history->SetModified(FALSE);
    SetModifiedFlag(FALSE);
    SetPathName(path);
    m_fileInfo = record;
    return TRUE;
}
