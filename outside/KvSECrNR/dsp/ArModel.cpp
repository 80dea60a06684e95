#include "ArModel.h"

#include <algorithm>
#include <cmath>

namespace fx {

ArModel::ArModel(int order)
    : m_order(order), m_a(size_t(order) + 1, 0.0), m_af(size_t(order) + 1, 0.0f), m_correlation(size_t(order) + 1, 0.0),
      m_filter(size_t(order) + 1, 0.0), m_filterCorrelation(size_t(order) + 1, 0.0)
{
    m_filter[0] = m_filterCorrelation[0] = 1.0;
}

bool ArModel::Fit(const float* x, size_t count)
{
    const size_t p = size_t(m_order);
    if (m_window.size() != count) {
        const double pi = 3.14159265358979323846;
        m_window.resize(count);
        for (size_t i = 0; i < count; ++i)
            m_window[i] = 0.5 - 0.5 * std::cos(2 * pi * (double(i) + 0.5) / double(count));
    }
    m_weighted.resize(count);
    for (size_t i = 0; i < count; ++i)
        m_weighted[i] = x[i] * m_window[i];
    std::vector<double>& r = m_correlation;
    const double* w = m_weighted.data();
    for (size_t k = 0; k <= p && k < count; ++k) {
        // Four running sums: independent chains the compiler may run side by side.
        const double* ahead = w + k;
        const size_t n = count - k;
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        size_t i = 0;
        for (; i + 4 <= n; i += 4) {
            s0 += ahead[i] * w[i];
            s1 += ahead[i + 1] * w[i + 1];
            s2 += ahead[i + 2] * w[i + 2];
            s3 += ahead[i + 3] * w[i + 3];
        }
        for (; i < n; ++i)
            s0 += ahead[i] * w[i];
        r[k] = (s0 + s1) + (s2 + s3);
    }
    std::fill(m_a.begin(), m_a.end(), 0.0);
    std::fill(m_af.begin(), m_af.end(), 0.0f);
    std::fill(m_filter.begin(), m_filter.end(), 0.0);
    m_filter[0] = 1.0;
    std::fill(m_filterCorrelation.begin(), m_filterCorrelation.end(), 0.0);
    m_filterCorrelation[0] = 1.0;
    // Below -140 dBFS on average there is nothing to model.
    if (!(r[0] > 1e-14 * double(count)))
        return false;
    // A trace of white noise keeps the system well conditioned for pure tones.
    r[0] *= 1.0 + 1e-7;
    // Levinson-Durbin, each order's coefficients updated in place from both ends.
    double error = r[0];
    for (size_t i = 1; i <= p; ++i) {
        double acc = r[i];
        for (size_t k = 1; k < i; ++k)
            acc -= m_a[k] * r[i - k];
        const double reflection = acc / error;
        // Rounding can make a nearly singular system look unstable: keep the lower order.
        if (!(std::fabs(reflection) < 1.0))
            break;
        for (size_t k = 1, j = i - 1; k <= j; ++k, --j) {
            const double low = m_a[k], high = m_a[j];
            m_a[k] = low - reflection * high;
            if (k != j)
                m_a[j] = high - reflection * low;
        }
        m_a[i] = reflection;
        error *= 1.0 - reflection * reflection;
    }
    for (size_t k = 1; k <= p; ++k)
        m_af[k] = float(m_a[k]);
    // The error filter c = (1, -a_1 .. -a_p) and its autocorrelation, for the fills.
    m_filter[0] = 1.0;
    for (size_t k = 1; k <= p; ++k)
        m_filter[k] = -m_a[k];
    for (size_t d = 0; d <= p; ++d) {
        double sum = 0;
        for (size_t k = 0; k + d <= p; ++k)
            sum += m_filter[k] * m_filter[k + d];
        m_filterCorrelation[d] = sum;
    }
    return true;
}

void ArModel::ForwardErrors(const float* x, float* e, size_t count) const
{
    std::copy(x, x + count, e);
    // Term by term over the whole run: the inner loop runs over samples and vectorises.
    for (int k = 1; k <= m_order; ++k) {
        const float a = m_af[size_t(k)];
        const float* from = x - k;
        for (size_t i = 0; i < count; ++i)
            e[i] -= a * from[i];
    }
}

double ArModel::BackwardError(const float* x) const
{
    double prediction = 0;
    for (int k = 1; k <= m_order; ++k)
        prediction += m_a[size_t(k)] * x[k];
    return x[0] - prediction;
}

bool ArModel::Fill(float* x, size_t length)
{
    const size_t p = size_t(m_order), m = length, w = p + 1;
    // The gap's normal equations are the banded Toeplitz system
    // R(i - j) x_j = -sum over known j of R(i - j) x_j, R the error filter's autocorrelation.
    const std::vector<double>& rc = m_filterCorrelation;
    m_rhs.assign(m, 0.0);
    for (size_t i = 0; i < m; ++i) {
        double sum = 0;
        // Known sound before the gap (x[-p..-1]) and after it (x[m..m+p-1]) within reach.
        for (size_t d = i + 1; d <= p; ++d)
            sum += rc[d] * x[ptrdiff_t(i) - ptrdiff_t(d)];
        for (size_t j = m; j <= i + p && j < m + p; ++j)
            sum += rc[j - i] * x[j];
        m_rhs[i] = -sum;
    }
    // Banded Cholesky: L[i][i - j] for j in [i - p, i], stored row by row, w wide.
    m_band.assign(m * w, 0.0);
    auto at = [&](size_t i, size_t j) -> double& { return m_band[i * w + (i - j)]; };
    for (size_t i = 0; i < m; ++i) {
        const size_t first = i > p ? i - p : 0;
        for (size_t j = first; j <= i; ++j) {
            double sum = rc[i - j];
            const size_t from = std::max(first, j > p ? j - p : 0);
            for (size_t k = from; k < j; ++k)
                sum -= at(i, k) * at(j, k);
            if (j == i) {
                if (!(sum > 0))
                    return false;
                at(i, i) = std::sqrt(sum);
            } else
                at(i, j) = sum / at(j, j);
        }
    }
    // L y = rhs, then L^T z = y.
    for (size_t i = 0; i < m; ++i) {
        double sum = m_rhs[i];
        for (size_t k = i > p ? i - p : 0; k < i; ++k)
            sum -= at(i, k) * m_rhs[k];
        m_rhs[i] = sum / at(i, i);
    }
    for (size_t i = m; i-- > 0;) {
        double sum = m_rhs[i];
        for (size_t k = i + 1; k < m && k <= i + p; ++k)
            sum -= at(k, i) * m_rhs[k];
        m_rhs[i] = sum / at(i, i);
    }
    for (size_t i = 0; i < m; ++i)
        x[i] = float(m_rhs[i]);
    return true;
}

} // namespace fx
