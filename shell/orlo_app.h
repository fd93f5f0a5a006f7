// COrloApp: the application. InitInstance creates and shows the frame, which owns the
// view and with it the whole machine. The idle loop (a zero-interval timer calling
// OnIdle) runs 2000 step pairs per call while a view is attached. It never runs while a
// modal dialog, a message box or a menu is open, nor inside itself (a message box shown
// from within a step): the machine stands still then while the view's 100 ms timer
// keeps ticking. One instance at a time; TheApp() finds it.
//
// A quit signal (main.cpp) ends the program the way closing the main window does, once
// the modal runs still open have been cancelled and no step is running. One that arrives
// while the window is closing already cancels the message box the close may be waiting
// on; any further one changes nothing. Messages from then on go to stderr, since nobody
// may be there to answer a message box.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

class CChildView;
class CMainFrame;

class COrloApp : public QObject {
public:
    static constexpr int kStepPairs = 2000;

    COrloApp();
    ~COrloApp() override;

    // Creates and shows the frame; false when it could not be created.
    bool InitInstance();
    // One batch of step pairs; false when no view is attached (the loop then rests).
    bool OnIdle();
    int ExitInstance(int code) { return code; }
    void OnAppAbout();
    // SIGINT, SIGTERM or SIGHUP arrived.
    void OnQuitSignal();
    bool QuittingBySignal() const { return m_bQuitBySignal; }
    // A batch of the idle loop is under way, and with it a step, also while a message
    // box shown from inside that step runs its own loop.
    bool InIdleBatch() const { return m_bInIdle; }

    // Only the view attaches itself (its machine reset) and detaches itself.
    void SetView(CChildView* view);
    CChildView* View() const { return m_pView; }

    CMainFrame* m_pMainWnd = nullptr; // owned
    uint64_t m_nBatches = 0;          // batches run so far
    int m_nModal = 0;                 // modal runs of our own now open
    bool m_bClosing = false;          // the main window is closing

private:
    void OnIdleTimer();
    bool Blocked() const;
    void CancelModal();
    void CloseWhenIdle();

    CChildView* m_pView = nullptr;
    QTimer m_idle;
    bool m_bInIdle = false;
    bool m_bStarted = false; // InitInstance is done
    bool m_bQuitBySignal = false;
};

COrloApp* TheApp();

// Marks a modal run (dialog or message box) for its lifetime: the machine stands still.
class CModalScope {
public:
    CModalScope();
    ~CModalScope();
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;
};
