// The payment flow on the window thread: starting a purchase or a resume,
// the poller's start and stop, and applying what the payment workers hand
// over. Every result names the start it came from and the order it is
// about, and acts only while both are still the payment in progress. The
// workers themselves are in pay_workers.cpp.
#include "mainwnd/main_wnd.h"
#include "mainwnd/pumped_call.h"
#include "mainwnd/timer_ids.h"
#include "store/image_bytes.h"
#include "store/orders_reply.h"
#include "store/pay_rules.h"
#include "store/pay_workers.h"
#include "util/json.h"
#include "util/text.h"

void CMainWnd::StartPurchase() {
    if (m_nSelectedVersion < 0 || m_nSelectedVersion >= static_cast<int>(m_aVersions.size())) return;
    if (m_strLevel == L"vip") {
        FetchGameDownload();
        return;
    }
    m_nPage = Page::PAGE_PURCHASE;
    m_bCountdownActive = true;
    m_nPayState = PayState::PAY_STATE_NONE;
    DeletePayQr();
    m_nSpinnerAngle = 0;
    StartWindowTimer(m_uSpinnerTimer, TIMER_SPINNER, 50);
    m_nCountdownSeconds = CountdownSecondsFromMinutes(m_offer.countdown_minutes);
    StartWindowTimer(m_uCountdownTimer, TIMER_COUNTDOWN, 1000);
    Repaint();
    StartPayIntentWorker();
}

void CMainWnd::StartCouponPurchase() {
    m_bShowCouponPopup = false;
    m_bCouponAccepted = true;
    m_dCouponPrice = CouponPrice();
    m_nPage = Page::PAGE_PURCHASE;
    m_bCountdownActive = true;
    m_nPayState = PayState::PAY_STATE_NONE;
    SetPayOrderNo(std::wstring());
    DeletePayQr();
    m_nSpinnerAngle = 0;
    StartWindowTimer(m_uSpinnerTimer, TIMER_SPINNER, 50);
    m_nCountdownSeconds = 300;
    StartWindowTimer(m_uCountdownTimer, TIMER_COUNTDOWN, 1000);
    Repaint();
    StartPayIntentWorker();
}

void CMainWnd::StartPayIntentWorker() {
    // A new order supersedes whatever an earlier payment still had running.
    m_resumeWorker.Retire();
    StopPayPolling();
    const bool validVersion = m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size());
    auto job = std::make_unique<PayIntentJob>();
    job->results = m_results;
    job->apiBase = m_strApiBase;
    job->body = BuildPayIntentBody(m_strMachineCode, validVersion ? m_aVersions[m_nSelectedVersion].name : L"",
                                   m_strChannelCode, m_bCouponAccepted);
    job->previousOrderNo = m_strPayOrderNo;
    m_payIntentWorker.Start(PayIntentWorker, std::move(job));
}

void CMainWnd::ApplyPayIntent(WorkerTicket ticket, const std::string& data) {
    if (!m_payIntentWorker.IsCurrent(ticket)) return;
    ApplyPriceFields(data);
    std::string orderNo;
    if (JsonGetString(data, "pay_order_no", orderNo)) SetPayOrderNo(Utf8ToWide(orderNo));
    m_nCountdownSeconds = CountdownSecondsFromIntent(data, m_offer.countdown_minutes);
}

void CMainWnd::FinishPayIntent(WorkerTicket ticket, const std::wstring& orderNo, FetchedImage qr) {
    if (!m_payIntentWorker.IsCurrent(ticket)) return;
    m_payIntentWorker.Finish(ticket);
    if (!orderNo.empty() && orderNo == m_strPayOrderNo) {
        ReplacePayQr(std::move(qr));
        StopWindowTimer(m_uSpinnerTimer);
        StartPayPolling();
    } else {
        StopWindowTimer(m_uSpinnerTimer);
    }
    Repaint();
}

void CMainWnd::DeletePayQr() {
    if (m_hbmpPayQR) DeleteObject(m_hbmpPayQR);
    m_hbmpPayQR = nullptr;
}

void CMainWnd::ReplacePayQr(FetchedImage qr) {
    if (!qr.replied) return;
    DeletePayQr();
    m_hbmpPayQR = qr.bitmap.release();
    if (m_hbmpPayQR) StopWindowTimer(m_uSpinnerTimer);
    Repaint();
}

void CMainWnd::SetPayOrderNo(const std::wstring& orderNo) {
    m_strPayOrderNo = orderNo;
    // A poller asks about one order only: a running one moves to the new order.
    if (m_payPollWorker.Running() && m_strPolledOrderNo != orderNo) StartPayPolling();
}

