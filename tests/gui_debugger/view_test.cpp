// The debugger in the running program: opening and closing through the view, STEP
// runs, the step count check, hard reset and closing the main window while it is open.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include "debugger/qt/debug_dlg.h"
#include "debugger/qt/stat_page_widget.h"
#include "shell/main_frame.h"
#include "shell/orlo_app.h"
#include "tests/gui_shell/shell_test_env.h"

class ViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void OpeningPausesAndWires();
    void StepOneRunsOnePair();
    void StepTenThousand();
    void BadCountRunsNothing();
    void ContinueResumesAndReopensEmpty();
    void HardResetClosesFirst();
    void Z80CardOffAndOn();
    void MainWindowClosedWhileOpen();

private:
    CDebugDlg* Open();
    // Type a count, press STEP and let the posted command run.
    void Step(const QString& count);
    CChildView& View() { return m_app->m_pMainWnd->m_wndView; }
    // The posted command first, then the refresh the pages queued during it.
    static void Settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QTemporaryDir m_settingsDir;
    COrloApp* m_app = nullptr;
};

void ViewTest::initTestCase() {
    QVERIFY(m_settingsDir.isValid());
    RedirectSettings(m_settingsDir);
    ClearProfile();
}

void ViewTest::init() {
    m_app = new COrloApp;
    QVERIFY(m_app->InitInstance());
    QTRY_VERIFY(m_app->m_nBatches > 0);
}

void ViewTest::cleanup() {
    if (m_app->m_pMainWnd) m_app->m_pMainWnd->close();
    delete m_app;
    m_app = nullptr;
}

CDebugDlg* ViewTest::Open() {
    m_app->m_pMainWnd->OnCmdMsg(ID_CPU_DEBUG);
    return View().m_pDebugDlg;
}

void ViewTest::Step(const QString& count) {
    CDebugDlg* dlg = View().m_pDebugDlg;
    dlg->m_editStep->setText(count);
    dlg->m_btnStep->click();
    Settle();
}

void ViewTest::OpeningPausesAndWires() {
    CDebugDlg* dlg = Open();
    QVERIFY(dlg);
    QVERIFY(dlg->isVisible());
    QCOMPARE(m_app->View(), nullptr);
    QCOMPARE(View().m_main.m_pStat, &dlg->m_pageMain);
    QCOMPARE(View().m_main.m_z80.m_pStat, &dlg->m_pageZ80);
    QCOMPARE(View().m_sub.m_pStat, &dlg->m_pageSub);

    // Free running has stopped.
    const uint64_t batches = m_app->m_nBatches;
    const uint16_t pc = View().m_main.m_reg.PC;
    QTest::qWait(50);
    QCOMPARE(m_app->m_nBatches, batches);
    QCOMPARE(View().m_main.m_reg.PC, pc);

    // The first fill: tab MAIN 6309, current registers, one empty line.
    Settle();
    QCOMPARE(dlg->m_tabCpu->currentIndex(), 0);
    QVERIFY(dlg->m_wndMain->isVisible());
    QCOMPARE(dlg->m_wndMain->ValueField(CStat09::kPC)->text(),
             QString("%1").arg(pc, 4, 16, QChar('0')).toUpper());
    QCOMPARE(dlg->m_wndMain->TraceLine(0)->text(), QString());
    QCOMPARE(dlg->m_editStep->text(), QString("1"));
    for (const CStatPage* page :
         {(CStatPage*)&dlg->m_pageMain, (CStatPage*)&dlg->m_pageSub, (CStatPage*)&dlg->m_pageZ80})
        QCOMPARE(page->m_nCount, 1);
}

void ViewTest::StepOneRunsOnePair() {
    CDebugDlg* dlg = Open();
    const int mainLines = dlg->m_pageMain.m_nCount, subLines = dlg->m_pageSub.m_nCount;
    Step("1");
    const CMainCpu& main = View().m_main;
    const CSubCpu& sub = View().m_sub;
    QCOMPARE(dlg->m_pageMain.m_nCount, mainLines + ((main.m_reg.signals & SIG_HALT) ? 0 : 1));
    QCOMPARE(dlg->m_pageSub.m_nCount, subLines + ((sub.m_reg.signals & SIG_HALT) ? 0 : 1));
    // The bottom line is the instruction that executes next.
    if (!(main.m_reg.signals & SIG_HALT)) {
        QCOMPARE(QString::fromStdString(dlg->m_pageMain.m_strLine[0]).left(4),
                 QString("%1").arg(main.m_reg.PC, 4, 16, QChar('0')).toUpper());
        QCOMPARE(dlg->m_wndMain->TraceLine(0)->text(),
                 QString::fromStdString(dlg->m_pageMain.m_strLine[0]));
    }
}

