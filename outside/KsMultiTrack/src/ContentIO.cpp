#include "ContentIO.h"

#include <algorithm>
#include <climits>

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
    std::vector<uint8_t> scratch;
    ForEachPiece(content, position, frames, [&](LONGLONG at, const Segment& s, LONGLONG n, LONGLONG first) {
        const ItemData& item = *s.item;
        uint8_t* dst = out + (at - position) * frameBytes;
        const int itemCh = item.Format().channels;
        if (itemCh == channels && item.Kind() == kind) {
            item.ReadFrames(first, n, dst);
            return;
        }
        const uint8_t* src = item.Frames(first, n, scratch);
        if (itemCh == channels) {
            ConvertSamples(src, item.Kind(), dst, kind, static_cast<size_t>(n * channels));
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
    std::vector<uint8_t> scratch;
    ForEachPiece(content, position, frames, [&](LONGLONG at, const Segment& s, LONGLONG n, LONGLONG first) {
        const ItemData& item = *s.item;
        float* dst = out + (at - position) * channels;
        const uint8_t* src = item.Frames(first, n, scratch);
        const int itemCh = item.Format().channels;
        if (itemCh == channels) {
            pcm::Decode(FormOf(item.Kind()), src, static_cast<size_t>(n * channels), dst);
            return;
        }
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

namespace {

// Folds the minimum and maximum per item channel of item frames [f, end) into lo and hi:
// whole peak blocks from the block peaks, whole fine blocks from the fine level, the rest
// from the samples. The last block of the item counts as whole when the range reaches it.
void ItemRangePeaks(const ItemData& item, LONGLONG f, LONGLONG end, LONG* lo, LONG* hi)
{
    const int ch = item.Format().channels;
    const LONGLONG block = ItemData::kPeakBlock, fine = ItemData::kFineBlock;
    const bool toItemEnd = end == item.Frames();
    const std::vector<MtPeakItem>* blocks = end - f >= block ? &item.BlockPeaks() : nullptr;
    const bool useFine = end - f >= fine;
    auto fold = [&](int c, LONG minimum, LONG maximum) {
        lo[c] = std::min(lo[c], minimum);
        hi[c] = std::max(hi[c], maximum);
    };
    while (f < end) {
        if (blocks && f % block == 0 && (f + block <= end || toItemEnd)) {
            const MtPeakItem* p = &(*blocks)[static_cast<size_t>(f / block * ch)];
            for (int c = 0; c < ch; ++c)
                fold(c, p[c].minimum, p[c].maximum);
            f = std::min(f + block, end);
            continue;
        }
        if (useFine && f % fine == 0 && (f + fine <= end || toItemEnd)) {
            if (const FinePeak* level = item.FinePeaks(f / block)) {
                const LONGLONG blockEnd = (f / block + 1) * block;
                for (; f < end && f < blockEnd && (f + fine <= end || toItemEnd); f += fine) {
                    const FinePeak* p = level + (f % block) / fine * ch;
                    for (int c = 0; c < ch; ++c)
                        fold(c, p[c].minimum, p[c].maximum);
                }
                f = std::min(f, end);
                continue;
            }
        }
        const LONGLONG step = useFine ? fine : block;
        const LONGLONG stop = blocks || useFine ? std::min(end, (f / step + 1) * step) : end;
        item.SamplePeaks(f, stop - f, lo, hi);
        f = stop;
    }
}

} // namespace

void ContentPeakPoint(const Content& content, LONGLONG position, LONGLONG count, int channels, MtPeakItem* out)
{
    bool any = false;
    for (int c = 0; c < channels; ++c)
        out[c] = MtPeakItem{0, 0};
    // Silence inside the point counts as zero, so start from 0/0 only when the point is not
    // wholly covered by sound.
    LONGLONG covered = 0;
    ForEachPiece(content, position, count, [&](LONGLONG, const Segment& s, LONGLONG n, LONGLONG first) {
        covered += n;
        const ItemData& item = *s.item;
        const int itemCh = item.Format().channels;
        LONG lo[ItemData::kMaxChannels], hi[ItemData::kMaxChannels];
        std::fill(lo, lo + itemCh, LONG_MAX);
        std::fill(hi, hi + itemCh, LONG_MIN);
        ItemRangePeaks(item, first, first + n, lo, hi);
        for (int c = 0; c < channels; ++c) {
            // A channel the item does not feed is silent.
            const int sc = SourceChannel(c, itemCh);
            const MtPeakItem p = sc >= 0 ? MtPeakItem{lo[sc], hi[sc]} : MtPeakItem{0, 0};
            out[c] = any ? MtPeakItem{std::min(out[c].minimum, p.minimum), std::max(out[c].maximum, p.maximum)} : p;
        }
        any = true;
    });
    if (any && covered < count)
        for (int c = 0; c < channels; ++c) {
            out[c].minimum = std::min<LONG>(out[c].minimum, 0);
            out[c].maximum = std::max<LONG>(out[c].maximum, 0);
        }
}
