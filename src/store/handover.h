// How worker threads hand their results to the window thread. A worker never
// writes window state: it delivers a finished result and wakes the window,
// which applies everything pending on its own thread, in arrival order.
// Windows-free so that a native ThreadSanitizer stress test can run it; the
// program instantiates it with a critical section.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <utility>

// The mailbox shared by the window and its workers. It outlives the window
// for as long as a worker still holds it, so a late worker only ever touches
// this object, never the window.
template <class Item, class Lockable>
class HandOver {
public:
    // Wakes the window thread with a message id; false when it could not.
    using Wake = std::function<bool(unsigned message)>;

    // Window thread, once the window exists: deliveries are accepted from now on.
    void Open(Wake wake) {
        std::lock_guard<Lockable> guard(m_lock);
        m_wake = std::move(wake);
        m_open = true;
    }

    // Worker side. The window is woken while the lock is held, so Close()
    // cannot slip in between: after Close() no message is posted any more.
    // False, with the item freed, once the window is gone.
    bool Deliver(Item item, unsigned message) {
        std::lock_guard<Lockable> guard(m_lock);
        if (!m_open) return false;
        m_items.push_back(std::move(item));
        if (m_wake) m_wake(message);
        return true;
    }

    // Window thread: everything delivered so far, oldest first.
    std::deque<Item> TakeAll() {
        std::deque<Item> taken;
        std::lock_guard<Lockable> guard(m_lock);
        taken.swap(m_items);
        return taken;
    }

    // Window thread, when the window goes: later deliveries are dropped and
    // whatever is still pending is freed here, outside the lock.
    void Close() {
        std::deque<Item> dropped;
        std::lock_guard<Lockable> guard(m_lock);
        m_open = false;
        m_wake = nullptr;
        dropped.swap(m_items);
    }

private:
    Lockable m_lock;
    bool m_open = false;
    Wake m_wake;
    std::deque<Item> m_items;
};