void ViewTest::StepTenThousand() {
    CDebugDlg* dlg = Open();
    // The display processor waits for the main board most of the time; let it run a
    // loop in its RAM for the whole run so that both pages see thousands of lines.
    CSubCpu& sub = View().m_sub;
    sub.WriteByte(0x9000, 0x20); // BRA *
    sub.WriteByte(0x9001, 0xFE);
    sub.m_reg.PC = 0x9000;
    sub.m_reg.wait = 0;
    View().m_main.m_io[0x005] &= 0x3F; // not held, not cancelled
    View().m_main.m_io[0x105] &= 0x7F; // not waiting for the handshake
    dlg->m_editStep->setText("10000");
    QElapsedTimer timer;
    timer.start();
    dlg->m_btnStep->click();
    Settle();
    const qint64 ms = timer.elapsed();
    qInfo("STEP 10000 with the three pages and their windows: %lld ms", ms);
    QCOMPARE(dlg->m_pageMain.m_nCount, 512);
    QCOMPARE(dlg->m_pageSub.m_nCount, 512);
    QCOMPARE(dlg->m_wndMain->TraceLine(0)->text(),
             QString::fromStdString(dlg->m_pageMain.m_strLine[0]));
    QCOMPARE(dlg->m_wndMain->TraceLine(7)->text(),
             QString::fromStdString(dlg->m_pageMain.m_strLine[7]));
    dlg->m_tabCpu->setCurrentIndex(1);
    QCOMPARE(dlg->m_wndSub->ValueField(CStat09::kPC)->text(),
             QString::fromStdString(dlg->m_pageSub.m_strText[CStat09::kPC]));
}

void ViewTest::BadCountRunsNothing() {
    CDebugDlg* dlg = Open();
    for (const char* bad : {"0", "10001", "abc"}) {
        const uint16_t pc = View().m_main.m_reg.PC;
        const int lines = dlg->m_pageMain.m_nCount;
        QString shown;
        OnNextModal<QMessageBox>([&](QMessageBox* box) {
            shown = box->text();
            box->accept();
        });
        Step(bad);
        QVERIFY2(!shown.isEmpty(), bad);
        QCOMPARE(View().m_main.m_reg.PC, pc);
        QCOMPARE(dlg->m_pageMain.m_nCount, lines);
        QCOMPARE(View().m_pDebugDlg, dlg);
    }
}

void ViewTest::ContinueResumesAndReopensEmpty() {
    CDebugDlg* dlg = Open();
    Step("100");
    QVERIFY(dlg->m_pageMain.m_nCount > 1);
    dlg->m_btnContinue->click();
    Settle();
    QCOMPARE(View().m_pDebugDlg, nullptr);
    QCOMPARE(View().m_main.m_pStat, nullptr);
    QCOMPARE(View().m_main.m_z80.m_pStat, nullptr);
    QCOMPARE(View().m_sub.m_pStat, nullptr);
    QCOMPARE(m_app->View(), &View());
    const uint64_t batches = m_app->m_nBatches;
    QTRY_VERIFY(m_app->m_nBatches > batches);

    // The menu command toggles; a new opening starts with empty histories.
    dlg = Open();
    QCOMPARE(dlg->m_pageMain.m_nCount, 1);
    QCOMPARE(dlg->m_pageSub.m_nCount, 1);
    QCOMPARE(dlg->m_pageZ80.m_nCount, 1);
    m_app->m_pMainWnd->OnCmdMsg(ID_CPU_DEBUG);
    QCOMPARE(View().m_pDebugDlg, nullptr);
    QCOMPARE(m_app->View(), &View());
}

void ViewTest::HardResetClosesFirst() {
    Open();
    Step("50");
    m_app->m_pMainWnd->OnCmdMsg(ID_HARD_RESET);
    QCOMPARE(View().m_pDebugDlg, nullptr);
    QCOMPARE(View().m_main.m_pStat, nullptr);
    QCOMPARE(View().m_sub.m_pStat, nullptr);
    QCOMPARE(m_app->View(), &View());
    const uint64_t batches = m_app->m_nBatches;
    QTRY_VERIFY(m_app->m_nBatches > batches);
}

void ViewTest::Z80CardOffAndOn() {
    CDebugDlg* dlg = Open();
    View().m_main.WriteByte(0xFD05, View().m_main.m_io[0x005] & ~0x01);
    Step("20");
    QCOMPARE(dlg->m_pageZ80.m_nCount, 1);
    dlg->m_tabCpu->setCurrentIndex(2);
    QCOMPARE(dlg->m_wndZ80->ValueField(CStatZ80::kHalt)->text(), QString("HALT"));

    View().m_main.WriteByte(0xFD05, 0x01);
    Step("1");
    const int mainLines = dlg->m_pageMain.m_nCount;
    Step("25");
    QCOMPARE(dlg->m_pageMain.m_nCount, mainLines);
    QCOMPARE(dlg->m_pageZ80.m_nCount, std::min(512, 1 + 26));
    QCOMPARE(dlg->m_pageMain.m_strText[CStat09::kHalt], std::string("HALT"));
    QCOMPARE(dlg->m_wndZ80->ValueField(CStatZ80::kHalt)->text(), QString());
}

void ViewTest::MainWindowClosedWhileOpen() {
    Open();
    Step("10");
    QPointer<CDebugDlg> dlg = View().m_pDebugDlg;
    m_app->m_pMainWnd->close();
    QVERIFY(!dlg);
    QCOMPARE(View().m_pDebugDlg, nullptr);
    QCOMPARE(View().m_main.m_pStat, nullptr);
    QCOMPARE(View().m_sub.m_pStat, nullptr);
    // A CONTINUE still queued then opens nothing.
    View().PostCommand(ID_CPU_DEBUG);
    Settle();
    QCOMPARE(View().m_pDebugDlg, nullptr);
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
