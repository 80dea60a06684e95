// A document of the real engine with the view's geometry, the tool panes' link standing in for
// the multitrack view, and tracks filled from raw 16-bit frames written to a scratch folder.
#pragma once
#include "ChromeTestSupport.h"
#include "RawClip.h"
#include "CommandInterfaces.h"
#include "DocumentFixture.h"
#include "DocumentTransportLink.h"
#include "KsMultiTrackLoader.h"
#include "HistorySteps.h"
#include "TestSupport.h"

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

class PaneDocTest : public DocumentTest {
protected:
    // Appends a track of these interleaved frames placed at start.
    void AddTrack(const std::vector<int16_t>& frames, WORD channels, LONGLONG start)
    {
        const std::string path = scratch_.File("t" + std::to_string(files_++) + ".raw");
        {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(frames.data()), std::streamsize(frames.size() * 2));
        }
        ComRef<IMtClip> clip;
        ASSERT_EQ(S_OK, MakeRawClip(path, channels, 16, doc_->GetSamplesPerSec(), clip));
        ComRef<IMtTrack> track;
        if (usedFirst_) {
            ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, channels, track.Out(), -1));
        } else {
            *track.Out() = doc_->GetTrack(0);
            track->AddRef();
            track->SetChannels(channels);
            usedFirst_ = true;
        }
        ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), start, 0, 0));
    }
    // A document of one empty track (File New) at the given rate.
    CNyMultiTrackDoc* NewDocumentAt(DWORD rate, WORD channels = 1)
    {
        CNyMultiTrackDoc* doc = NewDocument({channels});
        doc->GetTrackSet()->SetFormat(16, rate);
        usedFirst_ = false;
        return doc;
    }
    // Undo entries, newest first.
    std::vector<std::string> UndoNames() { return kvtest::UndoNames(doc_->GetHistory()); }

    kvtest::ScratchFolder scratch_;
    int files_ = 0;
    bool usedFirst_ = false;
};

inline std::vector<int16_t> Tone(LONGLONG frames, int channels, int16_t amplitude = 8000)
{
    std::vector<int16_t> out(size_t(frames * channels));
    for (LONGLONG f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            out[size_t(f * channels + c)] = int16_t((f / 20) % 2 ? amplitude : -amplitude);
    return out;
}

// Dispatches what is queued (as the program's loop does), for ms milliseconds at least.
inline void PumpMessages(DWORD ms = 0)
{
    const DWORD until = GetTickCount() + ms;
    do {
        chrometest::Pump();
        if (ms)
            Sleep(5);
    } while (GetTickCount() < until);
}
