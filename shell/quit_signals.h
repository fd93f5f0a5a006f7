// CQuitSignals: SIGINT, SIGTERM and SIGHUP as a call on the user-interface thread. The
// handlers only write a byte into a socket pair (all they do is async-signal-safe); a
// QSocketNotifier on the other end wakes the event loop, nested modal loops included,
// and the call runs there. One instance at a time, made once the application object
// exists; its destructor gives the signals their default actions back.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

class CQuitSignals : public QObject {
public:
    explicit CQuitSignals(std::function<void()> onSignal);
    ~CQuitSignals() override;
    CQuitSignals(const CQuitSignals&) = delete;
    CQuitSignals& operator=(const CQuitSignals&) = delete;

private:
    void OnActivated();

    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_pNotifier = nullptr;
    std::function<void()> m_onSignal;
};
