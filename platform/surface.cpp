// Surface: every operation clips against the 640x400 bitmap (and, for copies, against
// the source bitmap too) before touching a pixel, so any coordinates are safe.
#include "platform/surface.h"

#include <algorithm>
#include <cstring>

namespace {

struct Span {
    int dst, src, len; // start in the destination and the source, length; len <= 0: nothing
};

// Clip a run of len pixels from src to dst so both lie within [0, limit).
Span ClipSpan(long long dst, long long src, long long len, int limit) {
    if (dst < 0) {
        src -= dst;
        len += dst;
        dst = 0;
    }
    if (src < 0) {
        dst -= src;
        len += src;
        src = 0;
    }
    len = std::min({len, limit - dst, limit - src});
    if (len <= 0) return {0, 0, 0};
    return {int(dst), int(src), int(len)};
}

// Clip a rectangle to the bitmap; false when nothing is left.
bool ClipRect(const CRect& rc, int& l, int& t, int& r, int& b) {
    l = std::max(rc.left, 0);
    t = std::max(rc.top, 0);
    r = std::min(rc.right, Surface::kWidth);
    b = std::min(rc.bottom, Surface::kHeight);
    return l < r && t < b;
}

} // namespace

Surface::Surface() : m_bits(size_t(kWidth) * kHeight, 0) {}

uint32_t Surface::GetPixel(int x, int y) const {
    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) return 0;
    return m_bits[size_t(y) * kWidth + x];
}

void Surface::SetPixel(int x, int y, uint32_t color) {
    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) return;
    m_bits[size_t(y) * kWidth + x] = color;
}

void Surface::FillRect(const CRect& rc, uint32_t color) {
    int l, t, r, b;
    if (!ClipRect(rc, l, t, r, b)) return;
    for (int y = t; y < b; ++y) {
        uint32_t* row = m_bits.data() + size_t(y) * kWidth;
        std::fill(row + l, row + r, color);
    }
}

void Surface::InvertRect(const CRect& rc) {
    int l, t, r, b;
    if (!ClipRect(rc, l, t, r, b)) return;
    for (int y = t; y < b; ++y) {
        uint32_t* row = m_bits.data() + size_t(y) * kWidth;
        for (int x = l; x < r; ++x)
            row[x] ^= 0x00FFFFFF;
    }
}

void Surface::Copy(int dx, int dy, int w, int h, const Surface& src, int sx, int sy) {
    if (&src == this) {
        Scroll(dx, dy, w, h, sx, sy);
        return;
    }
    Span xs = ClipSpan(dx, sx, w, kWidth);
    Span ys = ClipSpan(dy, sy, h, kHeight);
    if (xs.len <= 0 || ys.len <= 0) return;
    for (int i = 0; i < ys.len; ++i)
        std::memcpy(m_bits.data() + size_t(ys.dst + i) * kWidth + xs.dst,
                    src.m_bits.data() + size_t(ys.src + i) * kWidth + xs.src,
                    size_t(xs.len) * sizeof(uint32_t));
}

void Surface::CopyOr(int dx, int dy, int w, int h, const Surface& src, int sx, int sy) {
    Span xs = ClipSpan(dx, sx, w, kWidth);
    Span ys = ClipSpan(dy, sy, h, kHeight);
    if (xs.len <= 0 || ys.len <= 0) return;
    // Combining a surface with itself: walk rows and columns away from the overlap so
    // every source pixel is read before it is changed.
    bool up = &src != this || ys.dst <= ys.src;
    bool left = &src != this || xs.dst <= xs.src;
    for (int i = 0; i < ys.len; ++i) {
        int row = up ? i : ys.len - 1 - i;
        uint32_t* d = m_bits.data() + size_t(ys.dst + row) * kWidth + xs.dst;
        const uint32_t* s = src.m_bits.data() + size_t(ys.src + row) * kWidth + xs.src;
        if (left) {
            for (int x = 0; x < xs.len; ++x)
                d[x] |= s[x];
        } else {
            for (int x = xs.len - 1; x >= 0; --x)
                d[x] |= s[x];
        }
    }
}

void Surface::Scroll(int dx, int dy, int w, int h, int sx, int sy) {
    Span xs = ClipSpan(dx, sx, w, kWidth);
    Span ys = ClipSpan(dy, sy, h, kHeight);
    if (xs.len <= 0 || ys.len <= 0) return;
    bool up = ys.dst <= ys.src;
    for (int i = 0; i < ys.len; ++i) {
        int row = up ? i : ys.len - 1 - i;
        std::memmove(m_bits.data() + size_t(ys.dst + row) * kWidth + xs.dst,
                     m_bits.data() + size_t(ys.src + row) * kWidth + xs.src,
                     size_t(xs.len) * sizeof(uint32_t));
    }
}
