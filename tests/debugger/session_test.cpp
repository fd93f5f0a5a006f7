// The pages wired to the real boards, as the view wires them: first fill, step pairs,
// the Z80 card switched off and on, unwiring.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "debugger/debug_session.h"
#include "debugger/stat09.h"
#include "debugger/statz80.h"
#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"
#include "tests/platform/fake_wnd.h"

namespace {

// Pages that also count what the processors and boards sent them.
template <class Page, class Reg> struct Probe : Page {
    void Update(const Reg* reg, const char* line) override {
        ++updates;
        last = line ? line : "";
        Page::Update(reg, line);
    }
    void UpdateSignals(const Reg* reg) override {
        ++signalCalls;
        Page::UpdateSignals(reg);
    }
    int updates = 0;
    int signalCalls = 0;
    std::string last;
};
using Probe09 = Probe<CStat09, REG09>;
using ProbeZ80 = Probe<CStatZ80, REGZ80>;

std::string Hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFF);
    return buf;
}

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        m_main->m_pView = &m_wnd;
        m_main->m_pSub = m_sub.get();
        m_main->Reset();
        m_sub->m_pMainIo = m_main->m_io;
        m_sub->m_pWnd = &m_wnd;
        m_sub->m_pPal = m_main->m_pal;
        m_sub->Reset();
        AttachDebugPages(*m_main, *m_sub, m_pageMain, m_pageZ80, m_pageSub);
    }
    void TearDown() override { DetachDebugPages(*m_main, *m_sub); }

    // Every board step refreshes its pages' signals; a board that does not is still a
    // placeholder and the stepping tests have nothing to look at.
    bool BoardsStep() {
        int before = m_pageMain.signalCalls + m_pageSub.signalCalls;
        RunStepPairs(*m_main, *m_sub, 1);
        return m_pageMain.signalCalls > 0 && m_pageSub.signalCalls > 0 &&
               m_pageMain.signalCalls + m_pageSub.signalCalls > before;
    }

    // One line per executed instruction after the opening's empty one, at most 512.
    template <class P> void ExpectHistory(const P& page) {
        EXPECT_EQ(page.m_nCount, std::min(512, page.updates)) << page.updates;
        EXPECT_EQ(page.m_strLine[0], page.last);
    }

    FakeWnd m_wnd;
    std::unique_ptr<CSubCpu> m_sub = std::make_unique<CSubCpu>();
    std::unique_ptr<CMainCpu> m_main = std::make_unique<CMainCpu>();
    Probe09 m_pageMain, m_pageSub;
    ProbeZ80 m_pageZ80;
};

TEST_F(SessionTest, OpeningWiresAndFillsOnce) {
    EXPECT_EQ(m_main->m_pStat, &m_pageMain);
    EXPECT_EQ(m_main->m_z80.m_pStat, &m_pageZ80);
    EXPECT_EQ(m_sub->m_pStat, &m_pageSub);
    for (const CStatPage* page :
         {(CStatPage*)&m_pageMain, (CStatPage*)&m_pageSub, (CStatPage*)&m_pageZ80}) {
        EXPECT_EQ(page->m_nCount, 1);
        EXPECT_EQ(page->m_nScrollPos, 1);
        EXPECT_EQ(page->m_strLine[0], "");
    }
    EXPECT_EQ(m_pageMain.m_strText[CStat09::kPC], Hex4(m_main->m_reg.PC));
    EXPECT_EQ(m_pageSub.m_strText[CStat09::kPC], Hex4(m_sub->m_reg.PC));
}

TEST_F(SessionTest, OneStepPairAddsALinePerExecutingProcessor) {
    if (!BoardsStep()) GTEST_SKIP() << "the boards' Step is still a placeholder";
    int mainBefore = m_pageMain.updates, subBefore = m_pageSub.updates;
    RunStepPairs(*m_main, *m_sub, 1);
    EXPECT_EQ(m_pageMain.updates - mainBefore, (m_main->m_reg.signals & SIG_HALT) ? 0 : 1);
    EXPECT_EQ(m_pageSub.updates - subBefore, (m_sub->m_reg.signals & SIG_HALT) ? 0 : 1);
    for (const Probe09* page : {&m_pageMain, &m_pageSub})
        ExpectHistory(*page);
    // A trace line starts with the address of the instruction that comes next.
    if (!(m_main->m_reg.signals & SIG_HALT)) {
        EXPECT_EQ(m_pageMain.last.substr(0, 5), Hex4(m_main->m_reg.PC) + " ");
    }
    EXPECT_EQ(m_pageMain.m_strText[CStat09::kPC], Hex4(m_main->m_reg.PC));
}

TEST_F(SessionTest, TenThousandPairsKeepTheLast512Lines) {
    if (!BoardsStep()) GTEST_SKIP() << "the boards' Step is still a placeholder";
    RunStepPairs(*m_main, *m_sub, 10000);
    ExpectHistory(m_pageMain);
    ExpectHistory(m_pageSub);
    EXPECT_EQ(m_pageMain.m_nScrollPos, m_pageMain.m_nCount);
}

TEST_F(SessionTest, Z80CardOffAndOn) {
    if (!BoardsStep()) GTEST_SKIP() << "the boards' Step is still a placeholder";
    // Off: the Z80 page reads HALT and gains nothing.
    RunStepPairs(*m_main, *m_sub, 20);
    EXPECT_EQ(m_pageZ80.m_strText[CStatZ80::kHalt], "HALT");
    EXPECT_EQ(m_pageZ80.updates, 1);
    EXPECT_EQ(m_pageZ80.m_nCount, 1);

    // On: the main 6309 page reads HALT and stops gaining lines; the Z80 gains one a step.
    m_main->WriteByte(0xFD05, 0x01);
    RunStepPairs(*m_main, *m_sub, 1);
    int mainLines = m_pageMain.updates;
    int z80Lines = m_pageZ80.updates;
    RunStepPairs(*m_main, *m_sub, 30);
    EXPECT_EQ(m_pageMain.updates, mainLines);
    EXPECT_EQ(m_pageMain.m_strText[CStat09::kHalt], "HALT");
    EXPECT_EQ(m_pageZ80.updates, z80Lines + 30);
    EXPECT_EQ(m_pageZ80.m_strText[CStatZ80::kHalt], "");
    ExpectHistory(m_pageZ80);
}

TEST_F(SessionTest, UnwiredPagesHearNothing) {
    DetachDebugPages(*m_main, *m_sub);
    EXPECT_EQ(m_main->m_pStat, nullptr);
    EXPECT_EQ(m_main->m_z80.m_pStat, nullptr);
    EXPECT_EQ(m_sub->m_pStat, nullptr);
    RunStepPairs(*m_main, *m_sub, 100);
    EXPECT_EQ(m_pageMain.updates + m_pageMain.signalCalls, 1);
    EXPECT_EQ(m_pageSub.updates + m_pageSub.signalCalls, 1);
    EXPECT_EQ(m_pageZ80.updates + m_pageZ80.signalCalls, 1);
}

TEST_F(SessionTest, NoPairsForCountBelowOne) {
    RunStepPairs(*m_main, *m_sub, 0);
    RunStepPairs(*m_main, *m_sub, -5);
    EXPECT_EQ(m_pageMain.signalCalls + m_pageSub.signalCalls + m_pageZ80.signalCalls, 0);
}

} // namespace
