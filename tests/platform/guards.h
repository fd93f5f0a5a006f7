// Process-wide settings a test changes, put back when the guard goes, whatever failed; and
// the errno of a file operation that fails.
#pragma once

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"

// An environment variable set (or, with nullptr, unset) for the guard's life.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvVar() { m_old ? ::setenv(m_name.c_str(), m_old->c_str(), 1) : ::unsetenv(m_name.c_str()); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// An alarm that is cancelled when the guard goes.
class Alarm {
public:
    explicit Alarm(unsigned seconds) { ::alarm(seconds); }
    ~Alarm() { ::alarm(0); }
    Alarm(const Alarm&) = delete;
    Alarm& operator=(const Alarm&) = delete;
};

// SIGXFSZ and SIGPIPE ignored as the program has them (IgnoreWriteSignals), put back when
// the guard goes.
class WriteSignalsIgnored {
public:
    WriteSignalsIgnored() {
        for (int i = 0; i < 2; ++i)
            ::sigaction(kSignals[i], nullptr, &m_old[i]);
        IgnoreWriteSignals();
    }
    ~WriteSignalsIgnored() {
        for (int i = 0; i < 2; ++i)
            ::sigaction(kSignals[i], &m_old[i], nullptr);
    }
    WriteSignalsIgnored(const WriteSignalsIgnored&) = delete;
    WriteSignalsIgnored& operator=(const WriteSignalsIgnored&) = delete;

private:
    static constexpr int kSignals[2] = {SIGXFSZ, SIGPIPE};
    struct sigaction m_old[2] {};
};

// A FIFO made at `path` with a reader that never reads, open until the guard goes (or
// Close): a writer finds it full, then, once closed, without a reader.
class IdleFifoReader {
public:
    explicit IdleFifoReader(const std::string& path) {
        if (::mkfifo(path.c_str(), 0600) == 0)
            m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~IdleFifoReader() { Close(); }
    IdleFifoReader(const IdleFifoReader&) = delete;
    IdleFifoReader& operator=(const IdleFifoReader&) = delete;
    bool IsOpen() const { return m_fd >= 0; }
    void Close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

// While it lives: writes past `bytes` fail (the soft limit is lowered, never raised) with
// the signals of such a write ignored, as the program runs.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_set(::getrlimit(RLIMIT_FSIZE, &m_old) == 0) {
        const rlimit low{std::min(bytes, m_old.rlim_cur), m_old.rlim_max};
        m_set = m_set && ::setrlimit(RLIMIT_FSIZE, &low) == 0;
    }
    ~FileSizeLimit() {
        if (m_set) ::setrlimit(RLIMIT_FSIZE, &m_old);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool IsSet() const { return m_set; }

private:
    WriteSignalsIgnored m_signals;
    rlimit m_old{};
    bool m_set = false;
};

// The errno of the CFileException that `f` throws, or 0 when it throws none.
template <class F> int ErrnoOf(F f) {
    try {
        f();
    } catch (const CFileException& e) {
        return e.m_nErrno;
    }
    return 0;
}
