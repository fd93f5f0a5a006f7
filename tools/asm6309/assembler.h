// CAssembler: the pass driver behind asm6309::Assemble. Each pass reads the whole source
// from the top; a symbol used before its definition takes its value from the previous pass.
// Passes repeat until no symbol changes value, and the last pass's bytes, listing and errors
// are the result. From the third pass on an instruction that once needed a longer operand
// form keeps it, so the passes always settle.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/asm6309/asm6309_lib.h"
#include "tools/asm6309/expr.h"

namespace asm6309 {

struct MnemonicInfo;

class CAssembler {
public:
    CAssembler(const Options& options, const FileReader& reader);
    Result Run(const std::string& path);

private:
    struct Symbol {
        int64_t value = 0;
        bool known = false;
        bool operator==(const Symbol&) const = default;
    };
    struct Cond {
        bool active;      // this branch is assembled
        bool outerActive; // the enclosing branch is assembled
        bool seenElse;
    };
    struct File {
        std::string path;
        std::vector<std::string> lines;
    };

    const Options& m_options;
    const FileReader& m_reader;
    std::map<std::string, std::optional<File>> m_files; // by resolved path
    std::map<std::string, std::optional<std::string>> m_binaries;
    std::vector<std::string> m_fileOrder;

    // Symbols of this pass and the values the previous pass ended with.
    std::map<std::string, Symbol> m_symbols;
    std::map<std::string, Symbol> m_prev;
    int m_pass = 0;

    // Pass state.
    int64_t m_pc = 0;
    int m_dp = -1; // -1 until SETDP
    std::string m_scope;
    bool m_ended = false;
    std::vector<Cond> m_conds;
    std::vector<const File*> m_includeStack;
    size_t m_statements = 0;
    size_t m_stmtIndex = 0;
    size_t m_curStmt = 0;
    std::vector<uint8_t> m_sticky; // longest operand form each instruction has needed
    std::vector<uint8_t> m_image;
    std::vector<bool> m_written;
    std::vector<std::string> m_errors;
    std::string m_listing;

    // Statement state.
    const File* m_file = nullptr;
    int m_line = 0;
    int64_t m_stmtPc = 0;
    std::string_view m_text;
    bool m_listed = false;
    std::vector<uint8_t> m_bytes;
    std::string m_undefined;
    bool m_emitFailed = false;

    void RunPass(const File& main);
    void AssembleFile(const File& file, int depth);
    void Statement(std::string_view text, int depth);
    void Directive(const std::string& name, std::string_view label, std::string_view operand,
                   int depth);
    void Instruction(const MnemonicInfo& info, const std::string& name, std::string_view operand);
    void List(std::string_view text, bool showPc, const Symbol* equ);

    // Files.
    const File* LoadSource(const std::string& path);
    const File* Include(std::string_view name, std::string& resolved);
    std::optional<std::string> Read(const std::string& path);
    std::vector<std::string> Candidates(std::string_view name) const;

    // Symbols and values.
    std::string Qualify(std::string_view name) const;
    void Define(std::string_view name, Symbol value);
    std::optional<int64_t> Lookup(std::string_view name);
    Value Eval(std::string_view text);
    int64_t EvalKnown(std::string_view text, int64_t low, int64_t high, const char* what);
    void Error(const std::string& message);

    // Output.
    void Emit(uint8_t byte);
    void Advance(int64_t count);

    // Operand encoding (instruction.cpp).
    uint8_t SizeLevel(uint8_t needed);
    int64_t Fit(Value v, int64_t low, int64_t high, const char* what);
    uint8_t DirectByte(Value v);
    void EncodeIndexed(std::string_view text, bool indirect, int64_t postbytePc,
                       std::vector<uint8_t>& out);
};

} // namespace asm6309
