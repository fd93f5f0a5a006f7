// The key table and paste.
#include "terminal/term_keys.h"

#include <array>

#include "platform/clip_text.h"

namespace {

constexpr int kNone = -1;

// Ctrl wins over Shift, Shift over the plain byte; kNone falls through to the next.
struct KeyBytes {
    int plain, shift, ctrl;
};

constexpr std::array<KeyBytes, int(TermKey::F1)> kKeys = {{
    {0x0C, 0x15, 0x16},   // Page Up
    {0x11, kNone, kNone}, // Page Down
    {0x05, kNone, kNone}, // End
    {0x0B, 0x01, kNone},  // Home
    {0x1D, 0x02, kNone},  // Left
    {0x1E, 0x19, kNone},  // Up
    {0x1C, 0x06, kNone},  // Right
    {0x1F, 0x1A, kNone},  // Down
    {0x12, kNone, kNone}, // Insert
    {0x7F, kNone, kNone}, // Delete
    {kNone, kNone, 0x00}, // @
}};

} // namespace

void TermKeyDown(CTerm& t, TermKey key) {
    int k = int(key);
    if (k >= int(TermKey::F1) && k <= int(TermKey::F10)) {
        for (char c : t.m_strFKey[k - int(TermKey::F1)])
            t.PutKey(uint8_t(c));
        return;
    }
    if (k < 0 || k >= int(kKeys.size())) return;
    const KeyBytes& e = kKeys[k];
    int b = e.plain;
    if ((t.m_nModifiers & TERM_SHIFT) && e.shift != kNone) b = e.shift;
    if ((t.m_nModifiers & TERM_CTRL) && e.ctrl != kNone) b = e.ctrl;
    if (b != kNone) t.PutKey(uint8_t(b));
}

void TermPaste(CTerm& t, std::string_view text) {
    for (char c : PastedBytes(text))
        t.PutKey(uint8_t(c));
}
