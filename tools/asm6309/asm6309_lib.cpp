// Source reading, passes, symbols, directives and the output of the assembler.
#include "tools/asm6309/asm6309_lib.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/asm6309/assembler.h"
#include "tools/asm6309/encode.h"

namespace asm6309 {

namespace {

constexpr int kMaxPasses = 100;
constexpr int kMaxIncludeDepth = 16;
constexpr size_t kMaxErrors = 100;
constexpr size_t kMaxStatements = 1000000; // per pass, counting every INCLUDE again
constexpr uintmax_t kMaxFileSize = 16u << 20;

std::string Hex4(int64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "$%04llX", (unsigned long long)(v & 0xFFFF));
    return buf;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Cuts the comment off: ';' outside quotes.
std::string_view StripComment(std::string_view s) {
    char quote = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            return s.substr(0, i);
        }
    }
    return s;
}

bool IsIdentifier(std::string_view s) {
    if (s.empty() || !IsIdentStart(s[0])) return false;
    for (char c : s)
        if (!IsIdentChar(c)) return false;
    return true;
}

// A quoted text: "..." or '...'; a bare word is taken as it stands.
std::string Unquote(std::string_view s, bool bareAllowed) {
    s = Trim(s);
    if (s.size() >= 2 && (s[0] == '"' || s[0] == '\'') && s.back() == s[0])
        return std::string(s.substr(1, s.size() - 2));
    if (!bareAllowed || s.empty() || s.find_first_of("\"' \t") != std::string_view::npos)
        throw AsmError{"expected a quoted text"};
    return std::string(s);
}

} // namespace

std::optional<std::string> ReadHostFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileSize) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

Result Assemble(const std::string& path, const Options& options, const FileReader& reader) {
    return CAssembler(options, reader).Run(path);
}

CAssembler::CAssembler(const Options& options, const FileReader& reader)
    : m_options(options), m_reader(reader) {}

Result CAssembler::Run(const std::string& path) {
    Result result;
    if (m_options.size == 0 || m_options.base + uint64_t(m_options.size) > 0x10000) {
        result.errors.push_back(path + ":0: image range outside $0000-$FFFF");
        return result;
    }
    const File* main = LoadSource(path);
    if (!main) {
        result.errors.push_back(path + ":0: cannot read the source file");
        return result;
    }
    for (m_pass = 1; m_pass <= kMaxPasses; ++m_pass) {
        RunPass(*main);
        bool settled = m_pass >= 2 && m_symbols == m_prev;
        m_prev = m_symbols;
        if (settled) break;
    }
    if (m_pass > kMaxPasses) m_errors.push_back(path + ":0: instruction sizes do not settle");

    result.errors = std::move(m_errors);
    result.files = m_fileOrder;
    if (!result.errors.empty()) return result;
    result.ok = true;
    result.image = std::move(m_image);
    result.listing = std::move(m_listing);
    for (const auto& [name, sym] : m_symbols) {
        if (name.find('.') != std::string::npos) continue; // local labels
        result.symbols += name + " EQU ";
        result.symbols +=
            sym.value >= 0 && sym.value <= 0xFFFF ? Hex4(sym.value) : std::to_string(sym.value);
        result.symbols += '\n';
    }
    return result;
}

void CAssembler::RunPass(const File& main) {
    m_symbols.clear();
    for (const auto& [name, value] : m_options.defines)
        m_symbols[name] = {value, true};
    m_pc = 0;
    m_dp = -1;
    m_scope.clear();
    m_ended = false;
    m_conds.clear();
    m_includeStack.clear();
    m_statements = 0;
    m_stmtIndex = 0;
    m_image.assign(m_options.size, m_options.fill);
    m_written.assign(m_options.size, false);
    m_errors.clear();
    m_listing.clear();
    AssembleFile(main, 0);
}

void CAssembler::AssembleFile(const File& file, int depth) {
    size_t conds = m_conds.size();
    m_includeStack.push_back(&file);
    for (size_t i = 0; i < file.lines.size() && !m_ended; ++i) {
        m_file = &file;
        m_line = int(i + 1);
        if (++m_statements > kMaxStatements) {
            Error("more than " + std::to_string(kMaxStatements) + " lines to assemble");
            m_ended = true;
            break;
        }
        Statement(file.lines[i], depth);
    }
    m_includeStack.pop_back();
    if (!m_ended && m_conds.size() > conds) {
        m_file = &file;
        m_line = int(file.lines.size());
        Error("IF without ENDIF");
        m_conds.resize(conds);
    }
}

