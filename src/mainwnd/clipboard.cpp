// Copying order numbers and download links to the clipboard, and the toast
// that confirms a copy.
#include <cstring>

#include "mainwnd/main_wnd.h"
#include "mainwnd/timer_ids.h"

namespace {

// Keeps the clipboard open for one scope; every path closes it again.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : m_open(OpenClipboard(owner) != FALSE) {}
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() {
        if (m_open) CloseClipboard();
    }
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

// A movable global block that is freed unless ownership passes to the system.
class GlobalBlock {
public:
    explicit GlobalBlock(SIZE_T bytes) : m_h(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() {
        if (m_h) GlobalFree(m_h);
    }
    HGLOBAL get() const { return m_h; }
    void release() { m_h = nullptr; }

private:
    HGLOBAL m_h;
};

}  // namespace

bool CMainWnd::CopyToClipboard(const std::wstring& text) {
    ClipboardSession clipboard(m_hWnd);
    if (!clipboard.IsOpen()) return false;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalBlock block(bytes);
    if (!block.get()) return true;
    void* dst = GlobalLock(block.get());
    if (!dst) return true;
    std::memcpy(dst, text.c_str(), bytes);
    GlobalUnlock(block.get());
    // On success the clipboard owns the block; on failure it is still ours.
    if (SetClipboardData(CF_UNICODETEXT, block.get())) block.release();
    return true;
}

void CMainWnd::ShowCopyToast() {
    m_bShowToast = true;
    StartWindowTimer(m_uToastTimer, TIMER_TOAST, 1500);
    Repaint();
}
