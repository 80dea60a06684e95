// CCommandLineInfo: what the program's command line asks for, filled by
// CWinApp::ParseCommandLine and carried out by CWinApp::ProcessShellCommand.
//   program file.ext        open the file          program /dde      wait for the shell's DDE command
//   program /nologo         no splash              program /embedding or /automation   run for automation
#pragma once
#include "FwString.h"

class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FileDDE, FileNothing };

    virtual ~CCommandLineInfo() = default;
    // One argument; flag is TRUE when it started with '/' or '-' (which is removed), last for the last one.
    virtual void ParseParam(const char* param, BOOL flag, BOOL last);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    ShellCommand m_nShellCommand = FileNew;
    CString m_strFileName;
};
