#include "mainboard/main_cpu.h"

CMainCpu::CMainCpu() {}
CMainCpu::~CMainCpu() {}
uint8_t CMainCpu::ReadByte(uint16_t) { return 0; }
void CMainCpu::WriteByte(uint16_t, uint8_t) {}
uint8_t CMainCpu::ReadIo(uint16_t addr) { return m_io[0xD00 + (addr & 0xFF)]; }
void CMainCpu::WriteIo(uint16_t addr, uint8_t value) { m_io[0xD00 + (addr & 0xFF)] = value; }
uint8_t CMainCpu::UpdateIrq() { return 0; }
uint8_t CMainCpu::UpdateIrq2() { return 0; }
void CMainCpu::Reset() {}
void CMainCpu::Step() {}
