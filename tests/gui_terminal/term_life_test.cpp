// A terminal's life: opened with its window, closed by the user (the model lives on
// without a window), deleted with commands still queued for its window.
#include <QPointer>
#include <QTest>

#include "term_test_util.h"

class TermLifeTest : public QObject {
    Q_OBJECT

    static void DeleteLater() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void openShowsTheWindowAtTheTopLeft() {
        CTerm* term = OpenTermWindow(3);
        QPointer<CTermWnd> wnd(dynamic_cast<CTermWnd*>(term->m_pWnd));
        QVERIFY(wnd);
        QCOMPARE(wnd->windowTitle(), QString("USART 3"));
        QVERIFY(wnd->isVisible() && wnd->isWindow());
        QCOMPARE(wnd->frameGeometry().topLeft(), QPoint(0, 0));
        QVERIFY(!wnd->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(term->m_bInput, 1);
        Feed(*term, "abc"); // a caret command and a repaint stay queued
        CloseTermWindow(term);
        QCoreApplication::processEvents();
        DeleteLater();
        QVERIFY(!wnd);
    }

    void userCloseKeepsTheModel() {
        CTerm* term = OpenTermWindow(0);
        QPointer<CTermWnd> wnd(dynamic_cast<CTermWnd*>(term->m_pWnd));
        QVERIFY(wnd->close());
        QVERIFY(!term->HasWindow());
        DeleteLater();
        QVERIFY(!wnd);
        Feed(*term, "\r\nafter"); // still interpreted, drawn nowhere
        QCOMPARE(term->ScreenRow(1)[0].ch, uint8_t('a'));
        CloseTermWindow(term);
    }
};

QTEST_MAIN(TermLifeTest)
#include "term_life_test.moc"
