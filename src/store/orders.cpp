// Orders: the fetch that any thread may run, the orders worker, and
// CMainWnd's orders members.
#include "store/orders.h"

#include "mainwnd/main_wnd.h"
#include "mainwnd/pumped_call.h"
#include "mainwnd/window_messages.h"
#include "store/http.h"
#include "util/text.h"

namespace {

struct OrdersJob : WorkerJob {
    std::wstring machineCode;
    std::wstring currency;
    std::shared_ptr<RequestSequence> sequence;
};

}  // namespace

OrdersFetch FetchOrdersList(const ApiTarget& api, const std::wstring& machineCode, const std::wstring& currency,
                            RequestSequence& sequence) {
    const uint64_t number = sequence.Next();
    std::string reply;
    const std::wstring url = BuildApiUrl(api.base, L"orders/latest?limit=100&machine_code=" + UrlEncode(machineCode));
    OrdersFetch fetch;
    if (HttpRequest(url, L"GET", std::string(), reply, nullptr, TargetLimit::Short, kMaxJsonReply, api.cancel)) {
        fetch = ParseOrdersReply(reply, currency);
    }
    fetch.sequence = number;
    return fetch;
}

DWORD WINAPI OrdersWorker(LPVOID param) {
    const std::unique_ptr<OrdersJob> job = TakeJob<OrdersJob>(param);
    OrdersFetch fetch = FetchOrdersList(job->Api(), job->machineCode, job->currency, *job->sequence);
    job->Deliver([ticket = job->ticket, fetch = std::move(fetch)](CMainWnd& w) mutable {
        w.ApplyOrdersLoaded(ticket, std::move(fetch));
    },
                 WM_ORDERS_LOADED);
    return 0;
}

void CMainWnd::FetchOrders() {
    std::optional<OrdersFetch> fetch = PumpedCall<OrdersFetch>::Run(
        *this, [machine = m_strMachineCode, currency = m_offer.currency, sequence = m_ordersSequence](
                   const ApiTarget& api) { return FetchOrdersList(api, machine, currency, *sequence); });
    if (fetch) ApplyOrders(std::move(*fetch));
}

void CMainWnd::ApplyOrders(OrdersFetch fetch) {
    // A list asked for before the one on screen would take the user back in time.
    if (fetch.outcome == OrdersFetch::Outcome::Failed || fetch.sequence <= m_nOrdersSequence) return;
    m_nOrdersSequence = fetch.sequence;
    if (fetch.outcome == OrdersFetch::Outcome::NoArray) {
        m_aOrders.clear();
        return;
    }
    m_aOrders = std::move(fetch.orders);
    m_nOrderPage = 0;
}

void CMainWnd::StartOrdersWorker() {
    auto job = std::make_unique<OrdersJob>();
    job->results = m_results;
    job->apiBase = m_strApiBase;
    job->machineCode = m_strMachineCode;
    job->currency = m_offer.currency;
    job->sequence = m_ordersSequence;
    m_ordersWorker.Start(OrdersWorker, std::move(job));
}

void CMainWnd::ApplyOrdersLoaded(WorkerTicket ticket, OrdersFetch fetch) {
    // Any reply may be the freshest list; only the latest worker's report
    // ends the loading line.
    ApplyOrders(std::move(fetch));
    m_ordersWorker.Finish(ticket);
}
