// Save As and Export as the user meets them in the save dialog: the form a new document is
// offered, and a WAV written through Advanced Settings with the file's information entries.
#include "DialogScript.h"
#include "FileDialogIds.h"
#include "FioKit.h"
#include "FormatSettingsIds.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SaveDlg.h"
#include "SettingsIds.h"
#include "SettingsTestRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace fiotest;
using namespace kvtest;

namespace {

// This thread's visible dialog that holds a control of that id, or null.
HWND DialogWith(int controlId)
{
    struct Search {
        int id;
        HWND found;
    } search{controlId, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND wnd, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            char cls[16] = {};
            GetClassNameA(wnd, cls, sizeof cls);
            if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(wnd))
                return TRUE;
            // The control may sit in a child dialog (the save panel, a format's page).
            EnumChildWindows(
                wnd,
                [](HWND child, LPARAM inner) {
                    auto* t = reinterpret_cast<Search*>(inner);
                    if (GetDlgCtrlID(child) == t->id && IsWindowVisible(child)) {
                        t->found = child;
                        return FALSE;
                    }
                    return TRUE;
                },
                lp);
            return s->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What the control's own click or choice sends its parent.
void Click(HWND button)
{
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), LPARAM(button));
}
void Choose(HWND combo, int index)
{
    SendMessageA(combo, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), LPARAM(combo));
}
void Type(HWND edit, const char* text)
{
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(text));
    SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text of a RIFF INFO item of a WAV file ("" when it has none).
std::string InfoItem(const std::string& wav, const char* id)
{
    size_t at = wav.find(id);
    if (at == std::string::npos || at + 8 > wav.size())
        return "";
    uint32_t size = 0;
    std::memcpy(&size, wav.data() + at + 4, 4);
    return std::string(wav.c_str() + at + 8, strnlen(wav.c_str() + at + 8, size));
}

class SaveFormatsTest : public ::testing::Test {
protected:
    std::string Wav(const std::string& name, const WavForm& form, uint16_t channels, size_t frames)
    {
        WavSpec wav;
        wav.form = form;
        wav.channels = channels;
        wav.data = TestFrames(form, channels, frames, 3);
        std::string path = scratch_.File(name);
        EXPECT_TRUE(WriteBytes(path, BuildWav(wav).b));
        return path;
    }
    // Runs the save dialog of a mode with the script; the filter shown first is recorded.
    BOOL RunDialog(CNyMultiTrackDoc& doc, int mode, SaveAsChoice* choice, std::function<bool(HWND)> script)
    {
        TimerScript timer([&] {
            HWND explorer = DialogWith(cmb1) ? GetParent(DialogWith(cmb1)) : nullptr;
            if (!explorer)
                return false;
            if (shownFilter_.empty()) {
                char text[512] = {};
                GetWindowTextA(GetDlgItem(explorer, cmb1), text, sizeof text);
                shownFilter_ = text;
            }
            return script(explorer);
        });
        return RunSaveAsDialog(&doc, mode, choice);
    }

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
    std::string shownFilter_;
};

const WavForm kPcm16{"pcm16", 1, 16, 16, false};
const WavForm kPcm24{"pcm24", 1, 24, 24, false};

} // namespace

// A new document is offered the newest project form first, which keeps 24-bit sound and
// envelopes without a question.
TEST_F(SaveFormatsTest, ANewDocumentSavesAsTheNewestProjectWithItsBitsAndEnvelopes)
{
    CNyMultiTrackDoc doc;
    doc.m_bAutoDelete = FALSE;
    CNyMultiTrackView view;
    doc.AddView(&view);
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.ImportFiles({Wav("take.wav", kPcm24, 1, 4000)}));
    ASSERT_EQ(doc.GetStoredBits(), 24);
    ASSERT_EQ(S_OK, doc.GetTrackEditInterface(0, 0)->InsertPoint(1000, 0.5f));

    SaveAsChoice choice;
    const std::string path = scratch_.File("new.kvs");
    ASSERT_TRUE(RunDialog(doc, 1, &choice, [&](HWND explorer) {
        SetWindowTextA(NameBox(explorer), path.c_str());
        PostMessageA(explorer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(explorer, IDOK)));
        return true;
    }));
    EXPECT_EQ(choice.type, kNewDocumentFileType);
    EXPECT_NE(shownFilter_.find(doc.GetFileInfo().formatName), std::string::npos) << shownFilter_;
    ASSERT_TRUE(doc.SaveAsChosen(1, choice));

    CNyMultiTrackDoc saved;
    saved.m_bAutoDelete = FALSE;
    CNyMultiTrackView savedView;
    saved.AddView(&savedView);
    ASSERT_TRUE(saved.OnOpenDocument(path.c_str()));
    EXPECT_EQ(saved.GetStoredBits(), 24);
    EXPECT_TRUE(saved.HasEnvelopeData(0));
}

