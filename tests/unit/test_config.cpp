// Configuration file bytes, the backend address it names, and whole-file
// reads and writes.
#include <gtest/gtest.h>

#include "config/config.h"
#include "support/test_support.h"
#include "temp_folder.h"
#include "util/text.h"

namespace {

LoginResult FullResult() {
    LoginResult r;
    r.uid = 1024;
    r.level = L"vip";
    r.machine_id = 4294967295u;
    r.token = L"tok";
    r.machine_code = L"USER-1A2B3C4D-5f3e2a10";
    r.channel_code = L"ch01";
    r.qhclickid = L"click";
    return r;
}

}  // namespace

TEST(LoginStateText, FullLayoutByteForByte) {
    EXPECT_EQ(BuildLoginStateText(nullptr, FullResult()),
              "{\n"
              "  \"token\": \"tok\",\n"
              "  \"machine_code\": \"USER-1A2B3C4D-5f3e2a10\",\n"
              "  \"channel_code\": \"ch01\",\n"
              "  \"qhclickid\": \"click\",\n"
              "  \"level\": \"vip\",\n"
              "  \"uid\": 1024,\n"
              "  \"machine_id\": 4294967295\n"
              "}\n");
}

TEST(LoginStateText, EmptyTextsAreLeftOutButIdsAlwaysWritten) {
    LoginResult r = FullResult();
    r.token.clear();
    r.level.clear();
    EXPECT_EQ(BuildLoginStateText(nullptr, r),
              "{\n"
              "  \"machine_code\": \"USER-1A2B3C4D-5f3e2a10\",\n"
              "  \"channel_code\": \"ch01\",\n"
              "  \"qhclickid\": \"click\",\n"
              "  \"uid\": 1024,\n"
              "  \"machine_id\": 4294967295\n"
              "}\n");
    EXPECT_EQ(BuildLoginStateText(nullptr, LoginResult()), "{\n  \"uid\": 0,\n  \"machine_id\": 0\n}\n");
}

TEST(LoginStateText, ConfiguredBackendComesFirst) {
    const std::wstring base = L"https://api.example.test/v1/";
    LoginResult r;
    r.uid = 5;
    r.machine_id = 6;
    r.token = L"t";
    EXPECT_EQ(BuildLoginStateText(&base, r),
              "{\n"
              "  \"api_base\": \"https://api.example.test/v1/\",\n"
              "  \"token\": \"t\",\n"
              "  \"uid\": 5,\n"
              "  \"machine_id\": 6\n"
              "}\n");
}

