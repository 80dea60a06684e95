// The format conversion graph driven track by track, with progress, cancel and item lists.
#include "EngineFixture.h"
#include "FormatConverter.h"
#include "GraphHelpers.h"
#include "GraphRunner.h"
#include "IKsDShowSource.h"
#include "ITracksWriterOutput.h"
#include "TestFilters.h"
#include "UnusableTempFolder.h"

#include <gtest/gtest.h>

#include <control.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace kvtest;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A message-only window that records the progress messages it gets and can cancel.
struct ProgressWindow {
    struct Message {
        WPARAM code;
        LONG value;
        std::string text;
    };
    static std::vector<Message>& Log()
    {
        static std::vector<Message> log;
        return log;
    }
    static bool& CancelOnStep()
    {
        static bool cancel = false;
        return cancel;
    }
    // A graph to stop behind the converter's back at the first step.
    static IFilterGraph*& StopGraphOnStep()
    {
        static IFilterGraph* graph = nullptr;
        return graph;
    }
    // Called with every code that arrives.
    static std::function<void(WPARAM)>& OnCode()
    {
        static std::function<void(WPARAM)> f;
        return f;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == kProgressMessage) {
            auto* record = reinterpret_cast<ProgressRecord*>(lp);
            Log().push_back({wp, record->value, record->text});
            if (OnCode())
                OnCode()(wp);
            EXPECT_EQ(0, record->cancel) << "the record goes out with the cancel flag clear";
            if (wp == kProgressStep && CancelOnStep())
                record->cancel = 1;
            if (wp == kProgressStep && StopGraphOnStep()) {
                IMediaControl* control = nullptr;
                StopGraphOnStep()->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
                control->Stop();
                control->Release();
                StopGraphOnStep() = nullptr;
            }
            return 0;
        }
        return DefWindowProcA(w, msg, wp, lp);
    }
    ProgressWindow()
    {
        Log().clear();
        CancelOnStep() = false;
        StopGraphOnStep() = nullptr;
        OnCode() = nullptr;
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvProgressProbe";
        RegisterClassA(&wc);
        hwnd = CreateWindowA("KvProgressProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~ProgressWindow()
    {
        OnCode() = nullptr;
        DestroyWindow(hwnd);
    }
    HWND hwnd = nullptr;
};

// Pauses a running graph. A paused writer holds back the end of its stream, so the run cannot
// complete before the converter's first progress step, however fast the machine converts.
void PauseGraph(IFilterGraph* graph)
{
    IMediaControl* control = nullptr;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)));
    EXPECT_TRUE(SUCCEEDED(control->Pause()));
    control->Release();
}

struct ConvertedItem {
    MtFileItemRecord info;
    LONG trackId;
};

std::vector<ConvertedItem> Items(IMtItemList* list)
{
    std::vector<ConvertedItem> items;
    list->ResetItems(0);
    IUnknown* unknown = nullptr;
    LONG id = 0;
    while (list->NextItem(&unknown, &id) == S_OK) {
        IMtItem* item = nullptr;
        ConvertedItem c{};
        c.trackId = id;
        if (SUCCEEDED(unknown->QueryInterface(__uuidof(IMtItem), reinterpret_cast<void**>(&item)))) {
            item->GetInfo(&c.info);
            item->Release();
        }
        unknown->Release();
        items.push_back(c);
    }
    return items;
}

double WorstSineError(const std::vector<uint8_t>& floats, WORD channels, WORD channel, double freq, double rate,
                      double amp, double phase)
{
    auto* f = reinterpret_cast<const float*>(floats.data());
    size_t frames = floats.size() / 4 / channels;
    double worst = 0;
    for (size_t i = frames / 10; i < frames * 9 / 10; ++i)
        worst =
            std::max(worst, std::fabs(f[i * channels + channel] - amp * std::sin(2 * kPi * freq * i / rate + phase)));
    return worst;
}

