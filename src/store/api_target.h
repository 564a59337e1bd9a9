// Where a backend exchange goes and the switch that stops it. A worker's
// switch ends its blocking WinHTTP call by closing the request handle of the
// exchange in progress, the documented way to end a synchronous call from
// another thread. Kept apart from http.h so holders need not see WinHTTP.
#pragma once
#include <memory>
#include <string>

#include "store/cancel.h"
#include "util/handles.h"

using HttpCancel = CancelLatch<CriticalSection>;

// A switch that closes WinHTTP request handles.
std::shared_ptr<HttpCancel> NewHttpCancel();

// The backend's base address and the stop switch of the exchanges made
// there (none for exchanges that nobody stops).
struct ApiTarget {
    std::wstring base;
    HttpCancel* cancel = nullptr;
};
