// ComRef<T>: owns one reference to a COM or tagged object (anything with AddRef/Release).
//
//   ComRef<IEditCommand> command;
//   hr = CreateCommandByName(name, command.Out());   // takes the reference handed out
//   ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(command.Get());
#pragma once
#include <unknwn.h>

#include <utility>

template <class T>
class ComRef {
public:
    ComRef() = default;
    // Adopts a reference the caller already holds.
    explicit ComRef(T* adopted) : m_p(adopted) {}
    ~ComRef() { Reset(); }
    ComRef(const ComRef& other) : m_p(other.m_p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComRef(ComRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComRef& operator=(ComRef other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    // Takes a new reference on p.
    static ComRef Share(T* p)
    {
        if (p)
            p->AddRef();
        return ComRef(p);
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Releases what is held and gives the slot for an out parameter.
    T** Out()
    {
        Reset();
        return &m_p;
    }
    // The same slot for QueryInterface and creators that take void**.
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }

private:
    T* m_p = nullptr;
};

// The object's interface I with one reference, or empty.
template <class I, class U>
ComRef<I> QueryCom(U* object)
{
    ComRef<I> result;
    if (object)
        object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(result.Out()));
    return result;
}