class FormatConversion : public ::testing::Test {
protected:
    // The converter built and connected to the engine's marked tracks, for 48 kHz 24-bit stereo.
    void ConnectToEngine(FormatConverter& converter)
    {
        ASSERT_EQ(S_OK, converter.Build());
        IKsDShowSource* source = nullptr;
        ASSERT_EQ(S_OK,
                  converter.Source()->QueryInterface(__uuidof(IKsDShowSource), reinterpret_cast<void**>(&source)));
        source->AttachEngine(engine.Set(), 0, 0);
        source->Release();
        converter.SetTargetFormat(48000, 24, 2, 8);
        ASSERT_EQ(S_OK, converter.Connect());
    }

    ComScope com;
    EngineFixture engine;
};

} // namespace

TEST_F(FormatConversion, ConvertsATwoTrackDocumentAndKeepsMarksAndRange)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(1000, 44100, 44100, 2), 2));
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(3000, 44100, 22050, 1), 1, 1000));
    engine.Selection()->SetAllTracks(0);
    engine.Selection()->SelectTrack(1, 1);
    engine.Selection()->SetRange(100, 900);
    IMtItemList* receiver = engine.NewItemList();
    ASSERT_NE(nullptr, receiver);

    FormatConverter converter;
    ProgressWindow progress;
    ASSERT_EQ(S_OK, ConvertFileFormat(converter, engine.Set(), 48000, 24, progress.hwnd, 8, receiver));

    LONG marked = 0;
    engine.Selection()->IsTrackMarked(0, &marked);
    EXPECT_EQ(0, marked);
    engine.Selection()->IsTrackMarked(1, &marked);
    EXPECT_EQ(1, marked);
    LONGLONG start = 0, end = 0;
    engine.Selection()->GetRange(&start, &end);
    EXPECT_EQ(100, start);
    EXPECT_EQ(900, end);

    std::vector<ConvertedItem> items = Items(receiver);
    ASSERT_EQ(2u, items.size());
    const WORD channels[] = {2, 1};
    const size_t frames[] = {48000, 24000};
    const double freqs[] = {1000, 3000};
    for (size_t t = 0; t < 2; ++t) {
        EXPECT_EQ(48000u, items[t].info.samplesPerSec);
        EXPECT_EQ(24, items[t].info.bitsPerSample);
        EXPECT_EQ(channels[t], items[t].info.channels);
        LONG id = 0;
        engine.Set()->TrackIndexToId(LONG(t), &id);
        EXPECT_EQ(id, items[t].trackId);
        std::vector<uint8_t> data = ReadFileBytes(items[t].info.path);
        ASSERT_EQ(frames[t] * channels[t] * 4, data.size()) << "track " << t;
        for (WORD c = 0; c < channels[t]; ++c)
            EXPECT_LT(WorstSineError(data, channels[t], c, freqs[t], 48000, 0.5 * 32767 / 32768, c), 2.0 / 32768);
    }
    receiver->Release();
}

TEST_F(FormatConversion, ReportsProgressInFloatingPointAndFinishesAtOneHundred)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 44100 * 30, 2), 2));
    IMtItemList* receiver = engine.NewItemList();
    FormatConverter converter;
    ProgressWindow progress;
    ASSERT_EQ(S_OK, ConvertFileFormat(converter, engine.Set(), 96000, 24, progress.hwnd, 8, receiver));
    const auto& log = ProgressWindow::Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(kProgressStarted, log.front().code);
    EXPECT_EQ(0, log.front().value);
    EXPECT_EQ("Resampling the data...", log.front().text);
    EXPECT_EQ(kProgressFinished, log.back().code);
    EXPECT_EQ(100, log.back().value);
    LONG last = 0;
    for (const auto& m : log) {
        if (m.code != kProgressStep)
            continue;
        EXPECT_GE(m.value, last) << "progress never goes back";
        EXPECT_LE(m.value, 100);
        last = m.value;
    }
    receiver->Release();

    FormatConverter quiet;
    EXPECT_FALSE(quiet.NotifyProgress(kProgressStep, "x", 5)) << "no window: no message, no cancel";
}

