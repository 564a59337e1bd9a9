// Fallbacks when resources are missing: the big icon doubles as the small
// one, and the background comes from the res folder beside the program.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

std::wstring ResFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L'\\')) + L"\\res\\";
}

TEST(ResourceFallbacks, MissingSmallIconLeavesTheBigIconAsBoth) {
    CMainWnd* wnd = testing_support::NewMainWnd();
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    ASSERT_NE(wnd->m_hIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(wnd->m_hWnd, WM_GETICON, ICON_BIG, 0)), wnd->m_hIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(wnd->m_hWnd, WM_GETICON, ICON_SMALL, 0)), wnd->m_hIcon);
    testing_support::DestroyMainWnd(wnd);
}

TEST(ResourceFallbacks, MissingBackgroundResourceLoadsTheDevelopmentFile) {
    ASSERT_NE(GetFileAttributesW((ResFolder() + L"bg.png").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the build copies res/ beside the test program";
    CMainWnd* wnd = testing_support::NewMainWnd();
    EXPECT_EQ(wnd->LoadPngResource(201), nullptr);
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    ASSERT_NE(wnd->m_hbmpBackground, nullptr);
    BITMAP bm = {};
    GetObjectW(wnd->m_hbmpBackground, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 1838);
    EXPECT_EQ(bm.bmHeight, 1208);
    testing_support::DestroyMainWnd(wnd);
}

TEST(ResourceFallbacks, BackgroundStaysNullWhenTheFileIsMissingToo) {
    const std::wstring file = ResFolder() + L"bg.png";
    const std::wstring moved = ResFolder() + L"bg.png.away";
    ASSERT_TRUE(MoveFileW(file.c_str(), moved.c_str()));
    CMainWnd* wnd = testing_support::NewMainWnd();
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    EXPECT_EQ(wnd->m_hbmpBackground, nullptr);
    // The others still come from their resources.
    EXPECT_NE(wnd->m_hbmpLogo, nullptr);
    EXPECT_NE(wnd->m_hbmpSupport, nullptr);
    testing_support::DestroyMainWnd(wnd);
    MoveFileW(moved.c_str(), file.c_str());
}

}  // namespace
