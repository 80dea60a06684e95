#include "ContentIO.h"

#include <algorithm>

namespace {

// Calls visit(piece start in content, segment, frames, first item frame) for each piece of
// [position, position + frames) inside the content; gaps are the caller's silence.
template <class Visit>
void ForEachPiece(const Content& content, LONGLONG position, LONGLONG frames, Visit visit)
{
    LONGLONG start = std::max<LONGLONG>(position, 0);
    LONGLONG end = std::min(position + frames, content.Length());
    if (start >= end)
        return;
    for (size_t i = content.FindSegment(start); i < content.SegmentCount(); ++i) {
        LONGLONG segStart = content.SegmentStart(i);
        if (segStart >= end)
            break;
        const Segment& s = content.SegmentAt(i);
        LONGLONG a = std::max(start, segStart);
        LONGLONG b = std::min(end, segStart + s.length);
        if (a < b && s.item)
            visit(a, s, b - a, s.offset + (a - segStart));
    }
}

} // namespace

void ReadContentFrames(const Content& content, LONGLONG position, LONGLONG frames, const MtFormat& target, uint8_t* out)
{
    const SampleKind kind = KindOfBits(target.bits);
    const int bps = BytesPerSample(target.bits);
    const int channels = target.channels;
    const int frameBytes = bps * channels;
    FillSilence(out, static_cast<size_t>(frames * channels), kind);
    ForEachPiece(content, position, frames, [&](LONGLONG at, const Segment& s, LONGLONG n, LONGLONG first) {
        const ItemData& item = *s.item;
        uint8_t* dst = out + (at - position) * frameBytes;
        const uint8_t* src = item.FrameAt(first);
        const int itemCh = item.Format().channels;
        if (item.Kind() == kind && itemCh == channels) {
            memcpy(dst, src, static_cast<size_t>(n * frameBytes));
            return;
        }
        const int srcBps = BytesPerSample(item.Format().bits);
        for (LONGLONG f = 0; f < n; ++f) {
            for (int c = 0; c < channels; ++c) {
                int sc = SourceChannel(c, itemCh);
                if (sc >= 0)
                    ConvertSample(src + sc * srcBps, item.Kind(), dst + c * bps, kind);
            }
            src += item.FrameBytes();
            dst += frameBytes;
        }
    });
}

void ReadContentFloat(const Content& content, LONGLONG position, LONGLONG frames, int channels, float* out)
{
    std::fill(out, out + frames * channels, 0.0f);
    ForEachPiece(content, position, frames, [&](LONGLONG at, const Segment& s, LONGLONG n, LONGLONG first) {
        const ItemData& item = *s.item;
        float* dst = out + (at - position) * channels;
        const uint8_t* src = item.FrameAt(first);
        const int itemCh = item.Format().channels;
        const int srcBps = BytesPerSample(item.Format().bits);
        for (LONGLONG f = 0; f < n; ++f) {
            for (int c = 0; c < channels; ++c) {
                int sc = SourceChannel(c, itemCh);
                if (sc >= 0)
                    dst[c] = LoadFloat(src + sc * srcBps, item.Kind());
            }
            src += item.FrameBytes();
            dst += channels;
        }
    });
}

void ContentPeakPoint(const Content& content, LONGLONG position, LONGLONG count, int channels, MtPeakItem* out)
{
    bool any = false;
    for (int c = 0; c < channels; ++c)
        out[c] = MtPeakItem{0, 0};
    auto merge = [&](int c, LONG lo, LONG hi) {
        out[c].minimum = std::min(out[c].minimum, lo);
        out[c].maximum = std::max(out[c].maximum, hi);
    };
    // Silence inside the point counts as zero, so start from 0/0 only when the point is not
    // wholly covered by sound.
    LONGLONG covered = 0;
    ForEachPiece(content, position, count, [&](LONGLONG, const Segment& s, LONGLONG n, LONGLONG first) {
        covered += n;
        const ItemData& item = *s.item;
        const int itemCh = item.Format().channels;
        const int srcBps = BytesPerSample(item.Format().bits);
        LONGLONG f = first, end = first + n;
        const LONGLONG block = ItemData::kPeakBlock;
        const std::vector<MtPeakItem>* blocks = (n >= block) ? &item.BlockPeaks() : nullptr;
        while (f < end) {
            if (blocks && f % block == 0 && (f + block <= end || end == item.Frames())) {
                LONGLONG b = f / block;
                for (int c = 0; c < channels; ++c) {
                    int sc = SourceChannel(c, itemCh);
                    if (sc < 0)
                        continue;
                    const MtPeakItem& p = (*blocks)[static_cast<size_t>(b * itemCh + sc)];
                    if (!any)
                        out[c] = p;
                    else
                        merge(c, p.minimum, p.maximum);
                }
                if (!any)
                    for (int c = 0; c < channels; ++c)
                        if (SourceChannel(c, itemCh) < 0)
                            out[c] = MtPeakItem{0, 0};
                any = true;
                f = std::min(f + block, end);
                continue;
            }
            LONGLONG stop = blocks ? std::min(end, (f / block + 1) * block) : end;
            for (; f < stop; ++f) {
                const uint8_t* src = item.FrameAt(f);
                for (int c = 0; c < channels; ++c) {
                    int sc = SourceChannel(c, itemCh);
                    LONG v = sc >= 0 ? PeakValue(src + sc * srcBps, item.Kind()) : 0;
                    if (!any)
                        out[c] = MtPeakItem{v, v};
                    else
                        merge(c, v, v);
                }
                any = true;
            }
        }
    });
    if (any && covered < count)
        for (int c = 0; c < channels; ++c)
            merge(c, 0, 0);
}
