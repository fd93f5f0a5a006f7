// The frame and the view without the idle loop: settings read and written, files opened,
// keys, paste, mouse selection and copy, title, painting, client area, menus.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QClipboard>
#include <QFile>
#include <QMenuBar>
#include <QMouseEvent>
#include <QtTest>
#include <memory>

#include "floppy/file_fdd.h"
#include "platform/file.h"
#include "shell/command_ids.h"
#include "shell/main_frame.h"
#include "shell_test_env.h"

namespace {

const char* const kPathNames[] = {"2HD0", "2HD1", "2HD2", "2HD3", "2D0",  "2D1",  "2D2", "2D3",
                                  "HDD0", "HDD1", "HDD2", "HDD3", "PRN0", "PRN1", "PRN2"};

std::unique_ptr<CMainFrame> MakeFrame() {
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->LoadFrame()) return nullptr;
    return frame;
}

QString ProfileString(const char* name) {
    return Profile().value(QString("ORLO/") + name).toString();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pt, Qt::MouseButtons buttons) {
    QMouseEvent e(type, pt, w->mapToGlobal(pt), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The client point at the middle of text cell (column, row) on a 640 x 400 view.
QPoint CellPoint(int column, int row) {
    return QPoint(column * 8 + 4, row * 16 + 8);
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void emptySettingsGiveDefaultsAndAreWrittenBack();
    void missingFilesAreCreatedAndKeptOpen();
    void unopenablePathsLeaveSlotsEmpty();
    void keysPushTheirCodes();
    void typedTextAndInputMethodPushCp932Bytes();
    void pastePushesBytesWithoutLineFeeds();
    void dragSelectsAndCopies();
    void clickWithoutDragKeepsPreparedText();
    void titleShowsSpeedEvery50Ticks();
    void paintShowsOutputLayer();
    void clientAreaIs640x400AfterCreation();
    void menusAndCommandRouting();
    void terminalWindowsOpenAndClose();

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
};

void ViewTest::initTestCase() {
    QVERIFY(m_settingsDir.isValid() && m_files.isValid());
    RedirectSettings(m_settingsDir);
}

void ViewTest::init() {
    ClearProfile();
}

void ViewTest::emptySettingsGiveDefaultsAndAreWrittenBack() {
    auto frame = MakeFrame();
    QVERIFY(frame);
    CChildView& view = frame->m_wndView;
    for (CFileFdd* f : view.m_main.m_pFdd)
        QVERIFY(!f);
    for (CFile* f : view.m_main.m_pHdd)
        QVERIFY(!f);
    for (CFile* f : view.m_main.m_pPrn)
        QVERIFY(!f);
    QCOMPARE(view.m_main.m_nDipSw, 159);
    QCOMPARE(int(view.m_main.m_io[0xD23]), 159); // the machine's reset took the setting

    frame->close();
    Profile().sync();
    for (const char* name : kPathNames) {
        QVERIFY2(Profile().contains(QString("ORLO/") + name), name);
        QCOMPARE(ProfileString(name), QString());
    }
    QCOMPARE(Profile().value("ORLO/DipSW").toInt(), 159);
    QCOMPARE(Profile().childGroups(), QStringList{"ORLO"});
}

void ViewTest::missingFilesAreCreatedAndKeptOpen() {
    const QString fdd = m_files.filePath("new_disk.d88");
    const QString hdd = m_files.filePath("new_hd.img");
    const QString prn = m_files.filePath("printer.txt");
    const QString oldHdd = m_files.filePath("old_hd.img");
    QFile::remove(fdd);
    QFile::remove(hdd);
    WriteFile(prn, "printed before");
    WriteFile(oldHdd, QByteArray(512, 'h'));
    Profile().setValue("ORLO/2D1", fdd);
    Profile().setValue("ORLO/HDD3", hdd);
    Profile().setValue("ORLO/HDD0", oldHdd);
    Profile().setValue("ORLO/PRN2", prn);
    Profile().setValue("ORLO/DipSW", 0x5D);
    // A relative path is written back in full.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_files.path());
    Profile().setValue("ORLO/2HD2", "relative.img");

    auto frame = MakeFrame();
    QDir::setCurrent(cwd);
    CChildView& view = frame->m_wndView;
    QVERIFY(view.m_main.m_pFdd[5] && view.m_main.m_pFdd[5]->IsOpen());
    QVERIFY(view.m_main.m_pHdd[3] && view.m_main.m_pHdd[3]->IsOpen());
    QVERIFY(view.m_main.m_pHdd[0]);
    QVERIFY(view.m_main.m_pPrn[2]);
    QVERIFY(view.m_main.m_pFdd[2]);
    QVERIFY(QFile::exists(fdd) && QFile::exists(hdd));
    QCOMPARE(ReadAll(prn), QByteArray()); // every start empties the printer file
    QCOMPARE(ReadAll(oldHdd), QByteArray(512, 'h'));
    QCOMPARE(view.m_main.m_nDipSw, 0x5D);

    frame->close();
    Profile().sync();
    QCOMPARE(ProfileString("2D1"), fdd);
    QCOMPARE(ProfileString("HDD3"), hdd);
    QCOMPARE(ProfileString("HDD0"), oldHdd);
    QCOMPARE(ProfileString("PRN2"), prn);
    QCOMPARE(ProfileString("2HD2"), m_files.filePath("relative.img"));
    QCOMPARE(Profile().value("ORLO/DipSW").toInt(), 0x5D);
    QVERIFY(!view.m_main.m_pFdd[5] && !view.m_main.m_pHdd[3] && !view.m_main.m_pPrn[2]);
}

void ViewTest::unopenablePathsLeaveSlotsEmpty() {
    const QString held = m_files.filePath("held.img");
    WriteFile(held, QByteArray(1024, 'x'));
    CFile holder(held.toStdString(), CFile::modeReadWrite); // someone else has it open
    Profile().setValue("ORLO/2HD1", m_files.filePath("no/such/folder/a.img"));
    Profile().setValue("ORLO/HDD2", m_files.path()); // a folder
    Profile().setValue("ORLO/2D3", held);
    Profile().setValue("ORLO/PRN0", m_files.filePath("no/such/folder/p.txt"));

    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    QVERIFY(!view.m_main.m_pFdd[1]);
    QVERIFY(!view.m_main.m_pHdd[2]);
    QVERIFY(!view.m_main.m_pFdd[7]);
    QVERIFY(!view.m_main.m_pPrn[0]);
    QCOMPARE(ReadAll(held), QByteArray(1024, 'x')); // never replaced by an empty file

    frame->close();
    Profile().sync();
    for (const char* name : {"2HD1", "HDD2", "2D3", "PRN0"})
        QCOMPARE(ProfileString(name), QString());
}

void ViewTest::keysPushTheirCodes() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    DrainKeys(view.m_sub);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mod;
        std::vector<uint16_t> codes;
    };
    const Case cases[] = {
        {Qt::Key_F1, Qt::ShiftModifier, {0x121}},
        {Qt::Key_Up, Qt::ControlModifier, {0x156}},
        {Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier, {0x179}},
        {Qt::Key_Pause, Qt::ShiftModifier, {0x201}},
        {Qt::Key_At, Qt::ControlModifier, {0x000}},
        {Qt::Key_F12, Qt::NoModifier, {0x10C}},
        {Qt::Key_Delete, Qt::NoModifier, {0x114}},
        {Qt::Key_Return, Qt::NoModifier, {0x0D}},
        {Qt::Key_Tab, Qt::NoModifier, {0x09}},
        {Qt::Key_Backtab, Qt::ShiftModifier, {0x09}},
        {Qt::Key_X, Qt::AltModifier, {}}, // the menu's
    };
    for (const Case& c : cases) {
        QTest::keyClick(&view, c.key, c.mod);
        QCOMPARE(PendingKeys(view.m_sub), c.codes);
        QCOMPARE(view.m_nKeyMod, 0u); // modifiers released again
        DrainKeys(view.m_sub);
    }

    // F10 opens the menu bar and pushes nothing.
    QTest::keyClick(&view, Qt::Key_F10);
    QVERIFY(PendingKeys(view.m_sub).empty());
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();

    // Auto-repeat pushes again; a held Shift applies to every key until released.
    QTest::keyPress(&view, Qt::Key_Shift);
    QTest::keyPress(&view, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyPress(&view, Qt::Key_Home, Qt::ShiftModifier, -1);
    QTest::keyRelease(&view, Qt::Key_Shift);
    QTest::keyClick(&view, Qt::Key_Home);
    QCOMPARE(PendingKeys(view.m_sub), (std::vector<uint16_t>{0x135, 0x135, 0x115}));
    DrainKeys(view.m_sub);

    // A full FIFO drops further keys.
    for (int i = 0; i < 600; ++i)
        QTest::keyClick(&view, Qt::Key_F2);
    QCOMPARE(int(PendingKeys(view.m_sub).size()), CSubCpu::kKeyBufSize - 1);
}

void ViewTest::typedTextAndInputMethodPushCp932Bytes() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    DrainKeys(view.m_sub);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("あ"));
    QApplication::sendEvent(&view, &press);
    QCOMPARE(PendingKeys(view.m_sub), (std::vector<uint16_t>{0x82, 0xA0}));
    DrainKeys(view.m_sub);

    QTest::keyClicks(&view, "a@");
    QCOMPARE(PendingKeys(view.m_sub), (std::vector<uint16_t>{'a', '@'}));
    DrainKeys(view.m_sub);

    QInputMethodEvent compose(QString::fromUtf8("かん"), {});
    QApplication::sendEvent(&view, &compose);
    QVERIFY(PendingKeys(view.m_sub).empty());
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("漢A"));
    QApplication::sendEvent(&view, &commit);
    QCOMPARE(PendingKeys(view.m_sub), (std::vector<uint16_t>{0x8A, 0xBF, 'A'}));
}

