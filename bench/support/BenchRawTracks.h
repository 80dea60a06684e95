// Tracks of raw 16-bit stereo files for the benchmarks that time a document's render: each
// track written as track<t>.raw (the engine's data) and track<t>.wav (the same samples, for
// sox), and a document made of the raw files, one track each.
#pragma once
#include "BenchSupport.h"
#include "ComRef.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "SelectionModel.h"
#include "WavFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// Track t's two files on disk before the clock starts: their dirty pages would otherwise slow
// whichever side writes first while the system flushes them.
inline void FlushTrack(const std::string& folder, int t)
{
    for (const char* kind : {".raw", ".wav"}) {
        const std::string path = folder + "track" + std::to_string(t) + kind;
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::FlushFileBuffers(file);
            ::CloseHandle(file);
        }
    }
}

// Writes track t's two files; fill(first, count, samples) gives count interleaved frames
// from frame first, in order.
inline void WriteRawTrack(const std::string& folder, int t, LONGLONG frames, DWORD rate,
                          const std::function<void(LONGLONG, LONGLONG, int16_t*)>& fill)
{
    const std::string stem = folder + "track" + std::to_string(t);
    FILE* raw = std::fopen((stem + ".raw").c_str(), "wb");
    FILE* wav = std::fopen((stem + ".wav").c_str(), "wb");
    if (!raw || !wav) {
        std::fprintf(stderr, "cannot write the track files in %s\n", folder.c_str());
        std::exit(1);
    }
    kvtest::WriteWavHeader(wav, 2, rate, 16, static_cast<uint64_t>(frames));
    const LONGLONG block = 65536;
    std::vector<int16_t> s(block * 2);
    for (LONGLONG first = 0; first < frames; first += block) {
        const LONGLONG n = std::min(block, frames - first);
        fill(first, n, s.data());
        std::fwrite(s.data(), 2, static_cast<size_t>(n * 2), raw);
        std::fwrite(s.data(), 2, static_cast<size_t>(n * 2), wav);
    }
    std::fclose(raw);
    std::fclose(wav);
}

// Replaces the document's tracks with one track per raw file track0.raw .. and selects
// every one.
inline void LoadRawTracks(CNyMultiTrackDoc* doc, const std::string& folder, int tracks, DWORD rate)
{
    IMtTrackSet* set = doc->GetTrackSet();
    while (doc->GetTrackCount() > 0)
        Check(set->DetachTrack(doc->GetTrack(0)), "detach");
    Check(set->SetFormat(16, rate), "format");
    for (int t = 0; t < tracks; ++t) {
        const std::string path = folder + "track" + std::to_string(t) + ".raw";
        MtFileItemRecord record{};
        std::snprintf(record.path, sizeof record.path, "%s", path.c_str());
        record.channels = 2;
        record.bitsPerSample = 16;
        record.samplesPerSec = rate;
        ComRef<IMtItemList> list;
        Check(MtEngine::CreateItemList(list), "item list");
        Check(list->AddFileItem(&record, path.c_str(), nullptr, 0), "item");
        list->ResetItems(0);
        ComRef<IUnknown> item;
        Check(list->NextItem(item.Out(), nullptr), "item");
        ComRef<IMtClip> clip;
        Check(MtEngine::CreateClip(clip), "clip");
        MtClipFormat format{rate, 16, 2};
        clip->SetFormat(&format);
        Check(clip->SetSource(item.Get(), 0, -1), "source");
        ComRef<IMtTrack> track;
        Check(set->InsertTrack(0, 2, track.Out(), -1), "track");
        Check(track->InsertClip(clip.Get(), 0, 0, 0), "insert clip");
    }
    for (int t = 0; t < doc->GetTrackCount(); ++t)
        Check(doc->GetSelection()->SetTrackSelected(t, TRUE), "select");
}
