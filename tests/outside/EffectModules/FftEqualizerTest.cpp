// The FFT equaliser's own interface and page as the program's dialog uses them: the record is
// taken whole or refused whole, the analysis keeps one channel's spectrum (kept and put back
// around a job), and the page answers the dialog's refresh double-click and its
// "WM_FFTEQ_BUTTONDOWN" stages, in a real window with real messages.
#include "EffectModuleKit.h"

#include "ComObject.h"
#include "FftEqKernel.h"
#include "IEffectParameters.h"
#include "KvSEFFEQ.h"

#include <ocidl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

using namespace fxtest;

namespace {

constexpr int kCurve = 1063, kFrequencyEdit = 2200, kGainEdit = 2201;

const ModuleRow& EqRow()
{
    for (const ModuleRow& row : Modules())
        if (row.clsid == CLSID_KvSEFFEQ)
            return row;
    throw std::runtime_error("no KvSEFFEQ row");
}

class FftEqualizer : public testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

std::vector<float> Spectrum(IUnknown* filter, UINT* rate = nullptr)
{
    auto source = Query<IFftEqualizerSpectrum>(filter);
    UINT bins = 0, r = 0;
    EXPECT_EQ(source->GetSpectrum(nullptr, 0, &bins, &r), S_OK);
    std::vector<float> levels(bins);
    source->GetSpectrum(levels.data(), bins, &bins, &r);
    if (rate)
        *rate = r;
    return levels;
}

size_t LoudestBin(const std::vector<float>& levels)
{
    return size_t(std::max_element(levels.begin(), levels.end()) - levels.begin());
}

// A stereo float sound with one tone in each channel, analysed as the dialog's worker does.
HRESULT Analyse(IBaseFilter* filter, double left, double right, int channel, size_t frames = 44100)
{
    auto eq = Query<IFftEqualizer>(filter);
    eq->SelectChannel(channel);
    eq->SetAnalysisMode(1);
    auto in = Sine(left, 0.5, 44100, frames, 2);
    const auto r = Sine(right, 0.5, 44100, frames, 1);
    for (size_t i = 0; i < frames; ++i)
        in[2 * i + 1] = r[i];
    const auto bytes = ToBytes(in, true);
    HRESULT connect = E_FAIL;
    const auto out = RunGraph(filter, Wave(true, 2), bytes, 4410, &connect);
    EXPECT_EQ(out, bytes) << "the analysed sound passes unchanged";
    eq->SetAnalysisMode(0);
    return connect;
}

size_t BinOf(double frequency)
{
    return size_t(std::lround(frequency * 4096 / 44100));
}

} // namespace

