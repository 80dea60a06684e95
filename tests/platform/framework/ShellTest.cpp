// Command line, shell registration of the document type, and the DDE open command.
#include "FrameworkTestSupport.h"
#include <ddeml.h>

namespace {

HDDEDATA CALLBACK IgnoreDde(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

std::string ClassesValue(const std::string& key)
{
    char data[MAX_PATH * 2] = "";
    DWORD size = sizeof data;
    std::string path = "Software\\Classes\\" + key;
    if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "<none>";
    return data;
}

} // namespace

TEST_F(FrameworkTest, CommandLineNamesTheFileAndTheSwitches)
{
    const struct {
        const char* line;
        CCommandLineInfo::ShellCommand command;
        const char* file;
        BOOL splash;
        BOOL embedded;
    } cases[] = {
        {"", CCommandLineInfo::FileNew, "", TRUE, FALSE},
        {"\"C:\\My Files\\a b.smp\"", CCommandLineInfo::FileOpen, "C:\\My Files\\a b.smp", TRUE, FALSE},
        {"/nologo C:\\x.smp", CCommandLineInfo::FileOpen, "C:\\x.smp", FALSE, FALSE},
        {"-Embedding", CCommandLineInfo::FileNew, "", FALSE, TRUE},
        {"/dde", CCommandLineInfo::FileDDE, "", TRUE, FALSE},
    };
    for (const auto& c : cases) {
        m_app->m_lpCmdLine = c.line;
        CCommandLineInfo info;
        m_app->ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand, c.command) << c.line;
        EXPECT_STREQ(info.m_strFileName, c.file) << c.line;
        EXPECT_EQ(info.m_bShowSplash, c.splash) << c.line;
        EXPECT_EQ(info.m_bRunEmbedded, c.embedded) << c.line;
    }
}

TEST_F(FrameworkTest, ShellCommandOpensTheNamedFileOrFails)
{
    std::string path = MakeFile("shell.smp");
    CCommandLineInfo info;
    info.m_nShellCommand = CCommandLineInfo::FileOpen;
    info.m_strFileName = path.c_str();
    EXPECT_TRUE(m_app->ProcessShellCommand(info));
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 1);
    info.m_strFileName = "C:\\missing\\file.smp";
    EXPECT_FALSE(m_app->ProcessShellCommand(info));
    info.m_nShellCommand = CCommandLineInfo::FileNothing;
    EXPECT_TRUE(m_app->ProcessShellCommand(info));
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 1);
}

TEST_F(FrameworkTest, ShellRegistrationWritesTheTypeForTheCurrentUser)
{
    m_app->EnableShellOpen();
    m_app->RegisterShellFileTypes(FALSE);
    char module[MAX_PATH];
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    EXPECT_EQ(ClassesValue(".smp"), "Sample.Document");
    EXPECT_EQ(ClassesValue("Sample.Document"), "Sample Document");
    EXPECT_EQ(ClassesValue("Sample.Document\\shell\\open\\command"), "\"" + std::string(module) + "\" /dde");
    EXPECT_EQ(ClassesValue("Sample.Document\\shell\\open\\ddeexec"), "[open(\"%1\")]");
    EXPECT_EQ(ClassesValue("Sample.Document\\DefaultIcon"), std::string(module) + ",-" + std::to_string(IDR_SAMPLEDOC));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\Sample.Document");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\.smp");
}

TEST_F(FrameworkTest, DdeOpenCommandOpensTheDocument)
{
    std::string path = MakeFile("dde file.smp");
    m_app->EnableShellOpen();
    char service[64] = "";
    ::GlobalGetAtomNameA(m_app->m_atomApp, service, static_cast<int>(sizeof service));

    DWORD instance = 0;
    ASSERT_EQ(::DdeInitializeA(&instance, &IgnoreDde, APPCMD_CLIENTONLY, 0), static_cast<UINT>(DMLERR_NO_ERROR));
    HSZ serviceName = ::DdeCreateStringHandleA(instance, service, CP_WINANSI);
    HSZ topicName = ::DdeCreateStringHandleA(instance, "System", CP_WINANSI);
    HCONV conversation = ::DdeConnect(instance, serviceName, topicName, nullptr);
    ASSERT_NE(conversation, nullptr);
    std::string command = "[open(\"" + path + "\")]";
    DWORD result = 0;
    HDDEDATA done =
        ::DdeClientTransaction(reinterpret_cast<BYTE*>(command.data()), static_cast<DWORD>(command.size()) + 1,
                               conversation, nullptr, 0, XTYP_EXECUTE, 5000, &result);
    EXPECT_NE(done, nullptr);
    ::DdeDisconnect(conversation);
    ::DdeFreeStringHandle(instance, serviceName);
    ::DdeFreeStringHandle(instance, topicName);
    ::DdeUninitialize(instance);
    PumpAndIdle(*m_app);

    ASSERT_EQ(m_app->Template()->GetDocumentCount(), 1);
    POSITION pos = m_app->Template()->GetFirstDocPosition();
    EXPECT_STREQ(m_app->Template()->GetNextDoc(pos)->GetPathName(), path.c_str());
    // Anything but an open command is refused.
    char other[] = "[print(\"x\")]";
    EXPECT_FALSE(m_app->OnDDECommand(other));
}
