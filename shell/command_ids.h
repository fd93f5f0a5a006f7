// Command ids of the shell's own menus (the machine's ids are in platform/wnd.h) and the
// event that carries a posted command to a window. A posted command is handled later on
// the UI thread by the receiving window's command table, like a menu command.
#pragma once

#include <QEvent>

enum : unsigned {
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
};

class CCommandEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int type = QEvent::registerEventType();
        return QEvent::Type(type);
    }
    explicit CCommandEvent(unsigned id) : QEvent(EventType()), m_nID(id) {}
    unsigned m_nID;
};
