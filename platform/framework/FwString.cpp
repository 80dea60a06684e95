#include "FwString.h"
#include "FwApp.h"
#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cctype>

int CString::Find(char ch, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    size_t at = m_text.find(ch, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    size_t at = m_text.find(sub, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const
{
    size_t at = m_text.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const
{
    count = std::max(0, std::min(count, GetLength()));
    return CString(m_text.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const
{
    count = std::max(0, std::min(count, GetLength()));
    return CString(m_text.substr(m_text.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first, int count) const
{
    first = std::max(0, std::min(first, GetLength()));
    int available = GetLength() - first;
    if (count < 0 || count > available)
        count = available;
    return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString& CString::MakeUpper()
{
    for (char& c : m_text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : m_text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::TrimLeft()
{
    size_t first = m_text.find_first_not_of(" \t\r\n");
    m_text.erase(0, first == std::string::npos ? m_text.size() : first);
    return *this;
}

CString& CString::TrimRight()
{
    size_t last = m_text.find_last_not_of(" \t\r\n");
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

int CString::Replace(const char* from, const char* to)
{
    if (!from || !*from)
        return 0;
    std::string f(from), t(to ? to : "");
    int count = 0;
    for (size_t at = m_text.find(f); at != std::string::npos; at = m_text.find(f, at + t.size())) {
        m_text.replace(at, f.size(), t);
        ++count;
    }
    return count;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int needed = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        m_text.clear();
        return;
    }
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    vsnprintf(&out[0], out.size(), format, args);
    out.resize(static_cast<size_t>(needed));
    m_text.swap(out);
}

BOOL CString::LoadString(UINT id)
{
    // A string resource holds at most 4097 characters.
    char buffer[4100];
    int n = ::LoadStringA(AfxGetResourceHandle(), id, buffer, static_cast<int>(sizeof buffer));
    m_text.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return n > 0;
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_text.resize(static_cast<size_t>(minLength));
    m_text.reserve(m_text.size() + 1);
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(strnlen(m_text.c_str(), m_text.size()));
    m_text.resize(static_cast<size_t>(std::min(newLength, GetLength())));
}
