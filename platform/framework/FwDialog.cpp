#include "FwDialog.h"
#include "FwApp.h"
#include <cerrno>
#include <cfloat>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!parent && AfxGetMainWnd())
        parent = AfxGetMainWnd()->m_hWnd;
    // Owned by the top-level window, never by a child control.
    if (parent)
        parent = ::GetLastActivePopup(kvfw::TopLevelOwner(parent));
    kvfw::ModalOwnerScope modal(parent);
    m_bModal = TRUE;
    INT_PTR result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = FALSE;
    return result;
}

HWND kvfw::TopLevelOwner(HWND start)
{
    HWND hwnd = start;
    while (hwnd && (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD))
        hwnd = ::GetParent(hwnd);
    return hwnd;
}

kvfw::ModalOwnerScope::ModalOwnerScope(HWND owner)
{
    HWND top = owner ? ::GetAncestor(owner, GA_ROOTOWNER) : nullptr;
    if (top && top != owner && ::IsWindowEnabled(top)) {
        m_disabledTop = top;
        ::EnableWindow(top, FALSE);
    }
}

kvfw::ModalOwnerScope::~ModalOwnerScope()
{
    if (m_disabledTop && ::IsWindow(m_disabledTop))
        ::EnableWindow(m_disabledTop, TRUE);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    m_bModal = FALSE;
    HWND hwnd =
        ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId), parent ? parent->m_hWnd : nullptr,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialog::EndDialog(int result)
{
    if (!m_hWnd)
        return;
    if (m_bModal)
        ::EndDialog(m_hWnd, result);
    else
        DestroyWindow();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (m_bModal || !m_hWnd)
        return FALSE;
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM)
{
    // The dialog manager does the default processing when the dialog procedure returns FALSE.
    if (m_current)
        m_current->wantsDefault = true;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lp);
        if (!dialog)
            return TRUE;
        dialog->AttachObject(hwnd);
        return dialog->HandleDialogMessage(msg, wp, lp);
    }
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd || !wnd->IsKindOf(RUNTIME_CLASS(CDialog)))
        return FALSE;
    return static_cast<CDialog*>(wnd)->HandleDialogMessage(msg, wp, lp);
}

INT_PTR CDialog::HandleDialogMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    MSG saved = m_currentMsg;
    m_currentMsg.hwnd = m_hWnd;
    m_currentMsg.message = msg;
    m_currentMsg.wParam = wp;
    m_currentMsg.lParam = lp;
    kvfw::WindowMessage m{msg, wp, lp};
    m.inDialog = true;
    BOOL handled = FALSE;
    const std::shared_ptr<bool> alive = m_alive;
    try {
        if (msg == WM_INITDIALOG) {
            m.result = OnInitDialog();
            handled = TRUE;
        } else {
            handled = DispatchWindowMessage(m) && !m.wantsDefault;
        }
    } catch (...) {
        kvfw::ReportEscapedException(msg); // never unwinds through the dialog manager
    }
    if (!*alive) // a handler ended the dialog object with its window
        return handled ? TRUE : FALSE;
    m_currentMsg = saved;
    HWND hwnd = m_hWnd;
    if (msg == WM_NCDESTROY) {
        Detach();
        PostNcDestroy(); // may delete this
        return FALSE;
    }
    if (!handled)
        return FALSE;
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(m.result);
    default:
        ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(m.result));
        return TRUE;
    }
}

// ============================================================================================
// Data exchange

HWND CDataExchange::PrepareCtrl(int id)
{
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    return m_hWndLastControl;
}

void CDataExchange::Fail(const char* message)
{
    if (m_bSaveAndValidate) {
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        if (m_hWndLastControl) {
            ::SetFocus(m_hWndLastControl);
            char cls[16] = "";
            ::GetClassNameA(m_hWndLastControl, cls, static_cast<int>(sizeof cls));
            if (lstrcmpiA(cls, "Edit") == 0)
                ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
        }
    }
    throw DataExchangeFailure{};
}

namespace {

CString ControlText(HWND control)
{
    CString text;
    int length = ::GetWindowTextLengthA(control);
    ::GetWindowTextA(control, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

// Parses a whole integer (surrounding blanks allowed); FALSE for anything else.
bool ParseLong(const CString& text, long long& value)
{
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = strtoll(trimmed, &end, 10);
    return errno == 0 && end && *end == '\0';
}

bool ParseDouble(const CString& text, double& value)
{
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = strtod(trimmed, &end);
    return errno == 0 && end && *end == '\0';
}

template <typename T>
void ExchangeInteger(CDataExchange* dx, int id, T& value, long long minValue, long long maxValue, const char* format)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        long long parsed = 0;
        if (!ParseLong(ControlText(control), parsed) || parsed < minValue || parsed > maxValue)
            dx->Fail("Please enter an integer.");
        value = static_cast<T>(parsed);
    } else {
        CString text;
        text.Format(format, value);
        ::SetWindowTextA(control, text);
    }
}

} // namespace

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = ControlText(control);
    else
        ::SetWindowTextA(control, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    ExchangeInteger(dx, id, value, INT_MIN, INT_MAX, "%d");
}

