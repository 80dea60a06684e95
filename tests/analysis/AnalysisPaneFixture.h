// The program's own main frame (headless) with real documents opened from WAV files the tests
// write, the analysis pane shown through command 1074, each test on a settings root of its own.
#pragma once
#include "AnalysisIds.h"
#include "MainFrame.h"
#include "MainFrameIds.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyAnalizeFrame.h"
#include "NyAnalizeWnd.h"
#include "NyApp.h"
#include "ProgramHosts.h"
#include "RawClip.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "FrequencyAnalyzer.h"
#include "InProcessProgram.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

// Interleaved samples in -1 .. 1 written as a WAV file: 8-bit unsigned, 16- and 24-bit PCM, or
// 32-bit float.
inline bool WriteTestWav(const std::string& path, int channels, int rate, int bits, const std::vector<double>& samples)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool isFloat = bits == 32;
    const uint32_t bytes = uint32_t(bits / 8), dataBytes = uint32_t(samples.size()) * bytes;
    const uint32_t fmtSize = isFloat ? 18 : 16;
    auto u32 = [f](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(4 + 8 + fmtSize + 8 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(fmtSize);
    u16(isFloat ? 3 : 1);
    u16(uint16_t(channels));
    u32(uint32_t(rate));
    u32(uint32_t(rate) * channels * bytes);
    u16(uint16_t(channels * bytes));
    u16(uint16_t(bits));
    if (isFloat)
        u16(0);
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    for (double v : samples) {
        if (bits == 8) {
            const uint8_t b = uint8_t(128 + std::lround(v * 127));
            std::fwrite(&b, 1, 1, f);
        } else if (bits == 16) {
            const int16_t s = int16_t(std::lround(v * 32767));
            std::fwrite(&s, 2, 1, f);
        } else if (bits == 24) {
            const int32_t s = int32_t(std::lround(v * 8388607));
            std::fwrite(&s, 3, 1, f);
        } else {
            const float s = float(v);
            std::fwrite(&s, 4, 1, f);
        }
    }
    return std::fclose(f) == 0;
}

// frames of a sine of one frequency in every channel, amplitude a.
inline std::vector<double> Sine(int frames, int channels, double hz, int rate, double a)
{
    std::vector<double> out;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(a * std::sin(2.0 * 3.14159265358979323846 * hz * i / rate));
    return out;
}

class AnalysisPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The engine's and the file module's temporary files stay in this test's own folder, out
        // of the way of other test programs that count the shared temporary folder's files.
        for (const char* name : {"TEMP", "TMP"}) {
            char value[MAX_PATH] = "";
            ::GetEnvironmentVariableA(name, value, sizeof value);
            savedTemp_.push_back(value);
            ::SetEnvironmentVariableA(name, scratch_.Path().c_str());
        }
        frame_ = kvtest::StartInProcess(app_, boxes_);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override
    {
        kvtest::StopInProcess(app_);
        const char* names[2] = {"TEMP", "TMP"};
        for (size_t i = 0; i < savedTemp_.size(); ++i)
            ::SetEnvironmentVariableA(names[i], savedTemp_[i].empty() ? nullptr : savedTemp_[i].c_str());
    }
    // Opens a WAV of these samples; its rows all selected.
    CNyMultiTrackDoc* OpenWav(const std::string& name, int channels, int rate, int bits, const std::vector<double>& samples)
    {
        const std::string path = scratch_.File(name);
        if (!WriteTestWav(path, channels, rate, bits, samples))
            return nullptr;
        auto* doc = dynamic_cast<CNyMultiTrackDoc*>(app_.OpenDocumentFile(path.c_str()));
        if (doc) {
            doc->GetSelection()->SyncRowCount();
            doc->GetSelection()->SetTrackSelected(-1, TRUE);
        }
        return doc;
    }
    // File New at 16 bits and this rate, its tracks made of these interleaved frames (channels
    // each), every row selected.
    CNyMultiTrackDoc* NewDocument(int rate, const std::vector<std::pair<int, std::vector<int16_t>>>& tracks)
    {
        frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        CNyMultiTrackView* view = ActiveView();
        CNyMultiTrackDoc* doc = view ? view->GetMultiTrackDoc() : nullptr;
        if (!doc)
            return nullptr;
        IMtTrackSet* set = doc->GetTrackSet();
        set->SetFormat(16, DWORD(rate));
        set->SetChannelLimit(6);
        for (size_t t = 0; t < tracks.size(); ++t) {
            const WORD channels = WORD(tracks[t].first);
            const std::string path = scratch_.File("track" + std::to_string(files_++) + ".raw");
            {
                std::ofstream out(path, std::ios::binary);
                out.write(reinterpret_cast<const char*>(tracks[t].second.data()),
                          std::streamsize(tracks[t].second.size() * 2));
            }
            ComRef<IMtClip> clip;
            ComRef<IMtTrack> track;
            if (FAILED(MakeRawClip(path, channels, 16, DWORD(rate), clip)))
                return nullptr;
            if (t == 0) {
                *track.Out() = doc->GetTrack(0);
                track->AddRef();
                track->SetChannels(channels);
            } else if (FAILED(set->InsertTrack(0, channels, track.Out(), LONG(t)))) {
                return nullptr;
            }
            if (FAILED(track->InsertClip(clip.Get(), 0, 0, 0)))
                return nullptr;
        }
        view->RecalcLayout();
        doc->GetSelection()->SyncRowCount();
        doc->GetSelection()->SetTrackSelected(-1, TRUE);
        return doc;
    }
    static std::vector<int16_t> Sine16(int frames, int channels, const std::vector<double>& hz, int rate, double a)
    {
        std::vector<int16_t> out;
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                out.push_back(int16_t(std::lround(a * 32767 * std::sin(2.0 * 3.14159265358979323846 * hz[c] * i / rate))));
        return out;
    }
    CNyMultiTrackView* ActiveView()
    {
        CMDIChildWnd* child = frame_->MDIGetActive();
        return child ? dynamic_cast<CNyMultiTrackView*>(child->GetActiveView()) : nullptr;
    }
    // The View menu's Frequency Analysis, as the user chooses it.
    CNyAnalizeWnd* ChooseFrequencyAnalysis()
    {
        frame_->SendMessage(WM_COMMAND, ID_VIEW_FREQUENCY_ANALYSIS, 0);
        return HeldAnalysisPane();
    }
    static HWND PaneFrame(CNyAnalizeWnd* pane) { return ::GetParent(pane->m_hWnd); }
    static HWND ChannelList(CNyAnalizeWnd* pane) { return pane->GetFrame()->GetChannelList(); }
    static std::vector<std::string> Entries(CNyAnalizeWnd* pane)
    {
        std::vector<std::string> entries;
        HWND list = ChannelList(pane);
        const int count = int(::SendMessageA(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = "";
            ::SendMessageA(list, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    static std::string StatusText(CNyAnalizeWnd* pane, int part)
    {
        return std::string(pane->GetFrame()->GetStatusBar().GetPaneText(part).GetString());
    }
    static double LevelAt(CNyAnalizeWnd* pane, int bin, int channel = -1)
    {
        const CSpectrumAnalyzer& a = pane->GetAnalyzer();
        const int c = channel < 0 ? pane->GetChannel() : channel;
        return 10.0 * std::log10(a.GetPowerSpectrum()[size_t(bin) * a.GetChannels() + c]);
    }
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
    CNyApp app_;
    CMainFrame* frame_ = nullptr;
    std::vector<std::string> boxes_;
    std::vector<std::string> savedTemp_;
    int files_ = 0;
};
