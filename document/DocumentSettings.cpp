#include "DocumentRecords.h"

#include "Settings.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int ReadInt(const char* entry)
{
    return GetSettingIntDefault(entry);
}

// A value outside lo..hi reads as the fallback.
int Within(int value, int lo, int hi, int fallback)
{
    return value < lo || value > hi ? fallback : value;
}

} // namespace

DocumentSettings ReadDefaultDocumentSettings()
{
    DocumentSettings s;
    memset(&s, 0, sizeof(s));
    s.size = sizeof(DocumentSettings);
    s.amplitudeZoom = 4;
    s.viewOptions = kViewOptionTimeRuler | kViewOptionHeader;
    if (ReadInt("ShowVolEnv"))
        s.viewOptions |= kViewOptionVolumeEnv;
    if (ReadInt("ShowPanEnvLR"))
        s.viewOptions |= kViewOptionPanEnv;

    int unit = ReadInt("Unit");
    s.rulerUnit = unit ? static_cast<uint32_t>(unit) : 0x80101u;
    std::string frames;
    GetSettingStringDefault("UnitFrames", &frames);
    double rate = atof(frames.c_str());
    s.frameRate = rate > 0.0 && rate <= 1000.0 ? rate : 30.0;

    s.samplesPerSec = static_cast<uint32_t>(Within(ReadInt("DefaultSamplesPerSec"), 2000, 192000, 44100));
    int bits = ReadInt("DefaultBitsPerSample");
    // Only the widths a document can hold; 12 or 28 would make no engine format.
    if (bits != 8 && bits != 16 && bits != 20 && bits != 24 && bits != 32)
        bits = 16;
    if (bits == 20 || bits == 24) {
        s.validBits = static_cast<uint16_t>(bits);
        bits = 32;
    }
    s.bitsPerSample = static_cast<uint16_t>(bits);
    s.documentType = ReadInt("DefaultDocumentType") == 1 ? 1 : 0;
    s.recordChannels = ReadInt("DefaultRecChannels") == 2 ? 2 : 1;
    s.peakIndicate = ReadInt("PeakIndicate") == 1 ? 1 : 0;
    s.previewLength = static_cast<uint8_t>(Within(ReadInt("PreviewLength"), 1, 10, 3));
    s.waveShowMode = ReadInt("WaveShowMode") == 1 ? 1 : 0;
    int channels = ReadInt("DefaultDataChannels");
    s.dataChannels = static_cast<uint16_t>(channels == 2 || channels == 6 ? channels : 1);
    s.readAutomation = static_cast<uint32_t>(ReadInt("ReadAutomation"));
    s.writeAutomation = static_cast<uint32_t>(ReadInt("WriteAutomation"));
    s.mouseEdit = static_cast<uint32_t>(ReadInt("EnableMouseEdit"));
    return s;
}
