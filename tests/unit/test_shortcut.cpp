// The desktop shortcut: the link's properties read back through the shell,
// names already taken on the desktop, and the COM apartment left as found.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <thread>

#include "config/config.h"
#include "config/shortcut.h"
#include "support/test_support.h"
#include "temp_folder.h"

namespace {

struct LinkProps {
    bool loaded = false;
    std::wstring path, workDir, description, iconPath;
    int iconIndex = -1;
    int showCmd = -1;
};

// Reads a saved link on a thread of its own, so this thread's COM state
// plays no part.
LinkProps ReadLink(const std::wstring& linkPath) {
    LinkProps props;
    std::thread([&] {
        if (FAILED(CoInitialize(nullptr))) return;
        IShellLinkW* link = nullptr;
        IPersistFile* file = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ))) {
            wchar_t buf[MAX_PATH] = {};
            link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
            props.path = buf;
            buf[0] = 0;
            link->GetWorkingDirectory(buf, MAX_PATH);
            props.workDir = buf;
            buf[0] = 0;
            link->GetDescription(buf, MAX_PATH);
            props.description = buf;
            buf[0] = 0;
            link->GetIconLocation(buf, MAX_PATH, &props.iconIndex);
            props.iconPath = buf;
            link->GetShowCmd(&props.showCmd);
            props.loaded = true;
        }
        if (file) file->Release();
        if (link) link->Release();
        CoUninitialize();
    }).join();
    return props;
}

std::wstring ExecutablePath() {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH);
    return buf;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// A stand-in executable (and optionally its icon) in a temporary folder.
class ShortcutFiles : public ::testing::Test {
protected:
    void SetUp() override {
        exe = dir.File(L"app.exe");
        link = dir.File(kShortcutFileName);
        ASSERT_TRUE(WriteFileBytes(exe, "MZ"));
    }
    TempFolder dir;
    std::wstring exe;
    std::wstring link;
};

}  // namespace

