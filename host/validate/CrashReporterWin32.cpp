#include "host/validate/CrashReporter.h"

#include <cstdint>
#include <cstdio>
#include <windows.h>

namespace chorus::host {

namespace {

LONG WINAPI reportAndEnd(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    char module[MAX_PATH] = "";
    HMODULE holder = nullptr;
    if (record->ExceptionAddress != nullptr &&
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(record->ExceptionAddress), &holder)) {
        GetModuleFileNameA(holder, module, sizeof module);
    }
    const char* base = module;
    for (const char* c = module; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/') {
            base = c + 1;
        }
    }
    const auto address = reinterpret_cast<std::uintptr_t>(record->ExceptionAddress);
    std::printf("exception 0x%08lx at ", static_cast<unsigned long>(record->ExceptionCode));
    if (holder != nullptr && *base != '\0') {
        std::printf("%s+0x%llx", base,
                    static_cast<unsigned long long>(address - reinterpret_cast<std::uintptr_t>(holder)));
    } else {
        std::printf("0x%llx", static_cast<unsigned long long>(address));
    }
    std::printf(" on thread %lu", static_cast<unsigned long>(GetCurrentThreadId()));
    if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
        std::printf(" (%s address 0x%llx)", record->ExceptionInformation[0] == 1 ? "writing" : "reading",
                    static_cast<unsigned long long>(record->ExceptionInformation[1]));
    }
    std::printf("\n");
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), record->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void CrashReporter::install() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(reportAndEnd);
}

} // namespace chorus::host
