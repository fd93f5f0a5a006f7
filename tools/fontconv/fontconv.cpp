// fontconv: builds the machine's character font (4 KB) and kanji image (128 KB) from
// BDF bitmap fonts (Debian's public-domain Shinonome faces, converted by pcf2bdf).
//
//   fontconv --roman shnm8x16r.bdf --latin shnm8x16a.bdf --kanji shnmk16.bdf \
//            --font font8x16.bin --kanji-out kanji16.bin
//
// Character font: 256 glyphs x 16 rows, one byte per row, bit 0 = leftmost pixel.
//   0x20-0x7E and 0xA1-0xDF from the JIS X 0201 face, 0xE0-0xFF from the Latin-1 face,
//   0x80-0x9F block and line graphics drawn here, the rest blank.
// Kanji image: 4096 glyphs x 32 bytes, 16 rows of (left byte, right byte), bit 7 =
//   leftmost pixel. JIS X 0208 row r (1-94), cell c (1-94) is glyph
//   slot(r) * 94 + (c - 1) with slot(r) = r - 1 for rows 1-8 and r - 8 for rows 16-50;
//   other rows are absent. Unused glyphs are blank.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Glyph {
    int width = 0, height = 0, xoff = 0, yoff = 0;
    std::vector<uint32_t> rows; // bit (width-1-x) of rows[y] is pixel x, MSB-first as in BDF
};

struct BdfFont {
    int boxHeight = 16, boxYoff = -2; // FONTBOUNDINGBOX
    std::map<int, Glyph> glyphs;      // by ENCODING
};

bool LoadBdf(const char* path, BdfFont& font) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    int enc = -1;
    Glyph g;
    bool bitmap = false;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string key;
        ls >> key;
        if (key == "FONTBOUNDINGBOX") {
            int w;
            ls >> w >> font.boxHeight >> g.xoff >> font.boxYoff;
        } else if (key == "ENCODING") {
            ls >> enc;
        } else if (key == "BBX") {
            g = Glyph{};
            ls >> g.width >> g.height >> g.xoff >> g.yoff;
        } else if (key == "BITMAP") {
            bitmap = true;
        } else if (key == "ENDCHAR") {
            if (enc >= 0) font.glyphs[enc] = g;
            bitmap = false;
            enc = -1;
        } else if (bitmap) {
            uint32_t v = std::stoul(key, nullptr, 16);
            int bits = int(key.size()) * 4;
            g.rows.push_back(v >> (bits - g.width)); // right-align to the glyph width
        }
    }
    return true;
}

// Pixel (x, y) of a glyph placed in a cell of the font's bounding box height, or false.
bool Pixel(const BdfFont& font, const Glyph& g, int x, int y) {
    // Row y of the cell (0 = top) maps to glyph row gy counting from the glyph's top.
    int top = font.boxHeight + font.boxYoff - (g.height + g.yoff);
    int gy = y - top;
    int gx = x - g.xoff;
    if (gy < 0 || gy >= int(g.rows.size()) || gx < 0 || gx >= g.width) return false;
    return (g.rows[gy] >> (g.width - 1 - gx)) & 1;
}

void PutHalf(std::vector<uint8_t>& out, int code, const BdfFont& font, int enc) {
    auto it = font.glyphs.find(enc);
    if (it == font.glyphs.end()) return;
    for (int y = 0; y < 16; ++y) {
        uint8_t b = 0;
        for (int x = 0; x < 8; ++x)
            if (Pixel(font, it->second, x, y)) b |= uint8_t(1 << x);
        out[code * 16 + y] = b;
    }
}

