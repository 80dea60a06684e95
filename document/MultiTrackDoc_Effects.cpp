// The document's effect commands: which row of the effect module table a command runs, the
// checks that the selection suits it, the dialog's title, the active command while it runs,
// and the material (processing target) an effect works on.
#include "MultiTrackDoc.h"

#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "DocWiring.h"
#include "EffectCommandScope.h"
#include "EffectModuleTable.h"
#include "FwApp.h"
#include "FwView.h"
#include "GlobalMemory.h"
#include "SelectionModel.h"
#include "TempFilePaths.h"

#include <float.h>

#include <cmath>
#include <cstdlib>
#include <memory>

using namespace doccmd;

namespace {

constexpr HRESULT kTargetOutOfMemory = static_cast<HRESULT>(0x83E80064);

enum class Launcher { Effect, Generator, Equalizer, NoiseThenEffect, ChannelThenEffect };

struct EffectCommand {
    int id;
    unsigned row;
    Launcher launcher;
};

const EffectCommand kEffectCommands[] = {
    {2000, 0, Launcher::Effect},
    {2001, 1, Launcher::Effect},
    {2002, 2, Launcher::Effect},
    {2004, 3, Launcher::Effect},
    {2023, 4, Launcher::Effect},
    {2024, 5, Launcher::Effect},
    {2025, 6, Launcher::Effect},
    {2026, 7, Launcher::Equalizer},
    {2006, 8, Launcher::Effect},
    {2007, 15, Launcher::Effect},
    {2027, 16, Launcher::Effect},
    {2028, 17, Launcher::Effect},
    {2029, 18, Launcher::Effect},
    {2030, 19, Launcher::Effect},
    {2031, 20, Launcher::NoiseThenEffect},
    {2032, 21, Launcher::NoiseThenEffect},
    {2008, 9, Launcher::Effect},
    {2009, 10, Launcher::Effect},
    {2010, 11, Launcher::Effect},
    {2011, 12, Launcher::Effect},
    {2015, 13, Launcher::Effect},
    {2017, 14, Launcher::Effect},
    {2019, 22, Launcher::Generator},
    {2020, 25, Launcher::Generator},
    {2021, 24, Launcher::Generator},
    {2022, 23, Launcher::Generator},
    {1122, 26, Launcher::ChannelThenEffect},
    {1123, 27, Launcher::ChannelThenEffect},
    {1124, 28, Launcher::ChannelThenEffect},
    {1125, 29, Launcher::ChannelThenEffect},
    {1126, 30, Launcher::ChannelThenEffect},
};

const EffectCommand* FindEffectCommand(int id)
{
    for (const EffectCommand& c : kEffectCommands)
        if (c.id == id)
            return &c;
    return nullptr;
}

// The row's display name from the menu caption; returns the row (null for a bad index).
EffectModuleEntry* NameRow(unsigned index, std::string* caption)
{
    EffectModuleEntry* row = GetEffectModuleEntry(index);
    if (!row)
        return nullptr;
    *caption = EffectCaptionOfCommand(row->commandId);
    lstrcpynA(row->displayName, caption->c_str(), sizeof row->displayName);
    return row;
}

void RefreshViewAfterEffect(CNyMultiTrackDoc* document)
{
    if (document->GetMultiTrackView())
        document->UpdateAllViews(nullptr, 0, nullptr);
}

std::string ProfileFolder()
{
    TempFilePaths temp;
    std::string folder = temp.GetFolder();
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder + "\\KvSSpectralSubtraction";
}

int ProfileInt(const std::string& file, const char* key)
{
    char text[33] = {};
    ::GetPrivateProfileStringA("StreamProperty", key, "", text, sizeof text, file.c_str());
    return std::atoi(text);
}

BOOL Refuse(UINT id)
{
    AfxMessageBox(LoadResourceText(id).c_str(), MB_OK);
    return FALSE;
}

} // namespace

EffectCommandScope::EffectCommandScope(CNyMultiTrackDoc* document, int commandId) : m_document(document)
{
    m_document->SetActiveCommand(commandId);
    DocWiring::UpdateEffectPalette();
}

EffectCommandScope::~EffectCommandScope()
{
    m_document->SetActiveCommand(0);
    DocWiring::UpdateEffectPalette();
}

void ResetFloatingPointControl()
{
    _controlfp(0x8001F, 0x8001F);
}

std::string EffectCaptionOfCommand(unsigned commandId)
{
    CWnd* main = AfxGetMainWnd();
    HMENU menu = main && main->m_hWnd ? ::GetMenu(main->m_hWnd) : nullptr;
    if (!menu)
        return std::string();
    int length = ::GetMenuStringA(menu, commandId, nullptr, 0, MF_BYCOMMAND);
    if (length <= 0)
        return std::string();
    std::string text(2 * static_cast<size_t>(length) + 2, '\0');
    length = ::GetMenuStringA(menu, commandId, &text[0], static_cast<int>(text.size()), MF_BYCOMMAND);
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return EffectCaptionFromMenuText(text);
}

