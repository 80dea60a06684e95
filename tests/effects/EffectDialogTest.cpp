// The effect dialog as a real window on documents of the real engine, opened by the document's
// own command handlers and driven through its controls: every row of the module table, the
// pages and tabs, presets in the registry, the bypass, refusals, and a failing OK.
#include "DialogScript.h"
#include "DocWiring.h"
#include "EffectDialog.h"
#include "EffectEnvironment.h"
#include "EffectFixture.h"
#include "EffectIds.h"
#include "EffectModuleTable.h"
#include "EffectPresetStore.h"
#include "EffectProgramHost.h"
#include "AudioRenderer.h"
#include "IEffectParameters.h"
#include "IGraphicEq.h"
#include "KvSEOfst.h"
#include "PaneSkin.h"
#include "RenderWorker.h"

#include <atomic>
#include <map>
#include <thread>

using namespace fxtest;

namespace {

constexpr int kTabs = IDC_EFFECT_TABS;

class EffectDialogTest : public EffectTest {
protected:
    void SetUp() override
    {
        EffectTest::SetUp();
        InstallEffectDialogs(nullptr);
    }
    void TearDown() override
    {
        RemoveEffectDialogs();
        EffectTest::TearDown();
    }
    // A document of one track of a second of a tone (and a little noise), selected whole.
    void ToneDocument(WORD channels)
    {
        NewDocument({channels});
        std::vector<int16_t> samples = Sine16(440, 44100, 44100, channels, 0.3);
        uint32_t seed = 12345;
        for (int16_t& s : samples) {
            seed = seed * 1664525u + 1013904223u;
            s = static_cast<int16_t>(s + static_cast<int16_t>((seed >> 16) % 200) - 100);
        }
        Fill16(0, samples);
        Select({0}, 0, 0);
    }
    // Runs the dialog of a descriptor of the table's row directly, as the launcher does.
    HRESULT RunRow(unsigned row, const char* name = "")
    {
        const EffectModuleEntry* entry = GetEffectModuleEntry(row);
        CEffectDescriptor descriptor(entry->moduleFile, entry->classId);
        descriptor.displayName = name;
        return DocWiring::RunEffectDialog(descriptor, doc_.get());
    }

