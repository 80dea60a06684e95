// FadePreview: what the crossfade and fade dialogs write into volume curves while they are
// open. Each write first takes back the previous one (the group's Undo), then, per track,
// builds a snapshot child (its before copy), clears the faded range of the curve and writes
// a Sine or Linear fade into it, and adds the child to the group. A write that fails midway
// is taken back whole and its failure returned, so that OK never records half a fade.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "SampleRange.h"

#include <functional>
#include <vector>

constexpr UINT kIdFadeIn = 5139;
constexpr UINT kIdFadeOut = 5140;
constexpr UINT kIdShapeSine = 5124;
constexpr UINT kIdShapeLinear = 5125;

struct FadeEntry {
    int track = -1;
    UINT direction = kIdFadeOut; // kIdFadeIn or kIdFadeOut
    SampleRange range;           // document positions the fade covers on this track
};

// The points of a fade over [S, E) from a to b: Linear (S, a) and (E, b); Sine 91 points
// on S + (k + 90) x (L / 180) for k = -90, -88, ..., 90. Under 180 samples the Sine's step
// is 0 and would stack every point on S: the two Linear points stand in for it.
std::vector<std::pair<int64_t, float>> FadePoints(UINT shape, int64_t start, int64_t end, float a, float b);

// Makes the snapshot child of a track (a "crossfade" or a "fadeinout").
using SnapshotFactory = std::function<IEditCommand*(CommandDocument*, int track)>;

// Takes back what the group holds (Undo, then Clear).
HRESULT ResetPreview(ICommandList* group);

// Writes the fades of the entries. On a failure everything written is taken back and the
// group left empty.
HRESULT WriteFadePreview(CommandDocument* document, ICommandList* group, const std::vector<FadeEntry>& entries,
                         UINT shape, const SnapshotFactory& makeChild);

// The crossfade of the selected tracks: 0 with the two entries and the range, or the id of
// the text that refuses it (20461 not two tracks, 20462 not adjacent, 20463 no overlap or
// none in the selection, 20464 one track within the other and no selection).
UINT PlanCrossfade(CommandDocument* document, std::vector<FadeEntry>* entries, SampleRange* range);

// A fade of every selected track over the time selection (the whole document without one).
std::vector<FadeEntry> PlanFadeInOut(CommandDocument* document, UINT direction, SampleRange* range);
