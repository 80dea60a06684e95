// CNameEditDlg: the small modal rename dialog (a name of at most 255 characters).
#pragma once
#include "Framework.h"

#include <string>

class CNameEditDlg : public CDialog {
public:
    explicit CNameEditDlg(CWnd* parent = nullptr);

    void SetName(const char* name) { m_name = name ? name : ""; }
    const std::string& GetName() const { return m_name; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_name;
};
