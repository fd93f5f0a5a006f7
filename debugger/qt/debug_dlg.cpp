#include "debugger/qt/debug_dlg.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>

#include "debugger/qt/dlu.h"
#include "debugger/qt/stat_page_widget.h"
#include "debugger/step_count.h"
#include "platform/wnd.h"

CDebugDlg::CDebugDlg(QWidget* parent, PostCommand post) : QDialog(parent), m_post(std::move(post)) {
    setWindowTitle(QStringLiteral("CPUデバッグ"));
    setModal(false);
    CDluScale dlu(font());
    setFixedSize(dlu.Size(252, 243));
    if (parent) move(parent->mapToGlobal(QPoint(0, 0)));

    // The tab control: a bar of three tabs over a framed pane; the host holds the pages.
    m_tabCpu = new QTabBar(this);
    m_tabCpu->setExpanding(false);
    m_tabCpu->addTab(QStringLiteral("MAIN 6309"));
    m_tabCpu->addTab(QStringLiteral("SUB 6309"));
    m_tabCpu->addTab(QStringLiteral("MAIN Z80"));
    QRect tab = dlu.Rect(8, 7, 237, 210);
    m_tabCpu->setGeometry(tab.x(), tab.y(), tab.width(), m_tabCpu->sizeHint().height());
    auto* pane = new QFrame(this);
    pane->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    pane->setGeometry(QRect(QPoint(tab.x(), m_tabCpu->geometry().bottom()), tab.bottomRight()));
    pane->lower();

    m_staticHost = new QWidget(this);
    QRect host = dlu.Rect(13, 20, 227, 188);
    host.moveTop(std::max(host.top(), m_tabCpu->geometry().bottom() + 2));
    m_staticHost->setGeometry(host);

    m_wndMain = new CStat09Page(m_pageMain, m_staticHost);
    m_wndSub = new CStat09Page(m_pageSub, m_staticHost);
    m_wndZ80 = new CStatZ80Page(m_pageZ80, m_staticHost);
    m_wndSub->hide();
    m_wndZ80->hide();
    m_tabCpu->setCurrentIndex(0);

    m_editStep = new QLineEdit(QString::number(m_nStep), this);
    m_editStep->setGeometry(dlu.Rect(29, 223, 59, 13));
    m_btnStep = new QPushButton(QStringLiteral("STEP"), this);
    m_btnStep->setGeometry(dlu.Rect(96, 223, 59, 13));
    m_btnStep->setDefault(true);
    m_btnContinue = new QPushButton(QStringLiteral("CONTINUE"), this);
    m_btnContinue->setGeometry(dlu.Rect(163, 223, 59, 13));
    setTabOrder(m_btnStep, m_btnContinue);
    setTabOrder(m_btnContinue, m_tabCpu);
    setTabOrder(m_tabCpu, m_editStep);

    connect(m_btnStep, &QPushButton::clicked, this, &CDebugDlg::OnBnClickedOk);
    connect(m_btnContinue, &QPushButton::clicked, this, &CDebugDlg::OnBnClickedCancel);
    connect(m_tabCpu, &QTabBar::currentChanged, this, &CDebugDlg::OnTcnSelchangeTab);
}

CDebugDlg::~CDebugDlg() {
    // The page windows go before the page models they show.
    delete m_staticHost;
}

bool CDebugDlg::UpdateData() {
    StepCountError error = ParseStepCount(m_editStep->text().toStdString(), &m_nStep);
    if (error == StepCountError::None) return true;
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                    QString::fromUtf8(StepCountMessage(error)), QMessageBox::Ok, this);
    box.exec();
    m_editStep->setFocus();
    m_editStep->selectAll();
    return false;
}

void CDebugDlg::OnBnClickedOk() {
    if (UpdateData() && m_post) m_post(ID_DEBUG_STEP);
}

void CDebugDlg::OnBnClickedCancel() {
    if (m_post) m_post(ID_CPU_DEBUG);
}

void CDebugDlg::reject() {
    OnBnClickedCancel();
}

void CDebugDlg::OnTcnSelchangeTab(int index) {
    CStatPageWidget* pages[] = {m_wndMain, m_wndSub, m_wndZ80};
    if (index < 0 || index > 2) return;
    for (int i = 0; i < 3; ++i)
        if (i != index) pages[i]->hide();
    CStatPageWidget* shown = pages[index];
    if (shown->isHidden()) {
        shown->Refresh();
        shown->show();
    }
}
