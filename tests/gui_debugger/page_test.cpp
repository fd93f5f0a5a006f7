// The page windows: first texts, the refresh after a run of updates, scroll bar actions.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "debugger/qt/stat_page_widget.h"
#include "debugger/stat09.h"
#include "debugger/statz80.h"

class PageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void FirstTexts();
    void RefreshAfterRunOnly();
    void OnlyChangedTextsAreSet();
    void ScrollBarActions();
    void Z80Fields();
};

namespace {

void Append(CStat09& model, int from, int to) {
    REG09 reg{};
    for (int n = from; n <= to; ++n) {
        reg.PC = uint16_t(n);
        model.Update(&reg, QByteArray("L").append(QByteArray::number(n)).constData());
    }
}

} // namespace

void PageTest::FirstTexts() {
    CStat09 model;
    CStat09Page page(model, nullptr);
    QCOMPARE(page.ValueField(CStat09::kD)->text(), QString("0000"));
    QCOMPARE(page.ValueField(CStat09::kCC)->text(), QString("00"));
    QCOMPARE(page.ValueField(CStat09::kFlags)->text(), QString("--------"));
    for (int t : {CStat09::kHalt, CStat09::kNmi, CStat09::kFirq, CStat09::kIrq})
        QCOMPARE(page.ValueField(t)->text(), QString());
    QCOMPARE(page.ValueField(CStat09::kD)->alignment(), Qt::AlignCenter);
    QCOMPARE(page.ScrollBar()->minimum(), 0);
    QCOMPARE(page.ScrollBar()->maximum(), 512);
    // Line 0 is the bottom one.
    QVERIFY(page.TraceLine(0)->y() > page.TraceLine(7)->y());
}

void PageTest::RefreshAfterRunOnly() {
    CStat09 model;
    CStat09Page page(model, nullptr);
    Append(model, 1, 10000);
    // Nothing is shown during the run...
    QCOMPARE(page.ValueField(CStat09::kPC)->text(), QString("0000"));
    QCOMPARE(page.TraceLine(0)->text(), QString());
    // ...and everything once the UI thread gets back to its queue.
    QCoreApplication::processEvents();
    QCOMPARE(page.ValueField(CStat09::kPC)->text(), QString("2710"));
    QCOMPARE(page.TraceLine(0)->text(), QString("L10000"));
    QCOMPARE(page.TraceLine(7)->text(), QString("L9993"));
    QCOMPARE(page.ScrollBar()->value(), 512);
    QCOMPARE(model.Dirty(), 0u);
}

void PageTest::OnlyChangedTextsAreSet() {
    CStat09 model;
    CStat09Page page(model, nullptr);
    Append(model, 1, 3);
    QCoreApplication::processEvents();
    // A text that the page did not mark as changed is not touched by a refresh.
    page.ValueField(CStat09::kX)->setText("mark");
    REG09 reg{};
    reg.PC = 3;
    reg.signals = SIG_IRQ;
    model.UpdateSignals(&reg);
    QCoreApplication::processEvents();
    QCOMPARE(page.ValueField(CStat09::kIrq)->text(), QString("IRQ"));
    QCOMPARE(page.ValueField(CStat09::kX)->text(), QString("mark"));
}

void PageTest::ScrollBarActions() {
    CStat09 model;
    CStat09Page page(model, nullptr);
    Append(model, 1, 20);
    QCoreApplication::processEvents();
    QScrollBar* bar = page.ScrollBar();

    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(bar->value(), 19);
    QCOMPARE(page.TraceLine(0)->text(), QString("L19"));

    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(bar->value(), 12);
    QCOMPARE(page.TraceLine(7)->text(), QString("L5"));

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(page.TraceLine(0)->text(), QString());

    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(bar->value(), 0);

    // A thumb dragged beyond the lines held comes back to the newest.
    bar->setSliderPosition(300);
    QCOMPARE(bar->value(), 20);
    QCOMPARE(model.m_nScrollPos, 20);
    QCOMPARE(page.TraceLine(0)->text(), QString("L20"));

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(bar->value(), 7);
    QCOMPARE(page.TraceLine(0)->text(), QString("L7"));
    QCOMPARE(page.TraceLine(6)->text(), QString("L1"));
    QCOMPARE(page.TraceLine(7)->text(), QString());

    // A new line brings the view back to the newest.
    Append(model, 21, 21);
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 21);
    QCOMPARE(page.TraceLine(0)->text(), QString("L21"));
}

void PageTest::Z80Fields() {
    CStatZ80 model;
    CStatZ80Page page(model, nullptr);
    QCOMPARE(page.ValueField(CStatZ80::kFlags)->text(), QString("------"));
    QCOMPARE(page.ValueField(CStatZ80::kIFF)->text(), QString("0000"));
    QCOMPARE(page.ValueField(CStatZ80::kHalt)->text(), QString());
    REGZ80 reg{};
    reg.IX = 0xBEEF;
    reg.IFF1 = reg.IFF2 = 1;
    reg.fZ = 1;
    reg.signals = SIG_HALT;
    model.Update(&reg, "0000 HALT");
    QCoreApplication::processEvents();
    QCOMPARE(page.ValueField(CStatZ80::kIX)->text(), QString("BEEF"));
    QCOMPARE(page.ValueField(CStatZ80::kIFF)->text(), QString("0101"));
    QCOMPARE(page.ValueField(CStatZ80::kFlags)->text(), QString("-Z----"));
    QCOMPARE(page.ValueField(CStatZ80::kHalt)->text(), QString("HALT"));
    QCOMPARE(page.TraceLine(0)->text(), QString("0000 HALT"));
}

QTEST_MAIN(PageTest)
#include "page_test.moc"
