#include "AudioDeviceLists.h"

#include "KsMultiTrackLoader.h"

namespace {

using CountFn = LONG(WINAPI*)(LONG kind);
using NameFn = HRESULT(WINAPI*)(LONG kind, LONG index, char* buffer, LONG capacity);

std::vector<std::string> Names(MtOrdinal countOrdinal, MtOrdinal nameOrdinal, LONG kind)
{
    std::vector<std::string> names;
    auto count = MtEngine::ExportAs<CountFn>(countOrdinal);
    auto name = MtEngine::ExportAs<NameFn>(nameOrdinal);
    if (!count || !name)
        return names;
    LONG total = count(kind);
    for (LONG index = 0; index < total; ++index) {
        char buffer[1024] = "";
        if (SUCCEEDED(name(kind, index, buffer, (LONG)sizeof buffer)))
            names.push_back(buffer);
    }
    return names;
}

class EngineLists : public AudioDeviceLists {
public:
    std::vector<std::string> PlaybackNames(LONG kind) const override
    {
        return Names(kMtOrdGetPlaybackDeviceCount, kMtOrdGetPlaybackDeviceName, kind);
    }
    std::vector<std::string> RecordingNames() const override
    {
        return Names(kMtOrdGetRecordingDeviceCount, kMtOrdGetRecordingDeviceName, 0);
    }
};

} // namespace

const AudioDeviceLists& EngineDeviceLists()
{
    static const EngineLists lists;
    return lists;
}
