// CD audio tracks (file type 11): "X:\TrackNN.cda" names track NN of the disc in drive X, read
// through the drive access module KgPTP.dll beside this module. The sound is the disc's:
// 44100 Hz, 16 bits, two channels, 588 frames to a sector.
#pragma once
#include "Sources.h"

constexpr LONG kTypeCdTrack = 11;

// True when the path has the form of a CD track (drive root, "Track", two digits, ".cda").
bool IsCdTrackPath(const char* path);
// Fills the sound of a CD track; throws kErrCannotOpen when the drive is not there or has no
// readable disc, kErrNotFound when the disc has no such track, kErrInvalidFormat for a data
// track.
void ReadCdTrackInfo(const char* path, SoundFile* sound);
std::unique_ptr<SoundSource> OpenCdTrackSource(const char* path, const SoundFile& sound);
