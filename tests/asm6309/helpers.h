// Shared by the assembler tests: a flat 64 KB RAM processor and in-memory assembly.
#pragma once

#include <map>
#include <string>

#include "cpu6309/sim09.h"
#include "tools/asm6309/asm6309_lib.h"

class RamCpu : public CSim09 {
public:
    uint8_t mem[65536] = {};
    uint8_t ReadByte(uint16_t addr) override { return mem[addr]; }
    void WriteByte(uint16_t addr, uint8_t value) override { mem[addr] = value; }
};

// Assembles `source` as "main.asm"; other files come from `files` by name.
inline asm6309::Result AsmText(const std::string& source, uint32_t base = 0x1000,
                               uint32_t size = 0x1000,
                               const std::map<std::string, std::string>& files = {},
                               asm6309::Options options = {}) {
    options.base = base;
    options.size = size;
    auto reader = [&](const std::string& path) -> std::optional<std::string> {
        if (path == "main.asm") return source;
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
    return asm6309::Assemble("main.asm", options, reader);
}
