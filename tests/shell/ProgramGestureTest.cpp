// The program's own main frame, panes and views driven as a user drives them: commands from
// the menu, clicks and keys sent to the windows that take them, what is drawn read back.
#include "MainFrame.h"
#include "EditModeIds.h"
#include "FadeHandleEditor.h"
#include "MainFrameIds.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "InProcessProgram.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class ProgramGestureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = kvtest::StartInProcess(app_, boxes_);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override
    {
        kvtest::StopInProcess(app_);
    }
    CNyMultiTrackView* ActiveView()
    {
        CMDIChildWnd* child = frame_->MDIGetActive();
        return child ? dynamic_cast<CNyMultiTrackView*>(child->GetActiveView()) : nullptr;
    }
    // The file dropped on the main window, as the shell drops it; the drop splits the
    // channels into tracks when the setting says so.
    CNyMultiTrackView* Drop(const std::string& path, bool splitChannels, int documentType = 0)
    {
        SetSettingInt("Settings", "ChannelSplit", splitChannels ? 1 : 0);
        // New documents take the program's document type, read from the settings at every open.
        SetSettingInt("Settings", "DefaultDocumentType", documentType);
        app_.DefaultSettings().documentType = uint32_t(documentType);
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + path.size() + 2);
        auto* files = static_cast<DROPFILES*>(::GlobalLock(block));
        files->pFiles = sizeof(DROPFILES);
        std::memcpy(reinterpret_cast<char*>(files + 1), path.c_str(), path.size() + 1);
        ::GlobalUnlock(block);
        frame_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(block));
        return ActiveView();
    }
    void Command(CWnd* target, UINT id) { target->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    SettingsTestRoot root_;
    CNyApp app_;
    CMainFrame* frame_ = nullptr;
    std::vector<std::string> boxes_;
    kvtest::ScratchFolder scratch_;
};

// A 24-bit WAV of constant samples, value[c] in channel c (full scale 1.0).
std::string WriteWav24(const std::string& path, uint32_t rate, uint32_t frames, const std::vector<double>& value)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return "";
    const unsigned channels = unsigned(value.size());
    kvtest::WriteWavHeader(f, channels, rate, 24, frames);
    std::vector<uint8_t> frame;
    for (double v : value) {
        const int32_t s = int32_t(std::lround(v * 8388608.0));
        frame.push_back(uint8_t(s & 0xFF));
        frame.push_back(uint8_t((s >> 8) & 0xFF));
        frame.push_back(uint8_t((s >> 16) & 0xFF));
    }
    for (uint32_t i = 0; i < frames; ++i)
        std::fwrite(frame.data(), 1, frame.size(), f);
    std::fclose(f);
    return path;
}

// A fade applied through the fade mode reads back as the curve its handles show, whatever the
// track: a channel of a split stereo file with its pan (a plain document splits a stereo WAV),
// a mono file, and a stereo and a six-channel file in a multichannel document. A 24-bit step
// is 2^-23 of full scale.
TEST_F(ProgramGestureTest, AFadeReadsBackAsItsHandlesCurveOnEveryKindOfTrack)
{
    struct Case {
        const char* name;
        std::vector<double> value;
        bool split;
        int documentType;
    };
    const Case cases[] = {
        {"split stereo", {0.5, -0.25}, true, 0},
        {"mono", {0.5}, false, 0},
        {"stereo", {0.5, -0.25}, false, 1},
        {"six channels", {0.5, -0.25, 0.125, 0.3, -0.4, 0.2}, false, 1},
    };
    const uint32_t rate = 48000, frames = 4800;
    const int64_t from = 1200, to = 3600;
    for (UINT mode : {UINT(ID_FADE_IN_OUT_MODE), UINT(ID_ENVELOPE_MODE)})
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SCOPED_TRACE(mode);
        CNyMultiTrackView* view =
            Drop(WriteWav24(scratch_.File(std::string(c.name) + ".wav"), rate, frames, c.value), c.split, c.documentType);
        ASSERT_NE(view, nullptr);
        CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
        ASSERT_EQ(c.split ? 2 : 1, doc->GetTrackCount());
        if (c.split) {
            float pan = 0;
            doc->GetTrack(0)->GetPan(&pan);
            EXPECT_EQ(-1.0f, pan) << "the left channel's track is panned left";
        }
        CSelectionModel* selection = doc->GetSelection();
        selection->SetTrackSelected(-1, FALSE);
        ASSERT_EQ(S_OK, selection->SetTrackSelected(0, TRUE));
        selection->SetSelection(from, to, TRUE);
        Command(view, mode);
        ASSERT_NE(0, view->GetEditMode());
        if (mode == ID_FADE_IN_OUT_MODE) {
            Command(view, ID_HANDLE_FADE_OUT);
            Command(view, ID_HANDLE_LINEAR);
        } else {
            doc->GetHandleEditTrack(0)->SetHandles(2000, 0.3f); // a dip in the middle
        }
        const std::vector<HandlePoint> handles = doc->GetHandleEditTrack(0)->Handles();
        ASSERT_GE(handles.size(), 2u);
        Command(view, ID_HANDLE_EXECUTE);
        Pump();
        ASSERT_EQ(0, view->GetEditMode());
        EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_.front());
        IMtTrack* track = doc->GetTrack(0);
        WORD channels = 0;
        track->GetChannels(&channels);
        const size_t shown = c.split ? 1 : c.value.size();
        ASSERT_EQ(shown, channels);
        double worst = 0;
        int64_t worstAt = -1;
        for (WORD ch = 0; ch < channels; ++ch)
            for (int64_t p = 0; p < int64_t(frames); ++p) {
                // Sound outside the handles stays as it was; between two, the line joins them.
                double gain = 1.0;
                for (size_t h = 1; h < handles.size(); ++h) {
                    const HandlePoint& a = handles[h - 1];
                    const HandlePoint& b = handles[h];
                    if (p >= a.position && p <= b.position)
                        gain = a.gain + (b.gain - a.gain) * double(p - a.position) / double(b.position - a.position);
                }
                LONG raw = 0;
                ASSERT_EQ(S_OK, track->ReadSample(ch, p, &raw));
                const double got = double(raw) / 2147483648.0;
                const double want = c.value[ch] * gain;
                if (std::fabs(got - want) > worst) {
                    worst = std::fabs(got - want);
                    worstAt = p;
                }
            }
        EXPECT_LE(worst, 1.0 / 8388608.0) << "at frame " << worstAt;
        doc->SetModifiedFlag(FALSE);
        frame_->MDIGetActive()->SendMessage(WM_CLOSE);
    }
}

} // namespace
