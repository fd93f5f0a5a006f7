// The page windows: the refresh once a run of updates is over, the scroll bar.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "debugger/qt/stat_page_widget.h"
#include "debugger/stat09.h"

namespace {

void Append(CStat09& model, int from, int to) {
    REG09 reg{};
    for (int n = from; n <= to; ++n) {
        reg.PC = uint16_t(n);
        model.Update(&reg, QByteArray("L").append(QByteArray::number(n)).constData());
    }
}

} // namespace

class PageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void RefreshAfterTheRunOnly() {
        CStat09 model;
        CStat09Page page(model, nullptr);
        Append(model, 1, 10000);
        QCOMPARE(page.TraceLine(0)->text(), QString()); // nothing during the run...
        QCoreApplication::processEvents();              // ...all once the UI thread is back
        QCOMPARE(page.ValueField(CStat09::kPC)->text(), QString("2710"));
        QCOMPARE(page.TraceLine(0)->text(), QString("L10000"));
        QCOMPARE(page.TraceLine(7)->text(), QString("L9993"));
        QCOMPARE(page.ScrollBar()->value(), 512);
    }

    void ScrollBarActions() {
        CStat09 model;
        CStat09Page page(model, nullptr);
        Append(model, 1, 20);
        QCoreApplication::processEvents();
        QScrollBar* bar = page.ScrollBar();
        // Each action from where the one before left the bar; position p shows Lp at the bottom.
        using A = QAbstractSlider;
        const std::pair<A::SliderAction, int> steps[] = {
            {A::SliderSingleStepSub, 19}, {A::SliderPageStepSub, 12}, {A::SliderSingleStepAdd, 13},
            {A::SliderPageStepAdd, 20},   {A::SliderToMinimum, 0},    {A::SliderSingleStepSub, 0},
            {A::SliderPageStepAdd, 7},    {A::SliderToMaximum, 20}};
        for (auto [action, value] : steps) {
            bar->triggerAction(action);
            QCOMPARE(bar->value(), value);
            QCOMPARE(page.TraceLine(0)->text(), value ? QString("L%1").arg(value) : QString());
        }
        // A thumb dragged beyond the lines held comes back to the newest.
        bar->triggerAction(A::SliderToMinimum);
        bar->setSliderPosition(300);
        QCOMPARE(bar->value(), 20);
        QCOMPARE(model.m_nScrollPos, 20);
        QCOMPARE(page.TraceLine(0)->text(), QString("L20"));
    }
};

QTEST_MAIN(PageTest)
#include "page_test.moc"
