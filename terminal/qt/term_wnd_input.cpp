// Terminal input: keys and typed characters, input-method commits, the mouse selection
// with copy, right double-click paste, and the context menu with the font command.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <optional>

#include "platform/cp932.h"
#include "terminal/qt/term_wnd.h"
#include "terminal/term_keys.h"
#include "terminal/term_select.h"

namespace {

std::optional<TermKey> KeyOf(int key) {
    switch (key) {
    case Qt::Key_PageUp: return TermKey::PageUp;
    case Qt::Key_PageDown: return TermKey::PageDown;
    case Qt::Key_End: return TermKey::End;
    case Qt::Key_Home: return TermKey::Home;
    case Qt::Key_Left: return TermKey::Left;
    case Qt::Key_Up: return TermKey::Up;
    case Qt::Key_Right: return TermKey::Right;
    case Qt::Key_Down: return TermKey::Down;
    case Qt::Key_Insert: return TermKey::Insert;
    case Qt::Key_Delete: return TermKey::Delete;
    default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F10)
        return TermKey(int(TermKey::F1) + key - Qt::Key_F1);
    return std::nullopt;
}

// The control byte a key gives on its own or with Ctrl, as a typed character; -1 when
// the key types its text instead (or nothing, with Ctrl).
int ControlByte(int key, bool ctrl) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Escape: return 0x1B;
    default: break;
    }
    if (!ctrl) return -1;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key - Qt::Key_A + 1;
    if (key == Qt::Key_BracketLeft) return 0x1B;
    if (key == Qt::Key_Backslash) return 0x1C;
    if (key == Qt::Key_BracketRight) return 0x1D;
    return -1;
}

void PutBytes(CTerm& t, const std::string& bytes) {
    for (char c : bytes)
        t.PutKey(uint8_t(c));
}

} // namespace

bool CTermWnd::focusNextPrevChild(bool) {
    return false; // Tab belongs to the terminal
}

// Shift and Ctrl follow the key events this window receives: a modifier's own press
// and release set and clear its bit, and every other key brings the bits up to date.
void CTermWnd::keyPressEvent(QKeyEvent* e) {
    if (!m_pTerm) return;
    CTerm& t = *m_pTerm;
    const int key = e->key();
    if (key == Qt::Key_Shift) {
        t.m_nModifiers |= TERM_SHIFT;
        return;
    }
    if (key == Qt::Key_Control) {
        t.m_nModifiers |= TERM_CTRL;
        return;
    }
    t.m_nModifiers = (e->modifiers() & Qt::ShiftModifier ? TERM_SHIFT : 0) |
                     (e->modifiers() & Qt::ControlModifier ? TERM_CTRL : 0);
    const bool ctrl = t.m_nModifiers & TERM_CTRL;
    if (std::optional<TermKey> k = KeyOf(key)) {
        TermKeyDown(t, *k);
        return;
    }
    if (key == Qt::Key_At && ctrl) {
        TermKeyDown(t, TermKey::At);
        return;
    }
    if (key == Qt::Key_Menu) {
        ShowMenu(mapToGlobal(m_caretRect.bottomLeft()));
        return;
    }
    if (int b = ControlByte(key, ctrl); b >= 0) {
        t.PutKey(uint8_t(b));
        return;
    }
    if (ctrl || (e->modifiers() & Qt::AltModifier)) return;
    const QString text = e->text();
    if (!text.isEmpty() && text.at(0) >= QChar(0x20) && text.at(0) != QChar(0x7F))
        PutBytes(t, Utf16ToCp932(text.toStdU16String()));
}

void CTermWnd::keyReleaseEvent(QKeyEvent* e) {
    if (!m_pTerm) return;
    if (e->key() == Qt::Key_Shift) m_pTerm->m_nModifiers &= ~TERM_SHIFT;
    if (e->key() == Qt::Key_Control) m_pTerm->m_nModifiers &= ~TERM_CTRL;
}

void CTermWnd::inputMethodEvent(QInputMethodEvent* e) {
    if (!m_pTerm) return;
    if (!e->commitString().isEmpty())
        PutBytes(*m_pTerm, Utf16ToCp932(e->commitString().toStdU16String()));
    if (m_preedit != e->preeditString()) {
        m_preedit = e->preeditString();
        update(0, 0, ClientWidth(), ClientHeight());
    }
    e->accept();
}

QVariant CTermWnd::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled: return m_pTerm != nullptr;
    case Qt::ImCursorRectangle:
        if (!m_pTerm) return QRect();
        return QRect(m_imePos, QSize(m_pTerm->m_cxCell, m_pTerm->m_cyCell));
    case Qt::ImFont: return m_font;
    case Qt::ImHints: return int(Qt::ImhNone);
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection: return QString();
    default: return QWidget::inputMethodQuery(query);
    }
}

void CTermWnd::mousePressEvent(QMouseEvent* e) {
    if (!m_pTerm) return;
    if (e->button() == Qt::LeftButton) {
        const QPoint pt = e->position().toPoint();
        SelPress(*m_pTerm, SelCellAt(*m_pTerm, pt.x(), pt.y()));
    }
}

void CTermWnd::mouseMoveEvent(QMouseEvent* e) {
    if (!m_pTerm) return;
    const QPoint pt = e->position().toPoint();
    SelMove(*m_pTerm, SelCellAt(*m_pTerm, pt.x(), pt.y()));
}

void CTermWnd::mouseReleaseEvent(QMouseEvent* e) {
    if (!m_pTerm) return;
    if (e->button() == Qt::LeftButton) {
        const QPoint pt = e->position().toPoint();
        if (std::optional<std::string> text =
                SelRelease(*m_pTerm, SelCellAt(*m_pTerm, pt.x(), pt.y())))
            QGuiApplication::clipboard()->setText(QString::fromStdU16String(Cp932ToUtf16(*text)));
    } else if (e->button() == Qt::RightButton && m_bPasteClick) {
        m_bPasteClick = false;
    } else if (e->button() == Qt::RightButton) {
        // The menu waits to see whether this is the first half of a paste double-click.
        m_menuPos = e->globalPosition().toPoint();
        m_menuTimer.start(QApplication::doubleClickInterval());
    }
}

void CTermWnd::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!m_pTerm) return;
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        SelWord(*m_pTerm, SelCellAt(*m_pTerm, pt.x(), pt.y()));
    } else if (e->button() == Qt::RightButton) {
        m_menuTimer.stop();
        m_bPasteClick = true;
        Paste();
    }
}

void CTermWnd::Paste() {
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty()) TermPaste(*m_pTerm, Utf16ToCp932(text.toStdU16String()));
}

void CTermWnd::contextMenuEvent(QContextMenuEvent* e) {
    // The menu opens from mouseReleaseEvent after the double-click time, or from the
    // menu key.
    e->accept();
}

void CTermWnd::ShowMenu(const QPoint& globalPos) {
    if (!m_pTerm) return;
    QMenu menu(this);
    QAction* font = menu.addAction(QStringLiteral("表示ﾌｫﾝﾄの設定"));
    if (menu.exec(globalPos) == font) PostCommand(ID_TERM_FONT);
}
