// "Last File List" through the running application object: documents of one title keep
// distinct entries, and the list opens them again.
#include <gtest/gtest.h>
#include <windows.h>

#include "NyApp.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

std::map<std::string, std::string> StoredList()
{
    std::map<std::string, std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Last File List", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        char name[300] = {}, data[600] = {};
        DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataLength) !=
            ERROR_SUCCESS)
            break;
        values[name] = std::string(data, strnlen(data, dataLength));
    }
    RegCloseKey(key);
    return values;
}

int OpenDocuments(CWinApp& app)
{
    int count = 0;
    POSITION pos = app.GetFirstDocTemplatePosition();
    CDocTemplate* docTemplate = app.GetNextDocTemplate(pos);
    for (POSITION doc = docTemplate->GetFirstDocPosition(); doc; docTemplate->GetNextDoc(doc))
        ++count;
    return count;
}

} // namespace

TEST(LastFiles, DocumentsOfOneTitleKeepTheirOwnEntriesAndOpenAgain)
{
    kvtest::ClearProgramKey();
    kvtest::ScratchFolder scratch;
    CreateDirectoryA(scratch.File("one").c_str(), nullptr);
    CreateDirectoryA(scratch.File("two, with comma").c_str(), nullptr);
    const std::string first = scratch.File("one\\same.wav"), second = scratch.File("two, with comma\\same.wav");
    ASSERT_TRUE(kvtest::WriteWav16(first, 1, 22050, std::vector<int16_t>(100, 0)));
    ASSERT_TRUE(kvtest::WriteWav16(second, 1, 22050, std::vector<int16_t>(100, 0)));
    {
        CNyApp app;
        ASSERT_TRUE(app.InitInstance());
        ASSERT_NE(app.OpenDocumentFile(first.c_str()), nullptr);
        ASSERT_NE(app.OpenDocumentFile(second.c_str()), nullptr);
        // A value left from before goes.
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Last File List", "old", REG_SZ,
                        "C:\\old.kvs,0,0", 15);
        app.SaveLastFiles();
        std::map<std::string, std::string> list = StoredList();
        ASSERT_EQ(list.size(), 2u);
        std::vector<std::string> paths;
        for (const auto& entry : list)
            paths.push_back(entry.second);
        std::sort(paths.begin(), paths.end());
        // A WAV is file type 3, and a standard document opens its channels split.
        EXPECT_EQ(paths, (std::vector<std::string>{first + ",3,1", second + ",3,1"}));

        app.CloseAllDocuments(FALSE);
        ASSERT_EQ(OpenDocuments(app), 0);
        app.ReopenLastFiles(0);
        EXPECT_EQ(OpenDocuments(app), 2) << "the path with a comma did not open again";
        app.m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    kvtest::ClearProgramKey();
}

// The first start after installation opens the list the installer left for the machine;
// later starts open the user's own.
TEST(LastFiles, TheFirstStartOpensTheMachinesListAndLaterStartsTheUsers)
{
    kvtest::ScratchFolder scratch;
    const std::string machineFile = scratch.File("machine.wav"), userFile = scratch.File("user.wav");
    ASSERT_TRUE(kvtest::WriteWav16(machineFile, 1, 22050, std::vector<int16_t>(100, 0)));
    ASSERT_TRUE(kvtest::WriteWav16(userFile, 1, 22050, std::vector<int16_t>(100, 0)));
    const char* list = "Software\\Korvane\\KorvaneSound5 Tarn US\\Last File List";
    const std::string machineEntry = machineFile + ",0,0", userEntry = userFile + ",0,0";
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, list, "machine", REG_SZ, machineEntry.c_str(),
                              static_cast<DWORD>(machineEntry.size() + 1)),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, list, "user", REG_SZ, userEntry.c_str(),
                              static_cast<DWORD>(userEntry.size() + 1)),
              ERROR_SUCCESS);
    std::vector<std::string> opened[2];
    for (auto& titles : opened) {
        CNyApp app;
        ASSERT_TRUE(app.InitInstance());
        POSITION pos = app.GetFirstDocTemplatePosition();
        CDocTemplate* docTemplate = app.GetNextDocTemplate(pos);
        for (POSITION doc = docTemplate->GetFirstDocPosition(); doc;)
            titles.push_back(static_cast<const char*>(docTemplate->GetNextDoc(doc)->GetTitle()));
        // The close writes the open documents as the user's list: the user's own file.
        app.CloseAllDocuments(FALSE);
        ASSERT_NE(app.OpenDocumentFile(userFile.c_str()), nullptr);
        app.m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, list);
    EXPECT_EQ(opened[0], std::vector<std::string>{"machine.wav"});
    EXPECT_EQ(opened[1], std::vector<std::string>{"user.wav"});
}
