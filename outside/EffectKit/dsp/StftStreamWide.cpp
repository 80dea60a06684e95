#include "StftStreamWide.h"

#include <algorithm>
#include <immintrin.h>

namespace fxkit::wide {

size_t GatherStereo(const float* history, const float* window, float* re, float* im, size_t count, float* peaks)
{
    const __m256 magnitude = _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff));
    __m256 realPeaks = _mm256_setzero_ps(), imagPeaks = _mm256_setzero_ps();
    size_t j = 0;
    for (; j + 8 <= count; j += 8) {
        // Frames 0 .. 3 and 4 .. 7 as (0, 1, 4, 5) and (2, 3, 6, 7), then each channel in order.
        const __m256 a = _mm256_loadu_ps(history + 2 * j), b = _mm256_loadu_ps(history + 2 * j + 8);
        const __m256 low = _mm256_permute2f128_ps(a, b, 0x20), high = _mm256_permute2f128_ps(a, b, 0x31);
        const __m256 w = _mm256_loadu_ps(window + j);
        const __m256 r = _mm256_mul_ps(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)), w);
        const __m256 m = _mm256_mul_ps(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)), w);
        _mm256_storeu_ps(re + j, r);
        _mm256_storeu_ps(im + j, m);
        realPeaks = _mm256_max_ps(realPeaks, _mm256_and_ps(r, magnitude));
        imagPeaks = _mm256_max_ps(imagPeaks, _mm256_and_ps(m, magnitude));
    }
    alignas(32) float lanes[2][8];
    _mm256_store_ps(lanes[0], realPeaks);
    _mm256_store_ps(lanes[1], imagPeaks);
    for (int part = 0; part < 2; ++part)
        for (float lane : lanes[part])
            peaks[part] = std::max(peaks[part], lane);
    return j;
}

size_t AddStereo(double* sum, const float* re, const float* im, const float* window, size_t count, double firstScale,
                 double secondScale)
{
    const __m256d by = _mm256_setr_pd(firstScale, secondScale, firstScale, secondScale);
    const auto add = [&](double* at, __m128 pairs) {
        _mm256_storeu_pd(at, _mm256_add_pd(_mm256_loadu_pd(at), _mm256_mul_pd(_mm256_cvtps_pd(pairs), by)));
    };
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 w = _mm256_loadu_ps(window + i);
        const __m256 r = _mm256_mul_ps(_mm256_loadu_ps(re + i), w), m = _mm256_mul_ps(_mm256_loadu_ps(im + i), w);
        // (r0 m0 r1 m1 | r4 m4 r5 m5) and (r2 m2 r3 m3 | r6 m6 r7 m7).
        const __m256 low = _mm256_unpacklo_ps(r, m), high = _mm256_unpackhi_ps(r, m);
        double* at = sum + 2 * i;
        add(at, _mm256_castps256_ps128(low));
        add(at + 4, _mm256_castps256_ps128(high));
        add(at + 8, _mm256_extractf128_ps(low, 1));
        add(at + 12, _mm256_extractf128_ps(high, 1));
    }
    return i;
}

size_t Finish(double* sum, float* to, size_t count, double largest)
{
    const __m256d high = _mm256_set1_pd(largest), low = _mm256_set1_pd(-largest), zero = _mm256_setzero_pd();
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256d a = _mm256_min_pd(high, _mm256_max_pd(low, _mm256_loadu_pd(sum + i)));
        const __m256d b = _mm256_min_pd(high, _mm256_max_pd(low, _mm256_loadu_pd(sum + i + 4)));
        _mm256_storeu_ps(to + i, _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(a)), _mm256_cvtpd_ps(b), 1));
        _mm256_storeu_pd(sum + i, zero);
        _mm256_storeu_pd(sum + i + 4, zero);
    }
    return i;
}

} // namespace fxkit::wide