void CAssembler::Error(const std::string& message) {
    if (m_errors.size() == kMaxErrors) m_errors.push_back(m_file->path + ": too many errors");
    if (m_errors.size() > kMaxErrors) return;
    m_errors.push_back(m_file->path + ":" + std::to_string(m_line) + ": " + message);
}

void CAssembler::Statement(std::string_view text, int depth) {
    m_stmtPc = m_pc;
    m_text = text;
    m_listed = false;
    m_bytes.clear();
    m_undefined.clear();
    m_emitFailed = false;
    bool active = m_conds.empty() || m_conds.back().active;

    std::string_view rest = StripComment(text);
    if (!text.empty() && text[0] == '*') rest = {};
    std::string_view label;
    if (!rest.empty() && !std::isspace(uint8_t(rest[0]))) {
        size_t end = 0;
        while (end < rest.size() && !std::isspace(uint8_t(rest[end])))
            ++end;
        label = rest.substr(0, end);
        rest.remove_prefix(end);
        if (label.back() == ':') label.remove_suffix(1);
    }
    rest = Trim(rest);
    size_t end = 0;
    while (end < rest.size() && !std::isspace(uint8_t(rest[end])))
        ++end;
    std::string_view word = rest.substr(0, end);
    if (label.empty() && !word.empty() && word.back() == ':') {
        label = word.substr(0, word.size() - 1);
        rest = Trim(rest.substr(end));
        end = 0;
        while (end < rest.size() && !std::isspace(uint8_t(rest[end])))
            ++end;
        word = rest.substr(0, end);
    }
    std::string name = Upper(word);
    std::string_view operand = Trim(rest.substr(end));

    bool conditional = name == "IF" || name == "ELSE" || name == "ENDIF";
    if (!active && !conditional) {
        List(text, false, nullptr);
        return;
    }
    const Symbol* equ = nullptr;
    try {
        if (!label.empty() && !IsIdentifier(label)) throw AsmError{"bad label"};
        if (!label.empty() && active && name != "EQU" && name != "ORG") Define(label, {m_pc, true});
        if (name.empty()) {
        } else if (const MnemonicInfo* info = FindMnemonic(name)) {
            Instruction(*info, name, operand);
        } else {
            Directive(name, label, operand, depth);
            if (name == "EQU") equ = &m_symbols[Qualify(label)];
        }
    } catch (const AsmError& e) {
        Error(e.message);
    }
    if (!m_undefined.empty()) Error("undefined symbol '" + m_undefined + "'");
    bool showPc = active && (!m_bytes.empty() || !label.empty() || name == "ORG" || name == "RMB" ||
                             name == "FILL");
    if (!m_listed) List(text, showPc, equ);
}

