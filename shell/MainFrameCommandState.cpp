#include "MainFrameCommandState.h"
#include "MainFrameIds.h"

#include <iterator>

int PaneCheckState(bool exists, bool visible)
{
    return exists && visible ? 1 : 0;
}

BOOL SettingsEnabled(BOOL anyViewBusy, BOOL recording)
{
    return !anyViewBusy && !recording;
}

BOOL ExtractCdEnabled(bool hasDocument, bool documentIdle)
{
    return !hasDocument || documentIdle;
}

BurnCdState BurnCdItemState(UINT commandId, bool hasCdWriter, bool hasDocument, bool documentIdle, int64_t length)
{
    if (!hasCdWriter)
        return {FALSE, BurnCdState::kPopupGrey};
    if (!hasDocument)
        return {commandId == ID_BURN_CD_FILES, BurnCdState::kPopupEnabled};
    if (!documentIdle)
        return {FALSE, BurnCdState::kPopupGrey};
    return {commandId == ID_BURN_CD_FILES || length != 0, BurnCdState::kPopupEnabled};
}

std::vector<ControlMenuItem> ControlMenuItems(const TransportSnapshot& state)
{
    std::vector<ControlMenuItem> items;
    if (state.hasController && state.recording && state.paused) {
        items = {{ID_TRANSPORT_RECORD, IDS_TRANSPORT_START_RECORDING},
                 {ID_TRANSPORT_PAUSE, IDS_TRANSPORT_STOP_RECORDING_SHIFT}};
    } else if (state.hasController && state.recording) {
        items = {{ID_TRANSPORT_RECORD, IDS_TRANSPORT_STOP_RECORDING}};
    } else if (state.hasController && state.paused) {
        items = {{ID_TRANSPORT_PLAY, IDS_TRANSPORT_STOP_PLAYING}, {ID_TRANSPORT_PAUSE, IDS_TRANSPORT_RESUME}};
    } else if (state.hasController && state.playing) {
        items = {{ID_TRANSPORT_PLAY, IDS_TRANSPORT_STOP_PLAYING}, {ID_TRANSPORT_PAUSE, IDS_TRANSPORT_PAUSE}};
    } else {
        items = {{ID_TRANSPORT_PLAY, IDS_TRANSPORT_PLAY}};
        if (state.playStartSet)
            items.push_back({ID_TRANSPORT_GO_TO_PLAY_START, IDS_GO_TO_PLAY_START});
        items.push_back({ID_TRANSPORT_RECORD, IDS_TRANSPORT_RECORD});
    }
    const ControlMenuItem rest[] = {
        {0, 0},
        {ID_GO_TO_PREVIOUS_MARKER, IDS_GO_TO_PREVIOUS_MARKER},
        {ID_GO_TO_NEXT_MARKER, IDS_GO_TO_NEXT_MARKER},
        {0, 0},
        {ID_TRANSPORT_RECORD_WHILE_PLAYING, IDS_RECORD_WHILE_PLAYING},
        {ID_TRANSPORT_LOOP, IDS_LOOP},
        {ID_TRANSPORT_READ_AUTOMATION, IDS_READ_AUTOMATION},
        {ID_TRANSPORT_WRITE_AUTOMATION, IDS_WRITE_AUTOMATION},
        {0, 0},
        {ID_TRANSPORT_RECORDING_TIMER, IDS_RECORDING_TIMER},
        {0, 0},
    };
    items.insert(items.end(), std::begin(rest), std::end(rest));
    return items;
}

UINT CdExtractPercent(WPARAM done, LPARAM total)
{
    return static_cast<UINT>(static_cast<double>(static_cast<UINT>(done)) * 100.0 /
                             static_cast<double>(static_cast<LONG>(total)));
}

bool IsUsbRecordDeviceName(const char* name)
{
    if (!name || !*name)
        return false;
    for (int i = 0; i < 3; ++i) {
        const char c = name[i];
        if (!c || (c & ~0x20) != "USB"[i])
            return false;
    }
    return true;
}

RecordingMixerProgram ChooseRecordingMixer(int located)
{
    // The maker's own mixer program lies on the system's path when its card is installed.
    if (located == 0)
        return {"KvRecMix.exe", "-R"};
    return {"sndvol32.exe", "/r"};
}
