// The running copy's side of the shell's open by DDE.
#include "NyApp.h"

#include "Settings.h"

#include "SingleInstance.h"

void CNyApp::RegisterShellOpenAtoms()
{
    // Atom names compare without case: clients ask for "System".
    m_atomApp = ::GlobalAddAtomA(kDdeService);
    m_atomSystemTopic = ::GlobalAddAtomA("system");
}

BOOL CNyApp::OnDDECommand(char* command)
{
    m_openAsFileType = -1;
    m_currentDocumentType = GetSettingInt(kSettingsSection, "DefaultDocumentType", 0);
    return CWinApp::OnDDECommand(command);
}