TEST(LoginStateText, ValuesAreEscapedUtf8WithoutBomOrCr) {
    LoginResult r;
    r.level = L"say \"v\\ip\"\r\nnext";
    r.channel_code = L"\u6e20\u9053";  // 渠道
    const std::string text = BuildLoginStateText(nullptr, r);
    EXPECT_NE(text.find("  \"level\": \"say \\\"v\\\\ip\\\"  next\",\n"), std::string::npos);
    EXPECT_NE(text.find("  \"channel_code\": \"\xE6\xB8\xA0\xE9\x81\x93\",\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.compare(0, 2, "{\n"), 0);
}

TEST(FileBytes, ReadMissingFileLeavesOutputUntouched) {
    TempFolder dir;
    std::string out = "before";
    EXPECT_FALSE(ReadFileBytes(dir.File(L"none.json"), out));
    EXPECT_EQ(out, "before");
}

TEST(FileBytes, WriteTruncatesAndReadReturnsExactBytes) {
    TempFolder dir;
    const std::wstring path = dir.File(L"f.bin");
    ASSERT_TRUE(WriteFileBytes(path, "a much longer first content"));
    const std::string bytes("x\r\ny\0\xFF", 6);
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    std::string out;
    ASSERT_TRUE(ReadFileBytes(path, out));
    EXPECT_EQ(out, bytes);
    ASSERT_TRUE(WriteFileBytes(path, ""));
    ASSERT_TRUE(ReadFileBytes(path, out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(WriteFileBytes(dir.File(L"missing\\f.bin"), "x"));
}

TEST(FileBytes, ReplaceLeavesNoTemporaryFileBehind) {
    TempFolder dir;
    const std::wstring path = dir.File(L"config.json");
    ASSERT_TRUE(ReplaceFileBytes(path, "new file"));
    ASSERT_TRUE(ReplaceFileBytes(path, "second"));
    std::string out;
    ASSERT_TRUE(ReadFileBytes(path, out));
    EXPECT_EQ(out, "second");
    EXPECT_EQ(dir.FileCount(), 1u);
    EXPECT_FALSE(ReplaceFileBytes(dir.File(L"missing\\config.json"), "x"));
    EXPECT_EQ(dir.FileCount(), 1u);
}

TEST(ApiBase, DefaultWhenFileOrValueIsMissingOrEmpty) {
    EXPECT_EQ(std::wstring(kDefaultApiBase), L"http://127.0.0.1:8001/api/v1");
    TempFolder dir;
    const std::wstring path = dir.File(L"config.json");
    EXPECT_EQ(LoadApiBaseFrom(path), kDefaultApiBase);
    for (const char* text : {"{}", "{\"api_base\": \"\"}", "{\"api_base\": null, \"x\": \"y\"}", ""}) {
        ASSERT_TRUE(WriteFileBytes(path, text));
        EXPECT_EQ(LoadApiBaseFrom(path), kDefaultApiBase) << text;
    }
}

TEST(ApiBase, ConfiguredValueIsUsedUnchangedAndDecoded) {
    TempFolder dir;
    const std::wstring path = dir.File(L"config.json");
    ASSERT_TRUE(WriteFileBytes(path, "{\n  \"api_base\": \"https://shop.test/api/\"\n}\n"));
    EXPECT_EQ(LoadApiBaseFrom(path), L"https://shop.test/api/");
    ASSERT_TRUE(WriteFileBytes(path, "{\"api_base\":\"http:\\/\\/10.0.0.1:9000\\/api\\/v1\"}"));
    EXPECT_EQ(LoadApiBaseFrom(path), L"http://10.0.0.1:9000/api/v1");
}

TEST(SaveLogin, ConfiguredBackendSurvivesTheRewrite) {
    TempFolder dir;
    const std::wstring path = dir.File(L"config.json");
    ASSERT_TRUE(WriteFileBytes(path, "{\"api_base\": \"https://old.test/\", \"token\": \"stale\"}"));
    LoginResult r;
    r.uid = 3;
    r.machine_id = 4;
    r.token = L"fresh";
    SaveLoginStateTo(path, L"https://in-use.test/api", r);
    std::string text;
    ASSERT_TRUE(ReadFileBytes(path, text));
    EXPECT_EQ(text,
              "{\n"
              "  \"api_base\": \"https://in-use.test/api\",\n"
              "  \"token\": \"fresh\",\n"
              "  \"uid\": 3,\n"
              "  \"machine_id\": 4\n"
              "}\n");
    EXPECT_EQ(LoadApiBaseFrom(path), L"https://in-use.test/api");
    EXPECT_EQ(dir.FileCount(), 1u);
}

TEST(SaveLogin, DefaultBackendIsNeverWritten) {
    TempFolder dir;
    const std::wstring path = dir.File(L"config.json");
    LoginResult r;
    r.uid = 1;
    SaveLoginStateTo(path, kDefaultApiBase, r);
    std::string text;
    ASSERT_TRUE(ReadFileBytes(path, text));
    EXPECT_EQ(text, "{\n  \"uid\": 1,\n  \"machine_id\": 0\n}\n");

    ASSERT_TRUE(WriteFileBytes(path, "{\"api_base\": \"\"}"));
    SaveLoginStateTo(path, kDefaultApiBase, r);
    ASSERT_TRUE(ReadFileBytes(path, text));
    EXPECT_EQ(text.find("api_base"), std::string::npos);
    EXPECT_EQ(dir.FileCount(), 1u);
}

namespace {

// Another process holding a file open, as a log viewer or scanner would.
class FileHolder {
public:
    FileHolder(const std::wstring& path, const wchar_t* share) {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64());
        const std::wstring readyName = L"orvane_holder_ready_" + tag;
        const std::wstring releaseName = L"orvane_holder_release_" + tag;
        m_ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
        m_release = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
        const std::wstring holder = testing_support::ProgramBeside(L"file_holder.exe");
        std::wstring command = L"\"" + holder + L"\" \"" + path + L"\" " + share + L" " + readyName + L" " + releaseName;
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        if (CreateProcessW(holder.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi)) {
            CloseHandle(m_pi.hThread);
            HANDLE waits[] = {m_ready, m_pi.hProcess};
            m_holding = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
        }
    }
    ~FileHolder() {
        SetEvent(m_release);
        if (m_pi.hProcess) {
            WaitForSingleObject(m_pi.hProcess, 20000);
            CloseHandle(m_pi.hProcess);
        }
        CloseHandle(m_ready);
        CloseHandle(m_release);
    }
    bool Holding() const { return m_holding; }

private:
    HANDLE m_ready = nullptr;
    HANDLE m_release = nullptr;
    PROCESS_INFORMATION m_pi = {};
    bool m_holding = false;
};

}  // namespace

TEST(FileBytes, AFileHeldWithoutDeleteSharingIsRewrittenInPlaceOrLeftWhole) {
    TempFolder dir;
    const std::wstring path = dir.File(L"config.json");
    const std::string old = "{\n  \"api_base\": \"http://old.example/api\",\n  \"token\": \"a-much-longer-old-token\"\n}\n";
    const std::string fresh = "{\n  \"token\": \"new\"\n}\n";
    {
        ASSERT_TRUE(WriteFileBytes(path, old));
        FileHolder viewer(path, L"rw");
        ASSERT_TRUE(viewer.Holding());
        EXPECT_TRUE(ReplaceFileBytes(path, fresh)) << "the login results must not be lost";
        std::string out;
        ASSERT_TRUE(ReadFileBytes(path, out));
        EXPECT_EQ(out, fresh) << "rewritten in place, exactly";
    }
    {
        ASSERT_TRUE(WriteFileBytes(path, old));
        FileHolder locker(path, L"none");
        ASSERT_TRUE(locker.Holding());
        EXPECT_FALSE(ReplaceFileBytes(path, fresh));
    }
    std::string out;
    ASSERT_TRUE(ReadFileBytes(path, out));
    EXPECT_EQ(out, old) << "when both ways are refused the old file stays whole";
    EXPECT_EQ(dir.FileCount(), 1u) << "no temporary file is left behind";
}

TEST(FileBytes, AConfigurationOverOneMebibyteCountsAsUnreadable) {
    TempFolder dir;
    const std::wstring path = dir.File(L"config.json");
    const std::string named = "{\"api_base\": \"http://big.example/api\"}";
    ASSERT_TRUE(WriteFileBytes(path, named + std::string(kMaxConfigBytes - named.size(), ' ')));
    EXPECT_EQ(LoadApiBaseFrom(path), L"http://big.example/api") << "exactly 1 MiB is still read";
    ASSERT_TRUE(WriteFileBytes(path, named + std::string(kMaxConfigBytes - named.size() + 1, ' ')));
    EXPECT_EQ(LoadApiBaseFrom(path), kDefaultApiBase);

    // A sparse file that claims 64 GiB is refused without being read.
    {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD ignored = 0;
        DeviceIoControl(f, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = 64LL << 30;
        const bool grown = SetFilePointerEx(f, end, nullptr, FILE_BEGIN) && SetEndOfFile(f);
        CloseHandle(f);
        if (grown) {
            std::string out = "untouched";
            EXPECT_FALSE(ReadFileBytes(path, out, kMaxConfigBytes));
            EXPECT_EQ(out, "untouched");
            EXPECT_EQ(LoadApiBaseFrom(path), kDefaultApiBase);
        }
    }
    // Saving over an unreadable file behaves as for a missing one.
    LoginResult result;
    result.uid = 7;
    result.token = L"t";
    SaveLoginStateTo(path, L"http://big.example/api", result);
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(path, saved));
    EXPECT_EQ(saved, BuildLoginStateText(nullptr, result));
}
