#include "Envelope.h"

#include "ComRef.h"

#include <algorithm>
#include <cmath>

namespace {

bool Before(const EnvelopePoint& p, LONGLONG position)
{
    return p.position < position;
}

class CPointEnum : public ComObject<IMtEnvelopePointEnum> {
public:
    explicit CPointEnum(std::shared_ptr<const std::vector<EnvelopePoint>> shared)
        : m_shared(std::move(shared)), m_points(*m_shared)
    {
    }
    STDMETHODIMP Next(MtEnvelopePointItem* point) override
    {
        if (!point)
            return E_POINTER;
        if (m_next >= m_points.size())
            return S_FALSE;
        const EnvelopePoint& p = m_points[m_next];
        LONGLONG previous = m_next == 0 ? 0 : m_points[m_next - 1].position;
        point->distance = p.position - previous;
        point->value = p.value;
        point->reserved = 0;
        ++m_next;
        return S_OK;
    }
    STDMETHODIMP Reset() override
    {
        m_next = 0;
        return S_OK;
    }

private:
    std::shared_ptr<const std::vector<EnvelopePoint>> m_shared;
    const std::vector<EnvelopePoint>& m_points;
    size_t m_next = 0;
};

} // namespace

void EnvelopeData::InsertPoint(LONGLONG position, float value)
{
    auto it = std::lower_bound(m_points.begin(), m_points.end(), position, Before);
    if (it != m_points.end() && it->position == position)
        it->value = value;
    else
        m_points.insert(it, EnvelopePoint{position, value});
}

bool EnvelopeData::DeletePoint(LONGLONG position)
{
    auto it = std::lower_bound(m_points.begin(), m_points.end(), position, Before);
    if (it == m_points.end() || it->position != position)
        return false;
    m_points.erase(it);
    return true;
}

void EnvelopeData::InsertRange(LONGLONG start, LONGLONG length)
{
    if (length <= 0)
        return;
    for (auto& p : m_points)
        if (p.position >= start)
            p.position += length;
}

void EnvelopeData::DeleteRange(LONGLONG start, LONGLONG length)
{
    if (length <= 0)
        return;
    LONGLONG end = start + length;
    std::vector<EnvelopePoint> kept;
    kept.reserve(m_points.size());
    for (const auto& p : m_points) {
        if (p.position < start)
            kept.push_back(p);
        else if (p.position >= end)
            kept.push_back(EnvelopePoint{p.position - length, p.value});
    }
    m_points.swap(kept);
}

EnvelopeData EnvelopeData::Extract(LONGLONG start, LONGLONG length) const
{
    EnvelopeData out(m_initial);
    if (m_points.empty())
        return out;
    // The copy keeps the values at its edges so that it sounds as the range did.
    LONGLONG end = start + length;
    out.m_points.push_back(EnvelopePoint{0, ValueAt(start)});
    for (const auto& p : m_points)
        if (p.position > start && p.position < end)
            out.m_points.push_back(EnvelopePoint{p.position - start, p.value});
    if (length > 1)
        out.InsertPoint(length - 1, ValueAt(end - 1));
    return out;
}

float EnvelopeData::ValueAt(LONGLONG position) const
{
    if (m_points.empty())
        return m_initial;
    if (position <= m_points.front().position)
        return m_points.front().value;
    if (position >= m_points.back().position)
        return m_points.back().value;
    auto it = std::lower_bound(m_points.begin(), m_points.end(), position, Before);
    const EnvelopePoint& b = *it;
    if (b.position == position)
        return b.value;
    const EnvelopePoint& a = *(it - 1);
    double t = static_cast<double>(position - a.position) / static_cast<double>(b.position - a.position);
    return static_cast<float>(a.value + (b.value - a.value) * t);
}

void EnvelopeData::Fill(LONGLONG position, int count, float* out) const
{
    if (m_points.empty()) {
        std::fill(out, out + count, m_initial);
        return;
    }
    int i = 0;
    // Before the first point.
    LONGLONG first = m_points.front().position;
    while (i < count && position + i <= first)
        out[i++] = m_points.front().value;
    auto it = std::upper_bound(m_points.begin(), m_points.end(), position + i,
                               [](LONGLONG pos, const EnvelopePoint& p) { return pos < p.position; });
    while (i < count) {
        if (it == m_points.end()) {
            std::fill(out + i, out + count, m_points.back().value);
            return;
        }
        const EnvelopePoint& a = *(it - 1);
        const EnvelopePoint& b = *it;
        const double slope = (static_cast<double>(b.value) - a.value) / static_cast<double>(b.position - a.position);
        LONGLONG stop = std::min<LONGLONG>(b.position - position, count);
        for (; i < stop; ++i)
            out[i] = static_cast<float>(a.value + slope * static_cast<double>(position + i - a.position));
        ++it;
    }
}

