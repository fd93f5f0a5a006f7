// The main board of its own tests with a recording view that also answers the terminal
// commands the way the real view does: ID_USART_OPEN + n creates a terminal model with
// a (fake) window in m_pTerm[n], ID_USART_CLOSE + n deletes it.
#pragma once

#include <string>
#include <vector>

#include "terminal/term.h"
#include "tests/mainboard/board_fixture.h"
#include "tests/platform/fake_wnd.h"

class PortTest : public MainBoardTest {
protected:
    PortTest() {
        m_rom[0x100] = 0x20; // BRA * at the reset address
        m_rom[0x101] = 0xFE;
        m_board->m_pView = &m_view;
    }
    ~PortTest() override { m_board.reset(); } // it owns the terminals, which use m_termWnd

    using MainBoardTest::Write;
    void Write(uint16_t addr, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            Write(addr, b);
    }

    // Handles what the board posted, as the view would, and returns the ids.
    std::vector<unsigned> ServeView() {
        std::vector<unsigned> posted;
        posted.swap(m_view.m_posted);
        for (unsigned id : posted) {
            if (id >= ID_USART_OPEN && id < ID_USART_OPEN + 5) {
                const int n = int(id - ID_USART_OPEN);
                if (m_board->m_pTerm[n]) continue;
                auto* term = new CTerm;
                m_termWnd[n].m_alive = true;
                term->AttachWindow(&m_termWnd[n]);
                m_board->m_pTerm[n] = term;
            } else if (id >= ID_USART_CLOSE && id < ID_USART_CLOSE + 5) {
                const int n = int(id - ID_USART_CLOSE);
                delete m_board->m_pTerm[n];
                m_board->m_pTerm[n] = nullptr;
            }
        }
        return posted;
    }

    CTerm* Term(int n) { return m_board->m_pTerm[n]; }

    // Screen row `row` of a terminal as text, without trailing blanks.
    static std::string Line(const CTerm* term, int row) {
        const TERMCELL* cells = term->ScreenRow(row);
        std::string s;
        for (int c = 0; c < term->m_nCols; ++c)
            s.push_back(cells[c].ch ? char(cells[c].ch) : ' ');
        return s.erase(s.find_last_not_of(' ') + 1);
    }

    FakeWnd m_view;
    std::array<FakeWnd, 5> m_termWnd;
};
