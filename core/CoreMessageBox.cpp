#include "CoreMessageBox.h"

#include "ResourceModule.h"

#include <atomic>

namespace {

const char* BuiltInText(UINT id)
{
    switch (id) {
    case kIdsNoDefaultBrowser:
        return "Default browser is not defined.\nPlease set the default browser.";
    case kIdsCreateFolderAsk:
        return "The specified folder does not exist. Create a new folder?";
    case kIdsCreateFolderFailed:
        return "Failed to create new folder.";
    case kIdsInvalidFolder:
        return "Invalid folder name.";
    case kIdsInvalidFolderChars:
        return "Specified folder name is invalid.\nThe folder name can not  contain \n\\, /, :, ,, ;, *, ?, \\,\",\", "
               "<, >, or |,\nnor can it be  AUX, PRN, CON, or NUL.";
    default:
        return "";
    }
}

int ShowMessageBox(UINT, const char* text, UINT type)
{
    return ::MessageBoxA(::GetActiveWindow(), text, "KorvaneSound5 Tarn", type);
}

std::atomic<CoreMessageHandler> g_handler{&ShowMessageBox};

} // namespace

void SetCoreMessageHandler(CoreMessageHandler handler)
{
    g_handler = handler ? handler : &ShowMessageBox;
}

int ShowCoreMessage(UINT stringId, UINT type)
{
    char text[512];
    if (::LoadStringA(GetResourceModule(), stringId, text, sizeof(text)) <= 0)
        lstrcpynA(text, BuiltInText(stringId), sizeof(text));
    return g_handler.load()(stringId, text, type);
}
