#include "host/validate/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace chorus::host {

namespace {

constexpr int pollIntervalMs = 50;

// Closes a descriptor once, at the end of its scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : value(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return value; }
    void reset() {
        if (value >= 0) {
            ::close(value);
        }
        value = -1;
    }

private:
    int value;
};

void drain(int fd, std::string& output) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        output.append(buffer, static_cast<size_t>(got));
    }
}

} // namespace

std::string ChildProcess::selfPath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

ChildProcess::Result ChildProcess::run(const std::string& program, const std::vector<std::string>& arguments,
                                       double timeoutSeconds) {
    Result result;
    int ends[2];
    if (::pipe(ends) != 0) {
        result.output = "cannot make a pipe";
        return result;
    }
    Descriptor readEnd(ends[0]);
    Descriptor writeEnd(ends[1]);
    ::fcntl(readEnd.get(), F_SETFD, FD_CLOEXEC);
    ::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);

    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : all) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writeEnd.reset();
    if (spawned != 0) {
        result.output = "cannot start " + program;
        return result;
    }

    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    int status = 0;
    for (;;) {
        pollfd watch{readEnd.get(), POLLIN, 0};
        ::poll(&watch, 1, pollIntervalMs);
        drain(readEnd.get(), result.output);
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (elapsed() > timeoutSeconds) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            drain(readEnd.get(), result.output);
            result.outcome = Outcome::timedOut;
            result.seconds = elapsed();
            return result;
        }
    }
    drain(readEnd.get(), result.output);
    result.seconds = elapsed();
    if (WIFSIGNALED(status)) {
        result.outcome = Outcome::crashed;
        result.code = static_cast<unsigned long>(WTERMSIG(status));
    } else {
        result.outcome = Outcome::exited;
        result.code = static_cast<unsigned long>(WEXITSTATUS(status));
    }
    return result;
}

} // namespace chorus::host
