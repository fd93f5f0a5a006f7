// COrloProp: the settings sheet "Setup" behind ディスクイメージの設定 with its pages
// CFddPage ("FDD": the eight floppy image paths), CHddPage ("HDD": four hard-disk images,
// three printer output files) and CDipSwPage ("DIPSW": boot device switches). Each page
// holds its values in plain members and exchanges them with its controls in UpdateData
// (true: controls to members). The view fills the members, runs DoModal and, on OK,
// reopens every file and sets the DIP switches (CChildView::OnImageSetup).
#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class QTabWidget;

// A file-open dialog for a path field; the file need not exist. Answers the chosen full
// path, or an empty string when cancelled.
QString BrowseForFile(QWidget* parent, const QString& current, const QString& defExt,
                      const QString& filter);

class CFddPage : public QWidget {
public:
    CFddPage();
    void UpdateData(bool bSave);
    void OnBrowse(int i);

    QString m_strFdd[8];
    QLineEdit* m_edit[8];
};

class CHddPage : public QWidget {
public:
    CHddPage();
    void UpdateData(bool bSave);
    void OnBrowseHdd(int i);
    void OnBrowsePrn(int i);

    QString m_strHdd[4];
    QString m_strPrn[3];
    QLineEdit* m_editHdd[4];
    QLineEdit* m_editPrn[3];
};

class CDipSwPage : public QWidget {
public:
    CDipSwPage();
    void UpdateData(bool bSave);

    bool m_bHdd = false, m_b2hd = false, m_b2d = false;
    int m_nDrive = -1;
    QCheckBox* m_chkHdd;
    QCheckBox* m_chk2hd;
    QCheckBox* m_chk2d;
    QButtonGroup* m_drive;
};

class COrloProp : public QDialog {
public:
    explicit COrloProp(QWidget* parent);
    // Shows the members, runs the sheet and on OK takes the controls back; answers
    // QDialog::Accepted or Rejected.
    int DoModal();

    QTabWidget* m_tabs;
    CFddPage m_pageFdd;
    CHddPage m_pageHdd;
    CDipSwPage m_pageDipSw;
};
