// The debugger dialog on its own: texts, what it posts, the step count check with its
// messages, tab switching.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QtTest>
#include <vector>

#include "debugger/qt/debug_dlg.h"
#include "debugger/qt/stat_page_widget.h"
#include "platform/wnd.h"

class DialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void Opening();
    void StepPostsAfterGoodCount();
    void EnterPressesStep();
    void BadCountsShowMessage_data();
    void BadCountsShowMessage();
    void ContinueEscapeAndCloseBox();
    void TabSwitchShowsOnePage();

private:
    // Close the next modal message box and return its text (empty if none came).
    QString RunAndCloseMessage(const std::function<void()>& action);

    CDebugDlg* m_dlg = nullptr;
    std::vector<unsigned> m_posted;
};

QString DialogTest::RunAndCloseMessage(const std::function<void()>& action) {
    QString text;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
        }
    });
    action();
    return text;
}

void DialogTest::init() {
    m_posted.clear();
    m_dlg = new CDebugDlg(nullptr, [this](unsigned id) { m_posted.push_back(id); });
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
}

void DialogTest::cleanup() {
    delete m_dlg;
    m_dlg = nullptr;
}

void DialogTest::Opening() {
    QCOMPARE(m_dlg->windowTitle(), QString("CPUデバッグ"));
    QCOMPARE(m_dlg->m_tabCpu->count(), 3);
    QCOMPARE(m_dlg->m_tabCpu->tabText(0), QString("MAIN 6309"));
    QCOMPARE(m_dlg->m_tabCpu->tabText(1), QString("SUB 6309"));
    QCOMPARE(m_dlg->m_tabCpu->tabText(2), QString("MAIN Z80"));
    QCOMPARE(m_dlg->m_tabCpu->currentIndex(), 0);
    QCOMPARE(m_dlg->m_editStep->text(), QString("1"));
    QCOMPARE(m_dlg->m_nStep, 1);
    QVERIFY(m_dlg->m_btnStep->isDefault());
    QCOMPARE(m_dlg->m_btnStep->text(), QString("STEP"));
    QCOMPARE(m_dlg->m_btnContinue->text(), QString("CONTINUE"));
    QVERIFY(m_dlg->m_wndMain->isVisible());
    QVERIFY(!m_dlg->m_wndSub->isVisible());
    QVERIFY(!m_dlg->m_wndZ80->isVisible());
    QVERIFY(!m_dlg->isModal());
    QVERIFY(m_posted.empty());
}

void DialogTest::StepPostsAfterGoodCount() {
    m_dlg->m_editStep->setText("250");
    QString message = RunAndCloseMessage([&] { m_dlg->m_btnStep->click(); });
    QCOMPARE(message, QString());
    QCOMPARE(m_dlg->m_nStep, 250);
    QCOMPARE(m_posted, std::vector<unsigned>{ID_DEBUG_STEP});
}

void DialogTest::EnterPressesStep() {
    m_dlg->activateWindow();
    m_dlg->m_editStep->setFocus();
    m_dlg->m_editStep->setText("10000");
    QTest::keyClick(m_dlg->m_editStep, Qt::Key_Return);
    QCOMPARE(m_dlg->m_nStep, 10000);
    QCOMPARE(m_posted, std::vector<unsigned>{ID_DEBUG_STEP});
}

void DialogTest::BadCountsShowMessage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString notInt = "整数を入力してください。";
    const QString range = "1 から 10000 までの整数を入力してください。";
    QTest::newRow("zero") << "0" << range;
    QTest::newRow("above") << "10001" << range;
    QTest::newRow("negative") << "-3" << range;
    QTest::newRow("letters") << "abc" << notInt;
    QTest::newRow("empty") << "" << notInt;
    QTest::newRow("trailing") << "5x" << notInt;
}

void DialogTest::BadCountsShowMessage() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    m_dlg->m_editStep->setText("7");
    m_dlg->m_btnStep->click();
    m_posted.clear();

    m_dlg->m_editStep->setText(text);
    QCOMPARE(RunAndCloseMessage([&] { m_dlg->m_btnStep->click(); }), message);
    QVERIFY(m_posted.empty());
    QCOMPARE(m_dlg->m_nStep, 7);
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_dlg->focusWidget(), m_dlg->m_editStep);
    QCOMPARE(m_dlg->m_editStep->selectedText(), text);
}

void DialogTest::ContinueEscapeAndCloseBox() {
    m_dlg->m_btnContinue->click();
    QCOMPARE(m_posted, std::vector<unsigned>{ID_CPU_DEBUG});
    QVERIFY(m_dlg->isVisible());

    m_dlg->activateWindow();
    QTest::keyClick(m_dlg, Qt::Key_Escape);
    QCOMPARE(m_posted, (std::vector<unsigned>{ID_CPU_DEBUG, ID_CPU_DEBUG}));
    QVERIFY(m_dlg->isVisible());

    // The close box: the dialog posts and stays; the owner decides.
    QVERIFY(!m_dlg->close());
    QCOMPARE(m_posted.size(), 3u);
    QCOMPARE(m_posted.back(), unsigned(ID_CPU_DEBUG));
    QVERIFY(m_dlg->isVisible());
}

void DialogTest::TabSwitchShowsOnePage() {
    CStatPageWidget* pages[] = {m_dlg->m_wndMain, m_dlg->m_wndSub, m_dlg->m_wndZ80};
    for (int index : {1, 2, 0, 2, 1, 0}) {
        m_dlg->m_tabCpu->setCurrentIndex(index);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(pages[i]->isVisible(), i == index);
    }
    // A hidden page is fed all the same and shows its state when selected.
    REGZ80 reg{};
    reg.PC = 0x4321;
    m_dlg->m_pageZ80.Update(&reg, "4321 NOP");
    m_dlg->m_tabCpu->setCurrentIndex(2);
    QCOMPARE(m_dlg->m_wndZ80->ValueField(CStatZ80::kPC)->text(), QString("4321"));
    QCOMPARE(m_dlg->m_wndZ80->TraceLine(0)->text(), QString("4321 NOP"));
}

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
