// Mixing speed and edit cost of the multitrack engine, through its loader.
//   mix_bench <folder> [minutes]         writes the tracks, then prints the mix speed and edit costs
//   mix_bench --mix <folder> [minutes]   only mixes the tracks written before, once (run.sh times
//                                        this whole process against the peers' whole commands)
// The tracks are written as engine data files (float, the storage of 24-bit documents) and as
// 24-bit WAV files of the same values for the peers. The full run prints:
//   engine_frames_per_second <n>
// followed by the edit timings.
#include "WavFile.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "BenchSupport.h"

namespace {

constexpr DWORD kRate = 48000;
constexpr int kTracks = 8;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Track t: two sines, written as engine floats and as the same values in 24-bit PCM.
void WriteTrack(const std::string& folder, int t, LONGLONG frames)
{
    FILE* raw = std::fopen((folder + "track" + std::to_string(t) + ".f32").c_str(), "wb");
    FILE* wav = std::fopen((folder + "track" + std::to_string(t) + ".wav").c_str(), "wb");
    if (!raw || !wav) {
        std::fprintf(stderr, "cannot write the track files in %s\n", folder.c_str());
        std::exit(1);
    }
    kvtest::WriteWavHeader(wav, 2, kRate, 24, frames);
    const LONGLONG block = 65536;
    std::vector<float> f(block * 2);
    std::vector<uint8_t> p(block * 6);
    const double w[2] = {2 * 3.14159265358979 * (110.0 * (t + 1)) / kRate,
                         2 * 3.14159265358979 * (165.0 * (t + 1)) / kRate};
    for (LONGLONG first = 0; first < frames; first += block) {
        LONGLONG n = std::min(block, frames - first);
        for (int c = 0; c < 2; ++c) {
            // sin(w (first + i)) by turning a phasor, set exactly at the start of each block.
            double re = std::cos(w[c] * double(first)), im = std::sin(w[c] * double(first));
            const double cr = std::cos(w[c]), ci = std::sin(w[c]);
            for (LONGLONG i = 0; i < n; ++i) {
                int32_t s = static_cast<int32_t>(std::lround(0.1 * im * 8388607.0));
                f[i * 2 + c] = static_cast<float>(s / 8388608.0);
                std::memcpy(&p[(i * 2 + c) * 3], &s, 3);
                const double nr = re * cr - im * ci;
                im = re * ci + im * cr;
                re = nr;
            }
        }
        std::fwrite(f.data(), 4, n * 2, raw);
        std::fwrite(p.data(), 1, n * 6, wav);
    }
    std::fclose(raw);
    std::fclose(wav);
}

// A track of the set holding the whole data file.
IMtTrack* AddTrack(IMtTrackSet* set, const std::string& path, WORD bits)
{
    MtFileItemRecord record;
    std::memset(&record, 0, sizeof(record));
    std::strncpy(record.path, path.c_str(), sizeof(record.path) - 1);
    record.channels = 2;
    record.bitsPerSample = bits;
    record.samplesPerSec = kRate;
    ComRef<IMtItemList> list;
    Check(MtEngine::CreateItemList(list), "MtCreateItemList");
    Check(list->AddFileItem(&record, path.c_str(), nullptr, 0), "AddFileItem");
    list->ResetItems(0);
    IUnknown* item = nullptr;
    Check(list->NextItem(&item, nullptr), "NextItem");
    ComRef<IMtClip> clip;
    Check(MtEngine::CreateClip(clip), "MtCreateClip");
    Check(clip->SetSource(item, 0, -1), "SetSource");
    IMtTrack* track = nullptr;
    Check(set->InsertTrack(0, 2, &track, -1), "InsertTrack");
    Check(track->InsertClip(clip.Get(), 0, 0, 0), "InsertClip");
    clip.Reset();
    item->Release();
    list.Reset();
    return track;
}

double MixSeconds(IMtTrackSet* set, LONGLONG frames, double* checksum)
{
    IMtMixReader* mix = nullptr;
    Check(set->CreateMixReader(2, kMtMixAllTracks, &mix), "CreateMixReader");
    Check(mix->SetRange(0, frames), "SetRange");
    const DWORD chunk = 8192;
    std::vector<float> buffer(chunk * 2);
    double sum = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (;;) {
        DWORD got = 0;
        Check(mix->Read(buffer.data(), chunk, &got), "Read");
        sum += buffer[0];
        if (got < chunk)
            break;
    }
    double s = Seconds(t0);
    mix->Release();
    *checksum = sum;
    return s;
}

// Microseconds of one cut (copy + delete), paste and undo on a track of the given length.
double EditMicroseconds(IMtTrackSet* set, const std::string& folder, double minutes)
{
    const LONGLONG frames = static_cast<LONGLONG>(minutes * 60 * kRate);
    std::string path = folder + "long" + std::to_string(static_cast<int>(minutes)) + ".f32";
    // The samples are never read by an edit: a sparse file of the right size will do.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = frames * 8;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    IMtTrack* track = AddTrack(set, path, 24);
    // Some history on the track first, as a document being edited has.
    for (int i = 0; i < 50; ++i)
        Check(track->DeleteRange(frames / 2 + i * 1000, 10), "DeleteRange");
    const int kRounds = 2000;
    const LONGLONG middle = frames / 2, span = 10 * kRate;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) {
        IMtClip* copy = nullptr;
        IMtClip* backward = nullptr;
        IMtClip* forward = nullptr;
        Check(track->CopyToEnd(&backward, 0), "CopyToEnd");        // undo state
        Check(track->CopyRange(&copy, middle, span), "CopyRange"); // cut = copy + delete
        Check(track->DeleteRange(middle, span), "DeleteRange");
        Check(track->InsertClip(copy, middle / 2, 0, 0), "InsertClip"); // paste
        Check(track->SwapContent(backward, &forward), "SwapContent");   // undo
        copy->Release();
        backward->Release();
        forward->Release();
    }
    double us = Seconds(t0) * 1e6 / kRounds;
    set->DetachTrack(track);
    track->Release();
    DeleteFileA(path.c_str());
    return us;
}

