// CMainFrame: the main window. It holds the view (and so the whole machine) by value,
// so it always lives on the heap. Menus ファイル / 編集 / ヘルプ; every command goes to the
// view first, then to the frame and the application; the enable state of a menu's items
// comes from the view's update handlers when the menu is about to show. The client area
// (the view) is exactly 640 x 400 after creation; the user may resize it afterwards.
#pragma once

#include <QMainWindow>

#include "shell/child_view.h"

class QMenu;

class CMainFrame : public QMainWindow {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Creates the menus and the view (which starts the machine) and sizes the window so
    // that the view is 640 x 400. False when the view could not be created.
    bool LoadFrame();
    // Routes a command view-first; false when nobody handles it.
    bool OnCmdMsg(unsigned id);
    // Sets the enable state of each item of `menu` from the handlers.
    void UpdateMenu(QMenu* menu);

    CChildView m_wndView;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    void BuildMenus();
    void CorrectClientSize();
};
