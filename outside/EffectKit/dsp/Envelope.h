// A peak follower with its own attack and release times: rises toward a larger input by
// 1 - exp(-1 / (attack * rate)) of the gap per sample and falls with the release's constant.
// An attack of 0 follows a rise at once.
#pragma once
#include <cmath>

namespace fxkit {

class EnvelopeFollower {
public:
    void Setup(double attackMs, double releaseMs, double rate)
    {
        m_attack = Coefficient(attackMs, rate);
        m_release = Coefficient(releaseMs, rate);
    }
    void Reset(double value = 0) { m_value = value; }
    double Next(double x)
    {
        m_value += (x > m_value ? m_attack : m_release) * (x - m_value);
        return m_value;
    }
    double Value() const { return m_value; }

    static double Coefficient(double ms, double rate) { return ms <= 0 ? 1.0 : 1.0 - std::exp(-1000.0 / (ms * rate)); }

private:
    double m_attack = 1, m_release = 1, m_value = 0;
};

} // namespace fxkit
