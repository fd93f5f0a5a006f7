// CTermWnd: the window of one serial terminal. A top-level window "USART n" of 80 x 25
// cells (8 x 16 pixels at first) with a scroll bar over the history, no maximize and no
// user sizing. It implements the model's CWnd: the model invalidates cell rectangles and
// posts ID_TERM_CARET, which comes back later as a posted event (OnCaretUpdate). It
// paints the model's window lines, draws the caret itself, turns keys, input-method
// commits, mouse selection and right double-click paste into the model's input queue,
// and offers "表示ﾌｫﾝﾄの設定" in its context menu (right click, or the menu key).
//
// Lifetime: OpenTermWindow makes the model and its window; a user's close destroys only
// the window (the model is detached and lives on until its owner's next tick notices);
// CloseTermWindow destroys the window if it still exists and deletes the model.
// Painting and caret: term_paint.cpp; keys, mouse and the font command: term_wnd_input.cpp.
#pragma once

#include <QFont>
#include <QScrollBar>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "platform/wnd.h"
#include "terminal/term.h"

enum : unsigned { ID_TERM_FONT = 520 }; // the font command of the window's menu

class CTermWnd : public QWidget, public CWnd {
public:
    // Makes the window for term (not shown) and attaches it.
    CTermWnd(CTerm* term, const QString& title);
    ~CTermWnd() override;

    CTerm* Term() const { return m_pTerm; }
    QScrollBar* ScrollBar() const { return m_pScroll; }
    const QFont& TermFont() const { return m_font; }
    // Whether the caret exists and is drawn now, and its pixel rectangle.
    bool CaretVisible() const;
    QRect CaretRect() const { return m_caretRect; }

    // The font command: the chooser (a monospaced font dialog unless replaced) picks a
    // font (nothing when it is cancelled or left unchanged); its metrics give the new
    // cell size.
    void OnFontCommand();
    std::function<std::optional<QFont>(QWidget* parent, const QFont& current)> m_chooseFont;
    // The cell size of a font: average character width by line spacing.
    static QSize CellSizeOf(const QFont& font);
    // Takes a font with its cell size: repaints, resizes the window to 80 x 25 cells of
    // the new size and remakes a shown caret.
    void SetTermFont(const QFont& font, int cx, int cy);

    // Detach from the model and go away later; the model is not touched afterwards.
    void Destroy();

    // CWnd, for the model
    void InvalidateRect(const CRect* rc, bool erase) override;
    void PostCommand(unsigned id) override;
    void MessageBox(const std::string& textUtf8, const std::string& captionUtf8) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    bool IsWindow() const override { return m_pTerm != nullptr; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void FitToCells();
    void SyncScrollBar();
    void OnVScroll(int action);
    void OnCaretUpdate();
    void CreateCaret();
    void DestroyCaret();
    void PlaceCaret();
    void SetImeWindow(int x, int y);
    void DrawRun(QPainter& p, int col, int line, const TERMCELL& key, const uint16_t* codes,
                 int length);
    void DrawPreedit(QPainter& p);
    void ShowMenu(const QPoint& globalPos);
    void Paste();

    CTerm* m_pTerm;
    QScrollBar* m_pScroll;
    QFont m_font;
    int m_nAscent = 0;
    bool m_bCaret = false; // the caret exists
    QRect m_caretRect;
    QPoint m_imePos;    // the composition window's point
    QString m_preedit;  // the input method's composition in progress
    QTimer m_menuTimer; // a right click waits this long for a second one (paste)
    QPoint m_menuPos;
    bool m_bPasteClick = false; // the release after a paste double-click opens no menu
};

// The view's two terminal commands: a new model with its window "USART port" shown at
// the screen's top-left corner; and the end of a terminal (window, if any, and model).
CTerm* OpenTermWindow(int port);
void CloseTermWindow(CTerm* term);
