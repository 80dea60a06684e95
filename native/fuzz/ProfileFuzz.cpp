// Any text as a noise profile file (written by one module, read by another): refused, or a
// whole profile whose text form reads back to the same text.
#include "NoiseProfile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fxkit::NoiseProfile profile;
    if (!fxkit::ParseProfile(std::string(reinterpret_cast<const char*>(data), size), profile))
        return 0;
    bool whole = profile.power.size() == size_t(profile.channels);
    for (const std::vector<double>& bins : profile.power)
        whole = whole && bins.size() == profile.fftSize / 2 + 1;
    const std::string text = fxkit::FormatProfile(profile);
    fxkit::NoiseProfile again;
    if (!whole || !fxkit::ParseProfile(text, again) || fxkit::FormatProfile(again) != text) {
        std::fprintf(stderr, "noise profile: a profile read does not read back as itself\n");
        std::abort();
    }
    return 0;
}
