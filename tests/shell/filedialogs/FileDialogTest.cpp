// The open and save dialogs driven on the system's file dialogs: names typed and offered with
// OK, the refusal box read and closed, then the dialog cancelled.
#include "DialogScript.h"
#include "ErrorText.h"
#include "FwDocTemplate.h"
#include "FileDialogIds.h"
#include "FioKit.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "OpenDlg.h"
#include "ResourceModule.h"
#include "SaveDlg.h"
#include "Settings.h"
#include "SettingsTestRoot.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

using namespace fiotest;
using namespace kvtest;

namespace {

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(GetResourceModule(), id, text, sizeof(text));
    return text;
}

// Offers each name with OK and collects the text of the box that answers it (empty when the
// dialog took the name); then cancels.
template <class Dialog>
std::vector<std::string> OfferNames(Dialog& dialog, const std::vector<std::string>& names)
{
    std::vector<std::string> answers;
    size_t next = 0;
    int waiting = 0;
    TimerScript script([&] {
        if (!dialog.m_hWnd)
            return false;
        HWND explorer = dialog.GetExplorerWindow();
        if (HWND box = FindBox(explorer)) {
            char text[1024] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            answers.back() = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            waiting = 0;
            return false;
        }
        if (waiting && ++waiting < 4)
            return false; // give a box time to come up
        if (next == names.size()) {
            PostMessageA(explorer, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        SetWindowTextA(NameBox(explorer), names[next++].c_str());
        answers.emplace_back();
        waiting = 1;
        PostMessageA(explorer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(explorer, IDOK));
        return false;
    });
    dialog.DoModal();
    return answers;
}

class FileDialogTest : public ::testing::Test {
protected:
    std::string Wav(const std::string& name, const WavForm& form, uint16_t channels)
    {
        WavSpec wav;
        wav.form = form;
        wav.channels = channels;
        wav.data = TestFrames(form, channels, 1000, 1);
        std::string path = scratch_.File(name);
        EXPECT_TRUE(WriteBytes(path, BuildWav(wav).b));
        return path;
    }

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
};

const WavForm kPcm16{"pcm16", 1, 16, 16, false};

TEST_F(FileDialogTest, SaveDialogRefusesBadNamesAndOtherDocumentsFilesAndRenamesOnFilterChange)
{
    CMultiDocTemplate docTemplate(403, RUNTIME_CLASS(CNyMultiTrackDoc), nullptr, nullptr);
    CNyMultiTrackDoc doc, other;
    doc.m_bAutoDelete = other.m_bAutoDelete = FALSE;
    docTemplate.AddDocument(&doc);
    docTemplate.AddDocument(&other);
    std::string otherPath = scratch_.File("Other.kvs");
    ASSERT_TRUE(WriteBytes(otherPath, {1}));
    other.SetPathName(otherPath.c_str(), FALSE);

    std::vector<FileFormatEntry> formats(2);
    formats[0].type = 1;
    std::strcpy(formats[0].description, "Project");
    std::strcpy(formats[0].extensions, "kvs");
    formats[1].type = 3;
    std::strcpy(formats[1].description, "Wave");
    std::strcpy(formats[1].extensions, "wav;wave");
    {
        CSaveDlg dialog(1, &doc, "Project (*.kvs)|*.kvs|Wave (*.wav)|*.wav;*.wave||", scratch_.File("x.kvs").c_str());
        dialog.SetFormats(nullptr, formats, 1);
        std::string lower = otherPath;
        for (char& c : lower)
            c = char(tolower(static_cast<unsigned char>(c)));
        std::vector<std::string> answers = OfferNames(dialog, {"a|b.wav", lower});
        ASSERT_EQ(2u, answers.size());
        EXPECT_EQ(Text(20251), answers[0]);
        EXPECT_EQ(Text(20252), answers[1]);
    }
    {
        // A filter change turns the name's extension into the new filter's first one.
        CSaveDlg dialog(0, &doc, "Project (*.kvs)|*.kvs|Wave (*.wav)|*.wav;*.wave||", nullptr);
        dialog.SetFormats(nullptr, formats, 2);
        std::string renamed;
        int step = 0;
        TimerScript script([&] {
            if (!dialog.m_hWnd)
                return false;
            HWND explorer = dialog.GetExplorerWindow();
            HWND types = GetDlgItem(explorer, cmb1);
            if (step == 0) {
                SetWindowTextA(NameBox(explorer), "name.wav");
                SendMessageA(types, CB_SETCURSEL, 0, 0);
                SendMessageA(explorer, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), (LPARAM)types);
                SendMessageA(explorer, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), (LPARAM)types);
                ++step;
                return false;
            }
            char text[MAX_PATH] = {};
            GetWindowTextA(NameBox(explorer), text, sizeof(text));
            renamed = text;
            PostMessageA(explorer, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        dialog.DoModal();
        EXPECT_EQ("name.kvs", renamed);
    }
    docTemplate.RemoveDocument(&doc);
    docTemplate.RemoveDocument(&other);
}

// The name checks without the dialog: a folder that cannot be written, a read-only file.
TEST_F(FileDialogTest, SaveTargetChecks)
{
    std::string blocker = scratch_.File("blocker");
    ASSERT_TRUE(WriteBytes(blocker, {1}));
    std::string readOnly = scratch_.File("ro.wav");
    ASSERT_TRUE(WriteBytes(readOnly, {1}));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const struct {
        std::string path;
        UINT refusal;
    } cases[] = {
        {scratch_.File("fine.wav"), 0},     {blocker + "\\in.wav", 20455}, {readOnly, 20249},
        {scratch_.File("song.w?v"), 20251}, {scratch_.Path(), 20251},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.refusal, CSaveDlg::CheckTarget(c.path.c_str(), nullptr)) << c.path;
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("song.kvs", CSaveDlg::ReplaceExtension("C:\\x\\song.wav", "kvs;kv"));
}

// Files added to a document: 1 + 2 + 6 channels pass the six a document holds; a 12-bit file
// is a format the program cannot hold.
TEST_F(FileDialogTest, OpenDialogRefusesTooManyChannelsAndUnusableFormats)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    std::string stereo = Wav("stereo.wav", kPcm16, 2), six = Wav("six.wav", kPcm16, 6);
    // A plain header that says 12 bits.
    Bytes fmt, body, riff;
    fmt.u16(1).u16(1).u32(44100).u32(88200).u16(2).u16(12);
    body.id("WAVE").chunk("fmt ", fmt).chunk("data", Bytes().raw(std::vector<uint8_t>(2000, 0)));
    riff.chunk("RIFF", body);
    std::string odd = scratch_.File("twelve.wav");
    ASSERT_TRUE(WriteBytes(odd, riff.b));
    ComRef<IMtTrackSet> set;
    ASSERT_EQ(S_OK, MtEngine::CreateTrackSet(set));
    set->SetFormat(16, 44100);
    set->SetChannelLimit(6);
    Engine engine(16, 44100);
    ASSERT_EQ(S_OK, engine.AddRawTrack(std::vector<uint8_t>(2000, 1), 1));

    FileFormatEntry types[1] = {};
    types[0].type = 3;
    std::strcpy(types[0].extensions, "wav");
    ErrorText errors(GetResourceModule());
    const std::string tooMany = errors.GetText(static_cast<HRESULT>(0x83E807D5));
    const std::string format = errors.GetText(static_cast<HRESULT>(0x83E804B4));
    COpenDlg dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                    "Wave (*.wav)|*.wav|All (*.*)|*.*||", nullptr, "Import", 1000);
    dialog.SetFormatTable(fio.Get(), 1, types, engine.Set());
    dialog.m_ofn.lpstrInitialDir = scratch_.Path().c_str();
    std::vector<std::string> answers = OfferNames(dialog, {"\"stereo.wav\" \"six.wav\"", odd, "\"stereo.wav\""});
    ASSERT_EQ(3u, answers.size());
    EXPECT_EQ(tooMany, answers[0]);
    EXPECT_EQ(format, answers[1]);
    EXPECT_EQ("", answers[2]); // one stereo file fits
    EXPECT_EQ(S_OK, COpenDlg::CheckSelection(fio.Get(), engine.Set(), {stereo}, -1));
    EXPECT_EQ(static_cast<HRESULT>(0x83E807D5), COpenDlg::CheckSelection(fio.Get(), engine.Set(), {stereo, six}, -1));
}

// A selection longer than the name buffer is not lost as a cancel: the buffer grows.
TEST_F(FileDialogTest, OpenDialogKeepsALargeMultipleSelection)
{
    std::string typed;
    std::vector<std::string> expected;
    for (int i = 0; i < 70; ++i) {
        std::string name =
            "a_long_file_name_for_the_selection_" + std::string(100, char('a' + i % 26)) + std::to_string(i) + ".wav";
        ASSERT_TRUE(WriteBytes(scratch_.File(name), {1}));
        typed += "\"" + name + "\" ";
        expected.push_back(scratch_.File(name));
    }
    COpenDlg dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                    "All (*.*)|*.*||", nullptr, "Open", 57601);
    dialog.m_ofn.lpstrInitialDir = scratch_.Path().c_str();
    std::vector<std::string> answers = OfferNames(dialog, {typed});
    std::vector<std::string> paths;
    dialog.GetSelectedPaths(paths);
    std::sort(paths.begin(), paths.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, paths);
}

