// The user's orders: fetching the list on any thread and the orders worker.
// CMainWnd's orders members are defined beside these.
#pragma once
#include <windows.h>

#include <string>

#include "store/orders_reply.h"

// GET the latest orders of a machine; blocks the calling thread.
OrdersFetch FetchOrdersList(const std::wstring& apiBase, const std::wstring& machineCode,
                            const std::wstring& currency);

// Thread procedure of the orders worker; takes ownership of its job.
DWORD WINAPI OrdersWorker(LPVOID job);
