// The whole program: `orlo` starts and keeps running; with the firmware built in, the
// window shows the firmware's banner exactly as the display board drew it, and typed
// keys reach the monitor.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>
#include <algorithm>
#include <string>

#include "rom/roms.h"
#include "shell/main_frame.h"
#include "shell/orlo_app.h"
#include "shell_test_env.h"

namespace {

bool FirmwareBuiltIn() {
    auto blank = [](const uint8_t* p, size_t n) {
        return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
    };
    return !blank(g_bootRom, sizeof g_bootRom) && !blank(g_displayRom, sizeof g_displayRom);
}

// The characters of the text screen, row after row.
std::string ScreenText(const CSubCpu& sub) {
    std::string text;
    const int cells = std::min(sub.m_nColumns * sub.m_nRows, int(CSubCpu::kShadowCells));
    for (int i = 0; i < cells; ++i)
        text += char(sub.m_wTextShadow[i] & 0xFF);
    return text;
}

bool HasText(const CSubCpu& sub) {
    const std::string s = ScreenText(sub);
    return std::any_of(s.begin(), s.end(), [](char c) { return uint8_t(c) > 0x20; });
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void programStartsAndRuns();
    void bannerShownAndKeysReachTheMonitor();

private:
    QTemporaryDir m_settingsDir;
};

void EndToEndTest::initTestCase() {
    QVERIFY(m_settingsDir.isValid());
    RedirectSettings(m_settingsDir);
    ClearProfile();
}

void EndToEndTest::programStartsAndRuns() {
    const QString program = QCoreApplication::applicationDirPath() + "/../orlo";
    if (!QFile::exists(program)) QSKIP("the orlo program is not built beside the tests");
    QProcess orlo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", m_settingsDir.path()); // never the user's settings
    orlo.setProcessEnvironment(env);
    orlo.start(program, {});
    QVERIFY(orlo.waitForStarted(5000));
    QVERIFY(!orlo.waitForFinished(1500)); // still running
    orlo.kill();
    orlo.waitForFinished(5000);
}

void EndToEndTest::bannerShownAndKeysReachTheMonitor() {
    if (!FirmwareBuiltIn())
        QSKIP("the built-in boot and display ROMs are blank until the firmware is assembled");
    COrloApp app;
    QVERIFY(app.InitInstance());
    CChildView& view = app.m_pMainWnd->m_wndView;
    QVERIFY(QTest::qWaitForWindowExposed(app.m_pMainWnd));

    // The banner appears on the text screen.
    QTRY_VERIFY_WITH_TIMEOUT(HasText(view.m_sub), 20000);
    QTest::qWait(500); // one more screen refresh

    // Stand the machine still, then the window shows exactly the output layer.
    app.SetView(nullptr);
    QApplication::processEvents();
    const QImage shot = view.grab().toImage();
    QCOMPARE(shot.size(), QSize(640, 400));
    int differing = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            differing += (shot.pixel(x, y) & 0xFFFFFF) != view.m_sub.m_dcOut.GetPixel(x, y);
    QCOMPARE(differing, 0);
    bool lit = false;
    for (int y = 0; y < 400 && !lit; ++y)
        for (int x = 0; x < 640 && !lit; ++x)
            lit = view.m_sub.m_dcOut.GetPixel(x, y) != view.m_sub.m_dcOut.GetPixel(0, 0);
    QVERIFY2(lit, "the banner is drawn");

    // Typed keys reach the monitor, which echoes them.
    app.SetView(&view);
    view.setFocus();
    QTest::keyClicks(&view, "ORLO42");
    QTRY_VERIFY_WITH_TIMEOUT(ScreenText(view.m_sub).find("ORLO42") != std::string::npos, 10000);
    app.m_pMainWnd->close();
}

QTEST_MAIN(EndToEndTest)
#include "end_to_end_test.moc"
