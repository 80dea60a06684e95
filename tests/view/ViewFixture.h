// The program's main frame (headless) with one multitrack document in a child frame, in a
// settings root of the test's own, and a view host that records what the view would show and
// imports dropped files from raw copies of their sound.
#pragma once
#include "ChildFrame.h"
#include "ComRef.h"
#include "LabelEditWnd.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "SelectionModel.h"
#include "SettingsTestRoot.h"
#include "HistorySteps.h"
#include "TestSupport.h"
#include "ViewHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TestViewHost : public IViewHost {
public:
    IViewController* GetController() override { return nullptr; }
    IViewMixer* GetMixer() override { return nullptr; }
    void EnableSelectionPanes(CNyMultiTrackView*, bool) override {}
    void EnableControllerPanes(CNyMultiTrackView*, bool) override {}
    void AttachToolPanes(CNyMultiTrackView*) override {}
    void DetachToolPanes(CNyMultiTrackView*) override {}
    void ShowErrorBox(HRESULT code, const char* caption) override
    {
        shown.push_back(code);
        captions.push_back(caption ? caption : "");
    }
    bool IsReadAutomation() override { return false; }
    bool IsWriteAutomation() override { return false; }
    void SetReadAutomation(bool) override {}
    void SetWriteAutomation(bool) override {}
    void UpdateAllDocuments() override {}
    void UpdateAnalysisAndEffects() override {}
    void RunRecordingTimerDialog() override {}
    void RunPropertiesDialog(CNyMultiTrackView*, int) override {}
    void BeginLabelEdit(CNyMultiTrackView* view, int labelId) override { ::BeginLabelEdit(view, labelId); }
    void RefreshMarkerList(int) override {}
    void OpenProgress(CNyMultiTrackView*, const char*) override { ++progressOpened; }
    bool UpdateProgress(int percent) override
    {
        percents.push_back(percent);
        return cancelSearch;
    }
    void CloseProgress(bool) override { ++progressClosed; }
    HRESULT QueryFileInfo(const char* path, FileInfoRecord* info) override;
    HRESULT GetProjectChannels(const char*, int*) override { return E_NOTIMPL; }
    // Loads the raw copy registered for the path into new tracks (the import command).
    HRESULT ImportFile(CNyMultiTrackDoc* doc, const char* path, int split, IEditCommand** command) override;

    struct RawCopy {
        std::string path;
        WORD channels, bits;
        DWORD rate;
    };
    std::map<std::string, RawCopy> raw;
    std::vector<HRESULT> shown;
    std::vector<std::string> captions;
    std::vector<int> percents;
    int progressOpened = 0, progressClosed = 0;
    bool cancelSearch = false;
    int imports = 0;
};

using kvtest::UndoSteps;

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // File New; the document's engine set to the format when bits is not 0.
    CNyMultiTrackView* NewDocument(WORD bits = 0, DWORD rate = 44100);
    // Puts 16-bit or 24-bit frames (each value on every channel) into a track from its start.
    void FillTrack(int track, const std::vector<int32_t>& frames, WORD bits, int channels = 1);
    // A WAV file of mono 16-bit frames, with a raw copy the host imports.
    std::string WriteWav(const std::string& name, const std::vector<int16_t>& frames, DWORD rate = 44100);
    // Sends a key as the keyboard would, with Shift and Ctrl as given.
    void Key(UINT key, bool shift = false, bool ctrl = false, UINT repeat = 1);
    void Command(int id);
    // A new 16-bit document whose one track holds 128000 frames, at 64 samples per pixel from
    // sample 0, envelopes hidden: the track area's mouse tests start here.
    bool NewFilledTrack();
    // Volume and pan envelopes off (they are shown by default) until the test ends.
    void HideEnvelopes();
    void Pump();
    std::string StatusText(int pane);
    // A mark of a kind on a track (-1: all tracks); its id.
    int AddMark(int32_t kind, int track, int64_t start, int64_t end, const char* name);

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
    TestViewHost host_;
    CNyApp app_;
    CMDIFrameWnd* main_ = nullptr;
    CChildFrame* child_ = nullptr;
    CNyMultiTrackView* view_ = nullptr;
    CNyMultiTrackDoc* doc_ = nullptr;
    std::vector<std::string> boxes_;
    int shownEnvelopes_[2] = {-1, -1};
};
