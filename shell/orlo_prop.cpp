#include "shell/orlo_prop.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>

#include "floppy/file_fdd.h"
#include "shell/child_view.h"
#include "shell/dip_switch.h"
#include "shell/orlo_app.h"

namespace {

const char* const kFddFilter = "FDD Image Files (*.img);;All Files (*)";
const char* const kHddFilter = "HDD Image Files (*.img);;All Files (*)";
const char* const kPrnFilter = "Prn Out Files (*.txt);;All Files (*)";

// A group box of rows "label [edit] [参照]"; `browse` runs for the row's button.
QGroupBox* PathGroup(const char* title, std::initializer_list<const char*> labels,
                     QLineEdit** edits, std::function<void(int)> browse) {
    auto* group = new QGroupBox(QString::fromUtf8(title));
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const char* label : labels) {
        auto* edit = new QLineEdit;
        edit->setMinimumWidth(300);
        auto* button = new QPushButton(QString::fromUtf8("参照"));
        grid->addWidget(new QLabel(QString::fromUtf8(label)), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(button, row, 2);
        QObject::connect(button, &QPushButton::clicked, group, [browse, row] { browse(row); });
        edits[row] = edit;
        ++row;
    }
    return group;
}

} // namespace

QString BrowseForFile(QWidget* parent, const QString& current, const QString& defExt,
                      const QString& filter) {
    QFileDialog dlg(parent);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::AnyFile); // a new image or printer file may be named
    dlg.setNameFilters(filter.split(";;"));
    dlg.setDefaultSuffix(defExt);
    if (!current.isEmpty()) {
        const QFileInfo info(current);
        dlg.setDirectory(info.absolutePath());
        dlg.selectFile(info.fileName());
    }
    CModalScope modal;
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
    return QFileInfo(dlg.selectedFiles().first()).absoluteFilePath();
}

CFddPage::CFddPage() {
    auto* layout = new QVBoxLayout(this);
    auto browse = [this](int i) { OnBrowse(i); };
    layout->addWidget(PathGroup("2HD FDD", {"2HD0", "2HD1", "2HD2", "2HD3"}, m_edit, browse));
    layout->addWidget(PathGroup("Mini FDD", {"2D0", "2D1", "2D2", "2D3"}, m_edit + 4,
                                [this](int i) { OnBrowse(i + 4); }));
    layout->addStretch();
}

void CFddPage::UpdateData(bool bSave) {
    for (int i = 0; i < 8; ++i) {
        if (bSave)
            m_strFdd[i] = m_edit[i]->text();
        else
            m_edit[i]->setText(m_strFdd[i]);
    }
}

void CFddPage::OnBrowse(int i) {
    UpdateData(true);
    const QString path = BrowseForFile(this, m_strFdd[i], "img", kFddFilter);
    if (path.isEmpty()) return;
    m_strFdd[i] = path;
    UpdateData(false);
}

CHddPage::CHddPage() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PathGroup("MDC HDD", {"HDD0", "HDD1", "HDD2", "HDD3"}, m_editHdd,
                                [this](int i) { OnBrowseHdd(i); }));
    layout->addWidget(PathGroup("Printer Out File", {"PRN0", "PRN1", "PRN2"}, m_editPrn,
                                [this](int i) { OnBrowsePrn(i); }));
    layout->addStretch();
}

void CHddPage::UpdateData(bool bSave) {
    for (int i = 0; i < 4; ++i) {
        if (bSave)
            m_strHdd[i] = m_editHdd[i]->text();
        else
            m_editHdd[i]->setText(m_strHdd[i]);
    }
    for (int i = 0; i < 3; ++i) {
        if (bSave)
            m_strPrn[i] = m_editPrn[i]->text();
        else
            m_editPrn[i]->setText(m_strPrn[i]);
    }
}

void CHddPage::OnBrowseHdd(int i) {
    UpdateData(true);
    const QString path = BrowseForFile(this, m_strHdd[i], "img", kHddFilter);
    if (path.isEmpty()) return;
    m_strHdd[i] = path;
    UpdateData(false);
}

void CHddPage::OnBrowsePrn(int i) {
    UpdateData(true);
    const QString path = BrowseForFile(this, m_strPrn[i], "txt", kPrnFilter);
    if (path.isEmpty()) return;
    m_strPrn[i] = path;
    UpdateData(false);
}

