/* The native peer of analysis_bench, built by run.sh against Debian's libfftw3:
 *   fftw_peer sizes [nosimd]   ns a transform of FFTW's in-place complex double transform
 *                              (measured plans), every size 128 .. 65536
 *   fftw_peer run FILE.wav     the same averaged Hanning spectrum as the analyser (N = 1024,
 *                              overlap 0, stereo 16-bit), one real transform a channel a frame;
 *                              the file is read before the clock starts. */
#include <fftw3.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double Seconds(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

static int Sizes(unsigned flags)
{
    for (int n = 128; n <= 65536; n *= 2) {
        fftw_complex* data = fftw_alloc_complex(n);
        fftw_plan plan = fftw_plan_dft_1d(n, data, data, FFTW_FORWARD, FFTW_MEASURE | flags);
        for (int i = 0; i < n; ++i) {
            data[i][0] = sin(0.1 * i);
            data[i][1] = cos(0.1 * i);
        }
        double best = 1e30;
        for (int round = 0; round < 5; ++round) {
            long calls = 0;
            double start = Seconds(), elapsed;
            do {
                for (int i = 0; i < 16; ++i) {
                    fftw_execute(plan);
                    data[0][0] = 0.5;
                }
                calls += 16;
                elapsed = Seconds() - start;
            } while (elapsed < 0.05);
            if (elapsed * 1e9 / calls < best)
                best = elapsed * 1e9 / calls;
        }
        printf("FFTW %6d %12.0f\n", n, best);
        fftw_destroy_plan(plan);
        fftw_free(data);
    }
    return 0;
}

static int Run(const char* path)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return 1;
    fseek(f, 0, SEEK_END);
    long bytes = ftell(f) - 44;
    fseek(f, 44, SEEK_SET);
    int16_t* samples = malloc(bytes);
    if (fread(samples, 1, bytes, f) != (size_t)bytes)
        return 1;
    fclose(f);
    const int n = 1024, channels = 2;
    const long frames = bytes / 4;
    double* in = fftw_alloc_real(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
    double window[1024], power[2][513], squares = 0;
    for (int i = 0; i < n; ++i) {
        window[i] = 0.5 - 0.5 * cos(2 * M_PI * i / n);
        squares += window[i] * window[i];
    }
    double best = 1e30, level = 0;
    for (int round = 0; round < 3; ++round) {
        double start = Seconds();
        memset(power, 0, sizeof power);
        long count = 0;
        for (long at = 0; at < frames; at += n, ++count)
            for (int c = 0; c < channels; ++c) {
                for (int i = 0; i < n; ++i)
                    in[i] = at + i < frames ? window[i] * samples[(at + i) * channels + c] : 0.0;
                fftw_execute(plan);
                for (int k = 0; k <= n / 2; ++k)
                    power[c][k] += out[k][0] * out[k][0] + out[k][1] * out[k][1];
            }
        const double scale = 1.0 / (count * squares / n) * 1.7765306274363926e-15;
        for (int c = 0; c < channels; ++c)
            for (int k = 0; k <= n / 2; ++k)
                power[c][k] *= (k == 0 || k == n / 2 ? 1 : 2) * scale;
        double elapsed = Seconds() - start;
        if (elapsed < best)
            best = elapsed;
        level = 10 * log10(power[0][1000 * 1024 / 48000]);
    }
    printf("RUN %.4f\nlevel near 1 kHz, left: %.2f dB\n", best, level);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "sizes") == 0)
        return Sizes(argc > 2 ? FFTW_NO_SIMD : 0);
    if (argc > 2 && strcmp(argv[1], "run") == 0)
        return Run(argv[2]);
    fprintf(stderr, "usage: fftw_peer sizes [nosimd] | run FILE.wav\n");
    return 2;
}
