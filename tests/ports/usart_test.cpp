#include "port_fixture.h"

namespace {

using Usart = PortTest;

TEST_F(Usart, ModeByteAfterInternalResetIsDropped) {
    Write(0xFD29, {0x00, 0x00, 0x00, 0x40, 0x07, 0x05}); // the mode byte's DTR bit raises nothing
    EXPECT_EQ(m_board->m_usartCmd[3], 0x05);
    EXPECT_TRUE(m_view.m_posted.empty());
}

TEST_F(Usart, DtrOpensOnceAndTheFirstEvaluationSendsTheHeldByte) {
    Write(0xFD27, 0x07); // port 2: transmit, DTR, receive
    EXPECT_EQ(m_view.m_posted, std::vector<unsigned>{ID_USART_OPEN + 2});
    Write(0xFD26, 'A'); // no terminal yet: the byte waits
    EXPECT_EQ(Read(0xFD27), 0x00);

    ServeView();
    ASSERT_NE(Term(2), nullptr);
    EXPECT_EQ(Read(0xFD27), 0x81);
    EXPECT_EQ(Line(Term(2), 0), "A");

    Term(2)->PutKey('k');
    EXPECT_EQ(Read(0xFD27), 0x83);
    Write(0xFD26, 'B'); // with transmit enabled a byte goes out at once
    EXPECT_EQ(Line(Term(2), 0), "AB");
}

TEST_F(Usart, ByteWrittenWithTransmitOffGoesOutWhenTransmitIsEnabled) {
    Write(0xFD07, 0x06); // DTR and receive only
    ServeView();
    ASSERT_NE(Term(0), nullptr);
    Write(0xFD06, 'x');
    EXPECT_EQ(Line(Term(0), 0), "");
    EXPECT_EQ(Read(0xFD07), 0x80);
    Write(0xFD06, 'y'); // overwrites the waiting byte
    Write(0xFD07, 0x07);
    EXPECT_EQ(Line(Term(0), 0), "y");
    EXPECT_EQ(Read(0xFD07), 0x81);
    EXPECT_EQ(Line(Term(0), 0), "y");
    m_board->Reset(); // status cleared, the terminal stays, the byte is not sent again
    EXPECT_EQ(m_board->m_usartStat[0], 0);
    Write(0xFD07, 0x07);
    EXPECT_EQ(Line(Term(0), 0), "y");
}

TEST_F(Usart, DataReadTakesTheQueueInOrderAndWraps) {
    EXPECT_EQ(Read(0xFD24), 0x00); // no terminal
    Write(0xFD25, 0x06);
    ServeView();
    CTerm* term = Term(1);
    ASSERT_NE(term, nullptr);
    EXPECT_EQ(Read(0xFD24), 0xFF); // empty queue
    term->m_nInRead = term->m_nInWrite = CTerm::kInSize - 1;
    for (uint8_t b : {'p', 'q', 'r'})
        term->PutKey(b);
    EXPECT_EQ(Read(0xFD25), 0x82);
    EXPECT_EQ(Read(0xFD24), 'p');
    EXPECT_EQ(m_board->m_usartStat[1], 0x80); // receiver ready cleared by the read
    EXPECT_EQ(Read(0xFD24), 'q');
    EXPECT_EQ(Read(0xFD24), 'r');
    EXPECT_EQ(Read(0xFD24), 0xFF);

    term->PutKey('s');
    Write(0xFD25, 0x02); // receive disabled: the byte waits unannounced
    EXPECT_EQ(Read(0xFD25), 0x80);
    EXPECT_EQ(Read(0xFD24), 's'); // but the data register still hands it over
}

TEST_F(Usart, DroppingDtrClosesAndAnInternalResetReopens) {
    Write(0xFD2B, 0x07);
    ServeView();
    ASSERT_NE(Term(4), nullptr);
    Write(0xFD2B, 0x05);
    EXPECT_EQ(ServeView(), std::vector<unsigned>{ID_USART_CLOSE + 4});
    EXPECT_EQ(Term(4), nullptr);

    // The usual initialisation with a terminal attached: the internal reset drops DTR
    // and the close is still queued when DTR rises again, so a new terminal follows.
    Write(0xFD2B, 0x07);
    ServeView();
    Write(0xFD2B, {0x00, 0x00, 0x00, 0x40, 0x4E, 0x37});
    const std::vector<unsigned> expected{ID_USART_CLOSE + 4, ID_USART_CLOSE + 4, ID_USART_CLOSE + 4,
                                         ID_USART_CLOSE + 4, ID_USART_OPEN + 4};
    EXPECT_EQ(ServeView(), expected);
    EXPECT_NE(Term(4), nullptr);
    EXPECT_EQ(Read(0xFD2B), 0x81);
}

// The port's data register (its command register follows) and raw flag cell; how the
// flag shows in the interrupt status is the I/O page's.
const std::array<int, 3> kIrqCases[] = {{0, 0xFD06, 0x103}, {2, 0xFD26, 0x12C}, {4, 0xFD2A, 0x12C}};

TEST_F(Usart, EvaluationRaisesTheInterruptFlagForTransmitAndReceive) {
    for (auto [port, data, raw] : kIrqCases) {
        SCOPED_TRACE(port);
        const uint16_t cmd = uint16_t(data + 1);
        Write(cmd, 0x06);
        ServeView();
        EXPECT_EQ(m_board->m_io[raw] & 0x80, 0); // nothing to announce
        Term(port)->PutKey('!');
        Read(cmd);
        EXPECT_EQ(m_board->m_io[raw] & 0x80, 0x80);
        Read(uint16_t(data));
        Read(cmd);
        EXPECT_EQ(m_board->m_io[raw] & 0x80, 0);
        Write(cmd, 0x03); // transmitter ready also interrupts
        EXPECT_EQ(m_board->m_io[raw] & 0x80, 0x80);
        Write(cmd, 0x05);
        ServeView();
    }
}

TEST_F(Usart, TickClosesWindowlessTerminalsAndEvaluatesNewInput) {
    Write(0xFD02, 0x08);
    Write(0xFD07, 0x06);
    Write(0xFD29, 0x06);
    ServeView();
    Term(0)->m_bInput = 0; // the window's attachment flagged input
    Term(3)->m_bInput = 0;
    Term(0)->PutKey('a');
    m_board->Step();
    EXPECT_EQ(m_board->m_usartStat[0], 0x00); // not before the tick
    EXPECT_EQ(Term(0)->m_bInput, 1);

    m_termWnd[3].m_alive = false; // the user closed terminal 3
    m_board->m_bTick = 1;
    m_board->Step();
    EXPECT_EQ(m_board->m_usartStat[0], 0x82);
    EXPECT_EQ(Term(0)->m_bInput, 0);
    EXPECT_EQ(m_board->m_io[0xD03], 0x80);
    EXPECT_EQ(m_view.m_posted, std::vector<unsigned>{ID_USART_CLOSE + 3});
    m_board->m_bTick = 1;
    m_board->Step(); // still there: asked again
    EXPECT_EQ(ServeView(), (std::vector<unsigned>{ID_USART_CLOSE + 3, ID_USART_CLOSE + 3}));
    EXPECT_EQ(Term(3), nullptr);
    m_board->m_bTick = 1;
    m_board->Step();
    EXPECT_TRUE(m_view.m_posted.empty());
}

} // namespace
