// The view's keyboard, input method, mouse selection and clipboard. Every key code goes
// into the display board's key FIFO through PushKey, which drops it when the FIFO is
// full. Typed text, input-method commits and pasted text reach the machine as CP932
// bytes, one code per byte (a double-byte character as lead byte, then trail byte).
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>

#include "display/key_code.h"
#include "platform/clip_text.h"
#include "platform/cp932.h"
#include "shell/child_view.h"
#include "shell/key_map.h"
#include "shell/selection.h"

void CChildView::PushText(const std::string& cp932) {
    for (char c : cp932)
        m_sub.PushKey(uint8_t(c));
}

void CChildView::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (key == Qt::Key_Shift)
        m_nKeyMod |= KEY_SHIFT;
    else if (key == Qt::Key_Control)
        m_nKeyMod |= KEY_CTRL;

    // Alt combinations and F10 belong to the menu bar.
    if (key == Qt::Key_F10 || (e->modifiers() & Qt::AltModifier)) {
        if (key == Qt::Key_F10) {
            if (auto* frame = qobject_cast<QMainWindow*>(window());
                frame && frame->isVisible() && !frame->menuBar()->actions().isEmpty())
                frame->menuBar()->setActiveAction(frame->menuBar()->actions().first());
        }
        QWidget::keyPressEvent(e);
        return;
    }

    uint16_t code = 0;
    switch (MapKeyDown(key, m_nKeyMod, code)) {
    case kKeyTable: m_sub.PushKey(code); break;
    case kKeyText:
        if (!e->text().isEmpty()) PushText(Utf16ToCp932(e->text().toStdU16String()));
        break;
    case kKeyNone: break;
    }
    e->accept();
}

void CChildView::keyReleaseEvent(QKeyEvent* e) {
    if (!e->isAutoRepeat()) {
        if (e->key() == Qt::Key_Shift)
            m_nKeyMod &= ~uint32_t(KEY_SHIFT);
        else if (e->key() == Qt::Key_Control)
            m_nKeyMod &= ~uint32_t(KEY_CTRL);
    }
    QWidget::keyReleaseEvent(e);
}

bool CChildView::focusNextPrevChild(bool) {
    return false; // Tab is a key of the machine
}

void CChildView::inputMethodEvent(QInputMethodEvent* e) {
    if (!e->commitString().isEmpty()) PushText(Utf16ToCp932(e->commitString().toStdU16String()));
    if (m_preedit != e->preeditString()) {
        m_preedit = e->preeditString();
        update();
    }
    e->accept();
}

QVariant CChildView::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle) {
        // The composition sits on the machine's cursor cell.
        const int W = width(), H = height();
        const int x = m_sub.m_cursor.column * m_sub.m_nCharWidth;
        const int y = m_sub.m_cursor.row * m_sub.m_nCharHeight;
        return QRect(x * W / 640, y * H / 400, m_sub.m_nCharWidth * W / 640,
                     m_sub.m_nCharHeight * H / 400);
    }
    return QWidget::inputMethodQuery(query);
}

void CChildView::OnEditPaste() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty()) return;
    for (char c : PastedBytes(Utf16ToCp932(text.toStdU16String())))
        m_sub.PushKey(uint8_t(c));
}

bool CChildView::OnUpdateEditPaste() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

void CChildView::OnEditCopy() {
    if (!m_clip) return;
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(Cp932ToUtf16(*m_clip)));
    m_clip.reset();
}

bool CChildView::OnUpdateEditCopy() const {
    return m_clip.has_value();
}

int CChildView::CellAt(const QPoint& pt) const {
    return CellAtPoint(pt.x(), pt.y(), width(), height(), m_sub.m_nColumns, m_sub.m_nRows,
                       m_sub.m_nCharWidth, m_sub.m_nCharHeight);
}

void CChildView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    m_nSelMode = kSelAnchor;
    m_nSelStart = m_nSelEnd = CellAt(e->position().toPoint());
    update();
}

void CChildView::mouseMoveEvent(QMouseEvent* e) {
    if (m_nSelMode == kSelIdle) {
        QWidget::mouseMoveEvent(e);
        return;
    }
    m_nSelMode = ApplySelRange(m_nSelMode, m_nSelStart, m_nSelEnd, CellAt(e->position().toPoint()));
    update();
}

void CChildView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    FinishSelection(e->position().toPoint());
}

// A second click within the double-click time starts no selection.
void CChildView::mouseDoubleClickEvent(QMouseEvent*) {}

void CChildView::FinishSelection(const QPoint& pt) {
    if (m_nSelMode == kSelEnd || m_nSelMode == kSelStart) {
        ApplySelRange(m_nSelMode, m_nSelStart, m_nSelEnd, CellAt(pt));
        const int last = std::min(m_sub.m_nColumns * m_sub.m_nRows, CSubCpu::kShadowCells) - 1;
        const int s = std::clamp(m_nSelStart, 0, last), e = std::clamp(m_nSelEnd, 0, last);
        m_clip = MakeClipText(m_sub.m_wTextShadow, m_sub.m_nColumns, s, e);
    }
    m_nSelMode = kSelIdle;
    repaint();
}
