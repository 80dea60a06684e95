#include "DeviceTable.h"

#include "ImageDevice.h"
#include "PassThroughDevice.h"
#include "RegistryKey.h"

#include "AspiRequests.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <string>

namespace {

// Letter -> cue sheet path of the images a user (or a test) named.
std::map<char, std::string> ImageNames()
{
    std::map<char, std::string> images;
    RegistryKey key;
    if (key.Open(aspi::kImageSection) != ERROR_SUCCESS)
        return images;
    for (bool machine : {false, true}) {
        for (DWORD i = 0;; ++i) {
            char name[64];
            DWORD length = sizeof name;
            DWORD type = 0;
            if (key.EnumValue(machine, i, name, &length, &type) != ERROR_SUCCESS)
                break;
            const char letter = char(std::toupper(static_cast<unsigned char>(name[0])));
            if (type != REG_SZ || length != 1 || letter < 'A' || letter > 'Z' || images.count(letter))
                continue;
            std::string path;
            if (key.QueryString(name, &path) == ERROR_SUCCESS && !path.empty())
                images[letter] = path;
        }
    }
    return images;
}

} // namespace

void DeviceTable::Refresh()
{
    const std::map<char, std::string> images = ImageNames();
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::shared_ptr<cdimage::ScsiDevice>> devices;
    auto keep = [&](char letter, bool image) -> std::shared_ptr<cdimage::ScsiDevice> {
        for (const auto& d : m_devices) {
            if (d->Letter() != letter)
                continue;
            auto* asImage = dynamic_cast<cdimage::ImageDevice*>(d.get());
            if (image ? asImage && asImage->SheetPath() == images.at(letter) : !asImage)
                return d;
        }
        return nullptr;
    };
    for (const auto& [letter, path] : images) {
        auto device = keep(letter, true);
        devices.push_back(device ? device : std::make_shared<cdimage::ImageDevice>(letter, path));
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (images.count(letter))
            continue;
        char root[4];
        snprintf(root, sizeof root, "%c:\\", letter);
        if (GetDriveTypeA(root) != DRIVE_CDROM)
            continue;
        auto device = keep(letter, false);
        devices.push_back(device ? device : std::make_shared<PassThroughDevice>(letter));
    }
    m_devices.swap(devices);
    m_read = true;
}

int DeviceTable::AdapterCount()
{
    std::lock_guard<std::mutex> hold(m_lock);
    const int n = int(m_devices.size());
    return n ? (n + kTargetsPerAdapter - 1) / kTargetsPerAdapter : 1;
}

std::shared_ptr<cdimage::ScsiDevice> DeviceTable::Find(uint8_t adapter, uint8_t target, uint8_t lun)
{
    bool read;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        read = m_read;
    }
    if (!read)
        Refresh();
    std::lock_guard<std::mutex> hold(m_lock);
    if (lun != 0 || target >= kTargetsPerAdapter)
        return nullptr;
    const size_t index = size_t(adapter) * kTargetsPerAdapter + target;
    return index < m_devices.size() ? m_devices[index] : nullptr;
}
