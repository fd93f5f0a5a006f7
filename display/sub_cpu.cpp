#include "display/sub_cpu.h"

CSubCpu::CSubCpu() {}
CSubCpu::~CSubCpu() {}
uint8_t CSubCpu::ReadByte(uint16_t) { return 0; }
void CSubCpu::WriteByte(uint16_t, uint8_t) {}
void CSubCpu::Reset() {}
void CSubCpu::Step() {}
void CSubCpu::PushKey(uint16_t) {}
void CSubCpu::PopKey() {}
