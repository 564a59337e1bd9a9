// Crash dump names and the choice of the dumps to delete.
#include <gtest/gtest.h>

#include "app/crash_files.h"

TEST(CrashFiles, NameCarriesTheLocalTimeInFixedWidths) {
    EXPECT_EQ(CrashDumpName(2024, 3, 7, 9, 5, 1), L"crash-20240307-090501.dmp");
    EXPECT_EQ(CrashDumpName(2031, 12, 31, 23, 59, 59), L"crash-20311231-235959.dmp");
}

TEST(CrashFiles, OnlyTheOldestDumpsBeyondTheKeptOnesGo) {
    using Names = std::vector<std::wstring>;
    struct Case {
        Names names;
        size_t keep;
        Names removed;
    };
    const Case cases[] = {
        // Six dumps in listing order: the oldest by its time goes.
        {{L"crash-20240307-090501.dmp", L"crash-20231231-235959.dmp", L"crash-20240101-000000.dmp",
          L"crash-20240307-090500.dmp", L"crash-20250101-000000.dmp", L"crash-20240307-100000.dmp"},
         5,
         {L"crash-20231231-235959.dmp"}},
        {{L"crash-20240101-000003.dmp", L"crash-20240101-000001.dmp", L"crash-20240101-000002.dmp"},
         1,
         {L"crash-20240101-000001.dmp", L"crash-20240101-000002.dmp"}},
        {{L"crash-20240101-000001.dmp", L"crash-20240101-000002.dmp"}, 5, {}},
        // Other files in the folder are never counted or removed.
        {{L"crash-20200101-000000.dmp", L"OrvaneDownloader.log", L"crash-2020010-000000.dmp",
          L"crash-20200101-000000.dmp.bak", L"Crash-20190101-000000.dmp", L"crash-2019O101-000000.dmp",
          L"crash-20190101_000000.dmp", L"crash-20190101-000000.txt", L"crash-20210101-000000.dmp"},
         1,
         {L"crash-20200101-000000.dmp"}},
        {{}, 5, {}},
        {{L"crash-20240101-000001.dmp", L"crash-20240101-000002.dmp"}, 0,
         {L"crash-20240101-000001.dmp", L"crash-20240101-000002.dmp"}},
    };
    for (const Case& c : cases) EXPECT_EQ(DumpsBeyond(c.names, c.keep), c.removed);
}
