// CChildView: the window that fills the frame and owns the machine (display board first,
// then main board). Create reads the settings (CProfile: "Helka"/"Orlo", group "ORLO"),
// opens every configured image and printer file and resets the machine (a settings file
// that is not a plain file is reported and left alone: defaults then, nothing written at
// exit); OnDestroy writes the settings back (or reports why it could not, the old file
// kept) and closes every file. A file that cannot be opened is reported in
// a message box and leaves its slot empty, but its path stays configured: it is shown in
// the settings sheet and written back, so the next start tries it again. A floppy image
// the guest changed is saved once the guest has left it alone for kQuietMs of host time,
// and by kMaxUnsavedMs after its first unsaved change however busy the guest is (looked
// at by the 100 ms timer, never from inside a step). A save that finds the
// image's name given to another file puts the image beside it and says so once, as does
// one that follows the image's file to where it was moved; the configured path stays. A
// failed save is tried again kMaxUnsavedMs later, also while the guest leaves the disk
// alone, and goes on doing so while its box waits for an answer. It is reported once
// until a save succeeds (again at the end), saying the file is as it was only where its
// name still names it, naming the rescue file that holds the image
// (~/.local/share/Helka/Orlo/rescued/) where one was written, and, while running, that the
// changes are kept and saved at the end. A printer file that refuses a byte is reported
// once while the printer waits for it (posted by the main board), and what never reached
// the file when it is closed, as lost. The view is the boards'
// window (platform CWnd): they invalidate it, post commands to it and show message
// boxes through it.
// A 100 ms timer sets both boards' tick flags and every 5 s shows the measured speed in
// the frame's title. Painting stretches the display board's output layer over the whole
// view. The main board's posted commands open and close the serial terminal windows.
// Keyboard, mouse selection and clipboard: child_view_input.cpp.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"
#include "platform/wnd.h"

class CDebugDlg;
class CFile;
class CFileFdd;

// "ORLO (%4.4gMHz)" for a speed in memory accesses per 10 ms.
QString SpeedTitle(int speed);

class CChildView : public QWidget, public CWnd {
public:
    static constexpr int kTitleTicks = 50;
    static constexpr uint32_t kQuietMs = 2000;
    static constexpr uint32_t kMaxUnsavedMs = 10000;

    CChildView();
    ~CChildView() override;

    // The window part and the machine's start; false when the window cannot be made.
    bool Create(QWidget* parent);
    QSize sizeHint() const override;
    void ResetMachine();
    // Put a file into slot i of the floppy (0..7), hard-disk (0..3) or printer (0..2)
    // table; an empty path leaves the slot empty. Paths are UTF-8.
    void OpenFdd(int i, const std::string& path);
    void OpenHdd(int i, const std::string& path);
    void OpenPrn(int i, const std::string& path);
    // Empty a slot, closing its file; a floppy image that fails to save is reported.
    void CloseFdd(int i);
    void CloseHdd(int i);
    void ClosePrn(int i);
    // The path of slot i as the settings hold it: the open file's full path, else the
    // path configured for it (empty for none).
    std::string FddPath(int i) const;
    std::string HddPath(int i) const;
    std::string PrnPath(int i) const;
    // Saves each floppy image the guest has left unchanged for kQuietMs, or whose first
    // unsaved change is kMaxUnsavedMs old (OnTimer).
    void SaveQuietImages();
    // The window is going away: detach, write the settings, close every file. Runs once.
    void OnDestroy();

    // Command table: runs the handler of `id` and answers true, or false when the view
    // has none. OnUpdateCmdUI sets `enable` for the ids that have an update handler.
    bool OnCmdMsg(unsigned id);
    bool OnUpdateCmdUI(unsigned id, bool& enable) const;

    void OnTimer();
    void OnImageSetup();
    void OnHardReset();
    void OnCpuDebug();
    void OnDebugStep();
    void OnUsartOpen(unsigned id);
    void OnUsartClose(unsigned id);
    // A printer's file refused a byte: the file, the reason, and that the printer waits.
    void OnPrinterRefused(unsigned id);
    void OnEditCopy();
    void OnEditPaste();
    bool OnUpdateEditCopy() const;
    bool OnUpdateEditPaste() const;
    // Destroys every terminal window with its model (the program's end).
    void CloseTerminals();
    // Destroys terminal n's window and model, if it has one.
    void ReleaseTerm(int n);
    // Runs n step pairs inside the caller (the debugger's STEP).
    void RunStepPairs(int n);

    // CWnd, for the boards
    void InvalidateRect(const CRect* rc, bool erase) override;
    void PostCommand(unsigned id) override;
    void MessageBox(const std::string& textUtf8, const std::string& captionUtf8) override;
    int ClientWidth() const override { return width(); }
    int ClientHeight() const override { return height(); }
    bool IsWindow() const override { return m_bCreated && !m_bDestroyed; }

    CSubCpu m_sub;
    CMainCpu m_main;
    int m_nTimer = 0;
    uint32_t m_nKeyMod = 0;
    CDebugDlg* m_pDebugDlg = nullptr;
    int m_nSelMode = 0, m_nSelStart = 0, m_nSelEnd = 0;
    std::optional<std::string> m_clip; // prepared clipboard text (CP932), until copied
    int m_nTitleTicks = 0;
    std::string m_strFddPath[8], m_strHddPath[4], m_strPrnPath[3]; // as configured
    bool m_bStepping = false;                                      // RunStepPairs is running

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    void PushText(const std::string& cp932);
    void ReportFileFailure(const QString& what, const std::string& path, int err,
                           const QString& more = QString());
    void ReportFileFailure(const QString& what, const std::string& path, const QString& reason,
                           const QString& more = QString());
    static std::string SaveFailureText(const CFileFdd& fdd, int err, bool closing);
    static std::string RescueFolder();
    static std::string MoveText(const std::string& from, const CFileFdd& fdd);
    int CellAt(const QPoint& pt) const;
    void DrawSelection();
    void FinishSelection(const QPoint& pt);

    // The quiet time of the image in each floppy slot.
    struct QuietWatch {
        uint32_t seen = 0;       // its change count when last looked at
        uint32_t since = 0;      // host ms when that count was first seen
        bool waiting = false;    // changes wait for a save
        uint32_t dirtySince = 0; // host ms when the first of them was seen
        bool failed = false;     // the last save failed: tried again kMaxUnsavedMs later
                                 // (or once quiet again after a change)
        bool reported = false;   // a failure was shown: no more until a save succeeds
    };
    QuietWatch m_quiet[8];
    bool m_bSaving = false;
    bool m_bCreated = false;
    bool m_bDestroyed = false;
    QImage m_image;    // the output layer as last painted
    QString m_preedit; // input-method composition in progress
};
