#include "FadeDialogs.h"

#include "CrossfadeCommand.h"
#include "ErrorText.h"
#include "FadeInOutCommand.h"
#include "HelpLauncher.h"
#include "MarkCommands.h"
#include "ResourceModule.h"
#include "SelectionGroupCommand.h"
#include "SkinTables.h"

namespace {
constexpr UINT kIdHelp = 9;
constexpr UINT kIdsCrossfade = 21031;
constexpr UINT kIdsFadeInOut = 21032;
} // namespace

BEGIN_MESSAGE_MAP(FadeDialogBase, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

std::vector<std::pair<UINT, int>> FadeDialogBase::ButtonImages() const
{
    return {{kIdShapeSine, kSkinLine1}, {kIdShapeLinear, kSkinLine2}};
}

void FadeDialogBase::OnPaint()
{
    CPaintDC dc(m_hWnd);
    for (const auto& entry : ButtonImages()) {
        HWND button = ::GetDlgItem(m_hWnd, static_cast<int>(entry.first));
        if (!button)
            continue;
        RECT r;
        ::GetWindowRect(button, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        CSize size = GetSkinImageSize(entry.second);
        DrawSkinImage(&dc, entry.second, r.right, r.top + ((r.bottom - r.top) - size.cy) / 2);
    }
}

void FadeDialogBase::ShowError(HRESULT code)
{
    if (code == kMtErrCancelled)
        return;
    ErrorText text(GetResourceModule());
    AfxMessageBox(text.GetText(code), MB_ICONEXCLAMATION);
}

void FadeDialogBase::StartGroup(IEditCommand* group, UINT captionId)
{
    const ComRef<IEditCommand> adopted(group);
    m_group = QueryCom<ICommandList>(adopted.Get());
    SetWindowText(LoadResourceText(captionId).c_str());
}

void FadeDialogBase::ApplyFade()
{
    if (!m_group)
        return;
    HRESULT hr = WriteFadePreview(m_document, m_group.Get(), Entries(), m_shape,
                                  [this](CommandDocument* document, int track) { return MakeChild(document, track); });
    if (FAILED(hr))
        ShowError(hr);
}

void FadeDialogBase::OnSine()
{
    m_shape = kIdShapeSine;
    ApplyFade();
}

void FadeDialogBase::OnLinear()
{
    m_shape = kIdShapeLinear;
    ApplyFade();
}

void FadeDialogBase::OnOK()
{
    UINT count = 0;
    if (m_group)
        m_group->GetCount(&count);
    if (count > 0) {
        ComRef<IEditCommand> edit = QueryCom<IEditCommand>(m_group.Get());
        ICommandHistory* history = m_document->GetHistory();
        HRESULT hr = history ? history->Do(edit.Get(), TRUE) : E_FAIL;
        if (FAILED(hr))
            ShowError(hr);
    }
    m_document->SetModifiedFlag(TRUE);
    EndDialog(IDOK);
}

void FadeDialogBase::OnCancel()
{
    if (m_group) {
        ComRef<IEditCommand> edit = QueryCom<IEditCommand>(m_group.Get());
        HRESULT hr = edit ? edit->Undo() : E_NOINTERFACE;
        if (FAILED(hr))
            ShowError(hr);
    }
    EndDialog(IDCANCEL);
}

BEGIN_MESSAGE_MAP(CrossfadeDialog, FadeDialogBase)
    ON_BN_CLICKED(kIdShapeSine, OnSine)
    ON_BN_CLICKED(kIdShapeLinear, OnLinear)
    ON_BN_CLICKED(kIdHelp, OnHelp)
END_MESSAGE_MAP()

BOOL CrossfadeDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    UINT refusal = PlanCrossfade(m_document, &m_entries, &m_range);
    if (refusal) {
        AfxMessageBox(refusal, MB_ICONEXCLAMATION);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    StartGroup(ComObject<IEditCommand>::Create<CrossfadesCommand>(LoadResourceText(kIdsCrossfade).c_str(), m_document),
               kIdsCrossfade);
    m_shape = kIdShapeLinear;
    CheckRadioButton(kIdShapeSine, kIdShapeLinear, kIdShapeLinear);
    ApplyFade();
    return TRUE;
}

IEditCommand* CrossfadeDialog::MakeChild(CommandDocument* document, int track)
{
    return ComObject<IEditCommand>::Create<CrossfadeCommand>(nullptr, document, track);
}

void CrossfadeDialog::OnHelp()
{
    HelpLauncher().ShowTopic(605, 0);
}

BEGIN_MESSAGE_MAP(FadeInOutDialog, FadeDialogBase)
    ON_BN_CLICKED(kIdFadeIn, OnFadeIn)
    ON_BN_CLICKED(kIdFadeOut, OnFadeOut)
    ON_BN_CLICKED(kIdShapeSine, OnSine)
    ON_BN_CLICKED(kIdShapeLinear, OnLinear)
    ON_BN_CLICKED(kIdHelp, OnHelp)
END_MESSAGE_MAP()

BOOL FadeInOutDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    PlanFadeInOut(m_document, kIdFadeIn, &m_range);
    StartGroup(ComObject<IEditCommand>::Create<FadeInOutsCommand>(LoadResourceText(kIdsFadeInOut).c_str(), m_document),
               kIdsFadeInOut);
    m_direction = kIdFadeIn;
    m_shape = kIdShapeLinear;
    CheckRadioButton(kIdFadeIn, kIdFadeOut, kIdFadeIn);
    CheckRadioButton(kIdShapeSine, kIdShapeLinear, kIdShapeLinear);
    ApplyFade();
    return TRUE;
}

std::vector<FadeEntry> FadeInOutDialog::Entries()
{
    SampleRange range;
    return PlanFadeInOut(m_document, m_direction, &range);
}

IEditCommand* FadeInOutDialog::MakeChild(CommandDocument* document, int track)
{
    return ComObject<IEditCommand>::Create<FadeInOutCommand>(nullptr, document, track);
}

std::vector<std::pair<UINT, int>> FadeInOutDialog::ButtonImages() const
{
    return {
        {kIdShapeSine, kSkinLine1}, {kIdShapeLinear, kSkinLine2}, {kIdFadeIn, kSkinFadeIn}, {kIdFadeOut, kSkinFadeOut}};
}

void FadeInOutDialog::OnFadeIn()
{
    m_direction = kIdFadeIn;
    ApplyFade();
}

void FadeInOutDialog::OnFadeOut()
{
    m_direction = kIdFadeOut;
    ApplyFade();
}

void FadeInOutDialog::OnHelp()
{
    HelpLauncher().ShowTopic(604, 0);
}