CDipSwPage::CDipSwPage() {
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Boot Drive");
    auto* grid = new QGridLayout(group);
    m_chkHdd = new QCheckBox("HDD");
    m_chk2hd = new QCheckBox("2HD FDD");
    m_chk2d = new QCheckBox("2D FDD");
    grid->addWidget(m_chkHdd, 0, 0);
    grid->addWidget(m_chk2hd, 1, 0);
    grid->addWidget(m_chk2d, 2, 0);
    m_drive = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(QString("Drive %1").arg(i));
        m_drive->addButton(radio, i);
        grid->addWidget(radio, i, 1);
    }
    layout->addWidget(group);
    layout->addStretch();
}

void CDipSwPage::UpdateData(bool bSave) {
    if (bSave) {
        m_bHdd = m_chkHdd->isChecked();
        m_b2hd = m_chk2hd->isChecked();
        m_b2d = m_chk2d->isChecked();
        m_nDrive = m_drive->checkedId();
        return;
    }
    m_chkHdd->setChecked(m_bHdd);
    m_chk2hd->setChecked(m_b2hd);
    m_chk2d->setChecked(m_b2d);
    if (QAbstractButton* b = m_drive->button(m_nDrive)) {
        b->setChecked(true);
    } else if (QAbstractButton* checked = m_drive->checkedButton()) {
        m_drive->setExclusive(false);
        checked->setChecked(false);
        m_drive->setExclusive(true);
    }
}

COrloProp::COrloProp(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Setup");
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget;
    m_tabs->addTab(&m_pageFdd, "FDD");
    m_tabs->addTab(&m_pageHdd, "HDD");
    m_tabs->addTab(&m_pageDipSw, "DIPSW");
    layout->addWidget(m_tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int COrloProp::DoModal() {
    m_pageFdd.UpdateData(false);
    m_pageHdd.UpdateData(false);
    m_pageDipSw.UpdateData(false);
    m_tabs->setCurrentIndex(0);
    CModalScope modal;
    const int result = exec();
    if (result == QDialog::Accepted) {
        m_pageFdd.UpdateData(true);
        m_pageHdd.UpdateData(true);
        m_pageDipSw.UpdateData(true);
    }
    return result;
}

void CChildView::OnImageSetup() {
    COrloProp prop(this);
    for (int i = 0; i < 8; ++i)
        prop.m_pageFdd.m_strFdd[i] = QString::fromStdString(FddPath(i));
    for (int i = 0; i < 4; ++i)
        prop.m_pageHdd.m_strHdd[i] = QString::fromStdString(HddPath(i));
    QString shownPrn[3];
    for (int i = 0; i < 3; ++i)
        prop.m_pageHdd.m_strPrn[i] = shownPrn[i] = QString::fromStdString(PrnPath(i));
    const DipSwPage dip = DipToPage(m_main.m_nDipSw);
    prop.m_pageDipSw.m_bHdd = dip.bHdd;
    prop.m_pageDipSw.m_b2hd = dip.b2hd;
    prop.m_pageDipSw.m_b2d = dip.b2d;
    prop.m_pageDipSw.m_nDrive = dip.nDrive;

    if (prop.DoModal() != QDialog::Accepted) return;

    // Images are read anew; a printer file is reopened (and so emptied) only when its
    // path changed, or when it is not open.
    bool reopenPrn[3];
    for (int i = 0; i < 3; ++i)
        reopenPrn[i] = !m_main.m_pPrn[i] || prop.m_pageHdd.m_strPrn[i] != shownPrn[i];
    for (int i = 0; i < 8; ++i)
        CloseFdd(i);
    for (int i = 0; i < 4; ++i)
        CloseHdd(i);
    for (int i = 0; i < 3; ++i)
        if (reopenPrn[i]) ClosePrn(i);
    for (int i = 0; i < 8; ++i)
        OpenFdd(i, prop.m_pageFdd.m_strFdd[i].toStdString());
    for (int i = 0; i < 4; ++i)
        OpenHdd(i, prop.m_pageHdd.m_strHdd[i].toStdString());
    for (int i = 0; i < 3; ++i)
        if (reopenPrn[i]) OpenPrn(i, prop.m_pageHdd.m_strPrn[i].toStdString());

    const int value = PageToDip({prop.m_pageDipSw.m_bHdd, prop.m_pageDipSw.m_b2hd,
                                 prop.m_pageDipSw.m_b2d, prop.m_pageDipSw.m_nDrive});
    m_main.m_nDipSw = value;
    m_main.m_io[0xD23] = uint8_t(value); // the $FD23 read cell
}
