// Full track-area repaints against plain peak reads, from 1 to 65536 samples per pixel.
//   track_paint_bench [picture.bmp] [envelope points per track, default 0] [picture zoom, default 4096]
#include "ComRef.h"
#include "BenchDocumentHost.h"
#include "BenchSupport.h"
#include "DocumentHost.h"
#include "EnvelopeEditor.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SkinTables.h"
#include "TrackAreaPane.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRate = 44100;
constexpr WORD kBits = 16;
constexpr int kChannels = 2;
constexpr int kTracks = 8;
constexpr int64_t kFrames = int64_t(kRate) * 3 * 3600;
constexpr int kWidth = 1200, kHeight = 900;

double Ms(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// Drawing takes the skin's colours.
class PaintHost : public BenchHost {
public:
    COLORREF SkinColorAt(int index) override { return ::SkinColorAt(index); }
};

// Three hours of 16-bit stereo as a sparse file (silence costs no disk) and a real peak file
// of one record per 1024 frames and channel: a slow swell, so that every zoom has a shape.
ComRef<IUnknown> MakeItem()
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    std::string data = std::string(folder) + "track_paint_bench.raw", peaks = data + ".pk";
    HANDLE file = ::CreateFileA(data.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = kFrames * kChannels * 2;
    ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
    ::CloseHandle(file);
    std::vector<MtPeakItem> records(size_t((kFrames + 1023) / 1024) * kChannels);
    for (size_t i = 0; i < records.size(); ++i) {
        double t = double(i / kChannels) / 400.0;
        LONG a = LONG(30000 * std::fabs(std::sin(t)) * (0.3 + 0.7 * std::fabs(std::sin(t / 17))));
        records[i] = MtPeakItem{-a, a / (i % kChannels ? 2 : 1)};
    }
    FILE* f = std::fopen(peaks.c_str(), "wb");
    std::fwrite(records.data(), sizeof(MtPeakItem), records.size(), f);
    std::fclose(f);
    MtFileItemRecord record{};
    std::snprintf(record.path, sizeof record.path, "%s", data.c_str());
    record.channels = kChannels;
    record.bitsPerSample = kBits;
    record.samplesPerSec = kRate;
    ComRef<IMtItemList> list;
    Check(MtEngine::CreateItemList(list), "item list");
    Check(list->AddFileItem(&record, data.c_str(), peaks.c_str(), 0), "item");
    list->ResetItems(0);
    ComRef<IUnknown> item;
    Check(list->NextItem(item.Out(), nullptr), "item");
    return item;
}

void AddVolumeEnvelope(IMtTrack* track, int points)
{
    ComRef<IMtEnvelopeSet> set;
    ComRef<IMtEnvelope> envelope;
    if (points <= 0 || FAILED(track->QueryInterface(__uuidof(IMtEnvelopeSet), set.OutVoid())) ||
        FAILED(set->GetEnvelope(kMtEnvLevel, envelope.Out())))
        return;
    for (int i = 0; i < points; ++i)
        envelope->InsertPoint(kFrames / points * i, float(1.0 + 0.5 * std::sin(i * 0.01)));
}

void SaveBmp(const char* path, const DWORD* pixels)
{
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = kWidth;
    info.biHeight = -kHeight;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + kWidth * kHeight * 4;
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return;
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::fwrite(pixels, 4, size_t(kWidth) * kHeight, f);
    std::fclose(f);
}

} // namespace