TEST_F(FftEqualizer, RecordIsTakenWholeOrRefusedWhole)
{
    auto filter = CreateFilter(EqRow());
    auto eq = Query<IFftEqualizer>(filter.Get());
    ASSERT_TRUE(eq);
    const FftEqParameters good{0, 0, 1024, 256, 2, -90, -6, 1, 1};
    ASSERT_EQ(eq->SetParameters(&good), S_OK);
    FftEqParameters read{};
    ASSERT_EQ(eq->GetParameters(&read), S_OK);
    EXPECT_EQ(std::memcmp(&read, &good, sizeof good), 0);

    struct Bad {
        const char* what;
        FftEqParameters p;
    } bad[] = {
        {"size no power of two", {0, 0, 1000, 0, 0, -96, 0, 0, 0}},
        {"size too small", {0, 0, 64, 0, 0, -96, 0, 0, 0}},
        {"size too large", {0, 0, 131072, 0, 0, -96, 0, 0, 0}},
        {"overlap the size", {0, 0, 512, 512, 0, -96, 0, 0, 0}},
        {"overlap past the size", {0, 0, 512, 4000, 0, -96, 0, 0, 0}},
        {"window 6", {0, 0, 512, 0, 6, -96, 0, 0, 0}},
        {"window -1", {0, 0, 512, 0, -1, -96, 0, 0, 0}},
        {"maximum at the minimum", {0, 0, 512, 0, 0, -10, -10, 0, 0}},
        {"maximum below the minimum", {0, 0, 512, 0, 0, 0, -96, 0, 0}},
        {"bounds apart only before clamping", {0, 0, 512, 0, 0, -900, -800, 0, 0}},
    };
    for (const auto& b : bad) {
        EXPECT_EQ(eq->SetParameters(&b.p), E_INVALIDARG) << b.what;
        eq->GetParameters(&read);
        EXPECT_EQ(std::memcmp(&read, &good, sizeof good), 0) << b.what << ": nothing may change";
    }
    EXPECT_EQ(eq->SetParameters(nullptr), E_POINTER);

    // What is merely out of range is clamped; the bounds may cross the old ones either way.
    const FftEqParameters wide{7, 9, 65536, -5, 5, -500, 100, 4, 9};
    EXPECT_EQ(eq->SetParameters(&wide), S_FALSE);
    eq->GetParameters(&read);
    const FftEqParameters clamped{0, 0, 65536, 0, 5, -200, 60, 1, 5};
    EXPECT_EQ(std::memcmp(&read, &clamped, sizeof read), 0);
    const FftEqParameters high{0, 0, 128, 127, 0, 20, 50, 0, 0};
    EXPECT_EQ(eq->SetParameters(&high), S_OK);
    const FftEqParameters low{0, 0, 128, 0, 0, -100, -60, 0, 0};
    EXPECT_EQ(eq->SetParameters(&low), S_OK);
    eq->GetParameters(&read);
    EXPECT_EQ(std::memcmp(&read, &low, sizeof read), 0);

    // The overlap follows a smaller size through the parameter table too.
    eq->SetParameters(&good);
    auto params = Query<IEffectParameters>(filter.Get());
    EXPECT_EQ(params->SetParameter(fx::kFeqFftSize, 200), S_FALSE);
    eq->GetParameters(&read);
    EXPECT_EQ(read.fftSize, 256);
    EXPECT_EQ(params->SetParameter(fx::kFeqFftSize, 128), S_OK);
    eq->GetParameters(&read);
    EXPECT_EQ(read.overlap, 127);
}

TEST_F(FftEqualizer, AnalysisAveragesTheChosenChannelAndTheJobsKeepOrRestoreIt)
{
    auto filter = CreateFilter(EqRow());
    auto eq = Query<IFftEqualizer>(filter.Get());
    EXPECT_TRUE(Spectrum(filter.Get()).empty()) << "no analysis yet";

    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 1), S_OK);
    UINT rate = 0;
    auto levels = Spectrum(filter.Get(), &rate);
    ASSERT_EQ(levels.size(), 2049u);
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(LoudestBin(levels), BinOf(1000));
    // A channel past the sound's last is its last.
    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 5), S_OK);
    EXPECT_EQ(LoudestBin(Spectrum(filter.Get())), BinOf(1000));

    // A failed reanalysis (or a preview) puts the kept spectrum back; a good one keeps the new.
    ASSERT_EQ(eq->KeepSpectrum(), S_OK);
    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 0), S_OK);
    EXPECT_EQ(LoudestBin(Spectrum(filter.Get())), BinOf(3000));
    ASSERT_EQ(eq->SettleSpectrum(1), S_OK);
    EXPECT_EQ(LoudestBin(Spectrum(filter.Get())), BinOf(1000));
    eq->KeepSpectrum();
    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 0), S_OK);
    eq->SettleSpectrum(0);
    eq->SettleSpectrum(1); // nothing kept any more: what is shown stays
    EXPECT_EQ(LoudestBin(Spectrum(filter.Get())), BinOf(3000));

    // A sound shorter than one frame is still analysed; no sound at all (no track chosen)
    // succeeds with no spectrum.
    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 1, 1000), S_OK);
    EXPECT_EQ(LoudestBin(Spectrum(filter.Get())), BinOf(1000));
    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 1, 0), S_OK);
    EXPECT_TRUE(Spectrum(filter.Get()).empty());

    // Out of analysis mode the sound is equalised, and the spectrum stays.
    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 1), S_OK);
    ApplySettings(filter.Get(), EqRow());
    const auto in = ToBytes(Sine(3000, 0.5, 44100, 44100, 2), true);
    const auto out = FromBytes(RunGraph(filter.Get(), Wave(true, 2), in), true);
    ASSERT_EQ(out.size(), 88200u);
    EXPECT_NEAR(Db(ToneAmplitude(out, 2, 0, 3000, 44100, 11025, 22050) / 0.5), -20.0, 0.5);
    EXPECT_EQ(LoudestBin(Spectrum(filter.Get())), BinOf(1000));
}