EnvelopeData CEnvelope::Snapshot() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_data;
}

void CEnvelope::Assign(const EnvelopeData& data)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_data = data;
    m_shared.reset();
}

bool EnvelopeSnapshotOf(IMtEnvelope* envelope, EnvelopeData* out)
{
    if (!envelope)
        return false;
    ComRef<CEnvelope> own;
    if (FAILED(envelope->QueryInterface(__uuidof(IMtEnvelopeData), own.OutVoid())) || !own)
        return false;
    *out = own->Snapshot();
    return true;
}

STDMETHODIMP CEnvelope::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_data.Clear();
    m_shared.reset();
    return S_OK;
}

STDMETHODIMP CEnvelope::Restore(IMtEnvelope* from)
{
    EnvelopeData data;
    if (!EnvelopeSnapshotOf(from, &data))
        return E_INVALIDARG;
    Assign(data);
    return S_OK;
}

STDMETHODIMP CEnvelope::Clone(IMtEnvelope** copy)
{
    if (!copy)
        return E_POINTER;
    CEnvelope* e = Create<CEnvelope>(0.0f);
    if (!e) {
        *copy = nullptr;
        return E_OUTOFMEMORY;
    }
    e->Assign(Snapshot());
    *copy = e;
    return S_OK;
}

STDMETHODIMP CEnvelope::InsertPoint(LONGLONG position, float value)
{
    // A value that is not a number would silence or blow up every mix through it.
    if (!std::isfinite(value))
        return E_INVALIDARG;
    std::lock_guard<std::mutex> guard(m_lock);
    m_data.InsertPoint(position, value);
    m_shared.reset();
    return S_OK;
}

STDMETHODIMP CEnvelope::DeletePoint(LONGLONG position)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_shared.reset();
    return m_data.DeletePoint(position) ? S_OK : S_FALSE;
}

STDMETHODIMP CEnvelope::InsertRange(LONGLONG start, LONGLONG length)
{
    if (length < 0)
        return E_INVALIDARG;
    std::lock_guard<std::mutex> guard(m_lock);
    m_data.InsertRange(start, length);
    m_shared.reset();
    return S_OK;
}

STDMETHODIMP CEnvelope::DeleteRange(LONGLONG start, LONGLONG length)
{
    if (length < 0)
        return E_INVALIDARG;
    std::lock_guard<std::mutex> guard(m_lock);
    m_data.DeleteRange(start, length);
    m_shared.reset();
    return S_OK;
}

STDMETHODIMP CEnvelope::EnumPoints(IMtEnvelopePointEnum** points)
{
    if (!points)
        return E_POINTER;
    *points = nullptr;
    try {
        std::shared_ptr<const std::vector<EnvelopePoint>> shared;
        {
            // Enumerators share one copy of the points until they change: a repaint walks a
            // long envelope without copying it.
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_shared)
                m_shared = std::make_shared<const std::vector<EnvelopePoint>>(m_data.Points());
            shared = m_shared;
        }
        *points = Create<CPointEnum>(std::move(shared));
    } catch (const std::bad_alloc&) {
    }
    return *points ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CEnvelope::GetCount(LONG* count)
{
    if (!count)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *count = static_cast<LONG>(m_data.Points().size());
    return S_OK;
}

STDMETHODIMP CEnvelope::GetValueAt(LONGLONG position, float* value)
{
    if (!value)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *value = m_data.ValueAt(position);
    return S_OK;
}

STDMETHODIMP CEnvelope::GetInitialValue(float* value)
{
    if (!value)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *value = m_data.Initial();
    return S_OK;
}

STDMETHODIMP CEnvelope::SetInitialValue(float value)
{
    if (!std::isfinite(value))
        return E_INVALIDARG;
    std::lock_guard<std::mutex> guard(m_lock);
    m_data.SetInitial(value);
    return S_OK;
}
