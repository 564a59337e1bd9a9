// The payment workers: creating the intent and fetching its QR code,
// resuming an order that can still be paid, and polling the status.
#include "store/pay_workers.h"

#include "mainwnd/main_wnd.h"
#include "store/http.h"
#include "store/image_bytes.h"
#include "store/orders.h"
#include "store/pay_rules.h"
#include "store/reply.h"
#include "util/json.h"
#include "util/text.h"

namespace {

FetchedImage FetchPayQr(const std::wstring& apiBase, const std::wstring& orderNo) {
    return FetchImage(BuildApiUrl(apiBase, L"pay_qr?order_no=" + UrlEncode(orderNo)), TargetLimit::LongPath);
}

// POST pay_intent; the reply's data object, or false.
bool RequestPayIntent(const PayIntentJob& job, std::string& data) {
    std::string reply;
    if (!HttpRequest(BuildApiUrl(job.apiBase, L"pay_intent"), L"POST", job.body, reply)) return false;
    return ExtractDataObject(reply, data);
}

// A poll round's pause: ten sleeps of 100 ms, cut short by a stop.
void WaitForNextPoll(const PayPollControl& control) {
    for (int i = 0; i < 10 && !control.Stopped(); ++i) Sleep(100);
}

}  // namespace

std::string BuildPayIntentBody(const std::wstring& machineCode, const std::wstring& gameName,
                               const std::wstring& channelCode, bool applyDiscount) {
    return "{\"machine_code\":\"" + JsonEscape(machineCode) + "\",\"game_name\":\"" + JsonEscape(gameName) +
           "\",\"channel_code\":\"" + JsonEscape(channelCode) +
           "\",\"apply_discount\":" + (applyDiscount ? "true" : "false") + "}";
}

std::wstring QueryPayStatusAt(const std::wstring& apiBase, const std::wstring& orderNo) {
    std::string reply;
    const std::wstring url = BuildApiUrl(apiBase, L"pay_status?order_no=" + UrlEncode(orderNo));
    if (!HttpRequest(url, L"GET", std::string(), reply, nullptr, TargetLimit::Long)) return L"error";
    return Utf8ToWide(ParsePayStatusReply(reply));
}

std::wstring FindReusableOrder(const std::wstring& apiBase, const std::vector<OrderInfo>& orders,
                               const std::wstring& price) {
    for (const OrderInfo& order : orders) {
        // An order without a number cannot be asked about, let alone paid.
        if (order.order_no.empty() || !IsPayableStatusText(order.status_text)) continue;
        if (!AmountMatchesPrice(order.amount_text, price)) continue;
        if (QueryPayStatusAt(apiBase, order.order_no) == L"pending") return order.order_no;
    }
    return std::wstring();
}

DWORD WINAPI PayIntentWorker(LPVOID param) {
    const std::unique_ptr<PayIntentJob> job = TakeJob<PayIntentJob>(param);
    const GdiplusSession gdiplus;
    const WorkerTicket ticket = job->ticket;

    std::wstring orderNo = job->previousOrderNo;
    std::string data;
    if (RequestPayIntent(*job, data)) {
        std::string number;
        if (JsonGetString(data, "pay_order_no", number)) orderNo = Utf8ToWide(number);
        job->results->Deliver(OnWindowThread([ticket, data](CMainWnd& w) {
                                  if (ticket == w.m_tickets.intent) w.ApplyPayIntent(data);
                              }),
                              WM_PAYMENT_UPDATE);
    }

    FetchedImage qr;
    if (!orderNo.empty()) qr = FetchPayQr(job->apiBase, orderNo);
    job->results->Deliver(
        OnWindowThread([ticket, haveOrder = !orderNo.empty(), qr = std::move(qr)](CMainWnd& w) mutable {
            if (ticket == w.m_tickets.intent) w.FinishPayIntent(haveOrder, std::move(qr));
        }),
        WM_PAYMENT_UPDATE);
    return 0;
}

DWORD WINAPI ResumeWorker(LPVOID param) {
    const std::unique_ptr<ResumeJob> job = TakeJob<ResumeJob>(param);
    const GdiplusSession gdiplus;
    const WorkerTicket ticket = job->ticket;

    const auto qrReady = [&](const std::wstring& orderNo) {
        FetchedImage qr = FetchPayQr(job->apiBase, orderNo);
        job->results->Deliver(OnWindowThread([ticket, orderNo, qr = std::move(qr)](CMainWnd& w) mutable {
                                  w.ApplyResumeQr(ticket, orderNo, std::move(qr));
                              }),
                              WM_PAY_QR_READY);
    };

    std::wstring reusable = FindReusableOrder(job->apiBase, job->orders, job->price);
    if (!reusable.empty()) {
        qrReady(reusable);
        return 0;
    }
    if (!job->orderNo.empty()) {
        const std::wstring status = QueryPayStatusAt(job->apiBase, job->orderNo);
        if (status == L"pending") {
            qrReady(job->orderNo);
            return 0;
        }
        if (status == L"success") {
            job->results->Deliver(OnWindowThread([ticket](CMainWnd& w) { w.ApplyResumePaid(ticket); }),
                                  WM_PAYMENT_UPDATE);
            return 0;
        }
    }

    // Perhaps the list was out of date: look once more in a fresh one.
    OrdersFetch fetch = FetchOrdersList(job->apiBase, job->machineCode, job->currency);
    if (fetch.outcome == OrdersFetch::Outcome::Parsed) job->orders = fetch.orders;
    if (fetch.outcome == OrdersFetch::Outcome::NoArray) job->orders.clear();
    job->results->Deliver(
        OnWindowThread([fetch = std::move(fetch)](CMainWnd& w) mutable { w.ApplyOrders(std::move(fetch)); }),
        WM_PAYMENT_UPDATE);
    Sleep(500);
    reusable = FindReusableOrder(job->apiBase, job->orders, job->price);
    if (!reusable.empty()) qrReady(reusable);
    return 0;
}

DWORD WINAPI PayPollWorker(LPVOID param) {
    const std::unique_ptr<PollJob> job = TakeJob<PollJob>(param);
    PayPollControl& control = *job->control;
    const WorkerTicket ticket = job->ticket;
    while (!control.Stopped()) {
        const std::wstring orderNo = control.OrderNo();
        if (orderNo.empty()) {
            WaitForNextPoll(control);
            continue;
        }
        const std::wstring status = QueryPayStatusAt(job->apiBase, orderNo);
        OrdersFetch orders;
        if (IsPaidStatus(status)) {
            orders = FetchOrdersList(job->apiBase, job->machineCode, job->currency);
            control.Stop();
        } else if (IsLapsedStatus(status)) {
            control.Stop();
        }
        // Every answer is reported, so the window repaints after each check.
        job->results->Deliver(OnWindowThread([ticket, status, orders = std::move(orders)](CMainWnd& w) mutable {
                                  w.ApplyPollStatus(ticket, status, std::move(orders));
                              }),
                              WM_PAYMENT_UPDATE);
        if (control.Stopped()) break;
        WaitForNextPoll(control);
    }
    return 0;
}
