// ArModel: an autoregressive model of a short stretch of sound, x[n] ~ sum a_k x[n-k] for
// k = 1..order, and what a click remover asks of it: the prediction errors looking back and
// looking ahead, and the least-squares fill of a gap from the sound on both sides.
//
//   ArModel model(32);
//   if (model.Fit(x, 2048)) {                         // Hann window, autocorrelation method
//       model.ForwardErrors(x + at, e, count);        // reads x[at - order .. at + count)
//       double b = model.BackwardError(x + i);        // reads x[i .. i + order]
//       model.Fill(x + gap, length);                  // reads x[gap - order .. gap + length + order)
//   }
#pragma once
#include <cstddef>
#include <vector>

namespace fx {

class ArModel {
public:
    explicit ArModel(int order);

    // Fits the model to x[0, count); false when the stretch is silent (the model then predicts 0).
    bool Fit(const float* x, size_t count);
    // e[i] = x[i] - prediction from the `order` samples before it, for i in [0, count).
    void ForwardErrors(const float* x, float* e, size_t count) const;
    // x[0] - its prediction from the `order` samples after it (a stationary model predicts
    // backwards with the same coefficients).
    double BackwardError(const float* x) const;
    // Replaces x[0, length) by the values that make the prediction errors over the gap and the
    // `order` samples after it least (the sound `order` samples each side stays); false when the
    // system is singular, x unchanged.
    bool Fill(float* x, size_t length);

private:
    int m_order;
    std::vector<double> m_a;                           // a_1..a_order (index 0 unused)
    std::vector<float> m_af;                           // the same for the error loops
    std::vector<double> m_window;                      // Hann window of the last fitted length
    std::vector<double> m_weighted;                    // windowed stretch
    std::vector<double> m_correlation;                 // its autocorrelation, lags 0..order
    std::vector<double> m_filter, m_filterCorrelation; // 1, -a_1 .. -a_order and its autocorrelation
    std::vector<double> m_band;                        // gap system's Cholesky factor, length x (order + 1)
    std::vector<double> m_rhs;
};

} // namespace fx
