// CAboutDlg: the modal About box of the Help menu.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent);
};
