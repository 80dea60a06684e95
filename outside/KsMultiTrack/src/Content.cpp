#include "Content.h"

#include <algorithm>

size_t Content::FindSegment(LONGLONG position) const
{
    auto it = std::upper_bound(m_starts.begin(), m_starts.end(), position);
    return it == m_starts.begin() ? 0 : static_cast<size_t>(it - m_starts.begin() - 1);
}

ContentPtr Content::Empty()
{
    static const ContentPtr empty = std::make_shared<const Content>();
    return empty;
}

ContentPtr Content::FromItem(const ItemDataPtr& item, LONGLONG offset, LONGLONG length)
{
    auto c = std::make_shared<Content>();
    c->Append(Segment{item, offset, length});
    return c;
}

ContentPtr Content::Silence(LONGLONG length)
{
    auto c = std::make_shared<Content>();
    c->Append(Segment{nullptr, 0, length});
    return c;
}

void Content::Append(const Segment& s)
{
    if (s.length <= 0)
        return;
    if (!m_segments.empty()) {
        Segment& last = m_segments.back();
        bool continues = last.item == s.item && (!s.item || last.offset + last.length == s.offset);
        if (continues) {
            last.length += s.length;
            m_length += s.length;
            return;
        }
    }
    m_segments.push_back(s);
    m_starts.push_back(m_length);
    m_length += s.length;
}

void Content::AppendRange(const Content& from, LONGLONG start, LONGLONG end)
{
    start = std::max<LONGLONG>(start, 0);
    end = std::min(end, from.m_length);
    if (start >= end)
        return;
    for (size_t i = from.FindSegment(start); i < from.m_segments.size(); ++i) {
        LONGLONG segStart = from.m_starts[i];
        if (segStart >= end)
            break;
        const Segment& s = from.m_segments[i];
        LONGLONG a = std::max(start, segStart);
        LONGLONG b = std::min(end, segStart + s.length);
        Segment piece = s;
        piece.offset = s.offset + (a - segStart);
        piece.length = b - a;
        if (!piece.item)
            piece.offset = 0;
        Append(piece);
    }
}

ContentPtr Content::Sub(LONGLONG start, LONGLONG end) const
{
    auto c = std::make_shared<Content>();
    c->AppendRange(*this, start, end);
    return c;
}

ContentPtr Content::Delete(LONGLONG start, LONGLONG end) const
{
    auto c = std::make_shared<Content>();
    c->AppendRange(*this, 0, start);
    c->AppendRange(*this, std::max(start, end), m_length);
    return c;
}

ContentPtr Content::Insert(LONGLONG position, const Content& other) const
{
    auto c = std::make_shared<Content>();
    position = std::max<LONGLONG>(position, 0);
    c->AppendRange(*this, 0, position);
    if (position > m_length)
        c->Append(Segment{nullptr, 0, position - m_length});
    c->AppendRange(other, 0, other.m_length);
    c->AppendRange(*this, position, m_length);
    return c;
}
