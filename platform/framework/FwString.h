// CString: an 8-bit (ANSI) text value over std::string, for the framework's members and the
// code written against them. Converts implicitly to const char* like the Win32 text arguments.
#pragma once
#include <windows.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text ? text : "", text ? length : 0) {}
    CString(const std::string& text) : m_text(text) {}
    CString(char ch, int repeat = 1) : m_text(repeat > 0 ? repeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    char GetAt(int index) const { return m_text.at(index); }
    char operator[](int index) const { return m_text.at(index); }
    void SetAt(int index, char ch) { m_text.at(index) = ch; }
    operator const char*() const { return m_text.c_str(); }
    const char* GetString() const { return m_text.c_str(); }
    const std::string& Str() const { return m_text; }

    CString& operator=(const char* text)
    {
        m_text = text ? text : "";
        return *this;
    }
    CString& operator+=(const CString& s)
    {
        m_text += s.m_text;
        return *this;
    }
    CString& operator+=(const char* s)
    {
        if (s)
            m_text += s;
        return *this;
    }
    CString& operator+=(char ch)
    {
        m_text += ch;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_text + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_text); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_text + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

    int Compare(const char* s) const { return m_text.compare(s ? s : ""); }
    int CompareNoCase(const char* s) const { return lstrcmpiA(m_text.c_str(), s ? s : ""); }
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first, int count = -1) const;
    CString& MakeUpper();
    CString& MakeLower();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim()
    {
        TrimRight();
        return TrimLeft();
    }
    int Replace(const char* from, const char* to);

    // printf-style formatting; the result replaces the text.
    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);
    // Loads a string resource of the application's resource module; FALSE leaves the text empty.
    BOOL LoadString(UINT id);

    // Direct access for APIs that write text: GetBuffer(n) gives room for n characters plus the
    // terminating zero; ReleaseBuffer() cuts the text at the first zero (or at the given length).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    std::string m_text;
};
