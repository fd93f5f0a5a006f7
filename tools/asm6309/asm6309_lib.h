// asm6309: the project's own HD6309 assembler, as a library that the command-line tool and
// the tests share. Assemble() reads a Motorola-style source file (and what it INCLUDEs or
// INCBINs, through the given reader), runs passes until every symbol keeps its value, and
// returns a raw image of the address range [base, base + size) filled with `fill` where no
// code lies, a listing and a symbol file. On any error `ok` is false, `errors` holds
// "file:line: message" lines and the image must not be used.
//
// Source: a label starts in column 1 or ends in ':'; labels starting with '.' are local to
// the last other label (and reachable from elsewhere as NAME.local). Comments follow ';'
// or fill a line starting with '*'. Mnemonics, directives and register names in either
// case; symbols are case-sensitive. Directives: ORG, EQU, SETDP, FCB, FDB, FCC "text",
// RMB, FILL value,count, INCLUDE "file", INCBIN "file", END, IF/ELSE/ENDIF (nonzero is
// true). Without SETDP every address operand is extended unless written "<addr"; with
// SETDP, addresses in that page become direct; ">addr" forces extended. Indexed offsets
// take the shortest form for their value (an explicit 0,X stays a 5-bit offset); n,PCR
// takes a target address. Branches are short or long as the mnemonic says. LSL..., BCC,
// BCS, LBCC and LBCS are accepted for ASL..., BHS, BLO, LBHS and LBLO. LDQ has no
// immediate form (the processor traps on it).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace asm6309 {

struct Options {
    uint32_t base = 0;
    uint32_t size = 0x10000;
    uint8_t fill = 0xFF;
    std::vector<std::string> includeDirs;
    std::vector<std::pair<std::string, int64_t>> defines;
};

// Returns the content of a file, or nothing when it cannot be read.
using FileReader = std::function<std::optional<std::string>(const std::string& path)>;

// Reads a regular file of the host (at most 16 MB).
std::optional<std::string> ReadHostFile(const std::string& path);

struct Result {
    bool ok = false;
    std::vector<uint8_t> image;
    std::string listing;
    std::string symbols;             // "NAME EQU $1234" lines, includable as source
    std::vector<std::string> errors; // "file:line: message"
    std::vector<std::string> files;  // the source and every file it included or read
};

Result Assemble(const std::string& path, const Options& options,
                const FileReader& reader = ReadHostFile);

} // namespace asm6309
