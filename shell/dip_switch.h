// The DIP switch byte as the settings sheet's DIPSW page shows it: bits 7, 6 and 5 are 0
// when "HDD", "2HD FDD" and "2D FDD" are checked, bits 4-2 are 1, bits 1-0 hold the boot
// drive number XOR 3.
#pragma once

struct DipSwPage {
    bool bHdd = false, b2hd = false, b2d = false;
    int nDrive = -1; // 0..3, -1 when no radio button is checked
};

DipSwPage DipToPage(int dip);
int PageToDip(const DipSwPage& page);
