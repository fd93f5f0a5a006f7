// What the view does with the debugger's pages: wiring them to the three processors
// (with the first fill of an empty trace line), unwiring them, and running step
// pairs. The pages must outlive the wiring; DetachDebugPages comes before they go.
#pragma once

class CMainCpu;
class CSubCpu;
class CStat09;
class CStatZ80;

// Sets the m_pStat of the main HD6309, the Z80 and the display HD6309, then fills the
// pages once in that order with each processor's registers and an empty line.
void AttachDebugPages(CMainCpu& main, CSubCpu& sub, CStat09& pageMain, CStatZ80& pageZ80,
                      CStat09& pageSub);
// Clears the three m_pStat pointers: main, Z80, display.
void DetachDebugPages(CMainCpu& main, CSubCpu& sub);
// count pairs of one main-board step and one display-board step; none for count < 1.
void RunStepPairs(CMainCpu& main, CSubCpu& sub, int count);
