// FakeWnd: a CWnd that records what the machine asked of its window, for tests of any
// module (include "tests/platform/fake_wnd.h").
#pragma once

#include <string>
#include <vector>

#include "platform/wnd.h"

class FakeWnd : public CWnd {
public:
    struct Message {
        std::string text, caption;
    };

    // The whole client area is recorded as {-1, -1, -1, -1}.
    void InvalidateRect(const CRect* rc, bool) override {
        m_rects.push_back(rc ? *rc : CRect{-1, -1, -1, -1});
    }
    void PostCommand(unsigned id) override { m_posted.push_back(id); }
    void MessageBox(const std::string& text, const std::string& caption) override {
        m_messages.push_back({text, caption});
    }
    int ClientWidth() const override { return Surface::kWidth; }
    int ClientHeight() const override { return Surface::kHeight; }
    bool IsWindow() const override { return m_alive; }
    void Clear() {
        m_rects.clear();
        m_posted.clear();
    }

    std::vector<CRect> m_rects;
    std::vector<unsigned> m_posted;
    std::vector<Message> m_messages;
    bool m_alive = true;
};

inline bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