void ViewTest::pastePushesBytesWithoutLineFeeds() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    DrainKeys(view.m_sub);
    QGuiApplication::clipboard()->setText("AB\r\nC");
    bool enable = false;
    QVERIFY(view.OnUpdateCmdUI(ID_EDIT_PASTE, enable) && enable);
    view.OnEditPaste();
    QCOMPARE(PendingKeys(view.m_sub), (std::vector<uint16_t>{0x41, 0x42, 0x0D, 0x43}));
    DrainKeys(view.m_sub);

    QGuiApplication::clipboard()->setText(QString::fromUtf8("字\n"));
    view.OnEditPaste();
    QCOMPARE(PendingKeys(view.m_sub), (std::vector<uint16_t>{0x8E, 0x9A}));

    QGuiApplication::clipboard()->clear();
    QVERIFY(view.OnUpdateCmdUI(ID_EDIT_PASTE, enable) && !enable);
}

void ViewTest::dragSelectsAndCopies() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    frame->show();
    QCOMPARE(view.size(), QSize(640, 400));
    const std::string row2 = "0123 hello", row3 = "  world";
    for (int c = 0; c < 2000; ++c)
        view.m_sub.m_wTextShadow[c] = 0x20;
    for (size_t i = 0; i < row2.size(); ++i)
        view.m_sub.m_wTextShadow[160 + i] = uint8_t(row2[i]);
    for (size_t i = 0; i < row3.size(); ++i)
        view.m_sub.m_wTextShadow[240 + i] = uint8_t(row3[i]);

    bool enable = true;
    QVERIFY(view.OnUpdateCmdUI(ID_EDIT_COPY, enable) && !enable);

    // Down on row 3 column 6, up across the anchor to row 2 column 5.
    SendMouse(&view, QEvent::MouseButtonPress, CellPoint(6, 3), Qt::LeftButton);
    QCOMPARE(view.m_nSelMode, 1);
    SendMouse(&view, QEvent::MouseMove, CellPoint(9, 3), Qt::LeftButton);
    QCOMPARE(view.m_nSelMode, 3);
    // While the drag lasts the selected cells are shown inverted.
    view.m_sub.m_dcOut.FillRect(CRect{0, 0, 640, 400}, 0x000000);
    QImage shot = view.grab().toImage();
    QCOMPARE(shot.pixel(CellPoint(7, 3)) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(shot.pixel(CellPoint(5, 3)) & 0xFFFFFF, 0x000000u);
    SendMouse(&view, QEvent::MouseMove, CellPoint(5, 2), Qt::LeftButton);
    QCOMPARE(view.m_nSelMode, 4);
    SendMouse(&view, QEvent::MouseButtonRelease, CellPoint(5, 2), Qt::NoButton);
    QCOMPARE(view.m_nSelMode, 0);
    QCOMPARE(view.m_nSelStart, 2 * 80 + 5);
    QCOMPARE(view.m_nSelEnd, 3 * 80 + 6);
    QVERIFY(view.m_clip);
    // Row 3's blanks lie left of the start column: trimmed.
    QCOMPARE(*view.m_clip, std::string("hello\r\nworld"));
    shot = view.grab().toImage();
    QCOMPARE(shot.pixel(CellPoint(7, 3)) & 0xFFFFFF, 0x000000u); // highlight gone

    QVERIFY(view.OnUpdateCmdUI(ID_EDIT_COPY, enable) && enable);
    QGuiApplication::clipboard()->clear();
    QVERIFY(frame->OnCmdMsg(ID_EDIT_COPY));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("hello\r\nworld"));
    QVERIFY(!view.m_clip); // copied once
    QVERIFY(view.OnUpdateCmdUI(ID_EDIT_COPY, enable) && !enable);

    // Kanji bytes reach the clipboard as Unicode text.
    view.m_sub.m_wTextShadow[400] = 0x8A;
    view.m_sub.m_wTextShadow[401] = 0xBF;
    SendMouse(&view, QEvent::MouseButtonPress, CellPoint(0, 5), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseMove, CellPoint(1, 5), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseButtonRelease, CellPoint(1, 5), Qt::NoButton);
    view.OnEditCopy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("漢"));

    // A drag far outside the view stops at the screen's last cell.
    SendMouse(&view, QEvent::MouseButtonPress, CellPoint(78, 24), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseMove, QPoint(5000, 5000), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseButtonRelease, QPoint(5000, 5000), Qt::NoButton);
    QCOMPARE(view.m_nSelEnd, 1999);
    QVERIFY(view.m_clip);
}

