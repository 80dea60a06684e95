// The generators' own interfaces: each of the four generator modules (FM tone 2019, simple tone
// 2020, silence 2021, noise 2022) takes the sample rate, bits per sample, channel count and
// length of its next run through an interface of its own, at slots of its own. The table
// finds the generator's row by its menu command; every call asks the filter for that row's
// interface (a filter without it answers E_NOINTERFACE).
#pragma once
#include <windows.h>
#include <unknwn.h>

struct GeneratorSlots {
    UINT command;
    const IID* iid;
    HRESULT (*setSampleRate)(IUnknown* generator, unsigned rate);
    HRESULT (*setBitsPerSample)(IUnknown* generator, unsigned short bits);
    HRESULT (*setChannelCount)(IUnknown* generator, unsigned short channels);
    HRESULT (*setLength)(IUnknown* generator, LONGLONG frames);
};

// The row of the generator command, or null for any other command.
const GeneratorSlots* FindGeneratorSlots(UINT command);

// The three format setters of the command's generator, in the order rate, bits, channels; the
// first failure (E_FAIL for a command without a row).
HRESULT SetGeneratorFormat(UINT command, IUnknown* generator, DWORD rate, WORD bits, WORD channels);
// The frames of the next run; E_FAIL for a command without a row.
HRESULT SetGeneratorLength(UINT command, IUnknown* generator, LONGLONG frames);