// Export with Advanced Settings: the format's page makes the file mono, the information
// dialog gives it a title and an artist; the file is written so and differs from the document.
TEST_F(SaveFormatsTest, AnExportThroughAdvancedSettingsWritesTheChosenChannelsAndInformation)
{
    CNyMultiTrackDoc doc;
    doc.m_bAutoDelete = FALSE;
    CNyMultiTrackView view;
    doc.AddView(&view);
    const std::string song = Wav("song.wav", kPcm16, 2, 3000);
    ASSERT_TRUE(doc.OnOpenDocument(song.c_str()));
    doc.SetPathName(song.c_str(), FALSE);
    const std::string path = scratch_.File("mono.wav");
    SaveAsChoice choice;
    int step = 0;
    std::string description;
    ASSERT_TRUE(RunDialog(doc, 0, &choice, [&](HWND explorer) {
        switch (step) {
        case 0: // Advanced Settings from the save dialog's panel
            SetWindowTextA(NameBox(explorer), path.c_str());
            if (HWND advanced = DialogWith(IDC_SAVE_ADVANCED); advanced && IsWindowEnabled(advanced)) {
                Click(advanced);
                ++step;
            }
            return false;
        case 1: // the format's page: mono; then the information entries
            if (HWND channels = DialogWith(IDC_WAVE_CHANNELS)) {
                Choose(channels, 0);
                Click(DialogWith(IDC_ADV_COPYRIGHT));
                ++step;
            }
            return false;
        case 2:
            if (HWND list = DialogWith(IDC_INFO_LIST)) {
                Type(DialogWith(IDC_INFO_TITLE), "Morning Song");
                int artist = int(SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("Artist")));
                SendMessageA(list, LB_SETCURSEL, WPARAM(artist), 0);
                SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_INFO_LIST, LBN_SELCHANGE), LPARAM(list));
                Type(DialogWith(IDC_INFO_TEXT), "Ann Example");
                Click(GetDlgItem(GetParent(list), IDOK));
                ++step;
            }
            return false;
        case 3: // back in Advanced Settings
            if (!DialogWith(IDC_INFO_LIST) && DialogWith(IDC_ADV_MIX)) {
                Click(GetDlgItem(GetParent(DialogWith(IDC_ADV_MIX)), IDOK));
                ++step;
            }
            return false;
        default: // the description tells what the file will be; then OK
            if (DialogWith(IDC_ADV_MIX))
                return false;
            char text[512] = {};
            GetWindowTextA(DialogWith(IDC_SAVE_DESCRIPTION), text, sizeof text);
            description = text;
            PostMessageA(explorer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(explorer, IDOK)));
            return true;
        }
    }));
    EXPECT_NE(description.find("Mono"), std::string::npos) << description;
    EXPECT_EQ(choice.waveFormat.nChannels, 1);
    std::string asked;
    {
        TimerScript answer([&] {
            HWND box = FindBox(nullptr);
            if (!box)
                return false;
            char text[1024] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            asked = text;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            return true;
        });
        ASSERT_TRUE(doc.SaveAsChosen(0, choice));
    }
    EXPECT_NE(asked.find("different format"), std::string::npos) << asked;

    const std::string written = FileText(path);
    uint16_t channels = 0;
    ASSERT_NE(written.find("fmt "), std::string::npos);
    std::memcpy(&channels, written.data() + written.find("fmt ") + 10, 2);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(InfoItem(written, "IART"), "Ann Example");
    EXPECT_EQ(InfoItem(written, "INAM"), "Morning Song"); // the title, where readers look for it
    // The document stays what it was: two channels, its own file.
    EXPECT_EQ(doc.GetTotalChannels(), 2u);
    EXPECT_NE(std::string(doc.GetPathName()).find("song.wav"), std::string::npos);
}
