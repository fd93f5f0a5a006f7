// What the user gives a terminal window: keys, input-method text, paste, the mouse
// selection with its copied text, and the font command.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>
#include <tuple>

#include "term_test_util.h"
#include "tests/gui_shell/shell_test_env.h" // OnNextModal

using namespace std::literals;

namespace {

QPoint CellPoint(int col, int line) {
    return QPoint(col * 8 + 3, line * 16 + 5);
}
} // namespace

class TermInputTest : public QObject, TermWindowTest {
    Q_OBJECT

    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint pt) {
        Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        if (type == QEvent::MouseMove) held = Qt::LeftButton;
        QMouseEvent e(type, pt, m_wnd->mapToGlobal(pt), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(m_wnd, &e);
    }
    void Drag(QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, from);
        Mouse(QEvent::MouseMove, Qt::NoButton, to);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, to);
    }
    QRect ImeRect() {
        QInputMethodQueryEvent q(Qt::ImCursorRectangle);
        QCoreApplication::sendEvent(m_wnd, &q);
        return q.value(Qt::ImCursorRectangle).toRect();
    }
    QString Clip() { return QGuiApplication::clipboard()->text(); }

private Q_SLOTS:
    void init() {
        Open("USART 1");
        m_wnd->show();
        QVERIFY(QTest::qWaitForWindowActive(m_wnd));
        m_wnd->setFocus();
    }
    void cleanup() { Close(); }

    void keys() {
        Feed(T(), "\x14\x0e"
                  "x\x08\x00\x00\x2a\x03\x03"
                  "abc\x03"sv); // F3 = "abc"
        const int shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        const std::tuple<const char*, Qt::Key, int, QByteArray> rows[] = {
            {"Page Up", Qt::Key_PageUp, 0, "\x0c"},
            {"Ctrl+Shift+Page Up", Qt::Key_PageUp, ctrl | shift, "\x16"},
            {"Home", Qt::Key_Home, 0, "\x0b"},
            {"Shift+Left", Qt::Key_Left, shift, "\x02"},
            {"Delete", Qt::Key_Delete, 0, "\x7f"},
            {"F3 defined", Qt::Key_F3, 0, "abc"},
            {"F10", Qt::Key_F10, 0, {}},
            {"Ctrl+@", Qt::Key_At, ctrl, QByteArray("\0", 1)},
            {"Ctrl+[", Qt::Key_BracketLeft, ctrl, "\x1b"},
            {"Ctrl+1", Qt::Key_1, ctrl, {}},
            {"Return", Qt::Key_Return, 0, "\r"}};
        for (const auto& [name, key, mods, bytes] : rows) {
            QTest::keyClick(m_wnd, key, Qt::KeyboardModifiers(mods));
            QVERIFY2(QByteArray::fromStdString(Drain(T())) == bytes, name);
        }
    }

    void typedText() {
        QTest::keyClick(m_wnd, '@');
        QTest::sendKeyEvent(QTest::Click, m_wnd, Qt::Key_unknown, QString("あ"), Qt::NoModifier);
        QCOMPARE(Drain(T()), "@\x82\xa0");
        QInputMethodEvent preedit("にほ", {});
        QCoreApplication::sendEvent(m_wnd, &preedit);
        QCOMPARE(Drain(T()), "");
        QInputMethodEvent commit;
        commit.setCommitString("日本");
        QCoreApplication::sendEvent(m_wnd, &commit);
        QCOMPARE(Drain(T()), "\x93\xfa\x96\x7b");
        // The composition window sits at the cursor, and moves with the caret.
        QCOMPARE(ImeRect(), QRect(0, 0, 8, 16));
        Feed(T(), "\r\n\t");
        QCoreApplication::sendPostedEvents(m_wnd);
        QCOMPARE(ImeRect(), QRect(64, 16, 8, 16));
    }

    void paste() {
        QGuiApplication::clipboard()->setText("ab\ncd\r\ne\rf\n");
        QTest::mouseDClick(m_wnd, Qt::RightButton, {}, CellPoint(3, 3));
        QCOMPARE(Drain(T()), "ab\rcd\re\rf\r");

        QGuiApplication::clipboard()->setText(QString(2000, 'z'));
        QTest::mouseDClick(m_wnd, Qt::RightButton, {}, CellPoint(3, 3));
        QCOMPARE(Drain(T()), std::string(1024, 'z'));
    }

    void doubleClickSelectsAWord() {
        Feed(T(), "x, hello world!");
        QGuiApplication::clipboard()->setText("old");
        Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, CellPoint(8, 0)); // the blank
        // Shown reversed while selected, copied on release.
        QVERIFY(Shows(Grab(*m_wnd, 3, 0), Pal(0), Pal(7)));
        QCOMPARE(Clip(), QString("old"));
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, CellPoint(8, 0));
        QCOMPARE(Clip(), QString("hello world"));
        QVERIFY(Shows(Grab(*m_wnd, 3, 0), Pal(7), Pal(0)));
    }

    void copiedText() {
        Feed(T(), std::string(80, 'a') + std::string(80, 'b') + "short\r\nnext\r\n" +
                      "abcdefghij\r\n          x");
        const std::tuple<const char*, QPoint, QPoint, QString> rows[] = {
            {"two full lines run on", {0, 0}, {79, 1}, QString(80, 'a') + QString(80, 'b')},
            {"a short line ends with LF", {0, 2}, {10, 3}, "short\nnext"},
            {"leading blanks left of the start column only", {8, 4}, {20, 5}, "ij\n  x"},
            {"above the window: first line", {6, 1}, {2, -3}, QString(78, 'a') + QString(7, 'b')}};
        for (const auto& [name, from, to, text] : rows) {
            Drag(CellPoint(from.x(), from.y()), CellPoint(to.x(), to.y()));
            QVERIFY2(Clip() == text, name);
        }
    }

    void dragEndsSwap() {
        auto at = [](int cell) { return CellPoint(cell % 80, cell / 80); };
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, at(100));
        Mouse(QEvent::MouseMove, Qt::NoButton, at(50));
        QCOMPARE(QPoint(T().m_nSelStart, T().m_nSelEnd), QPoint(50, 100));
        Mouse(QEvent::MouseMove, Qt::NoButton, at(120));
        QCOMPARE(QPoint(T().m_nSelStart, T().m_nSelEnd), QPoint(100, 120));
        for (int c = 99; c <= 121; ++c)
            QCOMPARE(bool(T().ViewRow(c / 80)[c % 80].attr & ATTR_SELECT), c >= 100 && c <= 120);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, at(30));
        QCOMPARE(QPoint(T().m_nSelStart, T().m_nSelEnd), QPoint(30, 100));
        QCOMPARE(T().ViewRow(1)[20].attr & ATTR_SELECT, 0);
    }

    void selectionInTheHistory() {
        for (int i = 0; i < 30; ++i)
            Feed(T(), "row" + std::to_string(i) + "\r\n");
        m_wnd->ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, CellPoint(0, 0));
        Mouse(QEvent::MouseMove, Qt::NoButton, CellPoint(4, 0));
        Feed(T(), "z\r\n"); // output during the drag moves the lines under the highlight
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, CellPoint(4, 0));
        for (int r = 0; r < CTerm::kRingRows; ++r)
            for (int c = 0; c < 80; ++c)
                QCOMPARE(T().m_pCells[r * 80 + c].attr & ATTR_SELECT, 0);
    }

    // The dialog opens on the font in use, whether or not the font database counts its
    // family as fixed pitch (the default Japanese font is dual-width); OK without a change
    // changes nothing, a size picked in it is taken.
    void fontDialogOpensOnTheFontInUse_data() {
        QTest::addColumn<QString>("family"); // empty: the default font
        QTest::addColumn<QString>("style");
        QTest::addColumn<int>("points");
        QTest::newRow("default") << QString() << QString() << 0;
        QTest::newRow("fixed pitch, bold") << "DejaVu Sans Mono"
                                           << "Bold" << 13;
    }
    void fontDialogOpensOnTheFontInUse() {
        QFETCH(QString, family);
        QFETCH(QString, style);
        QFETCH(int, points);
        if (!family.isEmpty()) {
            QFont f(family);
            f.setStyleName(style);
            f.setPointSize(points);
            if (QFontInfo(f).family() != family) QSKIP("the font is not installed");
            const QSize cell = CTermWnd::CellSizeOf(f);
            m_wnd->SetTermFont(f, cell.width(), cell.height());
        }
        const QFont before = m_wnd->TermFont();
        const QFontInfo inUse(before);
        const QSize size = m_wnd->size();
        QFont opened;
        OnNextModal<QFontDialog>([&](QFontDialog* dlg) {
            opened = dlg->currentFont();
            dlg->accept();
        });
        m_wnd->OnFontCommand();
        QCOMPARE(opened.family(), inUse.family());
        QCOMPARE(QFontDatabase::styleString(opened), inUse.styleName());
        QCOMPARE(opened.pointSize(), inUse.pointSize());
        QCOMPARE(m_wnd->TermFont(), before);
        QCOMPARE(m_wnd->size(), size);

        OnNextModal<QFontDialog>([&](QFontDialog* dlg) {
            QFont f = dlg->currentFont();
            f.setPointSize(f.pointSize() + 6);
            dlg->setCurrentFont(f);
            dlg->accept();
        });
        m_wnd->OnFontCommand();
        const QFontInfo chosen(m_wnd->TermFont());
        QCOMPARE(chosen.family(), inUse.family());
        QCOMPARE(chosen.pointSize(), inUse.pointSize() + 6);
        QCOMPARE(QSize(T().m_cxCell, T().m_cyCell), CTermWnd::CellSizeOf(m_wnd->TermFont()));
    }

    // A font picked through the command: the window fits 80 x 25 of its cells, and the
    // text, the caret and the selection use them; a cancelled command changes nothing.
    void fontCommand() {
        QFont font = m_wnd->TermFont();
        font.setPixelSize(2 * font.pixelSize());
        int asked = 0;
        m_wnd->m_chooseFont = [&](QWidget*, const QFont&) -> std::optional<QFont> {
            ++asked;
            return asked == 1 ? std::nullopt : std::optional(font);
        };
        QTRY_COMPARE(T().m_nCaretState, int(CARET_SHOWN));
        Feed(T(), "abcb\r\nde");
        QCoreApplication::sendPostedEvents(m_wnd);

        m_wnd->OnFontCommand(); // cancelled
        QCOMPARE(m_wnd->ClientWidth(), 640);
        m_wnd->OnFontCommand();
        QCOMPARE(asked, 2);
        const QSize cell = CTermWnd::CellSizeOf(font);
        const int cx = cell.width(), cy = cell.height(), bar = m_wnd->ScrollBar()->width();
        QVERIFY(cx > 8 && cy > 16);
        QCOMPARE(m_wnd->size(), QSize(80 * cx + bar, 25 * cy));
        QCOMPARE(m_wnd->ScrollBar()->geometry(), QRect(80 * cx, 0, bar, 25 * cy));
        QCOMPARE(m_wnd->CaretRect(), QRect(2 * cx, cy, cx, cy));
        QCOMPARE(LineMismatch(*m_wnd, 0, "abcb"), -1);
        const QFontMetrics metrics(font);
        QCOMPARE(FirstTextRow(Grab(*m_wnd, 1, 0)),
                 metrics.ascent() + metrics.tightBoundingRect("b").top());
        // The model's invalidations and the selection use the new cell size.
        Drag(QPoint(2 * cx + 5, 5), QPoint(5, cy + 5));
        QCOMPARE(Clip(), QString("cb\nd"));
    }
};

QTEST_MAIN(TermInputTest)
#include "term_input_test.moc"
