// Message maps, command routing and command-UI.
//
// A message map is a static table from a window message, registered message, command id,
// command-id range, control notification or WM_NOTIFY code to a typed member handler. Each
// ON_... macro cracks WPARAM/LPARAM once into the handler's arguments; no handler sees them raw
// (except ON_MESSAGE / ON_REGISTERED_MESSAGE, whose handlers take them by contract).
//
//   // header:  class CMyDoc : public CDocument { ... DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(CMyDoc, CDocument)
//       ON_COMMAND(ID_EDIT_CUT, OnEditCut)                    // void OnEditCut()
//       ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)    // void OnUpdateEditCut(CCmdUI*)
//       ON_COMMAND_RANGE(100, 110, OnPick)                    // void OnPick(UINT id)
//   END_MESSAGE_MAP()
//
// Commands travel an explicit chain: a frame asks its active view, the view its document, then
// the frame itself; an MDI frame asks its active child frame first, then itself, then the
// application. Update handlers travel the same chain (CCmdUI::DoUpdate).
#pragma once
#include "FwObject.h"
#include "FwString.h"
#include "FwTypes.h"
#include <commctrl.h>

class CCmdTarget;
class CCmdUI;
class CWnd;

namespace kvfw {

// One window message on its way to a handler.
struct WindowMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool inDialog = false;     // dispatched by a dialog procedure
    bool wantsDefault = false; // in a dialog: the handler asked for default processing
};

enum class Route { Command, UpdateUI, Notify };

// One command, update request or notification travelling the routing chain.
struct CmdRequest {
    Route route = Route::Command;
    UINT id = 0;
    UINT code = 0;           // control notification code; 0 for menus and accelerators
    CCmdUI* cmdUI = nullptr; // Route::UpdateUI
    NMHDR* nmhdr = nullptr;  // Route::Notify
    LRESULT result = 0;      // Route::Notify
    bool probeOnly = false;  // only ask whether a handler exists; call nothing
};

enum class EntryKind : unsigned char { End, Message, Registered, Command, UpdateUI, Notify };

using MessageInvoker = BOOL (*)(CCmdTarget* target, WindowMessage& message);
using CommandInvoker = BOOL (*)(CCmdTarget* target, CmdRequest& request);

struct MessageEntry {
    EntryKind kind;
    UINT message;           // Message: the message; Command: the control code; Notify: the code
    UINT first, last;       // command / control id range
    const UINT* registered; // Registered: the variable holding the registered message
    MessageInvoker onMessage;
    CommandInvoker onCommand;
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageEntry* entries; // ends with an EntryKind::End entry
};

inline MessageEntry MessageHandler(UINT message, MessageInvoker fn)
{
    return {EntryKind::Message, message, 0, 0, nullptr, fn, nullptr};
}
inline MessageEntry RegisteredHandler(const UINT* message, MessageInvoker fn)
{
    return {EntryKind::Registered, 0, 0, 0, message, fn, nullptr};
}
inline MessageEntry CommandHandler(UINT code, UINT first, UINT last, CommandInvoker fn)
{
    return {EntryKind::Command, code, first, last, nullptr, nullptr, fn};
}
inline MessageEntry UpdateHandler(UINT first, UINT last, CommandInvoker fn)
{
    return {EntryKind::UpdateUI, 0, first, last, nullptr, nullptr, fn};
}
inline MessageEntry NotifyHandler(UINT code, UINT first, UINT last, CommandInvoker fn)
{
    return {EntryKind::Notify, code, first, last, nullptr, nullptr, fn};
}

// One COM interface embedded in a command target, found by its IID.
struct InterfaceEntry {
    const IID* iid;                   // null ends the table
    void* (*get)(CCmdTarget* target); // address of the embedded interface
};

struct InterfaceMap {
    const InterfaceMap* (*base)();
    const InterfaceEntry* entries;
};

} // namespace kvfw

#define DECLARE_MESSAGE_MAP()                           \
public:                                                 \
    static const kvfw::MessageMap* GetThisMessageMap(); \
                                                        \
