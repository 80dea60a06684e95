#include "SelectionFieldText.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int64_t kUnitsPerMinute = 60 * kUnitsPerSecond;
constexpr int64_t kUnitsPerHour = 60 * kUnitsPerMinute;

bool IsDropFrame(double frameRate)
{
    return frameRate == 29.97;
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...)
{
    char buffer[96];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string Hms(int64_t t)
{
    int64_t hours = t / kUnitsPerHour;
    const int64_t rest = t % kUnitsPerHour;
    int64_t minutes = rest / kUnitsPerMinute;
    double seconds = double(rest % kUnitsPerMinute) * 0.0000001;
    if (std::atof(Printf("%06.3f", seconds).c_str()) >= 60.0) {
        seconds = 0.0;
        ++minutes;
    }
    // 59:59.9996 rounds up to a whole hour: the parser takes no minute 60.
    if (minutes >= 60) {
        minutes -= 60;
        ++hours;
    }
    return Printf("%02d : %02d : %06.3f", int(hours), int(minutes), seconds);
}

std::string TimeCode(int64_t position, uint32_t rate, double frameRate, int64_t t)
{
    if (!IsDropFrame(frameRate)) {
        const int64_t whole = t - t % kUnitsPerSecond;
        const int64_t frames = int64_t(double(position) * frameRate / rate) -
                               int64_t(double(int64_t(double(whole) * frameRate)) / double(kUnitsPerSecond));
        return Printf("%02d : %02d : %02d, %02d", int(t / kUnitsPerHour), int(t % kUnitsPerHour / kUnitsPerMinute),
                      int(t % kUnitsPerMinute / kUnitsPerSecond), int(frames));
    }
    const double count = double(position) * frameRate / rate + 0.005;
    const int64_t tens = int64_t(count / 17982.0);
    double m = std::fmod(count, 17982.0);
    int64_t minute = 0, second = 0, frame = 0;
    if (m < 1800.0) {
        minute = 10 * tens;
        second = int64_t(m / 30.0);
        frame = int64_t(std::fmod(m, 30.0));
    } else {
        m -= 1800.0;
        minute = 10 * tens + 1 + int64_t(m / 1798.0);
        m = std::fmod(m, 1798.0);
        if (m < 28.0) {
            second = 0;
            frame = int64_t(std::fmod(m, 28.0)) + 2;
        } else {
            m -= 28.0;
            second = 1 + int64_t(m / 30.0);
            frame = int64_t(std::fmod(m, 30.0));
        }
    }
    const int64_t total = minute * 60 + second;
    return Printf("%02d : %02d : %02d, %02d", int(total / 3600), int(total / 60 % 60), int(total % 60), int(frame));
}

std::string Trim(const std::string& text, const char* blanks)
{
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool ReadDecimal(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == 0 && std::isfinite(value);
}

bool ReadInteger(const std::string& text, int64_t& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return end && *end == 0;
}

// Rounds a frame's first sample up, so that showing it again gives the same frame.
int64_t FrameStart(double frames, uint32_t rate, double frameRate)
{
    int64_t position = int64_t(frames * rate / frameRate);
    const double back = double(position) * frameRate / rate;
    if (back != std::floor(back))
        ++position;
    return position;
}

int64_t ParseHms(const std::string& text, uint32_t rate)
{
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        return -1;
    const char* blanks = " \t:";
    int64_t hours = 0, minutes = 0;
    double seconds = 0.0;
    if (!ReadInteger(Trim(text.substr(0, first), blanks), hours) ||
        !ReadInteger(Trim(text.substr(first + 1, second - first - 1), blanks), minutes) ||
        !ReadDecimal(Trim(text.substr(second + 1), blanks), seconds))
        return -1;
    if (hours < 0 || minutes < 0 || minutes >= 60 || seconds < 0.0 || seconds >= 60.0)
        return -1;
    return (hours * 60 + minutes) * 60 * int64_t(rate) + int64_t(double(rate) * seconds);
}

int64_t ParseTimeCode(const std::string& text, uint32_t rate, double frameRate)
{
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    const size_t third = second == std::string::npos ? second : text.find_first_of(":;.,", second + 1);
    if (third == std::string::npos)
        return -1;
    const char* blanks = " \t:;.,";
    int64_t hours = 0, minutes = 0, seconds = 0, frames = 0;
    if (!ReadInteger(Trim(text.substr(0, first), blanks), hours) ||
        !ReadInteger(Trim(text.substr(first + 1, second - first - 1), blanks), minutes) ||
        !ReadInteger(Trim(text.substr(second + 1, third - second - 1), blanks), seconds) ||
        !ReadInteger(Trim(text.substr(third + 1), blanks), frames))
        return -1;
    if (hours < 0 || minutes < 0 || minutes >= 60 || seconds < 0 || seconds >= 60 || frames < 0 ||
        double(frames) >= frameRate)
        return -1;
    if (!IsDropFrame(frameRate))
        return (hours * 3600 + minutes * 60 + seconds) * int64_t(rate) + int64_t(double(frames) * rate / frameRate);
    const int64_t m = hours * 60 + minutes;
    if (seconds == 0 && m % 10 != 0) {
        if (frames < 2)
            return -1;
        frames -= 2;
    }
    int64_t count = (m / 10) * 17982;
    if (m % 10 != 0) {
        count += (m % 10) * 1798 + 2;
        if (seconds > 0)
            count += seconds * 30 - 2;
    } else {
        count += seconds * 30;
    }
    return FrameStart(double(frames + count), rate, frameRate);
}

} // namespace

int SelectionUnitIndex(uint32_t unit)
{
    for (int i = 0; i < 5; ++i)
        if (unit & (1u << i))
            return i;
    return 5;
}

std::string FormatSelectionField(uint32_t unit, uint32_t rate, double frameRate, int64_t position)
{
    if (rate == 0)
        return "";
    const int64_t t = position * kUnitsPerSecond / int64_t(rate);
    switch (SelectionUnitIndex(unit)) {
    case 0:
        return Hms(t);
    case 1:
        return Printf("%.3f", double(t) * 0.0000001);
    case 2:
        return Printf("%.1f", double(t) * 0.0001);
    case 3:
        return Printf("%lld", static_cast<long long>(position));
    case 4:
        return Printf("%d", int(double(position) * frameRate / rate + 0.005));
    default:
        return TimeCode(position, rate, frameRate, t);
    }
}

int64_t ParseSelectionField(const char* text, uint32_t unit, uint32_t rate, double frameRate)
{
    if (rate == 0)
        return 0;
    const std::string trimmed = Trim(text ? text : "", " \t");
    double value = 0.0;
    int64_t samples = 0;
    switch (SelectionUnitIndex(unit)) {
    case 0:
        return ParseHms(trimmed, rate);
    case 1:
        return ReadDecimal(trimmed, value) && value >= 0.0 ? int64_t(double(rate) * value) : -1;
    case 2:
        return ReadDecimal(trimmed, value) && value >= 0.0 ? int64_t(double(rate) * value * 0.001) : -1;
    case 3:
        return ReadInteger(trimmed, samples) && samples >= 0 ? samples : -1;
    case 4:
        if (frameRate == 0.0)
            return 0;
        return ReadDecimal(trimmed, value) && value >= 0.0 ? FrameStart(value, rate, frameRate) : -1;
    default:
        return ParseTimeCode(trimmed, rate, frameRate);
    }
}