int main(int argc, char** argv)
{
    const char* picture = argc > 1 ? argv[1] : nullptr;
    int envelopePoints = argc > 2 ? std::atoi(argv[2]) : 0;
    int64_t pictureSpp = argc > 3 ? std::atoll(argv[3]) : 4096;
    InitSkinColors();
    PaintHost host;
    SetDocumentHost(&host);
    auto doc = std::make_unique<CNyMultiTrackDoc>();
    doc->m_bAutoDelete = FALSE;
    auto view = std::make_unique<CNyMultiTrackView>();
    view->SetPaneSizes(kWidth, kWidth, kHeight);
    doc->AddView(view.get());
    if (!doc->OnNewDocument())
        Check(E_FAIL, "new document");
    IMtTrackSet* set = doc->GetTrackSet();
    while (doc->GetTrackCount() > 0)
        Check(set->DetachTrack(doc->GetTrack(0)), "detach");
    Check(set->SetFormat(kBits, kRate), "format");
    doc->SetFileFormatInfo(kBits, kRate);
    ComRef<IUnknown> item = MakeItem();
    for (int t = 0; t < kTracks; ++t) {
        ComRef<IMtTrack> track;
        Check(set->InsertTrack(0, kChannels, track.Out(), -1), "track");
        Check(track->FillRange(item.Get(), 0, 0), "fill");
        AddVolumeEnvelope(track.Get(), envelopePoints);
    }
    // Volume envelopes shown exactly when the tracks carry them.
    doc->SetViewOption(1023, envelopePoints > 0 ? 1 : 0);
    doc->SetViewOption(1115, 0);
    view->SetAmplitudeZoom(1);
    CTrackAreaPane& pane = view->GetTrackArea();
    pane.BindView(view.get());
    view->GetTimeRuler().BindView(view.get(), 7);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = ::CreateCompatibleDC(nullptr);
    DWORD* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT client{0, 0, kWidth, kHeight};

    std::printf("%d tracks x %d channels, %.1f hours, %d x %d pixels, %d envelope points per track\n", kTracks,
                kChannels, double(kFrames) / kRate / 3600, kWidth, kHeight, envelopePoints);
    // Tracks at a start offset that is no multiple of the peak block read every point across
    // partial blocks.
    for (int64_t offset : {int64_t(0), int64_t(777)}) {
        for (int t = 0; t < kTracks; ++t)
            doc->GetTrack(t)->SetStartOffset(offset);
        std::printf("start offset %lld\n%8s %12s %12s %8s %14s\n", (long long)offset, "spp", "repaint ms", "peaks ms",
                    "ratio", "envelopes ms");
        for (int64_t spp = 1; spp <= 65536; spp *= 4) {
            view->SetTimeZoom(spp * 64);
            view->SetFirstVisibleSample(kFrames / 2);
            const int rounds = 10;
            pane.DrawTracks(dc, client, client); // the first read of the zoom warms the caches
            auto began = std::chrono::steady_clock::now();
            for (int i = 0; i < rounds; ++i)
                pane.DrawTracks(dc, client, client);
            ::GdiFlush();
            double repaint = Ms(began) / rounds;
            if (picture && spp == pictureSpp && offset == 0)
                SaveBmp(picture, pixels);

            // The same read the painter makes: one point left of the first column.
            std::vector<MtPeakItem> buffer(size_t(kWidth + 2) * kChannels);
            int64_t from = view->GetFirstVisibleSample() - spp;
            began = std::chrono::steady_clock::now();
            for (int i = 0; i < rounds; ++i)
                for (int t = 0; t < kTracks; ++t) {
                    ComRef<IMtPeakReader> reader;
                    doc->GetTrack(t)->CreatePeakReader(reader.Out(), DWORD(spp), 1);
                    DWORD read = 0;
                    reader->Seek(from);
                    reader->Read(buffer.data(), DWORD(buffer.size()), &read);
                    reader->End();
                }
            double peaks = Ms(began) / rounds;

            // The volume lines alone, loaded and drawn as the pane does.
            int64_t visibleFirst = 0, visibleLast = 0;
            view->GetVisibleRange(&visibleFirst, &visibleLast);
            began = std::chrono::steady_clock::now();
            for (int i = 0; envelopePoints > 0 && i < rounds; ++i)
                for (int t = 0; t < kTracks; ++t) {
                    CEnvelopeEditor editor;
                    editor.Load(view.get(), t, 0, visibleFirst, visibleLast);
                    editor.Draw(dc, view->GetTrackWaveRect(t));
                }
            ::GdiFlush();
            double envelopes = Ms(began) / rounds;
            std::printf("%8lld %12.2f %12.2f %8.2f ", (long long)spp, repaint, peaks,
                        peaks > 0 ? repaint / peaks : 0.0);
            if (envelopePoints > 0)
                std::printf("%14.2f\n", envelopes);
            else
                std::printf("%14s\n", "-");
        }
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    item.Reset();
    SetDocumentHost(nullptr);
    return 0;
}