    PaneSkin skin_;
};

// What the dialog showed while open.
struct Seen {
    std::string title;
    int tabs = -1;
    bool tabStop = false;
    bool helpEnabled = false;
    bool previewShown = false;
};

// Notes what the dialog shows, then presses OK (or the button given) and waits for it to go.
std::vector<std::function<bool()>> LookThenPress(Seen* seen, int button = IDOK)
{
    return {
        [seen] {
            HWND d = FindDialogWith(kTabs);
            if (!d)
                return false;
            seen->title = WindowText(d);
            HWND tabs = ::GetDlgItem(d, kTabs);
            seen->tabs = static_cast<int>(::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
            seen->tabStop = (::GetWindowLongA(tabs, GWL_STYLE) & WS_TABSTOP) != 0;
            seen->helpEnabled = ::IsWindowEnabled(::GetDlgItem(d, IDC_EFFECT_HELP)) != FALSE;
            seen->previewShown = ::IsWindowVisible(::GetDlgItem(d, IDC_EFFECT_PREVIEW)) != FALSE;
            return true;
        },
        // The click returns once the dialog has done its work.
        [button] {
            HWND d = FindDialogWith(kTabs);
            if (d)
                Click(d, button);
            return true;
        },
    };
}

TEST_F(EffectDialogTest, EveryRowOpensWithItsPagesAndItsOkIsOneStepUndoneSampleExact)
{
    ASSERT_TRUE(skin_.Loaded());
    struct Case {
        unsigned row;
        WORD channels;
        const char* step; // "" when the effect records nothing
    } cases[] = {
        {0, 2, "Effect"},  {1, 2, "Effect"},  {2, 2, "Effect"},  {3, 2, "Effect"},  {4, 2, "Effect"},
        {5, 2, "Effect"},  {6, 2, "Effect"},  {8, 2, "Effect"},  {9, 2, "Effect"},  {10, 2, "Effect"},
        {11, 2, "Effect"}, {12, 2, "Effect"}, {13, 2, "Effect"}, {14, 2, "Effect"}, {15, 2, "Effect"},
        {16, 2, "Effect"}, {17, 2, "Effect"}, {18, 2, "Effect"}, {19, 2, "Effect"}, {20, 2, ""},
        {21, 2, "Effect"}, {26, 1, "Mixing"}, {27, 2, "Mixing"}, {28, 2, "Effect"}, {29, 2, "Effect"},
        {30, 2, "Effect"},
    };
    for (const Case& c : cases) {
        const EffectModuleEntry* entry = GetEffectModuleEntry(c.row);
        ToneDocument(c.channels);
        const std::vector<uint8_t> before = TrackBytes(0);
        Seen seen;
        Script script(LookThenPress(&seen));
        doc_->RouteCommand(entry->commandId);
        EXPECT_TRUE(script.Finished() && !script.TimedOut()) << entry->moduleFile;
        EXPECT_TRUE(boxes_.empty()) << entry->moduleFile << ": " << (boxes_.empty() ? "" : boxes_[0]);
        boxes_.clear();
        EXPECT_GE(seen.tabs, 1) << entry->moduleFile << " shows its pages";
        EXPECT_EQ(seen.tabs >= 2, seen.tabStop) << entry->moduleFile;
        EXPECT_EQ(c.row != 20, seen.previewShown) << entry->moduleFile;
        if (!*c.step) {
            EXPECT_EQ(0, Steps()) << entry->moduleFile;
            continue;
        }
        EXPECT_EQ(std::vector<std::string>{c.step}, kvtest::UndoNames(doc_->GetHistory())) << entry->moduleFile;
        ASSERT_EQ(S_OK, doc_->GetHistory()->Undo()) << entry->moduleFile;
        EXPECT_EQ(before, TrackBytes(0)) << entry->moduleFile << " undone";
        EXPECT_EQ(c.channels, doc_->GetTrackChannels(0)) << entry->moduleFile;
    }
}

TEST_F(EffectDialogTest, TheEnvironmentFollowsTheFirstSelectedTrackAndTheDocument)
{
    struct Case {
        int channels;
        int mode, layout;
    } cases[] = {{0, 0, 0}, {1, 2, 1}, {2, 1, 2}, {3, 0, 0}, {6, 0, 3}};
    for (const Case& c : cases) {
        EffectEnvironment e = MakeEffectEnvironment(c.channels, 48000);
        EXPECT_EQ(c.mode, e.channelMode) << c.channels;
        EXPECT_EQ(c.layout, e.channelLayout) << c.channels;
        EXPECT_EQ(48000u, e.sampleRate);
        EXPECT_FALSE(e.workFolder.empty());
        EXPECT_NE('\\', e.workFolder.back());
    }
    // The equaliser hears the document's rate through its own interface.
    ASSERT_TRUE(skin_.Loaded());
    ToneDocument(2);
    int rate = 0;
    Script script({[&] {
                       HWND d = FindDialogWith(kTabs);
                       if (!d)
                           return false;
                       auto* dialog = dynamic_cast<CEffectDialog*>(CWnd::FromHandlePermanent(d));
                       ComRef<IGraphicEq> eq;
                       if (dialog && dialog->Filter())
                           dialog->Filter()->QueryInterface(__uuidof(IGraphicEq), eq.OutVoid());
                       if (eq)
                           eq->GetSampleRate(&rate);
                       Click(d, IDCANCEL);
                       return true;
                   },
                   [] { return FindDialogWith(kTabs) == nullptr; }});
    EXPECT_EQ(S_OK, RunRow(4, "10 band Graphic EQ"));
    EXPECT_EQ(44100, rate);
    EXPECT_EQ(0, Steps()) << "Cancel changes nothing";
}

// The page dialog shown in the effect dialog, and its first edit field.
HWND ShownPage(HWND dialog)
{
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char name[64] = {};
        ::GetClassNameA(c, name, sizeof name);
        if (std::string(name) == "#32770" && ::IsWindowVisible(c))
            return c;
    }
    return nullptr;
}

HWND FirstEdit(HWND page)
{
    for (HWND c = page ? ::GetWindow(page, GW_CHILD) : nullptr; c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char name[64] = {};
        ::GetClassNameA(c, name, sizeof name);
        if (_stricmp(name, "Edit") == 0)
            return c;
    }
    return nullptr;
}

TEST_F(EffectDialogTest, PagesAreSwitchedByTheirTabsAndAChangeReachesTheFilterAtOnce)
{
    ASSERT_TRUE(skin_.Loaded());
    ToneDocument(2);
    size_t pages = 0;
    std::vector<int> shown;
    HWND firstPage = nullptr, secondPage = nullptr;
    Script eq({[&] {
                   HWND d = FindDialogWith(kTabs);
                   if (!d)
                       return false;
                   auto* dialog = dynamic_cast<CEffectDialog*>(CWnd::FromHandlePermanent(d));
                   pages = dialog->PageCount();
                   firstPage = ShownPage(d);
                   ChooseTab(d, kTabs, 1);
                   shown.push_back(dialog->CurrentPage());
                   secondPage = ShownPage(d);
                   ChooseTab(d, kTabs, 0);
                   shown.push_back(dialog->CurrentPage());
                   Click(d, IDCANCEL);
                   return true;
               },
               [] { return FindDialogWith(kTabs) == nullptr; }});
    RunRow(4, "10 band Graphic EQ");
    EXPECT_EQ(2u, pages);
    EXPECT_EQ((std::vector<int>{1, 0}), shown);
    EXPECT_TRUE(firstPage && secondPage && firstPage != secondPage);

    double value = 0;
    Script gain({[&] {
                     HWND d = FindDialogWith(kTabs);
                     if (!d)
                         return false;
                     auto* dialog = dynamic_cast<CEffectDialog*>(CWnd::FromHandlePermanent(d));
                     HWND edit = FirstEdit(ShownPage(d));
                     if (!edit)
                         return false;
                     ::SetWindowTextA(edit, "-7");
                     ComRef<IEffectParameters> parameters;
                     dialog->Filter()->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid());
                     if (parameters)
                         parameters->GetParameter(0, &value);
                     Click(d, IDCANCEL);
                     return true;
                 },
                 [] { return FindDialogWith(kTabs) == nullptr; }});
    RunRow(0, "Gain");
    EXPECT_DOUBLE_EQ(-7.0, value) << "typed into the page, held by the filter before OK";
}

