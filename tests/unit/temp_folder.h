// A fresh folder under the temporary path for one test, removed with its
// files when the test ends.
#pragma once

#include <windows.h>

#include <string>

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        static unsigned counter = 0;
        m_path = std::wstring(base) + L"orvane_test_" + std::to_wstring(GetCurrentProcessId()) +
                 L"_" + std::to_wstring(++counter);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        ForEachFile([this](const wchar_t* name) { DeleteFileW(File(name).c_str()); });
        RemoveDirectoryW(m_path.c_str());
    }

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

    size_t FileCount() const {
        size_t count = 0;
        ForEachFile([&count](const wchar_t*) { ++count; });
        return count;
    }

private:
    class FindHandle {
    public:
        explicit FindHandle(HANDLE h) : m_h(h) {}
        FindHandle(const FindHandle&) = delete;
        FindHandle& operator=(const FindHandle&) = delete;
        ~FindHandle() {
            if (m_h != INVALID_HANDLE_VALUE) FindClose(m_h);
        }
        HANDLE get() const { return m_h; }

    private:
        HANDLE m_h;
    };

    template <typename Visit>
    void ForEachFile(Visit visit) const {
        WIN32_FIND_DATAW found;
        FindHandle find(FindFirstFileW((m_path + L"\\*").c_str(), &found));
        if (find.get() == INVALID_HANDLE_VALUE) return;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) visit(found.cFileName);
        } while (FindNextFileW(find.get(), &found));
    }

    std::wstring m_path;
};
