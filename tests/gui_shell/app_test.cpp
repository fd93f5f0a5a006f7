// The application as a whole. Its idle loop runs the machine in batches while the view is
// attached, stands still while a modal dialog or message box is open (the 100 ms timer
// still ticks) and resumes afterwards. A quit signal cancels the dialogs and the menu still open,
// lets a running step finish, then closes the main window as the user would; one while a
// close the user started waits on a message box cancels that box. No quit signal ever ends
// the process itself, nor blocks it when a flood of them fills the way they come.
// The frame, the About box and the terminal windows show the program's icon.
// (The `orlo` program itself, running the firmware and ending on quit signals, is started by
// tests/program; the firmware's banner and keys: tests/machine.)
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QtTest>
#include <csignal>

#include "floppy/file_fdd.h"
#include "shell/about_dlg.h"
#include "shell/app_icon.h"
#include "shell/command_ids.h"
#include "shell/orlo_app.h"
#include "shell/orlo_prop.h"
#include "shell/quit_signals.h"
#include "shell_test_env.h"
#include "terminal/term.h"
#include "tests/platform/child.h"

class AppTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_settingsDir.isValid() && m_files.isValid());
        RedirectSettings(m_settingsDir);
    }

    // The frame, the About box and a terminal window show the one icon.
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
        QVERIFY(!app.View());
        const uint64_t batches = app.m_nBatches;
        QTest::qWait(50);
        QCOMPARE(app.m_nBatches, batches);
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
    // signal closes that box and the close finishes. (Messages after a quit signal go to
    // stderr: tests/program.)
    void quitSignalCancelsTheBoxTheCloseWaitsOn() {
        ClearProfile();
        const QString dir = m_files.filePath("disks"), image = dir + "/first.d88";
        QVERIFY(QDir().mkpath(dir));
        Profile().setValue("ORLO/2D0", image);
        HostClock clock; // stands still: no save before the close
        const auto restore = qScopeGuard([] { ClearProfile(); }); // the image is gone
        COrloApp app;
        CQuitSignals quit([&app] { app.OnQuitSignal(); });
        QVERIFY(app.InitInstance());
        CChildView& view = app.m_pMainWnd->m_wndView;
        QVERIFY(view.m_main.m_pFdd[4]);
        AddSector(*view.m_main.m_pFdd[4], 1); // formatted by the guest, then its folder goes
        QVERIFY(QDir(dir).removeRecursively());

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
        QVERIFY(app.m_pMainWnd->OnCmdMsg(ID_APP_EXIT)); // returns once the close is done
        QVERIFY(!answeredByHand);
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains(image), qPrintable(boxes[0]));
        QVERIFY(!app.m_pMainWnd->isVisible() && !app.View() && !view.m_main.m_pFdd[4]);
        QCOMPARE(ProfileString("2D0"), image);
    }

    // No quit signal ends the process, not even one after the close or after the notifier
    // has gone (a fault here ends the test program itself); several after the close are
    // taken as one. (At any moment of the program's start-up: tests/program.)
    void quitSignalsNeverEndTheProcess() {
        {
            COrloApp app;
            int calls = 0;
            CQuitSignals quit([&] {
                ++calls;
                app.OnQuitSignal();
            });
            QVERIFY(app.InitInstance());
            ::raise(SIGTERM);
            QTRY_VERIFY(!app.m_pMainWnd->isVisible());
            QCOMPARE(calls, 1);
            for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGTERM}) // after the close
                ::raise(sig);
            QTRY_COMPARE(calls, 2);
        }
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) // after the notifier has gone
            ::raise(sig);
        // A flood nobody reads (in a child, which shares the way they come) never blocks.
        Child flood;
        QVERIFY(flood.Start([] {
            for (int i = 0; i < 20000; ++i)
                ::raise(SIGTERM);
            return 0;
        }));
        QVERIFY2(flood.Wait(10) && flood.ExitCode() == 0, "the handler blocked");
        // Those stay unread; a later watcher (only a test makes one) takes them all at once.
        int late = 0;
        CQuitSignals next([&] { ++late; });
        QTRY_COMPARE(late, 1);
    }

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