TEST(ProgressPercent, IsExactBeforeTheEndAndNeverDividesByZero)
{
    struct Case {
        LONGLONG position, duration;
        LONG percent;
    } cases[] = {
        {0, 0, 0},         {5, 0, 0},         {-5, 100, 0},
        {1, 3, 33},        {2, 3, 66},        {999, 1000, 99},
        {1000, 1000, 100}, {1200, 1000, 100}, {600000000LL * 441, 1200000000LL * 441, 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.percent, ProgressPercent(c.position, c.duration)) << c.position << " of " << c.duration;
}

TEST_F(FormatConversion, CancelledConversionStopsCleanlyAndLeavesNoFiles)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 44100 * 180, 2), 2)); // three minutes
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 44100, 1), 1));
    engine.Selection()->SetRange(7, 70);
    IMtItemList* receiver = engine.NewItemList();
    FormatConverter converter;
    ProgressWindow progress;
    ProgressWindow::CancelOnStep() = true;
    ProgressWindow::OnCode() = [&converter](WPARAM code) {
        if (code == kProgressStarted)
            PauseGraph(converter.Graph());
    };
    std::vector<std::string> before = TempFiles();
    EXPECT_EQ(kConversionCancelled, ConvertFileFormat(converter, engine.Set(), 48000, 24, progress.hwnd, 8, receiver));
    EXPECT_EQ(before, TempFiles()) << "no data or peak file is left";
    EXPECT_TRUE(receiver->IsEmpty()) << "the second track is not converted after a cancel";
    const auto& log = ProgressWindow::Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(kProgressStep, log[log.size() - 2].code);
    EXPECT_EQ(kProgressCancelled, log.back().code);
    EXPECT_EQ(log[log.size() - 2].value, log.back().value) << "the cancel reports the last step's percent";
    // The writer names its files only once they are whole; whatever it names is gone.
    char data[MAX_PATH] = "x", peak[MAX_PATH] = "x";
    ITracksWriterOutput* output = nullptr;
    ASSERT_EQ(S_OK,
              converter.Writer()->QueryInterface(__uuidof(ITracksWriterOutput), reinterpret_cast<void**>(&output)));
    output->GetDataFileName(data);
    output->GetPeakFileName(peak);
    output->Release();
    EXPECT_FALSE(*data && FileExists(data)) << data;
    EXPECT_FALSE(*peak && FileExists(peak)) << peak;
    LONGLONG start = 0, end = 0;
    engine.Selection()->GetRange(&start, &end);
    EXPECT_EQ(7, start);
    EXPECT_EQ(70, end);
    FILTER_STATE state;
    EXPECT_EQ(S_OK, converter.Writer()->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    receiver->Release();
}

TEST_F(FormatConversion, GraphThatStopsByItselfCountsAsCancelled)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 44100 * 180, 2), 2));
    engine.Selection()->SelectTrack(0, 1);
    FormatConverter converter;
    ProgressWindow progress;
    converter.SetProgressWindow(progress.hwnd);
    ConnectToEngine(converter);
    if (HasFatalFailure())
        return;
    ProgressWindow::StopGraphOnStep() = converter.Graph();
    ProgressWindow::OnCode() = [&converter](WPARAM code) {
        if (code == kProgressStarted)
            PauseGraph(converter.Graph());
    };
    EXPECT_EQ(kConversionCancelled, converter.Run()) << "stopped without an event, yet the run ends";
    EXPECT_EQ(kProgressCancelled, ProgressWindow::Log().back().code);
    EXPECT_EQ(S_OK, converter.Disconnect());
}