// The benchmark's set: every track with its volume, pan and a level envelope.
IMtTrackSet* BuildMixSet(const std::string& folder, LONGLONG frames, std::vector<IMtTrack*>* tracks)
{
    ComRef<IMtTrackSet> created;
    Check(MtEngine::CreateTrackSet(created), "MtCreateTrackSet");
    IMtTrackSet* set = created.Detach();
    Check(set->SetFormat(24, kRate), "SetFormat");
    for (int t = 0; t < kTracks; ++t) {
        IMtTrack* track = AddTrack(set, folder + "track" + std::to_string(t) + ".f32", 24);
        track->SetVolume(0.5f + 0.05f * t);
        track->SetPan(-0.7f + 0.2f * t);
        IMtEnvelopeSet* envelopes = nullptr;
        track->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(&envelopes));
        IMtEnvelope* level = nullptr;
        envelopes->GetEnvelope(kMtEnvLevel, &level);
        // A level ramp every ten seconds: the gain changes on every frame.
        for (LONGLONG p = 0; p <= frames; p += 10 * kRate)
            level->InsertPoint(p, (p / (10 * kRate)) % 2 ? 1.0f : 0.25f);
        level->Release();
        envelopes->Release();
        tracks->push_back(track);
    }
    return set;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: mix_bench <folder> [minutes]\n");
        return 2;
    }
    const bool mixOnly = std::strcmp(argv[1], "--mix") == 0;
    if (mixOnly && argc < 3) {
        std::fprintf(stderr, "usage: mix_bench --mix <folder> [minutes]\n");
        return 2;
    }
    const int arg = mixOnly ? 2 : 1;
    std::string folder = argv[arg];
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    const double minutes = argc > arg + 1 ? std::atof(argv[arg + 1]) : 10.0;
    const LONGLONG frames = static_cast<LONGLONG>(minutes * 60 * kRate);

    if (FAILED(MtEngine::Load())) {
        std::fprintf(stderr, "KsMultiTrack.dll not found beside the benchmark\n");
        return 1;
    }

    if (mixOnly) {
        // One mix of the tracks already written: the figure is the whole process's time.
        std::vector<IMtTrack*> tracks;
        IMtTrackSet* set = BuildMixSet(folder, frames, &tracks);
        double checksum = 0;
        double s = MixSeconds(set, frames, &checksum);
        std::printf("engine mix only: %lld frames in %.3f s (checksum %.6f)\n", static_cast<long long>(frames), s,
                    checksum);
        for (IMtTrack* t : tracks)
            t->Release();
        set->Release();
        MtEngine::Unload();
        return 0;
    }

    auto w0 = std::chrono::steady_clock::now();
    for (int t = 0; t < kTracks; ++t)
        WriteTrack(folder, t, frames);
    std::printf("wrote %d stereo tracks of %.1f min (%.1f s)\n", kTracks, minutes, Seconds(w0));

    std::vector<IMtTrack*> tracks;
    IMtTrackSet* set = BuildMixSet(folder, frames, &tracks);
    double checksum = 0;
    MixSeconds(set, std::min<LONGLONG>(frames, 10 * kRate), &checksum); // warm up
    double best = 1e30;
    for (int run = 0; run < 3; ++run)
        best = std::min(best, MixSeconds(set, frames, &checksum));
    std::printf("engine mix: %lld frames in %.3f s (best of 3), %.0f x real time\n", static_cast<long long>(frames),
                best, frames / best / kRate);
    std::printf("engine_frames_per_second %.0f\n", frames / best);
    for (IMtTrack* t : tracks)
        t->Release();
    set->Release();

    ComRef<IMtTrackSet> editSet;
    Check(MtEngine::CreateTrackSet(editSet), "MtCreateTrackSet");
    Check(editSet->SetFormat(24, kRate), "SetFormat");
    double shortUs = EditMicroseconds(editSet.Get(), folder, 1.0);
    double longUs = EditMicroseconds(editSet.Get(), folder, 60.0);
    std::printf("cut + paste + undo of 10 s: 1-minute track %.1f us, 1-hour track %.1f us (ratio %.2f)\n", shortUs,
                longUs, longUs / shortUs);
    editSet.Reset();
    MtEngine::Unload();
    return 0;
}
