// The file module and the engine for the file module's tests, and sound files built byte by
// byte here (so that the module's reader is checked against an independent writer).
#pragma once
#include "IKvSKsFIO.h"
#include "KsMultiTrack.h"
#include "TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fiotest {

// Little-endian and big-endian byte building.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u8(uint8_t v);
    Bytes& u16(uint16_t v);
    Bytes& u32(uint32_t v);
    Bytes& be16(uint16_t v);
    Bytes& be32(uint32_t v);
    Bytes& id(const char* fourcc);
    Bytes& text(const std::string& s, bool zero = true);
    Bytes& raw(const std::vector<uint8_t>& v);
    // A chunk: id, size (little- or big-endian), body, pad byte.
    Bytes& chunk(const char* fourcc, const Bytes& body, bool bigEndian = false);
};

// The forms a WAV file can store samples in.
struct WavForm {
    const char* name;
    uint16_t tag;       // 1 PCM, 3 float
    uint16_t container; // bits per stored sample
    uint16_t valid;     // significant bits
    bool extensible;
};

struct Mark {
    uint32_t start;
    uint32_t length; // 0: a cue point
    std::string name;
};

struct WavSpec {
    WavForm form;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    std::vector<uint8_t> data; // stored frames
    std::vector<Mark> marks;
    bool loop = false;
    uint32_t loopStart = 0, loopEnd = 0;
    std::vector<std::pair<std::string, std::string>> info; // LIST INFO
    std::string disp;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> extra; // chunks of other programs
};

// Deterministic frames that every form holds exactly (float values of 24 significant bits).
std::vector<uint8_t> TestFrames(const WavForm& form, uint16_t channels, size_t frames, unsigned seed);
// Plain 16-bit PCM of channels holding the stored frames data, at 44.1 kHz.
WavSpec Pcm16Spec(uint16_t channels, std::vector<uint8_t> data);
Bytes BuildWav(const WavSpec& wav);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// The bytes of the first chunk of id in a RIFF file (empty when missing).
std::vector<uint8_t> RiffChunk(const std::vector<uint8_t>& file, const char* fourcc);

class Fio {
public:
    Fio();
    ~Fio();
    IKvSKsFIO* operator->() const { return m_fio; }
    IKvSKsFIO* Get() const { return m_fio; }

private:
    HMODULE m_module = nullptr;
    IKvSKsFIO* m_fio = nullptr;
};

// What a conversion hands back.
struct Converted {
    HRESULT hr = E_FAIL;
    FileInfoRecord record{};
    std::vector<std::string> names; // two per track file
    LONG files = 0, channelsPerFile = 0;
    std::vector<FioMarkerRecord> markers;
    bool hasLoop = false;
    FioLoopBlock loop{};
    IUnknown* attributes = nullptr;
    ~Converted();
};
Converted Convert(IKvSKsFIO* fio, const std::string& path, LONG split = 0, LONG channelLimit = 6, HWND owner = nullptr);

class Engine {
public:
    Engine(WORD bits, DWORD rate);
    ~Engine();
    IMtTrackSet* Set() const { return m_set; }
    // One track per file pair of a conversion.
    HRESULT AddTracks(const Converted& c);
    // A track of raw storage frames from a file of our own.
    HRESULT AddRawTrack(const std::vector<uint8_t>& storage, WORD channels, LONGLONG start = 0);

private:
    HRESULT AddItemTrack(const MtFileItemRecord& record, const char* data, const char* peaks, LONGLONG start);
    HMODULE m_module = nullptr;
    IMtTrackSet* m_set = nullptr;
    WORD m_bits;
    DWORD m_rate;
    kvtest::ScratchFolder m_scratch;
    int m_files = 0;
};

// Writes the engine through the module: type, bits and format tag of the record, markers,
// loop and attributes; channel limit 0 (the tracks as they are).
HRESULT WriteEngine(IKvSKsFIO* fio, IMtTrackSet* set, const std::string& path, FileInfoRecord record,
                    const std::vector<FioMarkerRecord>& markers, const FioLoopBlock* loop, IUnknown* attributes,
                    HWND owner = nullptr);

// The files the tests read, beside the test programs (tests/fixtures): "damaged\\..." as they
// are, "mp3\\..." made by scripts/make-test-mp3.sh.
std::string TestData(const std::string& name);

// The host system's tools (sox, ffmpeg) as references: Wine starts the host's programs. The
// host's name of a file of ours, and a shell command line run to its end: its exit code, -1
// when it could not be started.
std::string HostPath(const std::string& path);
int RunOnHost(const std::string& shellCommand);

// Names of the files in the process's temporary folder.
std::vector<std::string> TempFileNames();

} // namespace fiotest
