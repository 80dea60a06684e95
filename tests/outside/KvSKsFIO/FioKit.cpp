#include "FioKit.h"

#include "GlobalMemory.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace fiotest {

using kvtest::BinFolder;

Bytes& Bytes::u8(uint8_t v)
{
    b.push_back(v);
    return *this;
}
Bytes& Bytes::u16(uint16_t v)
{
    return u8(uint8_t(v)).u8(uint8_t(v >> 8));
}
Bytes& Bytes::u32(uint32_t v)
{
    return u16(uint16_t(v)).u16(uint16_t(v >> 16));
}
Bytes& Bytes::be16(uint16_t v)
{
    return u8(uint8_t(v >> 8)).u8(uint8_t(v));
}
Bytes& Bytes::be32(uint32_t v)
{
    return be16(uint16_t(v >> 16)).be16(uint16_t(v));
}
Bytes& Bytes::id(const char* f)
{
    b.insert(b.end(), f, f + 4);
    return *this;
}
Bytes& Bytes::text(const std::string& s, bool zero)
{
    b.insert(b.end(), s.begin(), s.end());
    if (zero)
        b.push_back(0);
    return *this;
}
Bytes& Bytes::raw(const std::vector<uint8_t>& v)
{
    b.insert(b.end(), v.begin(), v.end());
    return *this;
}
Bytes& Bytes::chunk(const char* f, const Bytes& body, bool bigEndian)
{
    id(f);
    if (bigEndian)
        be32(uint32_t(body.b.size()));
    else
        u32(uint32_t(body.b.size()));
    raw(body.b);
    if (body.b.size() & 1)
        u8(0);
    return *this;
}

std::vector<uint8_t> TestFrames(const WavForm& form, uint16_t channels, size_t frames, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes o;
    for (size_t i = 0; i < frames * channels; ++i) {
        const uint32_t r = rng();
        if (form.tag == 3) {
            // k / 2^23 with |k| < 2^23: exact in a float and in every 24-bit path.
            const int32_t k = int32_t(r % 16777215u) - 8388607;
            const float v = static_cast<float>(k / 8388608.0);
            uint32_t u;
            std::memcpy(&u, &v, 4);
            o.u32(u);
        } else if (form.container == 8) {
            o.u8(uint8_t(r));
        } else if (form.container == 16) {
            o.u16(uint16_t(r));
        } else if (form.container == 24) {
            uint32_t v = r & 0xFFFFFF;
            if (form.valid == 20)
                v &= 0xFFFFF0;
            o.u8(uint8_t(v)).u8(uint8_t(v >> 8)).u8(uint8_t(v >> 16));
        } else {
            o.u32(r & 0xFFFFFF00u); // 24 significant bits, as a float holds them
        }
    }
    return o.b;
}

WavSpec Pcm16Spec(uint16_t channels, std::vector<uint8_t> data)
{
    WavSpec wav;
    wav.form = {"pcm16", 1, 16, 16, false};
    wav.channels = channels;
    wav.data = std::move(data);
    return wav;
}

