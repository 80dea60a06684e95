// The Burn CD dialog's three small dialogs: Advanced Settings (writer, speed, test write),
// Pre-Gap Settings and Erase Media.
#pragma once
#include "BurnTrackList.h"
#include "CdIds.h"
#include "Framework.h"

#include <string>
#include <vector>

// One writer drive of the burn dialog.
struct BurnDeviceEntry {
    std::string drive; // "X:"
    std::string name;
    uint32_t capabilities = 0;
    int32_t id = 0;
    uint32_t last = 0;
    int32_t writeModes = 0;
    BurnSpeedList speeds;
};

class CBurnAdvancedDialog : public CDialog {
public:
    enum { IDD = IDD_BURN_ADVANCED };
    CBurnAdvancedDialog(const std::vector<BurnDeviceEntry>& devices, CWnd* parent);

    // In before DoModal, out after OK.
    bool m_test = false;
    int32_t m_speed = 0; // 0 = maximum
    std::string m_device; // "X:" of the chosen drive, then the combo's text
    // The letter whose speeds the dialog shows; a media change there refills them.
    char ShownLetter() const;
    void FillSpeeds();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDeviceChanged();
    void OnHelp();

private:
    const std::vector<BurnDeviceEntry>& m_devices;
    DECLARE_MESSAGE_MAP()
};

class CPreGapDialog : public CDialog {
public:
    enum { IDD = IDD_BURN_PREGAP };
    CPreGapDialog(int preGap, CWnd* parent) : CDialog(IDD, parent), m_preGap(preGap) {}
    int m_preGap; // seconds

protected:
    BOOL OnInitDialog() override;
    void OnChanged();
    void OnHelp();
    DECLARE_MESSAGE_MAP()
};

class CEraseMediaDialog : public CDialog {
public:
    enum { IDD = IDD_BURN_ERASE };
    explicit CEraseMediaDialog(CWnd* parent) : CDialog(IDD, parent) {}
    int m_choice = 0; // 0 quick, 1 complete

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
