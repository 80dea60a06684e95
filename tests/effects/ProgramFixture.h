// The program itself for the effect tests (headless): the application's start with its main
// frame, its panes and menus, and documents made by File New and filled with known frames.
#pragma once
#include "FwResource.h"
#include "MainFrame.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "InProcessProgram.h"
#include "TestSupport.h"
#include "TrackData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace fxtest {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        SetSettingInt(kSettingsSection, "DefaultDataChannels", 2);
        SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", 44100);
        main_ = kvtest::StartInProcess(app_, boxes_);
        ASSERT_NE(nullptr, main_);
    }
    void TearDown() override
    {
        kvtest::StopInProcess(app_);
        ::CoUninitialize();
    }
    void Pump()
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // File New: the new window's document and view.
    void FileNew()
    {
        main_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        CMDIChildWnd* child = main_->MDIGetActive();
        ASSERT_NE(nullptr, child);
        doc_ = dynamic_cast<CNyMultiTrackDoc*>(child->GetActiveDocument());
        view_ = dynamic_cast<CNyMultiTrackView*>(child->GetActiveView());
        ASSERT_TRUE(doc_ && view_);
    }
    // 16-bit frames of the track's channels put on it.
    void Fill(int track, const std::vector<int16_t>& samples)
    {
        std::vector<uint8_t> bytes(samples.size() * 2);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        PutFrames(doc_, track, bytes, scratch_.File("fill" + std::to_string(++serial_) + ".raw"));
    }
    // The popups from the menu bar down to the item of that command, outermost first.
    static bool PathTo(HMENU menu, UINT id, std::vector<std::pair<HMENU, int>>* path)
    {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            if (HMENU sub = ::GetSubMenu(menu, i)) {
                path->push_back({sub, i});
                if (PathTo(sub, id, path))
                    return true;
                path->pop_back();
            } else if (::GetMenuItemID(menu, i) == id) {
                return true;
            }
        }
        return false;
    }
    // Opens the popups down to the item as the menu bar does, so that the window's rules grey
    // or enable them; whether the item is there and enabled. Its text when asked for.
    bool OpenToItem(UINT id, std::string* text = nullptr)
    {
        HMENU bar = ::GetMenu(main_->m_hWnd);
        std::vector<std::pair<HMENU, int>> path;
        if (!bar || !PathTo(bar, id, &path))
            return false;
        for (const auto& [popup, index] : path)
            main_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), index);
        HMENU holder = path.empty() ? bar : path.back().first;
        if (text) {
            char buffer[128] = {};
            ::GetMenuStringA(holder, id, buffer, sizeof buffer, MF_BYCOMMAND);
            *text = buffer;
        }
        return (::GetMenuState(holder, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    // The item chosen: the command the menu sends.
    void ChooseItem(UINT id) { main_->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void CloseDocument()
    {
        doc_->SetModifiedFlag(FALSE);
        doc_->OnCloseDocument();
        doc_ = nullptr;
        Pump();
    }
    // File New, a second of 16-bit stereo frames on its track, the track selected.
    void NewFilledDocument()
    {
        FileNew();
        std::vector<int16_t> frames(44100 * 2);
        for (size_t i = 0; i < frames.size(); ++i)
            frames[i] = static_cast<int16_t>(i * 37 - 10000);
        Fill(0, frames);
        doc_->GetSelection()->SetTrackSelected(0, TRUE);
        doc_->GetSelection()->SetSelection(0, 0, TRUE);
        Pump();
    }

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
    CNyApp app_;
    CMainFrame* main_ = nullptr;
    CNyMultiTrackDoc* doc_ = nullptr;
    CNyMultiTrackView* view_ = nullptr;
    std::vector<std::string> boxes_;
    int serial_ = 0;
};

} // namespace fxtest
