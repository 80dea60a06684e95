#include "DocumentProjectHost.h"

#include "CommandSupport.h"
#include "DocumentHost.h"
#include "FileCommands.h"
#include "KsMultiTrackLoader.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "ProgressReporter.h"
#include "ResourceModule.h"
#include "TransactionCommand.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kIdsImport = 21024; // "Import"
constexpr HRESULT kCancelled = static_cast<HRESULT>(0x83E80005);

} // namespace

DocumentProjectHost::DocumentProjectHost(CNyMultiTrackDoc* document) : m_document(document) {}

DocumentProjectHost::~DocumentProjectHost() = default;

IMtTrackSet* DocumentProjectHost::TrackSet()
{
    return m_document->GetTrackSet();
}

WORD DocumentProjectHost::StoredBits()
{
    WORD stored = m_document->GetStoredBits();
    return stored ? stored : m_document->GetBitsPerSample();
}

uint32_t DocumentProjectHost::DocumentType()
{
    return m_document->GetSettings().documentType;
}

void DocumentProjectHost::TakeFormat(WORD bits, DWORD rate, WORD storedBits)
{
    TrackSet()->SetFormat(bits, rate);
    m_document->SetDocumentFormat(rate, bits);
    DocumentSettings& settings = m_document->GetSettings();
    settings.samplesPerSec = rate;
    settings.bitsPerSample = bits > 16 ? 32 : bits;
    settings.validBits = storedBits == 20 || storedBits == 24 ? storedBits : 0;
    m_document->SetFileFormatInfo(storedBits, rate);
}

void DocumentProjectHost::SetDocumentType(uint32_t type)
{
    m_document->SetEngineMode(type);
}

int DocumentProjectHost::GetTrackGroup(int index)
{
    return m_document->GetTrackGroup(index);
}

void DocumentProjectHost::SetTrackGroup(IMtTrack* track, int group)
{
    m_document->SetTrackGroup(track, group);
}

BOOL DocumentProjectHost::GetTrackFlag(int index, DWORD flag)
{
    return m_document->GetTrackFlag(index, flag);
}

void DocumentProjectHost::SetTrackFlag(int index, DWORD flag, BOOL on)
{
    m_document->SetTrackFlag(index, flag, on);
}

COLORREF DocumentProjectHost::GetTrackColor(IMtTrack* track)
{
    return m_document->GetTrackColor(track);
}

void DocumentProjectHost::SetTrackColor(IMtTrack* track, COLORREF colour)
{
    m_document->SetTrackColor(track, colour);
}

COLORREF DocumentProjectHost::SkinColor(int index)
{
    return GetDocumentHost().SkinColorAt(index);
}

DWORD DocumentProjectHost::GetTrackSerial(IMtTrack* track)
{
    MtGroupRecord record{};
    return SUCCEEDED(track->GetGroupRecord(&record)) ? record.serial : 0;
}

void DocumentProjectHost::SetTrackSerial(IMtTrack* track, DWORD serial)
{
    MtGroupRecord record{};
    if (SUCCEEDED(track->GetGroupRecord(&record))) {
        record.serial = serial;
        track->SetGroupRecord(&record);
    }
}

void DocumentProjectHost::GetLabels(int trackIndex, int64_t from, int64_t to, std::vector<LabelRecord>& out)
{
    m_document->FindLabelsInRange(trackIndex, out, from, to, -1);
}

int DocumentProjectHost::TrackIndexToId(int index)
{
    return m_document->TrackIndexToId(index);
}

int DocumentProjectHost::TrackIdToIndex(int id)
{
    return m_document->TrackIdToIndex(id);
}

HRESULT DocumentProjectHost::RunInTransaction(IEditCommand* command)
{
    ComRef<IEditCommand> held(command);
    if (!m_transaction) {
        char name[64] = {};
        LoadStringA(GetResourceModule(), kIdsImport, name, sizeof(name));
        ComRef<TransactionCommand> transaction(NewCommand<TransactionCommand>(name));
        m_transaction = ComRef<ICommandList>::Share(static_cast<ICommandList*>(transaction.Get()));
    }
    HRESULT hr = held->Do();
    if (FAILED(hr))
        return hr;
    return m_transaction->Add(held.Get());
}

HRESULT DocumentProjectHost::ImportItems(IMtItemList* items, IMtTrack** track)
{
    // The first import of a load may fill the empty tracks at the end; later ones add tracks.
    ImportFileCommand* command = NewCommand<ImportFileCommand>(m_document, items, m_transaction ? 1u : 0u);
    ComRef<ICommandGroupAux> aux = ComRef<ICommandGroupAux>::Share(static_cast<ICommandGroupAux*>(command));
    HRESULT hr = RunInTransaction(static_cast<IEditCommand*>(command));
    if (FAILED(hr))
        return hr;
    return QueryReceivingTrack(aux.Get(), track);
}

