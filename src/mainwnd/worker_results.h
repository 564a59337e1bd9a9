// What a worker thread hands to the window thread: a finished result whose
// effect the window applies on its own thread (see store/handover.h), and
// the job a worker thread owns while it runs.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "store/handover.h"
#include "store/api_target.h"
#include "util/handles.h"

class CMainWnd;

class WorkerResult {
public:
    virtual ~WorkerResult() = default;
    virtual void ApplyTo(CMainWnd& wnd) = 0;
};

using ResultQueue = HandOver<std::unique_ptr<WorkerResult>, CriticalSection>;

// A result whose effect is the given callable; whatever it captured (a
// bitmap, a list) is freed with it when the window never applies it.
template <class Effect>
std::unique_ptr<WorkerResult> OnWindowThread(Effect effect) {
    class Result final : public WorkerResult {
    public:
        explicit Result(Effect e) : m_effect(std::move(e)) {}
        void ApplyTo(CMainWnd& wnd) override { m_effect(wnd); }

    private:
        Effect m_effect;
    };
    return std::make_unique<Result>(std::move(effect));
}

// Which start of a worker kind a result belongs to: only the latest start's
// results are current.
using WorkerTicket = uint64_t;

// Numbers every orders request in the order it is sent, on whichever thread,
// so that a list never replaces one that was asked for later.
class RequestSequence {
public:
    uint64_t Next() { return m_last.fetch_add(1) + 1; }

private:
    std::atomic<uint64_t> m_last{0};
};

// What every worker's job carries: where to hand results, which start it
// is, the switch that stops its exchanges, and the backend's address.
struct WorkerJob {
    std::shared_ptr<ResultQueue> results;
    WorkerTicket ticket = 0;
    std::shared_ptr<HttpCancel> cancel;
    std::wstring apiBase;

    bool Stopped() const { return cancel && cancel->Cancelled(); }
    ApiTarget Api() const { return {apiBase, cancel.get()}; }
    // Hands an effect to the window thread and wakes it with message.
    template <class Effect>
    void Deliver(Effect effect, UINT message) const {
        results->Deliver(OnWindowThread(std::move(effect)), message);
    }
};

// Runs proc on a new thread with job; the thread owns the job from then on.
// Null, with the job freed, when no thread could be started.
template <class Job>
HANDLE StartWorker(LPTHREAD_START_ROUTINE proc, std::unique_ptr<Job> job) {
    HANDLE thread = CreateThread(nullptr, 0, proc, job.get(), 0, nullptr);
    if (thread) job.release();
    return thread;
}

// Takes back the job a worker thread was started with.
template <class Job>
std::unique_ptr<Job> TakeJob(LPVOID param) {
    return std::unique_ptr<Job>(static_cast<Job*>(param));
}
