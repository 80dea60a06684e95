#include "PositionText.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trim(const std::string& s, const char* leading = " \t\r\n")
{
    size_t b = s.find_first_not_of(leading);
    if (b == std::string::npos)
        return std::string();
    size_t e = s.size();
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Whole field as an optionally signed decimal integer.
bool ParseInteger(const std::string& field, int64_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    if (i >= field.size())
        return false;
    int64_t v = 0;
    for (; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            return false;
        if (v > (INT64_MAX - 9) / 10)
            return false;
        v = v * 10 + (field[i] - '0');
    }
    value = negative ? -v : v;
    return true;
}

// Whole field as an optionally signed decimal number with an optional '.' fraction; no
// exponent and no locale.
bool ParseDecimal(const std::string& field, double& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    std::string digits;
    bool any = false, point = false;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            any = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
        digits += c;
    }
    if (!any)
        return false;
    value = std::strtod(digits.c_str(), nullptr);
    if (negative)
        value = -value;
    return std::isfinite(value);
}

// Typed times go to the nearest sample: the texts are rounded to their last digit, so
// truncating would move a position shown at a low rate (below 10 kHz for milliseconds) one
// sample back each time the unchanged text is read.
int64_t NearestSample(double samples)
{
    return static_cast<int64_t>(std::floor(samples + 0.5));
}

// Positions typed beyond this are refused rather than converted out of range (which wraps
// them, often to a negative position).
constexpr double kLargestTypedPosition = 9.0e18;

bool FitsPosition(double samples)
{
    return samples >= 0 && samples < kLargestTypedPosition;
}

