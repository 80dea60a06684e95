// The dialog of the document's Save As and Export, fed by the file module's save formats.
#include "ComRef.h"
#include "DocumentHost.h"
#include "SaveFormatConverter.h"
#include "FwApp.h"
#include "GlobalMemory.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"
#include "SaveDlg.h"
#include "Settings.h"

namespace {

constexpr UINT kIdsTooManyTracks = 20245;

bool IsProjectCode(int code)
{
    return code == 0 || code == 1 || code == 20;
}

// "Name|*.a;*.b|" for one entry.
std::string FilterOf(const FileFormatEntry& entry)
{
    std::string patterns, extensions(entry.extensions);
    for (size_t at = 0; at <= extensions.size();) {
        size_t end = extensions.find(';', at);
        if (end == std::string::npos)
            end = extensions.size();
        if (end > at)
            patterns += (patterns.empty() ? "*." : ";*.") + extensions.substr(at, end - at);
        at = end + 1;
    }
    return std::string(entry.description) + "|" + patterns + "|";
}

// The attribute object the written file takes its information entries from: a copy of the
// document's, or an empty one of the file module's.
ComRef<IUnknown> WrittenAttributes(CNyMultiTrackDoc* document, IKvSKsFIO* fio)
{
    ComRef<IUnknown> copy;
    if (ComRef<IKvSFileAttributes> own = QueryCom<IKvSFileAttributes>(document->GetDocumentAttributes()))
        own->Clone(copy.Out());
    if (!copy)
        fio->GetFileAttributes(nullptr, nullptr, copy.Out());
    return copy;
}

constexpr uint32_t FourCC(const char (&id)[5])
{
    return uint32_t(uint8_t(id[0])) | uint32_t(uint8_t(id[1])) << 8 | uint32_t(uint8_t(id[2])) << 16 |
           uint32_t(uint8_t(id[3])) << 24;
}

// The title (DISP) is also the file's name (INAM) when it has none: readers of the file's
// information list show that one as its title.
std::vector<FioInfoEntry> WithTitleAsName(std::vector<FioInfoEntry> entries)
{
    const FioInfoEntry* title = nullptr;
    for (const FioInfoEntry& e : entries) {
        if (e.id == FourCC("INAM") && e.text[0])
            return entries;
        if (e.id == FourCC("DISP") && e.text[0])
            title = &e;
    }
    if (title && entries.size() < kFioMaxInfoEntries) {
        FioInfoEntry name = *title;
        name.id = FourCC("INAM");
        entries.push_back(name);
    }
    return entries;
}

} // namespace

BOOL RunSaveAsDialog(CNyMultiTrackDoc* document, int mode, SaveAsChoice* choice)
{
    IKvSKsFIO* fio = GetDocumentHost().FileModule();
    if (!fio || !document)
        return FALSE;
    LONG count = 0;
    FileFormatEntry* table = nullptr;
    if (FAILED(fio->GetSaveFormats(document->IsMultichannel(), &count, &table)))
        return FALSE;
    std::vector<FileFormatEntry> formats;
    std::string filter;
    int selected = 1;
    for (LONG i = 0; i < count; ++i) {
        const FileFormatEntry& entry = table[i];
        const bool project = IsProjectCode(entry.type);
        if ((mode == 1) != project)
            continue;
        if (mode == 1 && document->IsMultichannel() && entry.type != 20)
            continue;
        formats.push_back(entry);
        filter += FilterOf(entry);
        if (entry.type == document->GetFileType() ||
            (document->IsMultichannel() && document->GetFileType() == 14 && entry.type == 5))
            selected = int(formats.size());
    }
    if (table)
        GlobalUnlockFree(table);
    filter += "|";
    // The document's title without the modified mark, before its extension.
    std::string name = static_cast<const char*>(document->GetTitle());
    size_t mark = name.find(" *");
    if (mark != std::string::npos)
        name.resize(mark);
    name = name.substr(0, name.find(';'));
    if (name.find_last_of('.') != std::string::npos)
        name.resize(name.find_last_of('.'));
    std::string folder;
    GetSettingString("Settings", "LastSaveDir", "", &folder);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    // The file's information entries start as the document's; the dialog edits its own copy.
    ComRef<IUnknown> attributes = WrittenAttributes(document, fio);
    std::vector<FioInfoEntry> info;
    if (ComRef<IKvSFileAttributes> own = QueryCom<IKvSFileAttributes>(attributes.Get())) {
        WORD count = 0;
        void* block = nullptr;
        if (SUCCEEDED(own->GetInfoEntries(&count, &block)) && block) {
            const auto* first = static_cast<const FioInfoEntry*>(block);
            info.assign(first, first + count);
            GlobalUnlockFree(block);
        }
    }
    ComRef<IFormatConverter> converter(
        CreateFormatConverter(document->GetSamplesPerSec(), document->GetStoredBits(), WORD(document->GetTotalChannels())));
    CSaveDlg dialog(mode, document, filter.c_str(), (folder + name).c_str());
    dialog.SetFormats(converter.Get(), formats, selected);
    dialog.SetInfoEntries(info);
    if (dialog.DoModal() != IDOK)
        return FALSE;
    choice->path = static_cast<const char*>(dialog.GetPathName());
    choice->type = dialog.GetFormatCode();
    choice->formatLoss = dialog.IsMixdown();
    choice->mixAll = dialog.IsMixAll();
    for (const FileFormatEntry& entry : formats)
        if (entry.type == choice->type) {
            choice->description = entry.description;
            choice->extensions = entry.extensions;
            break;
        }
    if (IOutputFormatSettings* settings = dialog.GetSettings()) {
        settings->GetWaveFormat(&choice->waveFormat);
        choice->options = settings->GetOptionWord();
    }
    if (ComRef<IKvSFileAttributes> written = QueryCom<IKvSFileAttributes>(attributes.Get())) {
        std::vector<FioInfoEntry> entries = WithTitleAsName(dialog.InfoEntries());
        written->SetInfoEntries(WORD(entries.size()), entries.empty() ? nullptr : entries.data());
        choice->attributes = attributes;
    }
    if (!IsProjectCode(choice->type) && choice->type != 3 && !choice->formatLoss) {
        int channels = 0;
        for (int i = 0; i < document->GetTrackCount(); ++i)
            channels += document->GetTrackChannels(i);
        if (channels > (document->IsMultichannel() ? 6 : 2)) {
            char text[256] = {};
            LoadStringA(GetResourceModule(), kIdsTooManyTracks, text, sizeof(text));
            AfxMessageBox(text, MB_ICONEXCLAMATION);
            return FALSE;
        }
    }
    if (mode != 2) {
        size_t slash = choice->path.find_last_of('\\');
        if (slash != std::string::npos)
            SetSettingString("Settings", "LastSaveDir", choice->path.substr(0, slash).c_str());
    }
    return TRUE;
}
