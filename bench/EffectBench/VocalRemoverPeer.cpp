// A native peer for the vocal remover's row, built by run.sh with the host's compiler and FFTW
// (single precision, planned with FFTW_MEASURE): the same short-time work on the same 16-bit
// stereo WAV, read into floats first. Per frame of 2048 points, hop 512, square-root Hann on both
// sides: both channels' real transforms in one plan, the channels' similarity per bin from 150
// Hz to 8 kHz setting the gain 1 - s^8, both inverse transforms, overlap-add. Prints
// "PEER_FPS <frames per second>" of the processing alone. Usage: VocalRemoverPeer file.wav
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    FILE* f = std::fopen(argv[1], "rb");
    if (!f)
        return 1;
    std::vector<unsigned char> file;
    unsigned char buffer[1 << 16];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        file.insert(file.end(), buffer, buffer + got);
    std::fclose(f);
    size_t at = 12, dataAt = 0, dataBytes = 0;
    while (at + 8 <= file.size()) {
        uint32_t size;
        std::memcpy(&size, &file[at + 4], 4);
        if (std::memcmp(&file[at], "data", 4) == 0) {
            dataAt = at + 8;
            dataBytes = std::min<size_t>(size, file.size() - dataAt);
            break;
        }
        at += 8 + size + (size & 1);
    }
    const size_t frames = dataBytes / 4;
    std::vector<float> left(frames), right(frames), outLeft(frames + 2048), outRight(frames + 2048);
    for (size_t i = 0; i < frames; ++i) {
        int16_t s[2];
        std::memcpy(s, &file[dataAt + 4 * i], 4);
        left[i] = s[0] / 32768.0f;
        right[i] = s[1] / 32768.0f;
    }

    constexpr int n = 2048, hop = 512, bins = n / 2 + 1;
    const double rate = 44100, pi = 3.14159265358979323846;
    const int low = int(std::ceil(150 / (rate / n))), high = std::min(int(std::floor(8000 / (rate / n))), n / 2);
    float* time = fftwf_alloc_real(2 * n);
    fftwf_complex* spectra = fftwf_alloc_complex(2 * bins);
    int size = n;
    fftwf_plan forward =
        fftwf_plan_many_dft_r2c(1, &size, 2, time, nullptr, 1, n, spectra, nullptr, 1, bins, FFTW_MEASURE);
    fftwf_plan inverse =
        fftwf_plan_many_dft_c2r(1, &size, 2, spectra, nullptr, 1, bins, time, nullptr, 1, n, FFTW_MEASURE);
    std::vector<float> window(n);
    for (int i = 0; i < n; ++i)
        window[size_t(i)] = float(std::sqrt(0.5 - 0.5 * std::cos(2 * pi * i / n)));
    const float scale = 0.5f / n;

    const auto start = std::chrono::steady_clock::now();
    for (size_t from = 0; from + n <= frames; from += hop) {
        for (int i = 0; i < n; ++i) {
            time[i] = left[from + size_t(i)] * window[size_t(i)];
            time[n + i] = right[from + size_t(i)] * window[size_t(i)];
        }
        fftwf_execute(forward);
        for (int k = low; k <= high; ++k) {
            float* l = spectra[k];
            float* r = spectra[bins + k];
            const double power = double(l[0]) * l[0] + double(l[1]) * l[1] + double(r[0]) * r[0] + double(r[1]) * r[1];
            if (power <= 0)
                continue;
            const double s = std::max(0.0, 2.0 * (double(l[0]) * r[0] + double(l[1]) * r[1]) / power);
            const double s2 = s * s, s4 = s2 * s2;
            const float g = float(1.0 - s4 * s4);
            l[0] *= g, l[1] *= g, r[0] *= g, r[1] *= g;
        }
        fftwf_execute(inverse);
        for (int i = 0; i < n; ++i) {
            const float w = window[size_t(i)] * scale;
            outLeft[from + size_t(i)] += time[i] * w;
            outRight[from + size_t(i)] += time[n + i] * w;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double check = 0;
    for (size_t i = 0; i < frames; i += 4096)
        check += outLeft[i] + outRight[i];
    std::printf("PEER_FPS %.0f\n", frames / seconds);
    std::fprintf(stderr, "(checksum %g)\n", check);
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(inverse);
    fftwf_free(time);
    fftwf_free(spectra);
    return 0;
}
