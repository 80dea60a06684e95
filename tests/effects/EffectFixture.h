// Documents on the real engine for the effect tests: tracks filled with known samples, a
// private temporary folder (so that the files a run leaves can be counted), the track's stored
// frames read back byte for byte, and the history's steps.
#pragma once
#include "ComRef.h"
#include "DocumentFixture.h"
#include "HistorySteps.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "ModuleObjects.h"
#include "RawClip.h"
#include "Settings.h"
#include "TempFilePaths.h"
#include "TestSupport.h"
#include "TrackData.h"

#include <gtest/gtest.h>

#include <strmif.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

// A document whose history notes the thread of every change it reports.
class ThreadNotingDocument : public CNyMultiTrackDoc {
public:
    void OnHistoryChanged() override
    {
        threads.insert(::GetCurrentThreadId());
        CNyMultiTrackDoc::OnHistoryChanged();
    }
    std::set<DWORD> threads;
};

class EffectTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // Every module of the process makes its files in the system's temporary folder: a
        // folder of the test's own, so that what a run leaves can be counted.
        char system[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, system);
        systemTemp_ = system;
        tempFolder_ = scratch_.Path() + "temp\\";
        ::CreateDirectoryA(tempFolder_.c_str(), nullptr);
        ::SetEnvironmentVariableA("TMP", tempFolder_.c_str());
        ::SetEnvironmentVariableA("TEMP", tempFolder_.c_str());
        // The engine deletes the files it owns only inside its own temporary folder, which is
        // process-wide: a program started earlier in this process left it at that program's.
        ComRef<IMtTempStore> store;
        ASSERT_EQ(S_OK, MtEngine::CreateTempStore(store));
        engineTemp_ = QueryCom<IMtTempSettings>(store.Get());
        ASSERT_TRUE(engineTemp_);
        ASSERT_EQ(S_OK, engineTemp_->GetFolder(previousEngineTemp_, sizeof previousEngineTemp_));
        ASSERT_EQ(S_OK, engineTemp_->SetFolder(tempFolder_.c_str()));
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            boxes_.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        AfxSetMessageBoxHook(nullptr);
        view_.reset();
        doc_.reset();
        DocumentTest::TearDown();
        ::SetEnvironmentVariableA("TMP", systemTemp_.c_str());
        ::SetEnvironmentVariableA("TEMP", systemTemp_.c_str());
        if (engineTemp_ && previousEngineTemp_[0])
            engineTemp_->SetFolder(previousEngineTemp_);
        engineTemp_.Reset();
        ::CoUninitialize();
    }

    // A document like NewDocument's, but one that notes its history's threads.
    ThreadNotingDocument* NewNotingDocument(const std::vector<WORD>& channels)
    {
        if (!channels.empty())
            host_.settings.dataChannels = channels[0];
        view_.reset();
        doc_.reset();
        auto* doc = new ThreadNotingDocument;
        doc_.reset(doc);
        doc_->m_bAutoDelete = FALSE;
        view_ = std::make_unique<CNyMultiTrackView>();
        view_->SetPaneSizes(500, 400, 300);
        view_->SetTimeZoom(64);
        doc_->AddView(view_.get());
        EXPECT_TRUE(doc_->OnNewDocument());
        for (size_t i = 1; i < channels.size(); ++i) {
            ComRef<IMtTrack> track;
            EXPECT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, channels[i], track.Out(), -1));
        }
        return doc;
    }

    // Frames in the engine's storage of the document's bits put on a track at offset.
    void FillBytes(int track, const std::vector<uint8_t>& bytes, int64_t offset = 0)
    {
        fxtest::PutFrames(doc_.get(), track, bytes, scratch_.File("fill" + std::to_string(++serial_) + ".raw"), offset);
    }
    void Fill16(int track, const std::vector<int16_t>& samples, int64_t offset = 0)
    {
        std::vector<uint8_t> bytes(samples.size() * 2);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        FillBytes(track, bytes, offset);
    }
    // A sine of amplitude amp (of full scale) over frames, channel c shifted by c radians.
    static std::vector<int16_t> Sine16(double freq, DWORD rate, size_t frames, int channels, double amp)
    {
        std::vector<int16_t> out(frames * static_cast<size_t>(channels));
        for (size_t f = 0; f < frames; ++f)
            for (int c = 0; c < channels; ++c)
                out[f * channels + c] =
                    static_cast<int16_t>(32767.0 * amp * std::sin(6.283185307179586 * freq * f / rate + c));
        return out;
    }

    void Select(std::initializer_list<int> tracks, int64_t start, int64_t end)
    {
        CSelectionModel* sel = doc_->GetSelection();
        sel->SetTrackSelected(-1, FALSE);
        for (int t : tracks)
            ASSERT_EQ(S_OK, sel->SetTrackSelected(t, TRUE));
        ASSERT_EQ(S_OK, sel->SetSelection(start, end, TRUE));
    }

    // The stored frames of a track's whole span, as the engine's reader gives them.
    std::vector<uint8_t> TrackBytes(int track) { return fxtest::ReadTrackBytes(doc_.get(), track); }
    std::vector<int16_t> Track16(int track)
    {
        std::vector<uint8_t> bytes = TrackBytes(track);
        std::vector<int16_t> out(bytes.size() / 2);
        std::memcpy(out.data(), bytes.data(), out.size() * 2);
        return out;
    }

    // Names of the files in the temporary folder (the test's own), sub-folders left out.
    std::set<std::string> TempFiles() const { return fxtest::FilesIn(tempFolder_); }

    int Steps() { return kvtest::UndoSteps(doc_->GetHistory()); }
    std::string LastStepName()
    {
        std::vector<std::string> names = kvtest::UndoNames(doc_->GetHistory());
        return names.empty() ? std::string() : names.front();
    }

    // A filter of an effect module of the program's folder.
    static ComRef<IBaseFilter> ModuleFilter(const char* module, const CLSID& id)
    {
        ComRef<IBaseFilter> filter;
        EXPECT_EQ(S_OK, CreateModuleObject(module, id, IID_IBaseFilter, filter.OutVoid())) << module;
        return filter;
    }

    kvtest::ScratchFolder scratch_;
    std::string systemTemp_;
    std::string tempFolder_;
    ComRef<IMtTempSettings> engineTemp_;
    char previousEngineTemp_[MAX_PATH] = {};
    std::vector<std::string> boxes_;
    int serial_ = 0;
};
