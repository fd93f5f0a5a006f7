// Surface: a 640x400 picture of 32-bit pixels (0x00RRGGBB) standing in for a memory
// device context with its bitmap. The display board draws its layers here; the view
// shows the output surface and tests compare its pixels. Every operation clips to
// the bitmap.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct CRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
};

class Surface {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 400;

    Surface();

    uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t color);
    void FillRect(const CRect& rc, uint32_t color);
    void InvertRect(const CRect& rc); // colour XOR 0x00FFFFFF
    // Copy the rectangle of size w x h at (sx, sy) of src to (dx, dy).
    void Copy(int dx, int dy, int w, int h, const Surface& src, int sx, int sy);
    void CopyOr(int dx, int dy, int w, int h, const Surface& src, int sx, int sy);
    // Copy within this surface; overlapping areas work (scrolling).
    void Scroll(int dx, int dy, int w, int h, int sx, int sy);

    const uint32_t* Bits() const { return m_bits.data(); }
    uint32_t* Bits() { return m_bits.data(); }
    const uint32_t* Row(int y) const { return m_bits.data() + y * kWidth; }

private:
    std::vector<uint32_t> m_bits;
};
