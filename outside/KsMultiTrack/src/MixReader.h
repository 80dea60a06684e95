// The mix reader: renders a snapshot of tracks (volumes, pans, mute, solo, envelopes,
// master volume) into interleaved 32-bit float frames of 1, 2 or 6 channels.
//
// Mixing rules, per track and frame t (envelope positions count from the track start):
//   level = volume x master x envLevel(t)      (envelopes at their constant value when
//   pan   = clamp(pan + envPan(t), -1, 1)        read automation is off)
//   left gain = level x min(1, 1 - pan), right gain = level x min(1, 1 + pan)
// A mono track feeds both sides; a stereo track its left channel to the left, right to the
// right. Audible: not silenced, and soloed when any mixed track is soloed, else not muted.
// Six-channel output: front-rear pan f sends (1 - max(f, 0)) to the front pair and max(f, 0)
// to the rear pair; a mono track with speaker mask 4 (centre) or 8 (LFE) goes to channel 2
// or 3 at the centre or LFE level; six-channel tracks map channel to channel.
// Two-channel output of a six-channel track folds centre and rears in at 0.7071.
// One-channel output is the mean of the two-channel output.
#pragma once
#include "TrackSet.h"

IMtMixReader* CreateMixReaderFor(CTrackSet::MixSnapshot snapshot, int outputChannels);
