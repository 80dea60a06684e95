// Three small modal dialogs: SetValueDialog ("Set Value") shows or edits one value of a point
// within a range in one of four number forms; TrackLabelDialog ("Set Track Label") edits a
// track's label; AutoStopTimerDialog ("Auto Stop Recording Timer") sets when recording stops by
// itself (section "Settings": "RecTimerOn", "RecTimerValue" in minutes).
#pragma once
#include "Framework.h"

#include <cstdint>

// The value edit of Set Value: Tab does not leave it.
class SetValueEdit : public CWnd {
public:
    BOOL PreTranslateMessage(MSG* msg) override;
};

class SetValueDialog : public CDialog {
public:
    // Number forms (bits 8 to 11 of m_form).
    static constexpr DWORD kPercentage = 0x100, kDecimal = 0x200, kHexadecimal = 0x400, kAmplitude = 0x800;

    explicit SetValueDialog(CWnd* parent = nullptr);

    // Filled by the caller; m_value is read back after OK. Allowed values: -m_offset .. m_max - m_offset.
    int64_t m_position = 0;
    int m_bits = 32;
    int m_value = 0;
    DWORD m_form = kDecimal;
    int m_zeroBased = 0;
    int m_max = 0;    // M
    int m_offset = 0; // O

    // The value as the edit shows it, and the edit's text (at most 8 characters) as a value.
    CString DisplayText(int value) const;
    int ParseText(const char* text) const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnValueKillFocus();

private:
    DWORD Form() const { return m_form & 0xF00; }
    // The value as a percentage of its side of the range; 0 when that side is empty.
    double Percentage(int value) const;
    int HexDigits() const { return (m_bits + 7) / 8 * 2; }

    SetValueEdit m_edit;
    DECLARE_MESSAGE_MAP()
};

class TrackLabelDialog : public CDialog {
public:
    explicit TrackLabelDialog(CWnd* parent = nullptr);
    void SetLabel(const char* text) { m_label = text ? text : ""; }
    const CString& GetLabel() const { return m_label; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnHelp();

private:
    CString m_label;
    DECLARE_MESSAGE_MAP()
};

class AutoStopTimerDialog : public CDialog {
public:
    explicit AutoStopTimerDialog(CWnd* parent = nullptr);

    int m_timerOn = 0;
    int m_hours = 0;
    int m_minutes = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    void OnTimerCheck();
    void OnHelp();

private:
    void EnableTimeControls(BOOL on);
    DECLARE_MESSAGE_MAP()
};
