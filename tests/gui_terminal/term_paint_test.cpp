// The terminal window's frame, painting, scroll-back and caret, on the offscreen platform;
// its life: opened with its window, closed by the user (the model lives on without a
// window), deleted with commands still queued for its window.
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <tuple>

#include "term_test_util.h"

class TermPaintTest : public QObject, TermWindowTest {
    Q_OBJECT

    void Set(int col, int row, uint8_t ch, uint8_t fg, uint8_t bg, uint8_t attr) {
        T().ScreenRow(row)[col] = TERMCELL{fg, bg, attr, ch};
    }
    static void DeleteLater() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init() { Open("USART 0"); }
    void cleanup() { Close(); }

    void frameAndText() {
        QCOMPARE(m_wnd->size(), QSize(640 + m_wnd->ScrollBar()->width(), 400));
        QCOMPARE(m_wnd->minimumSize(), m_wnd->maximumSize()); // not sizable
        QVERIFY(!(m_wnd->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(m_wnd->ScrollBar()->maximum(), 999);
        Feed(T(), "Hello, world\r\nsecond line");
        QCOMPARE(LineMismatch(*m_wnd, 0, "Hello, world"), -1);
        QCOMPARE(LineMismatch(*m_wnd, 1, "second line"), -1);
        const QFontMetrics font(m_wnd->TermFont());
        QCOMPARE(FirstTextRow(Grab(*m_wnd, 0, 0)),
                 font.ascent() + font.tightBoundingRect("H").top());
    }

    // Colours and attributes of one cell 'A' with fg 2 and bg 4, and what is drawn.
    void attributes() {
        const std::tuple<const char*, int, int, int, bool> rows[] = {
            {"plain", 0, 2, 4, true},
            {"secret beats bright", ATTR_SECRET | ATTR_BRIGHT, 4, 4, false},
            {"blink as reverse", ATTR_BLINK, 4, 2, true},
            {"selected reverse", ATTR_SELECT | ATTR_REVERSE, 2, 4, true},
            {"reverse bright", ATTR_REVERSE | ATTR_BRIGHT, 4, 10, true},
            {"underline", ATTR_UNDER, 2, 4, true}};
        for (const auto& [name, attr, fore, back, visible] : rows) {
            Set(5, 3, 'A', 2, 4, uint8_t(attr));
            Set(6, 3, 0, 2, 4, uint8_t(attr)); // an empty cell of the same run
            // The underline is the cell's bottom row in the text colour.
            const QImage cells = Grab(*m_wnd, 5, 3, 2), text = cells.copy(0, 0, 16, 15);
            const QImage bottom = cells.copy(0, 15, 16, 1);
            QVERIFY2(visible ? Shows(text, Pal(fore), Pal(back)) : Colours(text) == QSet{Pal(back)},
                     name);
            QVERIFY2(Colours(text.copy(8, 0, 8, 15)) == QSet{Pal(back)}, name);
            QVERIFY2(Colours(bottom) == QSet{Pal(attr & ATTR_UNDER ? fore : back)}, name);
            QVERIFY2(Colours(Grab(*m_wnd, 7, 3)) == QSet{Pal(0)}, name);
        }
    }

    void doubleByteCharacter() {
        Feed(T(), "ab\x8a\xbf"
                  "c\r\n\x8a\xc0"); // a, b, a kanji, c; below another of the same lead byte
        const QImage whole = Grab(*m_wnd, 2, 0, 2), right = whole.copy(8, 0, 8, 16);
        QVERIFY(Shows(whole.copy(0, 0, 8, 16), Pal(7), Pal(0)) && Shows(right, Pal(7), Pal(0)));
        QVERIFY(whole.copy(0, 0, 8, 16) != Grab(*m_wnd, 0, 1)); // a character, not two bytes
        QVERIFY(Shows(Grab(*m_wnd, 4, 0), Pal(7), Pal(0)));
        // An update of the right half alone still draws the character's right half.
        QImage img(8, 16, QImage::Format_RGB32);
        img.fill(Qt::magenta);
        m_wnd->render(&img, QPoint(), QRegion(24, 0, 8, 16)); // drawn at the image's origin
        QCOMPARE(img, right);
    }

    void scrollBack() {
        for (int i = 0; i < 34; ++i)
            Feed(T(), "line " + std::to_string(i) + "\r\n"); // 10 lines of history
        QScrollBar* sb = m_wnd->ScrollBar();
        QCOMPARE(sb->value(), 10);
        sb->triggerAction(QAbstractSlider::SliderSingleStepSub); // line up
        QCOMPARE(T().ScrollBack(), 1);
        QCOMPARE(LineMismatch(*m_wnd, 0, "line 9"), -1);
        sb->triggerAction(QAbstractSlider::SliderPageStepSub); // stops at the oldest line
        QCOMPARE(T().ScrollBack(), 10);
        QCOMPARE(sb->value(), 0);
        sb->setSliderPosition(7); // thumb dragged: position 7 is 3 lines back
        QCOMPARE(T().ScrollBack(), 3);
        sb->setSliderPosition(500); // beyond the history: the live screen
        QCOMPARE(T().ScrollBack(), 0);
        QCOMPARE(sb->value(), 10);
        sb->triggerAction(QAbstractSlider::SliderToMinimum);
        Feed(T(), "x\r\n"); // output returns to the live screen, the bar follows the scroll
        QVERIFY(T().IsLive());
        QCOMPARE(sb->value(), 11);
        QCOMPARE(LineMismatch(*m_wnd, 0, "line 11"), -1);
    }

    void caretFollowsFocusAndCursor() {
        m_wnd->show();
        QVERIFY(QTest::qWaitForWindowActive(m_wnd));
        m_wnd->setFocus();
        QTRY_COMPARE(T().m_nCaretState, int(CARET_SHOWN));
        QCOMPARE(m_wnd->CaretRect(), QRect(0, 0, 8, 16));
        // The caret inverts its cell: white on an empty black screen.
        QVERIFY(Colours(Grab(*m_wnd, 0, 0)) == QSet{QColor(Qt::white).rgb()});
        Feed(T(), "abc");
        QCOMPARE(m_wnd->CaretRect().topLeft(), QPoint(0, 0)); // moves when the command arrives
        QCoreApplication::sendPostedEvents(m_wnd);
        QCOMPARE(m_wnd->CaretRect().topLeft(), QPoint(24, 0));

        // Scrolled back the caret hides (output bringing it back is the model's rule).
        for (int i = 0; i < 30; ++i)
            Feed(T(), "\r\n");
        m_wnd->ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QVERIFY(!m_wnd->CaretVisible());

        // The interpreter switches the cursor off and on again.
        Feed(T(), "\x1b[1vq");
        QCoreApplication::sendPostedEvents(m_wnd);
        QCOMPARE(T().m_nCaretState, int(CARET_OFF));
        QVERIFY(!m_wnd->CaretVisible());
        Feed(T(), "\x1b[0v");
        QCoreApplication::sendPostedEvents(m_wnd);
        QVERIFY(m_wnd->CaretVisible());

        // Focus out and in.
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(m_wnd, &out);
        QCOMPARE(T().m_nCaretState, int(CARET_NOFOCUS));
        QVERIFY(!m_wnd->CaretVisible());
        Feed(T(), "\x1b[1v");
        QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(m_wnd, &in);
        QCOMPARE(T().m_nCaretState, int(CARET_OFF));
        QVERIFY(!m_wnd->CaretVisible());
    }

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

QTEST_MAIN(TermPaintTest)
#include "term_paint_test.moc"
