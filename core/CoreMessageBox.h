// The few messages core services show themselves (folder creation, missing browser), in a
// standard message box with the text of their string id. Tests install a handler that
// records them instead; with none installed a message box is shown.
#pragma once
#include <windows.h>

constexpr UINT kIdsNoDefaultBrowser = 11400;   // "Default browser is not defined.\nPlease set the default browser."
constexpr UINT kIdsCreateFolderAsk = 20295;    // "The specified folder does not exist. Create a new folder?"
constexpr UINT kIdsCreateFolderFailed = 20296; // "Failed to create new folder."
constexpr UINT kIdsInvalidFolder = 20297;      // "Invalid folder name."
constexpr UINT kIdsInvalidFolderChars = 20299; // the characters and names a folder may not hold

// Shows one message (its string id, its text, the message box type); returns the button.
using CoreMessageHandler = int (*)(UINT stringId, const char* text, UINT type);
void SetCoreMessageHandler(CoreMessageHandler handler); // null restores the message box

// Shows the message of a string id (text from the current resource module's string table,
// else the built-in English text) and returns the button pressed.
int ShowCoreMessage(UINT stringId, UINT type);