TEST_F(EffectDialogTest, PreviewWithoutAnOutputSaysSoAndOffStillAppliesTheEffect)
{
    ASSERT_TRUE(skin_.Loaded());
    ToneDocument(2);
    const std::vector<uint8_t> before = TrackBytes(0);
    Script script({[&] {
                       HWND d = FindDialogWith(kTabs);
                       if (!d)
                           return false;
                       Click(d, IDC_EFFECT_PREVIEW);
                       Click(d, IDC_EFFECT_OFF);
                       auto* dialog = dynamic_cast<CEffectDialog*>(CWnd::FromHandlePermanent(d));
                       ComRef<IEffectParameters> parameters;
                       dialog->Filter()->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid());
                       parameters->SetParameter(0, -6.0);
                       Click(d, IDOK);
                       return true;
                   }});
    ASSERT_EQ(S_OK, RunRow(0, "Gain"));
    if (CanCreateAudioRenderer())
        GTEST_SKIP() << "this machine has an audio output";
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("No playback capable device could be found.", boxes_[0]);
    EXPECT_EQ(1, Steps()) << "OK processes with the effect whatever ON or OFF says";
    EXPECT_NE(before, TrackBytes(0));
}

TEST_F(EffectDialogTest, AFailingOkKeepsTheDialogOpenAndRecordsNothing)
{
    ASSERT_TRUE(skin_.Loaded());
    ToneDocument(1);
    bool stayed = false;
    Script script({[&] {
                       HWND d = FindDialogWith(kTabs);
                       if (!d)
                           return false;
                       Click(d, IDOK);
                       stayed = FindDialogWith(kTabs) == d;
                       Click(d, IDCANCEL);
                       return true;
                   },
                   [] { return FindDialogWith(kTabs) == nullptr; }});
    // Remove Vocals takes stereo only.
    ASSERT_EQ(S_OK, RunRow(28, "Remove Vocals"));
    EXPECT_TRUE(stayed);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Stereo plugin. Use the New Window feature to output the data to a new window.", boxes_[0]);
    EXPECT_EQ(0, Steps());
    EXPECT_FALSE(doc_->IsModified());
}

