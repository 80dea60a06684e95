// OutputClock: an output's played count between the steps in which the device moves it. The
// sound server's devices advance their count every 10 to 15 ms; read in between, the frames
// the wall clock says have passed since the count last moved are added, at most one step's
// worth, and a pause keeps the count where it was when the output stopped.
#pragma once
#include <windows.h>

#include <algorithm>

class OutputClock {
public:
    // The count for a raw reading of the device.
    LONGLONG Read(LONGLONG raw, DWORD rate)
    {
        const LONGLONG now = Ticks();
        if (m_frozen)
            return m_frozenAt;
        if (raw != m_raw) {
            m_raw = raw;
            m_since = now;
            return raw;
        }
        const LONGLONG passed = (now - m_since) * rate / Frequency();
        return raw + std::min(passed, static_cast<LONGLONG>(rate) * kMostStepMs / 1000);
    }
    // The output stopped (paused) or goes on: the count holds still in between. Read once
    // the device has stopped, its count is where the sound stopped; time since its last step
    // would add what the pause kept from being played.
    void Freeze(LONGLONG stoppedRaw)
    {
        m_frozenAt = stoppedRaw;
        m_frozen = true;
    }
    void Thaw(LONGLONG raw)
    {
        m_frozen = false;
        m_raw = raw;
        m_since = Ticks();
    }
    void Reset()
    {
        m_frozen = false;
        m_raw = -1;
    }

private:
    static constexpr int kMostStepMs = 15;
    static LONGLONG Ticks()
    {
        LARGE_INTEGER t;
        ::QueryPerformanceCounter(&t);
        return t.QuadPart;
    }
    static LONGLONG Frequency()
    {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }

    LONGLONG m_raw = -1;
    LONGLONG m_since = 0;
    LONGLONG m_frozenAt = 0;
    bool m_frozen = false;
};
