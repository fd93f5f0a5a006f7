#include "shell/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>
#include <QMenuBar>

#include "shell/app_icon.h"
#include "shell/command_ids.h"
#include "shell/orlo_app.h"

namespace {

struct MenuItem {
    const char* text; // nullptr: separator
    unsigned id;
};

struct MenuDef {
    const char* title;
    std::initializer_list<MenuItem> items;
};

const MenuDef kMenus[] = {
    {"ファイル(&F)",
     {{"ディスクイメージの設定(&D)", ID_IMAGE_SETUP},
      {"ORLOのハードリセット(&R)", ID_HARD_RESET},
      {nullptr, 0},
      {"アプリケーションの終了(&X)", ID_APP_EXIT}}},
    {"編集(&E)",
     {{"コピー(&C)", ID_EDIT_COPY},
      {"貼り付け(&P)", ID_EDIT_PASTE},
      {nullptr, 0},
      {"CPUデバッグ(&D)", ID_CPU_DEBUG}}},
    {"ヘルプ(&H)", {{"ORLOバージョン情報(&A)...", ID_APP_ABOUT}}},
};

} // namespace

CMainFrame::CMainFrame() {
    // Caption, system menu, minimize box, sizing border; no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle("ORLO");
    setWindowIcon(OrloIcon());
    resize(650, 452);
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::LoadFrame() {
    BuildMenus();
    if (!m_wndView.Create(this)) return false;
    setCentralWidget(&m_wndView);
    setFocusProxy(&m_wndView);
    CorrectClientSize();
    return true;
}

void CMainFrame::BuildMenus() {
    for (const MenuDef& def : kMenus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(def.title));
        for (const MenuItem& item : def.items) {
            if (!item.text) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setData(item.id);
            connect(action, &QAction::triggered, this, [this, id = item.id] { OnCmdMsg(id); });
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    }
}

void CMainFrame::CorrectClientSize() {
    // Lay the window out at its initial size, then grow or shrink it by whatever the
    // menu bar and borders take beyond the 640 x 400 view.
    for (int pass = 0; pass < 2; ++pass) {
        if (QLayout* l = layout()) l->activate();
        const QSize view = m_wndView.size();
        if (view == QSize(640, 400)) return;
        resize(width() - view.width() + 640, height() - view.height() + 400);
    }
}

bool CMainFrame::OnCmdMsg(unsigned id) {
    if (m_wndView.OnCmdMsg(id)) return true;
    switch (id) {
    case ID_APP_EXIT: close(); return true;
    case ID_APP_ABOUT:
        if (COrloApp* app = TheApp()) {
            app->OnAppAbout();
            return true;
        }
        return false;
    default: return false;
    }
}

void CMainFrame::UpdateMenu(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        bool enable = true;
        if (m_wndView.OnUpdateCmdUI(action->data().toUInt(), enable)) action->setEnabled(enable);
    }
}

bool CMainFrame::event(QEvent* e) {
    if (e->type() == CCommandEvent::EventType()) {
        OnCmdMsg(static_cast<CCommandEvent*>(e)->m_nID);
        return true;
    }
    return QMainWindow::event(e);
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    COrloApp* app = TheApp();
    // From now on a quit signal only cancels a message box this close may wait on.
    if (app && app->m_pMainWnd == this) app->m_bClosing = true;
    m_wndView.OnDestroy();
    e->accept();
    // The program ends with its main window, whatever terminal windows are still open.
    if (app && app->m_pMainWnd == this) {
        m_wndView.CloseTerminals();
        QCoreApplication::quit();
    }
}

void CMainFrame::focusInEvent(QFocusEvent* e) {
    QMainWindow::focusInEvent(e);
    m_wndView.setFocus();
}