// a x b + c, false when it leaves the 64-bit range.
bool MultiplyAdd(int64_t a, int64_t b, int64_t c, int64_t& result)
{
    return !__builtin_mul_overflow(a, b, &result) && !__builtin_add_overflow(result, c, &result);
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...)
{
    char buffer[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string FormatHms(int64_t p, int64_t r)
{
    const int64_t wholeSeconds = p / r;
    int64_t hours = wholeSeconds / 3600;
    int64_t minutes = (wholeSeconds - 3600 * hours) / 60;
    double seconds = static_cast<double>(p - (60 * hours + minutes) * 60 * r) / static_cast<double>(r);
    // A remainder that prints as 60.000 carries into the minutes, and on into the hours, so
    // the text never shows a field the parser refuses.
    if (std::strtod(Printf("%06.3f", seconds).c_str(), nullptr) >= 60.0) {
        seconds = 0;
        if (++minutes == 60) {
            minutes = 0;
            ++hours;
        }
    }
    return Printf("%02lld : %02lld : %06.3f", static_cast<long long>(hours), static_cast<long long>(minutes), seconds);
}

std::string FormatTimeCode(int64_t p, int64_t r, double f)
{
    int64_t hours, minutes, seconds, frame;
    if (f == kDropFrameRate) {
        const double frames = static_cast<double>(p) * kDropFrameRate / static_cast<double>(r) + 0.005;
        int64_t totalMinutes = 10 * static_cast<int64_t>(frames / 17982);
        double rest = std::fmod(frames, 17982.0);
        int64_t secondInMinute;
        if (rest < 1800) {
            // The first minute of each ten keeps every frame number.
            secondInMinute = static_cast<int64_t>(rest / 30);
            frame = static_cast<int64_t>(std::fmod(rest, 30.0));
        } else {
            rest -= 1800;
            totalMinutes += 1 + static_cast<int64_t>(std::floor(rest / 1798));
            rest = std::fmod(rest, 1798.0);
            if (rest < 28) {
                // Frame numbers 0 and 1 are skipped at second 0 of the other minutes.
                secondInMinute = 0;
                frame = static_cast<int64_t>(rest) + 2;
            } else {
                rest -= 28;
                secondInMinute = 1 + static_cast<int64_t>(std::floor(rest / 30));
                frame = static_cast<int64_t>(std::fmod(rest, 30.0));
            }
        }
        hours = totalMinutes / 60;
        minutes = totalMinutes % 60;
        seconds = secondInMinute;
    } else {
        const int64_t wholeSeconds = p / r;
        hours = wholeSeconds / 3600;
        minutes = (wholeSeconds - 3600 * hours) / 60;
        seconds = wholeSeconds % 60;
        frame = static_cast<int64_t>(static_cast<double>(p) * f / static_cast<double>(r)) -
                static_cast<int64_t>(static_cast<double>(wholeSeconds) * f);
    }
    return Printf("%02lld : %02lld : %02lld, %02lld", static_cast<long long>(hours), static_cast<long long>(minutes),
                  static_cast<long long>(seconds), static_cast<long long>(frame));
}

// Splits "h:m:rest" at its first two colons; false when one is missing.
bool SplitHms(const std::string& text, std::string& hours, std::string& minutes, std::string& rest)
{
    const size_t c1 = text.find(':');
    if (c1 == std::string::npos)
        return false;
    const size_t c2 = text.find(':', c1 + 1);
    if (c2 == std::string::npos)
        return false;
    hours = Trim(text.substr(0, c1), " :");
    minutes = Trim(text.substr(c1 + 1, c2 - c1 - 1), " :");
    rest = Trim(text.substr(c2 + 1), " :");
    return true;
}

int64_t ParseHms(const std::string& text, int64_t r)
{
    std::string h, m, s;
    int64_t hours, minutes;
    double seconds;
    if (!SplitHms(text, h, m, s) || !ParseInteger(h, hours) || !ParseInteger(m, minutes) || !ParseDecimal(s, seconds))
        return -1;
    if (hours < 0 || minutes < 0 || minutes > 59 || seconds < 0 || seconds >= 60)
        return -1;
    int64_t totalMinutes, whole, position;
    if (!MultiplyAdd(60, hours, minutes, totalMinutes) || !MultiplyAdd(totalMinutes, 60 * r, 0, whole) ||
        !MultiplyAdd(1, whole, NearestSample(static_cast<double>(r) * seconds), position))
        return -1;
    return position;
}

int64_t ParseTimeCode(const std::string& text, int64_t r, double f)
{
    std::string h, m, rest;
    if (!SplitHms(text, h, m, rest))
        return -1;
    const size_t secondsEnd = rest.find_first_of(":;., ");
    if (secondsEnd == std::string::npos)
        return -1;
    const size_t separator = rest.find_first_of(":;.,", secondsEnd);
    if (separator == std::string::npos)
        return -1;
    const std::string s = rest.substr(0, secondsEnd);
    const std::string fr = Trim(rest.substr(separator + 1), " :;.,");
    int64_t hours, minutes, seconds, frame;
    if (!ParseInteger(h, hours) || !ParseInteger(m, minutes) || !ParseInteger(s, seconds) || !ParseInteger(fr, frame))
        return -1;
    if (hours < 0 || frame < 0 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 ||
        !(static_cast<double>(frame) < f))
        return -1;
    const double rate = static_cast<double>(r);
    if (f == kDropFrameRate) {
        if (minutes % 10 != 0 && seconds == 0 && frame < 2)
            return -1;
        int64_t totalMinutes, n;
        if (!MultiplyAdd(60, hours, minutes, totalMinutes) ||
            !MultiplyAdd(17982, totalMinutes / 10, 1798 * (totalMinutes % 10) + 30 * seconds + frame, n))
            return -1;
        const double samples = rate * static_cast<double>(n) / kDropFrameRate;
        if (!FitsPosition(samples))
            return -1;
        int64_t position = static_cast<int64_t>(samples);
        if (static_cast<double>(position) * kDropFrameRate / rate != static_cast<double>(n))
            ++position;
        return position;
    }
    // Rounded up to the first sample of the frame, as for typed frames, so that the
    // position formats back to the typed frame when a frame is not a whole number of samples.
    const double offset = static_cast<double>(frame) * rate / f;
    if (!FitsPosition(offset))
        return -1;
    int64_t frameStart = static_cast<int64_t>(offset);
    if (static_cast<double>(frameStart) != offset)
        ++frameStart;
    int64_t wholeSeconds, position;
    if (!MultiplyAdd(3600, hours, 60 * minutes + seconds, wholeSeconds) ||
        !MultiplyAdd(wholeSeconds, r, frameStart, position))
        return -1;
    return position;
}

} // namespace

void FormatPosition(std::string& text, uint32_t rate, uint32_t unit, double frameRate, int64_t position)
{
    text.clear();
    if (unit & kTimeUnitSamples && !(unit & (kTimeUnitHms | kTimeUnitSeconds | kTimeUnitMilliseconds))) {
        text = Printf("%lld", static_cast<long long>(position));
        return;
    }
    if (rate == 0)
        return;
    const int64_t r = rate;
    if (unit & kTimeUnitHms) {
        text = FormatHms(position, r);
    } else if (unit & (kTimeUnitSeconds | kTimeUnitMilliseconds)) {
        // position x 10^7 / r in 100-ns units, split so that no product overflows; past the
        // 64-bit range of 100-ns units (29,000 years) the time is carried as a double.
        const int64_t whole = position / r;
        const int64_t part = position % r * 10000000 / r;
        int64_t time100ns;
        const double time = MultiplyAdd(whole, 10000000, part, time100ns)
                                ? static_cast<double>(time100ns)
                                : static_cast<double>(whole) * 1e7 + static_cast<double>(part);
        if (unit & kTimeUnitSeconds)
            text = Printf("%.3f", time * 1e-7);
        else
            text = Printf("%.1f", time * 0.0001);
    } else if (unit & kTimeUnitFrames) {
        text = Printf(
            "%lld", static_cast<long long>(static_cast<double>(position) * frameRate / static_cast<double>(r) + 0.005));
    } else {
        text = FormatTimeCode(position, r, frameRate);
    }
}

std::string FormatPosition(uint32_t rate, uint32_t unit, double frameRate, int64_t position)
{
    std::string text;
    FormatPosition(text, rate, unit, frameRate, position);
    return text;
}

int64_t ParsePosition(const char* text, uint32_t rate, uint32_t unit, double frameRate)
{
    const std::string t = Trim(text ? text : "");
    const bool samples = unit & kTimeUnitSamples && !(unit & (kTimeUnitHms | kTimeUnitSeconds | kTimeUnitMilliseconds));
    if (samples) {
        int64_t v;
        return ParseInteger(t, v) && v >= 0 ? v : -1;
    }
    if (rate == 0)
        return 0;
    const int64_t r = rate;
    const double rd = rate;
    if (unit & kTimeUnitHms)
        return ParseHms(t, r);
    if (unit & (kTimeUnitSeconds | kTimeUnitMilliseconds)) {
        double v;
        if (!ParseDecimal(t, v) || v < 0)
            return -1;
        const double samples = unit & kTimeUnitSeconds ? rd * v : rd * v * 0.001;
        return FitsPosition(samples) ? NearestSample(samples) : -1;
    }
    if (unit & kTimeUnitFrames) {
        if (frameRate == 0)
            return 0;
        double v;
        if (!ParseDecimal(t, v) || v < 0)
            return -1;
        const double q = rd * v / frameRate;
        if (!FitsPosition(q))
            return -1;
        int64_t position = static_cast<int64_t>(q);
        const double frames = static_cast<double>(position) * frameRate / rd;
        if (frames != std::floor(frames))
            ++position;
        return position;
    }
    return ParseTimeCode(t, r, frameRate);
}

bool ResolveRange(int64_t& start, int64_t& end, int64_t& length)
{
    if (start != -1 && end != -1) {
        if (start > end) {
            const int64_t t = start;
            start = end;
            end = t;
        }
        if (length != -1)
            return false;
        length = end - start;
        return length > 0;
    }
    if (start == -1 && end == -1)
        return false;
    if (end == -1)
        end = start + length;
    else
        start = end - length;
    return end - start > 0;
}
