// The shell's pure selection rules: pointer to cell, selection range, clipboard text.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QtTest>
#include <string>
#include <vector>

#include "shell/selection.h"

namespace {

// The clipboard text of cells s..e of an 80 x 25 screen of blanks with texts put at
// (row, column); the high bytes hold attributes.
struct Put {
    int row, col;
    std::string text;
};
std::string Clip(const std::vector<Put>& puts, int s, int e) {
    std::vector<uint16_t> cells(2000, 0x0720);
    for (const Put& p : puts)
        for (size_t i = 0; i < p.text.size(); ++i)
            cells[p.row * 80 + p.col + int(i)] = uint8_t(p.text[i]) | 0x0700;
    return MakeClipText(cells.data(), 80, s, e);
}

} // namespace

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

    void clipText() {
        struct Case {
            int s, e;
            std::string text;
            std::vector<Put> puts;
        };
        const Case cases[] = {
            // Trailing blanks trimmed; later rows lose blanks left of the start column only.
            {2 * 80 + 5,
             4 * 80 + 10,
             "first row text\nsecond\n third",
             {{2, 0, "0123 first row text   "}, {3, 0, "   second"}, {4, 0, "      third row"}}},
            {4, 80 + 30, "head\n    indented", {{0, 4, "head"}, {1, 0, "        indented"}}},
            // A row reaching the last column runs on; a blank row gives an empty line.
            {70,
             3 * 80 + 1,
             "ABCDEFGHIJKL\n\nMN",
             {{0, 70, "ABCDEFGHIJ"}, {1, 0, "KL"}, {3, 0, "MN"}}},
            {71, 71, "B", {{0, 70, "ABC"}}},
            {200, 210, "", {}},
            // NUL shows as a blank, control and kanji bytes are copied, trailing NUL trimmed.
            {0, 79, "A \x1B\x82\xA0", {{0, 0, std::string("A\0\x1B\x82\xA0\0", 6)}}},
        };
        for (const Case& c : cases)
            QCOMPARE(Clip(c.puts, c.s, c.e), c.text);

        // The whole screen, 79 characters a row: 25 x 79 + 24 bytes.
        std::vector<Put> puts;
        std::string expected;
        for (int r = 0; r < 25; ++r) {
            puts.push_back({r, 0, std::string(79, char('A' + r))});
            expected += puts.back().text + (r != 24 ? "\n" : "");
        }
        QCOMPARE(Clip(puts, 0, 1999), expected);
    }
};

QTEST_MAIN(LogicTest)
#include "logic_test.moc"
