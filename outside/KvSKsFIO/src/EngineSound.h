// The engine's sound as a write reads it: every track's channels side by side in track order
// (each track read on a helper thread of its own), or the engine's mix of every track down to
// a channel limit.
//
//   EngineSound sound(engine, 0, 0, length, bits);       // the tracks as they are
//   sound.Read(frames, n);                                // interleaved storage frames
//   sound.End();
#pragma once
#include "ComRef.h"
#include "HelperThread.h"
#include "KsMultiTrack.h"
#include "SampleCodec.h"

#include <memory>
#include <vector>

class EngineSound {
public:
    // channelLimit 0: the tracks' own channels; 2 or 6: a mix of wanted channels (1, 2 or 6)
    // within the limit, else of the limit's. Throws the engine's failure.
    EngineSound(IMtTrackSet* engine, LONG channelLimit, WORD wanted, LONGLONG length, WORD engineBits);
    int Channels() const { return m_channels; }
    // The storage form of the frames Read gives (a mix is always floats).
    Storage GetStorage() const { return m_storage; }
    // Exactly frames interleaved frames (a mix is padded with silence at its end).
    void Read(uint8_t* frames, size_t count);
    void End();

private:
    struct TrackReader {
        ComRef<IMtItem> item;
        WORD channels = 0;
        std::vector<uint8_t> part;
        std::unique_ptr<HelperThread> helper; // all but the first track
    };
    void ReadTrack(TrackReader& t, size_t count);

    std::vector<TrackReader> m_tracks;
    ComRef<IMtMixReader> m_mix;
    int m_channels = 0;
    Storage m_storage;
};

// Puts the channels of one track's frames at column first of frames of total channels.
void Interleave(const uint8_t* in, int channels, int sampleBytes, size_t frames, uint8_t* out, int total, int first);
