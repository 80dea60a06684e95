#include "RulerCore.h"

#include <cinttypes>
#include <cstdarg>
#include <cmath>
#include <cstdio>

namespace {
std::string Format(const char* format, ...)
{
    char text[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Clock(int64_t s)
{
    return Format("%02" PRId64 ":%02" PRId64 ":%02" PRId64, s / 3600, (s / 60) % 60, s % 60);
}
} // namespace

RulerGrid ComputeRulerGrid(uint32_t units, double frameRate, double sampleRate, double samplesPerPixel,
                           int64_t firstVisible, int digitWidth)
{
    RulerGrid grid;
    uint32_t unit = units & kRulerTimeMask;
    bool frames = unit == kRulerFrames || unit == kRulerTimeCode;
    // Nothing to walk towards: the loops below would never end.
    if (!(sampleRate > 0) || !(samplesPerPixel > 0) || (frames && !(frameRate > 0)))
        return grid;
    double g = 2.0 * (digitWidth > 0 ? digitWidth : 1);
    auto width = [&](double t) { return sampleRate * t * 0.0001 / samplesPerPixel; };
    double t = 0;
    double step = 0;
    if (unit == kRulerHms || unit == kRulerSeconds || unit == kRulerMilliseconds) {
        t = 0.01;
        while (std::trunc(width(t)) < g)
            t *= t < 10000 ? 10 : 6;
        if (width(t / 2) >= 10)
            t /= 2;
        step = t;
    } else if (frames) {
        t = 1000 / frameRate;
        for (int pass = 0; std::trunc(width(t)) < g; ++pass)
            t *= pass % 3 == 1 ? 2.5 : 2;
        step = t;
    } else {
        int64_t s = 1;
        for (int pass = 0; std::trunc(double(s) / samplesPerPixel) < g; ++pass)
            s = pass % 3 == 0 ? s * 2 : pass % 3 == 1 ? s / 2 * 5 : s / 5 * 10;
        t = double(s) * 10000 / sampleRate;
        step = double(s);
    }
    grid.spacing = width(t);
    grid.step = step;
    double firstPixel = std::trunc(double(firstVisible) / samplesPerPixel);
    grid.firstIndex = int64_t(firstPixel / grid.spacing) / 10 * 10;
    double firstTime = double(firstVisible) * 10000 / sampleRate;
    grid.firstOffset = -width(firstTime - double(grid.firstIndex) * t);
    return grid;
}

std::string FormatTickLabel(uint32_t units, double frameRate, double step, double value)
{
    switch (units & kRulerTimeMask) {
    case kRulerHms: {
        double t = (value + 0.5) * 0.0001;
        int64_t s = int64_t(t);
        double f = t - double(s);
        std::string text = Clock(s);
        if (step >= 10)
            return text + Format(".%02" PRId64, int64_t(f * 100));
        if (step >= 1)
            return text + Format(".%03" PRId64, int64_t(f * 1000));
        if (step >= 0.1)
            return text + Format(".%04" PRId64, int64_t(f * 10000));
        return text + Format(".%05" PRId64, int64_t(f * 100000));
    }
    case kRulerSeconds:
        return Format(step >= 1 ? "%.03f" : step >= 0.1 ? "%.04f" : "%.05f", value * 0.0001);
    case kRulerMilliseconds:
        return Format(step >= 0.1 ? "%0.1f" : "%0.2f", value * 0.1);
    case kRulerFrames:
        return Format("%" PRId64, int64_t(value * frameRate * 0.0001 + 0.5));
    case kRulerTimeCode: {
        int64_t seconds = int64_t(value * 0.0001);
        double f = frameRate * value * 0.0001;
        int64_t frame = 0;
        if (frameRate == 29.97) {
            // Drop frame: the first two frame numbers of each minute but every tenth are skipped.
            int64_t minutes = 10 * int64_t(f / 17982);
            double r = std::fmod(f, 17982);
            int64_t second = 0;
            if (r < 1800) {
                second = int64_t(r / 30);
                frame = int64_t(std::fmod(r, 30));
            } else {
                r -= 1800;
                minutes += 1 + int64_t(r / 1798);
                r = std::fmod(r, 1798);
                if (r < 28) {
                    frame = int64_t(r) + 2;
                } else {
                    second = 1 + int64_t((r - 28) / 30);
                    frame = int64_t(std::fmod(r - 28, 30));
                }
            }
            seconds = minutes * 60 + second;
        } else {
            frame = int64_t(std::fmod(f, frameRate));
        }
        return Clock(seconds) + Format(",%" PRId64, frame);
    }
    default:
        return Format("%" PRId64, int64_t(value));
    }
}
