// One long track on the engine without a document: a raw 16-bit file of the engine's data
// layout as the one clip of the one track of a new track set. For the benchmarks that read,
// split or render a long track; the engine must be loaded (MtEngine::Load) first, and the
// object destroyed before it is unloaded.
#pragma once
#include "BenchSupport.h"
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct BenchEngineTrack {
    // Ends the run when the track does not hold `frames` frames (the file was not written).
    BenchEngineTrack(const std::string& raw, DWORD rate, WORD channels, LONGLONG frames)
    {
        Check(MtEngine::CreateTrackSet(set), "track set");
        Check(set->SetFormat(16, rate), "format");
        Check(MtEngine::CreateItemList(list), "item list");
        MtFileItemRecord record;
        std::memset(&record, 0, sizeof(record));
        lstrcpynA(record.path, raw.c_str(), sizeof(record.path));
        record.channels = channels;
        record.bitsPerSample = 16;
        record.samplesPerSec = rate;
        Check(list->AddFileItem(&record, raw.c_str(), nullptr, 0), "item");
        list->ResetItems(0);
        Check(list->NextItem(item.Out(), nullptr), "item");
        Check(MtEngine::CreateClip(clip), "clip");
        MtClipFormat format{rate, 16, channels};
        Check(clip->SetFormat(&format), "clip format");
        Check(clip->SetSource(item.Get(), 0, -1), "clip source");
        Check(set->InsertTrack(0, channels, track.Out(), -1), "track");
        Check(track->InsertClip(clip.Get(), 0, 0, 0), "clip on track");
        track->GetLength(&length);
        if (length != frames) {
            std::fprintf(stderr, "the track holds %lld frames, not %lld: write it first\n", length, frames);
            std::exit(1);
        }
    }

    // Released in the reverse order: the track before its clip, the set last.
    ComRef<IMtTrackSet> set;
    ComRef<IMtItemList> list;
    ComRef<IUnknown> item;
    ComRef<IMtClip> clip;
    ComRef<IMtTrack> track;
    LONGLONG length = 0;
};
