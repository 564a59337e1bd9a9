// Log line format, where the program's files lie, and appending to files.
#include <gtest/gtest.h>

#include "config/config.h"
#include "temp_folder.h"
#include "util/log.h"
#include "util/text.h"

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    st.wMilliseconds = ms;
    return st;
}

bool FolderExists(const std::wstring& path) {
    const DWORD attr = GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

TEST(LogLine, BracketedTimestampMessageAndCrLf) {
    EXPECT_EQ(FormatLogLine(At(2025, 5, 1, 9, 3, 7, 45), L"Application Started"),
              L"[2025-05-01 09:03:07.045] Application Started\r\n");
    EXPECT_EQ(FormatLogLine(At(2024, 12, 31, 23, 59, 58, 7), L""), L"[2024-12-31 23:59:58.007] \r\n");
    EXPECT_EQ(FormatLogLine(At(2025, 1, 2, 0, 0, 0, 0), L"\u767b\u5f55"),
              L"[2025-01-02 00:00:00.000] \u767b\u5f55\r\n");
}

TEST(FilePaths, ConfigLiesInTheDataFolderOrBesideTheExecutable) {
    EXPECT_EQ(ConfigPathFor(L"C:\\Users\\u\\AppData\\Roaming\\OrvaneDownloader", L"C:\\app\\x.exe"),
              L"C:\\Users\\u\\AppData\\Roaming\\OrvaneDownloader\\config.json");
    EXPECT_EQ(ConfigPathFor(L"", L"C:\\app\\dir\\x.exe"), L"C:\\app\\dir\\OrvaneDownloader_config.json");
}

TEST(FilePaths, LogLiesInTheConfigFolder) {
    EXPECT_EQ(LogPathFor(L"C:\\data\\OrvaneDownloader\\config.json"),
              L"C:\\data\\OrvaneDownloader\\OrvaneDownloader.log");
    EXPECT_EQ(LogPathFor(ConfigPathFor(L"", L"C:\\app\\dir\\x.exe")), L"C:\\app\\dir\\OrvaneDownloader.log");
    EXPECT_EQ(LogPathFor(L"config.json"), L".\\OrvaneDownloader.log");
    EXPECT_EQ(LogPathFor(L"C:\\a/b\\config.json"), L"C:\\a/b\\OrvaneDownloader.log");
    EXPECT_EQ(LogPathFor(L"C:/a\\b/config.json"), L"C:/a\\b\\OrvaneDownloader.log");
}

TEST(FilePaths, RealPathsUseTheRoamingDataFolderAndCreateIt) {
    const std::wstring folder = GetDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.substr(folder.size() - 17), L"\\OrvaneDownloader");
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(GetConfigFilePath(), folder + L"\\config.json");
    EXPECT_EQ(GetLogFilePath(), folder + L"\\OrvaneDownloader.log");
}

TEST(AppendFile, CreatesThenAppendsInOrderWithoutTranslation) {
    TempFolder dir;
    const std::wstring path = dir.File(L"a.log");
    ASSERT_TRUE(AppendFileBytes(path, "first\r\n"));
    ASSERT_TRUE(AppendFileBytes(path, std::string("second\n\0\xE5\xA5\xA5", 10)));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, std::string("first\r\nsecond\n\0\xE5\xA5\xA5", 17));
}

TEST(AppendFile, SharesWithOtherOpenersAndFailsWithoutAFolder) {
    TempFolder dir;
    const std::wstring path = dir.File(L"shared.log");
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(AppendFileBytes(path, "x"));
    CloseHandle(reader);
    EXPECT_FALSE(AppendFileBytes(dir.File(L"missing\\b.log"), "x"));
}

TEST(WriteLog, AppendsTheUtf8LineToTheLogFile) {
    const std::wstring marker = L"log-test \u5965\u51e1 " + std::to_wstring(GetTickCount64());
    std::string before;
    ReadFileBytes(GetLogFilePath(), before);
    WriteLog(marker);
    WriteLog(marker + L" second");
    std::string after;
    ASSERT_TRUE(ReadFileBytes(GetLogFilePath(), after));
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(after.compare(0, before.size(), before), 0) << "earlier lines must stay in front";

    const std::string added = after.substr(before.size());
    const std::string first = "] " + WideToUtf8(marker) + "\r\n";
    const std::string second = "] " + WideToUtf8(marker + L" second") + "\r\n";
    ASSERT_EQ(added.size(), 24 + first.size() + 24 + second.size());
    EXPECT_EQ(added[0], '[');
    EXPECT_EQ(added.substr(24, first.size()), first);
    EXPECT_EQ(added[24 + first.size()], '[');
    EXPECT_EQ(added.substr(added.size() - second.size()), second);
    EXPECT_EQ(added[20], '.');
}