TEST(ShortcutName, LiesOnTheDesktopUnderTheChineseName) {
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(
        SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
    EXPECT_EQ(DesktopShortcutPath(),
              std::wstring(desktop) + L"\\\u5965\u51e1\u5b89\u88c5\u52a9\u624b.lnk");
}

TEST_F(ShortcutFiles, WithoutIconFileTheExeIconIsUsed) {
    ASSERT_TRUE(CreateShortcutAt(link, exe));
    const LinkProps props = ReadLink(link);
    ASSERT_TRUE(props.loaded);
    EXPECT_EQ(props.path, exe);
    EXPECT_EQ(props.workDir, dir.Path());
    EXPECT_EQ(props.description, L"\u5965\u51e1\u5b89\u88c5\u52a9\u624b");
    EXPECT_EQ(props.iconPath, exe);
    EXPECT_EQ(props.iconIndex, 0);
    EXPECT_EQ(props.showCmd, SW_SHOWNORMAL);
}

TEST_F(ShortcutFiles, IconFileBesideTheExeIsUsed) {
    const std::wstring icon = dir.File(L"test.ico");
    ASSERT_TRUE(WriteFileBytes(icon, std::string("\0\0\1\0", 4)));
    ASSERT_TRUE(CreateShortcutAt(link, exe));
    const LinkProps props = ReadLink(link);
    ASSERT_TRUE(props.loaded);
    EXPECT_EQ(props.path, exe);
    EXPECT_EQ(props.iconPath, icon);
    EXPECT_EQ(props.iconIndex, 0);
    EXPECT_EQ(props.showCmd, SW_SHOWNORMAL);
}

TEST_F(ShortcutFiles, ExistingFileOfThatNameIsLeftAlone) {
    const std::string marker = "not a shell link";
    ASSERT_TRUE(WriteFileBytes(link, marker));
    EXPECT_FALSE(CreateShortcutAt(link, exe));
    EXPECT_EQ(ReadAll(link), marker);
}

TEST_F(ShortcutFiles, ExistingFolderOfThatNameIsLeftAlone) {
    ASSERT_TRUE(CreateDirectoryW(link.c_str(), nullptr));
    EXPECT_FALSE(CreateShortcutAt(link, exe));
    const DWORD attr = GetFileAttributesW(link.c_str());
    EXPECT_NE(attr & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(dir.FileCount(), 1u);  // only app.exe: nothing was written inside either
    RemoveDirectoryW(link.c_str());
}

TEST_F(ShortcutFiles, SecondCallFindsTheLinkAndDoesNothing) {
    ASSERT_TRUE(CreateShortcutAt(link, exe));
    const std::string first = ReadAll(link);
    ASSERT_FALSE(first.empty());
    // Another target would show up in the link if it were rewritten.
    const std::wstring other = dir.File(L"other.exe");
    ASSERT_TRUE(WriteFileBytes(other, "MZ"));
    EXPECT_FALSE(CreateShortcutAt(link, other));
    EXPECT_EQ(ReadAll(link), first);
    EXPECT_EQ(ReadLink(link).path, exe);
}

// CoInitialize on a thread already in a single-threaded apartment answers
// S_FALSE and holds a reference: it must be given back.
TEST_F(ShortcutFiles, AlreadyInitialisedComIsBalanced) {
    HRESULT afterwards = E_FAIL;
    bool created = false;
    std::thread([&] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        created = CreateShortcutAt(link, exe);
        CoUninitialize();
        // Fully uninitialised again only if the shortcut code gave its reference back.
        afterwards = CoInitialize(nullptr);
        CoUninitialize();
    }).join();
    EXPECT_TRUE(created);
    EXPECT_EQ(afterwards, S_OK);
}

// In a multi-threaded apartment CoInitialize fails with RPC_E_CHANGED_MODE:
// the link is still made and the caller's apartment is not torn down.
TEST_F(ShortcutFiles, MultithreadedApartmentIsNotUninitialised) {
    HRESULT during = E_FAIL;
    bool created = false;
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        created = CreateShortcutAt(link, exe);
        during = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // S_FALSE: still initialised
        if (SUCCEEDED(during)) CoUninitialize();
        CoUninitialize();
    }).join();
    EXPECT_TRUE(created);
    EXPECT_EQ(during, S_FALSE);
    EXPECT_EQ(ReadLink(link).path, exe);
}

// The member operation on this prefix's own desktop, pointing at the test
// program, with a test.ico placed beside it for the duration.
TEST(DesktopShortcut, MainWindowPutsTheLinkOnTheDesktop) {
    const std::wstring link = DesktopShortcutPath();
    ASSERT_FALSE(link.empty());
    const std::wstring exe = ExecutablePath();
    const std::wstring icon = FolderOf(exe) + L"\\test.ico";
    ASSERT_TRUE(WriteFileBytes(icon, std::string("\0\0\1\0", 4)));

    CMainWnd* wnd = testing_support::NewMainWnd();
    DeleteFileW(link.c_str());
    wnd->CreateDesktopShortcut();
    const LinkProps props = ReadLink(link);
    const std::string saved = ReadAll(link);
    wnd->CreateDesktopShortcut();
    const std::string again = ReadAll(link);
    testing_support::DeleteMainWnd(wnd);
    DeleteFileW(icon.c_str());
    DeleteFileW(link.c_str());

    ASSERT_TRUE(props.loaded);
    EXPECT_EQ(props.path, exe);
    EXPECT_EQ(props.workDir, FolderOf(exe));
    EXPECT_EQ(props.description, L"\u5965\u51e1\u5b89\u88c5\u52a9\u624b");
    EXPECT_EQ(props.iconPath, icon);
    EXPECT_EQ(props.iconIndex, 0);
    EXPECT_EQ(props.showCmd, SW_SHOWNORMAL);
    EXPECT_EQ(again, saved);
}
