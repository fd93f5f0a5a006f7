// The terminal window: creation, size, the model's window seam, scroll-back, focus and
// caret, closing.
#include "terminal/qt/term_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMessageBox>
#include <QPointer>
#include <QSignalBlocker>
#include <algorithm>

namespace {

class CTermCommandEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int type = QEvent::registerEventType();
        return QEvent::Type(type);
    }
    explicit CTermCommandEvent(unsigned id) : QEvent(EventType()), m_nID(id) {}
    unsigned m_nID;
};

// The fixed-pitch font that can show Japanese: IPAGothic where installed, else a
// fixed-pitch family with Japanese glyphs, else the system's monospace; as large as
// fits the cell's height, narrowed where its characters are wider than the cell.
QFont DefaultTermFont(int cx, int cy) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    if (japanese.contains(QStringLiteral("IPAGothic"))) {
        font = QFont(QStringLiteral("IPAGothic"));
    } else {
        for (const QString& family : japanese)
            if (QFontDatabase::isFixedPitch(family)) {
                font = QFont(family);
                break;
            }
    }
    font.setStyleHint(QFont::TypeWriter);
    int px = std::max(cy, 1);
    font.setPixelSize(px);
    while (px > 1 && QFontMetrics(font).height() > cy)
        font.setPixelSize(--px);
    int advance = QFontMetrics(font).horizontalAdvance(QLatin1Char('M'));
    if (advance > cx) font.setStretch(std::max(1, 100 * cx / advance));
    return font;
}

// The font dialog, opened on the font in use: its family, style and size as the host
// resolved them. It offers fixed-pitch families, but all of them when the font in use is
// one the font database does not count as fixed pitch (a Japanese font whose full-width
// characters take two cells): the dialog can only open on a family it lists. OK without
// a change is no change, as is Cancel.
std::optional<QFont> ChooseFont(QWidget* parent, const QFont& current) {
    const QFontInfo inUse(current);
    QFont shown(inUse.family());
    shown.setStyleName(inUse.styleName());
    shown.setPointSize(std::max(inUse.pointSize(), 1));
    QPointer<QFontDialog> dlg = new QFontDialog(parent);
    if (QFontDatabase::isFixedPitch(inUse.family())) dlg->setOption(QFontDialog::MonospacedFonts);
    dlg->setCurrentFont(shown);
    const QFont opened = dlg->currentFont();
    const bool ok = dlg->exec() == QDialog::Accepted;
    if (!dlg) return std::nullopt; // went with its parent
    const QFont chosen = dlg->selectedFont();
    delete dlg;
    if (!ok || chosen == opened) return std::nullopt;
    return chosen;
}

constexpr Qt::WindowFlags kTermFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                       Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                       Qt::WindowCloseButtonHint;

} // namespace

CTermWnd::CTermWnd(CTerm* term, const QString& title)
    : QWidget(nullptr, kTermFlags), m_pTerm(term), m_pScroll(new QScrollBar(Qt::Vertical, this)) {
    setWindowTitle(title);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_QuitOnClose, false); // the program ends with its main window
    setFocusPolicy(Qt::StrongFocus);
    m_pScroll->setFocusPolicy(Qt::NoFocus);
    m_pScroll->setRange(0, m_pTerm->m_nHistoryMax);
    m_pScroll->setSingleStep(1);
    m_pScroll->setPageStep(m_pTerm->m_nLines);
    m_pScroll->setValue(m_pTerm->m_nHistory - m_pTerm->ScrollBack());
    connect(m_pScroll, &QAbstractSlider::actionTriggered, this, [this](int a) { OnVScroll(a); });
    m_menuTimer.setSingleShot(true);
    connect(&m_menuTimer, &QTimer::timeout, this, [this] { ShowMenu(m_menuPos); });
    m_chooseFont = ChooseFont;
    m_font = DefaultTermFont(m_pTerm->m_cxCell, m_pTerm->m_cyCell);
    m_nAscent = QFontMetrics(m_font).ascent();
    FitToCells();
    m_pTerm->AttachWindow(this);
}

CTermWnd::~CTermWnd() {
    if (m_pTerm && m_pTerm->m_pWnd == this) m_pTerm->DetachWindow();
}

void CTermWnd::FitToCells() {
    int w = ClientWidth(), h = ClientHeight();
    int sw = m_pScroll->sizeHint().width();
    m_pScroll->setGeometry(w, 0, sw, h);
    setFixedSize(w + sw, h);
}

int CTermWnd::ClientWidth() const {
    return m_pTerm ? m_pTerm->ClientWidth() : width() - m_pScroll->width();
}

int CTermWnd::ClientHeight() const {
    return m_pTerm ? m_pTerm->ClientHeight() : height();
}

void CTermWnd::InvalidateRect(const CRect* rc, bool /*erase: painting covers every pixel*/) {
    if (rc)
        update(QRect(rc->left, rc->top, rc->Width(), rc->Height()));
    else
        update(0, 0, ClientWidth(), ClientHeight());
    SyncScrollBar();
}

void CTermWnd::SyncScrollBar() {
    if (!m_pTerm) return;
    QSignalBlocker block(m_pScroll);
    m_pScroll->setValue(m_pTerm->m_nHistory - m_pTerm->ScrollBack());
}

void CTermWnd::PostCommand(unsigned id) {
    QCoreApplication::postEvent(this, new CTermCommandEvent(id));
}

void CTermWnd::MessageBox(const std::string& textUtf8, const std::string& captionUtf8) {
    QMessageBox::information(this, QString::fromStdString(captionUtf8),
                             QString::fromStdString(textUtf8));
}

