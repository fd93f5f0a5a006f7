#include "shell/dip_switch.h"

DipSwPage DipToPage(int dip) {
    DipSwPage page;
    page.bHdd = !(dip & 0x80);
    page.b2hd = !(dip & 0x40);
    page.b2d = !(dip & 0x20);
    page.nDrive = (dip & 3) ^ 3;
    return page;
}

int PageToDip(const DipSwPage& page) {
    int dip = page.bHdd ? 0x7C : 0xFC;
    if (page.b2hd) dip &= ~0x40;
    if (page.b2d) dip &= ~0x20;
    // No drive chosen (-1) reads as Drive 0, which is what the byte shows by default.
    return dip | ((page.nDrive < 0 ? 0 : page.nDrive & 3) ^ 3);
}
