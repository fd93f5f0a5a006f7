#include "shell/child_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QStandardPaths>
#include <QTimer>
#include <QTimerEvent>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "debugger/debug_session.h"
#include "debugger/qt/debug_dlg.h"
#include "floppy/file_fdd.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/home.h"
#include "shell/command_ids.h"
#include "shell/orlo_app.h"
#include "shell/profile.h"
#include "shell/selection.h"
#include "terminal/qt/term_wnd.h"

namespace {

const char* const kFddNames[8] = {"2HD0", "2HD1", "2HD2", "2HD3", "2D0", "2D1", "2D2", "2D3"};
const char* const kHddNames[4] = {"HDD0", "HDD1", "HDD2", "HDD3"};
const char* const kPrnNames[3] = {"PRN0", "PRN1", "PRN2"};
constexpr int kDefaultDipSw = 159;

// Opens `file` read-write, or creates it when no file of that name exists; answers 0 or
// the errno. An existing file that cannot be opened for writing is never replaced by an
// empty one.
int OpenOrCreate(CFile& file, const std::string& path) {
    if (file.Open(path, CFile::modeReadWrite)) return 0;
    const int err = file.OpenError();
    std::error_code ec;
    const auto st = std::filesystem::symlink_status(path, ec);
    if (st.type() != std::filesystem::file_type::not_found) return err;
    return file.Open(path, CFile::modeCreateReadWrite) ? 0 : file.OpenError();
}

const char* const kFddOpenFailed = "フロッピーディスクイメージを開けませんでした。";
const char* const kNotRegular = "通常のファイルではありません。";
const char* const kHddOpenFailed = "ハードディスクイメージを開けませんでした。";
const char* const kPrnOpenFailed = "プリンタ出力ファイルを開けませんでした。";
const char* const kPrnWriteFailed = "プリンタ出力ファイルに書き込めませんでした。";
const char* const kPrnWaits = "書き込めるようになるまで、プリンタ %1 は次の文字を受け付けません。"
                              "書き込めるようになると、出力は自動的に続きます。"
                              "プリンタを待たずにプログラムが送った文字は失われます。";
const char* const kPrnUnwritten =
    "プリンタ出力ファイルに書き込めなかった %1 バイトは、書き込まれないまま失われました。";
const char* const kFddSaveFailed =
    "フロッピーディスクイメージを保存できませんでした。ファイルは以前の内容のまま残っています。";
const char* const kFddNotSaved = "フロッピーディスクイメージを保存できませんでした。";
const char* const kFddDamaged = "フロッピーディスクイメージを保存できませんでした。"
                                "書き込みが途中で止まったため、イメージファイルは壊れています。";
const char* const kFddRescued = "ディスクの内容はすべて次のファイルに保存しました。";
const char* const kFddLost = "ディスクの内容を別のファイルに保存することもできませんでした。"
                             "変更した内容は失われました。";
const char* const kFddNoCopy = "イメージファイルに直接書き込む前に、ディスクの内容を別のファイルに"
                               "保存できなかったため、イメージファイルには書き込みませんでした。";
const char* const kFddKept = "変更した内容は ORLO が動いている間は失われません。保存は 10 秒ごとに"
                             "試みます。終了時には、イメージファイルか別のファイルに保存します。";
const char* const kCloseFailed = "ファイルを正しく閉じることができませんでした。";
const char* const kFddMoved =
    "フロッピーディスクイメージのファイルが別のファイルに置き換えられていました。"
    "そのファイルはそのままにして、ディスクの内容を次のファイルに保存しました。";
const char* const kFddFollowed = "フロッピーディスクイメージのファイルが移動されていました。"
                                 "ディスクの内容は移動先のファイルに保存しました。";
const char* const kSettingsNotPlain =
    "設定ファイルが通常のファイルではないため、読み込みませんでした。既定の設定で起動します。"
    "終了時にも設定は保存されません。";

using Handler = void (*)(CChildView&, unsigned);

struct CommandEntry {
    unsigned first, last;
    Handler handler;
};

const CommandEntry kCommands[] = {
    {ID_IMAGE_SETUP, ID_IMAGE_SETUP, [](CChildView& v, unsigned) { v.OnImageSetup(); }},
    {ID_EDIT_COPY, ID_EDIT_COPY, [](CChildView& v, unsigned) { v.OnEditCopy(); }},
    {ID_EDIT_PASTE, ID_EDIT_PASTE, [](CChildView& v, unsigned) { v.OnEditPaste(); }},
    {ID_DEBUG_STEP, ID_DEBUG_STEP, [](CChildView& v, unsigned) { v.OnDebugStep(); }},
    {ID_CPU_DEBUG, ID_CPU_DEBUG, [](CChildView& v, unsigned) { v.OnCpuDebug(); }},
    {ID_HARD_RESET, ID_HARD_RESET, [](CChildView& v, unsigned) { v.OnHardReset(); }},
    {ID_USART_OPEN, ID_USART_OPEN + 4, [](CChildView& v, unsigned id) { v.OnUsartOpen(id); }},
    {ID_USART_CLOSE, ID_USART_CLOSE + 4, [](CChildView& v, unsigned id) { v.OnUsartClose(id); }},
    {ID_PRINTER_REFUSED, ID_PRINTER_REFUSED + 2,
     [](CChildView& v, unsigned id) { v.OnPrinterRefused(id); }},
};

} // namespace