HRESULT DocumentProjectHost::ApplyLabel(const LabelRecord& record)
{
    if ((record.kind & 0xFF) == kLabelTrack) {
        LabelRecord existing{};
        int index = m_document->TrackIdToIndex(record.trackId);
        if (index >= 0 && m_document->GetTrackLabel(index, &existing) && existing.id > 0) {
            std::memcpy(existing.name, record.name, sizeof(existing.name));
            return RunInTransaction(NewCommand<ModMarkCommand>(nullptr, m_document, existing));
        }
    }
    LabelRecord added = record;
    added.id = 0;
    return RunInTransaction(NewCommand<AddMarkInfoCommand>(nullptr, m_document, added));
}

HRESULT DocumentProjectHost::GetLoadCommand(IUnknown** command)
{
    *command = nullptr;
    if (!m_transaction)
        return S_OK;
    return m_transaction->QueryInterface(__uuidof(IEditCommand), reinterpret_cast<void**>(command));
}

void DocumentProjectHost::UndoLoad()
{
    if (!m_transaction)
        return;
    ComRef<IEditCommand> edit = QueryCom<IEditCommand>(m_transaction.Get());
    if (edit)
        edit->Undo();
    m_transaction.Reset();
}

IMtTempStore* DocumentProjectHost::TempStore()
{
    if (!m_store && FAILED(MtEngine::CreateTempStore(m_store)))
        m_store.Reset();
    return m_store.Get();
}

ProjectWorkspace DocumentProjectHost::GetWorkspace()
{
    const DocumentSettings& s = m_document->GetSettings();
    ProjectWorkspace w;
    uint32_t frame[2];
    std::memcpy(frame, &s.frameRate, sizeof(frame));
    w.timeZoom = int32_t(s.timeZoom);
    w.amplitudeZoom = s.amplitudeZoom;
    w.viewOptions = s.viewOptions & 0x7F;
    w.field4 = s.rulerUnit;
    w.field5 = frame[0];
    w.field6 = frame[1];
    w.field7 = s.samplesPerSec;
    w.field8 = s.bitsPerSample;
    w.field9 = s.recordChannels;
    w.field10 = s.peakIndicate;
    w.field11 = s.previewLength;
    w.field12 = s.carried1;
    w.field13 = s.carried2;
    w.field14 = s.carried3;
    w.field15 = s.waveShowMode;
    w.grouping = uint16_t(m_document->IsGroupingOn() ? 1 : 0);
    return w;
}

void DocumentProjectHost::ApplyWorkspace(const ProjectWorkspace& w, BOOL fitView)
{
    DocumentSettings& s = m_document->GetSettings();
    uint32_t frame[2] = {w.field5, w.field6};
    s.timeZoom = uint32_t(w.timeZoom);
    s.amplitudeZoom = w.amplitudeZoom;
    s.viewOptions = (s.viewOptions & ~0x7Fu) | (w.viewOptions & 0x7F);
    s.rulerUnit = w.field4;
    std::memcpy(&s.frameRate, frame, sizeof(frame));
    // The format fields follow the engine, whatever the file said.
    s.recordChannels = w.field9;
    s.peakIndicate = w.field10;
    s.previewLength = w.field11;
    s.carried1 = w.field12;
    s.carried2 = w.field13;
    s.carried3 = w.field14;
    s.waveShowMode = w.field15;
    m_document->EnableGrouping(w.grouping ? TRUE : FALSE);
    m_fitView = fitView;
}

std::string DocumentProjectHost::GetDescription()
{
    const FileInfoRecord& info = m_document->GetFileInfo();
    return std::string(info.description, strnlen(info.description, sizeof(info.description)));
}

void DocumentProjectHost::SetDescription(const char* text)
{
    FileInfoRecord& info = m_document->GetFileInfo();
    std::memset(info.description, 0, sizeof(info.description));
    std::strncpy(info.description, text, sizeof(info.description) - 1);
}

std::string DocumentProjectHost::GetVideoPath()
{
    return m_document->GetVideoFile();
}

void DocumentProjectHost::SetVideoPath(const char* path)
{
    m_document->SetVideoFile(path, 0);
}

void DocumentProjectHost::SetCreatorText(const char* signature)
{
    m_document->SetCreatorText(signature);
}

std::string DocumentProjectHost::GetCreatorText()
{
    char text[128];
    std::snprintf(text, sizeof(text), "%s %s%s R%d", "KorvaneSound", "5.00", "", 1);
    return text;
}

void DocumentProjectHost::ShowMessage(const char* text)
{
    GetDocumentHost().ShowMessageText(text, MB_OK | MB_ICONEXCLAMATION);
}

int DocumentProjectHost::AskYesNo(const char* text)
{
    return GetDocumentHost().ShowMessageText(text, MB_YESNO | MB_ICONQUESTION);
}

void DocumentProjectHost::ShowErrorCode(HRESULT code)
{
    if (code != kCancelled)
        GetDocumentHost().ShowErrorBox(code, MB_ICONEXCLAMATION);
}

HWND DocumentProjectHost::ProgressWindow()
{
    return GetProgressWindow();
}
