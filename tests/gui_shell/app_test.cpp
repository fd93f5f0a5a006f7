// The application as a whole. Its idle loop runs the machine in batches while the view is
// attached, stands still while a modal dialog or message box is open (the 100 ms timer
// still ticks) and resumes afterwards. With the firmware built in, the banner appears and
// typed keys reach the monitor. A quit signal cancels the dialogs and the menu still open,
// lets a running step finish, then closes the main window as the user would; one while a
// close the user started waits on a message box cancels that box. No quit signal ever ends
// the process itself, nor blocks it when a flood of them fills the way they come.
// The frame, the About box and the terminal windows show the program's icon.
// (The `orlo` program itself is started by tests/program.)
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "floppy/file_fdd.h"
#include "platform/clock.h"
#include "rom/roms.h"
#include "shell/about_dlg.h"
#include "shell/app_icon.h"
#include "shell/command_ids.h"
#include "shell/orlo_app.h"
#include "shell/orlo_prop.h"
#include "shell/quit_signals.h"
#include "shell_test_env.h"
#include "terminal/term.h"

namespace {

bool FirmwareBuiltIn() {
    auto blank = [](const uint8_t* p, size_t n) {
        return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
    };
    return !blank(g_bootRom, sizeof g_bootRom) && !blank(g_displayRom, sizeof g_displayRom);
}

// The characters of the text screen, row after row.
std::string ScreenText(const CSubCpu& sub) {
    std::string text;
    const int cells = std::min(sub.m_nColumns * sub.m_nRows, int(CSubCpu::kShadowCells));
    for (int i = 0; i < cells; ++i)
        text += char(sub.m_wTextShadow[i] & 0xFF);
    return text;
}

// Sends what the program writes to stderr into a file while it lives.
struct StderrToFile {
    const int saved = ::dup(2);
    explicit StderrToFile(const QString& path) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StderrToFile() {
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
    }
};

} // namespace

class AppTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_settingsDir.isValid() && m_files.isValid());
        RedirectSettings(m_settingsDir);
        ClearProfile();
    }

    void runsWhileAttachedAndStopsAtClose() {
        COrloApp app;
        QVERIFY(app.InitInstance());
        QVERIFY(app.m_pMainWnd && app.m_pMainWnd->isVisible());
        CChildView& view = app.m_pMainWnd->m_wndView;
        QCOMPARE(app.View(), &view);
        QTRY_VERIFY(app.m_nBatches >= 3);
        // A hard reset keeps the DIP setting (detaching and attaching again: the debugger's
        // tests).
        view.m_main.m_nDipSw = 0x5D;
        QVERIFY(app.m_pMainWnd->OnCmdMsg(ID_HARD_RESET));
        QCOMPARE(int(view.m_main.m_io[0xD23]), 0x5D);

        app.m_pMainWnd->close();
        QVERIFY(!app.View());
        const uint64_t batches = app.m_nBatches;
        QTest::qWait(50);
        QCOMPARE(app.m_nBatches, batches);
        QVERIFY(Profile().contains("ORLO/DipSW"));
    }

    void modalRunsStopTheMachine() {
        COrloApp app;
        QVERIFY(app.InitInstance());
        CChildView& view = app.m_pMainWnd->m_wndView;
        // A message box from the machine (shown from inside a step), a dialog the shell did
        // not open itself, and the settings sheet.
        const std::function<void()> openers[] = {
            [&] { view.MessageBox("DMA Bank Over", std::string()); },
            [&] { QDialog(app.m_pMainWnd).exec(); },
            [&] { view.OnImageSetup(); },
        };
        for (const auto& open : openers) {
            const uint64_t start = app.m_nBatches;
            QTRY_VERIFY(app.m_nBatches > start + 2);
            uint64_t during = 0, after = 0;
            bool ticked = false, reentered = true;
            OnNextModal<QDialog>([&](QDialog* dlg) {
                during = app.m_nBatches;
                view.m_main.m_bTick = 0;
                QTest::qWait(250);
                ticked = view.m_main.m_bTick == 1; // the timer keeps ticking
                after = app.m_nBatches;
                reentered = !app.OnIdle() || app.m_nBatches != after;
                dlg->reject();
            });
            open();
            QCOMPARE(after, during);
            QVERIFY(ticked);
            QVERIFY(!reentered);
        }
        const uint64_t resumed = app.m_nBatches;
        QTRY_VERIFY(app.m_nBatches > resumed);
    }

    // One image: the frame's icon, the About box's picture and icon, a terminal window's.
    void oneIconEverywhere() {
        COrloApp app;
        QVERIFY(app.InitInstance());
        CChildView& view = app.m_pMainWnd->m_wndView;
        const QImage icon = OrloIcon().pixmap(64, 64).toImage();
        QVERIFY(!icon.isNull());
        const auto same = [&](const QIcon& i) { return i.pixmap(64, 64).toImage() == icon; };
        QVERIFY(same(app.m_pMainWnd->windowIcon()));
        view.m_main.UsartAccess(1, CMainCpu::USART_COMMAND, 0x02); // DTR
        QCoreApplication::sendPostedEvents();
        QVERIFY(view.m_main.m_pTerm[1]);
        auto* term = dynamic_cast<QWidget*>(view.m_main.m_pTerm[1]->m_pWnd);
        QVERIFY(term && same(term->windowIcon()));
        bool about = false;
        OnNextModal<CAboutDlg>([&](CAboutDlg* dlg) {
            const auto* label = dlg->findChild<QLabel*>("icon");
            about = label && label->pixmap().toImage() == icon && same(dlg->windowIcon());
            dlg->accept();
        });
        QVERIFY(app.m_pMainWnd->OnCmdMsg(ID_APP_ABOUT));
        QVERIFY(about);
        app.m_pMainWnd->close();
    }

    void quitSignalCancelsDialogsAndCloses() {
        ClearProfile();
        COrloApp app;
        QVERIFY(app.InitInstance());
        CChildView& view = app.m_pMainWnd->m_wndView;
        bool browseReturned = false, frameOpenAfterBrowse = false;
        QMenu menu;
        menu.addAction("item");
        OnNextModal<COrloProp>([&](COrloProp* prop) {
            OnNextModal<QFileDialog>([&](QFileDialog*) {
                menu.popup(QPoint(10, 10)); // and a menu open over it
                view.m_bStepping = true;    // while a step runs (as inside the debugger's)
                app.OnQuitSignal();
                app.OnQuitSignal(); // a second one while closing changes nothing
            });
            prop->m_pageFdd.OnBrowse(0); // the file dialog, inside the sheet
            browseReturned = true;
            frameOpenAfterBrowse = view.IsWindow();
        });
        view.OnImageSetup(); // returns once both are cancelled
        QVERIFY(browseReturned && frameOpenAfterBrowse);
        QTest::qWait(100);
        QVERIFY(app.m_pMainWnd->isVisible()); // until the step is done
        view.m_bStepping = false;
        QTRY_VERIFY(!app.m_pMainWnd->isVisible());
        QVERIFY(!menu.isVisible());
        QVERIFY(!view.IsWindow() && !app.View());
        QVERIFY(Profile().contains("ORLO/DipSW"));
    }

    // The user chose Exit and the close waits on the box about a failed save: a quit
    // signal closes that box, the close finishes, and the next failure goes to stderr.
    void quitSignalCancelsTheBoxTheCloseWaitsOn() {
        ClearProfile();
        const QString dir = m_files.filePath("disks"), gone = m_files.filePath("disks-gone");
        const QString first = dir + "/first.d88", second = dir + "/second.d88";
        QVERIFY(QDir().mkpath(dir));
        Profile().setValue("ORLO/2D0", first);
        Profile().setValue("ORLO/2D1", second);
        HostClock clock; // stands still: no save before the close
        const auto restore = qScopeGuard([] { ClearProfile(); }); // the images are gone
        COrloApp app;
        CQuitSignals quit([&app] { app.OnQuitSignal(); });
        QVERIFY(app.InitInstance());
        CChildView& view = app.m_pMainWnd->m_wndView;
        for (int drive : {4, 5}) { // formatted by the guest, then their folder goes away
            CFileFdd* fdd = view.m_main.m_pFdd[drive];
            QVERIFY(fdd);
            AddSector(*fdd, 1);
        }
        QVERIFY(QDir().rename(dir, gone));

        QStringList boxes;
        bool answeredByHand = false;
        OnNextModal<QMessageBox>([&](QMessageBox* box) {
            boxes << box->text();
            ::raise(SIGTERM);
        });
        QTimer stuck; // the close waits behind a box all the same
        QObject::connect(&stuck, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                answeredByHand = true;
                box->accept();
            }
        });
        stuck.start(3000);
        const QString err = m_files.filePath("stderr.txt");
        {
            StderrToFile redirect(err);
            QVERIFY(app.m_pMainWnd->OnCmdMsg(ID_APP_EXIT)); // returns once the close is done
        }
        QVERIFY(!answeredByHand);
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains(first), qPrintable(boxes[0]));
        QVERIFY(!app.m_pMainWnd->isVisible() && !app.View());
        QVERIFY(!view.m_main.m_pFdd[4] && !view.m_main.m_pFdd[5]);
        const QString printed = QString::fromUtf8(ReadFile(err));
        QVERIFY2(printed.contains("orlo: ") && printed.contains(second), qPrintable(printed));
        QCOMPARE(ProfileString("2D1"), second);
    }

    // From the moment the handlers are installed, no quit signal ends the process: not one
    // that arrives before the application can act on it (it closes the window once start-up
    // is done), nor one after the close, nor one after the notifier has gone. A fault here
    // ends the test program itself.
    void quitSignalsNeverEndTheProcess() {
        QVERIFY(InstallQuitSignals());
        ::raise(SIGTERM); // while the program is still starting
        {
            COrloApp app;
            int calls = 0;
            CQuitSignals quit([&] {
                ++calls;
                app.OnQuitSignal();
            });
            QVERIFY(app.InitInstance());
            QTRY_VERIFY(!app.m_pMainWnd->isVisible());
            QCOMPARE(calls, 1);
            for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGTERM}) // after the close
                ::raise(sig);
            QTRY_COMPARE(calls, 2);
        }
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) // while the program ends
            ::raise(sig);
        // A flood nobody reads (in a child, which shares the way they come) never blocks.
        int done[2];
        QVERIFY(::pipe(done) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 0; i < 20000; ++i)
                ::raise(SIGTERM);
            ::_exit(::write(done[1], "x", 1) == 1 ? 0 : 1);
        }
        QVERIFY(child > 0);
        ::close(done[1]);
        pollfd end{done[0], POLLIN, 0};
        const bool finished = ::poll(&end, 1, 10000) == 1;
        ::close(done[0]);
        if (!finished) ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        QVERIFY2(finished, "the handler blocked");
        // Those stay unread; a later watcher (only a test makes one) takes them all at once.
        int late = 0;
        CQuitSignals next([&] { ++late; });
        QTRY_COMPARE(late, 1);
    }

    void bannerShownAndKeysReachTheMonitor() {
        if (!FirmwareBuiltIn())
            QSKIP("the built-in boot and display ROMs are blank until the firmware is assembled");
        COrloApp app;
        QVERIFY(app.InitInstance());
        CChildView& view = app.m_pMainWnd->m_wndView;
        QVERIFY(QTest::qWaitForWindowExposed(app.m_pMainWnd));

        // The banner appears on the text screen.
        const auto shown = [](char c) { return uint8_t(c) > 0x20; };
        QTRY_VERIFY_WITH_TIMEOUT(std::ranges::any_of(ScreenText(view.m_sub), shown), 20000);
        // Typed keys reach the monitor, which echoes them. (The window shows the output
        // layer pixel for pixel: the view's tests; the banner's pixels: the machine's.)
        view.setFocus();
        QTest::keyClicks(&view, "ORLO42");
        QTRY_VERIFY_WITH_TIMEOUT(ScreenText(view.m_sub).find("ORLO42") != std::string::npos, 10000);
        app.m_pMainWnd->close();
    }

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
