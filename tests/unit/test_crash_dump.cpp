// An unhandled failure in a program with the crash handler (crash_probe.exe,
// beside this test program): a minidump in the data folder, the five newest
// dumps kept, one log line, and the process ended with the failure's code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config.h"
#include "support/test_support.h"
#include "util/log.h"
#include "util/text.h"

namespace {

// The five dumps of earlier crashes that every case starts with, oldest first.
const wchar_t* const kEarlierDumps[] = {L"crash-20200101-000000.dmp", L"crash-20200102-000000.dmp",
                                        L"crash-20200103-000000.dmp", L"crash-20200104-000000.dmp",
                                        L"crash-20200105-000000.dmp"};

std::vector<std::wstring> DumpsIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\crash-*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void StartWithEarlierDumps(const std::wstring& folder) {
    for (const std::wstring& name : DumpsIn(folder)) DeleteFileW((folder + L"\\" + name).c_str());
    for (const wchar_t* name : kEarlierDumps) ASSERT_TRUE(WriteFileBytes(folder + L"\\" + name, "earlier"));
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
    for (const std::wstring& n : names) {
        if (n == name) return true;
    }
    return false;
}

}  // namespace

TEST(CrashDump, AFailureLeavesADumpKeepsTheFiveNewestLogsOnceAndEnds) {
    struct Case {
        const wchar_t* failure;
        DWORD code;
    };
    const Case cases[] = {
        {L"fault", 0xC0000005},     // access violation
        {L"throw", 0xE0435058},     // a C++ exception nobody catches
        {L"overflow", 0xC00000FD},  // the failing thread has no stack left
    };
    const std::wstring folder = GetDataFolder();
    ASSERT_FALSE(folder.empty());
    for (const Case& c : cases) {
        StartWithEarlierDumps(folder);
        const size_t logBefore = [] {
            std::string log;
            ReadFileBytes(GetLogFilePath(), log);
            return log.size();
        }();
        DWORD code = 0;
        ASSERT_TRUE(testing_support::RunProgram(testing_support::ProgramBeside(L"crash_probe.exe"), c.failure, 60000,
                                                code))
            << c.failure;
        EXPECT_EQ(code, c.code) << c.failure;

        const std::vector<std::wstring> dumps = DumpsIn(folder);
        EXPECT_EQ(dumps.size(), 5u) << c.failure;
        EXPECT_FALSE(Contains(dumps, kEarlierDumps[0])) << c.failure << ": the oldest is removed";
        std::wstring made;
        for (const std::wstring& name : dumps) {
            if (name.compare(0, 10, L"crash-2020") != 0) made = name;
        }
        ASSERT_EQ(made.size(), 25u) << c.failure << ": one new dump";
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(folder + L"\\" + made, bytes));
        EXPECT_EQ(bytes.substr(0, 4), "MDMP") << c.failure;
        EXPECT_GT(bytes.size(), 1024u) << c.failure;

        std::string log;
        ReadFileBytes(GetLogFilePath(), log);
        const std::string added = log.substr(logBefore);
        char codeText[16];
        snprintf(codeText, sizeof(codeText), "0x%08lX", static_cast<unsigned long>(c.code));
        EXPECT_NE(added.find("] Crash: unhandled exception " + std::string(codeText) + ", dump " + WideToUtf8(made) +
                             "\r\n"),
                  std::string::npos)
            << added;
        EXPECT_EQ(added.find('\n'), added.size() - 1) << "one line: " << added;
    }
}
