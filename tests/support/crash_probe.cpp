// Installs the program's crash handler and then fails the way its argument
// says: "fault" writes through a null pointer, "throw" lets a C++ exception
// escape, "overflow" recurses until the stack is gone. The program itself has
// no way to be made to fail like this; only the tests build this one.
#include <windows.h>

#include <cwchar>
#include <stdexcept>

#include "app/crash_dump.h"

namespace {

volatile int* volatile g_nowhere = nullptr;
volatile int g_deepest = 1 << 30;

__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    return depth < g_deepest ? Recurse(depth + 1) + frame[0] : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 1;
    InstallCrashHandler();
    if (wcscmp(argv[1], L"fault") == 0) *g_nowhere = 1;
    if (wcscmp(argv[1], L"throw") == 0) throw std::runtime_error("nobody catches this");
    if (wcscmp(argv[1], L"overflow") == 0) return Recurse(0);
    return 1;
}