BOOL CNyMultiTrackDoc::CanRunEffect(int id)
{
    return CanRunEffectRule(CaptureCommandState(), id) ? TRUE : FALSE;
}

BOOL CNyMultiTrackDoc::CanRunEffectUI(CCmdUI* ui)
{
    return ui ? CanRunEffect(static_cast<int>(ui->m_nID)) : FALSE;
}

namespace {

// Names the row after its menu item, runs the dialog (inside the command's scope unless
// scoped is false), masks the floating-point exceptions again, shows a failure, refreshes.
template <class Run>
void Launch(CNyMultiTrackDoc* document, unsigned index, bool scoped, Run run)
{
    std::string caption;
    EffectModuleEntry* row = NameRow(index, &caption);
    if (!row)
        return;
    std::unique_ptr<EffectCommandScope> scope;
    if (scoped)
        scope = std::make_unique<EffectCommandScope>(document, static_cast<int>(row->commandId));
    HRESULT hr = run(row, caption);
    ResetFloatingPointControl();
    if (FAILED(hr))
        ShowError(hr);
    RefreshViewAfterEffect(document);
}

} // namespace

void CNyMultiTrackDoc::LaunchEffect(unsigned index)
{
    if (!CheckWholeTracksWarn(IDS_CMD_EFFECT))
        return;
    Launch(this, index, true, [this](EffectModuleEntry* row, const std::string& caption) {
        CEffectDescriptor descriptor(row->moduleFile, row->classId);
        descriptor.displayName = caption.c_str();
        return DocWiring::RunEffectDialog(descriptor, this);
    });
}

void CNyMultiTrackDoc::LaunchGenerator(unsigned index)
{
    Launch(this, index, true,
           [this](EffectModuleEntry* row, const std::string&) { return DocWiring::RunGeneratorDialog(row, this); });
}

void CNyMultiTrackDoc::LaunchEqualizer(unsigned index)
{
    // The equaliser's dialog runs without an active command.
    Launch(this, index, false,
           [this](EffectModuleEntry* row, const std::string&) { return DocWiring::RunFftEqualizerDialog(row, this); });
}

void CNyMultiTrackDoc::OnEffectCommand(UINT id)
{
    const EffectCommand* command = FindEffectCommand(static_cast<int>(id));
    if (!command)
        return;
    switch (command->launcher) {
    case Launcher::Generator:
        LaunchGenerator(command->row);
        break;
    case Launcher::Equalizer:
        LaunchEqualizer(command->row);
        break;
    case Launcher::NoiseThenEffect:
        if (CheckNoiseReductionCommand(command->id))
            LaunchEffect(command->row);
        break;
    case Launcher::ChannelThenEffect:
        if (CheckChannelCommand(command->id))
            LaunchEffect(command->row);
        break;
    default:
        LaunchEffect(command->row);
        break;
    }
}

namespace {

void RunJob(CNyMultiTrackDoc* document, int id)
{
    if (!document->CheckWholeTracksWarn(IDS_CMD_EFFECT))
        return;
    EffectCommandScope scope(document, id);
    DocWiring::RunEffectJob(id, document); // the job reports its own failures
    RefreshViewAfterEffect(document);
}

} // namespace

void CNyMultiTrackDoc::OnEffectReverse()
{
    RunJob(this, 2003);
}

void CNyMultiTrackDoc::OnEffectMute()
{
    RunJob(this, 2005);
}

void CNyMultiTrackDoc::OnEffectNothing() {}