void DDX_Text(CDataExchange* dx, int id, UINT& value)
{
    ExchangeInteger(dx, id, value, 0, UINT_MAX, "%u");
}

void DDX_Text(CDataExchange* dx, int id, long& value)
{
    ExchangeInteger(dx, id, value, LONG_MIN, LONG_MAX, "%ld");
}

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        double parsed = 0;
        if (!ParseDouble(ControlText(control), parsed))
            dx->Fail("Please enter a number.");
        value = parsed;
    } else {
        CString text;
        text.Format("%.*g", DBL_DIG, value);
        ::SetWindowTextA(control, text);
    }
}

void DDX_Text(CDataExchange* dx, int id, float& value)
{
    double wide = value;
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        if (!ParseDouble(ControlText(control), wide) || wide > FLT_MAX || wide < -FLT_MAX)
            dx->Fail("Please enter a number.");
        value = static_cast<float>(wide);
    } else {
        CString text;
        text.Format("%.*g", FLT_DIG, wide);
        ::SetWindowTextA(control, text);
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND button = control; button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        LONG_PTR style = ::GetWindowLongPtrA(button, GWL_STYLE);
        if (button != control && (style & WS_GROUP))
            break; // the next group starts
        UINT kind = static_cast<UINT>(style & BS_TYPEMASK);
        if (kind != BS_RADIOBUTTON && kind != BS_AUTORADIOBUTTON)
            continue;
        if (dx->m_bSaveAndValidate) {
            if (::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DDX_CBString(CDataExchange* dx, int id, CString& value)
{
    HWND control = dx->PrepareCtrl(id);
    bool dropList = (::GetWindowLongPtrA(control, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
    if (dx->m_bSaveAndValidate) {
        if (dropList) {
            int selected = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
            value.Empty();
            if (selected >= 0) {
                int length =
                    static_cast<int>(::SendMessageA(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0));
                ::SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(selected),
                               reinterpret_cast<LPARAM>(value.GetBuffer(length + 1)));
                value.ReleaseBuffer();
            }
        } else {
            value = ControlText(control);
        }
    } else if (value.IsEmpty()) {
        // Nothing to show: a prefix search for "" would pick the first item, which the next
        // save would then read back as if the user had chosen it.
        ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        if (!dropList)
            ::SetWindowTextA(control, "");
    } else {
        LRESULT found = ::SendMessageA(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(static_cast<const char*>(value)));
        if (found != CB_ERR) {
            ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
        } else if (dropList) {
            // A list can only show its items: the first one the value begins.
            ::SendMessageA(control, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(static_cast<const char*>(value)));
        } else {
            // An editable combo shows the value itself (a typed rate, say), with no item selected.
            ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            ::SetWindowTextA(control, value);
        }
    }
}

void DDX_LBIndex(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, LB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DDX_Slider(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, TBM_GETPOS, 0, 0));
    else
        ::SendMessageA(control, TBM_SETPOS, TRUE, static_cast<LPARAM>(value));
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    HWND hwnd = dx->PrepareCtrl(id);
    if (!hwnd || !control.SubclassWindow(hwnd))
        dx->Fail("A control of the dialog is missing.");
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString message;
    message.Format("Please enter an integer between %d and %d.", minValue, maxValue);
    dx->Fail(message);
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString message;
    message.Format("Please enter an integer between %u and %u.", minValue, maxValue);
    dx->Fail(message);
}

void DDV_MinMaxLong(CDataExchange* dx, long value, long minValue, long maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString message;
    message.Format("Please enter an integer between %ld and %ld.", minValue, maxValue);
    dx->Fail(message);
}

void DDV_MinMaxDouble(CDataExchange* dx, double value, double minValue, double maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString message;
    message.Format("Please enter a number between %g and %g.", minValue, maxValue);
    dx->Fail(message);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars)
{
    if (!dx->m_bSaveAndValidate) {
        if (dx->m_hWndLastControl)
            ::SendMessageA(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
        return;
    }
    if (value.GetLength() <= maxChars)
        return;
    CString message;
    message.Format("Please enter no more than %d characters.", maxChars);
    dx->Fail(message);
}