void ViewTest::clickWithoutDragKeepsPreparedText() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    for (int c = 0; c < 2000; ++c)
        view.m_sub.m_wTextShadow[c] = 'Q';
    // Button down and up on different cells without a move in between is a click.
    SendMouse(&view, QEvent::MouseButtonPress, CellPoint(0, 0), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseButtonRelease, CellPoint(2, 0), Qt::NoButton);
    QVERIFY(!view.m_clip);
    SendMouse(&view, QEvent::MouseButtonPress, CellPoint(0, 0), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseMove, CellPoint(1, 0), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseButtonRelease, CellPoint(2, 0), Qt::NoButton);
    QCOMPARE(*view.m_clip, std::string("QQQ"));

    // A click, and a double click, leave it as it is.
    SendMouse(&view, QEvent::MouseButtonPress, CellPoint(10, 10), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseButtonRelease, CellPoint(10, 10), Qt::NoButton);
    SendMouse(&view, QEvent::MouseButtonDblClick, CellPoint(10, 10), Qt::LeftButton);
    QCOMPARE(view.m_nSelMode, 0);
    SendMouse(&view, QEvent::MouseMove, CellPoint(20, 12), Qt::LeftButton);
    SendMouse(&view, QEvent::MouseButtonRelease, CellPoint(20, 12), Qt::NoButton);
    QCOMPARE(view.m_nSelMode, 0);
    QCOMPARE(*view.m_clip, std::string("QQQ"));
}

