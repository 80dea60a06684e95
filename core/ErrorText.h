// ErrorText: turns a 32-bit result code into a message. Lookup order: the program's own codes
// from the string table, then DirectSound and COM codes, then the system's message text, then
// the waveIn, waveOut and MIDI texts for their facilities, else "An unknown error occurred.".
// A short-lived local; the returned text lives in the object.
//
//   ErrorText text(GetResourceModule());
//   MessageBoxA(owner, text.GetText(hr), caption, MB_OK);
//
// Result codes: bit 31 set on failure; facility = bits 16..28. Own facilities: 0x3E8 program
// and engine, 0x3EA stream library, 0x3EB file library, 0x3EC multimedia system, 0x3ED waveIn
// error number, 0x3EE waveOut error number, 0x3F0 MIDI-out error number (low 16 bits).
#pragma once
#include <windows.h>

constexpr HRESULT kKvErrorFailed = static_cast<HRESULT>(0x83E80001);
constexpr HRESULT kKvErrorNotSupported = static_cast<HRESULT>(0x83E80003);
constexpr HRESULT kKvErrorInvalidParameter = static_cast<HRESULT>(0x83E80004);
constexpr HRESULT kKvErrorCancelled = static_cast<HRESULT>(0x83E80005); // the user stopped it; shown as nothing
constexpr HRESULT kKvErrorOutOfMemory = static_cast<HRESULT>(0x83E80064);

constexpr DWORD kFacilityMask = 0x1FFF0000;
constexpr DWORD kFacilityWaveIn = 0x03ED0000;
constexpr DWORD kFacilityWaveOut = 0x03EE0000;
constexpr DWORD kFacilityMidiOut = 0x03F00000;

// The DirectSound and COM texts; used by ErrorText.
class DirectSoundErrorText {
public:
    explicit DirectSoundErrorText(HINSTANCE module) : m_module(module) {}
    // The text for one of its 16 codes, or null when the code is not among them.
    const char* GetText(HRESULT code);

private:
    HINSTANCE m_module;
    char m_text[256];
};

class ErrorText {
public:
    explicit ErrorText(HINSTANCE module) : m_module(module) { m_text[0] = 0; }
    // Never null; empty when the text's source has none.
    const char* GetText(HRESULT code);
    // Loads a string of the module into the buffer; returns LoadStringA's result.
    int LoadText(UINT stringId);

    // String id of the main table for a code; 0 when the code is not in it.
    static UINT FindStringId(HRESULT code);

private:
    HINSTANCE m_module;
    char m_text[512];
};
