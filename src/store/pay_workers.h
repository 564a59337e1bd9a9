// The payment flow's worker threads and the blocking backend calls they
// make. Each worker gets a job with copies of what it needs and hands its
// results to the window thread; none of them touches the window.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "mainwnd/worker_results.h"
#include "store/records.h"

struct PayIntentJob {
    std::shared_ptr<ResultQueue> results;
    WorkerTicket ticket = 0;
    std::wstring apiBase;
    std::string body;              // the intent object as UTF-8
    std::wstring previousOrderNo;  // paid for the QR when the intent brings none
};

struct ResumeJob {
    std::shared_ptr<ResultQueue> results;
    WorkerTicket ticket = 0;
    std::wstring apiBase;
    std::wstring machineCode;
    std::wstring currency;
    std::wstring price;  // the price to pay as "%.2f"
    std::vector<OrderInfo> orders;
    std::wstring orderNo;
};

struct PollJob {
    std::shared_ptr<ResultQueue> results;
    std::shared_ptr<PayPollControl> control;
    WorkerTicket ticket = 0;
    std::wstring apiBase;
    std::wstring machineCode;
    std::wstring currency;
};

// The pay_intent body: machine_code, game_name, channel_code, apply_discount,
// without blanks, the strings escaped.
std::string BuildPayIntentBody(const std::wstring& machineCode, const std::wstring& gameName,
                               const std::wstring& channelCode, bool applyDiscount);

// The status word of an order, or "error" for every failure.
std::wstring QueryPayStatusAt(const std::wstring& apiBase, const std::wstring& orderNo);

// The first order of the list, in list order, that waits for payment at the
// given price and that the backend still calls "pending"; empty when none.
std::wstring FindReusableOrder(const std::wstring& apiBase, const std::vector<OrderInfo>& orders,
                               const std::wstring& price);

DWORD WINAPI PayIntentWorker(LPVOID job);
DWORD WINAPI ResumeWorker(LPVOID job);
DWORD WINAPI PayPollWorker(LPVOID job);