void ViewTest::titleShowsSpeedEvery50Ticks() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    QCOMPARE(frame->windowTitle(), QString("ORLO"));
    QVERIFY(view.m_nTimer != 0);
    view.m_main.m_nSpeed = 123456;
    view.m_sub.m_bTick = view.m_main.m_bTick = 0;
    for (int i = 0; i < 49; ++i)
        view.OnTimer();
    QCOMPARE(view.m_main.m_bTick, 1);
    QCOMPARE(view.m_sub.m_bTick, 1);
    QCOMPARE(frame->windowTitle(), QString("ORLO"));
    view.OnTimer();
    QCOMPARE(frame->windowTitle(), QString("ORLO (12.35MHz)"));
    view.m_main.m_nSpeed = 2000;
    for (int i = 0; i < 50; ++i)
        view.OnTimer();
    QCOMPARE(frame->windowTitle(), QString("ORLO ( 0.2MHz)"));
    view.m_main.m_nSpeed = 20000;
    for (int i = 0; i < 50; ++i)
        view.OnTimer();
    QCOMPARE(frame->windowTitle(), QString("ORLO (   2MHz)"));
}

void ViewTest::paintShowsOutputLayer() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    frame->show();
    Surface& out = view.m_sub.m_dcOut;
    out.FillRect(CRect{0, 0, 640, 400}, 0x000000);
    out.FillRect(CRect{8, 16, 16, 32}, 0xC0C000);
    out.SetPixel(639, 399, 0x00FFFF);
    out.SetPixel(100, 100, 0xFF0000);
    const QImage shot = view.grab().toImage();
    QCOMPARE(shot.size(), QSize(640, 400));
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) != out.GetPixel(x, y))
                QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));

    // Larger: every screen pixel becomes a block of the same colour.
    frame->resize(frame->width() + 640, frame->height() + 400);
    QTRY_COMPARE(view.size(), QSize(1280, 800));
    const QImage big = view.grab().toImage();
    QCOMPARE(big.pixel(200, 200) & 0xFFFFFF, 0xFF0000u);
    QCOMPARE(big.pixel(201, 201) & 0xFFFFFF, 0xFF0000u);
    QCOMPARE(big.pixel(202, 202) & 0xFFFFFF, 0x000000u);
    QCOMPARE(big.pixel(1279, 799) & 0xFFFFFF, 0x00FFFFu);
}