void CAssembler::Directive(const std::string& name, std::string_view label,
                           std::string_view operand, int depth) {
    if (name == "IF") {
        bool outer = m_conds.empty() || m_conds.back().active;
        bool value = outer && Eval(operand).v != 0;
        m_conds.push_back({value, outer, false});
    } else if (name == "ELSE") {
        if (m_conds.empty() || m_conds.back().seenElse) throw AsmError{"ELSE without IF"};
        Cond& c = m_conds.back();
        c.active = c.outerActive && !c.active;
        c.seenElse = true;
    } else if (name == "ENDIF") {
        if (m_conds.empty()) throw AsmError{"ENDIF without IF"};
        m_conds.pop_back();
    } else if (name == "EQU") {
        if (label.empty()) throw AsmError{"EQU needs a label"};
        Value v = Eval(operand);
        Define(label, {v.v, v.known});
    } else if (name == "ORG") {
        m_pc = m_stmtPc = EvalKnown(operand, 0, 0xFFFF, "address");
        if (!label.empty()) Define(label, {m_pc, true});
    } else if (name == "SETDP") {
        m_dp = int(EvalKnown(operand, 0, 0xFF, "direct page"));
    } else if (name == "FCB" || name == "FDB") {
        bool word = name == "FDB";
        std::vector<std::string_view> items = SplitTopLevel(operand);
        for (std::string_view item : items) {
            int64_t v = Fit(Eval(item), word ? -32768 : -128, word ? 0xFFFF : 0xFF, "value");
            if (word) Emit(uint8_t(v >> 8));
            Emit(uint8_t(v));
        }
    } else if (name == "FCC") {
        for (char c : Unquote(operand, false))
            Emit(uint8_t(c));
    } else if (name == "RMB") {
        Advance(EvalKnown(operand, 0, 0x10000, "count"));
    } else if (name == "FILL") {
        std::vector<std::string_view> items = SplitTopLevel(operand);
        if (items.size() != 2) throw AsmError{"FILL needs a value and a count"};
        int64_t v = Fit(Eval(items[0]), -128, 0xFF, "value");
        int64_t n = EvalKnown(items[1], 0, 0x10000, "count");
        for (int64_t i = 0; i < n; ++i) {
            if (m_emitFailed) {
                m_pc += n - i;
                break;
            }
            Emit(uint8_t(v));
        }
    } else if (name == "INCLUDE") {
        if (depth >= kMaxIncludeDepth) throw AsmError{"INCLUDE nested too deeply"};
        std::string resolved;
        const File* file = Include(Unquote(operand, true), resolved);
        if (std::find(m_includeStack.begin(), m_includeStack.end(), file) != m_includeStack.end())
            throw AsmError{"'" + resolved + "' includes itself"};
        const File* self = m_file;
        int line = m_line;
        List(m_text, !label.empty(), nullptr);
        AssembleFile(*file, depth + 1);
        m_file = self;
        m_line = line;
        m_listed = true;
        m_undefined.clear();
        m_bytes.clear();
        m_emitFailed = false;
    } else if (name == "INCBIN") {
        std::string file = Unquote(operand, true);
        std::optional<std::string> data;
        for (const std::string& path : Candidates(file))
            if ((data = Read(path))) break;
        if (!data) throw AsmError{"cannot read '" + file + "'"};
        if (data->size() > 0x10000) throw AsmError{"'" + file + "' is larger than 64 KB"};
        for (size_t i = 0; i < data->size(); ++i) {
            if (m_emitFailed) {
                m_pc += int64_t(data->size() - i);
                break;
            }
            Emit(uint8_t((*data)[i]));
        }
    } else if (name == "END") {
        if (!operand.empty()) Eval(operand);
        m_ended = true;
    } else {
        throw AsmError{"unknown mnemonic '" + std::string(Trim(name)) + "'"};
    }
}

// Symbols --------------------------------------------------------------------------------

std::string CAssembler::Qualify(std::string_view name) const {
    if (!name.empty() && name[0] == '.') return m_scope + std::string(name);
    return std::string(name);
}

void CAssembler::Define(std::string_view name, Symbol value) {
    if (Upper(name) == "HIGH" || Upper(name) == "LOW")
        throw AsmError{"'" + std::string(name) + "' is reserved"};
    std::string full = Qualify(name);
    if (name[0] != '.') m_scope = full;
    auto [it, inserted] = m_symbols.emplace(full, value);
    if (!inserted) throw AsmError{"duplicate symbol '" + full + "'"};
}

std::optional<int64_t> CAssembler::Lookup(std::string_view name) {
    std::string full = Qualify(name);
    auto it = m_symbols.find(full);
    if (it != m_symbols.end()) {
        if (it->second.known) return it->second.value;
        return std::nullopt; // its definition reports why
    }
    auto prev = m_prev.find(full);
    if (prev != m_prev.end() && prev->second.known) return prev->second.value;
    if (m_undefined.empty()) m_undefined = full;
    return std::nullopt;
}

Value CAssembler::Eval(std::string_view text) {
    text = Trim(text);
    if (text.empty()) throw AsmError{"missing operand"};
    return Evaluate(text, m_stmtPc, [this](std::string_view n) { return Lookup(n); });
}