// A writer whose folder cannot hold files refuses to start: the run ends with its reason, every
// filter stopped, and the same converter runs whole once the folder is back.
TEST_F(FormatConversion, RunWhoseWriterCannotStartEndsWithItsErrorAndStopsEveryFilter)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 44100, 2), 2));
    engine.Selection()->SelectTrack(0, 1);
    FormatConverter converter;
    ConnectToEngine(converter);
    if (HasFatalFailure())
        return;
    HRESULT hr = S_OK;
    {
        UnusableTempFolder unusable;
        ASSERT_TRUE(unusable.Ok());
        hr = converter.Run();
    }
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIRECTORY), hr);
    for (IBaseFilter* filter : {converter.Source(), converter.Writer()}) {
        FILTER_STATE state = State_Running;
        EXPECT_EQ(S_OK, filter->GetState(100, &state));
        EXPECT_EQ(State_Stopped, state);
    }
    EXPECT_EQ(S_OK, converter.Run());
    EXPECT_EQ(S_OK, converter.Disconnect());
}

// The writer still names the files of the track before when the next track fails before its
// run; those files belong to the receiver by then.
TEST_F(FormatConversion, TrackThatCannotConnectLeavesTheFilesOfEarlierTracksAlone)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 5000, 2), 2));
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 5000, 1), 1));
    IMtItemList* receiver = engine.NewItemList();
    FormatConverter converter;
    ProgressWindow progress;
    bool removed = false;
    char data[MAX_PATH] = {}, peak[MAX_PATH] = {};
    ProgressWindow::OnCode() = [&](WPARAM code) {
        if (code == kProgressFinished && !removed) {
            removed = true; // without an engine the source has nothing to connect with
            ITracksWriterOutput* output = nullptr;
            converter.Writer()->QueryInterface(__uuidof(ITracksWriterOutput), reinterpret_cast<void**>(&output));
            output->GetDataFileName(data);
            output->GetPeakFileName(peak);
            output->Release();
            IKsDShowSource* source = nullptr;
            converter.Source()->QueryInterface(__uuidof(IKsDShowSource), reinterpret_cast<void**>(&source));
            EXPECT_EQ(S_OK, source->AttachEngine(nullptr, 0, 0));
            source->Release();
        }
    };
    EXPECT_TRUE(FAILED(ConvertFileFormat(converter, engine.Set(), 48000, 16, progress.hwnd, 8, receiver)));
    std::vector<ConvertedItem> items = Items(receiver);
    ASSERT_EQ(1u, items.size());
    EXPECT_STREQ(data, items[0].info.path);
    EXPECT_TRUE(FileExists(data)) << "the first track's files stay with its item";
    EXPECT_TRUE(FileExists(peak));
    receiver->Release();
}

TEST_F(FormatConversion, ConversionWithoutReceiverLeavesNoFiles)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 5000, 2), 2));
    std::vector<std::string> before = TempFiles();
    FormatConverter converter;
    EXPECT_EQ(S_OK, ConvertFileFormat(converter, engine.Set(), 48000, 16, nullptr, 8, nullptr));
    EXPECT_EQ(before, TempFiles());
}

TEST_F(FormatConversion, EmptyDocumentConvertsNothing)
{
    ASSERT_TRUE(engine.Ok());
    IMtItemList* receiver = engine.NewItemList();
    FormatConverter converter;
    EXPECT_EQ(S_OK, ConvertFileFormat(converter, engine.Set(), 48000, 16, nullptr, 8, receiver));
    EXPECT_TRUE(receiver->IsEmpty());
    receiver->Release();
}

// An empty track's range is empty, which to the source alone would mean the whole document.
TEST_F(FormatConversion, EmptyTrackConvertsToAnEmptyFile)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(1000, 44100, 5000, 2), 2, 300));
    IMtTrack* empty = nullptr;
    ASSERT_EQ(S_OK, engine.Set()->InsertTrack(0, 1, &empty, -1));
    empty->Release();
    IMtItemList* receiver = engine.NewItemList();
    FormatConverter converter;
    ASSERT_EQ(S_OK, ConvertFileFormat(converter, engine.Set(), 44100, 16, nullptr, 8, receiver));
    std::vector<ConvertedItem> items = Items(receiver);
    ASSERT_EQ(2u, items.size()) << "one item per track, in track order";
    EXPECT_EQ(5000u * 2 * 2, ReadFileBytes(items[0].info.path).size());
    EXPECT_EQ(1, items[1].info.channels);
    EXPECT_EQ(0u, ReadFileBytes(items[1].info.path).size()) << "no sound made up for an empty track";
    receiver->Release();
}

