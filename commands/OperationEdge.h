// RunAtEdge: the edge of an operation that returns an HRESULT. Failures inside are thrown
// as CKvSSException; here they become the result, and so does running out of memory.
#pragma once
#include "KvSSException.h"

#include <new>

template <class F>
HRESULT RunAtEdge(F&& body)
{
    try {
        return body();
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
