#include "NoiseProfile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace fxkit {

std::string FormatProfile(const NoiseProfile& profile)
{
    std::string out = "[StreamProperty]\r\nCh=" + std::to_string(profile.channels) +
                      "\r\nFs=" + std::to_string(profile.rate) +
                      "\r\n[NoiseProfile]\r\nFftSize=" + std::to_string(profile.fftSize) + "\r\n";
    char number[32];
    for (size_t c = 0; c < profile.power.size(); ++c) {
        out += "Ch" + std::to_string(c) + "=";
        for (size_t k = 0; k < profile.power[c].size(); ++k) {
            std::snprintf(number, sizeof number, k ? ",%.9g" : "%.9g", profile.power[c][k]);
            out += number;
        }
        out += "\r\n";
    }
    return out;
}

namespace {

bool ToInt(const std::string& s, long& out)
{
    char* end = nullptr;
    out = std::strtol(s.c_str(), &end, 10);
    return !s.empty() && end && *end == '\0';
}

} // namespace

bool ParseProfile(const std::string& text, NoiseProfile& profile)
{
    // section/key -> value
    std::map<std::string, std::string> keys;
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            return false;
        keys[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
    }
    long channels = 0, rate = 0, size = 0;
    if (!ToInt(keys["StreamProperty/Ch"], channels) || !ToInt(keys["StreamProperty/Fs"], rate) ||
        !ToInt(keys["NoiseProfile/FftSize"], size))
        return false;
    if (channels < 1 || channels > 8 || rate < 1000 || rate > 768000 || !NoiseProfile::SizeAllowed(size_t(size)))
        return false;
    NoiseProfile p;
    p.channels = int(channels);
    p.rate = int(rate);
    p.fftSize = size_t(size);
    const size_t bins = p.fftSize / 2 + 1;
    for (long c = 0; c < channels; ++c) {
        const std::string& list = keys["NoiseProfile/Ch" + std::to_string(c)];
        std::vector<double> power;
        const char* s = list.c_str();
        while (*s) {
            char* end = nullptr;
            const double v = std::strtod(s, &end);
            if (end == s || !std::isfinite(v) || v < 0)
                return false;
            power.push_back(v);
            s = end;
            if (*s == ',')
                ++s;
            else if (*s)
                return false;
        }
        if (power.size() != bins)
            return false;
        p.power.push_back(std::move(power));
    }
    profile = std::move(p);
    return true;
}

std::vector<double> HannWindow(size_t size)
{
    std::vector<double> w(size);
    for (size_t i = 0; i < size; ++i)
        w[i] = 0.5 - 0.5 * std::cos(6.283185307179586 * double(i) / double(size));
    return w;
}

} // namespace fxkit
