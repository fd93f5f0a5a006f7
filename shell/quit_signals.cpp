#include "shell/quit_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The socket pair lives as long as the process: the handler may run on any thread at any
// moment, so its descriptor is never closed (a closed number could be reused by a file
// the handler would then write into). Set once, before the handlers are installed.
int s_fds[2] = {-1, -1};

void OnSignal(int sig) {
    const int saved = errno;
    const char b = char(sig);
    [[maybe_unused]] const ssize_t n = ::write(s_fds[1], &b, 1); // full: some are pending
    errno = saved;
}

} // namespace

bool InstallQuitSignals() {
    if (s_fds[0] >= 0) return true;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        return false;
    s_fds[0] = fds[0];
    s_fds[1] = fds[1];
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : kSignals)
        ::sigaction(sig, &sa, nullptr);
    return true;
}

CQuitSignals::CQuitSignals(std::function<void()> onSignal) : m_onSignal(std::move(onSignal)) {
    if (!InstallQuitSignals()) return;
    m_pNotifier = new QSocketNotifier(s_fds[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] { OnActivated(); });
}

CQuitSignals::~CQuitSignals() {
    delete m_pNotifier; // the handlers stay: later signals only fill the socket
}

void CQuitSignals::OnActivated() {
    char buf[16];
    while (::read(s_fds[0], buf, sizeof buf) > 0) {
    }
    m_onSignal();
}
