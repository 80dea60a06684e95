// The dialogs of the document's Save As, Export and Import, fed by the file module's tables.
#include "DocumentHost.h"
#include "FwApp.h"
#include "GlobalMemory.h"
#include "MultiTrackDoc.h"
#include "OpenDlg.h"
#include "ResourceModule.h"
#include "SaveDlg.h"
#include "Settings.h"

namespace {

constexpr UINT kIdsTooManyTracks = 20245;
constexpr UINT kImportCommand = 1000;

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
    CSaveDlg dialog(mode, document, filter.c_str(), (folder + name).c_str());
    dialog.SetFormats(formats, selected);
    if (dialog.DoModal() != IDOK)
        return FALSE;
    choice->path = static_cast<const char*>(dialog.GetPathName());
    choice->type = dialog.GetFormatCode();
    choice->formatLoss = dialog.IsMixdown();
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

BOOL RunImportDialog(CNyMultiTrackDoc* document, std::vector<std::string>* paths)
{
    IKvSKsFIO* fio = GetDocumentHost().FileModule();
    if (!fio)
        return FALSE;
    LONG count = 0;
    FileFormatEntry* table = nullptr;
    if (FAILED(fio->GetFileTypes(&count, &table, 1)))
        return FALSE;
    std::vector<FileFormatEntry> types(table, table + count);
    if (table)
        GlobalUnlockFree(table);
    std::string filter;
    for (const FileFormatEntry& entry : types)
        filter += FilterOf(entry);
    filter += "All files (*.*)|*.*||";
    COpenDlg dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter.c_str(),
                    nullptr, "Import", kImportCommand);
    dialog.SetFormatTable(fio, int(types.size()), types.data(), document ? document->GetTrackSet() : nullptr);
    if (dialog.DoModal() != IDOK)
        return FALSE;
    dialog.GetSelectedPaths(*paths);
    return !paths->empty();
}
