// CCdTrackEntry: one track of a disc's table of contents as the CD drive object reads it from
// MCI, lengths and starts in milliseconds.
#pragma once
#include <cstdint>

constexpr int32_t kMciTrackAudio = 0x440; // MCI_CDA_TRACK_AUDIO
constexpr int32_t kMciTrackOther = 0x441; // MCI_CDA_TRACK_OTHER

// The small polymorphic base the entries share with the commands' sample ranges.
class CPolymorphicBase {
public:
    virtual ~CPolymorphicBase() = default;
};

class CCdTrackEntry : public CPolymorphicBase {
public:
    CCdTrackEntry(int32_t trackNumber, int32_t type, uint32_t start, uint32_t length);

    virtual bool IsAudio() const { return m_audio != 0; }
    // Sets the audio flag when the type is audio; never clears it.
    virtual void UpdateAudioFlag(int32_t ignored);
    virtual uint32_t GetLength() const { return m_length; }
    virtual int32_t GetTrackNumber() const { return m_trackNumber; }
    virtual uint32_t GetStart() const { return m_start; }
    virtual int32_t GetType() const { return m_type; }
    virtual void SetLength(uint32_t length) { m_length = length; }
    virtual void SetTrackNumber(int32_t number) { m_trackNumber = number; }
    virtual void SetStart(uint32_t start) { m_start = start; }
    virtual void SetType(int32_t type) { m_type = type; }
    virtual bool IsAudioType() const { return m_type == kMciTrackAudio; }

private:
    int32_t m_audio;
    uint32_t m_length;
    int32_t m_trackNumber;
    uint32_t m_start;
    int32_t m_type;
};
