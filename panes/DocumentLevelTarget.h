// DocumentLevelTarget: track volume and pan changes applied live to the document's engine and
// recorded as one "Volume" or "Pan" step when the gesture ends with a new value.
#pragma once
#include "StripLevelTarget.h"

class CNyMultiTrackDoc;

class DocumentLevelTarget : public StripLevelTarget {
public:
    explicit DocumentLevelTarget(CNyMultiTrackDoc* document) : m_document(document) {}
    virtual ~DocumentLevelTarget() = default;

    void BeginVolumeChange(int track, int* minimum, int* maximum) override;
    void SetTrackVolume(int track, double volume) override { Set(track, 0, volume); }
    void EndVolumeChange(int track) override { End(track, 0); }
    void BeginPanChange(int track) override { Begin(track, 1); }
    void SetTrackPan(int track, double pan) override { Set(track, 1, pan); }
    void EndPanChange(int track) override { End(track, 1); }
    void CancelLiveChange(int track) override;
    // The document alone writes no automation.
    void DeleteEnvelopePoint(int, int, int64_t) override {}

private:
    void Begin(int track, int kind);
    void Set(int track, int kind, double value);
    void End(int track, int kind);
    bool Read(int track, int kind, float* value);

    CNyMultiTrackDoc* m_document;
    int m_track = -1;
    int m_kind = -1;
    float m_before = 0.0f;
};
