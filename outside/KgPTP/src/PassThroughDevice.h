// PassThroughDevice: a real CD drive, reached by passing each command block to the drive's
// own driver (SCSI pass-through on "\\.\X:").
#pragma once
#include "ScsiDevice.h"

#include <windows.h>

#include <mutex>

class PassThroughDevice : public cdimage::ScsiDevice {
public:
    explicit PassThroughDevice(char letter) : m_letter(letter) {}
    ~PassThroughDevice() override;
    char Letter() const override { return m_letter; }
    uint8_t Execute(const cdimage::ScsiRequest& request, uint8_t* sense) override;

private:
    const char m_letter;
    std::mutex m_lock;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};
