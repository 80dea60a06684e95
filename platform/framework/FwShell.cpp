// The application's side of the shell: command line, file-type registration and DDE commands.
#include "FwApp.h"
#include "FwDocTemplate.h"
#include "FwDocument.h"
#include "FwFrame.h"
#include <vector>

void CCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL)
{
    if (flag) {
        if (lstrcmpiA(param, "dde") == 0) {
            m_nShellCommand = FileDDE;
        } else if (lstrcmpiA(param, "embedding") == 0) {
            m_bRunEmbedded = TRUE;
            m_bShowSplash = FALSE;
        } else if (lstrcmpiA(param, "automation") == 0) {
            m_bRunAutomated = TRUE;
            m_bShowSplash = FALSE;
        } else if (lstrcmpiA(param, "nologo") == 0) {
            m_bShowSplash = FALSE;
        }
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info)
{
    // Arguments are separated by blanks; double quotes group blanks into one argument.
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (const char* p = m_lpCmdLine ? m_lpCmdLine : ""; *p; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (any)
                args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += *p;
            any = true;
        }
    }
    if (any)
        args.push_back(current);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        BOOL flag = arg.size() > 1 && (arg[0] == '/' || arg[0] == '-');
        info.ParseParam(flag ? arg.c_str() + 1 : arg.c_str(), flag, i + 1 == args.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return TRUE;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FileDDE:
    case CCommandLineInfo::FileNothing:
    default:
        return TRUE;
    }
}

void CWinApp::EnableShellOpen()
{
    if (m_atomApp)
        return;
    char module[MAX_PATH];
    ::GetModuleFileNameA(m_hInstance, module, MAX_PATH);
    const char* name = strrchr(module, '\\');
    CString app(name ? name + 1 : module);
    int dot = app.ReverseFind('.');
    if (dot > 0)
        app = app.Left(dot);
    m_atomApp = ::GlobalAddAtomA(app);
    m_atomSystemTopic = ::GlobalAddAtomA("system");
}

namespace {

bool SetKeyText(const CString& path, const char* value)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, CString("Software\\Classes\\") + path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               static_cast<DWORD>(lstrlenA(value)) + 1);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

} // namespace

void CWinApp::RegisterShellFileTypes(BOOL)
{
    char module[MAX_PATH];
    ::GetModuleFileNameA(m_hInstance, module, MAX_PATH);
    for (auto& tpl : m_templates) {
        CString typeId, typeName, ext;
        if (!tpl->GetDocString(typeId, CDocTemplate::regFileTypeId))
            continue;
        tpl->GetDocString(typeName, CDocTemplate::regFileTypeName);
        SetKeyText(typeId, typeName.IsEmpty() ? typeId : typeName);
        CString icon;
        icon.Format("%s,-%u", module, tpl->GetResourceId());
        SetKeyText(typeId + "\\DefaultIcon", icon);
        CString command;
        if (m_atomApp) {
            command.Format("\"%s\" /dde", module);
            SetKeyText(typeId + "\\shell\\open\\ddeexec", "[open(\"%1\")]");
        } else {
            command.Format("\"%s\" \"%%1\"", module);
        }
        SetKeyText(typeId + "\\shell\\open\\command", command);
        if (tpl->GetDocString(ext, CDocTemplate::filterExt) && ext[0] == '.')
            SetKeyText(ext, typeId);
    }
}

BOOL CWinApp::OnDDECommand(char* command)
{
    // [open("path")]
    CString text(command);
    text.Trim();
    const char prefix[] = "[open(\"";
    const char suffix[] = "\")]";
    int prefixLength = static_cast<int>(sizeof prefix) - 1, suffixLength = static_cast<int>(sizeof suffix) - 1;
    if (text.GetLength() <= prefixLength + suffixLength || text.Left(prefixLength).CompareNoCase(prefix) != 0 ||
        text.Right(suffixLength) != suffix)
        return FALSE;
    CString path = text.Mid(prefixLength, text.GetLength() - prefixLength - suffixLength);
    if (m_pMainWnd && m_pMainWnd->m_hWnd) {
        if (m_pMainWnd->IsIconic())
            m_pMainWnd->ShowWindow(SW_RESTORE);
        m_pMainWnd->SetForegroundWindow();
    }
    OpenDocumentFile(path);
    return TRUE;
}