int64_t CAssembler::EvalKnown(std::string_view text, int64_t low, int64_t high, const char* what) {
    Value v = Eval(text);
    if (!v.known) return 0; // the undefined symbol is reported
    return Fit(v, low, high, what);
}

// Output ----------------------------------------------------------------------------------

void CAssembler::Emit(uint8_t byte) {
    int64_t addr = m_pc++;
    m_bytes.push_back(byte);
    if (m_emitFailed) return;
    std::string range = Hex4(m_options.base) + "-" + Hex4(m_options.base + m_options.size - 1);
    if (addr > 0xFFFF) {
        Error("code beyond $FFFF");
    } else if (addr < m_options.base || addr >= int64_t(m_options.base) + m_options.size) {
        Error("code at " + Hex4(addr) + " is outside the image " + range);
    } else if (m_written[addr - m_options.base]) {
        Error("address " + Hex4(addr) + " is assigned twice");
    } else {
        m_image[addr - m_options.base] = byte;
        m_written[addr - m_options.base] = true;
        return;
    }
    m_emitFailed = true;
}

void CAssembler::Advance(int64_t count) {
    if (m_pc + count > 0x10000) throw AsmError{"address beyond $FFFF"};
    m_pc += count;
}

void CAssembler::List(std::string_view text, bool showPc, const Symbol* equ) {
    constexpr size_t kPerLine = 8;
    constexpr size_t kMaxLines = 4;
    char head[64];
    int n = std::snprintf(head, sizeof head, "%5d  ", m_line);
    if (equ && equ->known)
        n += std::snprintf(head + n, sizeof head - n, "=%04llX ",
                           (unsigned long long)(equ->value & 0xFFFF));
    else if (showPc)
        n += std::snprintf(head + n, sizeof head - n, "%04llX  ",
                           (unsigned long long)(m_stmtPc & 0xFFFF));
    else
        n += std::snprintf(head + n, sizeof head - n, "      ");
    m_listing += head;
    for (size_t line = 0; line * kPerLine < std::max<size_t>(m_bytes.size(), 1); ++line) {
        if (line == kMaxLines) {
            m_listing += "               ...\n";
            break;
        }
        if (line) {
            std::snprintf(head, sizeof head, "       %04llX  ",
                          (unsigned long long)((m_stmtPc + line * kPerLine) & 0xFFFF));
            m_listing += head;
        }
        std::string bytes;
        for (size_t i = line * kPerLine; i < std::min(m_bytes.size(), (line + 1) * kPerLine); ++i) {
            char b[4];
            std::snprintf(b, sizeof b, "%02X ", m_bytes[i]);
            bytes += b;
        }
        bytes.resize(kPerLine * 3, ' ');
        m_listing += bytes;
        if (!line) m_listing += text;
        m_listing += '\n';
    }
}

// Files -------------------------------------------------------------------------------------

std::optional<std::string> CAssembler::Read(const std::string& path) {
    auto it = m_binaries.find(path);
    if (it == m_binaries.end()) {
        it = m_binaries.emplace(path, m_reader(path)).first;
        if (it->second) m_fileOrder.push_back(path);
    }
    return it->second;
}

const CAssembler::File* CAssembler::LoadSource(const std::string& path) {
    auto it = m_files.find(path);
    if (it == m_files.end()) {
        std::optional<File> file;
        if (std::optional<std::string> text = Read(path)) file = File{path, SplitLines(*text)};
        it = m_files.emplace(path, std::move(file)).first;
    }
    return it->second ? &*it->second : nullptr;
}

std::vector<std::string> CAssembler::Candidates(std::string_view name) const {
    std::filesystem::path p{std::string(name)};
    if (p.is_absolute()) return {p.string()};
    std::vector<std::string> paths;
    paths.push_back((std::filesystem::path(m_file->path).parent_path() / p).string());
    for (const std::string& dir : m_options.includeDirs)
        paths.push_back((std::filesystem::path(dir) / p).string());
    return paths;
}

const CAssembler::File* CAssembler::Include(std::string_view name, std::string& resolved) {
    for (const std::string& path : Candidates(name)) {
        if (const File* file = LoadSource(path)) {
            resolved = path;
            return file;
        }
    }
    throw AsmError{"cannot read '" + std::string(name) + "'"};
}

} // namespace asm6309