// Block and line graphics at 0x80-0x9F.
void DrawGraphics(std::vector<uint8_t>& out) {
    auto row = [&](int code, int y, uint8_t bits) { out[code * 16 + y] |= bits; };
    for (int n = 1; n <= 8; ++n) { // 0x80-0x87: lower blocks, 0x88-0x8F: left blocks
        for (int y = 16 - 2 * n; y < 16; ++y) row(0x7F + n, y, 0xFF);
        for (int y = 0; y < 16; ++y) row(0x87 + n, y, uint8_t((1 << n) - 1));
    }
    const uint8_t H = 0xFF, V = 0x18; // horizontal line rows 7-8, vertical line bits 3-4
    enum { L = 1, R = 2, U = 4, D = 8 };
    const int box[] = {L | R, U | D, L | R | U | D, L | R | U, L | R | D, L | U | D,
                       R | U | D, L | U, R | U, L | D, R | D};
    for (int i = 0; i < 11; ++i) { // 0x90-0x9A: ─ │ ┼ ┴ ┬ ┤ ├ ┘ └ ┐ ┌
        int c = 0x90 + i, m = box[i];
        for (int y = 0; y < 16; ++y) {
            if ((m & U) && y <= 8) row(c, y, V);
            if ((m & D) && y >= 7) row(c, y, V);
        }
        for (int y = 7; y <= 8; ++y) {
            if ((m & L) && (m & R)) row(c, y, H);
            else if (m & L) row(c, y, 0x1F);
            else if (m & R) row(c, y, 0xF8);
        }
    }
    for (int y = 0; y < 16; ++y) {
        row(0x9B, y, uint8_t(y % 2 ? 0xAA : 0x55)); // shade
        row(0x9C, y, uint8_t(1 << (7 - y / 2)));    // diagonal ╱
        row(0x9D, y, uint8_t(1 << (y / 2)));        // diagonal ╲
        row(0x9E, y, uint8_t((1 << (7 - y / 2)) | (1 << (y / 2)))); // ╳
        row(0x9F, y, 0xFF);                          // full block
    }
}

int KanjiSlot(int row) {
    if (row >= 1 && row <= 8) return row - 1;
    if (row >= 16 && row <= 50) return row - 8;
    return -1;
}

bool Write(const char* path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, const char*> arg;
    for (int i = 1; i + 1 < argc; i += 2) arg[argv[i]] = argv[i + 1];
    for (const char* k : {"--roman", "--latin", "--kanji", "--font", "--kanji-out"})
        if (!arg.count(k)) {
            std::fprintf(stderr, "fontconv: missing %s\n", k);
            return 1;
        }
    BdfFont roman, latin, kanji;
    if (!LoadBdf(arg["--roman"], roman) || !LoadBdf(arg["--latin"], latin) ||
        !LoadBdf(arg["--kanji"], kanji)) {
        std::fprintf(stderr, "fontconv: cannot read an input font\n");
        return 1;
    }

    std::vector<uint8_t> font(4096, 0);
    for (int c = 0x20; c <= 0x7E; ++c) PutHalf(font, c, roman, c);
    for (int c = 0xA1; c <= 0xDF; ++c) PutHalf(font, c, roman, c);
    for (int c = 0xE0; c <= 0xFF; ++c) PutHalf(font, c, latin, c);
    DrawGraphics(font);

    std::vector<uint8_t> rom(131072, 0);
    int count = 0;
    for (auto& [enc, g] : kanji.glyphs) {
        int r = (enc >> 8) - 0x20, c = (enc & 0xFF) - 0x20;
        int slot = KanjiSlot(r);
        if (slot < 0 || c < 1 || c > 94) continue;
        int n = slot * 94 + c - 1;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (Pixel(kanji, g, x, y)) rom[n * 32 + y * 2 + x / 8] |= uint8_t(0x80 >> (x % 8));
        ++count;
    }
    if (!Write(arg["--font"], font) || !Write(arg["--kanji-out"], rom)) {
        std::fprintf(stderr, "fontconv: cannot write an output file\n");
        return 1;
    }
    std::printf("fontconv: %d kanji glyphs\n", count);
    return 0;
}
