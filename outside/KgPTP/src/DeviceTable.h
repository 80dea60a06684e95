// DeviceTable: the drives KgPTP.dll offers, at ASPI addresses: the disc images named under the
// settings root's "CdImages" key first, then the system's CD-ROM drives on letters no image
// takes. Seven targets to an adapter (the eighth identifier is the adapter's own), logical
// unit 0. The table is read again on every support-information call; a drive keeps its object
// (and a burn under way) while its letter and image stay the same.
#pragma once
#include "ScsiDevice.h"

#include <memory>
#include <mutex>
#include <vector>

class DeviceTable {
public:
    static constexpr int kTargetsPerAdapter = 7;
    static constexpr uint8_t kAdapterScsiId = 7;

    void Refresh();
    // Adapter count, at least 1 (an empty table still has its adapter).
    int AdapterCount();
    std::shared_ptr<cdimage::ScsiDevice> Find(uint8_t adapter, uint8_t target, uint8_t lun);

private:
    std::mutex m_lock;
    bool m_read = false;
    std::vector<std::shared_ptr<cdimage::ScsiDevice>> m_devices;
};
