// The settings sheet run from the view: pages filled from the machine, OK reopening every
// file and setting the DIP switches at once, Cancel changing nothing, browse buttons, a
// floppy image that cannot be saved, and the About box.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "floppy/file_fdd.h"
#include "platform/file.h"
#include "shell/about_dlg.h"
#include "shell/main_frame.h"
#include "shell/orlo_prop.h"
#include "shell_test_env.h"

namespace {

std::unique_ptr<CMainFrame> MakeFrame() {
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->LoadFrame()) return nullptr;
    return frame;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct DipView {
    bool hdd, b2hd, b2d;
    int drive;
};

DipView ShownDip(const CDipSwPage& page) {
    return {page.m_chkHdd->isChecked(), page.m_chk2hd->isChecked(), page.m_chk2d->isChecked(),
            page.m_drive->checkedId()};
}

} // namespace

class SetupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init() { ClearProfile(); }
    void dipSwitchesThroughThePage_data();
    void dipSwitchesThroughThePage();
    void okReopensEveryFile();
    void cancelChangesNothing();
    void browseKeepsOrReplacesTheText();
    void failedFloppySaveIsReported();
    void aboutBox();

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
};

void SetupTest::initTestCase() {
    QVERIFY(m_settingsDir.isValid() && m_files.isValid());
    RedirectSettings(m_settingsDir);
}

void SetupTest::dipSwitchesThroughThePage_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("after");
    QTest::newRow("0x9F unchanged") << 0x9F << false << 0x9F;
    QTest::newRow("HDD, 2D, Drive 2") << 0x9F << true << 0x5D;
    QTest::newRow("0x83 unchanged") << 0x83 << false << 0x9F;
}

void SetupTest::dipSwitchesThroughThePage() {
    QFETCH(int, before);
    QFETCH(bool, change);
    QFETCH(int, after);
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    view.m_main.m_nDipSw = before;
    DipView shown{};
    QString title, tabs;
    OnNextModal<COrloProp>([&](COrloProp* prop) {
        shown = ShownDip(prop->m_pageDipSw);
        title = prop->windowTitle();
        for (int i = 0; i < prop->m_tabs->count(); ++i)
            tabs += prop->m_tabs->tabText(i) + " ";
        if (change) {
            prop->m_pageDipSw.m_chkHdd->setChecked(true);
            prop->m_pageDipSw.m_chk2hd->setChecked(false);
            prop->m_pageDipSw.m_chk2d->setChecked(true);
            prop->m_pageDipSw.m_drive->button(2)->click();
        }
        prop->accept();
    });
    view.OnImageSetup();
    QCOMPARE(title, QString("Setup"));
    QCOMPARE(tabs, QString("FDD HDD DIPSW "));
    // 0x9F and 0x83 both show: HDD off, 2HD FDD and 2D FDD on, Drive 0.
    QVERIFY(!shown.hdd && shown.b2hd && shown.b2d);
    QCOMPARE(shown.drive, 0);
    QCOMPARE(view.m_main.m_nDipSw, after);
    QCOMPARE(int(view.m_main.m_io[0xD23]), after); // at once, without a reset
}

void SetupTest::okReopensEveryFile() {
    const QString prn = m_files.filePath("out.txt");
    const QString fdd = m_files.filePath("disk.d88");
    const QString newHdd = m_files.filePath("fresh.img");
    QFile::remove(newHdd);
    Profile().setValue("ORLO/PRN1", prn);
    Profile().setValue("ORLO/2HD0", fdd);
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    QVERIFY(view.m_main.m_pPrn[1] && view.m_main.m_pFdd[0]);
    view.m_main.m_pPrn[1]->Write("printed", 7);
    QCOMPARE(ReadAll(prn), QByteArray("printed"));

    QStringList shownFdd;
    OnNextModal<COrloProp>([&](COrloProp* prop) {
        for (QLineEdit* e : prop->m_pageFdd.m_edit)
            shownFdd << e->text();
        shownFdd << prop->m_pageHdd.m_editPrn[1]->text();
        prop->m_pageFdd.m_edit[0]->clear();            // remove the disk
        prop->m_pageHdd.m_editHdd[3]->setText(newHdd); // a new image
        prop->accept();
    });
    view.OnImageSetup();
    QCOMPARE(shownFdd[0], fdd);
    QCOMPARE(shownFdd[1], QString());
    QCOMPARE(shownFdd[8], prn);
    QVERIFY(!view.m_main.m_pFdd[0]);
    QVERIFY(view.m_main.m_pHdd[3] && QFile::exists(newHdd));
    QVERIFY(view.m_main.m_pPrn[1]);
    QCOMPARE(ReadAll(prn), QByteArray()); // reopened, so emptied
    // The settings keep the old paths until the program exits.
    QCOMPARE(Profile().value("ORLO/2HD0").toString(), fdd);
    frame->close();
    QCOMPARE(Profile().value("ORLO/2HD0").toString(), QString());
    QCOMPARE(Profile().value("ORLO/HDD3").toString(), newHdd);
}

