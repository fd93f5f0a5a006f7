// The assembler's view of the opcode text tables: for each mnemonic, the opcode (with its
// prefix byte) of every operand form it has. Also the top-level splitting of operand texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cpu6309/optable.h"

namespace asm6309 {

struct OpRef {
    bool valid = false;
    uint8_t prefix = 0; // 0, $10 or $11
    uint8_t opcode = 0;
};

struct MnemonicInfo {
    OpRef form[24]; // by OPF_* form
};

// The mnemonic in upper case; also the usual other names LSL..., BCC, BCS, LBCC, LBCS.
const MnemonicInfo* FindMnemonic(const std::string& upper);

// Position of the first sep outside parentheses, brackets and quotes, or npos.
size_t FindTopLevel(std::string_view s, char sep);
// The trimmed parts between top-level commas.
std::vector<std::string_view> SplitTopLevel(std::string_view s);

} // namespace asm6309
