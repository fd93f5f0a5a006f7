// Quit signals: SIGINT, SIGTERM and SIGHUP as a call on the user-interface thread.
//
// InstallQuitSignals, the first thing main does, points the three signals at a handler
// for the rest of the process. The handler only writes a byte into a socket pair (all it
// does is async-signal-safe) and never ends the process, so a signal that arrives before
// the application can act on it, or after its window has closed, leaves the exit status
// at 0. Nothing ever gives the signals their default actions back. Should the socket pair
// be unavailable, the signals keep their default actions (the program can still be ended).
//
// CQuitSignals, made once the application object exists, watches the other end with a
// QSocketNotifier, which wakes the event loop, nested modal loops included, and the call
// runs there. Bytes written before it exists are read once it does; bytes written after it
// is gone stay unread. One instance at a time.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Installs the handlers once; later calls change nothing. False without a socket pair.
bool InstallQuitSignals();

class CQuitSignals : public QObject {
public:
    // Installs the handlers too, should that not have happened yet.
    explicit CQuitSignals(std::function<void()> onSignal);
    ~CQuitSignals() override;
    CQuitSignals(const CQuitSignals&) = delete;
    CQuitSignals& operator=(const CQuitSignals&) = delete;

private:
    void OnActivated();

    QSocketNotifier* m_pNotifier = nullptr;
    std::function<void()> m_onSignal;
};