QString SpeedTitle(int speed) {
    char text[64];
    std::snprintf(text, sizeof text, "ORLO (%4.4gMHz)", speed / 10000.0);
    return QString::fromLatin1(text);
}

CChildView::CChildView() : m_image(640, 400, QImage::Format_RGB32) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    m_image.fill(Qt::black);
}

CChildView::~CChildView() {
    if (m_bCreated) OnDestroy();
    m_clip.reset();
    CloseTerminals(); // the windows of the terminals the main board still holds
    if (COrloApp* app = TheApp(); app && app->View() == this) app->SetView(nullptr);
}

QSize CChildView::sizeHint() const {
    return QSize(640, 400);
}

bool CChildView::Create(QWidget* parent) {
    setParent(parent);
    resize(640, 400);
    m_bCreated = true;

    const CProfile profile;
    if (profile.NotPlainFile())
        MessageBox(std::string(kSettingsNotPlain) + "\n\n" + profile.FileName(), "ORLO");
    for (int i = 0; i < 8; ++i)
        OpenFdd(i, profile.GetString(kFddNames[i]));
    m_main.m_nDipSw = profile.GetInt("DipSW", kDefaultDipSw);
    for (int i = 0; i < 4; ++i)
        OpenHdd(i, profile.GetString(kHddNames[i]));
    for (int i = 0; i < 3; ++i)
        OpenPrn(i, profile.GetString(kPrnNames[i]));
    ResetMachine();
    return true;
}

void CChildView::OpenFdd(int i, const std::string& path) {
    CloseFdd(i);
    m_strFddPath[i] = path;
    m_quiet[i] = {};
    if (path.empty()) return;
    auto* fdd = new CFileFdd;
    fdd->SetRescueFolder(RescueFolder());
    if (const int err = OpenOrCreate(*fdd, path)) {
        delete fdd;
        // An image is a regular file: a FIFO, device or socket is refused with EINVAL.
        if (err == EINVAL)
            ReportFileFailure(kFddOpenFailed, path, QString::fromUtf8(kNotRegular));
        else
            ReportFileFailure(kFddOpenFailed, path, err);
        return;
    }
    m_main.m_pFdd[i] = fdd;
}

void CChildView::OpenHdd(int i, const std::string& path) {
    CloseHdd(i);
    m_strHddPath[i] = path;
    if (path.empty()) return;
    auto* hdd = new CFile;
    if (const int err = OpenOrCreate(*hdd, path)) {
        delete hdd;
        ReportFileFailure(kHddOpenFailed, path, err);
        return;
    }
    m_main.m_pHdd[i] = hdd;
}

void CChildView::OpenPrn(int i, const std::string& path) {
    ClosePrn(i);
    m_strPrnPath[i] = path;
    if (path.empty()) return;
    auto* prn = new CFile;
    if (!prn->Open(path, CFile::modeCreateWrite)) {
        const int err = prn->OpenError();
        delete prn;
        ReportFileFailure(kPrnOpenFailed, path, err);
        return;
    }
    m_main.m_pPrn[i] = prn;
}

