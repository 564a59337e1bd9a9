// Orders: reply mapping, amount and status texts, the fetch that any thread
// may run, the orders worker, and CMainWnd's orders members.
#include "store/orders.h"

#include <cstdio>

#include "mainwnd/main_wnd.h"
#include "store/http.h"
#include "store/reply.h"
#include "util/json.h"
#include "util/text.h"

namespace {

struct OrdersJob {
    std::shared_ptr<ResultQueue> results;
    WorkerTicket ticket = 0;
    std::wstring apiBase;
    std::wstring machineCode;
    std::wstring currency;
};

std::wstring JsonText(const std::string& obj, const char* key) {
    std::string value;
    JsonGetString(obj, key, value);
    return Utf8ToWide(value);
}

OrderInfo ParseOrder(const std::string& obj, const std::wstring& currency) {
    OrderInfo order;
    order.order_no = JsonText(obj, "order_no");
    order.alipay_trade_no = JsonText(obj, "alipay_trade_no");
    order.game_name = JsonText(obj, "game_name");
    double amount = 0.0;
    JsonGetNumber(obj, "pay_amount", amount);
    order.amount_text = FormatAmountText(currency, amount);
    std::string status;
    JsonGetString(obj, "status", status);
    order.status_text = OrderStatusText(status);
    order.download_url = JsonText(obj, "download_url");
    const std::wstring updated = JsonText(obj, "updated_at");
    order.time_text = updated.empty() ? JsonText(obj, "created_at") : updated;
    return order;
}

}  // namespace

std::wstring OrderStatusText(const std::string& status) {
    if (status == "success") return L"已完成";
    if (status == "failed") return L"支付失败";
    if (status == "expired") return L"已失效";
    if (status == "refunded") return L"已退款";
    return L"待支付";
}

std::wstring FormatAmountText(const std::wstring& currency, double amount) {
    char digits[400];
    std::snprintf(digits, sizeof(digits), "%.2f", amount);
    std::wstring text = currency + std::wstring(digits, digits + std::char_traits<char>::length(digits));
    if (text.size() > kAmountTextChars) {
        size_t cut = kAmountTextChars;
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
        text.resize(cut);
    }
    return text;
}

OrdersFetch ParseOrdersReply(const std::string& reply, const std::wstring& currency) {
    OrdersFetch fetch;
    fetch.outcome = OrdersFetch::Outcome::NoArray;
    std::string array;
    if (!ExtractDataArray(reply, array)) return fetch;
    fetch.outcome = OrdersFetch::Outcome::Parsed;
    ForEachObject(array, [&](const std::string& obj) { fetch.orders.push_back(ParseOrder(obj, currency)); });
    return fetch;
}

OrdersFetch FetchOrdersList(const std::wstring& apiBase, const std::wstring& machineCode,
                            const std::wstring& currency) {
    std::string reply;
    const std::wstring url = BuildApiUrl(apiBase, L"orders/latest?limit=100&machine_code=" + UrlEncode(machineCode));
    if (!HttpRequest(url, L"GET", std::string(), reply)) return OrdersFetch();
    return ParseOrdersReply(reply, currency);
}

DWORD WINAPI OrdersWorker(LPVOID param) {
    const std::unique_ptr<OrdersJob> job = TakeJob<OrdersJob>(param);
    OrdersFetch fetch = FetchOrdersList(job->apiBase, job->machineCode, job->currency);
    job->results->Deliver(OnWindowThread([ticket = job->ticket, fetch = std::move(fetch)](CMainWnd& w) mutable {
                              w.ApplyOrdersLoaded(ticket, std::move(fetch));
                          }),
                          WM_ORDERS_LOADED);
    return 0;
}

void CMainWnd::FetchOrders() { ApplyOrders(FetchOrdersList(m_strApiBase, m_strMachineCode, m_offer.currency)); }

void CMainWnd::ApplyOrders(OrdersFetch fetch) {
    switch (fetch.outcome) {
        case OrdersFetch::Outcome::Failed:
            return;
        case OrdersFetch::Outcome::NoArray:
            m_aOrders.clear();
            return;
        case OrdersFetch::Outcome::Parsed:
            m_aOrders = std::move(fetch.orders);
            m_nOrderPage = 0;
            return;
    }
}

void CMainWnd::StartOrdersWorker() {
    if (m_hOrdersThread) CloseHandle(m_hOrdersThread);
    auto job = std::make_unique<OrdersJob>();
    job->results = m_results;
    job->ticket = ++m_tickets.orders;
    job->apiBase = m_strApiBase;
    job->machineCode = m_strMachineCode;
    job->currency = m_offer.currency;
    m_hOrdersThread = StartWorker(OrdersWorker, std::move(job));
}

void CMainWnd::ApplyOrdersLoaded(WorkerTicket ticket, OrdersFetch fetch) {
    // Every reply replaces the list in the order it arrives; only the latest
    // worker's report ends the loading line.
    ApplyOrders(std::move(fetch));
    if (ticket != m_tickets.orders || !m_hOrdersThread) return;
    CloseHandle(m_hOrdersThread);
    m_hOrdersThread = nullptr;
}
