// What keys, typed characters and pasted text put into a terminal's input queue. The
// window translates its host key events into TermKey and calls these; every byte goes
// through CTerm::PutKey, so a full queue drops it.
#pragma once

#include <string_view>

#include "terminal/term.h"

enum class TermKey {
    PageUp,
    PageDown,
    End,
    Home,
    Left,
    Up,
    Right,
    Down,
    Insert,
    Delete,
    At, // the at-sign key: only Ctrl+@ queues anything (0x00)
    F1,
    F10 = F1 + 9,
};

// A key going down (auto-repeat included) under the Shift and Ctrl bits of
// t.m_nModifiers: its table bytes, or F1-F10's string.
void TermKeyDown(CTerm& t, TermKey key);

// Pasted CP932 text: every byte up to a zero byte, each host line end as one CR.
void TermPaste(CTerm& t, std::string_view text);