TEST_F(EffectDialogTest, PresetsAreListedSavedRefusedAndDeletedAsTheUserAsks)
{
    ASSERT_TRUE(skin_.Loaded());
    ToneDocument(2);
    const CLSID eq = GetEffectModuleEntry(4)->classId;
    std::vector<std::string> first, afterRegister, afterDelete;
    int builtIn = 0;
    std::vector<std::string> asked;
    const std::string tooLong(20000, 'n');
    // Answers the preset name dialog with a name, then the question box with Yes.
    auto nameAs = [](const char* name) {
        return [name] {
            HWND ask = FindDialogWith(IDC_PRESET_NAME);
            if (!ask)
                return false;
            ::SetDlgItemTextA(ask, IDC_PRESET_NAME, name);
            Click(ask, IDOK);
            return true;
        };
    };
    AfxSetMessageBoxHook([&](const char* text, const char*, UINT) {
        asked.push_back(text);
        return IDYES;
    });
    HWND dialog = nullptr;
    Script script({[&] {
                       dialog = FindDialogWith(kTabs);
                       if (!dialog)
                           return false;
                       auto* d = dynamic_cast<CEffectDialog*>(CWnd::FromHandlePermanent(dialog));
                       builtIn = d->BuiltInPresetCount();
                       first = ComboItems(::GetDlgItem(dialog, IDC_EFFECT_PRESETS));
                       ::PostMessageA(::GetDlgItem(dialog, IDC_EFFECT_REGISTER_PRESET), BM_CLICK, 0, 0);
                       return true;
                   },
                   nameAs("Loud"),
                   [&] {
                       ::PostMessageA(::GetDlgItem(dialog, IDC_EFFECT_REGISTER_PRESET), BM_CLICK, 0, 0);
                       return true;
                   },
                   nameAs("loud"),
                   [&] {
                       ::PostMessageA(::GetDlgItem(dialog, IDC_EFFECT_REGISTER_PRESET), BM_CLICK, 0, 0);
                       return true;
                   },
                   // Longer than any registry value name: the write is refused and nothing is listed.
                   [&] { return nameAs(tooLong.c_str())(); },
                   [&] {
                       ::PostMessageA(::GetDlgItem(dialog, IDC_EFFECT_REGISTER_PRESET), BM_CLICK, 0, 0);
                       return true;
                   },
                   [&] { return nameAs(first.empty() ? "x" : first[0].c_str())(); },
                   [&] {
                       afterRegister = ComboItems(::GetDlgItem(dialog, IDC_EFFECT_PRESETS));
                       Choose(dialog, IDC_EFFECT_PRESETS, static_cast<int>(afterRegister.size()) - 1);
                       Click(dialog, IDC_EFFECT_DELETE_PRESET);
                       afterDelete = ComboItems(::GetDlgItem(dialog, IDC_EFFECT_PRESETS));
                       Click(dialog, IDCANCEL);
                       return true;
                   }});
    RunRow(4, "10 band Graphic EQ");
    ASSERT_TRUE(script.Finished() && !script.TimedOut());
    ASSERT_GT(builtIn, 0) << "the equaliser names presets of its own";
    EXPECT_EQ(static_cast<size_t>(builtIn), first.size()) << "no stored presets yet";
    ASSERT_EQ(first.size() + 1, afterRegister.size()) << "\"loud\" replaced \"Loud\"; the refused name is not listed";
    // The refused write is told (the system's text for the registry's refusal).
    EXPECT_EQ((std::vector<std::string>{"A preset with the same name already exists.\nOverwrite it?",
                                        "An invalid parameter was passed to the returning function.",
                                        "Cannot overwrite default presets.", "Delete preset?"}),
              asked);
    EXPECT_EQ(first, afterDelete);
    EXPECT_TRUE(ListPresetNames(ModuleFilter("KvSEGEQ1.dll", eq).Get()).empty());
}

} // namespace

