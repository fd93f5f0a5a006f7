// Operand parsing and encoding of one instruction: picks the row of the opcode tables by the
// operand's form and, where the value decides, the shortest offset or address form.
#include <algorithm>
#include <cstdio>

#include "tools/asm6309/assembler.h"
#include "tools/asm6309/encode.h"

namespace asm6309 {

namespace {

// Size levels of a variable operand: 5-bit offset or direct page, 8-bit, 16-bit.
enum : uint8_t { kShort = 0, kByte = 1, kWord = 2 };

int NameCode(std::string_view name, std::initializer_list<std::pair<const char*, int>> table) {
    std::string u = Upper(Trim(name));
    for (const auto& [n, code] : table)
        if (u == n) return code;
    return -1;
}

int PairCode(std::string_view name) {
    int code = NameCode(name, {{"D", 0},
                               {"X", 1},
                               {"Y", 2},
                               {"U", 3},
                               {"S", 4},
                               {"PC", 5},
                               {"W", 6},
                               {"V", 7},
                               {"A", 8},
                               {"B", 9},
                               {"CC", 10},
                               {"DP", 11},
                               {"?", 12},
                               {"E", 14},
                               {"F", 15}});
    if (code < 0) throw AsmError{"bad register '" + std::string(name) + "'"};
    return code;
}

uint8_t RegisterList(std::string_view text, bool user) {
    if (Trim(text).empty()) return 0;
    uint8_t bits = 0;
    for (std::string_view name : SplitTopLevel(text)) {
        int bit = NameCode(name, {{"CC", 0x01},
                                  {"A", 0x02},
                                  {"B", 0x04},
                                  {"D", 0x06},
                                  {"DP", 0x08},
                                  {"X", 0x10},
                                  {"Y", 0x20},
                                  {user ? "S" : "U", 0x40},
                                  {"PC", 0x80}});
        if (bit < 0) throw AsmError{"bad register '" + std::string(name) + "' in list"};
        bits |= uint8_t(bit);
    }
    return bits;
}

std::string Number(int64_t v) {
    return std::to_string(v);
}

} // namespace

int64_t CAssembler::Fit(Value v, int64_t low, int64_t high, const char* what) {
    if (v.known && (v.v < low || v.v > high))
        throw AsmError{std::string(what) + " " + Number(v.v) + " out of range"};
    return v.known ? v.v : 0;
}

uint8_t CAssembler::DirectByte(Value v) {
    if (!v.known) return 0;
    if (v.v >= 0 && v.v <= 0xFF) return uint8_t(v.v);
    if (m_dp >= 0 && v.v >= 0 && v.v <= 0xFFFF && (v.v >> 8) == m_dp) return uint8_t(v.v);
    char buf[64];
    std::snprintf(buf, sizeof buf, "address %lld is outside the direct page", (long long)v.v);
    throw AsmError{buf};
}

uint8_t CAssembler::SizeLevel(uint8_t needed) {
    uint8_t& sticky = m_sticky[m_curStmt];
    uint8_t level = std::max(needed, sticky);
    if (m_pass >= 3) sticky = level;
    return level;
}

void CAssembler::EncodeIndexed(std::string_view text, bool indirect, int64_t postbytePc,
                               std::vector<uint8_t>& out) {
    auto word = [&](uint8_t postbyte, int64_t v) {
        out.insert(out.end(), {postbyte, uint8_t(v >> 8), uint8_t(v)});
    };
    std::vector<std::string_view> parts = SplitTopLevel(text);
    if (parts.size() == 1 && indirect) { // [address]
        word(0x9F, Fit(Eval(parts[0]), 0, 0xFFFF, "address"));
        return;
    }
    if (parts.size() != 2) throw AsmError{"bad indexed operand"};
    std::string_view offset = parts[0];
    std::string reg = Upper(parts[1]);
    int pre = 0, post = 0;
    while (!reg.empty() && reg.front() == '-')
        ++pre, reg.erase(0, 1);
    while (!reg.empty() && reg.back() == '+')
        ++post, reg.pop_back();
    enum { kW = 4, kPcr = 5 };
    int r = NameCode(reg, {{"X", 0}, {"Y", 1}, {"U", 2}, {"S", 3}, {"W", kW}, {"PCR", kPcr}});
    if (r < 0 || pre > 2 || post > 2 || (pre && post) || ((pre || post) && r == kPcr))
        throw AsmError{"bad index register '" + std::string(parts[1]) + "'"};
    uint8_t ind = indirect ? 0x10 : 0;
    uint8_t base = uint8_t(0x80 | (r & 3) << 5 | ind);

    if (pre || post) {
        if (!offset.empty()) throw AsmError{"auto increment or decrement takes no offset"};
        if (r == kW) {
            if (post != 2 && pre != 2) throw AsmError{"W takes ,W++ and ,--W only"};
            out.push_back(post ? (indirect ? 0xD0 : 0xCF) : (indirect ? 0xF0 : 0xEF));
        } else {
            if (post == 1 && indirect) throw AsmError{"[,R+] does not exist"};
            out.push_back(uint8_t(base | (post == 1 ? 0 : post == 2 ? 1 : pre == 1 ? 2 : 3)));
        }
        return;
    }
    if (offset.empty()) {
        if (r == kPcr) throw AsmError{"PCR needs an address"};
        out.push_back(r == kW ? (indirect ? 0x90 : 0x8F) : uint8_t(base | 0x04));
        return;
    }
    int acc = NameCode(offset, {{"A", 6}, {"B", 5}, {"D", 11}, {"E", 7}, {"F", 10}, {"W", 14}});
    if (acc >= 0) {
        if (r >= kW) throw AsmError{"an accumulator offset needs X, Y, U or S"};
        out.push_back(uint8_t(base | acc));
        return;
    }
    Value v = Eval(offset);
    if (r == kW) {
        word(indirect ? 0xB0 : 0xAF, Fit(v, -32768, 0xFFFF, "offset"));
        return;
    }
    if (r == kPcr) {
        int64_t target = Fit(v, 0, 0xFFFF, "address");
        int64_t d8 = int16_t(uint16_t(target - (postbytePc + 2)));
        uint8_t level = SizeLevel(v.known && d8 >= -128 && d8 <= 127 ? kByte : kWord);
        if (level <= kByte)
            out.insert(out.end(), {uint8_t(0x8C | ind), uint8_t(d8)});
        else
            word(uint8_t(0x8D | ind), target - (postbytePc + 3));
        return;
    }
    int64_t o = Fit(v, -32768, 0xFFFF, "offset");
    uint8_t needed = !v.known                           ? kWord
                     : !indirect && o >= -16 && o <= 15 ? kShort
                     : o >= -128 && o <= 127            ? kByte
                                                        : kWord;
    uint8_t level = SizeLevel(needed);
    if (level == kShort)
        out.push_back(uint8_t((r << 5) | (o & 0x1F)));
    else if (level == kByte)
        out.insert(out.end(), {uint8_t(base | 0x08), uint8_t(o)});
    else
        word(uint8_t(base | 0x09), o);
}

void CAssembler::Instruction(const MnemonicInfo& info, const std::string& name,
                             std::string_view operand) {
    m_curStmt = m_stmtIndex++;
    if (m_sticky.size() <= m_curStmt) m_sticky.resize(m_curStmt + 1, kShort);

    std::vector<uint8_t> out;
    auto has = [&](uint32_t form) { return info.form[form].valid; };
    auto op = [&](uint32_t form) {
        const OpRef& ref = info.form[form];
        if (!ref.valid) throw AsmError{"operand form not available for " + name};
        if (ref.prefix) out.push_back(ref.prefix);
        out.push_back(ref.opcode);
    };
    auto parts2 = [&](std::string_view text) {
        std::vector<std::string_view> parts = SplitTopLevel(text);
        if (parts.size() != 2) throw AsmError{name + " needs two operands"};
        return parts;
    };
    // Direct, extended or indexed operand: appends the opcode of that form, then `between`
    // (an immediate byte), then the operand bytes.
    auto address = [&](std::string_view text, uint32_t fDirect, uint32_t fIndexed,
                       uint32_t fExtended, const std::vector<uint8_t>& between) {
        if (text.empty()) throw AsmError{"missing operand"};
        bool indirect = text.front() == '[';
        if (indirect || SplitTopLevel(text).size() > 1) {
            if (indirect && text.back() != ']') throw AsmError{"missing ']'"};
            op(fIndexed);
            out.insert(out.end(), between.begin(), between.end());
            EncodeIndexed(indirect ? text.substr(1, text.size() - 2) : text, indirect,
                          m_stmtPc + int64_t(out.size()), out);
            return;
        }
        bool direct;
        Value v;
        if (text.front() == '<' || text.front() == '>') {
            direct = text.front() == '<';
            v = Eval(text.substr(1));
        } else {
            v = Eval(text);
            bool inPage = v.known && m_dp >= 0 && v.v >= 0 && v.v <= 0xFFFF && (v.v >> 8) == m_dp;
            direct = has(fDirect) && SizeLevel(inPage ? kShort : kWord) == kShort;
        }
        op(direct ? fDirect : fExtended);
        out.insert(out.end(), between.begin(), between.end());
        if (direct) {
            out.push_back(DirectByte(v));
        } else {
            int64_t a = Fit(v, 0, 0xFFFF, "address");
            out.insert(out.end(), {uint8_t(a >> 8), uint8_t(a)});
        }
    };

    if (has(OPF_INHERENT)) {
        if (!operand.empty()) throw AsmError{name + " takes no operand"};
        op(OPF_INHERENT);
    } else if (has(OPF_REGPAIR)) {
        auto parts = parts2(operand);
        op(OPF_REGPAIR);
        out.push_back(uint8_t(PairCode(parts[0]) << 4 | PairCode(parts[1])));
    } else if (has(OPF_LIST_S) || has(OPF_LIST_U)) {
        bool user = has(OPF_LIST_U);
        op(user ? OPF_LIST_U : OPF_LIST_S);
        out.push_back(RegisterList(operand, user));
    } else if (has(OPF_BITMEM) || has(OPF_BITREG)) {
        bool store = has(OPF_BITREG);
        auto parts = parts2(operand);
        auto split = [&](std::string_view part, std::string_view& left) {
            size_t colon = part.rfind(':');
            if (colon == std::string_view::npos) throw AsmError{"expected ':' and a bit number"};
            left = Trim(part.substr(0, colon));
            return int(EvalKnown(part.substr(colon + 1), 0, 7, "bit number"));
        };
        std::string_view mem, reg;
        int memBit = split(parts[store ? 1 : 0], mem);
        int regBit = split(parts[store ? 0 : 1], reg);
        int r = NameCode(reg, {{"CC", 0}, {"A", 1}, {"B", 2}, {"N", 3}});
        if (r < 0) throw AsmError{"bad bit register '" + std::string(reg) + "'"};
        if (!mem.empty() && mem.front() == '<') mem.remove_prefix(1);
        uint8_t addr = DirectByte(Eval(mem));
        op(store ? OPF_BITREG : OPF_BITMEM);
        int src = store ? regBit : memBit, dst = store ? memBit : regBit;
        out.push_back(uint8_t(r << 6 | src << 3 | dst));
        out.push_back(addr);
    } else if (has(OPF_TFM_INC)) {
        auto parts = parts2(operand);
        char mode[2];
        int code[2];
        for (int i = 0; i < 2; ++i) {
            std::string_view p = parts[i];
            mode[i] = !p.empty() && (p.back() == '+' || p.back() == '-') ? p.back() : ' ';
            if (mode[i] != ' ') p.remove_suffix(1);
            code[i] = NameCode(p, {{"D", 0}, {"X", 1}, {"Y", 2}, {"U", 3}, {"S", 4}});
            if (code[i] < 0) throw AsmError{"bad TFM register '" + std::string(p) + "'"};
        }
        std::string m{mode[0], mode[1]};
        uint32_t form = m == "++"   ? OPF_TFM_INC
                        : m == "--" ? OPF_TFM_DEC
                        : m == "+ " ? OPF_TFM_SRC
                        : m == " +" ? OPF_TFM_DST
                                    : OPF_ILLEGAL;
        if (form == OPF_ILLEGAL) throw AsmError{"bad TFM operands"};
        op(form);
        out.push_back(uint8_t(code[0] << 4 | code[1]));
    } else if (has(OPF_REL8) || has(OPF_REL16)) {
        bool isLong = has(OPF_REL16);
        Value tv = Eval(operand);
        int64_t target = Fit(tv, 0, 0xFFFF, "branch target");
        op(isLong ? OPF_REL16 : OPF_REL8);
        int64_t next = m_stmtPc + int64_t(out.size()) + (isLong ? 2 : 1);
        int64_t d = int16_t(uint16_t(target - next));
        if (isLong) {
            out.insert(out.end(), {uint8_t(d >> 8), uint8_t(d)});
        } else {
            if (tv.known && (d < -128 || d > 127))
                throw AsmError{"branch target out of range (" + Number(d) + " bytes)"};
            out.push_back(uint8_t(d));
        }
    } else if (has(OPF_IMM_DIRECT)) {
        size_t comma = FindTopLevel(operand, ',');
        std::string_view imm = Trim(operand.substr(0, comma));
        if (comma == std::string_view::npos || imm.empty() || imm.front() != '#')
            throw AsmError{name + " needs #value,address"};
        uint8_t v = uint8_t(Fit(Eval(imm.substr(1)), -128, 0xFF, "value"));
        address(Trim(operand.substr(comma + 1)), OPF_IMM_DIRECT, OPF_IMM_INDEXED, OPF_IMM_EXTENDED,
                {v});
    } else if (!operand.empty() && operand.front() == '#') {
        Value v = Eval(operand.substr(1));
        if (has(OPF_IMM8)) {
            op(OPF_IMM8);
            out.push_back(uint8_t(Fit(v, -128, 0xFF, "value")));
        } else {
            op(OPF_IMM16);
            int64_t w = Fit(v, -32768, 0xFFFF, "value");
            out.insert(out.end(), {uint8_t(w >> 8), uint8_t(w)});
        }
    } else {
        address(operand, OPF_DIRECT, OPF_INDEXED, OPF_EXTENDED, {});
    }
    for (uint8_t b : out)
        Emit(b);
}

} // namespace asm6309
