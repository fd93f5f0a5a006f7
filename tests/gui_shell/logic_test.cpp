// The shell's pure selection rules: pointer to cell, selection range. (The text copied:
// clip_text_test.cpp in tests/platform.)
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QtTest>

#include "shell/selection.h"

class LogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cellAtPoint() {
        QCOMPARE(CellAtPoint(5 * 8 + 7, 2 * 16 + 15, 640, 400, 80, 25, 8, 16), 2 * 80 + 5);
        QCOMPARE(CellAtPoint(80, 64, 1280, 800, 80, 25, 8, 16), 2 * 80 + 5); // scaled
        QCOMPARE(CellAtPoint(639, 0, 640, 400, 40, 25, 16, 16), 39);
        QCOMPARE(CellAtPoint(-50, -3, 640, 400, 80, 25, 8, 16), 0); // outside: the nearest edge
        QCOMPARE(CellAtPoint(5000, 900, 640, 400, 80, 25, 8, 16), 1999);
        QCOMPARE(CellAtPoint(10, 10, 0, 0, 80, 25, 8, 16), 0);
    }

    void selectionRange() {
        // mode, start, end, pointer cell -> mode, start, end
        const int cases[][7] = {
            {1, 10, 10, 4, 4, 4, 10},   {1, 10, 10, 10, 1, 10, 10}, {1, 10, 10, 15, 3, 10, 15},
            {3, 10, 15, 20, 3, 10, 20}, {3, 10, 15, 10, 3, 10, 10}, {3, 10, 15, 5, 4, 5, 10},
            {4, 5, 10, 8, 4, 8, 10},    {4, 5, 10, 10, 4, 10, 10},  {4, 5, 10, 12, 3, 10, 12},
        };
        for (const auto& c : cases) {
            int s = c[1], e = c[2];
            const int mode = ApplySelRange(c[0], s, e, c[3]);
            QVERIFY2(mode == c[4] && s == c[5] && e == c[6],
                     qPrintable(QString::number(&c - cases)));
        }
    }
};

QTEST_MAIN(LogicTest)
#include "logic_test.moc"