TEST_F(FormatConversion, ConvertTrackFileTurnsItemsIntoConvertedFiles)
{
    ASSERT_TRUE(engine.Ok());
    IMtItemList* items =
        engine.NewFileItems({Sine16(500, 22050, 11025, 1), Sine16(800, 22050, 22050, 2)}, {1, 2}, 22050);
    ASSERT_NE(nullptr, items);
    IMtItemList* receiver = engine.NewItemList();
    ASSERT_EQ(S_OK, ConvertTrackFile(items, 44100, 16, nullptr, 8, receiver));
    std::vector<ConvertedItem> out = Items(receiver);
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ(1, out[0].info.channels);
    EXPECT_EQ(2, out[1].info.channels);
    EXPECT_EQ(44100u, out[1].info.samplesPerSec);
    EXPECT_EQ(16, out[1].info.bitsPerSample);
    EXPECT_EQ(22050u * 2, ReadFileBytes(out[0].info.path).size());
    EXPECT_EQ(44100u * 4, ReadFileBytes(out[1].info.path).size());
    items->Release();
    receiver->Release();
}

// A track set holds one rate, so a list of mixed rates is converted run by run: every item
// from its own rate, exactly as it converts alone, and the receiver gets them in list order.
TEST_F(FormatConversion, ConvertTrackFileConvertsItemsOfMixedRates)
{
    ASSERT_TRUE(engine.Ok());
    struct Block {
        std::vector<int16_t> samples;
        WORD channels;
        DWORD rate;
    };
    const std::vector<Block> blocks = {
        {Sine16(500, 22050, 11025, 1), 1, 22050},
        {Sine16(300, 22050, 4410, 2), 2, 22050},
        {Sine16(800, 48000, 24000, 2), 2, 48000},
    };
    std::vector<IMtItemList*> receivers; // the written files live as long as their items
    auto convert = [&](const std::vector<size_t>& which, DWORD target, HRESULT* hr) {
        std::vector<std::vector<int16_t>> samples;
        std::vector<WORD> channels;
        std::vector<DWORD> rates;
        for (size_t i : which) {
            samples.push_back(blocks[i].samples);
            channels.push_back(blocks[i].channels);
            rates.push_back(blocks[i].rate);
        }
        IMtItemList* items = engine.NewFileItems(samples, channels, rates);
        IMtItemList* receiver = engine.NewItemList();
        *hr = items && receiver ? ConvertTrackFile(items, target, 16, nullptr, 8, receiver) : E_FAIL;
        std::vector<ConvertedItem> out = receiver ? Items(receiver) : std::vector<ConvertedItem>{};
        if (items)
            items->Release();
        if (receiver)
            receivers.push_back(receiver);
        return out;
    };
    for (DWORD target : {48000u, 22050u}) {
        SCOPED_TRACE(testing::Message() << "to " << target << " Hz");
        HRESULT hr = E_FAIL;
        std::vector<ConvertedItem> out = convert({0, 1, 2}, target, &hr);
        ASSERT_EQ(S_OK, hr);
        ASSERT_EQ(blocks.size(), out.size());
        for (size_t i = 0; i < blocks.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "item " << i << " at " << blocks[i].rate << " Hz");
            EXPECT_EQ(LONG(i + 1), out[i].trackId) << "numbered across the list";
            EXPECT_EQ(target, out[i].info.samplesPerSec);
            EXPECT_EQ(16, out[i].info.bitsPerSample);
            EXPECT_EQ(blocks[i].channels, out[i].info.channels);
            std::vector<uint8_t> written = ReadFileBytes(out[i].info.path);
            if (blocks[i].rate == target) {
                ASSERT_EQ(blocks[i].samples.size() * 2, written.size());
                EXPECT_EQ(0, std::memcmp(written.data(), blocks[i].samples.data(), written.size()));
                continue;
            }
            HRESULT aloneHr = E_FAIL;
            std::vector<ConvertedItem> alone = convert({i}, target, &aloneHr);
            ASSERT_EQ(S_OK, aloneHr);
            ASSERT_EQ(1u, alone.size());
            EXPECT_TRUE(written == ReadFileBytes(alone[0].info.path)) << "the resampler's own output for the item";
            EXPECT_EQ(blocks[i].samples.size() / blocks[i].channels * target / blocks[i].rate,
                      written.size() / 2 / blocks[i].channels);
        }
    }
    for (IMtItemList* receiver : receivers)
        receiver->Release();
}

