#include "TracksStopMessage.h"

namespace {
UINT g_tracksStopMessage = 0;
}

UINT RegisterTracksStopMessage()
{
    g_tracksStopMessage = ::RegisterWindowMessageA("NyTracksStop");
    return g_tracksStopMessage;
}

UINT TracksStopMessage()
{
    return g_tracksStopMessage;
}