void ViewTest::clientAreaIs640x400AfterCreation() {
    auto frame = MakeFrame();
    QCOMPARE(frame->m_wndView.size(), QSize(640, 400));
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    QCOMPARE(frame->m_wndView.size(), QSize(640, 400));
    QVERIFY(frame->menuBar()->height() > 0);
    QVERIFY(!(frame->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    // The user may resize it afterwards.
    frame->resize(frame->width() - 100, frame->height() - 50);
    QTRY_COMPARE(frame->m_wndView.size(), QSize(540, 350));
}

void ViewTest::menusAndCommandRouting() {
    auto frame = MakeFrame();
    const QList<QAction*> menus = frame->menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QCOMPARE(menus[0]->text(), QString::fromUtf8("ファイル(&F)"));
    QCOMPARE(menus[1]->text(), QString::fromUtf8("編集(&E)"));
    QCOMPARE(menus[2]->text(), QString::fromUtf8("ヘルプ(&H)"));
    QStringList items;
    for (QAction* a : menus[1]->menu()->actions())
        items << (a->isSeparator() ? QString("-") : a->text() + "=" + a->data().toString());
    QCOMPARE(items, (QStringList{QString::fromUtf8("コピー(&C)=57634"),
                                 QString::fromUtf8("貼り付け(&P)=57637"), "-",
                                 QString::fromUtf8("CPUデバッグ(&D)=32777")}));
    QCOMPARE(menus[0]->menu()->actions().size(), 4);
    QCOMPARE(menus[0]->menu()->actions()[1]->data().toUInt(), 32773u);
    QCOMPARE(menus[2]->menu()->actions()[0]->text(),
             QString::fromUtf8("ORLOバージョン情報(&A)..."));

    // Enable states come from the view when the menu is about to show.
    CChildView& view = frame->m_wndView;
    QGuiApplication::clipboard()->setText("x");
    frame->UpdateMenu(menus[1]->menu());
    QVERIFY(!menus[1]->menu()->actions()[0]->isEnabled()); // nothing to copy
    QVERIFY(menus[1]->menu()->actions()[1]->isEnabled());
    view.m_clip = "text";
    frame->UpdateMenu(menus[1]->menu());
    QVERIFY(menus[1]->menu()->actions()[0]->isEnabled());
    menus[1]->menu()->actions()[0]->trigger(); // the view's Copy
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("text"));

    // Posted commands arrive through the event queue; ids nobody handles are ignored.
    view.PostCommand(ID_USART_OPEN + 2);
    view.PostCommand(ID_USART_CLOSE + 4);
    view.PostCommand(ID_DEBUG_STEP);
    QCoreApplication::postEvent(frame.get(), new CCommandEvent(12345));
    QCoreApplication::sendPostedEvents();
    QVERIFY(view.OnCmdMsg(ID_USART_OPEN + 4));
    QVERIFY(!view.OnCmdMsg(ID_USART_OPEN + 5));
    QVERIFY(!view.OnCmdMsg(ID_APP_ABOUT)); // the application's

    // Exit closes the frame, which writes the settings.
    frame->show();
    QVERIFY(frame->OnCmdMsg(ID_APP_EXIT));
    QVERIFY(!frame->isVisible());
    QVERIFY(!view.IsWindow());
    QVERIFY(Profile().contains("ORLO/DipSW"));
}

namespace {

QWidget* TermWindow(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title && w->isVisible()) return w;
    return nullptr;
}

} // namespace