// The path as opened, also when a save had to put the image under another name.
std::string CChildView::FddPath(int i) const {
    return m_main.m_pFdd[i] ? m_main.m_pFdd[i]->OpenedPath() : m_strFddPath[i];
}

std::string CChildView::HddPath(int i) const {
    return m_main.m_pHdd[i] ? m_main.m_pHdd[i]->GetFilePath() : m_strHddPath[i];
}

std::string CChildView::PrnPath(int i) const {
    return m_main.m_pPrn[i] ? m_main.m_pPrn[i]->GetFilePath() : m_strPrnPath[i];
}

void CChildView::CloseFdd(int i) {
    CFileFdd* fdd = m_main.m_pFdd[i];
    if (!fdd) return;
    m_main.m_pFdd[i] = nullptr;
    const std::string before = fdd->GetFilePath();
    try {
        fdd->Close();
    } catch (const CFileException& e) {
        MessageBox(SaveFailureText(*fdd, e.m_nErrno, true), "ORLO");
    }
    if (const std::string moved = MoveText(before, *fdd); !moved.empty()) MessageBox(moved, "ORLO");
    delete fdd;
}

void CChildView::CloseHdd(int i) {
    CFile* hdd = m_main.m_pHdd[i];
    if (!hdd) return;
    m_main.m_pHdd[i] = nullptr;
    try {
        hdd->Close();
    } catch (const CFileException& e) {
        ReportFileFailure(kCloseFailed, hdd->GetFilePath(), e.m_nErrno);
    }
    delete hdd;
}

// A byte that still waits for the file gets a last try; what never reached the file is
// reported, after the refusal itself where that was not shown yet.
void CChildView::ClosePrn(int i) {
    CFile* prn = m_main.m_pPrn[i];
    if (!prn) return;
    m_main.PrinterRetry(i);
    OnPrinterRefused(ID_PRINTER_REFUSED + unsigned(i));
    const int err = m_main.m_prnWait[i].error;
    if (const uint32_t unwritten = m_main.PrinterDetach(i))
        ReportFileFailure(QString::fromUtf8(kPrnUnwritten).arg(unwritten), prn->GetFilePath(), err);
    m_main.m_pPrn[i] = nullptr;
    try {
        prn->Close();
    } catch (const CFileException& e) {
        ReportFileFailure(kCloseFailed, prn->GetFilePath(), e.m_nErrno);
    }
    delete prn;
}

// Posted once per wait by the main board; shown once, while the printer has its file.
void CChildView::OnPrinterRefused(unsigned id) {
    const int n = int(id - ID_PRINTER_REFUSED);
    CMainCpu::PrinterWait& w = m_main.m_prnWait[n];
    if (!std::exchange(w.toShow, false) || !m_main.m_pPrn[n]) return;
    ReportFileFailure(kPrnWriteFailed, m_main.m_pPrn[n]->GetFilePath(), w.error,
                      QString::fromUtf8(kPrnWaits).arg(n));
}

// "<what>\n\n<path>\n<the system's reason>", and "\n\n<more>" where given.
void CChildView::ReportFileFailure(const QString& what, const std::string& path, int err,
                                   const QString& more) {
    ReportFileFailure(what, path, QString::fromLocal8Bit(std::generic_category().message(err)),
                      more);
}

void CChildView::ReportFileFailure(const QString& what, const std::string& path,
                                   const QString& reason, const QString& more) {
    QString text = what + "\n\n" + QString::fromStdString(path) + "\n" + reason;
    if (!more.isEmpty()) text += "\n\n" + more;
    MessageBox(text.toStdString(), "ORLO");
}

