// A process a test started, held by a guard: it is signalled only while it runs and has
// not been reaped (so its pid is still its own, and never 0 or below), and the guard ends
// (SIGKILL) and reaps it when it goes or before it starts the next, whatever failed.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

class Child {
public:
    Child() = default;
    ~Child() { End(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Forks a process that runs `body` (which usually execs) and exits with its answer
    // (127 when it threw, saying why); false when the fork failed.
    bool Start(const std::function<int()>& body) {
        End();
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            int answer = 127;
            try {
                answer = body();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s\n", e.what());
            }
            std::fflush(nullptr);
            ::_exit(answer);
        }
        m_pid = pid > 0 ? pid : 0;
        m_status = -1;
        return m_pid > 0;
    }

    // Whether it runs; reaps it once it has ended.
    bool Running() {
        if (m_pid > 0 && ::waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_pid = 0;
        return m_pid > 0;
    }
    // Sends `sig`; false when there is no process to take it.
    bool Signal(int sig) { return Running() && ::kill(m_pid, sig) == 0; }
    // Waits at most `seconds` for it to end; whether it has.
    bool Wait(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (Running() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !Running();
    }
    void End() {
        if (!Signal(SIGKILL)) return;
        while (::waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
        }
        m_pid = 0;
    }

    pid_t Pid() const { return m_pid; }
    // The wait status of the process that ended last (-1 while none has).
    int Status() const { return m_status; }
    // Its exit code, or -1 when it was ended by a signal or has not ended.
    int ExitCode() const { return m_status >= 0 && WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1; }

private:
    pid_t m_pid = 0;
    int m_status = -1;
};
