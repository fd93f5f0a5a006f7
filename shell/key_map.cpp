#include "shell/key_map.h"

#include <Qt>

#include "display/key_code.h"

namespace {

struct KeyEntry {
    int qtKey;
    uint16_t code; // without modifier bits
};

// The editing and cursor keys, which carry the modifier bits.
constexpr KeyEntry kEditKeys[] = {
    {Qt::Key_Insert, 0x110},   {Qt::Key_PageUp, 0x111}, {Qt::Key_End, 0x112},
    {Qt::Key_PageDown, 0x113}, {Qt::Key_Delete, 0x114}, {Qt::Key_Home, 0x115},
    {Qt::Key_Up, 0x116},       {Qt::Key_Down, 0x117},   {Qt::Key_Left, 0x118},
    {Qt::Key_Right, 0x119},
};

} // namespace

KeyAction MapKeyDown(int qtKey, uint32_t keyMod, uint16_t& code) {
    code = 0;
    for (const KeyEntry& e : kEditKeys) {
        if (e.qtKey == qtKey) {
            code = uint16_t(e.code | keyMod);
            return kKeyTable;
        }
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        // F10 belongs to the menu bar, as on the original host.
        if (qtKey == Qt::Key_F10) return kKeyNone;
        code = uint16_t((0x101 + (qtKey - Qt::Key_F1)) | keyMod);
        return kKeyTable;
    }
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Cancel: return kKeyNone;
    case Qt::Key_Pause:
        // With Ctrl held the host reports the Cancel key instead: nothing is pushed.
        if (keyMod & KEY_CTRL) return kKeyNone;
        code = KEY_BREAK;
        return kKeyTable;
    case Qt::Key_Backtab:
        code = 0x09; // Shift+Tab types a tab, as Tab does
        return kKeyTable;
    case Qt::Key_At:
        if (keyMod & KEY_CTRL) {
            code = 0x000;
            return kKeyTable;
        }
        return kKeyText;
    default: return kKeyText;
    }
}
