// A recording window: what the terminal invalidated and posted.
#pragma once

#include <string>
#include <vector>

#include "platform/wnd.h"

class FakeWnd : public CWnd {
public:
    void InvalidateRect(const CRect* rc, bool) override {
        rects.push_back(rc ? *rc : CRect{-1, -1, -1, -1});
    }
    void PostCommand(unsigned id) override { posted.push_back(id); }
    void MessageBox(const std::string&, const std::string&) override {}
    int ClientWidth() const override { return 640; }
    int ClientHeight() const override { return 400; }
    bool IsWindow() const override { return alive; }

    void Clear() {
        rects.clear();
        posted.clear();
    }

    std::vector<CRect> rects;
    std::vector<unsigned> posted;
    bool alive = true;
};

inline bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
