// The Effects and Special menus of the program's document window as a user meets them: every
// item found in the main window's real menu, greyed or enabled as the menu shows it when its
// popups open, and chosen; the dialog it opens carries the item's name and its OK applies the
// effect to the selected tracks' range as one step that Undo takes back sample-exact.
#include "DialogScript.h"
#include "DocCommandIds.h"
#include "MainFrameIds.h"
#include "EffectIds.h"
#include "HistorySteps.h"
#include "ProgramFixture.h"
#include "resource.h"

#include <algorithm>
#include <cmath>

using namespace fxtest;

namespace {

constexpr int64_t kFrom = 1000, kTo = 30000;

class EffectMenuTest : public ProgramTest {
protected:
    // File New with two tracks of `channels` channels, each a second of a tone with a little
    // noise and clicks; both tracks selected over frames kFrom to kTo.
    void TwoTrackDocument(WORD channels)
    {
        FileNew();
        doc_->GetTrack(0)->SetChannels(channels);
        main_->SendMessage(WM_COMMAND, channels == 1 ? ID_ADD_MONO_TRACK : ID_ADD_STEREO_TRACK, 0);
        ASSERT_EQ(2, doc_->GetTrackCount());
        uint32_t seed = 12345;
        for (int t = 0; t < 2; ++t) {
            std::vector<int16_t> samples(44100u * channels);
            for (size_t i = 0; i < samples.size(); ++i) {
                seed = seed * 1664525u + 1013904223u;
                const double tone = std::sin(6.283185307 * (330.0 + 110.0 * t) * double(i / channels) / 44100 + i % channels);
                samples[i] = static_cast<int16_t>(9000.0 * tone + double((seed >> 16) % 200) - 100.0);
                // and a click every tenth of a second
                if ((i / channels) % 4410 == 2000)
                    samples[i] = 30000;
            }
            Fill(t, samples);
        }
        CSelectionModel* selection = doc_->GetSelection();
        selection->SetTrackSelected(-1, FALSE);
        selection->SetTrackSelected(0, TRUE);
        selection->SetTrackSelected(1, TRUE);
        selection->SetSelection(kFrom, kTo, TRUE);
        Pump();
    }

