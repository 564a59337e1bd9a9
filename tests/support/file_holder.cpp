// Holds a file open from another process the way log viewers and virus
// scanners do, so the tests can see how the program writes around it.
//   file_holder PATH rw|none READY_EVENT RELEASE_EVENT
// opens PATH for reading with read and write sharing ("rw", but no delete
// sharing) or none at all, signals READY_EVENT and keeps the file open
// until RELEASE_EVENT is signalled. Exit code 0, or 2 when PATH cannot be
// opened.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return 1;
    const DWORD share = std::wcscmp(argv[2], L"rw") == 0 ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
    if (ready) SetEvent(ready);
    if (release) WaitForSingleObject(release, 30000);
    CloseHandle(file);
    return 0;
}
