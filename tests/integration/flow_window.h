// A real main window for the integration tests, pointed at the test backend
// as a machine of its own, with message pumping until a condition holds.
#pragma once
#include <windows.h>

#include <string>

#include "integration/backend_control.h"
#include "support/test_support.h"

// A window logged in as a machine of its own, with the backend's catalogue
// unless told to start without it.
class FlowWindow {
public:
    explicit FlowWindow(const std::wstring& machine, bool fetchCatalogue = true)
        : m_wnd(testing_support::NewMainWnd()) {
        m_wnd->CreateAndLayoutWindow();
        m_wnd->TakeLatePictures();
        m_wnd->m_strApiBase = backend::ApiBase();
        m_wnd->m_strMachineCode = machine;
        m_wnd->m_strChannelCode = L"chan-7";
        if (fetchCatalogue) {
            m_wnd->FetchGames();
            m_wnd->FetchProducts();
        }
    }
    ~FlowWindow() { testing_support::DestroyMainWnd(m_wnd); }
    CMainWnd* operator->() const { return m_wnd; }

    template <class Done>
    bool PumpUntil(Done done, DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        while (!done()) {
            if (GetTickCount64() > end) return false;
            testing_support::PumpMessages();
            Sleep(10);
        }
        return true;
    }
    void Pump(DWORD ms) {
        PumpUntil([] { return false; }, ms);
    }
    void Click(POINT p) { SendMessageW(m_wnd->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }

    // Waits until the intent's QR code is shown and the poller runs.
    bool WaitForQr() {
        return PumpUntil([&] { return m_wnd->m_hbmpPayQR && m_wnd->m_payPollWorker.Running(); }, 10000);
    }

private:
    CMainWnd* m_wnd;
};

