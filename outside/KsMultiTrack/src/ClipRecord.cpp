#include "ClipRecord.h"

bool IsUsableClipFormat(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels)
{
    return IsValidBits(bitsPerSample) && channels >= 1 && channels <= 6 && samplesPerSec != 0;
}

namespace {

bool IsUsable(const StoredClipFormat& f)
{
    return IsUsableClipFormat(f.samplesPerSec, f.bitsPerSample, f.channels);
}

} // namespace

ClipFault ReadClipRecord(ClipSource& source, ClipHeader* header, const std::function<void(StoredSegment&)>& take)
{
    if (!source.Read(header, sizeof(*header)))
        return ClipFault::Damaged;
    if (header->version != kClipVersion || !IsUsable(header->format))
        return ClipFault::Format;
    // Every segment takes at least its header: a count the chunk cannot hold is refused
    // before anything is read for it.
    if (header->segments > source.Left() / sizeof(SegmentHeader))
        return ClipFault::Damaged;
    int64_t total = 0;
    for (uint32_t i = 0; i < header->segments; ++i) {
        StoredSegment segment{};
        SegmentHeader& sh = segment.header;
        if (!source.Read(&sh, sizeof(sh)))
            return ClipFault::Damaged;
        if (sh.length < 0 || sh.offset < 0 || __builtin_add_overflow(total, sh.length, &total))
            return ClipFault::Damaged;
        if (sh.kind != kClipSilence) {
            if (!IsUsable(sh.format))
                return ClipFault::Format;
            segment.format.rate = sh.format.samplesPerSec;
            segment.format.bits = sh.format.bitsPerSample;
            segment.format.channels = sh.format.channels;
        }
        if (sh.kind == kClipFileStretch) {
            if (!source.Read(segment.paths, sizeof(segment.paths)))
                return ClipFault::Damaged;
            segment.paths[0][kClipPathLength - 1] = segment.paths[1][kClipPathLength - 1] = '\0';
        } else if (sh.kind == kClipInline) {
            // The frames must be in the chunk before any memory is taken for them.
            const uint64_t frameBytes = static_cast<uint64_t>(FrameBytes(segment.format));
            if (static_cast<uint64_t>(sh.length) > source.Left() / frameBytes)
                return ClipFault::Damaged;
            segment.frames.resize(static_cast<size_t>(static_cast<uint64_t>(sh.length) * frameBytes));
            if (!source.Read(segment.frames.data(), segment.frames.size()))
                return ClipFault::Damaged;
        } else if (sh.kind != kClipSilence) {
            return ClipFault::Damaged;
        }
        take(segment);
    }
    // The clip's end on the time line must be a position too.
    int64_t end = 0;
    if (__builtin_add_overflow(header->start, total, &end))
        return ClipFault::Damaged;
    return ClipFault::None;
}
