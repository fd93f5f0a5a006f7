// The frame and the view without the idle loop: settings read and written (the settings
// file itself: profile_test.cpp), files opened or reported, keys, mouse selection, copy
// and paste, title, painting, client area, commands, terminals; the settings sheet run from the
// view (pages filled from the machine, OK reopening the images and the changed printer files and
// setting the DIP switches at once, Cancel changing nothing), and floppy images saved while open
// and at the end, or reported when they cannot be.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QtTest>

#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>

#include "platform/file.h"
#include "shell/command_ids.h"
#include "shell/orlo_prop.h"
#include "shell_test_env.h"
#include "terminal/term.h"

namespace {

// Whether the view holds the file of that settings name open.
bool IsOpen(const CChildView& view, const QString& name) {
    const int i = name.back().digitValue();
    if (name.startsWith("2HD")) return view.m_main.m_pFdd[i];
    if (name.startsWith("2D")) return view.m_main.m_pFdd[4 + i];
    if (name.startsWith("HDD")) return view.m_main.m_pHdd[i];
    return view.m_main.m_pPrn[i];
}

// A left-button event over text cell (column, row) of a 640 x 400 view.
void Mouse(QWidget* w, QEvent::Type type, int column, int row) {
    const QPoint pt(column * 8 + 4, row * 16 + 8);
    QMouseEvent e(type, pt, w->mapToGlobal(pt), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QRgb Pixel(QWidget* w, int column, int row) {
    return w->grab().toImage().pixel(column * 8 + 4, row * 16 + 8) & 0xFFFFFF;
}

QWidget* TermWindow(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title && w->isVisible()) return w;
    return nullptr;
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_settingsDir.isValid() && m_files.isValid());
        RedirectSettings(m_settingsDir);
    }

    void init() { ClearProfile(); }

    // The machine's reset takes the DIP switches read.
    void configuredFilesOpenOrAreReported() {
        const QString fdd = m_files.filePath("new_disk.d88"), hdd = m_files.filePath("new_hd.img");
        const QString prn = m_files.filePath("printer.txt"), oldHdd = m_files.filePath("old.img");
        const QString held = m_files.filePath("held.img"), relative = "relative.img";
        const QString noFolder = m_files.filePath("no/such/folder/a.img");
        const QString fifo = m_files.filePath("fifo.d88"), hddFifo = m_files.filePath("hdd.fifo");
        for (const QString& f : {fifo, hddFifo})
            QVERIFY(QFile::exists(f) || ::mkfifo(qPrintable(f), 0600) == 0);
        QVERIFY(WriteFile(prn, "printed before") && WriteFile(oldHdd, QByteArray(512, 'h')));
        QVERIFY(WriteFile(held, QByteArray(1024, 'x')));
        CFile holder(held.toStdString(), CFile::modeReadWrite); // someone else has it open
        const struct {
            QString name, path;
            bool open;
        } cases[] = {
            {"2D1", fdd, true}, // missing: created
            {"HDD3", hdd, true},
            {"HDD0", oldHdd, true},
            {"PRN2", prn, true},
            {"2HD2", relative, true}, // written back as opened: absolute
            // Cannot be opened: reported, the slot stays empty, the path stays configured.
            {"2HD1", noFolder, false},
            {"HDD2", m_files.path(), false}, // a folder
            {"2D3", held, false},
            {"2HD3", fifo, false}, // a floppy image is a regular file
            {"HDD1", hddFifo, true},
            {"PRN0", m_files.filePath("no/such/folder/p.txt"), false},
        };
        for (const auto& c : cases)
            Profile().setValue("ORLO/" + c.name, c.path);
        Profile().setValue("ORLO/DipSW", 0x5D);
        MessageBoxes boxes;
        std::unique_ptr<CMainFrame> frame;
        {
            const auto back = qScopeGuard([cwd = QDir::currentPath()] { QDir::setCurrent(cwd); });
            QVERIFY(QDir::setCurrent(m_files.path()));
            frame = MakeFrame();
        }
        CChildView& view = frame->m_wndView;
        for (const auto& c : cases)
            QVERIFY2(IsOpen(view, c.name) == c.open, qPrintable(c.name));
        QCOMPARE(int(view.m_main.m_io[0xD23]), 0x5D);
        QCOMPARE(boxes.texts.size(), 5); // one for each, naming the path and the reason
        for (const auto& c : cases)
            QCOMPARE(boxes.texts.filter("\n" + c.path + "\n").size(), c.open ? 0 : 1);
        const QString noEntry = QString::fromLocal8Bit(std::generic_category().message(ENOENT));
        QVERIFY2(boxes.texts[0].endsWith(noFolder + "\n" + noEntry), qPrintable(boxes.texts[0]));
        const QString notRegular = "フロッピーディスクイメージを開けませんでした。\n\n" + fifo +
                                   "\n通常のファイルではありません。";
        QCOMPARE(boxes.texts.filter(notRegular).size(), 1);
        QVERIFY(QFile::exists(fdd) && QFile::exists(hdd));
        QCOMPARE(ReadFile(prn), QByteArray()); // every start empties the printer file
        QCOMPARE(ReadFile(oldHdd), QByteArray(512, 'h'));
        QCOMPARE(ReadFile(held), QByteArray(1024, 'x')); // never replaced by an empty file

        frame->close();
        for (const auto& c : cases)
            QCOMPARE(ProfileString(c.name),
                     c.path == relative ? m_files.filePath(relative) : c.path);
        QCOMPARE(Profile().value("ORLO/DipSW").toInt(), 0x5D);
        QVERIFY(!view.m_main.m_pFdd[5] && !view.m_main.m_pHdd[3] && !view.m_main.m_pPrn[2]);
    }

