// Typing into the redeem and login fields: printable ASCII only, at most 20
// characters, backspace, and Tab/Enter moving the focus or submitting.
#include "mainwnd/main_wnd.h"

namespace {

constexpr wchar_t kBackspace = 8;
constexpr wchar_t kTab = 9;
constexpr wchar_t kEnter = 13;
constexpr size_t kMaxFieldLength = 20;

// Backspace or a printable character on one field; true when it changed.
bool EditField(std::wstring& field, wchar_t ch) {
    if (ch == kBackspace) {
        if (field.empty()) return false;
        field.pop_back();
        return true;
    }
    if (ch >= 32 && ch <= 126 && field.size() < kMaxFieldLength) {
        field.push_back(ch);
        return true;
    }
    return false;
}

}  // namespace

void CMainWnd::OnChar(wchar_t ch) {
    bool changed = false;
    if (m_nPage == Page::PAGE_REDEEM && m_nFocusField == FocusField::First) {
        if (ch == kEnter) {
            m_bRedeemSubmitted = true;
            changed = true;
        } else {
            changed = EditField(m_strRedeemCode, ch);
        }
    } else if (m_nPage == Page::PAGE_LOGIN && m_nFocusField == FocusField::First) {
        if (ch == kTab || ch == kEnter) {
            m_nFocusField = FocusField::Password;
            changed = true;
        } else {
            changed = EditField(m_strAccount, ch);
        }
    } else if (m_nPage == Page::PAGE_LOGIN && m_nFocusField == FocusField::Password) {
        if (ch == kTab) {
            m_nFocusField = FocusField::First;
            changed = true;
        } else if (ch == kEnter) {
            m_bLoginSubmitted = true;
            changed = true;
        } else {
            changed = EditField(m_strPassword, ch);
        }
    }
    if (changed) Repaint();
}
