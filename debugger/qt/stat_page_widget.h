// CStatPageWidget: the window of one debugger page (CStat09 or CStatZ80 model): a
// "Registers" group of labels and sunken, centred value fields, and a group of eight
// trace lines, newest at the bottom, with a vertical scroll bar.
//
// The widget never reads the processors. When its model reports a change, it queues
// one Refresh on the UI thread, so a STEP run of thousands of instructions repaints
// once, after the run; Refresh sets only the texts that differ. Scroll bar actions
// go to the model's OnVScroll and are shown at once.
#pragma once

#include <QWidget>

#include "debugger/stat_page.h"

class QLabel;
class QScrollBar;

class CStatPageWidget : public QWidget {
    Q_OBJECT
public:
    struct Field {
        int text; // index of the model's display text
        int x, y, w, h;
    };
    struct Label {
        const char* text;
        int x, y, w, h;
    };
    struct Layout {
        const Field* fields;
        int fieldCount;
        const Label* labels;
        int labelCount;
    };

    CStatPageWidget(CStatPage& model, const Layout& layout, QWidget* parent);
    ~CStatPageWidget() override;

    // Show what changed in the model since the last refresh.
    void Refresh();

    QLabel* ValueField(int text) const { return m_value[text]; }
    QLabel* TraceLine(int i) const { return m_line[i]; }
    QScrollBar* ScrollBar() const { return m_bar; }

private:
    void OnScrollAction(int action);
    void ShowAll();

    CStatPage& m_model;
    QLabel* m_value[CStatPage::kMaxTexts] = {};
    QLabel* m_line[CStatPage::kLines] = {};
    QScrollBar* m_bar = nullptr;
    bool m_bQueued = false;
};

class CStat09;
class CStatZ80;

// The HD6309 page (main or display board) and the Z80 page.
class CStat09Page : public CStatPageWidget {
    Q_OBJECT
public:
    CStat09Page(CStat09& model, QWidget* parent);
};

class CStatZ80Page : public CStatPageWidget {
    Q_OBJECT
public:
    CStatZ80Page(CStatZ80& model, QWidget* parent);
};
