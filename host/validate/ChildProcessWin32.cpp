#include "host/validate/ChildProcess.h"

#include <algorithm>
#include <windows.h>

namespace chorus::host {

namespace {

constexpr DWORD pollIntervalMs = 20;
constexpr DWORD terminateWaitMs = 10000; // a killed child that does not go is left behind

// Closes a kernel handle once, at the end of its scope.
class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : value(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return value; }
    HANDLE* out() { return &value; }
    void reset() {
        if (value != nullptr && value != INVALID_HANDLE_VALUE) {
            CloseHandle(value);
        }
        value = nullptr;
    }

private:
    HANDLE value;
};

// One argument quoted the way the C runtime splits a command line again.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string text(1, '"');
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped; elsewhere they stand as they are.
        const std::size_t written = c == '"' ? backslashes * 2 + 1 : backslashes;
        for (std::size_t i = 0; i < written; ++i) {
            text.push_back('\\');
        }
        backslashes = 0;
        text.push_back(c);
    }
    for (std::size_t i = 0; i < backslashes * 2; ++i) {
        text.push_back('\\');
    }
    text.push_back('"');
    return text;
}

} // namespace

std::string ChildProcess::selfPath() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

ChildProcess::Result ChildProcess::run(const std::string& program, const std::vector<std::string>& arguments,
                                       double timeoutSeconds) {
    Result result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle readEnd;
    Handle writeEnd;
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &inherit, 0)) {
        result.output = "cannot make a pipe";
        return result;
    }
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = quoted(program);
    for (const auto& argument : arguments) {
        commandLine.push_back(' ');
        commandLine += quoted(argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        result.output = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
        return result;
    }
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    writeEnd.reset();

    // The pipe is polled rather than read to its end: a crashed child under Wine may leave it open.
    const auto drain = [&result, pipe = readEnd.get()] {
        char buffer[4096];
        DWORD available = 0;
        while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            DWORD got = 0;
            if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) ||
                got == 0) {
                return;
            }
            result.output.append(buffer, got);
        }
    };
    const DWORD start = GetTickCount();
    const auto limit = static_cast<DWORD>(timeoutSeconds * 1000.0);
    for (;;) {
        drain();
        if (WaitForSingleObject(processHandle.get(), pollIntervalMs) == WAIT_OBJECT_0) {
            break;
        }
        if (GetTickCount() - start > limit) {
            TerminateProcess(processHandle.get(), 1);
            WaitForSingleObject(processHandle.get(), terminateWaitMs);
            result.outcome = Outcome::timedOut;
            break;
        }
    }
    drain();
    result.seconds = static_cast<double>(GetTickCount() - start) / 1000.0;
    if (result.outcome == Outcome::timedOut) {
        return result;
    }
    DWORD code = 0;
    GetExitCodeProcess(processHandle.get(), &code);
    result.code = code;
    // Exit codes with the top bits of an exception status are what a crash leaves behind.
    result.outcome = (code & 0xC0000000u) == 0xC0000000u ? Outcome::crashed : Outcome::exited;
    return result;
}

} // namespace chorus::host
