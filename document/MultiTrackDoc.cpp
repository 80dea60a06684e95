#include "MultiTrackDoc.h"

#include "AudioFormat.h"
#include "CommandHistory.h"
#include "DocWiring.h"
#include "DocumentHost.h"
#include "FwFrame.h"
#include "FwView.h"
#include "IKvSKsFIO.h"
#include "KsMultiTrackLoader.h"
#include "SelectionModel.h"
#include "ViewGeometry.h"

#include <cstdio>
#include <cstring>

IMPLEMENT_DYNCREATE(CNyMultiTrackDoc, CDocument)

CNyMultiTrackDoc::CNyMultiTrackDoc() : m_labels(this)
{
    m_audioFormat = std::make_unique<AudioFormat>();
    m_selection = std::make_unique<CSelectionModel>();
    snprintf(m_creatorText, sizeof(m_creatorText), "%s%s", kCreatorName, kCreatorVersion);
    m_settings = GetDocumentHost().DefaultSettings();
    m_settings.viewOptions &= ~kViewOptionProgramWide;
    // The engine takes the program's automation switches; the document's copy keeps none.
    m_settings.readAutomation = 0;
    m_settings.writeAutomation = 0;
    memset(&m_fileInfo, 0, sizeof(m_fileInfo));
}

CNyMultiTrackDoc::~CNyMultiTrackDoc()
{
    StopFadePreview();
    CloseWorkFiles();
    m_documentAttributes.Reset();
    m_audioFormat.reset();
    m_handleEditors.reset();
    m_selection.reset();
    for (HGLOBAL* block : {&m_fileMarkerBlock, &m_fileLoopBlock}) {
        if (*block) {
            ::GlobalUnlock(*block);
            ::GlobalFree(*block);
            *block = nullptr;
        }
    }
    m_previewMap.clear();
    m_sourceAttributes.Reset();
    m_engine.Reset();
    m_history.Reset();
}

BOOL CNyMultiTrackDoc::CreateEngine()
{
    DocumentHost& host = GetDocumentHost();
    const DocumentSettings& program = host.DefaultSettings();
    if (FAILED(MtEngine::CreateTrackSet(m_engine)))
        return FALSE;
    if (FAILED(m_engine->SetFormat(m_settings.bitsPerSample, m_settings.samplesPerSec)))
        return FALSE;
    if (!SetEngineMode(host.CurrentDocumentType()))
        return FALSE;
    if (FAILED(m_engine->SetRecordChannels(program.recordChannels)) ||
        FAILED(m_engine->SetReadAutomation(static_cast<LONG>(program.readAutomation))) ||
        FAILED(m_engine->SetWriteAutomation(static_cast<LONG>(program.writeAutomation))))
        return FALSE;

    CommandHistory* created = ComObject<ICommandHistory>::Create<CommandHistory>(static_cast<CommandDocument*>(this));
    if (!created)
        return FALSE;
    m_history = ComRef<ICommandHistory>(static_cast<ICommandHistory*>(created));
    // Commands loaded from the journal take the document from its user value as a CommandDocument.
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(m_history.Get());
    if (!journal || FAILED(journal->SetLinkedObject(m_engine.Get())) ||
        FAILED(journal->SetUserValue(reinterpret_cast<UINT_PTR>(static_cast<CommandDocument*>(this)))))
        return FALSE;

    m_labels.SetView(GetMultiTrackView());
    if (FAILED(m_selection->Attach(this)))
        return FALSE;
    m_audioFormat->Set(GetSamplesPerSec(), GetBitsPerSample(), 1);
    return TRUE;
}

BOOL CNyMultiTrackDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    if (!CreateEngine())
        return FALSE;

    m_fileInfo.samplesPerSec = m_settings.samplesPerSec;
    m_fileInfo.bitsPerSample = m_settings.validBits ? m_settings.validBits : m_settings.bitsPerSample;
    m_fileInfo.signedSamples = 1;
    // The file module makes it the record of a new project: its type and format name.
    if (IKvSKsFIO* fio = GetDocumentHost().FileModule())
        fio->QueryFileInfo(nullptr, nullptr, kNewDocumentFileType, 0, &m_fileInfo);

    ComRef<IMtTrack> track;
    if (FAILED(m_engine->InsertTrack(0, m_settings.dataChannels, track.Out(), -1)))
        return FALSE;

    int last = GetTrackCount() - 1;
    LabelRecord label;
    if (!m_labels.GetTrackLabel(last, &label))
        m_labels.SetTrackLabel(label);
    if (GetDocumentHost().IsCommandLoggingOn())
        OpenWorkFiles("");
    return TRUE;
}

void CNyMultiTrackDoc::DeleteContents()
{
    DocumentHost& host = GetDocumentHost();
    if (host.IsTransportBusy()) {
        HRESULT hr = host.StopTransport();
        if (FAILED(hr))
            host.ShowErrorBox(hr, MB_ICONEXCLAMATION);
        host.RefreshController();
    }
    CDocument::DeleteContents();
}

HRESULT CNyMultiTrackDoc::SetTrackSelected(int trackIndex, BOOL selected)
{
    return m_selection->SetTrackSelected(trackIndex, selected);
}

// What can be undone decides some launcher rows; an edit may change the format a save writes
// by (a resample): the journal's name record follows.
void CNyMultiTrackDoc::OnHistoryChanged()
{
    DocWiring::UpdateEffectPalette();
    KeepJournalIdentity();
}

void CNyMultiTrackDoc::SetReadOnly(BOOL readOnly)
{
    int value = readOnly ? 1 : 0;
    if (value == m_readOnly)
        return;
    m_readOnly = value;
    for (POSITION pos = GetFirstViewPosition(); pos;) {
        CView* view = GetNextView(pos);
        if (!dynamic_cast<ViewGeometry*>(view))
            continue;
        if (CFrameWnd* frame = view->m_hWnd ? dynamic_cast<CFrameWnd*>(view->GetParent()) : nullptr)
            frame->OnUpdateFrameTitle(TRUE);
        break;
    }
}

void CNyMultiTrackDoc::SetHandleEditors(std::unique_ptr<std::vector<CFadeHandleEditor>> editors)
{
    m_handleEditors = std::move(editors);
}

std::unique_ptr<std::vector<CFadeHandleEditor>> CNyMultiTrackDoc::TakeHandleEditors()
{
    return std::move(m_handleEditors);
}
