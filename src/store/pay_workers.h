// The payment flow's worker threads and the blocking backend calls they
// make. Each worker gets a job with copies of what it needs and hands its
// results to the window thread, each naming the order it is about; none of
// them touches the window.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "mainwnd/worker_results.h"
#include "store/cancel.h"
#include "store/http.h"
#include "store/records.h"

struct PayIntentJob : WorkerJob {
    std::string body;              // the intent object as UTF-8
    std::wstring previousOrderNo;  // paid for the QR when the intent brings none
};

struct ResumeJob : WorkerJob {
    std::wstring machineCode;
    std::wstring currency;
    std::wstring price;  // the price to pay as "%.2f"
    std::vector<OrderInfo> orders;
    std::wstring orderNo;
    std::shared_ptr<RequestSequence> ordersSequence;
};

// A poller asks about one order; the window starts another for another order.
struct PollJob : WorkerJob {
    std::wstring orderNo;
    std::wstring machineCode;
    std::wstring currency;
    std::shared_ptr<RequestSequence> ordersSequence;
    std::shared_ptr<ExchangeGate> gate;  // shared by every poller of the window
};

// The pay_intent body: machine_code, game_name, channel_code, apply_discount,
// without blanks, the strings escaped.
std::string BuildPayIntentBody(const std::wstring& machineCode, const std::wstring& gameName,
                               const std::wstring& channelCode, bool applyDiscount);

// The status word of an order, or "error" for every failure.
std::wstring QueryPayStatusAt(const ApiTarget& api, const std::wstring& orderNo);

// The first order of the list, in list order, that waits for payment at the
// given price and that the backend still calls "pending"; empty when none.
std::wstring FindReusableOrder(const ApiTarget& api, const std::vector<OrderInfo>& orders,
                               const std::wstring& price);

DWORD WINAPI PayIntentWorker(LPVOID job);
DWORD WINAPI ResumeWorker(LPVOID job);
DWORD WINAPI PayPollWorker(LPVOID job);
