// Content: the sound of a track as an immutable list of segments, each a stretch of frames
// of one item (or silence). Edits build a new list out of the old one: they copy segment
// references, never samples, and cost in proportion to the number of segments.
// Positions here count from the content's first frame.
#pragma once
#include "ItemData.h"

#include <memory>
#include <vector>

struct Segment {
    ItemDataPtr item;    // null = silence
    LONGLONG offset = 0; // first frame within the item
    LONGLONG length = 0;
};

class Content;
using ContentPtr = std::shared_ptr<const Content>;

class Content {
public:
    Content() = default;

    LONGLONG Length() const { return m_length; }
    size_t SegmentCount() const { return m_segments.size(); }
    const Segment& SegmentAt(size_t i) const { return m_segments[i]; }
    LONGLONG SegmentStart(size_t i) const { return m_starts[i]; }
    // Index of the segment holding position (0 <= position < Length()).
    size_t FindSegment(LONGLONG position) const;

    static ContentPtr Empty();
    static ContentPtr FromItem(const ItemDataPtr& item, LONGLONG offset, LONGLONG length);
    static ContentPtr Silence(LONGLONG length);

    // [start, end) clamped to the content.
    ContentPtr Sub(LONGLONG start, LONGLONG end) const;
    // Removes [start, end) (clamped).
    ContentPtr Delete(LONGLONG start, LONGLONG end) const;
    // Inserts other at position; past the end the gap is filled with silence.
    ContentPtr Insert(LONGLONG position, const Content& other) const;

    // Builder: appends a segment, joining it to the last one when they continue each other.
    void Append(const Segment& s);
    void AppendRange(const Content& from, LONGLONG start, LONGLONG end);

private:
    std::vector<Segment> m_segments;
    std::vector<LONGLONG> m_starts;
    LONGLONG m_length = 0;
};
