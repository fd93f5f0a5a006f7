#include "debugger/debug_session.h"

#include "debugger/stat09.h"
#include "debugger/statz80.h"
#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"

void AttachDebugPages(CMainCpu& main, CSubCpu& sub, CStat09& pageMain, CStatZ80& pageZ80,
                      CStat09& pageSub) {
    main.m_pStat = &pageMain;
    main.m_z80.m_pStat = &pageZ80;
    sub.m_pStat = &pageSub;
    pageMain.Update(&main.m_reg, "");
    pageZ80.Update(&main.m_z80.m_reg, "");
    pageSub.Update(&sub.m_reg, "");
}

void DetachDebugPages(CMainCpu& main, CSubCpu& sub) {
    main.m_pStat = nullptr;
    main.m_z80.m_pStat = nullptr;
    sub.m_pStat = nullptr;
}

void RunStepPairs(CMainCpu& main, CSubCpu& sub, int count) {
    for (int i = 0; i < count; ++i) {
        main.Step();
        sub.Step();
    }
}
