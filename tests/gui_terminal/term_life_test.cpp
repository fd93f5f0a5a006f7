// A terminal's life: opened with its window, closed by the user (the model lives on
// without a window), deleted with or without its window.
#include <QPointer>
#include <QTest>

#include "term_test_util.h"

class TermLifeTest : public QObject {
    Q_OBJECT

    static void DeleteLater() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private Q_SLOTS:
    void openShowsTheWindowAtTheTopLeft() {
        CTerm* term = OpenTermWindow(3);
        auto* wnd = dynamic_cast<CTermWnd*>(term->m_pWnd);
        QVERIFY(wnd);
        QCOMPARE(wnd->Term(), term);
        QCOMPARE(wnd->windowTitle(), QString("USART 3"));
        QVERIFY(wnd->isVisible());
        QVERIFY(wnd->isWindow());
        QCOMPARE(wnd->parentWidget(), nullptr);
        QCOMPARE(wnd->frameGeometry().topLeft(), QPoint(0, 0));
        QVERIFY(!wnd->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(term->HasWindow());
        QCOMPARE(term->m_bInput, 1);
        QPointer<CTermWnd> guard(wnd);
        CloseTermWindow(term);
        DeleteLater();
        QVERIFY(!guard);
    }

    void userCloseKeepsTheModel() {
        CTerm* term = OpenTermWindow(0);
        QPointer<CTermWnd> wnd(dynamic_cast<CTermWnd*>(term->m_pWnd));
        Feed(*term, "before");
        QVERIFY(wnd->close());
        QVERIFY(!term->HasWindow());
        QCOMPARE(term->m_pWnd, nullptr);
        DeleteLater();
        QVERIFY(!wnd);
        Feed(*term, "\r\nafter"); // still interpreted, drawn nowhere
        QCOMPARE(term->ScreenRow(1)[0].ch, uint8_t('a'));
        term->PutKey('k');
        QCOMPARE(term->m_nInCount, 1);
        CloseTermWindow(term);
    }

    void closeWithCommandsPending() {
        // The window goes while a caret command and a repaint are still queued for it.
        CTerm* term = OpenTermWindow(1);
        QPointer<CTermWnd> wnd(dynamic_cast<CTermWnd*>(term->m_pWnd));
        Feed(*term, "abc");
        CloseTermWindow(term);
        QCoreApplication::processEvents();
        DeleteLater();
        QVERIFY(!wnd);
    }

    void guestOutputOpensTheWindow() {
        QSKIP("needs the main board's serial ports: a guest program raising DTR on port 0 "
              "and printing through it");
    }
};

QTEST_MAIN(TermLifeTest)
#include "term_life_test.moc"
