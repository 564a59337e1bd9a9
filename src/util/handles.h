// Small scoped owners for Win32 handles, GDI objects, loaded DLLs, registry
// keys, COM interfaces and locks, so every path releases what it acquired.
#pragma once
#include <windows.h>

#include <utility>

// Kernel handles released with CloseHandle (threads, files opened by CreateFileW
// are checked against INVALID_HANDLE_VALUE by the caller before wrapping).
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.m_h, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    HANDLE release() { return std::exchange(m_h, nullptr); }
    void reset(HANDLE h = nullptr) {
        if (m_h) CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h = nullptr;
};

// Any GDI object deleted with DeleteObject (fonts, brushes, bitmaps, pens).
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T h) : m_h(h) {}
    GdiObject(GdiObject&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) reset(std::exchange(o.m_h, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    T get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    T release() { return std::exchange(m_h, nullptr); }
    void reset(T h = nullptr) {
        if (m_h) DeleteObject(m_h);
        m_h = h;
    }

private:
    T m_h = nullptr;
};

// Selects an object into a DC for one scope and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(obj ? SelectObject(dc, obj) : nullptr) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() {
        if (m_old) SelectObject(m_dc, m_old);
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A memory DC made by CreateCompatibleDC and removed with DeleteDC.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) : m_dc(CreateCompatibleDC(compatible)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (m_dc) DeleteDC(m_dc);
    }
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc;
};

// A DC obtained with GetDC and given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) : m_wnd(wnd), m_dc(GetDC(wnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (m_dc) ReleaseDC(m_wnd, m_dc);
    }
    HDC get() const { return m_dc; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// A DLL loaded at run time, freed on scope exit.
class UniqueModule {
public:
    explicit UniqueModule(HMODULE h) : m_h(h) {}
    UniqueModule(const UniqueModule&) = delete;
    UniqueModule& operator=(const UniqueModule&) = delete;
    ~UniqueModule() {
        if (m_h) FreeLibrary(m_h);
    }
    HMODULE get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HMODULE m_h;
};

class UniqueHKey {
public:
    UniqueHKey() = default;
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;
    ~UniqueHKey() {
        if (m_h) RegCloseKey(m_h);
    }
    HKEY get() const { return m_h; }
    HKEY* put() { return &m_h; }

private:
    HKEY m_h = nullptr;
};

// Minimal owning pointer for COM interfaces.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T** put() { return &m_p; }
    void** put_void() { return reinterpret_cast<void**>(&m_p); }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// Holds a slim reader/writer lock exclusively for one scope. Such a lock
// needs no clean-up, so a global one outlives every thread that may use it.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK& m_lock;
};

// A critical section that owns its initialisation; lock() and unlock() make
// it usable with the standard lock guards.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&m_cs); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { DeleteCriticalSection(&m_cs); }
    void lock() { EnterCriticalSection(&m_cs); }
    void unlock() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};
