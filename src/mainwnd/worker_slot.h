// One kind of worker thread as the window sees it: the thread of its latest
// start, the ticket that names that start and the switch that stops its
// exchanges. The window asks the slot whether a result is still current.
#pragma once
#include <windows.h>

#include <memory>
#include <utility>

#include "mainwnd/worker_results.h"
#include "store/api_target.h"
#include "util/handles.h"

class WorkerSlot {
public:
    WorkerSlot() = default;
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;
    ~WorkerSlot() { Retire(); }

    // Retires the previous job and runs proc with job on a new thread; the
    // job gets the new ticket and stop switch. False when no thread started.
    template <class Job>
    bool Start(LPTHREAD_START_ROUTINE proc, std::unique_ptr<Job> job) {
        Retire();
        m_cancel = NewHttpCancel();
        job->ticket = m_ticket;
        job->cancel = m_cancel;
        m_thread.reset(StartWorker(proc, std::move(job)));
        return static_cast<bool>(m_thread);
    }

    // Cancels the running job's exchange and makes all it may still deliver
    // stale. Returns at once: the thread ends by itself.
    void Retire() {
        if (m_cancel) m_cancel->Cancel();
        m_cancel.reset();
        m_thread.reset();
        ++m_ticket;
    }

    // Whether a result of the given start should still be applied.
    bool IsCurrent(WorkerTicket ticket) const { return ticket == m_ticket; }
    WorkerTicket Ticket() const { return m_ticket; }

    // The current job has handed over its last result and ends by itself.
    void Finish(WorkerTicket ticket) {
        if (!IsCurrent(ticket)) return;
        m_thread.reset();
        m_cancel.reset();
    }

    // A job was started and has not yet finished or been retired.
    bool Running() const { return static_cast<bool>(m_thread); }

private:
    UniqueHandle m_thread;
    std::shared_ptr<HttpCancel> m_cancel;
    WorkerTicket m_ticket = 1;
};
