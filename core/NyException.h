// CNyException: a failure an operation throws and catches itself. Carries a 32-bit result
// code; the catching operation releases what it holds and returns the code, or reports it.
#pragma once
#include <windows.h>

#include <exception>

class CNyException : public std::exception {
public:
    explicit CNyException(HRESULT code) : m_hr(code) {}
    ~CNyException() override = default;

    // Shows the code's text (ErrorText, current resource module) in the application's message
    // box with an OK button; returns the box's result. A cancel by the user (0x83E80005) shows
    // nothing and returns 0.
    virtual int ReportError();

    HRESULT m_hr;
};