BOOL CNyMultiTrackDoc::CheckNoiseReductionCommand(int id)
{
    int target = -1;
    for (int i = 0, n = GetTrackCount(); i < n; ++i) {
        if (!m_selection->IsTrackSelectedAt(i))
            continue;
        if (target >= 0)
            return Refuse(IDS_SEVERAL_TRACKS);
        target = i;
    }
    if (target < 0)
        target = 0;
    const int channels = GetTrackChannels(target);
    if (channels == 6)
        return Refuse(IDS_NOISE_STEREO_OR_MONO);
    const std::string folder = ProfileFolder();
    const std::string file = folder + "\\setting.ini";
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(folder.c_str(), &found);
    DWORD error = ::GetLastError();
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    if (search == INVALID_HANDLE_VALUE && error == ERROR_ACCESS_DENIED) {
        AfxMessageBox(LoadResourceText(IDS_DOC_FOLDER_NOT_WRITABLE).c_str(), MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (id == 2031)
        return TRUE;
    if (::GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Refuse(IDS_NOISE_NO_PROFILE);
    const int profiled = ProfileInt(file, "Ch");
    if ((channels == 1 && profiled != 1) || (channels == 2 && profiled != 2))
        return Refuse(IDS_NOISE_CHANNELS_DIFFER);
    if (static_cast<DWORD>(ProfileInt(file, "Fs")) != GetSamplesPerSec())
        return Refuse(IDS_NOISE_RATE_DIFFERS);
    if (m_settings.documentType == 1)
        return Refuse(IDS_NOISE_PROFILE_MISMATCH);
    float pan = 0.0f;
    IMtTrack* track = GetTrack(target);
    if (channels == 1 && track && SUCCEEDED(track->GetPan(&pan)) && pan != 0.0f)
        return Refuse(IDS_NOISE_PROFILE_MISMATCH);
    return TRUE;
}

namespace {

// A moveable, zeroed and locked list of track pointers (GlobalUnlockFree); null when out of memory.
IMtTrack** AllocTrackList(size_t entries)
{
    void* data = GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, (entries ? entries : 1) * sizeof(IMtTrack*));
    return static_cast<IMtTrack**>(data);
}

bool PanIsCentred(IMtTrack* track)
{
    float pan = 0.0f;
    track->GetPan(&pan);
    return static_cast<int>(pan * 10000.0f) == 0;
}

} // namespace

HRESULT CNyMultiTrackDoc::GetProcessTarget(UINT* count, IMtTrack*** tracks, int64_t* start, int64_t* length,
                                           int* centred)
{
    *centred = 1;
    *tracks = nullptr;
    const int total = GetTrackCount();
    *count = static_cast<UINT>(total);
    *length = m_selection->GetStartAndLength(start);
    int selected = 0;
    int64_t first = 0, last = 0;
    for (int i = 0; i < total; ++i) {
        if (!m_selection->IsTrackSelectedAt(i))
            continue;
        int64_t s = 0, e = 0;
        GetTrackSpan(i, &s, &e);
        first = selected == 0 ? s : std::min(first, s);
        last = selected == 0 ? e : std::max(last, e);
        ++selected;
    }
    if (*length == 0) {
        *start = first;
        *length = last - first;
    }
    IMtTrack** list = AllocTrackList(static_cast<size_t>(selected));
    *tracks = list;
    if (!list)
        return kTargetOutOfMemory;
    *count = 0;
    for (int i = 0; i < total; ++i) {
        if (!m_selection->IsTrackSelectedAt(i) || GetTrackExtent(i, 0) == 0)
            continue;
        IMtTrack* track = nullptr;
        if (FAILED(m_engine->GetTrack(i, &track)) || !track)
            continue;
        list[(*count)++] = track;
        if (!PanIsCentred(track))
            *centred = 0;
    }
    return S_OK;
}

HRESULT CNyMultiTrackDoc::GetWholeDocumentTarget(UINT* count, IMtTrack*** tracks, int64_t* start, int64_t* length,
                                                 int* centred)
{
    *centred = 1;
    *start = 0;
    *length = GetLength();
    *count = 0;
    const int total = GetTrackCount();
    IMtTrack** list = AllocTrackList(static_cast<size_t>(total));
    *tracks = list;
    if (!list)
        return kTargetOutOfMemory;
    for (int i = 0; i < total; ++i) {
        IMtTrack* track = nullptr;
        if (GetTrackExtent(i, 0) == 0 || FAILED(m_engine->GetTrack(i, &track)) || !track)
            continue;
        list[(*count)++] = track;
    }
    if (*count != GetTotalChannels()) {
        *centred = 0;
        return S_OK;
    }
    for (UINT i = 0; i < *count; ++i)
        if (!PanIsCentred(list[i])) {
            *centred = 0;
            break;
        }
    return S_OK;
}

UINT CNyMultiTrackDoc::GetTotalChannels()
{
    UINT total = 0;
    for (int i = 0, n = GetTrackCount(); i < n; ++i) {
        WORD channels = 0;
        if (IMtTrack* track = GetTrack(i))
            if (SUCCEEDED(track->GetChannels(&channels)))
                total += channels;
    }
    return total;
}

void CNyMultiTrackDoc::OnUpdateGenerators(CCmdUI* ui)
{
    CommandUiState state = RuleGenerators(CaptureCommandState(), static_cast<int>(ui->m_nID));
    if (ui->m_hSubMenu && ui->m_hMenu)
        ::EnableMenuItem(ui->m_hMenu, ui->m_nIndex, MF_BYPOSITION | (state.enabled ? MF_ENABLED : MF_GRAYED));
    ui->Enable(state.enabled);
}

void CNyMultiTrackDoc::OnUpdateEqualizersAndNoise(CCmdUI* ui)
{
    CommandUiState state = RuleEffectCommand(CaptureCommandState(), static_cast<int>(ui->m_nID));
    if (ui->m_hSubMenu && ui->m_hMenu)
        ::EnableMenuItem(ui->m_hMenu, ui->m_nIndex, MF_BYPOSITION | (state.enabled ? MF_ENABLED : MF_GRAYED));
    ui->Enable(state.enabled);
}

void CNyMultiTrackDoc::OnUpdateEffectCommands(CCmdUI* ui)
{
    ui->Enable(RuleEffectCommand(CaptureCommandState(), static_cast<int>(ui->m_nID)).enabled);
}