    // The track's level over the selected range, at 32 points.
    std::vector<float> Levels(int track)
    {
        ComRef<IMtEnvelopeSet> envelopes;
        EXPECT_EQ(S_OK, doc_->GetTrack(track)->QueryInterface(__uuidof(IMtEnvelopeSet), envelopes.OutVoid()));
        std::vector<float> levels(32);
        for (size_t i = 0; i < levels.size(); ++i)
            envelopes->GetValueAt(kMtEnvLevel, kFrom + (kTo - kFrom) * int64_t(i) / 31, &levels[i]);
        return levels;
    }
};

TEST_F(EffectMenuTest, EveryItemChosenFromTheMenuAppliesItsEffectAsOneStepThatUndoesSampleExact)
{
    // What becomes of the selected tracks' range: its frames changed, reversed, silent, its level
    // shaped (the frames kept), or nothing at all.
    enum Result { Changed, Reversed, Muted, Shaped, Nothing };
    struct Case {
        UINT id;
        WORD channels;
        int dialogControl; // a control of the dialog it opens; 0 for none
        const char* title; // the dialog's caption, the menu item's name
        const char* step;  // the step it records
        Result result;
        const char* preset = nullptr; // chosen before OK, where the last settings leave the sound as it is
        int tracks = 2;               // selected
    } cases[] = {
        {ID_EFFECT_GAIN, 2, IDC_EFFECT_TABS, "Gain", "Effect", Changed, "+6 dB"},
        {ID_EFFECT_DC_OFFSET, 2, IDC_EFFECT_TABS, "DC Offset", "Effect", Changed},
        {ID_EFFECT_NORMALIZE, 2, IDC_EFFECT_TABS, "Normalize", "Effect", Changed},
        {ID_EFFECT_REVERSE, 2, 0, "", "Effect", Reversed},
        {ID_EFFECT_SMOOTHING, 2, IDC_EFFECT_TABS, "Smoothing", "Effect", Changed},
        {ID_EFFECT_MUTE, 2, 0, "", "Effect", Muted},
        {ID_EFFECT_GRAPHIC_EQ10, 2, IDC_EFFECT_TABS, "10 band Graphic EQ", "Effect", Changed, "Rock"},
        {ID_EFFECT_PARAMETRIC_EQ, 2, IDC_EFFECT_TABS, "Parametric EQ", "Effect", Changed, "Presence"},
        {ID_EFFECT_FILTER, 2, IDC_EFFECT_TABS, "Filter", "Effect", Changed},
        {ID_EFFECT_COMPRESSOR, 2, IDC_EFFECT_TABS, "Compressor", "Effect", Changed},
        {ID_EFFECT_NOISE_GATE, 2, IDC_EFFECT_TABS, "Noise Gate", "Effect", Changed},
        {ID_EFFECT_HISS_NOISE, 2, IDC_EFFECT_TABS, "Hiss Noise", "Effect", Changed},
        {ID_EFFECT_HUM_NOISE, 2, IDC_EFFECT_TABS, "Hum Noise", "Effect", Changed},
        {ID_EFFECT_CRACKLE_NOISE, 2, IDC_EFFECT_TABS, "Crackle Noise", "Effect", Changed, "Strong"},
        {ID_EFFECT_GET_NOISE_PROFILE, 2, IDC_EFFECT_TABS, "Get Noise Profile", "", Nothing, nullptr, 1},
        {ID_EFFECT_REMOVE_NOISE, 2, IDC_EFFECT_TABS, "Remove Noise using Profile", "Effect", Changed, nullptr, 1},
        {ID_EFFECT_DELAY, 2, IDC_EFFECT_TABS, "Delay", "Effect", Changed},
        {ID_EFFECT_REVERB, 2, IDC_EFFECT_TABS, "Reverb", "Effect", Changed},
        {ID_EFFECT_PITCH_SHIFT, 2, IDC_EFFECT_TABS, "Pitch Shift", "Effect", Changed, "Octave up"},
        {ID_EFFECT_TIME_STRETCH, 2, IDC_EFFECT_TABS, "Time Stretch", "Effect", Changed, "Twice as long"},
        {ID_EFFECT_MODULATOR, 2, IDC_EFFECT_TABS, "Modulator", "Effect", Changed},
        {ID_EFFECT_LOFI, 2, IDC_EFFECT_TABS, "Lo-Fi", "Effect", Changed},
        {ID_MONO_TO_STEREO, 1, IDC_EFFECT_TABS, "Mono to Stereo", "Mixing", Changed, nullptr, 1},
        {ID_STEREO_TO_MONO, 2, IDC_EFFECT_TABS, "Stereo to Mono", "Mixing", Changed, nullptr, 1},
        {ID_REMOVE_VOCALS, 2, IDC_EFFECT_TABS, "Remove Vocals", "Effect", Changed, nullptr, 1},
        {ID_REVERSE_PHASE, 2, IDC_EFFECT_TABS, "Reverse Phase", "Effect", Changed, nullptr, 1},
        {ID_CHANNEL_NORMALIZE, 2, IDC_EFFECT_TABS, "Channel Normalize", "Effect", Changed, nullptr, 1},
        {ID_FADE_DIALOG, 2, 5139, nullptr, "Fade In/Out", Shaped},
        {ID_CROSSFADE, 2, 5124, nullptr, "Crossfade", Shaped},
    };
    for (const Case& c : cases) {
        TwoTrackDocument(c.channels);
        doc_->GetSelection()->SetTrackSelected(1, c.tracks == 2);
        std::string item;
        EXPECT_TRUE(OpenToItem(c.id, &item)) << c.id << " " << item << " is enabled";
        const std::vector<uint8_t> before[2] = {ReadTrackBytes(doc_, 0), ReadTrackBytes(doc_, 1)};
        const std::vector<float> levels[2] = {Levels(0), Levels(1)};
        const int stepsBefore = kvtest::UndoSteps(doc_->GetHistory());
        std::string title;
        bool opened = false;
        Script script({[&] {
            if (!c.dialogControl)
                return true;
            HWND d = FindDialogWith(c.dialogControl);
            if (!d)
                return false;
            opened = true;
            title = WindowText(d);
            if (c.preset) {
                const std::vector<std::string> presets = ComboItems(::GetDlgItem(d, IDC_EFFECT_PRESETS));
                const auto at = std::find(presets.begin(), presets.end(), std::string(c.preset));
                EXPECT_NE(presets.end(), at) << c.preset;
                if (at != presets.end())
                    Choose(d, IDC_EFFECT_PRESETS, static_cast<int>(at - presets.begin()));
            }
            // The click returns once the dialog has done its work.
            Click(d, IDOK);
            return true;
        }});
        ChooseItem(c.id);
        EXPECT_TRUE(!c.dialogControl || opened) << item << " opens its dialog";
        EXPECT_FALSE(script.TimedOut()) << item;
        if (c.title) {
            EXPECT_EQ(c.title, title) << item;
        }
        EXPECT_TRUE(boxes_.empty()) << item << ": " << (boxes_.empty() ? "" : boxes_[0]);
        boxes_.clear();
        const std::vector<std::string> names = kvtest::UndoNames(doc_->GetHistory());
        if (c.result == Nothing) {
            EXPECT_EQ(stepsBefore, kvtest::UndoSteps(doc_->GetHistory())) << item << " records nothing";
            CloseDocument();
            continue;
        }
        ASSERT_EQ(stepsBefore + 1, kvtest::UndoSteps(doc_->GetHistory())) << item;
        EXPECT_EQ(c.step, names.front()) << item;
        for (int t = 0; t < 2; ++t) {
            const std::vector<uint8_t> after = ReadTrackBytes(doc_, t);
            EXPECT_EQ(t < c.tracks && c.result != Shaped, before[t] != after) << item << " track " << t;
            EXPECT_EQ(t < c.tracks && c.result == Shaped, levels[t] != Levels(t)) << item << " track " << t;
            if (t >= c.tracks)
                continue;
            if (c.result == Changed || c.result == Shaped)
                continue;
            // Reverse and Mute: exactly the range's frames reversed, or silent.
            std::vector<int16_t> expected(before[t].size() / 2), got(after.size() / 2);
            std::memcpy(expected.data(), before[t].data(), before[t].size());
            std::memcpy(got.data(), after.data(), after.size());
            const size_t ch = c.channels, from = size_t(kFrom) * ch, to = size_t(kTo) * ch;
            if (c.result == Muted) {
                std::fill(expected.begin() + from, expected.begin() + to, int16_t(0));
            } else {
                for (size_t a = from, b = to - ch; a < b; a += ch, b -= ch)
                    std::swap_ranges(expected.begin() + a, expected.begin() + a + ch, expected.begin() + b);
            }
            EXPECT_TRUE(expected == got) << item << " track " << t;
        }
        ASSERT_EQ(S_OK, doc_->GetHistory()->Undo()) << item;
        for (int t = 0; t < 2; ++t) {
            EXPECT_EQ(before[t], ReadTrackBytes(doc_, t)) << item << " undone, track " << t;
            EXPECT_EQ(levels[t], Levels(t)) << item << " undone, track " << t;
            EXPECT_EQ(c.channels, doc_->GetTrackChannels(t)) << item << " undone, track " << t;
        }
        CloseDocument();
    }
}

TEST_F(EffectMenuTest, ItemsAreGreyedWhereTheyCannotRun)
{
    // Every dialog's item opens on a document with selected tracks.
    TwoTrackDocument(2);
    for (UINT id : {UINT(ID_EFFECT_GAIN), UINT(ID_SAMPLE_TYPE), UINT(ID_EFFECT_FM_TONE), UINT(ID_EFFECT_SIMPLE_TONE),
                    UINT(ID_EFFECT_SILENCE), UINT(ID_EFFECT_NOISE), UINT(ID_SPLIT_WAVEFORM)})
        EXPECT_TRUE(OpenToItem(id)) << id;
    // Without a selected track there is nothing to process; the generators need no selection.
    doc_->GetSelection()->SetTrackSelected(-1, FALSE);
    for (UINT id : {UINT(ID_EFFECT_GAIN), UINT(ID_EFFECT_GRAPHIC_EQ10), UINT(ID_MONO_TO_STEREO),
                    UINT(ID_SPLIT_WAVEFORM)})
        EXPECT_FALSE(OpenToItem(id)) << id;
    for (UINT id :
         {UINT(ID_EFFECT_FM_TONE), UINT(ID_EFFECT_SIMPLE_TONE), UINT(ID_EFFECT_SILENCE), UINT(ID_EFFECT_NOISE)})
        EXPECT_TRUE(OpenToItem(id)) << id;
    CloseDocument();
}

} // namespace
