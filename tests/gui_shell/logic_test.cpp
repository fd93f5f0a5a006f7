// The shell's pure rules: key table, pointer to cell, selection range, clipboard text,
// DIP switch byte, speed title.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QtTest>
#include <string>
#include <vector>

#include "display/key_code.h"
#include "shell/child_view.h"
#include "shell/dip_switch.h"
#include "shell/key_map.h"
#include "shell/selection.h"

namespace {

// An 80 x 25 text screen of blanks with some rows set.
struct Screen {
    std::vector<uint16_t> cells = std::vector<uint16_t>(2000, 0x20);
    void Put(int row, int col, const std::string& s) {
        for (size_t i = 0; i < s.size(); ++i)
            cells[row * 80 + col + int(i)] = uint8_t(s[i]) | 0x0700; // high byte: attributes
    }
    std::string Clip(int s, int e) const { return MakeClipText(cells.data(), 80, s, e); }
};

} // namespace

class LogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keyTable_data();
    void keyTable();
    void cellAtPoint();
    void selectionRange_data();
    void selectionRange();
    void clipTextRows();
    void clipTextIndentBeyondStartColumn();
    void clipTextSpecialBytes();
    void clipTextWholeScreen();
    void dipSwitch();
    void speedTitle();
};

void LogicTest::keyTable_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mod");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("code");
    const int S = KEY_SHIFT, C = KEY_CTRL;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << int(kKeyTable) << 0x101;
    QTest::newRow("F12") << int(Qt::Key_F12) << 0 << int(kKeyTable) << 0x10C;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << 0 << int(kKeyTable) << 0x110;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 0 << int(kKeyTable) << 0x111;
    QTest::newRow("End") << int(Qt::Key_End) << 0 << int(kKeyTable) << 0x112;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 0 << int(kKeyTable) << 0x113;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << int(kKeyTable) << 0x114;
    QTest::newRow("Home") << int(Qt::Key_Home) << 0 << int(kKeyTable) << 0x115;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << int(kKeyTable) << 0x117;
    QTest::newRow("Shift+Left") << int(Qt::Key_Left) << S << int(kKeyTable) << 0x138;
    QTest::newRow("Ctrl+Pause is Cancel") << int(Qt::Key_Pause) << C << int(kKeyNone) << 0;
    QTest::newRow("@ types") << int(Qt::Key_At) << 0 << int(kKeyText) << 0;
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << S << int(kKeyNone) << 0;
    QTest::newRow("letter types") << int(Qt::Key_A) << S << int(kKeyText) << 0;
}

void LogicTest::keyTable() {
    QFETCH(int, key);
    QFETCH(int, mod);
    QFETCH(int, action);
    QFETCH(int, code);
    uint16_t got = 0xFFFF;
    QCOMPARE(int(MapKeyDown(key, uint32_t(mod), got)), action);
    if (action == kKeyTable) QCOMPARE(int(got), code);
}

void LogicTest::cellAtPoint() {
    // 640 x 400: one pixel per screen pixel.
    QCOMPARE(CellAtPoint(5 * 8 + 7, 2 * 16 + 15, 640, 400, 80, 25, 8, 16), 2 * 80 + 5);
    // Twice the size: coordinates scale down.
    QCOMPARE(CellAtPoint(2 * (5 * 8), 2 * (2 * 16), 1280, 800, 80, 25, 8, 16), 2 * 80 + 5);
    // A 40-column screen with 16-pixel cells.
    QCOMPARE(CellAtPoint(639, 0, 640, 400, 40, 25, 16, 16), 39);
    // Outside the client area: the nearest edge.
    QCOMPARE(CellAtPoint(-50, -3, 640, 400, 80, 25, 8, 16), 0);
    QCOMPARE(CellAtPoint(5000, 900, 640, 400, 80, 25, 8, 16), 1999);
    QCOMPARE(CellAtPoint(10, 10, 0, 0, 80, 25, 8, 16), 0);
}

void LogicTest::selectionRange_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("s");
    QTest::addColumn<int>("e");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("newMode");
    QTest::addColumn<int>("newS");
    QTest::addColumn<int>("newE");
    QTest::newRow("1 before") << 1 << 10 << 10 << 4 << 4 << 4 << 10;
    QTest::newRow("1 on anchor") << 1 << 10 << 10 << 10 << 1 << 10 << 10;
    QTest::newRow("1 after") << 1 << 10 << 10 << 15 << 3 << 10 << 15;
    QTest::newRow("3 grows") << 3 << 10 << 15 << 20 << 3 << 10 << 20;
    QTest::newRow("3 shrinks to start") << 3 << 10 << 15 << 10 << 3 << 10 << 10;
    QTest::newRow("3 crosses anchor") << 3 << 10 << 15 << 5 << 4 << 5 << 10;
    QTest::newRow("4 moves start") << 4 << 5 << 10 << 8 << 4 << 8 << 10;
    QTest::newRow("4 to end") << 4 << 5 << 10 << 10 << 4 << 10 << 10;
    QTest::newRow("4 crosses anchor") << 4 << 5 << 10 << 12 << 3 << 10 << 12;
}

