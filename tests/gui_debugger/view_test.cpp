// The debugger in the running program: opening and closing through the view, the tabs,
// STEP runs and the step count check, the Z80 card, hard reset, closing the main window;
// and a page window alone: the refresh once a run of updates is over, the scroll bar.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QtTest>

#include "debugger/qt/debug_dlg.h"
#include "debugger/qt/stat_page_widget.h"
#include "shell/main_frame.h"
#include "shell/orlo_app.h"
#include "tests/gui_shell/shell_test_env.h"

namespace {

void Append(CStat09& model, int from, int to) {
    REG09 reg{};
    for (int n = from; n <= to; ++n) {
        reg.PC = uint16_t(n);
        model.Update(&reg, QByteArray("L").append(QByteArray::number(n)).constData());
    }
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT

    CDebugDlg* Open() {
        m_app->m_pMainWnd->OnCmdMsg(ID_CPU_DEBUG);
        return View().m_pDebugDlg;
    }
    // Type a count, press STEP and let the posted command and the page refresh run.
    void Step(const QString& count) {
        View().m_pDebugDlg->m_editStep->setText(count);
        View().m_pDebugDlg->m_btnStep->click();
        Settle();
    }
    static void Settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    CChildView& View() { return m_app->m_pMainWnd->m_wndView; }
    // Free running stopped or not, and all three processors wired to pages or none.
    void ExpectRunning(bool running) {
        CDebugDlg* dlg = View().m_pDebugDlg;
        QCOMPARE(dlg == nullptr, running);
        QCOMPARE(View().m_main.m_pStat, running ? nullptr : &dlg->m_pageMain);
        QCOMPARE(View().m_main.m_z80.m_pStat, running ? nullptr : &dlg->m_pageZ80);
        QCOMPARE(View().m_sub.m_pStat, running ? nullptr : &dlg->m_pageSub);
        QCOMPARE(m_app->View(), running ? &View() : nullptr);
        const uint64_t batches = m_app->m_nBatches;
        if (running) {
            QTRY_VERIFY(m_app->m_nBatches > batches);
        } else {
            QTest::qWait(50);
            QCOMPARE(m_app->m_nBatches, batches);
        }
    }

    QTemporaryDir m_settingsDir;
    COrloApp* m_app = nullptr;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_settingsDir.isValid());
        RedirectSettings(m_settingsDir);
        ClearProfile();
    }

    void init() {
        m_app = new COrloApp;
        QVERIFY(m_app->InitInstance());
        QTRY_VERIFY(m_app->m_nBatches > 0);
    }

    void cleanup() {
        if (m_app->m_pMainWnd) m_app->m_pMainWnd->close();
        delete m_app;
        m_app = nullptr;
    }

    void OpeningPausesWiresAndFills() {
        CDebugDlg* dlg = Open();
        QVERIFY(dlg && dlg->isVisible());
        ExpectRunning(false);
        if (QTest::currentTestFailed()) return;
        Settle();
        QCOMPARE(dlg->m_wndMain->ValueField(CStat09::kPC)->text(),
                 QString("%1").arg(View().m_main.m_reg.PC, 4, 16, QChar('0')).toUpper());
        QCOMPARE(dlg->m_wndMain->TraceLine(0)->text(), QString());
        for (const CStatPage* page : {(CStatPage*)&dlg->m_pageMain, (CStatPage*)&dlg->m_pageSub,
                                      (CStatPage*)&dlg->m_pageZ80})
            QCOMPARE(page->m_nCount, 1);
        // Each tab switch leaves one page visible.
        CStatPageWidget* pages[] = {dlg->m_wndMain, dlg->m_wndSub, dlg->m_wndZ80};
        for (int index : {0, 1, 2, 0, 2, 1}) {
            dlg->m_tabCpu->setCurrentIndex(index);
            for (int i = 0; i < 3; ++i)
                QCOMPARE(pages[i]->isVisible(), i == index);
        }
    }

    void StepOneRunsOnePair() {
        CDebugDlg* dlg = Open();
        const int mainLines = dlg->m_pageMain.m_nCount, subLines = dlg->m_pageSub.m_nCount;
        Step("1");
        const REG09& main = View().m_main.m_reg;
        QCOMPARE(dlg->m_pageMain.m_nCount, mainLines + ((main.signals & SIG_HALT) ? 0 : 1));
        QCOMPARE(dlg->m_pageSub.m_nCount,
                 subLines + ((View().m_sub.m_reg.signals & SIG_HALT) ? 0 : 1));
        // The bottom line is the instruction that executes next.
        if (!(main.signals & SIG_HALT))
            QCOMPARE(dlg->m_wndMain->TraceLine(0)->text().left(4),
                     QString("%1").arg(main.PC, 4, 16, QChar('0')).toUpper());
    }

    void StepTenThousandKeepsTheLast512Lines() {
        CDebugDlg* dlg = Open();
        // The display processor waits for the main board most of the time; let it run a
        // loop in its RAM so that both pages see thousands of lines.
        CSubCpu& sub = View().m_sub;
        sub.WriteByte(0x9000, 0x20); // BRA *
        sub.WriteByte(0x9001, 0xFE);
        sub.m_reg.PC = 0x9000;
        sub.m_reg.wait = 0;
        View().m_main.m_io[0x005] &= 0x3F; // not held, not cancelled
        View().m_main.m_io[0x105] &= 0x7F; // not waiting for the handshake
        // Enter presses STEP.
        dlg->activateWindow();
        dlg->m_editStep->setFocus();
        dlg->m_editStep->setText("10000");
        QTest::keyClick(dlg->m_editStep, Qt::Key_Return);
        Settle();
        QCOMPARE(dlg->m_pageMain.m_nCount, 512);
        QCOMPARE(dlg->m_pageSub.m_nCount, 512);
        QCOMPARE(dlg->m_wndMain->TraceLine(7)->text(),
                 QString::fromStdString(dlg->m_pageMain.m_strLine[7]));
    }

    void BadCountsShowTheMessageAndRunNothing() {
        CDebugDlg* dlg = Open();
        const QString range = "1 から 10000 までの整数を入力してください。";
        for (auto [bad, message] : {std::pair<const char*, QString>{"0", range},
                                    {"10001", range},
                                    {"abc", "整数を入力してください。"}}) {
            const uint16_t pc = View().m_main.m_reg.PC;
            const int lines = dlg->m_pageMain.m_nCount;
            QString shown;
            OnNextModal<QMessageBox>([&](QMessageBox* box) {
                shown = box->text();
                box->accept();
            });
            Step(bad);
            QCOMPARE(shown, message);
            QCOMPARE(View().m_main.m_reg.PC, pc);
            QCOMPARE(dlg->m_pageMain.m_nCount, lines);
            QCOMPARE(View().m_pDebugDlg, dlg);
        }
    }

    void ContinueResumesAndReopensEmpty() {
        // CONTINUE, Escape, the close box and a hard reset all close the debugger through
        // the view.
        const std::function<void(CDebugDlg*)> closers[] = {
            [](CDebugDlg* dlg) { dlg->m_btnContinue->click(); },
            [](CDebugDlg* dlg) {
                dlg->activateWindow();
                QTest::keyClick(dlg, Qt::Key_Escape);
            },
            [](CDebugDlg* dlg) { dlg->close(); },
            [this](CDebugDlg*) { m_app->m_pMainWnd->OnCmdMsg(ID_HARD_RESET); }};
        for (const auto& close : closers) {
            CDebugDlg* dlg = Open();
            QCOMPARE(dlg->m_pageMain.m_nCount, 1);
            QCOMPARE(dlg->m_pageZ80.m_nCount, 1);
            Step("100");
            QVERIFY(dlg->m_pageMain.m_nCount > 1);
            close(dlg);
            Settle();
            ExpectRunning(true);
            if (QTest::currentTestFailed()) return;
        }
    }

    void Z80CardOffAndOn() {
        CDebugDlg* dlg = Open();
        View().m_main.WriteByte(0xFD05, View().m_main.m_io[0x005] & ~0x01);
        Step("20");
        QCOMPARE(dlg->m_pageZ80.m_nCount, 1);
        QCOMPARE(dlg->m_wndZ80->ValueField(CStatZ80::kHalt)->text(), QString("HALT"));

        View().m_main.WriteByte(0xFD05, 0x01);
        Step("1");
        const int mainLines = dlg->m_pageMain.m_nCount;
        Step("25");
        QCOMPARE(dlg->m_pageMain.m_nCount, mainLines);
        QCOMPARE(dlg->m_pageZ80.m_nCount, 1 + 26);
        QCOMPARE(dlg->m_wndMain->ValueField(CStat09::kHalt)->text(), QString("HALT"));
        QCOMPARE(dlg->m_wndZ80->ValueField(CStatZ80::kHalt)->text(), QString());
    }

    void MainWindowClosedWhileOpen() {
        Open();
        Step("10");
        QPointer<CDebugDlg> dlg = View().m_pDebugDlg;
        m_app->m_pMainWnd->close();
        QVERIFY(!dlg);
        QCOMPARE(View().m_main.m_pStat, nullptr);
        QCOMPARE(View().m_sub.m_pStat, nullptr);
        // A CONTINUE still queued then opens nothing.
        View().PostCommand(ID_CPU_DEBUG);
        Settle();
        QCOMPARE(View().m_pDebugDlg, nullptr);
    }

    // A run of updates shows nothing until the UI thread is back, then all of it; then each
    // scroll bar action from where the one before left the bar.
    void RefreshAfterTheRunAndScrollBarActions() {
        CStat09 model;
        CStat09Page page(model, nullptr);
        Append(model, 1, 20);
        QCOMPARE(page.TraceLine(0)->text(), QString()); // nothing during the run...
        QCoreApplication::processEvents();              // ...all once the UI thread is back
        QCOMPARE(page.ValueField(CStat09::kPC)->text(), QString("0014"));
        QCOMPARE(page.TraceLine(7)->text(), QString("L13"));
        QScrollBar* bar = page.ScrollBar();
        // Position p shows Lp at the bottom; no action first: where the run left the bar.
        using A = QAbstractSlider;
        const std::pair<A::SliderAction, int> steps[] = {
            {A::SliderNoAction, 20},      {A::SliderSingleStepSub, 19}, {A::SliderPageStepSub, 12},
            {A::SliderSingleStepAdd, 13}, {A::SliderPageStepAdd, 20},   {A::SliderToMinimum, 0},
            {A::SliderSingleStepSub, 0},  {A::SliderPageStepAdd, 7},    {A::SliderToMaximum, 20}};
        for (auto [action, value] : steps) {
            bar->triggerAction(action);
            QCOMPARE(bar->value(), value);
            QCOMPARE(page.TraceLine(0)->text(), value ? QString("L%1").arg(value) : QString());
        }
        // A thumb dragged beyond the lines held comes back to the newest.
        bar->triggerAction(A::SliderToMinimum);
        bar->setSliderPosition(300);
        QCOMPARE(bar->value(), 20);
        QCOMPARE(model.m_nScrollPos, 20);
        QCOMPARE(page.TraceLine(0)->text(), QString("L20"));
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
