// The user code: its format, where it is stored, and when the stores are
// read or written.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "config/config.h"
#include "identity/device_id.h"
#include "util/log.h"

namespace {

const wchar_t kKey[] = L"SOFTWARE\\OrvaneDownloader";
const wchar_t kValue[] = L"UserCode";

std::wstring BackupPath() { return GetDataFolder() + L"\\sys.dat"; }

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a first run finds: no key, no backup.
void ForgetCode() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    DeleteFileW(BackupPath().c_str());
}

void SetStoredRaw(DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, kValue, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetStored(const std::wstring& text) {
    SetStoredRaw(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

struct StoredValue {
    bool found = false;
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring text;
};

StoredValue ReadStored() {
    StoredValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
    wchar_t buf[1024] = {};
    v.bytes = sizeof(buf) - sizeof(wchar_t);
    v.found = RegQueryValueExW(key, kValue, nullptr, &v.type, reinterpret_cast<BYTE*>(buf),
                               &v.bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (v.found) v.text = buf;
    return v;
}

// The code as the machine defines it, computed here without DeviceID.
std::wstring ExpectedCode() {
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) serial = 0;
    wchar_t head[16];
    swprintf(head, 16, L"%08X", static_cast<unsigned>(serial));
    wchar_t guid[300] = {};
    DWORD bytes = sizeof(guid);
    std::wstring tail = L"00000000";
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid",
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, guid, &bytes) == ERROR_SUCCESS &&
        wcslen(guid) >= 8) {
        tail.assign(guid, 8);
    }
    return L"USER-" + std::wstring(head) + L"-" + tail;
}

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

class DeviceIdentity : public ::testing::Test {
protected:
    void SetUp() override { ForgetCode(); }
    void TearDown() override { ForgetCode(); }
};

}  // namespace

TEST(UserCodeFormat, SerialAsEightUpperHexDigitsAndEightGuidUnits) {
    EXPECT_EQ(FormatUserCode(0x1A2B3C4D, L"5f3e2a10-aaaa-bbbb-cccc-0123456789ab"),
              L"USER-1A2B3C4D-5f3e2a10");
    EXPECT_EQ(FormatUserCode(0xABC, L"0123abcd"), L"USER-00000ABC-0123abcd");
    EXPECT_EQ(FormatUserCode(0xFFFFFFFF, L"ABCDEFGH-rest"), L"USER-FFFFFFFF-ABCDEFGH");
}

TEST(UserCodeFormat, MissingSerialAndShortGuidGiveZeros) {
    EXPECT_EQ(FormatUserCode(0, L""), L"USER-00000000-00000000");
    EXPECT_EQ(FormatUserCode(0x12345678, L"1234567"), L"USER-12345678-00000000");
}

TEST_F(DeviceIdentity, DerivedCodeHasTheVolumeSerialAndTheMachineGuid) {
    DeviceID id;
    const std::wstring code = id.GenerateUserCode();
    EXPECT_EQ(code.size(), 22u);
    EXPECT_TRUE(std::regex_match(Narrow(code), std::regex("^USER-[0-9A-F]{8}-.{8}$"))) << Narrow(code);
    EXPECT_EQ(code, ExpectedCode());

    DWORD serial = 0;
    GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(id.GetVolumeSerial(), serial);
}

TEST_F(DeviceIdentity, FirstRunStoresTheCodeInRegistryAndBackup) {
    DeviceID id;
    const std::wstring code = ExpectedCode();
    EXPECT_EQ(id.m_strUserCode, code);
    EXPECT_EQ(id.GetUserCode(), code);

    const StoredValue stored = ReadStored();
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, (22u + 1u) * 2u);
    EXPECT_EQ(stored.text, code);

    std::string backup;
    ASSERT_TRUE(ReadFileBytes(BackupPath(), backup));
    EXPECT_EQ(backup, Narrow(code));
}

TEST_F(DeviceIdentity, SecondRunReadsTheRegistryAndLeavesTheBackupAlone) {
    const std::wstring first = DeviceID().GetUserCode();
    ASSERT_TRUE(FileExists(BackupPath()));
    ASSERT_TRUE(DeleteFileW(BackupPath().c_str()));

    DeviceID second;
    EXPECT_EQ(second.GetUserCode(), first);
    EXPECT_FALSE(FileExists(BackupPath()));
}

TEST_F(DeviceIdentity, DeletedValueIsDerivedAgainAndBothStoresRewritten) {
    const std::wstring first = DeviceID().GetUserCode();
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue), ERROR_SUCCESS);
    ASSERT_TRUE(WriteFileBytes(BackupPath(), "stale"));

    DeviceID again;
    EXPECT_EQ(again.GetUserCode(), first);
    EXPECT_EQ(ReadStored().text, first);
    std::string backup;
    ASSERT_TRUE(ReadFileBytes(BackupPath(), backup));
    EXPECT_EQ(backup, Narrow(first));
}

TEST_F(DeviceIdentity, EditedValueIsShownButDerivationIgnoresIt) {
    SetStored(L"USER-EDITED-1");
    DeviceID id;
    EXPECT_EQ(id.GetUserCode(), L"USER-EDITED-1");
    EXPECT_EQ(id.GenerateUserCode(), ExpectedCode());
    // Derivation leaves the cache and the stores as they were.
    EXPECT_EQ(id.m_strUserCode, L"USER-EDITED-1");
    EXPECT_EQ(ReadStored().text, L"USER-EDITED-1");
    EXPECT_FALSE(FileExists(BackupPath()));
}

TEST_F(DeviceIdentity, ValueTypeIsNotExamined) {
    const wchar_t text[] = L"USER-BINARY-2";
    SetStoredRaw(REG_BINARY, text, sizeof(text));
    EXPECT_EQ(DeviceID().GetUserCode(), L"USER-BINARY-2");
}

TEST_F(DeviceIdentity, EmptyValueIsReadAgainOnEveryCall) {
    SetStored(L"");
    DeviceID id;
    EXPECT_EQ(id.GetUserCode(), L"");
    EXPECT_EQ(id.GetUserCode(), L"");
    EXPECT_FALSE(FileExists(BackupPath()));

    SetStored(L"USER-LATER-3");
    EXPECT_EQ(id.GetUserCode(), L"USER-LATER-3");
    // Once a text was obtained it is kept for the object's lifetime.
    SetStored(L"USER-LATER-4");
    EXPECT_EQ(id.GetUserCode(), L"USER-LATER-3");
}

TEST_F(DeviceIdentity, ValueOf255CharactersFitsTheBuffer) {
    const std::wstring longest(255, L'L');
    SetStored(longest);
    EXPECT_EQ(DeviceID().GetUserCode(), longest);
    EXPECT_EQ(ReadStored().text, longest);
}

TEST_F(DeviceIdentity, ValueLongerThan255CharactersIsUnreadable) {
    SetStored(std::wstring(256, L'L'));
    const std::wstring code = DeviceID().GetUserCode();
    EXPECT_EQ(code, ExpectedCode());
    EXPECT_EQ(ReadStored().text, code);
    std::string backup;
    ASSERT_TRUE(ReadFileBytes(BackupPath(), backup));
    EXPECT_EQ(backup, Narrow(code));
}

TEST_F(DeviceIdentity, UnterminatedValueFillingTheBufferIsUnreadable) {
    const std::wstring full(256, L'F');
    SetStoredRaw(REG_BINARY, full.data(), 512);
    EXPECT_EQ(DeviceID().GetUserCode(), ExpectedCode());
}
