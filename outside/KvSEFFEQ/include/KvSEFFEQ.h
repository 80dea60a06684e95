// KvSEFFEQ.dll, FFT equaliser: a curve drawn over a channel's spectrum, applied as a
// linear-phase FIR. IEffectParameters values (dsp/FftEqKernel.h): 0 FFT size, 1 overlap,
// 2 window, 3 and 4 the level axis in dB, 5 frequency axis, 6 channel analysed, 7 point count
// 0..12, then per point its frequency 20..20000 Hz and gain -48..+24 dB.
// The program's dialog drives the module through IFftEqualizer; the page draws the spectrum
// that the last analysis left.
#pragma once
#include <windows.h>

#include "IEffectEnvironment.h"
#include "InterfaceId.h"

// {E03FEABA-F561-4FB8-982A-0840BCF0F501}
inline const CLSID CLSID_KvSEFFEQ = {0xE03FEABA, 0xF561, 0x4FB8, {0x98, 0x2A, 0x08, 0x40, 0xBC, 0xF0, 0xF5, 0x01}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6007}
inline const CLSID CLSID_KvSEFFEQPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x07}};

// The record the program's dialog reads and writes whole. 0 and 1 are the module's (kept 0).
struct FftEqParameters {
    int reserved0;
    int reserved1;
    int fftSize;   // 128 .. 65536, a power of two
    int overlap;   // 0 .. fftSize - 1
    int window;    // 0 Hanning, 1 Hamming, 2 Blackman, 3 Bartlett, 4 Rectangular, 5 Blackman-Harris
    int minimumDb; // level axis, below maximumDb
    int maximumDb;
    int axis;    // 0 logarithmic, 1 linear
    int channel; // channel analysed within the track
};
static_assert(sizeof(FftEqParameters) == 36, "nine 32-bit values");

KV_DECLARE_IID(IFftEqualizer, 0x7E01B4B7, 0xCACD, 0x4ABA, 0x89, 0x59, 0xC4, 0x2E, 0x74, 0x38, 0x9F, 0x8A);
struct IFftEqualizer : IUnknown {
    // 3
    STDMETHOD(GetParameters)(FftEqParameters* parameters) = 0;
    // 4: taken whole or not at all: E_INVALIDARG for a size that is no power of two in range,
    // an overlap not below the size, a window outside 0..5, or a maximum not above the minimum;
    // a negative overlap, the axis, the channel and the level bounds (-200..60 dB) are clamped
    // (S_FALSE).
    STDMETHOD(SetParameters)(const FftEqParameters* parameters) = 0;
    KV_FILLER_SLOT(5);
    KV_FILLER_SLOT(6);
    // 7: 1: the next stream is analysed (it passes unchanged); 0: it is equalised.
    STDMETHOD(SetAnalysisMode)(int analyse) = 0;
    // 8: keeps the spectrum shown now, before an analysis or a preview that may replace it.
    STDMETHOD(KeepSpectrum)() = 0;
    // 9: 1 puts the kept spectrum back (the analysis failed, the preview ended); 0 keeps the new.
    // Either way the kept one is forgotten; with none kept the shown one stays.
    STDMETHOD(SettleSpectrum)(int restore) = 0;
    KV_FILLER_SLOTS_10(1);
    KV_FILLER_SLOT(20);
    KV_FILLER_SLOT(21);
    KV_FILLER_SLOT(22);
    KV_FILLER_SLOT(23);
    KV_FILLER_SLOT(24);
    KV_FILLER_SLOT(25);
    KV_FILLER_SLOT(26);
    // 27: the channel the next analysis takes (clamped to 0..5, then to the stream's last).
    STDMETHOD(SelectChannel)(int channel) = 0;
};

// Between the module's filter and its page: the spectrum of the last analysis.
KV_DECLARE_IID(IFftEqualizerSpectrum, 0x6A1E0B31, 0x57C4, 0x4F0E, 0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x61, 0x07);
struct IFftEqualizerSpectrum : IUnknown {
    // 3: levels in dB of bins 0..size/2 (bin k at k x rate / size) into `levels` (up to
    // `capacity`; none with a null buffer); *bins the bin count (0: no spectrum), *rate its
    // sample rate.
    STDMETHOD(GetSpectrum)(float* levels, UINT capacity, UINT* bins, UINT* rate) = 0;
};
