// A document with its view on the real engine, in a settings root of the test's own, with a
// host that records what the document would show and stands in for the controller.
#pragma once
#include "DocumentHost.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "SettingsTestRoot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class RecordingHost : public DocumentHost {
public:
    DocumentSettings& DefaultSettings() override { return settings; }
    BOOL IsAsioInUse() override { return asio; }
    void ShowErrorText(HRESULT code) override { shown.push_back(code); }
    void ShowErrorBox(HRESULT code, UINT) override { shown.push_back(code); }
    COLORREF SkinColorAt(int) override { return RGB(1, 2, 3); }
    BOOL IsTransportBusy() override { return FALSE; }
    BOOL IsRecordWhilePlaying() override { return recordWhilePlaying; }
    HRESULT SetupMonitoring() override { return monitoringResult; }
    HRESULT StopTransport() override { return S_OK; }
    void RefreshController() override {}
    void RefreshMixer(BOOL) override {}
    void UpdateMasterVolume() override {}

    DocumentSettings settings = ReadDefaultDocumentSettings();
    BOOL asio = FALSE;
    BOOL recordWhilePlaying = FALSE;
    HRESULT monitoringResult = S_OK;
    std::vector<HRESULT> shown;
};

// A host that also keeps the texts the document shows in message boxes, and answers them.
class MessageHost : public RecordingHost {
public:
    int ShowMessageText(const char* text, UINT) override
    {
        texts.push_back(text);
        return answer;
    }
    std::vector<std::string> texts;
    int answer = IDNO;
};

// Documents that each have a view (which maps track indices to ids for the labels), made
// empty for files to be loaded into, with a host that keeps what they show.
class ViewedDocumentsTest : public ::testing::Test {
protected:
    void SetUp() override { SetDocumentHost(&host_); }
    void TearDown() override
    {
        views_.clear();
        docs_.clear();
        SetDocumentHost(nullptr);
    }

    // A new document with its view; no engine yet.
    CNyMultiTrackDoc* ViewedDocument()
    {
        docs_.push_back(std::make_unique<CNyMultiTrackDoc>());
        CNyMultiTrackDoc* doc = docs_.back().get();
        doc->m_bAutoDelete = FALSE;
        views_.push_back(std::make_unique<CNyMultiTrackView>());
        views_.back()->SetPaneSizes(500, 400, 300);
        doc->AddView(views_.back().get());
        return doc;
    }

    // Every text and code the documents showed, one a line (for failure messages).
    std::string Shown() const
    {
        std::string all;
        for (const std::string& t : host_.texts)
            all += t + "\n";
        for (HRESULT hr : host_.shown)
            all += std::to_string(unsigned(hr)) + "\n";
        return all;
    }

    MessageHost host_;
    SettingsTestRoot root_;
    std::vector<std::unique_ptr<CNyMultiTrackDoc>> docs_;
    std::vector<std::unique_ptr<CNyMultiTrackView>> views_;
};

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { SetDocumentHost(&host_); }
    void TearDown() override
    {
        view_.reset();
        doc_.reset();
        SetDocumentHost(nullptr);
    }

    // The host reads the program-wide record from the test's settings root.
    void ReadSettings() { host_.settings = ReadDefaultDocumentSettings(); }

    // A new document with a view of 400 x 300 track area pixels at one sample per pixel,
    // holding tracks of these channel counts (the first made by File New).
    CNyMultiTrackDoc* NewDocument(const std::vector<WORD>& channels)
    {
        if (!channels.empty())
            host_.settings.dataChannels = channels[0];
        view_.reset();
        doc_.reset();
        doc_ = std::make_unique<CNyMultiTrackDoc>();
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
        return doc_.get();
    }

    SettingsTestRoot root_;
    RecordingHost host_;
    std::unique_ptr<CNyMultiTrackDoc> doc_;
    std::unique_ptr<CNyMultiTrackView> view_;
};
