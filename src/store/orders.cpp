// Orders: the fetch that any thread may run, the orders worker, and
// CMainWnd's orders members.
#include "store/orders.h"

#include "mainwnd/main_wnd.h"
#include "store/http.h"
#include "util/text.h"

namespace {

struct OrdersJob {
    std::shared_ptr<ResultQueue> results;
    WorkerTicket ticket = 0;
    std::wstring apiBase;
    std::wstring machineCode;
    std::wstring currency;
};

}  // namespace

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
