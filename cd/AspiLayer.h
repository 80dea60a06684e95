// CAspiLayer: the identification (vendor, product, revision) of CD-ROM devices through an ASPI
// library, for systems without the storage query. It binds WNASPI32.DLL when present, walks
// every adapter, target and logical unit with INQUIRY and keeps one record per CD-ROM device.
// On systems of the NT family it binds nothing. A library that is missing, lacks an entry or
// reports itself unusable leaves the layer unbound: the device names stay empty.
#pragma once
#include "AspiRequests.h"

#include <windows.h>

#include <string>
#include <vector>

struct AspiDeviceRecord {
    uint32_t driveNumber = 0xFF; // 0 = A:; 0xFF when the library gives none
    uint8_t adapter = 0, target = 0, lun = 0;
    char vendor[9] = {};
    char product[17] = {};
    char revision[5] = {};
};

class CAspiLayer {
public:
    // The library's two entries, for a caller that binds them itself (tests).
    struct Entries {
        aspi::GetSupportInfoFn support = nullptr;
        aspi::SendCommandFn send = nullptr;
    };
    // Asks the system's family; loads WNASPI32.DLL when it is not of the NT family.
    CAspiLayer();
    // Binds the given entries as if loaded, with a system of the given family and the waits in
    // milliseconds (INQUIRY event and drive-number poll).
    CAspiLayer(const Entries& entries, bool ntFamily, DWORD waitMs);
    ~CAspiLayer();
    CAspiLayer(const CAspiLayer&) = delete;
    CAspiLayer& operator=(const CAspiLayer&) = delete;

    bool IsNtFamily() const { return m_ntFamily; }
    int AdapterCount() const { return m_adapterCount; }
    // 1 when bound, 0 when the library is missing or unusable.
    int Load();
    void Unload();
    void ScanHosts();
    // "%s %s %s" of vendor, product and revision of the first device on the letter's drive,
    // cut to the buffer; 0x80004005 when none is known.
    HRESULT FindDevice(char letter, char* text, size_t size) const;
    const std::vector<AspiDeviceRecord>& Devices() const { return m_devices; }
    // Request blocks left to a library that never let them go (aborts that did not complete).
    size_t AbandonedBlocks() const { return m_abandoned; }

private:
    bool Bind(const Entries& entries);
    void ScanHost(uint8_t adapter);
    void Probe(uint8_t adapter, uint8_t target, uint8_t lun);
    uint32_t DriveNumber(uint8_t adapter, uint8_t target, uint8_t lun);

    aspi::GetSupportInfoFn m_support = nullptr;
    aspi::SendCommandFn m_send = nullptr;
    HMODULE m_library = nullptr;
    int m_adapterCount = -1;
    bool m_ntFamily = false;
    std::vector<AspiDeviceRecord> m_devices;
    DWORD m_waitMs = 10000;
    size_t m_abandoned = 0;
};
