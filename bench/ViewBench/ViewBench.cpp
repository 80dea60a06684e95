// Maximum search against a raw read of the same hour through the engine's sample reader.
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "SampleSearch.h"

#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr DWORD kRate = 48000;
constexpr int kChannels = 2;
constexpr int kMinutes = 60;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One minute of float frames (the engine's storage form of 24-bit sound) in a raw file.
std::string WriteMinute()
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "view_bench_minute.raw";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return std::string();
    std::vector<float> block(size_t(kRate) * kChannels);
    for (int second = 0; second < 60; ++second) {
        for (DWORD i = 0; i < kRate; ++i) {
            double t = double(second * kRate + i) / kRate;
            float v = float(0.5 * std::sin(2 * 3.141592653589793 * 440 * t) * (0.5 + 0.5 * std::sin(t)));
            block[size_t(i) * 2] = std::round(v * 8388607.0f) / 8388608.0f;
            block[size_t(i) * 2 + 1] = -block[size_t(i) * 2];
        }
        std::fwrite(block.data(), sizeof(float), block.size(), f);
    }
    std::fclose(f);
    return path;
}

double RawRead(IMtTrack* track, int64_t length, std::vector<char>& buffer, uint32_t frames)
{
    ComRef<IMtItem> reader;
    track->CreateReader(reader.Out(), 0);
    LONGLONG start = 0, end = length;
    reader->SetRange(&start, &end);
    auto began = std::chrono::steady_clock::now();
    reader->BeginRead();
    DWORD got = 0;
    const DWORD bytes = frames * 4 * kChannels;
    do {
        reader->Read(buffer.data(), bytes, &got);
    } while (got == bytes);
    reader->EndRead();
    return Seconds(began);
}
} // namespace

int main()
{
    std::string path = WriteMinute();
    if (path.empty()) {
        std::printf("cannot write the minute of sound\n");
        return 1;
    }
    ComRef<IMtTrackSet> set;
    if (FAILED(MtEngine::CreateTrackSet(set)) || FAILED(set->SetFormat(24, kRate))) {
        std::printf("no engine\n");
        return 1;
    }
    ComRef<IMtTrack> track;
    set->InsertTrack(0, kChannels, track.Out(), -1);
    MtFileItemRecord record{};
    std::snprintf(record.path, sizeof record.path, "%s", path.c_str());
    record.channels = kChannels;
    record.bitsPerSample = 24;
    record.samplesPerSec = kRate;
    for (int minute = 0; minute < kMinutes; ++minute) {
        ComRef<IMtItemList> list;
        MtEngine::CreateItemList(list);
        list->AddFileItem(&record, path.c_str(), nullptr, 1);
        list->ResetItems(0);
        ComRef<IUnknown> item;
        list->NextItem(item.Out(), nullptr);
        track->FillRange(item.Get(), int64_t(minute) * 60 * kRate, 0);
    }
    LONGLONG length = 0;
    track->GetLength(&length);
    std::printf("track: %lld frames (%.1f min) of 48 kHz stereo 24-bit\n", static_cast<long long>(length),
                double(length) / kRate / 60);

    const uint32_t frames = kRate; // one-second blocks, as the search takes them
    std::vector<char> buffer(size_t(frames) * 4 * kChannels);
    RawRead(track.Get(), length, buffer, frames); // warm the file cache
    double raw = RawRead(track.Get(), length, buffer, frames);

    SearchChannel channel;
    channel.track = track.Get();
    channel.channel = 1;
    channel.channels = kChannels;
    channel.bits = 24;
    channel.length = length;
    int reports = 0;
    auto began = std::chrono::steady_clock::now();
    int64_t found = FindMaximumPoint(channel, 0, length, buffer.data(), frames, [&](int) {
        ++reports;
        return false;
    });
    double search = Seconds(began);
    std::printf("raw read:        %.3f s (%.0f MB/s)\n", raw, double(length) * 8 / raw / 1e6);
    std::printf("maximum search:  %.3f s (peak at %lld, %d progress reports)\n", search, static_cast<long long>(found),
                reports);
    std::printf("search / read:   %.2f\n", search / raw);
    ::DeleteFileA(path.c_str());
    return 0;
}
