// CSplitTypeDialog ("Split Waveform"): the first page of the split wizard, the type of
// splitting: at a set interval (0), at silence (1) or at cue points (2), remembered as
// "DivideBasisType". Next closes with IDOK.
#pragma once
#include "Framework.h"

class CSplitTypeDialog : public CDialog {
public:
    explicit CSplitTypeDialog(CWnd* parent = nullptr);

    int m_type = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnTypeClicked();
    void OnHelp();
    DECLARE_MESSAGE_MAP()
};