// Only a file whose name still names it is said to be as it was. A rescue file is named;
// at close, without one, the change is said to be lost; while running, that it is kept.
std::string CChildView::SaveFailureText(const CFileFdd& fdd, int err, bool closing) {
    const auto reason = [](int e) {
        return QString::fromLocal8Bit(std::generic_category().message(e));
    };
    const char* what = fdd.FileDamaged()    ? kFddDamaged
                       : fdd.FileAsBefore() ? kFddSaveFailed
                                            : kFddNotSaved;
    QString text = QString::fromUtf8(what) + "\n\n" + QString::fromStdString(fdd.GetFilePath()) +
                   "\n" + reason(err);
    const std::string rescueFolder = RescueFolder(); // none without a home
    const QString folder =
        (rescueFolder.empty() ? QString() : QString::fromStdString(rescueFolder) + "\n") +
        reason(fdd.RescueError());
    if (!fdd.RescuedPath().empty())
        text += "\n\n" + QString::fromUtf8(kFddRescued) + "\n" +
                QString::fromStdString(fdd.RescuedPath());
    else if (closing)
        text += "\n\n" + QString::fromUtf8(kFddLost) + "\n" + folder;
    else if (fdd.RescueError())
        text += "\n\n" + QString::fromUtf8(kFddNoCopy) + "\n" + folder;
    if (!closing) text += "\n\n" + QString::fromUtf8(kFddKept);
    return text.toStdString();
}

// Where a floppy image that cannot be saved to its own file goes: the data folder the
// desktop gives the program (~/.local/share/Helka/Orlo), "rescued" in it.
std::string CChildView::RescueFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // Never under the root or the working folder: without a home there is none.
    if (data.isEmpty() || !QDir::isAbsolutePath(data) ||
        (UserHome().empty() && qEnvironmentVariableIsEmpty("XDG_DATA_HOME")))
        return {};
    return (data + "/rescued").toStdString();
}

// A save found the image's name given to another file and put the image beside it, or
// followed the image's file to where it had been moved; empty when it did neither.
std::string CChildView::MoveText(const std::string& from, const CFileFdd& fdd) {
    const std::string& to = fdd.GetFilePath();
    if (from == to) return {};
    return std::string(fdd.FollowedMove() ? kFddFollowed : kFddMoved) + "\n\n" + from + "\n→ " + to;
}

void CChildView::SaveQuietImages() {
    COrloApp* app = TheApp();
    if (m_bSaving || m_bStepping || (app && app->InIdleBatch())) return;
    m_bSaving = true;
    const uint32_t now = HostTickCount();
    std::vector<std::string> news; // shown once every drive has had its turn
    for (int i = 0; i < 8; ++i) {
        CFileFdd* fdd = m_main.m_pFdd[i];
        QuietWatch& w = m_quiet[i];
        if (!fdd) continue;
        if (fdd->Changes() != w.seen) {
            w.seen = fdd->Changes();
            w.since = now;
            w.failed = false;
        }
        if (!fdd->HasUnsavedChanges()) {
            w.waiting = false;
            continue;
        }
        if (!w.waiting) w.waiting = true, w.dirtySince = now;
        // Quiet for a while, or changing all the time but with changes waiting too long; a
        // save that failed is tried again as long after, however quiet the guest.
        const bool due =
            now - w.dirtySince >= kMaxUnsavedMs || (!w.failed && now - w.since >= kQuietMs);
        if (!due) continue;
        const std::string before = fdd->GetFilePath();
        try {
            fdd->Save();
            if (std::string moved = MoveText(before, *fdd); !moved.empty()) news.push_back(moved);
            w.reported = false;
            w.waiting = false;
        } catch (const CFileException& e) {
            w.failed = true;
            // The next try no sooner than kMaxUnsavedMs, unless quiet after a change.
            w.dirtySince = now;
            if (!w.reported) {
                w.reported = true;
                news.push_back(SaveFailureText(*fdd, e.m_nErrno, false));
            }
        }
    }
    m_bSaving = false;
    // Shown once the timer's event is over: Qt delivers no timer event while the same
    // timer's last one is still being handled, and the timer must go on saving, and trying
    // again, while a box waits for its answer.
    if (!news.empty())
        QTimer::singleShot(0, this, [this, news] {
            for (const std::string& text : news)
                MessageBox(text, "ORLO");
        });
}

void CChildView::ResetMachine() {
    if (m_nTimer) {
        killTimer(m_nTimer);
        m_nTimer = 0;
    }
    m_main.m_pView = this;
    m_main.m_pSub = &m_sub;
    m_main.Reset();
    m_sub.m_pMainIo = m_main.m_io;
    m_sub.m_pWnd = this;
    m_sub.m_pPal = m_main.m_pal;
    m_sub.Reset();
    m_pDebugDlg = nullptr;
    m_nTimer = startTimer(100);
    if (COrloApp* app = TheApp()) app->SetView(this);
}

