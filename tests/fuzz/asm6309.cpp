// Fuzz target: the input as assembler source (with one includable text and one binary file
// beside it), and the same bytes through the disassembler.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cpu6309/sim09.h"
#include "tools/asm6309/asm6309_lib.h"

namespace {

class BytesCpu : public CSim09 {
public:
    const uint8_t* data = nullptr;
    size_t size = 0;
    uint8_t ReadByte(uint16_t addr) override { return addr < size ? data[addr] : 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string source(reinterpret_cast<const char*>(data), size);
    auto reader = [&](const std::string& path) -> std::optional<std::string> {
        if (path == "fuzz.asm") return source;
        if (path == "inc.asm") return std::string("V EQU 5\n FCB V\n");
        if (path == "b.bin") return std::string("\x01\x02\x03", 3);
        return std::nullopt;
    };
    asm6309::Options options;
    options.base = 0;
    options.size = 0x10000;
    asm6309::Result r = asm6309::Assemble("fuzz.asm", options, reader);
    if (r.ok && r.image.size() != 0x10000) __builtin_trap();

    static BytesCpu cpu;
    cpu.data = data;
    cpu.size = size;
    char text[32];
    for (uint32_t addr = 0; addr < size && addr < 0x10000;)
        addr += uint16_t(cpu.Disasm(text, uint16_t(addr)) - addr);
    return 0;
}