// Preview on a system without a sound device says so instead of doing nothing.
TEST_F(FileDialogTest, PreviewWithoutASoundDeviceSaysSo)
{
    std::string wav = Wav("tone.wav", kPcm16, 1);
    COpenDlg dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "All (*.*)|*.*||", nullptr, "Open",
                    57601);
    dialog.m_ofn.lpstrInitialDir = scratch_.Path().c_str();
    IKvSKsFIO* player = GetDocumentHost().FileModule();
    ASSERT_NE(player, nullptr);
    dialog.SetFormatTable(player, 0, nullptr, nullptr);
    std::string shown;
    bool pressed = false;
    int ticks = 0;
    TimerScript script([&] {
        if (!dialog.m_hWnd)
            return false;
        HWND explorer = dialog.GetExplorerWindow();
        if (++ticks > 100) { // no box came: the test fails below
            PostMessageA(explorer, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        if (HWND box = FindBox(explorer)) {
            char text[1024] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            shown = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            PostMessageA(explorer, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        if (!pressed) {
            SetWindowTextA(NameBox(explorer), wav.c_str());
            PostMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_OPEN_PREVIEW, BN_CLICKED),
                         LPARAM(GetDlgItem(dialog.m_hWnd, IDC_OPEN_PREVIEW)));
            pressed = true;
        }
        return false;
    });
    dialog.DoModal();
    EXPECT_EQ(shown, std::string(ErrorText(GetResourceModule()).GetText(static_cast<HRESULT>(0x83E80450))));
}

// Save As offers the project formats of the file module's table and remembers the folder.
TEST_F(FileDialogTest, SaveAsDialogOffersProjectFormatsAndRemembersTheFolder)
{
    CNyMultiTrackDoc doc;
    doc.m_bAutoDelete = FALSE;
    ASSERT_TRUE(doc.CreateEngine());
    SaveAsChoice choice;
    std::vector<std::string> filters;
    TimerScript script([&] {
        HWND explorer = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND wnd, LPARAM lp) {
                char cls[16] = {};
                GetClassNameA(wnd, cls, sizeof(cls));
                if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(wnd) && GetDlgItem(wnd, cmb1)) {
                    *reinterpret_cast<HWND*>(lp) = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&explorer));
        if (!explorer)
            return false;
        HWND types = GetDlgItem(explorer, cmb1);
        for (LRESULT i = 0, n = SendMessageA(types, CB_GETCOUNT, 0, 0); i < n; ++i) {
            char text[512] = {};
            SendMessageA(types, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            filters.push_back(text);
        }
        SetWindowTextA(NameBox(explorer), scratch_.File("chosen").c_str());
        PostMessageA(explorer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(explorer, IDOK));
        return true;
    });
    ASSERT_TRUE(RunSaveAsDialog(&doc, 1, &choice));
    EXPECT_EQ(3u, filters.size());
    EXPECT_TRUE(choice.type == 0 || choice.type == 1 || choice.type == 20);
    EXPECT_EQ(0u, choice.path.find(scratch_.File("chosen")));
    std::string folder;
    GetSettingString("Settings", "LastSaveDir", "", &folder);
    EXPECT_EQ(scratch_.Path(), folder + "\\");
}

