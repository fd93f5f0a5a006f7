// asm6309 command line: assembles one source file into a raw image of an address range.
//   asm6309 -o out.bin --base 0xB000 --size 0x5000 [--fill 0xFF] [-l listing] [-s symbols]
//           [-I dir]... [-D NAME[=value]]... [--depfile file] source.asm
// Errors go to stderr as "file:line: message"; on any error nothing is written and the
// exit status is 1.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/asm6309/asm6309_lib.h"

namespace {

int Usage(const char* message) {
    std::fprintf(stderr, "asm6309: %s\n", message);
    std::fprintf(stderr,
                 "usage: asm6309 -o out.bin --base ADDR --size N [--fill BYTE] [-l listing]\n"
                 "               [-s symbols] [-I dir]... [-D NAME[=value]]... [--depfile file]"
                 " source.asm\n");
    return 1;
}

// Accepts 0x1F, $1F, %101 and decimal.
bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    std::string s = text;
    bool negative = !s.empty() && s[0] == '-';
    if (negative) s.erase(0, 1);
    int base = 10;
    if (s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0)
        base = 16, s.erase(0, 2);
    else if (!s.empty() && s[0] == '$')
        base = 16, s.erase(0, 1);
    else if (!s.empty() && s[0] == '%')
        base = 2, s.erase(0, 1);
    if (s.empty() || s.size() > 16) return false;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, base);
    if (*end) return false;
    value = negative ? -v : v;
    return value >= low && value <= high;
}

// Writes through a temporary file so that a failed write leaves no partial output.
bool WriteFile(const std::string& path, const void* data, size_t size) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), std::streamsize(size));
        if (!out.flush()) {
            std::filesystem::remove(tmp);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) std::filesystem::remove(tmp, ec);
    return !ec;
}

std::string DepEscape(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#') out += '\\';
        if (c == '$') out += '$';
        out += c;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    asm6309::Options options;
    std::string output, listing, symbols, depfile, source;
    bool haveBase = false, haveSize = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) return {};
            return argv[++i];
        };
        int64_t n = 0;
        if (arg == "-o") {
            output = value();
        } else if (arg == "-l") {
            listing = value();
        } else if (arg == "-s") {
            symbols = value();
        } else if (arg == "--depfile") {
            depfile = value();
        } else if (arg == "-I") {
            options.includeDirs.push_back(value());
        } else if (arg == "--base") {
            if (!ParseNumber(value(), 0, 0xFFFF, n)) return Usage("bad --base");
            options.base = uint32_t(n);
            haveBase = true;
        } else if (arg == "--size") {
            if (!ParseNumber(value(), 1, 0x10000, n)) return Usage("bad --size");
            options.size = uint32_t(n);
            haveSize = true;
        } else if (arg == "--fill") {
            if (!ParseNumber(value(), 0, 0xFF, n)) return Usage("bad --fill");
            options.fill = uint8_t(n);
        } else if (arg == "-D") {
            std::string def = value();
            size_t eq = def.find('=');
            std::string name = def.substr(0, eq);
            n = 1;
            if (name.empty() || (eq != std::string::npos &&
                                 !ParseNumber(def.substr(eq + 1), -0x80000000LL, 0xFFFFFFFFLL, n)))
                return Usage("bad -D");
            options.defines.emplace_back(name, n);
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage(("unknown option " + arg).c_str());
        } else if (source.empty()) {
            source = arg;
        } else {
            return Usage("more than one source file");
        }
    }
    if (source.empty() || output.empty() || !haveBase || !haveSize)
        return Usage("need a source file, -o, --base and --size");
    if (options.base + uint64_t(options.size) > 0x10000)
        return Usage("--base plus --size is beyond $FFFF");

    asm6309::Result r = asm6309::Assemble(source, options);
    for (const std::string& e : r.errors)
        std::fprintf(stderr, "%s\n", e.c_str());
    if (!r.ok) return 1;

    std::string deps = DepEscape(output) + ":";
    for (const std::string& f : r.files)
        deps += " " + DepEscape(f);
    deps += "\n";
    bool written = WriteFile(output, r.image.data(), r.image.size()) &&
                   (listing.empty() || WriteFile(listing, r.listing.data(), r.listing.size())) &&
                   (symbols.empty() || WriteFile(symbols, r.symbols.data(), r.symbols.size())) &&
                   (depfile.empty() || WriteFile(depfile, deps.data(), deps.size()));
    if (!written) {
        std::fprintf(stderr, "asm6309: cannot write the output files\n");
        std::error_code ec;
        std::filesystem::remove(output, ec);
        return 1;
    }
    return 0;
}
