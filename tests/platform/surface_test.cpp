#include <gtest/gtest.h>

#include <climits>

#include "platform/surface.h"

namespace {

constexpr int W = Surface::kWidth;
constexpr int H = Surface::kHeight;

// A surface whose every pixel is distinct: (y << 12) | x, plus a tag in the top bits.
Surface Pattern(uint32_t tag = 0) {
    Surface s;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            s.SetPixel(x, y, tag | uint32_t(y) << 12 | uint32_t(x));
    return s;
}

// How many pixels of s differ from want(x, y, inside [l, r) x [t, b)).
template <class Want> int Mismatches(const Surface& s, int l, int t, int r, int b, Want want) {
    int bad = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            bad += s.GetPixel(x, y) != want(x, y, x >= l && x < r && y >= t && y < b);
    return bad;
}

// The pixels of s inside [l, r) x [t, b) are `in`, those outside `out`.
void ExpectRect(const Surface& s, int l, int t, int r, int b, uint32_t in, uint32_t out) {
    const auto want = [&](int, int, bool inside) { return inside ? in : out; };
    EXPECT_EQ(Mismatches(s, l, t, r, b, want), 0) << l << "," << t << "-" << r << "," << b;
}

TEST(Surface, StartsBlackAndPixelAccessClips) {
    Surface s;
    s.SetPixel(W - 1, H - 1, 0x123456);
    EXPECT_EQ(s.Row(H - 1)[W - 1], 0x123456u);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {W, 0}, {0, H}, {INT_MIN, INT_MAX}}) {
        s.SetPixel(x, y, 0xFFFFFF);
        EXPECT_EQ(s.GetPixel(x, y), 0u);
    }
    ExpectRect(s, W - 1, H - 1, W, H, 0x123456, 0);
}

TEST(Surface, FillAndInvertClip) {
    struct Case {
        CRect rc;
        int l, t, r, b; // expected area after clipping
    } cases[] = {
        {{-5, -5, 3, 2}, 0, 0, 3, 2},
        {{630, 390, 700, 500}, 630, 390, W, H},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0, 0, W, H},
        {{30, 40, 10, 20}, 0, 0, 0, 0}, // inverted: empty
    };
    for (const Case& c : cases) {
        Surface s;
        s.FillRect(c.rc, 0x00AA00);
        ExpectRect(s, c.l, c.t, c.r, c.b, 0x00AA00, 0);
        s.InvertRect(c.rc);
        ExpectRect(s, c.l, c.t, c.r, c.b, 0xFF55FF, 0);
        s.InvertRect(c.rc);
        ExpectRect(s, c.l, c.t, c.r, c.b, 0x00AA00, 0);
    }
}

// Copy puts the source's pixels in place, CopyOr ORs them into the destination's.
TEST(Surface, CopiesClipBothSourceAndDestination) {
    const Surface src = Pattern(0x01000000u);
    struct Case {
        int dx, dy, w, h, sx, sy;
        int l, t, r, b; // destination area written
    } cases[] = {
        {-3, -2, 10, 10, 50, 60, 0, 0, 7, 8},     // destination partly left/above
        {20, 30, 10, 10, -4, -6, 24, 36, 30, 40}, // source partly left/above
        {635, 395, 10, 10, 0, 0, 635, 395, W, H}, // clipped right/bottom of destination
        {0, 0, 10, 10, 636, 398, 0, 0, 4, 2},     // source runs off the bitmap
        {0, 0, INT_MAX, INT_MAX, INT_MIN, INT_MIN, 0, 0, 0, 0},
        {0, 0, -5, 10, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        for (const bool orIn : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << (orIn ? "CopyOr " : "Copy ") << c.dx << "," << c.dy << " " << c.w << "x"
                         << c.h << " from " << c.sx << "," << c.sy);
            Surface dst;
            dst.FillRect({0, 0, W, H}, 0x800000);
            (dst.*(orIn ? &Surface::CopyOr : &Surface::Copy))(c.dx, c.dy, c.w, c.h, src, c.sx,
                                                              c.sy);
            const uint32_t under = orIn ? 0x800000 : 0;
            const auto want = [&](int x, int y, bool in) {
                return in ? src.GetPixel(x - c.dx + c.sx, y - c.dy + c.sy) | under : 0x800000;
            };
            EXPECT_EQ(Mismatches(dst, c.l, c.t, c.r, c.b, want), 0);
        }
    }
}

// Copies within one surface (Scroll, and Copy/CopyOr with itself as the source) must
// behave as if the source had been taken before anything was written.
TEST(Surface, OverlappingCopiesWithinASurface) {
    struct Case {
        int dx, dy, w, h, sx, sy;
    } cases[] = {
        {0, 0, W, H - 16, 0, 16}, // scroll up
        {0, 16, W, H - 16, 0, 0}, // scroll down
        {8, 0, W - 8, H, 0, 0},   // right
        {0, 0, W - 8, H, 8, 0},   // left
        {3, 5, 100, 100, 1, 1},   // diagonal
        {-10, -10, W, H, 5, 5},   // clipped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.dx << "," << c.dy << " " << c.w << "x" << c.h
                                          << " from " << c.sx << "," << c.sy);
        const Surface orig = Pattern(0x01000000u);
        for (const char* op : {"Scroll", "Copy", "CopyOr"}) { // each against a copy from `orig`
            const auto copy = op[4] == 'O' ? &Surface::CopyOr : &Surface::Copy;
            Surface ref = orig, s = orig;
            (ref.*copy)(c.dx, c.dy, c.w, c.h, orig, c.sx, c.sy);
            op[0] == 'S' ? s.Scroll(c.dx, c.dy, c.w, c.h, c.sx, c.sy)
                         : (s.*copy)(c.dx, c.dy, c.w, c.h, s, c.sx, c.sy);
            EXPECT_TRUE(std::equal(s.Bits(), s.Bits() + W * H, ref.Bits())) << op;
        }
    }
}

} // namespace
