// kvtestcda (mcicda.dll in the bin folder): the tests' own MCI "cdaudio" driver. Loaded in place
// of Wine's by the CD test programs only, it answers the table-of-contents questions of the
// program's CD drive object from KgPTP.dll's drives (disc images), so the program's MCI code
// runs unchanged against an image.
// Times follow the common driver: milliseconds count from the start of the lead-in gap.
#include "CdDriveAccess.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <cwctype>

namespace {

struct OpenDevice {
    char letter = 0;
    DWORD timeFormat = MCI_FORMAT_MSF;
};

DWORD SectorsToTime(const OpenDevice& d, uint32_t sectors, bool position)
{
    const uint32_t frames = sectors + (position ? 150 : 0);
    switch (d.timeFormat) {
    case MCI_FORMAT_MILLISECONDS:
        return DWORD(uint64_t(frames) * 1000 / 75);
    case MCI_FORMAT_FRAMES:
        return frames;
    default: // MSF
        return MCI_MAKE_MSF(frames / 4500, frames / 75 % 60, frames % 75);
    }
}

bool ReadToc(char letter, DiscToc* toc)
{
    CdDriveAccess access;
    CdAddress drive;
    return access.Load(CdDriveAccess::OwnFolder()) && access.FindDrive(letter, &drive) && access.ReadToc(drive, toc);
}

LRESULT Status(OpenDevice& d, DWORD flags, MCI_STATUS_PARMS* p)
{
    if (!p || !(flags & MCI_STATUS_ITEM))
        return MCIERR_MISSING_PARAMETER;
    if (p->dwItem == MCI_STATUS_TIME_FORMAT) {
        p->dwReturn = d.timeFormat;
        return 0;
    }
    if (p->dwItem == MCI_STATUS_MODE) {
        p->dwReturn = MCI_MODE_STOP;
        return 0;
    }
    DiscToc toc;
    const bool disc = ReadToc(d.letter, &toc);
    if (p->dwItem == MCI_STATUS_MEDIA_PRESENT || p->dwItem == MCI_STATUS_READY) {
        p->dwReturn = disc;
        return 0;
    }
    if (!disc)
        return MCIERR_DEVICE_NOT_READY;
    const size_t count = toc.tracks.size();
    size_t index = 0;
    if (flags & MCI_TRACK) {
        if (p->dwTrack < 1 || p->dwTrack > count)
            return MCIERR_OUTOFRANGE;
        index = p->dwTrack - 1;
    }
    switch (p->dwItem) {
    case MCI_STATUS_NUMBER_OF_TRACKS:
        p->dwReturn = count;
        return 0;
    case MCI_CDA_STATUS_TYPE_TRACK:
        if (!(flags & MCI_TRACK))
            return MCIERR_MISSING_PARAMETER;
        p->dwReturn = toc.tracks[index].audio ? MCI_CDA_TRACK_AUDIO : MCI_CDA_TRACK_OTHER;
        return 0;
    case MCI_STATUS_POSITION:
        p->dwReturn = SectorsToTime(d, flags & MCI_TRACK ? toc.tracks[index].start : 0, true);
        return 0;
    case MCI_STATUS_LENGTH:
        p->dwReturn = SectorsToTime(d, flags & MCI_TRACK ? toc.Length(index) : toc.leadOut, false);
        return 0;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

LRESULT Command(OpenDevice& d, UINT message, DWORD flags, LPARAM parms)
{
    switch (message) {
    case MCI_OPEN_DRIVER: {
        auto* open = reinterpret_cast<MCI_OPEN_PARMSW*>(parms);
        if (!(flags & MCI_OPEN_ELEMENT) || !open || !open->lpstrElementName)
            return MCIERR_MISSING_PARAMETER; // no default device here
        const wchar_t letter = wchar_t(std::towupper(open->lpstrElementName[0]));
        if (letter < L'A' || letter > L'Z' || open->lpstrElementName[1] != L':')
            return MCIERR_INVALID_FILE;
        CdDriveAccess access;
        CdAddress drive;
        if (!access.Load(CdDriveAccess::OwnFolder()) || !access.FindDrive(char(letter), &drive))
            return MCIERR_INVALID_FILE;
        d.letter = char(letter);
        return 0;
    }
    case MCI_CLOSE_DRIVER:
        return 0;
    case MCI_SET: {
        auto* set = reinterpret_cast<MCI_SET_PARMS*>(parms);
        if (flags & MCI_SET_TIME_FORMAT) {
            if (set->dwTimeFormat != MCI_FORMAT_MILLISECONDS && set->dwTimeFormat != MCI_FORMAT_MSF &&
                set->dwTimeFormat != MCI_FORMAT_FRAMES)
                return MCIERR_BAD_TIME_FORMAT;
            d.timeFormat = set->dwTimeFormat;
        }
        return 0;
    }
    case MCI_STATUS:
        return Status(d, flags, reinterpret_cast<MCI_STATUS_PARMS*>(parms));
    case MCI_GETDEVCAPS: {
        auto* caps = reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(parms);
        if (!caps || !(flags & MCI_GETDEVCAPS_ITEM))
            return MCIERR_MISSING_PARAMETER;
        switch (caps->dwItem) {
        case MCI_GETDEVCAPS_DEVICE_TYPE:
            caps->dwReturn = MCI_DEVTYPE_CD_AUDIO;
            return 0;
        case MCI_GETDEVCAPS_CAN_PLAY:
        case MCI_GETDEVCAPS_CAN_EJECT:
        case MCI_GETDEVCAPS_HAS_AUDIO:
            caps->dwReturn = TRUE;
            return 0;
        default:
            caps->dwReturn = FALSE;
            return 0;
        }
    }
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverProc(DWORD_PTR id, HDRVR, UINT message, LPARAM p1, LPARAM p2)
{
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
        return 1;
    case DRV_OPEN: {
        auto* modp = reinterpret_cast<MCI_OPEN_DRIVER_PARMS*>(p2);
        if (!modp)
            return 0x12345678; // opened as a plain driver
        modp->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
        modp->wType = MCI_DEVTYPE_CD_AUDIO;
        return reinterpret_cast<LRESULT>(new OpenDevice);
    }
    case DRV_CLOSE:
        if (id && id != 0x12345678)
            delete reinterpret_cast<OpenDevice*>(id);
        return 1;
    case DRV_QUERYCONFIGURE:
    case DRV_CONFIGURE:
    case DRV_INSTALL:
    case DRV_REMOVE:
        return 0;
    default:
        break;
    }
    if (message < DRV_MCI_FIRST || message > DRV_MCI_LAST || !id || id == 0x12345678)
        return DefDriverProc(id, nullptr, message, p1, p2);
    return Command(*reinterpret_cast<OpenDevice*>(id), message, DWORD(p1), p2);
}
