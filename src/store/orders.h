// The user's orders: fetching the list on any thread and the orders worker.
// CMainWnd's orders members are defined beside these.
#pragma once
#include <windows.h>

#include <string>

#include "mainwnd/worker_results.h"
#include "store/api_target.h"
#include "store/orders_reply.h"

// GET the latest orders of a machine; blocks the calling thread. The fetch
// carries the number the request was given by sequence when it went out.
OrdersFetch FetchOrdersList(const ApiTarget& api, const std::wstring& machineCode, const std::wstring& currency,
                            RequestSequence& sequence);

// Thread procedure of the orders worker; takes ownership of its job.
DWORD WINAPI OrdersWorker(LPVOID job);