bool CTermWnd::event(QEvent* e) {
    if (e->type() == CTermCommandEvent::EventType()) {
        unsigned id = static_cast<CTermCommandEvent*>(e)->m_nID;
        if (id == ID_TERM_CARET)
            OnCaretUpdate();
        else if (id == ID_TERM_FONT)
            OnFontCommand();
        return true;
    }
    return QWidget::event(e);
}

// The scroll bar's position is m_nHistory - k for scroll-back k, in a range of 0-999.
void CTermWnd::OnVScroll(int action) {
    if (!m_pTerm) return;
    CTerm& t = *m_pTerm;
    int k = t.ScrollBack();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: k += 1; break;
    case QAbstractSlider::SliderSingleStepAdd: k -= 1; break;
    case QAbstractSlider::SliderPageStepSub: k += t.m_nLines; break;
    case QAbstractSlider::SliderPageStepAdd: k -= t.m_nLines; break;
    case QAbstractSlider::SliderMove: k = t.m_nHistory - m_pScroll->sliderPosition(); break;
    case QAbstractSlider::SliderToMinimum: k = t.m_nHistory; break;
    case QAbstractSlider::SliderToMaximum: k = 0; break;
    default: break;
    }
    k = t.SetScrollBack(k);
    m_pScroll->setSliderPosition(t.m_nHistory - k);
    if (!t.IsLive() && !t.m_bCaretHidden) {
        t.m_bCaretHidden = 1;
        update(m_caretRect);
    } else if (t.IsLive() && t.m_bCaretHidden) {
        t.m_bCaretHidden = 0;
        update(m_caretRect);
    }
}

bool CTermWnd::CaretVisible() const {
    return m_bCaret && m_pTerm && !m_pTerm->m_bCaretHidden;
}

void CTermWnd::CreateCaret() {
    m_bCaret = true;
    PlaceCaret();
}

void CTermWnd::DestroyCaret() {
    if (!m_bCaret) return;
    m_bCaret = false;
    update(m_caretRect);
}

void CTermWnd::PlaceCaret() {
    const CTerm& t = *m_pTerm;
    QRect r(t.m_nCol * t.m_cxCell, t.m_nRow * t.m_cyCell, t.m_cxCell, t.m_cyCell);
    update(m_caretRect);
    m_caretRect = r;
    update(r);
    SetImeWindow(r.x(), r.y());
}

void CTermWnd::SetImeWindow(int x, int y) {
    m_imePos = QPoint(x, y);
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont);
}

void CTermWnd::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    if (!m_pTerm) return;
    int& state = m_pTerm->m_nCaretState;
    if (state == CARET_NOFOCUS || state == CARET_CREATE) {
        CreateCaret();
        state = CARET_SHOWN;
    } else if (state == CARET_OFF_NOFOCUS || state == CARET_DESTROY) {
        state = CARET_OFF;
    }
}

void CTermWnd::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    if (!m_pTerm) return;
    int& state = m_pTerm->m_nCaretState;
    switch (state) {
    case CARET_SHOWN:
        DestroyCaret();
        state = CARET_NOFOCUS;
        break;
    case CARET_OFF: state = CARET_OFF_NOFOCUS; break;
    case CARET_DESTROY:
        DestroyCaret();
        state = CARET_OFF_NOFOCUS;
        break;
    case CARET_CREATE: state = CARET_NOFOCUS; break;
    default: break;
    }
}

void CTermWnd::OnCaretUpdate() {
    if (!m_pTerm) return;
    int& state = m_pTerm->m_nCaretState;
    switch (state) {
    case CARET_SHOWN: PlaceCaret(); break;
    case CARET_DESTROY:
        DestroyCaret();
        state = CARET_OFF;
        break;
    case CARET_CREATE:
        CreateCaret();
        state = CARET_SHOWN;
        break;
    default: break;
    }
}

QSize CTermWnd::CellSizeOf(const QFont& font) {
    QFontMetrics fm(font);
    return QSize(std::max(fm.averageCharWidth(), 1), std::max(fm.lineSpacing(), 1));
}

void CTermWnd::SetTermFont(const QFont& font, int cx, int cy) {
    if (!m_pTerm) return;
    CTerm& t = *m_pTerm;
    m_font = font;
    m_nAscent = QFontMetrics(m_font).ascent();
    t.m_cxCell = std::max(cx, 1);
    t.m_cyCell = std::max(cy, 1);
    update();
    FitToCells();
    if (t.m_nCaretState == CARET_SHOWN) {
        DestroyCaret();
        CreateCaret();
    }
}

void CTermWnd::OnFontCommand() {
    if (!m_pTerm || !m_chooseFont) return;
    std::optional<QFont> font = m_chooseFont(this, m_font);
    if (!font || !m_pTerm) return; // cancelled, or the terminal went away meanwhile
    QSize cell = CellSizeOf(*font);
    SetTermFont(*font, cell.width(), cell.height());
}

void CTermWnd::closeEvent(QCloseEvent* e) {
    e->accept();
    Destroy();
}

void CTermWnd::Destroy() {
    if (!m_pTerm) return;
    if (m_pTerm->m_pWnd == this) m_pTerm->DetachWindow();
    m_pTerm = nullptr;
    m_menuTimer.stop();
    m_bCaret = false;
    hide();
    deleteLater();
}

CTerm* OpenTermWindow(int port) {
    static const bool beepSet = (SetTermBeep([] { QApplication::beep(); }), true);
    (void)beepSet;
    auto* term = new CTerm;
    auto* wnd = new CTermWnd(term, QString::asprintf("USART %d", port));
    wnd->move(0, 0);
    wnd->show();
    return term;
}

void CloseTermWindow(CTerm* term) {
    if (!term) return;
    if (auto* wnd = dynamic_cast<CTermWnd*>(term->m_pWnd))
        wnd->Destroy();
    else
        term->DetachWindow();
    delete term;
}
