// The payment flow on the window thread: starting a purchase or a resume,
// the poller's start and stop, and applying what the payment workers hand
// over. The workers themselves are in pay_workers.cpp.
#include "mainwnd/main_wnd.h"
#include "store/pay_rules.h"
#include "store/pay_workers.h"
#include "util/json.h"
#include "util/text.h"

namespace {

// Waits for a worker for at most timeoutMs and closes its handle; a thread
// that does not finish in time is left to end on its own.
void JoinAndForget(HANDLE& thread, DWORD timeoutMs) {
    if (!thread) return;
    WaitForSingleObject(thread, timeoutMs);
    CloseHandle(thread);
    thread = nullptr;
}

void Forget(HANDLE& thread) {
    if (thread) CloseHandle(thread);
    thread = nullptr;
}

}  // namespace

void CMainWnd::StartPurchase() {
    if (m_nSelectedVersion < 0 || m_nSelectedVersion >= static_cast<int>(m_aVersions.size())) return;
    if (m_strLevel == L"vip") {
        FetchGameDownload();
        return;
    }
    m_nPage = PAGE_PURCHASE;
    m_bCountdownActive = true;
    m_nPayState = PAY_STATE_NONE;
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
    m_nPage = PAGE_PURCHASE;
    m_bCountdownActive = true;
    m_nPayState = PAY_STATE_NONE;
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
    Forget(m_hPayIntentThread);
    const bool validVersion = m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size());
    auto job = std::make_unique<PayIntentJob>();
    job->results = m_results;
    job->ticket = ++m_tickets.intent;
    job->apiBase = m_strApiBase;
    job->body = BuildPayIntentBody(m_strMachineCode, validVersion ? m_aVersions[m_nSelectedVersion].name : L"",
                                   m_strChannelCode, m_bCouponAccepted);
    job->previousOrderNo = m_strPayOrderNo;
    m_hPayIntentThread = StartWorker(PayIntentWorker, std::move(job));
}

void CMainWnd::ApplyPayIntent(const std::string& data) {
    ApplyPriceFields(data);
    std::string orderNo;
    if (JsonGetString(data, "pay_order_no", orderNo)) SetPayOrderNo(Utf8ToWide(orderNo));
    m_nCountdownSeconds = CountdownSecondsFromIntent(data, m_offer.countdown_minutes);
}

void CMainWnd::FinishPayIntent(bool haveOrder, FetchedImage qr) {
    if (haveOrder) ReplacePayQr(std::move(qr));
    StopWindowTimer(m_uSpinnerTimer);
    if (haveOrder) StartPayPolling();
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
    if (m_pollControl) m_pollControl->SetOrderNo(orderNo);
}

void CMainWnd::StartResumeWorker() {
    Forget(m_hPayWorkerThread);
    StartWindowTimer(m_uSpinnerTimer, TIMER_SPINNER, 50);
    auto job = std::make_unique<ResumeJob>();
    job->results = m_results;
    job->ticket = ++m_tickets.resume;
    job->apiBase = m_strApiBase;
    job->machineCode = m_strMachineCode;
    job->currency = m_offer.currency;
    job->price = FormatPrice();
    job->orders = m_aOrders;
    job->orderNo = m_strPayOrderNo;
    m_hPayWorkerThread = StartWorker(ResumeWorker, std::move(job));
}

void CMainWnd::ApplyResumeQr(WorkerTicket ticket, const std::wstring& orderNo, FetchedImage qr) {
    if (ticket != m_tickets.resume) return;
    SetPayOrderNo(orderNo);
    ReplacePayQr(std::move(qr));
    StopWindowTimer(m_uSpinnerTimer);
    StartPayPolling();
    Repaint();
    Forget(m_hPayWorkerThread);
}

void CMainWnd::ApplyResumePaid(WorkerTicket ticket) {
    if (ticket == m_tickets.resume) m_nPayState = PAY_STATE_SUCCESS;
}

void CMainWnd::StartPayPolling() {
    StopPayPolling();
    m_pollControl = std::make_shared<PayPollControl>(m_strPayOrderNo);
    auto job = std::make_unique<PollJob>();
    job->results = m_results;
    job->control = m_pollControl;
    job->ticket = ++m_tickets.poll;
    job->apiBase = m_strApiBase;
    job->machineCode = m_strMachineCode;
    job->currency = m_offer.currency;
    m_hPayPollThread = StartWorker(PayPollWorker, std::move(job));
}

void CMainWnd::StopPayPolling() {
    if (m_pollControl) m_pollControl->Stop();
    // A poller inside an exchange may outlive the wait; its flag stays set and
    // its ticket is stale, so it can neither poll again nor apply a status.
    JoinAndForget(m_hPayPollThread, 2000);
}

void CMainWnd::ApplyPollStatus(WorkerTicket ticket, const std::wstring& status, OrdersFetch orders) {
    if (ticket != m_tickets.poll) return;
    if (IsPaidStatus(status)) {
        m_nPayState = PAY_STATE_SUCCESS;
        m_strLevel = L"vip";
        ApplyOrders(std::move(orders));
        StopWindowTimer(m_uCountdownTimer);
        StartWindowTimer(m_uPayResultTimer, TIMER_PAY_RESULT, 1200);
    } else if (IsLapsedStatus(status)) {
        m_nPayState = PAY_STATE_FAILED;
        StartWindowTimer(m_uPayResultTimer, TIMER_PAY_RESULT, 2000);
    }
}

std::wstring CMainWnd::QueryPayStatus(const std::wstring& orderNo) const {
    return QueryPayStatusAt(m_strApiBase, orderNo);
}

void CMainWnd::ResumeOrPayOrder(int index) {
    const std::wstring orderNo = m_aOrders[index].order_no;
    const std::wstring status = QueryPayStatus(orderNo);
    if (status == L"success") {
        m_nSelectedOrder = index;
        m_bShowOrderDetail = true;
        Repaint();
        return;
    }
    if (status == L"failed" || status == L"expired" || status == L"error") return;
    // Still open: pay it. The old QR stays until the resume brings this one's.
    SetPayOrderNo(orderNo);
    m_nPage = PAGE_PURCHASE;
    m_bCountdownActive = true;
    m_nPayState = PAY_STATE_NONE;
    StartResumeWorker();
    Repaint();
}

void CMainWnd::ApplyWorkerResults() {
    if (!m_results) return;
    for (std::unique_ptr<WorkerResult>& result : m_results->TakeAll()) result->ApplyTo(*this);
}
