// CDebugDlg: the modeless CPU debugger dialog "CPUデバッグ". Three pages behind tabs
// ("MAIN 6309", "SUB 6309", "MAIN Z80"), the step count field, STEP and CONTINUE.
//
// The dialog never steps the machine or closes itself: STEP (after the count has
// been checked) posts ID_DEBUG_STEP, and CONTINUE, Escape and the close box post
// ID_CPU_DEBUG, both through the post function the owner hands in (the view wires
// it to its own command posting, so the command runs after the button handler).
// The owner reads m_nStep, wires the processors to m_pageMain, m_pageSub and
// m_pageZ80 (their addresses are fixed for the dialog's life) and deletes the
// dialog after unwiring them.
#pragma once

#include <QDialog>
#include <functional>

#include "debugger/stat09.h"
#include "debugger/statz80.h"

class QLineEdit;
class QPushButton;
class QTabBar;
class CStatPageWidget;

class CDebugDlg : public QDialog {
    Q_OBJECT
public:
    using PostCommand = std::function<void(unsigned id)>;

    CDebugDlg(QWidget* parent, PostCommand post);
    ~CDebugDlg() override;

    // Read the step count field into m_nStep; on a bad count show the message, put
    // the focus back into the field with its text selected and return false.
    bool UpdateData();

    // CONTINUE, Escape and the close box.
    void reject() override;

    int m_nStep = 1;
    CStat09 m_pageMain;
    CStat09 m_pageSub;
    CStatZ80 m_pageZ80;

    QWidget* m_staticHost = nullptr;
    QTabBar* m_tabCpu = nullptr;
    QLineEdit* m_editStep = nullptr;
    QPushButton* m_btnStep = nullptr;
    QPushButton* m_btnContinue = nullptr;
    CStatPageWidget* m_wndMain = nullptr;
    CStatPageWidget* m_wndSub = nullptr;
    CStatPageWidget* m_wndZ80 = nullptr;

private:
    void OnBnClickedOk();
    void OnBnClickedCancel();
    void OnTcnSelchangeTab(int index);

    PostCommand m_post;
};
