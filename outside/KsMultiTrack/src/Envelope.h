// Envelopes: an initial value and sorted points (position from the track start, value).
// EnvelopeData is the plain value (copied into mix snapshots); CEnvelope is the COM object
// of one live envelope, and the point enumerator walks a snapshot of its points.
#pragma once
#include "ComObject.h"
#include "KsMultiTrack.h"

#include <memory>
#include <mutex>
#include <vector>

// Private id through which the engine finds its own envelope object behind an IMtEnvelope.
KV_DECLARE_IID(IMtEnvelopeData, 0x5ad63483, 0x2fbd, 0x4365, 0xb4, 0x69, 0x2d, 0x1c, 0xe9, 0x4d, 0x22, 0xe0)

struct EnvelopePoint {
    LONGLONG position;
    float value;
};

class EnvelopeData {
public:
    explicit EnvelopeData(float initial = 0.0f) : m_initial(initial) {}

    float Initial() const { return m_initial; }
    void SetInitial(float v) { m_initial = v; }
    const std::vector<EnvelopePoint>& Points() const { return m_points; }

    void Clear() { m_points.clear(); }
    void InsertPoint(LONGLONG position, float value);
    bool DeletePoint(LONGLONG position);
    void InsertRange(LONGLONG start, LONGLONG length);
    void DeleteRange(LONGLONG start, LONGLONG length);
    // The points in [start, start + length) moved to count from start.
    EnvelopeData Extract(LONGLONG start, LONGLONG length) const;

    float ValueAt(LONGLONG position) const;
    // out[i] = ValueAt(position + i) for i < count, walking the points once.
    void Fill(LONGLONG position, int count, float* out) const;

private:
    float m_initial;
    std::vector<EnvelopePoint> m_points;
};

// One live envelope of a track. The lock guards the data against mix snapshots taken on
// other threads.
class CEnvelope : public ComObject<IMtEnvelope> {
public:
    explicit CEnvelope(float initial) : m_data(initial) {}

    EnvelopeData Snapshot() const;
    void Assign(const EnvelopeData& data);

    STDMETHODIMP Clear() override;
    STDMETHODIMP Restore(IMtEnvelope* from) override;
    STDMETHODIMP Clone(IMtEnvelope** copy) override;
    STDMETHODIMP InsertPoint(LONGLONG position, float value) override;
    STDMETHODIMP DeletePoint(LONGLONG position) override;
    STDMETHODIMP InsertRange(LONGLONG start, LONGLONG length) override;
    STDMETHODIMP DeleteRange(LONGLONG start, LONGLONG length) override;
    STDMETHODIMP EnumPoints(IMtEnvelopePointEnum** points) override;
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP GetCount(LONG* count) override;
    STDMETHODIMP GetValueAt(LONGLONG position, float* value) override;
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP GetInitialValue(float* value) override;
    STDMETHODIMP SetInitialValue(float value) override;

protected:
    void* QueryExtraInterface(REFIID iid) override { return iid == __uuidof(IMtEnvelopeData) ? this : nullptr; }

private:
    mutable std::mutex m_lock;
    EnvelopeData m_data;
    // The points as last handed to enumerators; dropped by every change of the points.
    std::shared_ptr<const std::vector<EnvelopePoint>> m_shared;
};

// The data of any IMtEnvelope of this engine; false for a foreign object.
bool EnvelopeSnapshotOf(IMtEnvelope* envelope, EnvelopeData* out);

// Default values of the five kinds: level 1.0, the others 0.0.
inline float DefaultEnvelopeValue(LONG kind)
{
    return kind == kMtEnvLevel ? 1.0f : 0.0f;
}