void LogicTest::selectionRange() {
    QFETCH(int, mode);
    QFETCH(int, s);
    QFETCH(int, e);
    QFETCH(int, c);
    QFETCH(int, newMode);
    QFETCH(int, newS);
    QFETCH(int, newE);
    QCOMPARE(ApplySelRange(mode, s, e, c), newMode);
    QCOMPARE(s, newS);
    QCOMPARE(e, newE);
}

void LogicTest::clipTextRows() {
    Screen scr;
    scr.Put(2, 0, "0123 first row text   ");
    scr.Put(3, 0, "   second");               // leading blanks within columns 0-4
    scr.Put(4, 0, "      third row is long"); // blanks in columns 0-5
    // Row 2 from column 5, row 3 whole, row 4 up to column 10.
    QCOMPARE(scr.Clip(2 * 80 + 5, 4 * 80 + 10), std::string("first row text\r\nsecond\r\n third"));

    // A row whose text reaches column 79 runs on without a line break; a blank row
    // gives an empty line.
    Screen wide;
    wide.Put(0, 70, "ABCDEFGHIJ");
    wide.Put(1, 0, "KL");
    wide.Put(3, 0, "MN");
    QCOMPARE(wide.Clip(70, 3 * 80 + 1), std::string("ABCDEFGHIJKL\r\n\r\nMN"));

    // A single cell, and a range of blanks only.
    QCOMPARE(wide.Clip(71, 71), std::string("B"));
    QCOMPARE(wide.Clip(200, 210), std::string());
}

void LogicTest::clipTextIndentBeyondStartColumn() {
    Screen scr;
    scr.Put(0, 4, "head");
    scr.Put(1, 0, "        indented");
    QCOMPARE(scr.Clip(4, 1 * 80 + 30), std::string("head\r\n    indented"));
}

void LogicTest::clipTextSpecialBytes() {
    Screen scr;
    scr.cells[0] = 'A';
    scr.cells[1] = 0x00; // shown as a blank
    scr.cells[2] = 0x1B; // control bytes are copied
    scr.cells[3] = 0x82; // a kanji's two bytes
    scr.cells[4] = 0xA0;
    scr.cells[5] = 0x00; // trailing: trimmed
    QCOMPARE(scr.Clip(0, 79), std::string("A \x1B\x82\xA0"));
}

void LogicTest::clipTextWholeScreen() {
    // Every row holds 79 characters and one trailing blank: 25 x 79 + 24 x 2 bytes.
    Screen scr;
    for (int r = 0; r < 25; ++r)
        scr.Put(r, 0, std::string(79, char('A' + r % 26)));
    const std::string text = scr.Clip(0, 1999);
    QCOMPARE(int(text.size()), 2023);
    std::string expected;
    for (int r = 0; r < 25; ++r) {
        expected += std::string(79, char('A' + r % 26));
        if (r != 24) expected += "\r\n";
    }
    QCOMPARE(text, expected);
}

void LogicTest::dipSwitch() {
    const DipSwPage def = DipToPage(0x9F);
    QVERIFY(!def.bHdd && def.b2hd && def.b2d);
    QCOMPARE(def.nDrive, 0);
    QCOMPARE(PageToDip(def), 0x9F);

    QCOMPARE(PageToDip({true, false, true, 2}), 0x5D);

    const DipSwPage odd = DipToPage(0x83); // bits 4-2 not all set
    QVERIFY(!odd.bHdd && odd.b2hd && odd.b2d);
    QCOMPARE(odd.nDrive, 0);
    QCOMPARE(PageToDip(odd), 0x9F);

    QCOMPARE(PageToDip({false, false, false, 3}), 0xFC);
    QCOMPARE(PageToDip({true, true, true, -1}), 0x1F);
}

void LogicTest::speedTitle() {
    QCOMPARE(SpeedTitle(2000), QString("ORLO ( 0.2MHz)"));
    QCOMPARE(SpeedTitle(20000), QString("ORLO (   2MHz)"));
    QCOMPARE(SpeedTitle(123456), QString("ORLO (12.35MHz)"));
}

QTEST_MAIN(LogicTest)
#include "logic_test.moc"