// An item whose format no track set can hold fails with a code that says so; the items
// before it stay delivered.
TEST_F(FormatConversion, ConvertTrackFileRefusesAnItemOfAnUnusableRateTruthfully)
{
    ASSERT_TRUE(engine.Ok());
    IMtItemList* items =
        engine.NewFileItems({Sine16(500, 22050, 2205, 1), Sine16(50, 500, 500, 1)}, {1, 1}, {22050, 500});
    ASSERT_NE(nullptr, items);
    IMtItemList* receiver = engine.NewItemList();
    HRESULT hr = ConvertTrackFile(items, 44100, 16, nullptr, 8, receiver);
    EXPECT_EQ(kMtErrFormatNotSupported, hr) << "\"Specified file format is not supported.\"";
    std::vector<ConvertedItem> out = Items(receiver);
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(44100u * 2 / 10, ReadFileBytes(out[0].info.path).size());
    items->Release();
    receiver->Release();
}

TEST(GraphHelpers, FindPinByDirectionFindsTheFirstPinOfADirection)
{
    ComScope com;
    TestGain* gain = TestGain::New(1);
    TestRenderer* sink = TestRenderer::New();
    struct Case {
        IBaseFilter* filter;
        PIN_DIRECTION dir;
        HRESULT result;
        const wchar_t* name;
    } cases[] = {
        {gain, PINDIR_INPUT, S_OK, L"In"},
        {gain, PINDIR_OUTPUT, S_OK, L"Out"},
        {sink, PINDIR_INPUT, S_OK, L"In"},
        {sink, PINDIR_OUTPUT, E_FAIL, nullptr},
    };
    for (const Case& c : cases) {
        IPin* pin = reinterpret_cast<IPin*>(1);
        EXPECT_EQ(c.result, FindPinByDirection(c.filter, c.dir, &pin));
        if (!c.name) {
            EXPECT_EQ(nullptr, pin);
            continue;
        }
        ASSERT_NE(nullptr, pin);
        PIN_INFO info{};
        pin->QueryPinInfo(&info);
        EXPECT_STREQ(c.name, info.achName);
        info.pFilter->Release();
        pin->Release();
    }
    EXPECT_EQ(1u, RefCount(static_cast<IBaseFilter*>(gain))) << "no reference left behind";
    gain->Release();
    sink->Release();
}

TEST_F(FormatConversion, LeavesNoObjectOfTheModulesAlive)
{
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(1000, 44100, 10000, 2), 2));
    IMtItemList* receiver = engine.NewItemList();
    {
        FormatConverter converter;
        ASSERT_EQ(S_OK, ConvertFileFormat(converter, engine.Set(), 32000, 16, nullptr, 8, receiver));
    }
    receiver->Release();
    for (const char* name : {"KsDShowSrc.dll", "KvSEAttr.dll", "KsTrksWt.dll"}) {
        using CanUnloadFn = HRESULT(WINAPI*)();
        auto can = reinterpret_cast<CanUnloadFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(name), "DllCanUnloadNow")));
        ASSERT_NE(nullptr, can) << name;
        EXPECT_EQ(S_OK, can()) << name;
    }
}
