#include "ErrorText.h"

#include <mmsystem.h>

#include <cstring>

namespace {

constexpr UINT kUnknownErrorTextId = 11001; // "An unknown error occurred."

// A run of consecutive codes mapped to consecutive string ids.
struct CodeRun {
    DWORD first;
    DWORD last;
    UINT firstId;
};

// One run of codes a line.
// clang-format off
const CodeRun kCodeRuns[] = {
    {0x80004005, 0x80004005, 11000},
    {0x83E80001, 0x83E80001, 11000},
    {0x83E80003, 0x83E80005, 11002},
    {0x83E80064, 0x83E80064, 11006},
    {0x83E800C9, 0x83E800D9, 11007},
    {0x83E800DA, 0x83E800DA, 11078},
    {0x83E800DC, 0x83E800E0, 11024},
    {0x83E803E8, 0x83E803EA, 11029},
    {0x83E8044C, 0x83E8044F, 11032},
    {0x83E80450, 0x83E80450, 11096},
    {0x83E804B0, 0x83E804B5, 11036},
    {0x83E80514, 0x83E80515, 11042},
    {0x83E807D1, 0x83E807D5, 11044},
    {0x83E80803, 0x83E80807, 11049},
    {0x83E80808, 0x83E8080B, 11074},
    {0x83E8080D, 0x83E8080D, 11095},
    {0x83E8080E, 0x83E8080F, 11097},
    {0x83E80834, 0x83E8083F, 11054},
    {0x83E80840, 0x83E80841, 11072},
    {0x83E80842, 0x83E80843, 11093},
    {0x83E80898, 0x83E8089D, 11066},
    {0x83E8089E, 0x83E808AB, 11079},
    {0x83E808AC, 0x83E808AC, 11099},
    {0x83EA0001, 0x83EA0001, 12017},
    {0x83EA0002, 0x83EA0002, 12016},
    {0x83EA0003, 0x83EA0003, 12021},
    {0x83EA0006, 0x83EA0007, 12018},
    {0x83EA0009, 0x83EA000A, 12000},
    {0x83EA000D, 0x83EA0010, 12003},
    {0x83EA0011, 0x83EA0011, 12010},
    {0x83EA0013, 0x83EA0013, 12011},
    {0x83EA0018, 0x83EA0018, 12014},
    {0x83EA0065, 0x83EA0067, 12007},
    {0x83EA0069, 0x83EA0069, 12013},
    {0x83EA006E, 0x83EA006E, 12015},
    {0x83EA006F, 0x83EA006F, 12020},
    {0x83EA0070, 0x83EA0070, 12022},
    {0x83EB0101, 0x83EB0110, 12296},
    {0x83EC0001, 0x83EC0008, 12287},
    {0x83EC000C, 0x83EC000C, 12295},
    {0xC00D0BC2, 0xC00D0BC2, 11036},
};
// clang-format on

struct CodeText {
    DWORD code;
    UINT id;
};

const CodeText kDirectSoundTexts[] = {
    {0x8878000A, 11301}, {0x88780082, 11302}, {0x88780064, 11303}, {0x88780096, 11304},
    {0x8878001E, 11305}, {0x80004005, 11306}, {0x88780032, 11307}, {0x80070057, 11308},
    {0x80040110, 11309}, {0x88780078, 11310}, {0x80004002, 11311}, {0x887800A0, 11312},
    {0x8007000E, 11313}, {0x88780046, 11314}, {0x887800AA, 11315}, {0x80004001, 11316},
};

} // namespace

const char* DirectSoundErrorText::GetText(HRESULT code)
{
    std::memset(m_text, 0, sizeof m_text);
    for (const CodeText& entry : kDirectSoundTexts) {
        if (entry.code == static_cast<DWORD>(code)) {
            LoadStringA(m_module, entry.id, m_text, sizeof m_text);
            return m_text;
        }
    }
    return nullptr;
}

UINT ErrorText::FindStringId(HRESULT code)
{
    const DWORD c = static_cast<DWORD>(code);
    for (const CodeRun& run : kCodeRuns) {
        if (c >= run.first && c <= run.last)
            return run.firstId + (c - run.first);
    }
    return 0;
}

int ErrorText::LoadText(UINT stringId)
{
    return LoadStringA(m_module, stringId, m_text, sizeof m_text);
}

const char* ErrorText::GetText(HRESULT code)
{
    std::memset(m_text, 0, sizeof m_text);
    if (const UINT id = FindStringId(code)) {
        LoadText(id);
        return m_text;
    }

    DirectSoundErrorText directSound(m_module);
    if (const char* text = directSound.GetText(code)) {
        lstrcpynA(m_text, text, sizeof m_text);
        return m_text;
    }

    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), LANG_USER_DEFAULT, m_text, sizeof m_text, nullptr);
    if (length > 0) {
        const size_t n = std::strlen(m_text);
        if (n >= 2 && m_text[n - 2] == '\r' && m_text[n - 1] == '\n')
            m_text[n - 2] = 0;
        return m_text;
    }
    m_text[0] = 0;

    const UINT number = static_cast<UINT>(code) & 0xFFFF;
    switch (static_cast<DWORD>(code) & kFacilityMask) {
    case kFacilityWaveIn:
        if (waveInGetErrorTextA(number, m_text, sizeof m_text) != MMSYSERR_NOERROR)
            m_text[0] = 0;
        return m_text;
    case kFacilityWaveOut:
        if (waveOutGetErrorTextA(number, m_text, sizeof m_text) != MMSYSERR_NOERROR)
            m_text[0] = 0;
        return m_text;
    case kFacilityMidiOut:
        if (midiOutGetErrorTextA(number, m_text, sizeof m_text) != MMSYSERR_NOERROR)
            m_text[0] = 0;
        return m_text;
    default:
        LoadText(kUnknownErrorTextId);
        return m_text;
    }
}
