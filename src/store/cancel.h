// Stopping a worker's blocking exchange from the window thread, and keeping
// the exchanges of successive workers of one kind from overlapping.
// Windows-free so that a native ThreadSanitizer stress test can run them; the
// program instantiates the latch with a critical section and WinHTTP's close.
#pragma once

#include <atomic>
#include <mutex>

// One worker's stop switch. The worker registers the handle its blocking
// calls wait on; Cancel() closes it, which ends a call in progress at once,
// and refuses every later registration. The handle is closed exactly once:
// by Cancel() while it is registered, otherwise by the worker itself.
template <class Lockable>
class CancelLatch {
public:
    using Closer = void (*)(void* handle);
    explicit CancelLatch(Closer close) : m_close(close) {}
    CancelLatch(const CancelLatch&) = delete;
    CancelLatch& operator=(const CancelLatch&) = delete;

    // Any thread; returns without waiting for the worker.
    void Cancel() {
        std::lock_guard<Lockable> guard(m_lock);
        m_cancelled.store(true);
        if (m_handle) m_close(m_handle);
        m_handle = nullptr;
    }

    bool Cancelled() const { return m_cancelled.load(); }

    // Worker: false once cancelled; the caller then still owns the handle.
    bool Register(void* handle) {
        std::lock_guard<Lockable> guard(m_lock);
        if (m_cancelled.load()) return false;
        m_handle = handle;
        return true;
    }

    // Worker, before closing the handle itself: true while the handle is
    // still its own, false when Cancel() has closed it already. After a
    // cancel a handle's value may soon name another exchange's handle, so the
    // worker checks Cancelled() after every blocking call before the next.
    bool Unregister(void* handle) {
        std::lock_guard<Lockable> guard(m_lock);
        if (m_handle != handle) return false;
        m_handle = nullptr;
        return true;
    }

private:
    Lockable m_lock;
    std::atomic<bool> m_cancelled{false};
    void* m_handle = nullptr;
    Closer m_close;
};

// Held by one worker of a kind for the length of its exchange. A cancelled
// exchange may take a while to end where the platform cannot break it off,
// and its successor waits for it instead of talking to the server beside it.
class ExchangeGate {
public:
    bool TryEnter() {
        bool expected = false;
        return m_busy.compare_exchange_strong(expected, true, std::memory_order_acquire);
    }
    void Leave() { m_busy.store(false, std::memory_order_release); }

private:
    std::atomic<bool> m_busy{false};
};