// One filter run after run, as the dialog's worker runs it track after track: each run equals
// a new filter's with the same curve, rate and channels, whatever the run before had.
TEST_F(FftEqualizer, EachRunEqualsANewFiltersWhateverTheRunBeforeHad)
{
    struct Run {
        const char* what;
        double gain; // of the row's second point
        DWORD rate;
        int channels;
    } runs[] = {
        {"first", -20, 44100, 2},
        {"the same again", -20, 44100, 2},
        {"another gain", 6, 44100, 2},
        {"another rate", 6, 48000, 2},
        {"mono", 6, 48000, 1},
        {"six channels", 6, 48000, 6},
        {"back to the first", -20, 44100, 2},
    };
    auto kept = CreateFilter(EqRow());
    ApplySettings(kept.Get(), EqRow());
    for (const Run& run : runs) {
        const auto in = ToBytes(Noise(run.rate / 2, run.channels, 0.3, 7), true);
        const auto wave = Wave(true, run.channels, run.rate);
        Query<IEffectParameters>(kept.Get())->SetParameter(fx::kFeqFirstPoint + 3, run.gain);
        auto fresh = CreateFilter(EqRow());
        ApplySettings(fresh.Get(), EqRow());
        Query<IEffectParameters>(fresh.Get())->SetParameter(fx::kFeqFirstPoint + 3, run.gain);
        const auto expected = RunGraph(fresh.Get(), wave, in);
        ASSERT_EQ(expected.size(), in.size()) << run.what;
        EXPECT_TRUE(RunGraph(kept.Get(), wave, in) == expected) << run.what;
        // An analysis between runs leaves the next run as it would be.
        Analyse(kept.Get(), 3000, 1000, 0);
    }
}

namespace {

class FftEqualizerPage : public FftEqualizer {
protected:
    void SetUp() override
    {
        FftEqualizer::SetUp();
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 700, 400, nullptr, nullptr, nullptr,
                                 nullptr);
        filter = CreateFilter(EqRow());
        page = Create<IPropertyPage>(EqRow(), CLSID_KvSEFFEQPage);
        ASSERT_TRUE(page);
        site = ComRef<ApplyingSite>(ApplyingSite::Create<ApplyingSite>());
        ASSERT_EQ(page->SetPageSite(site.Get()), S_OK);
        IUnknown* object = filter.Get();
        ASSERT_EQ(page->SetObjects(1, &object), S_OK);
        RECT r{0, 0, 600, 300};
        ASSERT_EQ(page->Activate(parent, &r, TRUE), S_OK);
        page->Show(SW_SHOW);
        dialog = GetWindow(parent, GW_CHILD);
        curve = GetDlgItem(dialog, kCurve);
        ASSERT_NE(curve, nullptr);
    }
    void TearDown() override
    {
        if (page) {
            page->Deactivate();
            page->SetObjects(0, nullptr);
            page->SetPageSite(nullptr);
        }
        page = ComRef<IPropertyPage>();
        DestroyWindow(parent);
        FftEqualizer::TearDown();
    }
    std::wstring Text(int id) const
    {
        wchar_t text[64] = {};
        GetWindowTextW(GetDlgItem(dialog, id), text, 64);
        return text;
    }
    double PointCount() const
    {
        double v = 0;
        Query<IEffectParameters>(filter.Get())->GetParameter(fx::kFeqPointCount, &v);
        return v;
    }
    // A click on the curve control where no point is (low gain, mid frequency).
    void ClickEmptyGround()
    {
        RECT r;
        GetClientRect(curve, &r);
        const LPARAM at = MAKELPARAM(r.right * 2 / 5, r.bottom * 6 / 7);
        SendMessageW(curve, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(curve, WM_LBUTTONUP, 0, at);
    }
    // As the program's dialog sends it: to every window below its own.
    void Broadcast(LPARAM stage)
    {
        static const UINT message = RegisterWindowMessageW(L"WM_FFTEQ_BUTTONDOWN");
        struct Send {
            UINT message;
            LPARAM stage;
        } send{message, stage};
        EnumChildWindows(
            parent,
            [](HWND w, LPARAM p) {
                const auto* s = reinterpret_cast<const Send*>(p);
                SendMessageW(w, s->message, 0, s->stage);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&send));
    }

    HWND parent = nullptr, dialog = nullptr, curve = nullptr;
    ComRef<IBaseFilter> filter;
    ComRef<IPropertyPage> page;
    ComRef<ApplyingSite> site;
};

} // namespace

