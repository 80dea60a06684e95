// Tests of the engine on objects from its loader; helpers write raw PCM item files and read
// tracks back.
#pragma once
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The item record of a raw data file (the rest zero).
MtFileItemRecord RecordFor(const std::string& path, WORD track, WORD channels, WORD bits, DWORD rate);

// Interleaved 16-bit frames as a plain model of a track's sound.
using Frames16 = std::vector<int16_t>;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;

    // A raw data file in the scratch folder and an item on it (format of the record).
    IMtItem* MakeItem(const std::string& name, const void* data, size_t bytes, WORD channels, WORD bits, DWORD rate,
                      const std::string& peakPath = std::string());
    // A clip over a whole item.
    IMtClip* ClipOf(IMtItem* item);
    // A recognisable pattern: frame f channel c -> distinct value.
    static Frames16 Pattern(size_t frames, int channels, int seed);
    // Every frame of the track from its start to its end, through the data reader.
    static std::vector<uint8_t> ReadTrack(IMtTrack* track, LONGLONG start, LONGLONG end, DWORD chunk = 4096);
    // A file in the scratch folder.
    void WriteFile(const std::string& name, const void* data, size_t bytes);
    static Frames16 ReadTrack16(IMtTrack* track);

    kvtest::ScratchFolder scratch_;
    ComRef<IMtTrackSet> set_;
};

// Points the engine's temporary folder at a scratch folder of its own for one test and puts
// the previous folder back on every way out, a failed assertion included.
class EngineTempFolder {
public:
    EngineTempFolder();
    ~EngineTempFolder();
    EngineTempFolder(const EngineTempFolder&) = delete;
    EngineTempFolder& operator=(const EngineTempFolder&) = delete;

    bool Ready() const { return ready_; }
    IMtTempSettings* Settings() const { return settings_.Get(); }
    std::string File(const std::string& name) const { return folder_.File(name); }

private:
    ComRef<IMtTempSettings> settings_;
    char previous_[MAX_PATH] = {};
    kvtest::ScratchFolder folder_;
    bool ready_ = false;
};