void ViewTest::terminalWindowsOpenAndClose() {
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    view.PostCommand(ID_USART_OPEN + 2);
    QCoreApplication::sendPostedEvents();
    CTerm* term = view.m_main.m_pTerm[2];
    QVERIFY(term);
    QVERIFY(TermWindow("USART 2"));
    view.PostCommand(ID_USART_OPEN + 2); // already open: left alone
    QCoreApplication::sendPostedEvents();
    QCOMPARE(view.m_main.m_pTerm[2], term);

    // The machine drops DTR.
    view.PostCommand(ID_USART_CLOSE + 2);
    view.PostCommand(ID_USART_CLOSE + 3); // never opened
    QCoreApplication::sendPostedEvents();
    QVERIFY(!view.m_main.m_pTerm[2]);
    QTRY_VERIFY(!TermWindow("USART 2"));

    // The user closes a window: the board notices at its next tick and the view ends it.
    view.OnUsartOpen(ID_USART_OPEN + 4);
    QWidget* wnd = TermWindow("USART 4");
    QVERIFY(wnd);
    wnd->close();
    QVERIFY(view.m_main.m_pTerm[4]);
    view.m_main.m_bTick = 1;
    view.m_main.Step();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!view.m_main.m_pTerm[4]);

    // Terminals still open go with the machine.
    view.OnUsartOpen(ID_USART_OPEN + 0);
    QVERIFY(TermWindow("USART 0"));
    frame.reset();
    QTRY_VERIFY(!TermWindow("USART 0"));
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