protected:                                              \
    const kvfw::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(cls, basecls)                                \
    const kvfw::MessageMap* cls::GetMessageMap() const                 \
    {                                                                  \
        return GetThisMessageMap();                                    \
    }                                                                  \
    const kvfw::MessageMap* cls::GetThisMessageMap()                   \
    {                                                                  \
        typedef cls ThisClass;                                         \
        typedef basecls TheBaseClass;                                  \
        static_assert(sizeof(ThisClass*) > 0, "message map of " #cls); \
        static const kvfw::MessageEntry entries[] = {
#define END_MESSAGE_MAP()                                                            \
    kvfw::MessageEntry                                                               \
    {                                                                                \
        kvfw::EntryKind::End, 0, 0, 0, nullptr, nullptr, nullptr                     \
    }                                                                                \
    }                                                                                \
    ;                                                                                \
    static const kvfw::MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                                     \
    }

// Commands (menus, accelerators, buttons): void fn(); ranges: void fn(UINT id);
// the _EX forms return BOOL: FALSE lets the command travel on.
#define ON_COMMAND(id, fn)                                                         \
    kvfw::CommandHandler(0, id, id, [](CCmdTarget* t, kvfw::CmdRequest&) -> BOOL { \
        static_cast<ThisClass*>(t)->fn();                                          \
        return TRUE;                                                               \
    }),
#define ON_COMMAND_EX(id, fn) \
    kvfw::CommandHandler(     \
        0, id, id, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { return static_cast<ThisClass*>(t)->fn(r.id); }),
#define ON_COMMAND_RANGE(first, last, fn)                                                 \
    kvfw::CommandHandler(0, first, last, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { \
        static_cast<ThisClass*>(t)->fn(r.id);                                             \
        return TRUE;                                                                      \
    }),
#define ON_COMMAND_EX_RANGE(first, last, fn)                                              \
    kvfw::CommandHandler(0, first, last, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { \
        return static_cast<ThisClass*>(t)->fn(r.id);                                      \
    }),
// Control notifications by WM_COMMAND: void fn().
#define ON_CONTROL(code, id, fn)                                                      \
    kvfw::CommandHandler(code, id, id, [](CCmdTarget* t, kvfw::CmdRequest&) -> BOOL { \
        static_cast<ThisClass*>(t)->fn();                                             \
        return TRUE;                                                                  \
    }),
#define ON_CONTROL_RANGE(code, first, last, fn)                                              \
    kvfw::CommandHandler(code, first, last, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { \
        static_cast<ThisClass*>(t)->fn(r.id);                                                \
        return TRUE;                                                                         \
    }),
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
// Update handlers: void fn(CCmdUI*).
#define ON_UPDATE_COMMAND_UI(id, fn)                                             \
    kvfw::UpdateHandler(id, id, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { \
        static_cast<ThisClass*>(t)->fn(r.cmdUI);                                 \
        return TRUE;                                                             \
    }),
#define ON_UPDATE_COMMAND_UI_RANGE(first, last, fn)                                   \
    kvfw::UpdateHandler(first, last, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { \
        static_cast<ThisClass*>(t)->fn(r.cmdUI);                                      \
        return TRUE;                                                                  \
    }),
// WM_NOTIFY: void fn(NMHDR*, LRESULT*); ranges: void fn(UINT id, NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, fn)                                                                           \
    kvfw::NotifyHandler(static_cast<UINT>(code), id, id, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { \
        static_cast<ThisClass*>(t)->fn(r.nmhdr, &r.result);                                               \
        return TRUE;                                                                                      \
    }),
#define ON_NOTIFY_RANGE(code, first, last, fn)                                                                 \
    kvfw::NotifyHandler(static_cast<UINT>(code), first, last, [](CCmdTarget* t, kvfw::CmdRequest& r) -> BOOL { \
        static_cast<ThisClass*>(t)->fn(r.id, r.nmhdr, &r.result);                                              \
        return TRUE;                                                                                           \
    }),
// Any message by number, and registered messages (the UINT variable is read at dispatch time):
// LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(msg, fn)                                                       \
    kvfw::MessageHandler(msg, [](CCmdTarget* t, kvfw::WindowMessage& m) -> BOOL { \
        m.result = static_cast<ThisClass*>(t)->fn(m.wParam, m.lParam);            \
        return TRUE;                                                              \
    }),
#define ON_REGISTERED_MESSAGE(var, fn)                                                \
    kvfw::RegisteredHandler(&var, [](CCmdTarget* t, kvfw::WindowMessage& m) -> BOOL { \
        m.result = static_cast<ThisClass*>(t)->fn(m.wParam, m.lParam);                \
        return TRUE;                                                                  \
    }),

// Interface maps: COM interfaces embedded in a command target (a dialog that is a property page
// site, ...) share the target's identity and reference count. Each embedded interface answers
// its IUnknown methods with the target's ExternalQueryInterface / ExternalAddRef /
// ExternalRelease; the first entry of the most derived map is the object's IUnknown.
//
//   // header:  struct CSite : IPropertyPageSite { ... } m_site;   DECLARE_INTERFACE_MAP()
//   BEGIN_INTERFACE_MAP(CMyDlg, CDialog)
//       INTERFACE_PART(CMyDlg, IID_IPropertyPageSite, m_site)
//   END_INTERFACE_MAP()
#define DECLARE_INTERFACE_MAP()                             \
public:                                                     \
    static const kvfw::InterfaceMap* GetThisInterfaceMap(); \
                                                            \
protected:                                                  \
    const kvfw::InterfaceMap* GetInterfaceMap() const override;

#define BEGIN_INTERFACE_MAP(cls, basecls)                  \
    const kvfw::InterfaceMap* cls::GetInterfaceMap() const \
    {                                                      \
        return GetThisInterfaceMap();                      \
    }                                                      \
    const kvfw::InterfaceMap* cls::GetThisInterfaceMap()   \
    {                                                      \
        typedef cls ThisClass;                             \
        typedef basecls TheBaseClass;                      \
        static const kvfw::InterfaceEntry entries[] = {
#define INTERFACE_PART(cls, iid, member) \
    kvfw::InterfaceEntry{&(iid), [](CCmdTarget* t) -> void* { return &static_cast<ThisClass*>(t)->member; }},

#define END_INTERFACE_MAP()                                                              \
    kvfw::InterfaceEntry                                                                 \
    {                                                                                    \
        nullptr, nullptr                                                                 \
    }                                                                                    \
    }                                                                                    \
    ;                                                                                    \
    static const kvfw::InterfaceMap map = {&TheBaseClass::GetThisInterfaceMap, entries}; \
    return &map;                                                                         \
    }

// Command-UI: the state an update handler decides for one menu item, tool-bar button,
// status-bar pane or dialog-bar control. The base class acts on menu items (m_hMenu set)
// or on a control window (m_pOther set); bars derive their own.
class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;          // position in the menu or bar
    UINT m_nIndexMax = 0;       // item count; a handler that inserts items raises it
    HMENU m_hMenu = nullptr;    // menu being updated, or null
    HMENU m_hSubMenu = nullptr; // set when the item opens this popup (m_nID is its first item)
    CWnd* m_pOther = nullptr;   // control or bar being updated, or null
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1); // 0 off, 1 on, 2 indeterminate
    virtual void SetRadio(BOOL on = TRUE);
    virtual void SetText(const char* text);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks the target's chain for an update handler. When asked to, an item whose enabled state
    // no handler decided (none ran, or the one that ran did not call Enable) is enabled exactly
    // when a command handler exists on the chain. Returns TRUE when a handler ran.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    static const kvfw::MessageMap* GetThisMessageMap();

    // Offers a command, update request or notification to this object's message map.
    // Derived classes extend the chain (view -> document, frame -> view -> frame -> application).
    virtual BOOL OnCmdMsg(kvfw::CmdRequest& request);

    // Convenience: routes a plain command (as a menu would send it). TRUE when handled.
    BOOL RouteCommand(UINT id);

    // COM identity of the interfaces in the interface map. The count starts at 1 and only counts:
    // the object's lifetime stays with its owner (a window, a dialog on the stack).
    static const kvfw::InterfaceMap* GetThisInterfaceMap();
    ULONG ExternalAddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }
    ULONG ExternalRelease() { return static_cast<ULONG>(::InterlockedDecrement(&m_dwRef)); }
    // S_OK with an added reference, or E_NOINTERFACE (E_POINTER without out) and *out null.
    HRESULT ExternalQueryInterface(const IID* iid, void** out);
    // The embedded interface for iid (IUnknown: the first one), or null. Adds no reference.
    void* GetInterface(const IID* iid);

    // Lets the application show the wait cursor around long work.
    void BeginWaitCursor();
    void EndWaitCursor();

protected:
    virtual const kvfw::MessageMap* GetMessageMap() const;
    virtual const kvfw::InterfaceMap* GetInterfaceMap() const;
    volatile LONG m_dwRef = 1;
    // Searches this object's own map chain (base maps included) for the request.
    BOOL DispatchCmdMsg(kvfw::CmdRequest& request);
};

// Scoped wait cursor.
class CWaitCursor {
public:
    CWaitCursor() : m_previous(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_previous); }
    void Restore() { ::SetCursor(::LoadCursor(nullptr, IDC_WAIT)); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};
