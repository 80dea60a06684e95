// CObject and CRuntimeClass: run-time class records for dynamic creation (document templates
// create documents, frames and views from them) and for "is this a kind of" questions.
//
//   class CMyView : public CView { DECLARE_DYNCREATE(CMyView) ... };   // header
//   IMPLEMENT_DYNCREATE(CMyView, CView)                                 // source
//   RUNTIME_CLASS(CMyView)->CreateObject();  view->IsKindOf(RUNTIME_CLASS(CView));
#pragma once
#include <windows.h>

class CObject;
// Opaque iteration position of the framework's lists (documents, views, templates, chosen files).
typedef struct KvFwPosition* POSITION;

struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)(); // null when the class cannot be created dynamically
    const CRuntimeClass* m_pBaseClass;

    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    static const CRuntimeClass kRuntimeClass;
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &kRuntimeClass; }
    BOOL IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

protected:
    CObject() = default;
};

#define RUNTIME_CLASS(cls) (&cls::kRuntimeClass)

#define DECLARE_DYNAMIC(cls)                              \
public:                                                   \
    static const CRuntimeClass kRuntimeClass;             \
    const CRuntimeClass* GetRuntimeClass() const override \
    {                                                     \
        return &kRuntimeClass;                            \
    }

#define DECLARE_DYNCREATE(cls) \
    DECLARE_DYNAMIC(cls)       \
    static CObject* CreateObject();

#define IMPLEMENT_DYNAMIC(cls, base) const CRuntimeClass cls::kRuntimeClass = {#cls, nullptr, &base::kRuntimeClass};

#define IMPLEMENT_DYNCREATE(cls, base) \
    CObject* cls::CreateObject()       \
    {                                  \
        return new cls;                \
    }                                  \
    const CRuntimeClass cls::kRuntimeClass = {#cls, &cls::CreateObject, &base::kRuntimeClass};
