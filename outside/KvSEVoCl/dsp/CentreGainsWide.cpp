#include "CentreGainsWide.h"

#include <immintrin.h>

namespace fx::wide {

namespace {

inline __m256 Reversed(__m256 x)
{
    const __m256 inHalves = _mm256_permute_ps(x, _MM_SHUFFLE(0, 1, 2, 3));
    return _mm256_permute2f128_ps(inHalves, inHalves, 1);
}

} // namespace

void ScaleCentre(float* re, float* im, const int32_t* inBand, size_t size, float strength)
{
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f), by = _mm256_set1_ps(strength);
    for (size_t block = 16; block < size; block *= 2)
        for (size_t p = block; p < block + block / 2; p += 8) {
            const size_t q = 3 * block - 8 - p; // the mirrors of p + 7 .. p
            const __m256 pr = _mm256_loadu_ps(re + p), pi = _mm256_loadu_ps(im + p);
            const __m256 mr = _mm256_loadu_ps(re + q), mi = _mm256_loadu_ps(im + q);
            const __m256 qr = Reversed(mr), qi = Reversed(mi);
            // left = (Z[k] + conj Z[-k]) / 2, right = (Z[k] - conj Z[-k]) / 2i, each times 2.
            const __m256 lr = _mm256_add_ps(pr, qr), li = _mm256_sub_ps(pi, qi);
            const __m256 rr = _mm256_add_ps(pi, qi), ri = _mm256_sub_ps(qr, pr);
            const __m256 power = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(lr, lr), _mm256_mul_ps(li, li)),
                                               _mm256_add_ps(_mm256_mul_ps(rr, rr), _mm256_mul_ps(ri, ri)));
            const __m256 dot = _mm256_add_ps(_mm256_mul_ps(lr, rr), _mm256_mul_ps(li, ri));
            // Within 0 .. 1 (rounding could pass 1 and turn the gain over); a silent bin passes.
            const __m256 sound = _mm256_cmp_ps(power, zero, _CMP_GT_OQ);
            const __m256 s = _mm256_and_ps(
                sound, _mm256_min_ps(one, _mm256_max_ps(zero, _mm256_div_ps(_mm256_add_ps(dot, dot), power))));
            const __m256 s2 = _mm256_mul_ps(s, s), s4 = _mm256_mul_ps(s2, s2);
            const __m256 band = _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(inBand + p)));
            // Outside the band 1 - 0.
            const __m256 g = _mm256_sub_ps(one, _mm256_and_ps(band, _mm256_mul_ps(by, _mm256_mul_ps(s4, s4))));
            const __m256 mirrored = Reversed(g);
            _mm256_storeu_ps(re + p, _mm256_mul_ps(pr, g));
            _mm256_storeu_ps(im + p, _mm256_mul_ps(pi, g));
            _mm256_storeu_ps(re + q, _mm256_mul_ps(mr, mirrored));
            _mm256_storeu_ps(im + q, _mm256_mul_ps(mi, mirrored));
        }
}

} // namespace fx::wide