    void keysAndTextPushTheirCodes() {
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        const auto S = Qt::ShiftModifier, C = Qt::ControlModifier, N = Qt::NoModifier;
        // key, modifiers, text, codes pushed
        const std::tuple<Qt::Key, Qt::KeyboardModifiers, QString, std::vector<uint16_t>> cases[] = {
            {Qt::Key_F1, S, "", {0x121}},
            {Qt::Key_Up, C, "", {0x156}},
            {Qt::Key_Right, S | C, "", {0x179}},
            {Qt::Key_Pause, S, "", {0x201}},
            {Qt::Key_Pause, C, "", {}}, // the host's Cancel key
            {Qt::Key_At, C, "", {0x000}},
            {Qt::Key_At, N, "@", {'@'}},
            {Qt::Key_F12, N, "", {0x10C}},
            {Qt::Key_Return, N, "\r", {0x0D}},
            {Qt::Key_Backtab, S, "", {0x09}},
            {Qt::Key_A, S, "A", {'A'}},
            {Qt::Key_unknown, N, QString::fromUtf8("あ"), {0x82, 0xA0}},
            {Qt::Key_X, Qt::AltModifier, "x", {}}, // the menu's
            {Qt::Key_F10, N, "", {}},
        };
        TakeKeys(view.m_sub);
        for (const auto& [key, mod, text, codes] : cases) {
            QTest::sendKeyEvent(QTest::Click, &view, key, text, mod);
            QCOMPARE(TakeKeys(view.m_sub), codes);
            QCOMPARE(view.m_nKeyMod, 0u); // modifiers released again
        }
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();

        // Input-method text is pushed when committed, not while composed.
        QInputMethodEvent compose(QString::fromUtf8("かん"), {});
        QApplication::sendEvent(&view, &compose);
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("漢A"));
        QApplication::sendEvent(&view, &commit);
        QCOMPARE(TakeKeys(view.m_sub), (std::vector<uint16_t>{0x8A, 0xBF, 'A'}));
    }

    void dragSelectsCopiesAndPastes() {
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        frame->show();
        const std::string text = "0123 \x8A\xBFhello" + std::string(68, ' ') + "  world";
        for (int c = 0; c < 2000; ++c) // a kanji's two bytes, then "hello"; "  world" below
            view.m_sub.m_wTextShadow[c] =
                c >= 160 && c < 160 + int(text.size()) ? uint8_t(text[c - 160]) : ' ';

        // Down on row 3 column 6, over column 9, then across the anchor to row 2 column 5.
        const auto Press = QEvent::MouseButtonPress, Move = QEvent::MouseMove,
                   Release = QEvent::MouseButtonRelease;
        Mouse(&view, Press, 6, 3);
        Mouse(&view, Move, 9, 3);
        view.m_sub.m_dcOut.FillRect(CRect{0, 0, 640, 400}, 0x000000);
        QCOMPARE(Pixel(&view, 7, 3), 0xFFFFFFu); // selected cells shown inverted while dragging
        QCOMPARE(Pixel(&view, 5, 3), 0x000000u);
        Mouse(&view, Move, 5, 2);
        Mouse(&view, Release, 5, 2);
        QCOMPARE(*view.m_clip, std::string("\x8A\xBFhello\nworld"));
        QCOMPARE(Pixel(&view, 7, 3), 0x000000u);

        // A click, even over several cells, and a double click with a drag are no selection.
        Mouse(&view, Press, 10, 10);
        Mouse(&view, Release, 12, 10);
        Mouse(&view, QEvent::MouseButtonDblClick, 10, 10);
        Mouse(&view, Move, 20, 12);
        Mouse(&view, Release, 20, 12);
        QCOMPARE(view.m_nSelMode, 0);
        QCOMPARE(*view.m_clip, std::string("\x8A\xBFhello\nworld"));

        bool enable = false;
        QVERIFY(view.OnUpdateCmdUI(ID_EDIT_COPY, enable) && enable);
        QVERIFY(frame->OnCmdMsg(ID_EDIT_COPY));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("漢hello\nworld"));
        QVERIFY(view.OnUpdateCmdUI(ID_EDIT_COPY, enable) && !enable); // copied once

        // Paste types what the clipboard holds (every line end: clip_text_test).
        TakeKeys(view.m_sub);
        QVERIFY(view.OnUpdateCmdUI(ID_EDIT_PASTE, enable) && enable);
        view.OnEditPaste();
        const std::vector<uint16_t> typed{0x8A, 0xBF, 'h', 'e', 'l', 'l', 'o',
                                          0x0D, 'w',  'o', 'r', 'l', 'd'};
        QCOMPARE(TakeKeys(view.m_sub), typed);
        QGuiApplication::clipboard()->clear();
        QVERIFY(view.OnUpdateCmdUI(ID_EDIT_PASTE, enable) && !enable);
    }

    void titleShowsSpeedEvery50Ticks() {
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        view.m_sub.m_bTick = view.m_main.m_bTick = 0;
        QString shown = "ORLO";
        for (auto [speed, title] : {std::pair{123456, "ORLO (12.35MHz)"},
                                    {2000, "ORLO ( 0.2MHz)"},
                                    {20000, "ORLO (   2MHz)"}}) {
            view.m_main.m_nSpeed = speed;
            for (int i = 0; i < 49; ++i)
                view.OnTimer();
            QVERIFY(view.m_main.m_bTick == 1 && view.m_sub.m_bTick == 1);
            QCOMPARE(frame->windowTitle(), shown);
            view.OnTimer();
            QCOMPARE(frame->windowTitle(), shown = title);
        }
    }

    void paintAndClientArea() {
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        QCOMPARE(view.size(), QSize(640, 400));
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        Surface& out = view.m_sub.m_dcOut;
        out.FillRect(CRect{0, 0, 640, 400}, 0x000000);
        out.SetPixel(639, 399, 0x00FFFF);
        out.SetPixel(100, 100, 0xFF0000);
        // Then the user resizes it: every screen pixel becomes a block of the same colour.
        for (const int scale : {1, 2}) {
            QTRY_COMPARE(view.size(), QSize(640, 400) * scale);
            const QImage shot = view.grab().toImage();
            const auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
            QCOMPARE(at(100 * scale + scale - 1, 100 * scale + scale - 1), 0xFF0000u);
            QCOMPARE(at(101 * scale, 101 * scale), 0u);
            QCOMPARE(at(640 * scale - 1, 400 * scale - 1), 0x00FFFFu);
            frame->resize(frame->width() + 640, frame->height() + 400);
        }
    }

    void commandsAndTerminals() {
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        // Menu enable states come from the view when the menu is about to show.
        QMenu* edit = frame->menuBar()->actions()[1]->menu();
        view.m_clip = "text";
        frame->UpdateMenu(edit);
        QVERIFY(edit->actions()[0]->isEnabled());

        // Posted commands arrive through the event queue; ids nobody handles are ignored.
        // Raising DTR asks for a window; a port whose DTR fell again before the request
        // arrived gets none, and its close request finds nothing to close.
        const auto command = [&](int port, uint8_t value) {
            view.m_main.UsartAccess(port, CMainCpu::USART_COMMAND, value);
        };
        command(2, 0x27);
        command(4, 0x02);
        command(1, 0x27);
        command(1, 0x00);
        QCoreApplication::postEvent(frame.get(), new CCommandEvent(12345));
        QCoreApplication::sendPostedEvents();
        QVERIFY(view.m_main.m_pTerm[2] && TermWindow("USART 2"));
        QVERIFY(!view.m_main.m_pTerm[1] && !TermWindow("USART 1"));
        // DTR dropped and raised again before the close request arrives: the same window,
        // with what it shows.
        view.m_main.m_pTerm[2]->Write('Z');
        command(2, 0x00);
        command(2, 0x27);
        QCoreApplication::sendPostedEvents();
        QVERIFY(view.m_main.m_pTerm[2]);
        QCOMPARE(view.m_main.m_pTerm[2]->ScreenRow(0)[0].ch, 'Z');
        command(2, 0x00);                     // the machine drops DTR
        view.PostCommand(ID_USART_CLOSE + 3); // never opened
        QCoreApplication::sendPostedEvents();
        QVERIFY(!view.m_main.m_pTerm[2]);
        QTRY_VERIFY(!TermWindow("USART 2"));

        // Exit closes the frame and the terminals still open, and writes the settings.
        frame->show();
        QVERIFY(frame->OnCmdMsg(ID_APP_EXIT));
        QVERIFY(!frame->isVisible() && !view.IsWindow());
        QVERIFY(Profile().contains("ORLO/DipSW"));
        frame.reset();
        QTRY_VERIFY(!TermWindow("USART 4"));
    }

    void dipSwitchesThroughThePage() {
        // byte before, page shown (HDD, 2HD FDD, 2D FDD, drive), whether changed, byte after
        const std::tuple<int, QString, bool, int> cases[] = {{0x9F, "0110", false, 0x9F},
                                                             {0x83, "0110", false, 0x9F},
                                                             {0x5D, "1012", false, 0x5D},
                                                             {0x9F, "0110", true, 0x5D}};
        for (const auto& [before, expected, change, after] : cases) {
            auto frame = MakeFrame();
            CChildView& view = frame->m_wndView;
            view.m_main.m_nDipSw = before;
            QString shown;
            OnNextModal<COrloProp>([&](COrloProp* prop) {
                CDipSwPage& page = prop->m_pageDipSw;
                shown = QString("%1%2%3%4")
                            .arg(page.m_chkHdd->isChecked())
                            .arg(page.m_chk2hd->isChecked())
                            .arg(page.m_chk2d->isChecked())
                            .arg(page.m_drive->checkedId());
                if (change) {
                    page.m_chkHdd->setChecked(true);
                    page.m_chk2hd->setChecked(false);
                    page.m_drive->button(2)->click();
                }
                prop->accept();
            });
            view.OnImageSetup();
            QCOMPARE(shown, expected);
            QCOMPARE(view.m_main.m_nDipSw, after);
            QCOMPARE(int(view.m_main.m_io[0xD23]), after); // at once, without a reset
        }
    }

    void okReopensImagesAndChangedPrintersAndCancelChangesNothing() {
        const QString prn0 = m_files.filePath("out0.txt"), prn1 = m_files.filePath("out1.txt");
        const QString newPrn = m_files.filePath("new1.txt"), fdd = m_files.filePath("disk.d88");
        const QString newHdd = m_files.filePath("fresh.img");
        const QString lost = m_files.filePath("not/mounted/disk.d88");
        Profile().setValue("ORLO/PRN0", prn0);
        Profile().setValue("ORLO/PRN1", prn1);
        Profile().setValue("ORLO/2HD0", fdd);
        Profile().setValue("ORLO/2HD1", lost);
        MessageBoxes boxes;
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        QCOMPARE(boxes.texts.size(), 1);
        view.m_main.m_pPrn[0]->Write("printed", 7);
        view.m_main.m_pPrn[1]->Write("printed", 7);

        CFile* before = view.m_main.m_pPrn[1];
        OnNextModal<COrloProp>([&](COrloProp* prop) {
            prop->m_pageHdd.m_editPrn[1]->clear();
            prop->m_pageDipSw.m_chkHdd->setChecked(true);
            prop->reject();
        });
        view.OnImageSetup();
        QCOMPARE(view.m_main.m_pPrn[1], before);
        QCOMPARE(ReadFile(prn1), QByteArray("printed"));
        QCOMPARE(view.m_main.m_nDipSw, 159);

        QStringList shown;
        OnNextModal<COrloProp>([&](COrloProp* prop) {
            shown << prop->m_pageFdd.m_edit[0]->text() << prop->m_pageFdd.m_edit[1]->text()
                  << prop->m_pageFdd.m_edit[2]->text() << prop->m_pageHdd.m_editPrn[0]->text()
                  << prop->m_pageHdd.m_editPrn[1]->text();
            prop->m_pageFdd.m_edit[0]->clear();            // remove the disk
            prop->m_pageHdd.m_editHdd[3]->setText(newHdd); // a new image
            prop->m_pageHdd.m_editPrn[1]->setText(newPrn); // another printer file
            prop->accept();
        });
        view.OnImageSetup();
        QCOMPARE(shown, (QStringList{fdd, lost, "", prn0, prn1}));
        QVERIFY(!view.m_main.m_pFdd[0]);
        QVERIFY(view.m_main.m_pHdd[3] && QFile::exists(newHdd));
        QCOMPARE(ReadFile(prn0), QByteArray("printed")); // unchanged: kept open, not emptied
        QCOMPARE(ReadFile(prn1), QByteArray("printed"));
        QVERIFY(view.m_main.m_pPrn[1] && QFile::exists(newPrn));
        QCOMPARE(boxes.texts.size(), 2); // the image that still cannot be opened
        QVERIFY(boxes.texts[1].contains(lost));
        // The settings keep the old paths until the program exits.
        QCOMPARE(ProfileString("2HD0"), fdd);
        frame->close();
        QCOMPARE(ProfileString("2HD0"), QString());
        QCOMPARE(ProfileString("2HD1"), lost);
        QCOMPARE(ProfileString("HDD3"), newHdd);
        QCOMPARE(ProfileString("PRN1"), newPrn);
    }

    // A printer byte the file refuses is told once, with the file, the reason and the
    // printer that now waits; one still waiting when the file is closed, with those lost
    // meanwhile, is told as lost.
    void printerRefusalToldOnceAndLossAtClose() {
        const QString prn = m_files.filePath("limited.txt");
        Profile().setValue("ORLO/PRN1", prn);
        MessageBoxes boxes;
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        QVERIFY(view.m_main.m_pPrn[1]);
        const QString tooLarge = QString::fromLocal8Bit(std::generic_category().message(EFBIG));
        {
            const FileSizeLimit limit(2);
            for (char b : {'a', 'b', 'c', 'd'}) { // 'd' strobed while 'c' waits
                view.m_main.WriteByte(0xFD65, uint8_t(b));
                view.m_main.WriteByte(0xFD64, 0x40);
                view.m_main.WriteByte(0xFD64, 0x00);
            }
            QTRY_COMPARE(boxes.texts.size(), 1); // posted, shown once the step is over
            const QString waits = "\n\n書き込めるようになるまで、プリンタ 1 は";
            QVERIFY2(boxes.texts[0].startsWith("プリンタ出力ファイルに書き込めませんでした。\n\n" +
                                               prn + "\n" + tooLarge + waits),
                     qPrintable(boxes.texts[0]));
            view.ClosePrn(1);
        }
        QCOMPARE(boxes.texts.size(), 2);
        QVERIFY2(boxes.texts[1].startsWith("プリンタ出力ファイルに書き込めなかった 2 バイト") &&
                     boxes.texts[1].endsWith(prn + "\n" + tooLarge),
                 qPrintable(boxes.texts[1]));
        QCOMPARE(ReadFile(prn), QByteArray("ab"));
    }

    // A changed image is saved once the guest has left it alone for two seconds (here the
    // rewrite after a format), or ten seconds after its first change however busy the guest
    // is. The user is told once where a save put it instead: into its file where its folder
    // moved, or beside a backup put in its place; the settings keep the configured path. A
    // save that fails is reported once, at the end again; saying the file is as it was only
    // while its name still names it. (What the saves leave: tests/floppy.)
    void floppyImagesSavedWhileOpenOrReported() {
        const QString dir = m_files.filePath("disks"), moved = m_files.filePath("disks-moved");
        const QString image = dir + "/formatted.d88", movedImage = moved + "/formatted.d88";
        const QString beside = moved + "/formatted-1.d88", prn = m_files.filePath("p.txt");
        QVERIFY(QDir().mkpath(dir));
        Profile().setValue("ORLO/2D0", image);
        Profile().setValue("ORLO/PRN2", prn);
        HostClock clock;
        MessageBoxes boxes; // outlives the frame, should a check end the test early
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        CFileFdd* fdd = view.m_main.m_pFdd[4];
        QVERIFY(fdd);
        int r = 0;
        // The guest formats, then the view's timer runs after each of `waits` ms.
        const auto format = [&](std::initializer_list<uint32_t> waits) {
            AddSector(*fdd, ++r);
            for (uint32_t t : waits)
                clock.now += t, view.OnTimer(), QCoreApplication::processEvents(); // its boxes
        };
        format({0, 1999});
        QCOMPARE(ReadFile(image), QByteArray());
        clock.now += 1, view.OnTimer();
        QVERIFY(ReadFile(image).startsWith("ORLO FDD"));
        QCOMPARE(boxes.texts.size(), 0);
        // A guest that changes it every second is never quiet: its changes are saved all the
        // same, none waiting ten seconds.
        uint32_t unsavedSince = 0, saves = 0;
        for (int second = 0; second < 40; ++second) {
            if (!unsavedSince) unsavedSince = clock.now;
            format({0, 500, 500});
            if (!fdd->HasUnsavedChanges()) unsavedSince = 0, ++saves;
            QVERIFY(!unsavedSince || clock.now - unsavedSince < CChildView::kMaxUnsavedMs);
        }
        QVERIFY(saves >= 3);

        QVERIFY(QDir().rename(dir, moved));
        format({0, 2000});
        QVERIFY(WriteFile(movedImage + "~", "backup") && // moved over the image, as `mv` does
                std::rename(qPrintable(movedImage + "~"), qPrintable(movedImage)) == 0);
        for (int round = 0; round < 2; ++round)
            format({0, 2000});
        QVERIFY(!fdd->HasUnsavedChanges());
        QCOMPARE(boxes.texts.size(), 2);
        QVERIFY2(boxes.texts[0].contains("移動されていました") &&
                     boxes.texts[0].endsWith(image + "\n→ " + movedImage),
                 qPrintable(boxes.texts[0]));
        QVERIFY2(boxes.texts[1].contains("置き換えられていました") &&
                     boxes.texts[1].endsWith(movedImage + "\n→ " + beside),
                 qPrintable(boxes.texts[1]));

        // The next rewrites fail at the file-size limit. At the end the file has been deleted
        // with its folder: nowhere to save, reported without saying that the file is kept.
        {
            const FileSizeLimit limit(500);
            QVERIFY(limit.IsSet());
            for (int round = 0; round < 2; ++round)
                format({0, 3000});
        }
        QCOMPARE(boxes.texts.size(), 3);
        QVERIFY(QDir(moved).removeRecursively());
        frame->close();
        QCOMPARE(boxes.texts.size(), 4);
        const QString kept = "ファイルは以前の内容のまま残っています。";
        QVERIFY2(boxes.texts[2].contains(kept) && boxes.texts[2].contains(beside + "\n"),
                 qPrintable(boxes.texts[2]));
        QVERIFY2(!boxes.texts[3].contains(kept) && boxes.texts[3].contains(beside + "\n"),
                 qPrintable(boxes.texts[3]));
        // Everything else still went its way.
        QVERIFY(!view.m_main.m_pFdd[4] && !view.m_main.m_pPrn[2]);
        QCOMPARE(ProfileString("2D0"), image);
        QCOMPARE(ProfileString("PRN2"), prn);
    }

    // Where the folder of a formatted image was moved, its save goes into the image's own
    // file, and only after the whole new image is in a rescue file. A failed save is tried
    // again ten seconds later, the guest idle, and told once until one succeeds: the box
    // says the change is kept and saved at the end, and why nothing was written where no
    // copy could be made, or that the file is damaged and where the copy is where the write
    // stopped halfway. A retry that fails again tells nothing; one that succeeds leaves the
    // image in its file and no rescue file. At the end, the copy that holds the image is
    // named, and the change not said lost, though no second copy can be made.
    void failedSaveToldOnceAndTriedAgain() {
        const QString dir = m_files.filePath("retry"), moved = dir + "-moved";
        const QString rescued =
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/rescued";
        QVERIFY(QDir().mkpath(dir) && QDir(rescued).removeRecursively() &&
                QDir().mkpath(QFileInfo(rescued).path()));
        QVERIFY(WriteFile(dir + "/disk.img", QByteArray(327680, 'r')));
        Profile().setValue("ORLO/2D0", dir + "/disk.img");
        HostClock clock;
        MessageBoxes boxes;
        auto frame = MakeFrame();
        CChildView& view = frame->m_wndView;
        CFileFdd* fdd = view.m_main.m_pFdd[4];
        QVERIFY(fdd && QDir().rename(dir, moved));
        QString image = moved + "/disk.img";
        const QString kept = "変更した内容は ORLO が動いている間は失われません。";
        const auto tick = [&](uint32_t ms) {
            clock.now += ms, view.OnTimer();
            QCoreApplication::processEvents(); // the boxes, shown once the timer's event is over
        };
        static bool sHalfway = false; // the write into the file stops at the file-size limit
        g_pFileTestSeam = [](const char* where) {
            const rlimit half{100000, RLIM_INFINITY};
            if (sHalfway && std::string(where) == "in place") ::setrlimit(RLIMIT_FSIZE, &half);
        };
        const auto back = qScopeGuard([] { g_pFileTestSeam = nullptr; });
        const FileSizeLimit limit(RLIM_INFINITY); // put back whatever fails
        rlimit was{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &was), 0);

        QVERIFY(WriteFile(rescued, "in the way")); // no rescue folder: no copy
        AddSector(*fdd, 1);
        tick(0), tick(2000);
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(
            boxes.texts[0].contains(
                "保存できなかったため、イメージファイルには書き込みませんでした。\n" + rescued +
                "\n") &&
                boxes.texts[0].endsWith(
                    kept +
                    "保存は 10 "
                    "秒ごとに試みます。終了時には、イメージファイルか別のファイルに保存します。"),
            qPrintable(boxes.texts[0]));
        QCOMPARE(ReadFile(image), QByteArray(327680, 'r'));
        QVERIFY(QFile::remove(rescued));
        tick(9999);
        QVERIFY(fdd->HasUnsavedChanges());
        tick(1);
        QVERIFY(!fdd->HasUnsavedChanges());
        QVERIFY(ReadFile(image).startsWith("ORLO FDD"));
        QCOMPARE(boxes.texts.size(), 2); // that the save followed the file

        // Moved again: the write into the file stops halfway, and the damaged file is told
        // where it now is.
        QVERIFY(QDir().rename(moved, moved + "2"));
        image = moved + "2/disk.img";
        sHalfway = true;
        AddSector(*fdd, 2);
        tick(0), tick(2000);
        QCOMPARE(boxes.texts.size(), 3);
        const QString copy = QString::fromStdString(fdd->RescuedPath());
        QVERIFY(copy.startsWith(rescued + "/disk-") && QFile::exists(copy));
        QVERIFY2(
            boxes.texts[2].contains("イメージファイルは壊れています。\n\n" + image) &&
                boxes.texts[2].contains("次のファイルに保存しました。\n" + copy + "\n\n" + kept),
            qPrintable(boxes.texts[2]));
        sHalfway = false;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &was), 0);
        {
            const FileSizeLimit low(1000);
            tick(10000);
            QVERIFY(fdd->HasUnsavedChanges());
        }
        tick(10000);
        QVERIFY(!fdd->HasUnsavedChanges());
        QCOMPARE(boxes.texts.size(), 3);
        QCOMPARE(QDir(rescued).entryList(QDir::Files | QDir::Hidden).size(), 0);
        const QString copy2 = m_files.filePath("retried.img"); // the image is held
        QVERIFY(QFile::copy(image, copy2));
        CFileFdd saved;
        QVERIFY(saved.Open(copy2.toStdString(), CFile::modeRead));
        QCOMPARE(saved.SeekSector(0, 0, 1), 128);

        // Halfway again, then closed where the file-size limit stops the save before it writes
        // and any second copy: the copy that holds the image is named, nothing said lost.
        QVERIFY(QDir().rename(moved + "2", moved + "3"));
        sHalfway = true;
        AddSector(*fdd, 3);
        tick(0), tick(2000);
        QCOMPARE(boxes.texts.size(), 4);
        const QString copy3 = QString::fromStdString(fdd->RescuedPath());
        QVERIFY(QFile::exists(copy3));
        sHalfway = false;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &was), 0);
        {
            const FileSizeLimit low(1000);
            frame->close();
        }
        QCOMPARE(boxes.texts.size(), 5);
        QVERIFY2(boxes.texts[4].contains("次のファイルに保存しました。\n" + copy3) &&
                     !boxes.texts[4].contains("失われました"),
                 qPrintable(boxes.texts[4]));
        QVERIFY(CFileFdd().Open(copy3.toStdString(), CFile::modeRead));
    }

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