TEST_F(FftEqualizerPage, DoubleClickOnTheCurveRereadsTheFilterAndEditsNothing)
{
    site->page = page.Get();
    EXPECT_EQ(Text(kFrequencyEdit), L"100");
    // The dialog changes the filter behind the page, then sends its refresh.
    auto params = Query<IEffectParameters>(filter.Get());
    params->SetParameter(fx::kFeqFirstPoint, 250);
    params->SetParameter(fx::kFeqFirstPoint + 1, -6);
    ASSERT_EQ(Analyse(filter.Get(), 3000, 1000, 1), S_OK);
    const auto before = ValuesOf(filter.Get());
    RECT r;
    GetClientRect(curve, &r);
    SendMessageW(curve, WM_LBUTTONDBLCLK, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
    EXPECT_EQ(site->changes, 0);
    EXPECT_EQ(ValuesOf(filter.Get()), before);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(Text(kFrequencyEdit), L"250");
    EXPECT_EQ(Text(kGainEdit), L"-6.0");
    // An edit after it builds on what was read, not on what the page showed before.
    ClickEmptyGround();
    EXPECT_EQ(site->changes, 1);
    EXPECT_EQ(PointCount(), 3);
    double frequency = 0;
    params->GetParameter(fx::kFeqFirstPoint, &frequency);
    EXPECT_EQ(frequency, 250);
}

TEST_F(FftEqualizerPage, JobStagesApplyAndLockEditingThenUnlockAndCancelDropsEdits)
{
    // Typing is pending until the site applies it.
    HWND gain = GetDlgItem(dialog, kGainEdit);
    SetWindowTextW(gain, L"-6");
    EXPECT_EQ(site->changes, 1);
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(ValuesOf(filter.Get())[fx::kFeqFirstPoint + 1], 0);

    // A job starts: what is pending reaches the filter, and editing stops.
    Broadcast(1);
    EXPECT_EQ(ValuesOf(filter.Get())[fx::kFeqFirstPoint + 1], -6);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_FALSE(IsWindowEnabled(gain));
    ClickEmptyGround();
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    site->page = page.Get();
    ClickEmptyGround();
    EXPECT_EQ(PointCount(), 2);

    // It ended: editing again.
    Broadcast(4);
    EXPECT_TRUE(IsWindowEnabled(gain));
    ClickEmptyGround();
    EXPECT_EQ(PointCount(), 3);

    // A preview locks as well; the cancel stage drops what was not applied.
    Broadcast(2);
    EXPECT_FALSE(IsWindowEnabled(gain));
    Broadcast(3);
    site->page = nullptr;
    SetWindowTextW(GetDlgItem(dialog, kFrequencyEdit), L"5000");
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    const auto applied = ValuesOf(filter.Get());
    Broadcast(0);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(ValuesOf(filter.Get()), applied);
    EXPECT_NE(Text(kFrequencyEdit), L"5000");
    EXPECT_TRUE(IsWindowEnabled(gain));
}

TEST_F(FftEqualizerPage, CurveGrowsWithThePageAndRightClickRemovesAPoint)
{
    RECT small, large;
    GetClientRect(curve, &small);
    RECT bigger{0, 0, 900, 500};
    ASSERT_EQ(page->Move(&bigger), S_OK);
    GetClientRect(curve, &large);
    EXPECT_EQ(large.right - small.right, 300);
    EXPECT_EQ(large.bottom - small.bottom, 200);

    site->page = page.Get();
    ClickEmptyGround();
    ASSERT_EQ(PointCount(), 3);
    RECT r;
    GetClientRect(curve, &r);
    SendMessageW(curve, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(r.right * 2 / 5, r.bottom * 6 / 7));
    EXPECT_EQ(PointCount(), 2);
}
