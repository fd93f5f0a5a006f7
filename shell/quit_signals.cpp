#include "shell/quit_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int s_writeFd = -1;

void OnSignal(int sig) {
    const int saved = errno;
    const char b = char(sig);
    [[maybe_unused]] const ssize_t n = ::write(s_writeFd, &b, 1); // full: one is pending
    errno = saved;
}

} // namespace

CQuitSignals::CQuitSignals(std::function<void()> onSignal) : m_onSignal(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_fds) != 0) {
        m_fds[0] = m_fds[1] = -1;
        return; // the signals keep their default actions
    }
    s_writeFd = m_fds[1];
    m_pNotifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] { OnActivated(); });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : kSignals)
        ::sigaction(sig, &sa, nullptr);
}

CQuitSignals::~CQuitSignals() {
    if (m_fds[0] < 0) return;
    for (int sig : kSignals)
        std::signal(sig, SIG_DFL);
    s_writeFd = -1;
    delete m_pNotifier;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void CQuitSignals::OnActivated() {
    char buf[16];
    while (::read(m_fds[0], buf, sizeof buf) > 0) {
    }
    m_onSignal();
}
