// Mnemonic index built from the opcode text tables, and operand splitting.
#include "tools/asm6309/encode.h"

#include <map>

#include "tools/asm6309/expr.h"

namespace asm6309 {

namespace {

std::map<std::string, MnemonicInfo> BuildIndex() {
    std::map<std::string, MnemonicInfo> index;
    const struct {
        const OpPage09* page;
        uint8_t prefix;
    } pages[] = {{&g_opPage0, 0}, {&g_opPage10, 0x10}, {&g_opPage11, 0x11}};
    for (const auto& p : pages) {
        for (int op = 0; op < 256; ++op) {
            const OPTEXT09& row = (*p.page)[op];
            if (row.form == OPF_ILLEGAL || row.form == OPF_PAGE10 || row.form == OPF_PAGE11)
                continue;
            index[row.mnemonic].form[row.form] = {true, p.prefix, uint8_t(op)};
        }
    }
    const char* const aliases[][2] = {{"LSL", "ASL"},   {"LSLA", "ASLA"}, {"LSLB", "ASLB"},
                                      {"LSLD", "ASLD"}, {"BCC", "BHS"},   {"BCS", "BLO"},
                                      {"LBCC", "LBHS"}, {"LBCS", "LBLO"}};
    for (const auto& a : aliases)
        index[a[0]] = index.at(a[1]);
    return index;
}

} // namespace

const MnemonicInfo* FindMnemonic(const std::string& upper) {
    static const std::map<std::string, MnemonicInfo> index = BuildIndex();
    auto it = index.find(upper);
    return it == index.end() ? nullptr : &it->second;
}

size_t FindTopLevel(std::string_view s, char sep) {
    int depth = 0;
    char quote = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(' || c == '[') {
            ++depth;
        } else if (c == ')' || c == ']') {
            --depth;
        } else if (c == sep && depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::vector<std::string_view> SplitTopLevel(std::string_view s) {
    std::vector<std::string_view> parts;
    for (;;) {
        size_t comma = FindTopLevel(s, ',');
        parts.push_back(Trim(s.substr(0, comma)));
        if (comma == std::string_view::npos) return parts;
        s.remove_prefix(comma + 1);
    }
}

} // namespace asm6309