void CChildView::OnDestroy() {
    if (m_bDestroyed || !m_bCreated) return;
    m_bDestroyed = true;
    if (COrloApp* app = TheApp(); app && app->View() == this) app->SetView(nullptr);
    if (m_pDebugDlg) {
        DetachDebugPages(m_main, m_sub);
        delete m_pDebugDlg;
        m_pDebugDlg = nullptr;
    }
    if (m_nTimer) {
        killTimer(m_nTimer);
        m_nTimer = 0;
    }
    CProfile profile;
    for (int i = 0; i < 8; ++i) {
        profile.WriteString(kFddNames[i], FddPath(i));
        CloseFdd(i);
    }
    profile.WriteInt("DipSW", m_main.m_nDipSw);
    for (int i = 0; i < 4; ++i) {
        profile.WriteString(kHddNames[i], HddPath(i));
        CloseHdd(i);
    }
    for (int i = 0; i < 3; ++i) {
        profile.WriteString(kPrnNames[i], PrnPath(i));
        ClosePrn(i);
    }
    if (std::string failure; !profile.Save(failure)) MessageBox(failure, "ORLO");
}

bool CChildView::OnCmdMsg(unsigned id) {
    for (const CommandEntry& c : kCommands) {
        if (id >= c.first && id <= c.last) {
            c.handler(*this, id);
            return true;
        }
    }
    return false;
}

bool CChildView::OnUpdateCmdUI(unsigned id, bool& enable) const {
    switch (id) {
    case ID_EDIT_COPY: enable = OnUpdateEditCopy(); return true;
    case ID_EDIT_PASTE: enable = OnUpdateEditPaste(); return true;
    default: return false;
    }
}

void CChildView::OnTimer() {
    m_sub.m_bTick = 1;
    m_main.m_bTick = 1;
    if (++m_nTitleTicks >= kTitleTicks) {
        window()->setWindowTitle(SpeedTitle(m_main.m_nSpeed));
        m_nTitleTicks = 0;
    }
    SaveQuietImages();
}

void CChildView::OnHardReset() {
    if (COrloApp* app = TheApp(); app && app->View() == this) app->SetView(nullptr);
    if (m_pDebugDlg) OnCpuDebug(); // closes it
    ResetMachine();
}

// Opening the debugger stops free running, shows the dialog and wires the three
// processors to its pages; closing unwires them before the dialog goes and lets the
// idle loop run the machine again. The dialog posts its commands to this view.
void CChildView::OnCpuDebug() {
    if (!m_pDebugDlg && !IsWindow()) return; // a CONTINUE still queued when the window went
    if (!m_pDebugDlg) {
        if (COrloApp* app = TheApp(); app && app->View() == this) app->SetView(nullptr);
        m_pDebugDlg = new CDebugDlg(this, [this](unsigned id) { PostCommand(id); });
        m_pDebugDlg->show();
        AttachDebugPages(m_main, m_sub, m_pDebugDlg->m_pageMain, m_pDebugDlg->m_pageZ80,
                         m_pDebugDlg->m_pageSub);
    } else {
        DetachDebugPages(m_main, m_sub);
        delete m_pDebugDlg;
        m_pDebugDlg = nullptr;
        if (COrloApp* app = TheApp()) app->SetView(this);
    }
}

void CChildView::OnDebugStep() {
    if (m_pDebugDlg) RunStepPairs(m_pDebugDlg->m_nStep);
}

void CChildView::RunStepPairs(int n) {
    m_bStepping = true;
    ::RunStepPairs(m_main, m_sub, n);
    m_bStepping = false;
}

constexpr uint8_t kDtr = 0x02; // serial command register: data terminal ready

// The request was posted when the machine raised DTR; a port that has dropped it again
// before the request arrived (a short pulse, a reset) gets no window, since no close
// request would ever follow for it.
void CChildView::OnUsartOpen(unsigned id) {
    const int n = int(id - ID_USART_OPEN);
    if (m_main.m_pTerm[n] || !(m_main.m_usartCmd[n] & kDtr)) return;
    m_main.m_pTerm[n] = OpenTermWindow(n);
}

