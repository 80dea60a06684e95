// CMuteJob ("&Mute", command 2005): the selected range of every marked track becomes silence
// (0x80 for 8-bit samples, 0 otherwise). The track is not read.
#pragma once
#include "TrackRangeJob.h"

class CMuteJob : public TrackRangeJob {
public:
    CMuteJob() = default;
    ~CMuteJob() override = default;

protected:
    void Process(IMtTrack* track, int64_t start, int64_t end, FrameSink& sink) override;
};
