// The program around a benchmark's documents: default settings, no transport, errors printed.
#pragma once
#include "DocumentHost.h"
#include "DocumentRecords.h"

#include <cstdio>

class BenchHost : public DocumentHost {
public:
    DocumentSettings& DefaultSettings() override { return settings; }
    BOOL IsAsioInUse() override { return FALSE; }
    void ShowErrorText(HRESULT code) override { std::fprintf(stderr, "error 0x%08lX\n", (unsigned long)code); }
    void ShowErrorBox(HRESULT code, UINT) override { ShowErrorText(code); }
    COLORREF SkinColorAt(int) override { return RGB(1, 2, 3); }
    BOOL IsTransportBusy() override { return FALSE; }
    BOOL IsRecordWhilePlaying() override { return FALSE; }
    HRESULT SetupMonitoring() override { return S_OK; }
    HRESULT StopTransport() override { return S_OK; }
    void RefreshController() override {}
    void RefreshMixer(BOOL) override {}
    void UpdateMasterVolume() override {}
    DocumentSettings settings = ReadDefaultDocumentSettings();
};