Bytes BuildWav(const WavSpec& s)
{
    const uint16_t align = uint16_t(s.form.container / 8 * s.channels);
    Bytes fmt;
    fmt.u16(s.form.extensible ? 0xFFFE : s.form.tag).u16(s.channels).u32(s.rate).u32(s.rate * align).u16(align);
    fmt.u16(s.form.container);
    if (s.form.extensible) {
        const uint32_t mask = s.channels == 1 ? 4 : s.channels == 2 ? 3 : 0x3F;
        fmt.u16(22).u16(s.form.valid).u32(mask).u16(s.form.tag);
        const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        fmt.raw(std::vector<uint8_t>(tail, tail + 14));
    }
    Bytes body;
    body.id("WAVE").chunk("fmt ", fmt);
    if (!s.info.empty()) {
        Bytes list;
        list.id("INFO");
        for (const auto& e : s.info)
            list.chunk(e.first.c_str(), Bytes().text(e.second));
        body.chunk("LIST", list);
    }
    if (!s.disp.empty())
        body.chunk("DISP", Bytes().u32(1).text(s.disp));
    for (const auto& e : s.extra)
        body.chunk(e.first.c_str(), Bytes().raw(e.second));
    if (!s.marks.empty()) {
        Bytes cue, adtl;
        cue.u32(uint32_t(s.marks.size()));
        adtl.id("adtl");
        for (size_t i = 0; i < s.marks.size(); ++i) {
            const uint32_t id = uint32_t(i + 1);
            cue.u32(id).u32(s.marks[i].start).id("data").u32(0).u32(0).u32(s.marks[i].start);
            adtl.chunk("labl", Bytes().u32(id).text(s.marks[i].name));
            if (s.marks[i].length)
                adtl.chunk("ltxt", Bytes().u32(id).u32(s.marks[i].length).id("rgn ").u32(0).u32(0));
        }
        body.chunk("cue ", cue).chunk("LIST", adtl);
    }
    if (s.loop) {
        Bytes smpl;
        smpl.u32(0).u32(0).u32(1000000000u / s.rate).u32(60).u32(0).u32(0).u32(0).u32(1).u32(0);
        smpl.u32(0).u32(0).u32(s.loopStart).u32(s.loopEnd).u32(0).u32(0);
        body.chunk("smpl", smpl);
    }
    body.chunk("data", Bytes().raw(s.data));
    return Bytes().chunk("RIFF", body);
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

std::vector<uint8_t> RiffChunk(const std::vector<uint8_t>& f, const char* fourcc)
{
    size_t pos = 12;
    while (pos + 8 <= f.size()) {
        uint32_t size;
        std::memcpy(&size, &f[pos + 4], 4);
        if (std::memcmp(&f[pos], fourcc, 4) == 0)
            return std::vector<uint8_t>(f.begin() + pos + 8, f.begin() + std::min(f.size(), pos + 8 + size));
        pos += 8 + size + (size & 1);
    }
    return {};
}

Fio::Fio()
{
    m_module = LoadLibraryA((BinFolder() + "KvSKsFIO.dll").c_str());
    if (!m_module)
        return;
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (get && SUCCEEDED(get(CLSID_KvSKsFIO, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        factory->CreateInstance(nullptr, __uuidof(IKvSKsFIO), reinterpret_cast<void**>(&m_fio));
        factory->Release();
    }
}

Fio::~Fio()
{
    if (m_fio)
        m_fio->Release();
}

Converted::~Converted()
{
    if (attributes)
        attributes->Release();
}

Converted Convert(IKvSKsFIO* fio, const std::string& path, LONG split, LONG channelLimit, HWND owner)
{
    Converted c;
    char* names = nullptr;
    WORD count = 0;
    void* markers = nullptr;
    void* loop = nullptr;
    c.record.fileType = -1;
    c.hr = fio->ConvertToTrackFiles(owner, path.c_str(), &c.record, &c.attributes, &names, 0, &c.files,
                                    &c.channelsPerFile, &count, &markers, &loop, split, channelLimit);
    if (SUCCEEDED(c.hr))
        c.hr = fio->GetCompletionResult();
    if (names) {
        for (LONG i = 0; i < 2 * c.files; ++i)
            c.names.push_back(names + i * kFioNameLength);
        GlobalUnlockFree(names);
    }
    if (markers) {
        const FioMarkerRecord* m = static_cast<const FioMarkerRecord*>(markers);
        c.markers.assign(m, m + count);
        GlobalUnlockFree(markers);
    }
    if (loop) {
        c.hasLoop = true;
        std::memcpy(&c.loop, loop, sizeof c.loop);
        GlobalUnlockFree(loop);
    }
    return c;
}

namespace {

template <class Fn>
Fn Export(HMODULE m, WORD ordinal)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, MAKEINTRESOURCEA(ordinal))));
}

} // namespace

Engine::Engine(WORD bits, DWORD rate) : m_bits(bits), m_rate(rate)
{
    m_module = LoadLibraryA((BinFolder() + "KsMultiTrack.dll").c_str());
    auto create = m_module ? Export<PFN_MtCreateTrackSet>(m_module, kMtOrdCreateTrackSet) : nullptr;
    if (create && SUCCEEDED(create(&m_set))) {
        m_set->SetFormat(bits, rate);
        m_set->SetChannelLimit(6);
    }
}

Engine::~Engine()
{
    if (m_set)
        m_set->Release();
}

