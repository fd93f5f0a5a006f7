// CWnd: what the machine asks of "its window". The boards and the terminal model call
// it; the Qt widgets implement it; tests put a recording fake in its place.
#pragma once

#include <string>

#include "platform/surface.h"

// Window command ids carried by PostCommand.
enum : unsigned {
    ID_USART_OPEN = 500,      // + port 0-4
    ID_USART_CLOSE = 510,     // + port 0-4
    ID_PRINTER_REFUSED = 520, // + printer 0-2: its file refused a byte (CMainCpu::PrinterWait)
    ID_HARD_RESET = 32773,
    ID_TERM_CARET = 32773, // a terminal's caret update, posted only to its own window
    ID_IMAGE_SETUP = 32775,
    ID_DEBUG_STEP = 32776,
    ID_CPU_DEBUG = 32777,
};

class CWnd {
public:
    virtual ~CWnd() = default;
    // Mark a client rectangle for repainting (nullptr: the whole client area).
    virtual void InvalidateRect(const CRect* rc, bool erase) = 0;
    // Queue a command id to be handled later on the UI thread.
    virtual void PostCommand(unsigned id) = 0;
    // Show a modal message box; returns when the user closes it.
    virtual void MessageBox(const std::string& textUtf8, const std::string& captionUtf8) = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // False once the window has been destroyed (the object may live on).
    virtual bool IsWindow() const = 0;
};
