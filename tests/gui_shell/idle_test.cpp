// The application's idle loop: it runs the machine in batches while the view is attached,
// stands still while a modal dialog or message box is open (the 100 ms timer still ticks)
// and resumes afterwards; the start-up order and the shutdown.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QtTest>

#include "shell/main_frame.h"
#include "shell/orlo_app.h"
#include "shell_test_env.h"

class IdleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void startRunsTheMachine();
    void modalRunsStopTheMachine();
    void detachedViewRunsNothing();

private:
    QTemporaryDir m_settingsDir;
};

void IdleTest::initTestCase() {
    QVERIFY(m_settingsDir.isValid());
    RedirectSettings(m_settingsDir);
    ClearProfile();
}

void IdleTest::startRunsTheMachine() {
    COrloApp app;
    QVERIFY(TheApp() == &app);
    QVERIFY(app.InitInstance());
    QVERIFY(app.m_pMainWnd && app.m_pMainWnd->isVisible());
    CChildView& view = app.m_pMainWnd->m_wndView;
    QCOMPARE(app.View(), &view);
    QCOMPARE(view.size(), QSize(640, 400));
    QTRY_VERIFY(app.m_nBatches >= 3);

    app.m_pMainWnd->close();
    QVERIFY(!app.View());
    const uint64_t batches = app.m_nBatches;
    QTest::qWait(50);
    QCOMPARE(app.m_nBatches, batches);
    QVERIFY(Profile().contains("ORLO/DipSW"));
}

void IdleTest::modalRunsStopTheMachine() {
    COrloApp app;
    QVERIFY(app.InitInstance());
    CChildView& view = app.m_pMainWnd->m_wndView;
    QTRY_VERIFY(app.m_nBatches > 0);

    // A message box from the machine (as "DMA Bank Over" is shown from inside a step).
    uint64_t during = 0, after = 0;
    bool ticked = false, reentered = true;
    QString text;
    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        during = app.m_nBatches;
        view.m_main.m_bTick = 0;
        QTest::qWait(250);
        ticked = view.m_main.m_bTick == 1; // the timer keeps ticking
        after = app.m_nBatches;
        reentered = !app.OnIdle() || app.m_nBatches != after;
        box->accept();
    });
    view.MessageBox("DMA Bank Over", std::string());
    QCOMPARE(text, QString("DMA Bank Over"));
    QCOMPARE(after, during);
    QVERIFY(ticked);
    QVERIFY(!reentered);
    const uint64_t closed = app.m_nBatches;
    QTRY_VERIFY(app.m_nBatches > closed + 2);

    // Any modal dialog, including one the shell did not open itself.
    OnNextModal<QDialog>([&](QDialog* dlg) {
        during = app.m_nBatches;
        QTest::qWait(100);
        after = app.m_nBatches;
        dlg->reject();
    });
    QDialog other(app.m_pMainWnd);
    other.exec();
    QCOMPARE(after, during);

    // The settings sheet.
    OnNextModal<QDialog>([&](QDialog* dlg) {
        during = app.m_nBatches;
        QTest::qWait(100);
        after = app.m_nBatches;
        dlg->reject();
    });
    view.OnImageSetup();
    QCOMPARE(after, during);
    const uint64_t resumed = app.m_nBatches;
    QTRY_VERIFY(app.m_nBatches > resumed);
}

void IdleTest::detachedViewRunsNothing() {
    COrloApp app;
    QVERIFY(app.InitInstance());
    CChildView& view = app.m_pMainWnd->m_wndView;
    app.SetView(nullptr); // as the debugger does
    const uint64_t batches = app.m_nBatches;
    QVERIFY(!app.OnIdle());
    QTest::qWait(50);
    QCOMPARE(app.m_nBatches, batches);
    QVERIFY(view.m_nTimer != 0);

    // A hard reset attaches the view again and keeps the files and the DIP setting.
    view.m_main.m_nDipSw = 0x5D;
    QVERIFY(app.m_pMainWnd->OnCmdMsg(ID_HARD_RESET));
    QCOMPARE(app.View(), &view);
    QCOMPARE(int(view.m_main.m_io[0xD23]), 0x5D);
    QTRY_VERIFY(app.m_nBatches > batches);
}

QTEST_MAIN(IdleTest)
#include "idle_test.moc"