HRESULT Engine::AddItemTrack(const MtFileItemRecord& record, const char* data, const char* peaks, LONGLONG start)
{
    IMtItemList* list = nullptr;
    HRESULT hr = Export<PFN_MtCreateItemList>(m_module, kMtOrdCreateItemList)(&list);
    if (FAILED(hr))
        return hr;
    hr = list->AddFileItem(&record, data, peaks, 0);
    IUnknown* item = nullptr;
    if (SUCCEEDED(hr)) {
        list->ResetItems(0);
        hr = list->NextItem(&item, nullptr);
    }
    list->Release();
    if (hr != S_OK)
        return FAILED(hr) ? hr : E_FAIL;
    IMtClip* clip = nullptr;
    IMtTrack* track = nullptr;
    hr = Export<PFN_MtCreateClip>(m_module, kMtOrdCreateClip)(&clip);
    if (SUCCEEDED(hr)) {
        MtClipFormat format{record.samplesPerSec, record.bitsPerSample, record.channels};
        hr = clip->SetFormat(&format);
        if (SUCCEEDED(hr))
            hr = clip->SetSource(item, 0, -1);
        if (SUCCEEDED(hr))
            hr = m_set->InsertTrack(0, record.channels, &track, -1);
        if (SUCCEEDED(hr))
            hr = track->InsertClip(clip, start, 0, 0);
    }
    if (track)
        track->Release();
    if (clip)
        clip->Release();
    item->Release();
    return hr;
}

HRESULT Engine::AddTracks(const Converted& c)
{
    for (LONG i = 0; i < c.files; ++i) {
        MtFileItemRecord record{};
        lstrcpynA(record.path, c.names[2 * i].c_str(), sizeof record.path);
        record.channels = static_cast<WORD>(c.channelsPerFile);
        record.bitsPerSample = c.record.bitsPerSample;
        record.samplesPerSec = c.record.samplesPerSec;
        HRESULT hr = AddItemTrack(record, c.names[2 * i].c_str(), c.names[2 * i + 1].c_str(), 0);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT Engine::AddRawTrack(const std::vector<uint8_t>& storage, WORD channels, LONGLONG start)
{
    const std::string path = m_scratch.File("raw" + std::to_string(m_files++) + ".raw");
    if (!WriteBytes(path, storage))
        return E_FAIL;
    MtFileItemRecord record{};
    lstrcpynA(record.path, path.c_str(), sizeof record.path);
    record.channels = channels;
    record.bitsPerSample = m_bits;
    record.samplesPerSec = m_rate;
    return AddItemTrack(record, path.c_str(), nullptr, start);
}

HRESULT WriteEngine(IKvSKsFIO* fio, IMtTrackSet* set, const std::string& path, FileInfoRecord record,
                    const std::vector<FioMarkerRecord>& markers, const FioLoopBlock* loop, IUnknown* attributes,
                    HWND owner)
{
    fio->SetDocumentPath(path.c_str());
    fio->SetVideoPath(nullptr);
    fio->SetTrackSet(set);
    fio->SetWriteChannels(0, record.writeValue);
    fio->SetWriteAttributes(attributes);
    HRESULT hr = fio->WriteSoundFile(owner, path.c_str(), nullptr, &record, markers.data(), LONG(markers.size()), 0,
                                     nullptr, loop);
    if (SUCCEEDED(hr))
        hr = fio->GetCompletionResult();
    fio->SetTrackSet(nullptr);
    fio->SetWriteAttributes(nullptr);
    return hr;
}

std::string TestData(const std::string& name)
{
    return BinFolder() + "testdata\\" + name;
}

std::string HostPath(const std::string& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    static const UnixName convert = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return std::string();
    std::wstring wide(path.begin(), path.end());
    char* name = convert(wide.c_str());
    if (!name)
        return std::string();
    std::string out(name);
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

int RunOnHost(const std::string& shellCommand)
{
    // Wine gives a host program's process no exit code and no end to wait for: the shell
    // writes its code to a file and then gives that file its final name.
    char folder[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    if (!GetTempFileNameA(folder, "rc", 0, name))
        return -1;
    DeleteFileA(name);
    const std::string done = name, writing = done + ".part";
    const std::string command = "/bin/sh -c \"" + shellCommand + "; echo $? > '" + HostPath(writing) + "'; mv '" +
                                HostPath(writing) + "' '" + HostPath(done) + "'\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    int code = -1;
    for (int waited = 0; waited < 120000; waited += 5) {
        if (FILE* f = std::fopen(done.c_str(), "r")) {
            if (std::fscanf(f, "%d", &code) != 1)
                code = -1;
            std::fclose(f);
            break;
        }
        Sleep(5);
    }
    DeleteFileA(done.c_str());
    return code;
}

std::vector<std::string> TempFileNames()
{
    std::vector<std::string> names;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((std::string(folder) + "*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(d.cFileName);
    } while (FindNextFileA(h, &d));
    FindClose(h);
    return names;
}

} // namespace fiotest
