// CPresetNameDialog ("Register Preset Name", template 5388): the name a preset is saved under.
// The name given is proposed in the edit field; after DoModal the name holds what was typed.
#pragma once
#include "Framework.h"

class CPresetNameDialog : public CDialog {
public:
    explicit CPresetNameDialog(CWnd* parent = nullptr);

    void SetName(const char* name) { m_name = name ? name : ""; }
    const CString& GetName() const { return m_name; }

protected:
    BOOL OnInitDialog() override;
    void OnDestroy();

    CString m_name;
    DECLARE_MESSAGE_MAP()
};