// The user's way through the dialogs: a WAV with cues opened, a track added, saved as a
// project in the Save As dialog and opened again; exported in the Export dialog and opened.
TEST_F(FileDialogTest, OpenAddTrackSaveAsProjectExportAndReopen)
{
    WavSpec wav;
    wav.form = kPcm16;
    wav.data = TestFrames(kPcm16, 2, 3000, 5);
    wav.marks = {{100, 0, "cue"}};
    std::string source = scratch_.File("song.wav");
    ASSERT_TRUE(WriteBytes(source, BuildWav(wav).b));
    CNyMultiTrackDoc doc;
    doc.m_bAutoDelete = FALSE;
    CNyMultiTrackView view;
    doc.AddView(&view);
    ASSERT_TRUE(doc.OnOpenDocument(source.c_str()));
    ASSERT_EQ(2, doc.GetTrackCount());
    ComRef<IMtTrack> added;
    ASSERT_EQ(S_OK, doc.GetTrackSet()->InsertTrack(0, 1, added.Out(), -1));

    auto chooseIn = [&](int mode, const std::string& name, SaveAsChoice* choice) {
        bool typed = false;
        TimerScript script([&] {
            HWND explorer = nullptr;
            EnumThreadWindows(
                GetCurrentThreadId(),
                [](HWND wnd, LPARAM lp) {
                    char cls[16] = {};
                    GetClassNameA(wnd, cls, sizeof(cls));
                    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(wnd) && GetDlgItem(wnd, cmb1)) {
                        *reinterpret_cast<HWND*>(lp) = wnd;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&explorer));
            if (!explorer)
                return false;
            if (HWND box = FindBox(explorer)) {
                char text[1024] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
                ADD_FAILURE() << "unexpected box: " << text;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                PostMessageA(explorer, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            if (typed)
                return false;
            typed = true;
            SetWindowTextA(NameBox(explorer), name.c_str());
            PostMessageA(explorer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(explorer, IDOK));
            return false;
        });
        return RunSaveAsDialog(&doc, mode, choice);
    };

    SaveAsChoice project;
    ASSERT_TRUE(chooseIn(1, scratch_.File("song.kvs"), &project));
    ASSERT_TRUE(doc.SaveAsChosen(1, project));
    EXPECT_EQ(project.type, doc.GetFileType());
    CNyMultiTrackDoc reopened;
    reopened.m_bAutoDelete = FALSE;
    CNyMultiTrackView reopenedView;
    reopened.AddView(&reopenedView);
    ASSERT_TRUE(reopened.OnOpenDocument(project.path.c_str()));
    EXPECT_EQ(3, reopened.GetTrackCount());
    std::vector<LabelRecord> cues;
    reopened.FindLabelsInRange(-1, cues, 0, -1, kLabelCue);
    ASSERT_EQ(1u, cues.size());
    EXPECT_STREQ("cue", cues[0].name);

    SaveAsChoice exported;
    ASSERT_TRUE(chooseIn(0, scratch_.File("mix.wav"), &exported));
    EXPECT_EQ(3, exported.type);
    // Three tracks written as a stereo mixdown: the document asks whether to open the file.
    std::string asked;
    {
        TimerScript answer([&] {
            HWND box = FindBox(nullptr);
            if (!box)
                return false;
            char text[1024] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            asked = text;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            return true;
        });
        ASSERT_TRUE(doc.SaveAsChosen(0, exported));
    }
    EXPECT_EQ(Text(20246), asked);
    CNyMultiTrackDoc mix;
    mix.m_bAutoDelete = FALSE;
    CNyMultiTrackView mixView;
    mix.AddView(&mixView);
    ASSERT_TRUE(mix.OnOpenDocument(exported.path.c_str()));
    EXPECT_EQ(2, mix.GetTrackCount());
    EXPECT_EQ(3000, mix.GetLength());
}

TEST_F(FileDialogTest, PanelTexts)
{
    EXPECT_EQ("999", COpenDlg::FormatSampleCount(999));
    EXPECT_EQ("1,234,567", COpenDlg::FormatSampleCount(1234567));
    // Counts past 32 bits show whole.
    EXPECT_EQ("4,294,967,296", COpenDlg::FormatSampleCount(int64_t(1) << 32));
    EXPECT_EQ("", COpenDlg::FormatSampleCount(-1));
    EXPECT_EQ("01:01.500", COpenDlg::FormatDuration(615000000));
}

} // namespace