namespace {

class EffectDialogDepthTest : public EffectDialogTest {};

TEST_F(EffectDialogDepthTest, DcOffsetsLastValueFollowsTheDocumentsDepth)
{
    ASSERT_TRUE(skin_.Loaded());
    const CLSID dcOffset = GetEffectModuleEntry(1)->classId;
    struct Case {
        int storedDepth, storedValue;
        WORD documentBits;
        int depth, value;
    } cases[] = {
        {16, 100, 32, 32, 30}, {8, 10, 16, 16, 2560}, {16, -300, 8, 8, -1}, {32, 1000, 16, 16, 3276}, {16, 77, 16, 16, 77},
    };
    for (const Case& c : cases) {
        {
            ComRef<IBaseFilter> filter = ModuleFilter("KvSEOfst.dll", dcOffset);
            ComRef<IDcOffsetSettings> settings;
            ASSERT_EQ(S_OK, filter->QueryInterface(__uuidof(IDcOffsetSettings), settings.OutVoid()));
            settings->SetMode(1);
            ASSERT_EQ(S_OK, settings->SetBitDepth(c.storedDepth));
            settings->SetValue(c.storedValue);
            ASSERT_EQ(S_OK, SaveEffectState(filter.Get(), kLastSettingsName));
        }
        NewDocument({1});
        ASSERT_EQ(S_OK, doc_->GetTrackSet()->SetFormat(c.documentBits, 44100));
        Select({0}, 0, 0);
        int depth = 0, value = 0;
        Script script({[&] {
            HWND d = FindDialogWith(kTabs);
            if (!d)
                return false;
            auto* dialog = dynamic_cast<CEffectDialog*>(CWnd::FromHandlePermanent(d));
            ComRef<IDcOffsetSettings> settings;
            dialog->Filter()->QueryInterface(__uuidof(IDcOffsetSettings), settings.OutVoid());
            settings->GetBitDepth(&depth);
            settings->GetValue(&value);
            Click(d, IDCANCEL);
            return true;
        }});
        RunRow(1, "DC Offset");
        EXPECT_EQ(c.depth, depth) << c.storedDepth << " -> " << c.documentBits;
        EXPECT_EQ(c.value, value) << c.storedDepth << " -> " << c.documentBits;
    }
}

TEST_F(EffectDialogTest, FadeAndCrossfadeOpenFromTheirCommands)
{
    ToneDocument(2);
    Select({0}, 1000, 20000);
    bool fadeOpened = false;
    Script fade({[&] {
        HWND d = FindDialogWith(5139);
        if (!d)
            return false;
        fadeOpened = true;
        Click(d, IDOK);
        return true;
    }});
    doc_->RouteCommand(1117);
    EXPECT_TRUE(fadeOpened);
    EXPECT_EQ(1, Steps()) << "the fade dialog records its fade";
    bool crossfadeOpened = false;
    Script crossfade({[&] {
        HWND d = FindDialogWith(5124);
        if (!d)
            return false;
        crossfadeOpened = true;
        Click(d, IDCANCEL);
        return true;
    }});
    doc_->RouteCommand(1118);
    EXPECT_TRUE(crossfadeOpened || !boxes_.empty()) << "the crossfade dialog opened or said why not";
}

TEST_F(EffectDialogTest, DuringALongApplyTheDialogsThreadAnswersWithinATenthOfASecond)
{
    ASSERT_TRUE(skin_.Loaded());
    NewDocument({2});
    Fill16(0, Sine16(440, 44100, 60 * 44100, 2, 0.3));
    Select({0}, 0, 0);
    std::atomic<bool> running{false}, done{false};
    std::atomic<int> answers{0}, late{0};
    HWND dialog = nullptr;
    std::thread pinger([&] {
        while (!done) {
            if (running && dialog) {
                DWORD_PTR result = 0;
                if (::SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 100, &result))
                    ++answers;
                else if (::IsWindow(dialog)) {
                    // A send that met the step's recording and the dialog's closing goes
                    // unanswered with the window: that is not the apply.
                    ::Sleep(200);
                    if (::IsWindow(dialog))
                        ++late;
                }
            }
            ::Sleep(20);
        }
    });
    Script script({[&] {
        dialog = FindDialogWith(kTabs);
        if (!dialog)
            return false;
        running = true;
        Click(dialog, IDOK);
        running = false;
        return true;
    }});
    RunRow(10, "Reverb");
    done = true;
    pinger.join();
    EXPECT_EQ(1, Steps());
    EXPECT_GT(answers.load(), 5) << "the apply took long enough to be asked";
    EXPECT_EQ(0, late.load());
}

} // namespace
