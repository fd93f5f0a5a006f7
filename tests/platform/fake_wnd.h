// FakeWnd: a CWnd that records what the machine asked of its window, for tests of any
// module (include "tests/platform/fake_wnd.h").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/wnd.h"

class FakeWnd : public CWnd {
public:
    struct Invalidation {
        std::optional<CRect> rc; // empty: the whole client area
        bool erase;
    };
    struct Message {
        std::string text, caption;
    };

    void InvalidateRect(const CRect* rc, bool erase) override {
        m_invalidated.push_back({rc ? std::optional<CRect>(*rc) : std::nullopt, erase});
    }
    void PostCommand(unsigned id) override { m_posted.push_back(id); }
    void MessageBox(const std::string& text, const std::string& caption) override {
        m_messages.push_back({text, caption});
    }
    int ClientWidth() const override { return m_width; }
    int ClientHeight() const override { return m_height; }
    bool IsWindow() const override { return m_alive; }

    std::vector<Invalidation> m_invalidated;
    std::vector<unsigned> m_posted;
    std::vector<Message> m_messages;
    int m_width = Surface::kWidth;
    int m_height = Surface::kHeight;
    bool m_alive = true;
};