void CMainWnd::StartResumeWorker() {
    // The order to pay is looked up afresh: an intent still on its way is not it.
    m_payIntentWorker.Retire();
    StartWindowTimer(m_uSpinnerTimer, TIMER_SPINNER, 50);
    auto job = std::make_unique<ResumeJob>();
    job->results = m_results;
    job->apiBase = m_strApiBase;
    job->machineCode = m_strMachineCode;
    job->currency = m_offer.currency;
    job->price = FormatPrice();
    job->orders = m_aOrders;
    job->orderNo = m_strPayOrderNo;
    job->ordersSequence = m_ordersSequence;
    m_resumeWorker.Start(ResumeWorker, std::move(job));
}

void CMainWnd::ApplyResumeQr(WorkerTicket ticket, const std::wstring& orderNo, FetchedImage qr) {
    if (!m_resumeWorker.IsCurrent(ticket)) return;
    m_resumeWorker.Finish(ticket);
    SetPayOrderNo(orderNo);
    ReplacePayQr(std::move(qr));
    StopWindowTimer(m_uSpinnerTimer);
    StartPayPolling();
    Repaint();
}

void CMainWnd::ApplyResumePaid(WorkerTicket ticket) {
    if (!m_resumeWorker.IsCurrent(ticket)) return;
    m_resumeWorker.Finish(ticket);
    m_nPayState = PayState::PAY_STATE_SUCCESS;
}

void CMainWnd::ApplyResumeEnd(WorkerTicket ticket) { m_resumeWorker.Finish(ticket); }

void CMainWnd::StartPayPolling() {
    StopPayPolling();
    auto job = std::make_unique<PollJob>();
    job->results = m_results;
    job->apiBase = m_strApiBase;
    job->orderNo = m_strPayOrderNo;
    job->machineCode = m_strMachineCode;
    job->currency = m_offer.currency;
    job->ordersSequence = m_ordersSequence;
    job->gate = m_pollGate;
    m_strPolledOrderNo = m_strPayOrderNo;
    m_payPollWorker.Start(PayPollWorker, std::move(job));
}

void CMainWnd::StopPayPolling() {
    m_payPollWorker.Retire();
    m_strPolledOrderNo.clear();
}

void CMainWnd::StopPayment() {
    m_payIntentWorker.Retire();
    m_resumeWorker.Retire();
    StopPayPolling();
    StopWindowTimer(m_uPayResultTimer);
}

void CMainWnd::ApplyPollStatus(WorkerTicket ticket, const std::wstring& orderNo, const std::wstring& status,
                               OrdersFetch orders) {
    const bool current = m_payPollWorker.IsCurrent(ticket) && orderNo == m_strPayOrderNo;
    if (IsPaidStatus(status)) {
        if (current) m_nPayState = PayState::PAY_STATE_SUCCESS;
        // Paid is paid, even when the user has left the payment meanwhile.
        m_strLevel = L"vip";
        ApplyOrders(std::move(orders));
        if (!current) {
            WithdrawCouponOffer();
            return;
        }
        m_payPollWorker.Finish(ticket);
        StopWindowTimer(m_uCountdownTimer);
        StartWindowTimer(m_uPayResultTimer, TIMER_PAY_RESULT, 1200);
    } else if (current && IsLapsedStatus(status)) {
        m_payPollWorker.Finish(ticket);
        m_nPayState = PayState::PAY_STATE_FAILED;
        StartWindowTimer(m_uPayResultTimer, TIMER_PAY_RESULT, 2000);
    }
}

void CMainWnd::WithdrawCouponOffer() {
    // The coupon is for users who have not paid; a member's close just quits.
    if (!m_bShowCouponPopup) return;
    m_bShowCouponPopup = false;
    Repaint();
}

std::wstring CMainWnd::QueryPayStatus(const std::wstring& orderNo) {
    // An exchange abandoned because the program ends counts as a failure: nothing follows it.
    return PumpedCall<std::wstring>::Run(*this, [orderNo](const ApiTarget& api) {
               return QueryPayStatusAt(api, orderNo);
           }).value_or(L"error");
}

void CMainWnd::ResumeOrPayOrder(int index) {
    const std::wstring orderNo = m_aOrders[index].order_no;
    const std::wstring status = QueryPayStatus(orderNo);
    if (IsPaidStatus(status)) {
        m_nSelectedOrder = index;
        m_bShowOrderDetail = true;
        Repaint();
        return;
    }
    if (IsLapsedStatus(status) || status == L"error") return;
    // Still open: pay it. The old QR stays until the resume brings this one's.
    SetPayOrderNo(orderNo);
    m_nPage = Page::PAGE_PURCHASE;
    m_bCountdownActive = true;
    m_nPayState = PayState::PAY_STATE_NONE;
    StartResumeWorker();
    Repaint();
}

void CMainWnd::ApplyWorkerResults() {
    if (!m_results) return;
    for (std::unique_ptr<WorkerResult>& result : m_results->TakeAll()) result->ApplyTo(*this);
}
