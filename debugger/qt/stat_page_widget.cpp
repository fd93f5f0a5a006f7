#include "debugger/qt/stat_page_widget.h"

#include <QGroupBox>
#include <QLabel>
#include <QMetaObject>
#include <QScrollBar>
#include <algorithm>

#include "debugger/qt/dlu.h"
#include "debugger/stat09.h"
#include "debugger/statz80.h"

namespace {

// Page size and the parts both pages share, in dialog units.
constexpr int kPageW = 226, kPageH = 190;
constexpr int kLineX = 17, kLineW = 185, kLineH = 8;
constexpr int kLineY[CStatPage::kLines] = {78, 68, 59, 50, 41, 31, 22, 13}; // bottom first
constexpr int kMaxScroll = CStatPage::kHistory;

QString ToQString(const std::string& s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

} // namespace

CStatPageWidget::CStatPageWidget(CStatPage& model, const Layout& layout, QWidget* parent)
    : QWidget(parent), m_model(model) {
    CDluScale dlu(font());
    resize(dlu.Size(kPageW, kPageH));

    // Group boxes first, so that the fields lie above them.
    auto* trace = new QGroupBox(this);
    trace->setGeometry(dlu.Rect(8, 7, 211, 82));
    auto* regs = new QGroupBox(QStringLiteral("Registers"), this);
    regs->setGeometry(dlu.Rect(8, 94, 211, 89));

    for (int i = 0; i < layout.labelCount; ++i) {
        const Label& l = layout.labels[i];
        auto* label = new QLabel(QString::fromUtf8(l.text), this);
        QRect rc = dlu.Rect(l.x, l.y, l.w, l.h);
        rc.setWidth(std::max(rc.width(), label->sizeHint().width()));
        label->setGeometry(rc);
    }
    for (int i = 0; i < layout.fieldCount; ++i) {
        const Field& f = layout.fields[i];
        auto* value = new QLabel(this);
        value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        value->setAlignment(Qt::AlignCenter);
        value->setGeometry(dlu.Rect(f.x, f.y, f.w, f.h));
        m_value[f.text] = value;
    }
    for (int i = 0; i < CStatPage::kLines; ++i) {
        m_line[i] = new QLabel(this);
        m_line[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_line[i]->setGeometry(dlu.Rect(kLineX, kLineY[i], kLineW, kLineH));
    }
    m_bar = new QScrollBar(Qt::Vertical, this);
    m_bar->setGeometry(dlu.Rect(207, 10, 12, 78));
    m_bar->setRange(0, kMaxScroll);
    m_bar->setSingleStep(1);
    m_bar->setPageStep(CStatPage::kPageStep);
    connect(m_bar, &QScrollBar::actionTriggered, this, &CStatPageWidget::OnScrollAction);

    ShowAll();
    m_model.SetListener([this] {
        if (!m_bQueued) {
            m_bQueued = true;
            QMetaObject::invokeMethod(this, &CStatPageWidget::Refresh, Qt::QueuedConnection);
        }
    });
}

CStatPageWidget::~CStatPageWidget() {
    m_model.SetListener(nullptr);
}

void CStatPageWidget::ShowAll() {
    m_model.TakeDirty();
    for (int i = 0; i < m_model.TextCount(); ++i)
        if (m_value[i]) m_value[i]->setText(ToQString(m_model.Text(i)));
    for (int i = 0; i < CStatPage::kLines; ++i)
        m_line[i]->setText(ToQString(m_model.m_strLine[i]));
    m_bar->setValue(m_model.m_nScrollPos);
}

void CStatPageWidget::Refresh() {
    m_bQueued = false;
    uint32_t dirty = m_model.TakeDirty();
    if (!dirty) return;
    auto set = [](QLabel* label, const std::string& text) {
        QString s = ToQString(text);
        if (label->text() != s) label->setText(s);
    };
    for (int i = 0; i < m_model.TextCount(); ++i)
        if ((dirty & (1u << i)) && m_value[i]) set(m_value[i], m_model.Text(i));
    if (dirty & CStatPage::kDirtyLines)
        for (int i = 0; i < CStatPage::kLines; ++i)
            set(m_line[i], m_model.m_strLine[i]);
    if ((dirty & CStatPage::kDirtyScroll) && m_bar->value() != m_model.m_nScrollPos)
        m_bar->setValue(m_model.m_nScrollPos);
}

void CStatPageWidget::OnScrollAction(int action) {
    using Scroll = CStatPage::Scroll;
    Scroll code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = Scroll::LineDown; break;
    case QAbstractSlider::SliderSingleStepSub: code = Scroll::LineUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = Scroll::PageDown; break;
    case QAbstractSlider::SliderPageStepSub: code = Scroll::PageUp; break;
    case QAbstractSlider::SliderToMinimum: code = Scroll::Top; break;
    case QAbstractSlider::SliderToMaximum: code = Scroll::Bottom; break;
    case QAbstractSlider::SliderMove: code = Scroll::ThumbTrack; break;
    default: return;
    }
    // The bar has already moved by the action; the model decides where it stops.
    int thumb = m_bar->sliderPosition();
    Refresh();
    m_model.OnVScroll(code, thumb);
    Refresh();
    m_bar->setSliderPosition(m_model.m_nScrollPos);
}

namespace {

using Field = CStatPageWidget::Field;
using Label = CStatPageWidget::Label;

constexpr Field k09Fields[] = {
    {CStat09::kD, 19, 116, 26, 11},     {CStat09::kW, 51, 116, 26, 11},
    {CStat09::kX, 84, 116, 26, 11},     {CStat09::kY, 117, 116, 26, 11},
    {CStat09::kU, 149, 116, 26, 11},    {CStat09::kS, 182, 116, 26, 11},
    {CStat09::kFlags, 19, 142, 45, 11}, {CStat09::kCC, 70, 142, 19, 11},
    {CStat09::kDP, 97, 142, 19, 11},    {CStat09::kMD, 123, 142, 19, 11},
    {CStat09::kV, 149, 142, 26, 11},    {CStat09::kPC, 182, 142, 26, 11},
    {CStat09::kHalt, 19, 164, 26, 11},  {CStat09::kNmi, 54, 164, 26, 11},
    {CStat09::kFirq, 89, 164, 26, 11},  {CStat09::kIrq, 124, 164, 26, 11},
};
constexpr Label k09Labels[] = {
    {"A B", 25, 105, 15, 8},  {"E F", 56, 105, 14, 8}, {"X", 93, 105, 9, 8},
    {"Y", 126, 105, 9, 8},    {"U", 157, 105, 9, 8},   {"S", 190, 105, 9, 8},
    {"FLAG", 27, 133, 22, 8}, {"CC", 73, 133, 13, 8},  {"DP", 99, 133, 13, 8},
    {"MD", 125, 133, 14, 8},  {"V", 157, 133, 9, 8},   {"PC", 188, 133, 13, 8},
};

constexpr Field kZ80Fields[] = {
    {CStatZ80::kAF, 19, 116, 26, 11},    {CStatZ80::kBC, 51, 116, 26, 11},
    {CStatZ80::kDE, 84, 116, 26, 11},    {CStatZ80::kHL, 117, 116, 26, 11},
    {CStatZ80::kSP, 149, 116, 26, 11},   {CStatZ80::kPC, 182, 116, 26, 11},
    {CStatZ80::kAF2, 19, 140, 26, 11},   {CStatZ80::kBC2, 51, 140, 26, 11},
    {CStatZ80::kDE2, 84, 140, 26, 11},   {CStatZ80::kHL2, 117, 140, 26, 11},
    {CStatZ80::kIX, 149, 140, 26, 11},   {CStatZ80::kIY, 182, 140, 26, 11},
    {CStatZ80::kFlags, 19, 164, 42, 11}, {CStatZ80::kRI, 73, 164, 26, 11},
    {CStatZ80::kIFF, 110, 164, 26, 11},  {CStatZ80::kHalt, 149, 164, 26, 11},
    {CStatZ80::kIrq, 182, 164, 26, 11},
};
constexpr Label kZ80Labels[] = {
    {"A F", 25, 105, 14, 8},   {"B C", 55, 105, 17, 8},  {"D E", 89, 105, 15, 8},
    {"H L", 121, 105, 15, 8},  {"SP", 155, 105, 12, 8},  {"PC", 188, 105, 13, 8},
    {"A F'", 23, 130, 17, 8},  {"B C'", 54, 130, 17, 8}, {"D E'", 87, 130, 17, 8},
    {"H L'", 120, 130, 17, 8}, {"IX", 157, 130, 9, 8},   {"IY", 189, 130, 9, 8},
    {"FLAG", 27, 154, 22, 8},  {"RI", 81, 154, 9, 8},    {"IFF", 115, 154, 13, 8},
};

constexpr CStatPageWidget::Layout k09Layout = {k09Fields, int(std::size(k09Fields)), k09Labels,
                                               int(std::size(k09Labels))};
constexpr CStatPageWidget::Layout kZ80Layout = {kZ80Fields, int(std::size(kZ80Fields)), kZ80Labels,
                                                int(std::size(kZ80Labels))};

} // namespace

CStat09Page::CStat09Page(CStat09& model, QWidget* parent)
    : CStatPageWidget(model, k09Layout, parent) {}

CStatZ80Page::CStatZ80Page(CStatZ80& model, QWidget* parent)
    : CStatPageWidget(model, kZ80Layout, parent) {}
