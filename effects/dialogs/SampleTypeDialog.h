// CSampleTypeDialog ("Sample Type"): the sample rate, bits per sample and calculation precision
// a document is converted to, chosen on the attribute module's own page, which the dialog
// hosts (its site and the skinned look are CSkinnedPageDialog's). OK applies the page, reads
// the three values back and keeps them as "LastSamplesPerSec", "LastBitsPerSample" and
// "LastCalcPrecision"; Cancel keeps nothing.
//
//   CSampleTypeDialog dialog(parent, rate, bits);      // rate and bits preset when both non-zero
//   if (SUCCEEDED(dialog.LoadAttributePage()) && dialog.DoModal() == IDOK) use dialog.SamplesPerSec()...
#pragma once
#include "ComRef.h"
#include "SkinnedPageDialog.h"

#include <strmif.h>

struct IAttributeSettings;

class CSampleTypeDialog : public CSkinnedPageDialog {
public:
    CSampleTypeDialog(CWnd* parent, DWORD samplesPerSec = 0, WORD bitsPerSample = 0);
    ~CSampleTypeDialog() override;

    // The attribute filter, its settings and its first page; the failing step's code.
    HRESULT LoadAttributePage();

    DWORD SamplesPerSec() const { return m_samplesPerSec; }
    WORD BitsPerSample() const { return m_bitsPerSample; }
    DWORD CalcPrecision() const { return m_calcPrecision; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnHelp();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    DWORD m_calcPrecision = 0;
    WORD m_bitsPerSample = 0;
    DWORD m_samplesPerSec = 0;
    ComRef<IBaseFilter> m_filter;
    ComRef<IAttributeSettings> m_settings;
    HMODULE m_module = nullptr;
};
