// Shared by the assembler tests: in-memory assembly, and the core's test processor.
#pragma once

#include <map>
#include <string>

#include "tests/cpu6309/test_cpu.h"
#include "tools/asm6309/asm6309_lib.h"

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
