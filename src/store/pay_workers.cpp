// The payment workers: creating the intent and fetching its QR code,
// resuming an order that can still be paid, and polling the status.
#include "store/pay_workers.h"

#include "mainwnd/main_wnd.h"
#include "mainwnd/window_messages.h"
#include "store/image_bytes.h"
#include "store/orders.h"
#include "store/pay_rules.h"
#include "store/reply.h"
#include "util/clock.h"
#include "util/json.h"
#include "util/text.h"

namespace {

FetchedImage FetchPayQr(const ApiTarget& api, const std::wstring& orderNo) {
    return FetchImage(BuildApiUrl(api.base, L"pay_qr?order_no=" + UrlEncode(orderNo)), TargetLimit::LongPath,
                      api.cancel);
}

// POST pay_intent; the reply's data object, or false.
bool RequestPayIntent(const PayIntentJob& job, std::string& data) {
    std::string reply;
    if (!HttpRequest(BuildApiUrl(job.apiBase, L"pay_intent"), L"POST", job.body, reply, nullptr,
                     TargetLimit::Short, kMaxJsonReply, job.cancel.get())) {
        return false;
    }
    return ExtractDataObject(reply, data);
}

// A poll round's pause: ten sleeps of 100 ms, cut short by a stop.
void WaitForNextPoll(const WorkerJob& job) {
    for (int i = 0; i < 10 && !job.Stopped(); ++i) ClockSleepMs(100);
}

// Waits until no earlier poller is inside an exchange; false when this one
// is stopped meanwhile.
bool EnterPollExchange(const PollJob& job) {
    while (!job.gate->TryEnter()) {
        if (job.Stopped()) return false;
        ClockSleepMs(20);
    }
    return true;
}

}  // namespace

std::string BuildPayIntentBody(const std::wstring& machineCode, const std::wstring& gameName,
                               const std::wstring& channelCode, bool applyDiscount) {
    return "{\"machine_code\":\"" + JsonEscape(machineCode) + "\",\"game_name\":\"" + JsonEscape(gameName) +
           "\",\"channel_code\":\"" + JsonEscape(channelCode) +
           "\",\"apply_discount\":" + (applyDiscount ? "true" : "false") + "}";
}

std::wstring QueryPayStatusAt(const ApiTarget& api, const std::wstring& orderNo) {
    std::string reply;
    const std::wstring url = BuildApiUrl(api.base, L"pay_status?order_no=" + UrlEncode(orderNo));
    if (!HttpRequest(url, L"GET", std::string(), reply, nullptr, TargetLimit::Long, kMaxJsonReply, api.cancel)) {
        return L"error";
    }
    return Utf8ToWide(ParsePayStatusReply(reply));
}

std::wstring FindReusableOrder(const ApiTarget& api, const std::vector<OrderInfo>& orders,
                               const std::wstring& price) {
    for (const OrderInfo& order : orders) {
        // An order without a number cannot be asked about, let alone paid.
        if (order.order_no.empty() || order.status != OrderStatus::Pending) continue;
        if (!AmountMatchesPrice(order.amount_text, price)) continue;
        if (QueryPayStatusAt(api, order.order_no) == L"pending") return order.order_no;
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
        job->Deliver([ticket, data](CMainWnd& w) { w.ApplyPayIntent(ticket, data); }, WM_PAYMENT_UPDATE);
    }

    FetchedImage qr;
    if (!orderNo.empty()) qr = FetchPayQr(job->Api(), orderNo);
    job->Deliver([ticket, orderNo, qr = std::move(qr)](CMainWnd& w) mutable {
        w.FinishPayIntent(ticket, orderNo, std::move(qr));
    },
                 WM_PAYMENT_UPDATE);
    return 0;
}

DWORD WINAPI ResumeWorker(LPVOID param) {
    const std::unique_ptr<ResumeJob> job = TakeJob<ResumeJob>(param);
    const GdiplusSession gdiplus;
    const WorkerTicket ticket = job->ticket;
    const ApiTarget api = job->Api();

    const auto qrReady = [&](const std::wstring& orderNo) {
        FetchedImage qr = FetchPayQr(api, orderNo);
        job->Deliver([ticket, orderNo, qr = std::move(qr)](CMainWnd& w) mutable {
            w.ApplyResumeQr(ticket, orderNo, std::move(qr));
        },
                     WM_PAY_QR_READY);
    };

    std::wstring reusable = FindReusableOrder(api, job->orders, job->price);
    if (!reusable.empty()) {
        qrReady(reusable);
        return 0;
    }
    if (!job->orderNo.empty()) {
        const std::wstring status = QueryPayStatusAt(api, job->orderNo);
        if (status == L"pending") {
            qrReady(job->orderNo);
            return 0;
        }
        if (IsPaidStatus(status)) {
            job->Deliver([ticket](CMainWnd& w) { w.ApplyResumePaid(ticket); }, WM_PAYMENT_UPDATE);
            return 0;
        }
    }

    // Perhaps the list was out of date: look once more in a fresh one.
    OrdersFetch fetch = FetchOrdersList(api, job->machineCode, job->currency, *job->ordersSequence);
    if (fetch.outcome == OrdersFetch::Outcome::Parsed) job->orders = fetch.orders;
    if (fetch.outcome == OrdersFetch::Outcome::NoArray) job->orders.clear();
    job->Deliver([fetch = std::move(fetch)](CMainWnd& w) mutable { w.ApplyOrders(std::move(fetch)); },
                 WM_PAYMENT_UPDATE);
    for (int i = 0; i < 5 && !job->Stopped(); ++i) ClockSleepMs(100);
    reusable = FindReusableOrder(api, job->orders, job->price);
    if (!reusable.empty()) {
        qrReady(reusable);
        return 0;
    }
    job->Deliver([ticket](CMainWnd& w) { w.ApplyResumeEnd(ticket); }, WM_PAYMENT_UPDATE);
    return 0;
}

DWORD WINAPI PayPollWorker(LPVOID param) {
    const std::unique_ptr<PollJob> job = TakeJob<PollJob>(param);
    const WorkerTicket ticket = job->ticket;
    const ApiTarget api = job->Api();
    while (!job->Stopped()) {
        if (job->orderNo.empty()) {
            WaitForNextPoll(*job);
            continue;
        }
        if (!EnterPollExchange(*job)) break;
        const std::wstring status = QueryPayStatusAt(api, job->orderNo);
        OrdersFetch orders;
        const bool paid = IsPaidStatus(status);
        if (paid) orders = FetchOrdersList(api, job->machineCode, job->currency, *job->ordersSequence);
        job->gate->Leave();
        // Every answer is reported, so the window repaints after each check;
        // the window drops what a stopped poller still brings.
        job->Deliver([ticket, orderNo = job->orderNo, status, orders = std::move(orders)](CMainWnd& w) mutable {
            w.ApplyPollStatus(ticket, orderNo, status, std::move(orders));
        },
                     WM_PAYMENT_UPDATE);
        if (paid || IsLapsedStatus(status)) break;
        WaitForNextPoll(*job);
    }
    return 0;
}
