// Stress test of the worker-to-window hand-over, built natively under
// ThreadSanitizer: many workers deliver while a window thread applies and
// finally closes the queue, and pollers come and go while the window cancels
// each one's exchange as it starts the next. Any data race aborts the run;
// every check below must hold for every interleaving.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/cancel.h"
#include "store/handover.h"

namespace {

std::atomic<long> g_alive{0};

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        std::exit(1);
    }
}

// A result that owns something: it must be freed exactly once, applied or not.
struct Result {
    int worker;
    int seq;
    std::vector<char> payload;
    Result(int w, int s) : worker(w), seq(s), payload(64, 'x') { ++g_alive; }
    ~Result() { --g_alive; }
};

// A lock that does nothing: with it the same rounds must make the sanitizer
// report, which shows the run would catch a hand-over that lost its lock.
struct NoLock {
    void lock() {}
    void unlock() {}
};

// Workers deliver while the window applies; the window closes at a random
// moment. Per worker, results arrive in delivery order; no wake after Close;
// nothing leaks.
template <class Lockable>
void RoundOfDeliveries(std::mt19937& rng, int workers, int perWorker) {
    using Queue = HandOver<std::unique_ptr<Result>, Lockable>;
    auto queue = std::make_shared<Queue>();
    std::atomic<bool> closed{false};
    std::atomic<long> wakes{0};
    queue->Open([&](unsigned) {
        Require(!closed.load(), "a worker woke the window after it closed");
        ++wakes;
        return true;
    });

    std::vector<std::thread> threads;
    std::atomic<long> accepted{0};
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([queue, w, perWorker, &accepted, seed = rng()] {
            std::mt19937 local(seed);
            for (int s = 0; s < perWorker; ++s) {
                if (queue->Deliver(std::make_unique<Result>(w, s), 1)) ++accepted;
                if (local() % 4 == 0) std::this_thread::yield();
            }
        });
    }

    std::vector<int> lastSeq(workers, -1);
    long applied = 0;
    const long closeAfter = static_cast<long>(rng() % (workers * perWorker + 1));
    while (!closed.load()) {
        for (std::unique_ptr<Result>& r : queue->TakeAll()) {
            Require(r->seq > lastSeq[r->worker], "results of one worker arrived out of order");
            lastSeq[r->worker] = r->seq;
            ++applied;
        }
        if (applied >= closeAfter) {
            queue->Close();
            closed.store(true);
        }
        std::this_thread::yield();
    }
    for (std::thread& t : threads) t.join();
    Require(queue->TakeAll().empty(), "a closed queue still held results");
    Require(applied <= accepted.load(), "more applied than accepted");
    Require(wakes.load() == accepted.load(), "every accepted result wakes the window once");
    queue.reset();
    Require(g_alive.load() == 0, "a result leaked or was freed twice");
}

// A handle that counts its closes: each must be closed exactly once, by the
// stop switch while registered, else by its worker.
struct FakeHandle {
    std::atomic<int> closes{0};
};

void CloseFake(void* handle) { static_cast<FakeHandle*>(handle)->closes.fetch_add(1); }

// The window restarts pollers at random moments, cancelling each one's
// exchange as the next starts. A poller registers a fresh handle for every
// exchange and takes the shared gate around it; a cancelled poller may still
// be inside when its successor starts. Checks: every handle is closed exactly
// once, never two pollers inside the gate, and only the current poller's
// reports are applied.
template <class LatchLock>
void RoundOfPollers(std::mt19937& rng, int restarts) {
    using Latch = CancelLatch<LatchLock>;
    struct Report {
        unsigned ticket;
    };
    auto queue = std::make_shared<HandOver<std::unique_ptr<Report>, std::mutex>>();
    queue->Open([](unsigned) { return true; });
    auto gate = std::make_shared<ExchangeGate>();
    auto inside = std::make_shared<std::atomic<int>>(0);
    std::mutex handlesLock;
    std::vector<std::unique_ptr<FakeHandle>> handles;

    std::vector<std::thread> pollers;
    std::shared_ptr<Latch> current;
    unsigned ticket = 0;
    for (int i = 0; i < restarts; ++i) {
        if (current) current->Cancel();
        current = std::make_shared<Latch>(CloseFake);
        ++ticket;
        pollers.emplace_back([latch = current, queue, gate, inside, ticket, &handlesLock, &handles,
                              seed = rng()] {
            std::mt19937 local(seed);
            while (!latch->Cancelled()) {
                if (!gate->TryEnter()) {
                    std::this_thread::yield();
                    continue;
                }
                Require(inside->fetch_add(1) == 0, "two pollers exchanged at once");
                FakeHandle* handle;
                {
                    std::lock_guard<std::mutex> guard(handlesLock);
                    handles.push_back(std::make_unique<FakeHandle>());
                    handle = handles.back().get();
                }
                if (latch->Register(handle)) {
                    for (unsigned k = local() % 4; k > 0 && !latch->Cancelled(); --k) std::this_thread::yield();
                    if (latch->Unregister(handle)) CloseFake(handle);
                } else {
                    CloseFake(handle);
                }
                inside->fetch_sub(1);
                gate->Leave();
                queue->Deliver(std::make_unique<Report>(Report{ticket}), 1);
            }
        });
        for (int k = static_cast<int>(rng() % 30); k > 0; --k) {
            for (std::unique_ptr<Report>& r : queue->TakeAll()) {
                Require(r->ticket <= ticket, "a report from a poller not started yet");
            }
            std::this_thread::yield();
        }
    }
    current->Cancel();
    for (std::thread& t : pollers) t.join();  // every cancelled poller ends
    queue->Close();
    for (const std::unique_ptr<FakeHandle>& h : handles) {
        Require(h->closes.load() == 1, "a handle was closed twice or never");
    }
}

}  // namespace

// usage: handover_stress [ROUNDS] [--unsafe | --unsafe-latch]
int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    const bool unsafe = argc > 2 && std::string(argv[2]) == "--unsafe";
    const bool unsafeLatch = argc > 2 && std::string(argv[2]) == "--unsafe-latch";
    std::mt19937 rng(20261208);
    for (int i = 0; i < rounds; ++i) {
        const int workers = 2 + static_cast<int>(rng() % 7);
        const int perWorker = 1 + static_cast<int>(rng() % 40);
        if (unsafe) {
            RoundOfDeliveries<NoLock>(rng, workers, perWorker);
        } else {
            RoundOfDeliveries<std::mutex>(rng, workers, perWorker);
        }
        if (unsafeLatch) {
            RoundOfPollers<NoLock>(rng, 3 + static_cast<int>(rng() % 5));
        } else if (i % 20 == 0) {
            RoundOfPollers<std::mutex>(rng, 3 + static_cast<int>(rng() % 5));
        }
    }
    std::printf("hand-over stress: %d rounds, no failure\n", rounds);
    return 0;
}
