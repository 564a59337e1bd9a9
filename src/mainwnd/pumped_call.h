// A backend exchange that the window thread waits for without freezing. The
// exchange runs on a short-lived thread that owns its copy of everything it
// needs; the window keeps answering until it ends (CMainWnd::WaitPumping).
// When the program ends meanwhile, the exchange is cancelled and its result
// is dropped with the thread's copy, so nothing is applied half-way.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "mainwnd/main_wnd.h"
#include "store/api_target.h"

template <class Result>
class PumpedCall {
public:
    using Work = std::function<Result(const ApiTarget&)>;

    // The work's result, or nothing when the program is ending. work must
    // hold copies, never references into the caller: it may outlive it.
    static std::optional<Result> Run(CMainWnd& wnd, Work work) {
        auto call = std::make_shared<Call>();
        call->work = std::move(work);
        call->base = wnd.m_strApiBase;
        auto* owned = new std::shared_ptr<Call>(call);
        UniqueHandle thread(CreateThread(nullptr, 0, ThreadMain, owned, 0, nullptr));
        if (!thread) {
            // No thread to be had: the exchange runs here, as it always could.
            delete owned;
            return call->work(ApiTarget{call->base});
        }
        if (!wnd.WaitPumping(thread.get())) {
            call->cancel->Cancel();
            return std::nullopt;
        }
        return std::move(call->result);
    }

private:
    struct Call {
        Work work;
        std::wstring base;
        std::shared_ptr<HttpCancel> cancel = NewHttpCancel();
        Result result{};
    };

    static DWORD WINAPI ThreadMain(LPVOID param) {
        const std::unique_ptr<std::shared_ptr<Call>> owned(static_cast<std::shared_ptr<Call>*>(param));
        Call& call = **owned;
        call.result = call.work(ApiTarget{call.base, call.cancel.get()});
        return 0;
    }
};
