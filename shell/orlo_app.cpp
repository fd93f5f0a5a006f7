#include "shell/orlo_app.h"

#include <QApplication>
#include <QDialog>

#include "shell/about_dlg.h"
#include "shell/app_icon.h"
#include "shell/child_view.h"
#include "shell/main_frame.h"

namespace {

COrloApp* s_pApp = nullptr;

// How often a blocked idle loop looks again whether it may run.
constexpr int kBlockedPollMs = 20;

} // namespace

COrloApp* TheApp() {
    return s_pApp;
}

COrloApp::COrloApp() {
    s_pApp = this;
    QCoreApplication::setOrganizationName("Helka");
    QCoreApplication::setApplicationName("Orlo");
    QApplication::setWindowIcon(OrloIcon());
    m_idle.setInterval(0);
    connect(&m_idle, &QTimer::timeout, this, [this] { OnIdleTimer(); });
}

COrloApp::~COrloApp() {
    m_idle.stop();
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    if (s_pApp == this) s_pApp = nullptr;
}

bool COrloApp::InitInstance() {
    auto* frame = new (std::nothrow) CMainFrame;
    if (!frame) return false;
    m_pMainWnd = frame;
    if (!frame->LoadFrame()) {
        m_pMainWnd = nullptr;
        delete frame;
        return false;
    }
    frame->show();
    frame->m_wndView.setFocus();
    m_bStarted = true;
    return true;
}

void COrloApp::SetView(CChildView* view) {
    m_pView = view;
    if (view && !m_idle.isActive()) {
        m_idle.setInterval(0);
        m_idle.start();
    }
}

bool COrloApp::Blocked() const {
    return m_bInIdle || m_nModal > 0 || QApplication::activeModalWidget() ||
           QApplication::activePopupWidget();
}

void COrloApp::OnIdleTimer() {
    if (Blocked()) {
        m_idle.setInterval(kBlockedPollMs);
        return;
    }
    m_idle.setInterval(0);
    if (!OnIdle()) m_idle.stop();
}

bool COrloApp::OnIdle() {
    if (!m_pView || Blocked()) return m_pView != nullptr;
    m_bInIdle = true;
    CChildView* view = m_pView;
    for (int i = 0; i < kStepPairs && m_pView == view; ++i) {
        view->m_main.Step();
        view->m_sub.Step();
    }
    ++m_nBatches;
    m_bInIdle = false;
    return true;
}

void COrloApp::OnQuitSignal() {
    if (m_bQuitBySignal) return; // already on the way out
    m_bQuitBySignal = true;      // from here on messages go to stderr
    if (m_bClosing) {
        // The window is closing already (the user chose Exit) and may be waiting on a
        // message box about a failed save: nobody may be there to answer it.
        CancelModal();
        return;
    }
    m_bClosing = true;
    CloseWhenIdle();
}

// Cancels the open menu and the innermost modal run (as its Cancel would); the run
// returns to its caller in due course.
void COrloApp::CancelModal() {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dlg = qobject_cast<QDialog*>(modal))
            dlg->reject();
        else
            modal->close();
    }
}

// Cancels the modal runs one by one, lets a running step finish, and looks again until
// the main window can close.
void COrloApp::CloseWhenIdle() {
    CancelModal();
    const bool stepping = m_pMainWnd && m_pMainWnd->m_wndView.m_bStepping;
    if (!m_bStarted || Blocked() || stepping) {
        QTimer::singleShot(kBlockedPollMs, this, [this] { CloseWhenIdle(); });
        return;
    }
    if (m_pMainWnd)
        m_pMainWnd->close();
    else
        QCoreApplication::quit();
}

void COrloApp::OnAppAbout() {
    CAboutDlg dlg(m_pMainWnd);
    CModalScope modal;
    dlg.exec();
}

CModalScope::CModalScope() {
    if (COrloApp* app = TheApp()) ++app->m_nModal;
}

CModalScope::~CModalScope() {
    if (COrloApp* app = TheApp()) --app->m_nModal;
}
