// CReverseJob ("&Reverse", command 2003): the selected range of every marked track, last frame
// first. Each frame stays whole; only their order turns round.
#pragma once
#include "TrackRangeJob.h"

class CReverseJob : public TrackRangeJob {
public:
    CReverseJob() = default;
    ~CReverseJob() override = default;

protected:
    void Process(IMtTrack* track, int64_t start, int64_t end, FrameSink& sink) override;
};
