#include "CdTrackEntry.h"

CCdTrackEntry::CCdTrackEntry(int32_t trackNumber, int32_t type, uint32_t start, uint32_t length)
    : m_audio(type == kMciTrackAudio), m_length(length), m_trackNumber(trackNumber), m_start(start), m_type(type)
{
}

void CCdTrackEntry::UpdateAudioFlag(int32_t)
{
    if (IsAudioType())
        m_audio = 1;
}