// A window whose port has raised DTR again since the request was posted stays: a guest
// that pulses DTR keeps its terminal instead of having it torn down and made anew. One
// the user closed is released whatever DTR says.
void CChildView::OnUsartClose(unsigned id) {
    const int n = int(id - ID_USART_CLOSE);
    const CTerm* term = m_main.m_pTerm[n];
    if (term && !(term->HasWindow() && (m_main.m_usartCmd[n] & kDtr))) ReleaseTerm(n);
}

void CChildView::ReleaseTerm(int n) {
    if (CTerm* term = m_main.m_pTerm[n]) {
        m_main.m_pTerm[n] = nullptr;
        CloseTermWindow(term);
    }
}

void CChildView::CloseTerminals() {
    for (int n = 0; n < 5; ++n)
        ReleaseTerm(n);
}

void CChildView::InvalidateRect(const CRect* rc, bool erase) {
    (void)erase; // the paint covers the whole area it repaints
    if (rc)
        update(QRect(rc->left, rc->top, rc->Width(), rc->Height()));
    else
        update();
}

void CChildView::PostCommand(unsigned id) {
    QCoreApplication::postEvent(this, new CCommandEvent(id));
}

void CChildView::MessageBox(const std::string& textUtf8, const std::string& captionUtf8) {
    if (COrloApp* app = TheApp(); app && app->QuittingBySignal()) {
        std::fprintf(stderr, "orlo: %s\n", textUtf8.c_str()); // the program must end now
        return;
    }
    const QString caption =
        captionUtf8.empty() ? QStringLiteral("Orlo") : QString::fromStdString(captionUtf8);
    QMessageBox box(QMessageBox::NoIcon, caption, QString::fromStdString(textUtf8), QMessageBox::Ok,
                    this);
    CModalScope modal;
    box.exec();
}

bool CChildView::event(QEvent* e) {
    if (e->type() == CCommandEvent::EventType()) {
        OnCmdMsg(static_cast<CCommandEvent*>(e)->m_nID);
        return true;
    }
    return QWidget::event(e);
}

void CChildView::timerEvent(QTimerEvent* e) {
    if (m_nTimer && e->timerId() == m_nTimer)
        OnTimer();
    else
        QWidget::timerEvent(e);
}

void CChildView::paintEvent(QPaintEvent*) {
    const uint32_t* src = m_sub.m_dcOut.Bits();
    auto* dst = reinterpret_cast<uint32_t*>(m_image.bits());
    for (int i = 0; i < Surface::kWidth * Surface::kHeight; ++i)
        dst[i] = src[i] | 0xFF000000u;
    if (m_nSelMode != kSelIdle) DrawSelection();

    QPainter p(this);
    // Nearest neighbour at full size or larger; smooth scaling when shrinking.
    p.setRenderHint(QPainter::SmoothPixmapTransform, width() < 640 || height() < 400);
    p.drawImage(rect(), m_image);
    if (!m_preedit.isEmpty()) {
        const QRect caret = inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QRect box = p.fontMetrics().boundingRect(m_preedit).adjusted(-2, -1, 2, 1);
        box.moveTopLeft(caret.topLeft());
        p.fillRect(box, Qt::white);
        p.setPen(Qt::black);
        p.drawText(box, Qt::AlignCenter, m_preedit);
    }
}

void CChildView::DrawSelection() {
    const int cols = m_sub.m_nColumns, rows = m_sub.m_nRows;
    const int cw = m_sub.m_nCharWidth, ch = m_sub.m_nCharHeight;
    const int last = cols * rows - 1;
    for (int cell = std::max(m_nSelStart, 0); cell <= std::min(m_nSelEnd, last); ++cell) {
        const int x0 = (cell % cols) * cw, y0 = (cell / cols) * ch;
        for (int y = y0; y < y0 + ch && y < Surface::kHeight; ++y) {
            auto* line = reinterpret_cast<uint32_t*>(m_image.scanLine(y));
            for (int x = x0; x < x0 + cw && x < Surface::kWidth; ++x)
                line[x] ^= 0x00FFFFFF;
        }
    }
}