void SetupTest::cancelChangesNothing() {
    const QString prn = m_files.filePath("keep.txt");
    Profile().setValue("ORLO/PRN0", prn);
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    view.m_main.m_pPrn[0]->Write("kept", 4);
    CFile* before = view.m_main.m_pPrn[0];
    OnNextModal<COrloProp>([&](COrloProp* prop) {
        prop->m_pageHdd.m_editPrn[0]->clear();
        prop->m_pageDipSw.m_chkHdd->setChecked(true);
        prop->reject();
    });
    view.OnImageSetup();
    QCOMPARE(view.m_main.m_pPrn[0], before);
    QCOMPARE(ReadAll(prn), QByteArray("kept"));
    QCOMPARE(view.m_main.m_nDipSw, 159);
}

void SetupTest::browseKeepsOrReplacesTheText() {
    COrloProp prop(nullptr);
    prop.m_pageFdd.m_strFdd[2] = "/old/path.img";
    prop.m_pageFdd.UpdateData(false);
    prop.m_pageFdd.m_edit[2]->setText("typed.img");
    prop.m_pageFdd.m_edit[5]->setText("other typed.img");

    // Cancelled: the typed texts stay.
    QString filter;
    bool anyFile = false;
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        filter = dlg->nameFilters().join(";;") + " " + dlg->defaultSuffix();
        anyFile = dlg->fileMode() == QFileDialog::AnyFile;
        dlg->reject();
    });
    prop.m_pageFdd.OnBrowse(2);
    QCOMPARE(filter, QString("FDD Image Files (*.img);;All Files (*) img"));
    QVERIFY(anyFile); // the file need not exist
    QCOMPARE(prop.m_pageFdd.m_edit[2]->text(), QString("typed.img"));
    QCOMPARE(prop.m_pageFdd.m_edit[5]->text(), QString("other typed.img"));

    // Accepted with a file that does not exist yet: its full path, with the extension.
    QString suffix;
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        suffix = dlg->defaultSuffix();
        dlg->setDirectory(m_files.path());
        // The dialog reads its folder in the background and may reset the name field
        // meanwhile: type the name again until the dialog takes it.
        auto* retry = new QTimer(dlg);
        QObject::connect(retry, &QTimer::timeout, dlg, [dlg] {
            if (auto* name = dlg->findChild<QLineEdit*>("fileNameEdit"))
                name->setText("newprinter"); // as typed
            static_cast<QDialog*>(dlg)->accept();
        });
        retry->start(20);
    });
    prop.m_pageHdd.OnBrowsePrn(1);
    QCOMPARE(suffix, QString("txt"));
    QCOMPARE(prop.m_pageHdd.m_editPrn[1]->text(), m_files.filePath("newprinter.txt"));
    QCOMPARE(prop.m_pageHdd.m_strPrn[1], m_files.filePath("newprinter.txt"));
}

void SetupTest::failedFloppySaveIsReported() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(m_files.path().toStdString()) / "disks";
    const fs::path moved = fs::path(m_files.path().toStdString()) / "disks-moved";
    fs::remove_all(dir);
    fs::remove_all(moved);
    fs::create_directories(dir);
    const fs::path image = dir / "formatted.d88";
    const QString prn = m_files.filePath("p.txt");
    Profile().setValue("ORLO/2D0", QString::fromStdString(image.string()));
    Profile().setValue("ORLO/PRN2", prn);
    auto frame = MakeFrame();
    CChildView& view = frame->m_wndView;
    QVERIFY(view.m_main.m_pFdd[4]);
    const auto original = ReadAll(QString::fromStdString(image.string()));
    // A formatted disk must be rewritten at its close; its folder has gone away meanwhile.
    view.m_main.m_pFdd[4]->m_bModified = true;
    fs::rename(dir, moved);

    QString message;
    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        box->accept();
    });
    frame->close();
    QVERIFY2(message.contains(QString::fromStdString(image.string())), qPrintable(message));
    QCOMPARE(ReadAll(QString::fromStdString((moved / "formatted.d88").string())), original);
    // Everything else still went its way.
    QVERIFY(!view.m_main.m_pFdd[4] && !view.m_main.m_pPrn[2]);
    QCOMPARE(Profile().value("ORLO/2D0").toString(), QString::fromStdString(image.string()));
    QCOMPARE(Profile().value("ORLO/PRN2").toString(), prn);
}

void SetupTest::aboutBox() {
    CAboutDlg dlg(nullptr);
    QCOMPARE(dlg.windowTitle(), QString::fromUtf8("バージョン情報 Orlo"));
    QStringList texts;
    for (QLabel* l : dlg.findChildren<QLabel*>())
        texts << l->text();
    QVERIFY(texts.contains("Orlo, Version 1.0.4"));
    OnNextModal<CAboutDlg>([](CAboutDlg* d) { d->accept(); });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
}

QTEST_MAIN(SetupTest)
#include "setup_test.moc"
