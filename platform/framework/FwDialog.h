// CDialog: modal (DoModal) and modeless (Create) dialogs from .rc templates, with data exchange.
// DoDataExchange lists the DDX_/DDV_ calls; UpdateData(FALSE) fills the controls (done by
// OnInitDialog), UpdateData(TRUE) reads and validates them (done by OnOK). A failed check
// tells the user, puts the focus on the control and keeps the dialog open.
#pragma once
#include "FwWnd.h"

class CDataExchange;

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
    ~CDialog() override;

    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    BOOL IsModal() const { return m_bModal; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx) { (void)dx; }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // Modeless dialogs take dialog keys (Tab, Enter, Esc) here.
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A dialog's messages reach its message map through the dialog procedure, never through
    // WindowProc: a dialog class that cracked messages there would see none of them, so none
    // may override it.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) final;

    void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void GotoDlgCtrl(CWnd* control)
    {
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), TRUE);
    }
    void SetDefID(UINT id) { ::SendMessageA(m_hWnd, DM_SETDEFID, id, 0); }

    // The dialog procedure of every framework dialog (the object comes with WM_INITDIALOG).
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

protected:
    // Runs one message of an attached dialog: TRUE when handled (result in DWLP_MSGRESULT).
    INT_PTR HandleDialogMessage(UINT msg, WPARAM wp, LPARAM lp);
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    BOOL m_bModal = FALSE;
    DECLARE_MESSAGE_MAP()
};

namespace kvfw {
// While a modal dialog of ours runs over a floating pane, the program's top-level window (the
// pane's owner) is disabled as well, so that the dialog is modal for the whole program. The
// owner given is the dialog's owner; nothing happens when that is the top-level window itself.
class ModalOwnerScope {
public:
    explicit ModalOwnerScope(HWND owner);
    ~ModalOwnerScope();
    ModalOwnerScope(const ModalOwnerScope&) = delete;
    ModalOwnerScope& operator=(const ModalOwnerScope&) = delete;

private:
    HWND m_disabledTop = nullptr;
};
// The window a modal window should be owned by: start itself, or its nearest non-child ancestor.
HWND TopLevelOwner(HWND start);
} // namespace kvfw

// Thrown by DDX/DDV inside UpdateData (and caught there) when a control holds a bad value.
struct DataExchangeFailure {};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    HWND m_hWndLastControl = nullptr;

    // Finds control id and remembers it as the one to focus on failure.
    HWND PrepareCtrl(int id);
    // Tells the user (message box), focuses the last control and throws DataExchangeFailure.
    [[noreturn]] void Fail(const char* message);
};

void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Text(CDataExchange* dx, int id, float& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
// value = index of the checked button in the group that starts at id (-1 when none is checked).
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
// Loading selects the item equal to value (a drop list falls back to the first item value begins;
// an editable combo shows value as its text); an empty value selects nothing.
void DDX_CBString(CDataExchange* dx, int id, CString& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& value);
void DDX_Slider(CDataExchange* dx, int id, int& value);
// Subclasses the control into the object the first time.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue);
void DDV_MinMaxLong(CDataExchange* dx, long value, long minValue, long maxValue);
void DDV_MinMaxDouble(CDataExchange* dx, double value, double minValue, double maxValue);
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
