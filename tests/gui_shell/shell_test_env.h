// Shared by the shell's Qt tests: settings redirected to a temporary folder, frames, files,
// the key FIFO, a keeper of the message boxes shown, and a closer for modal dialogs that a
// test expects.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "display/sub_cpu.h"
#include "floppy/file_fdd.h"
#include "platform/clock.h"
#include "shell/main_frame.h"

#include "tests/platform/guards.h"
#include "tests/platform/temp_dir.h"

// Call first in initTestCase: no test ever touches the user's settings or data folder
// (HOME is the test's folder until the test program ends).
inline void RedirectSettings(const QTemporaryDir& dir) {
    static std::optional<EnvVar> home;
    home.reset();
    home.emplace("HOME", dir.path().toLocal8Bit().constData());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

inline QSettings& Profile() {
    static QSettings s("Helka", "Orlo");
    return s;
}

inline void ClearProfile() {
    Profile().clear();
    Profile().sync();
}

inline QString ProfileString(const QString& name) {
    Profile().sync();
    return Profile().value("ORLO/" + name).toString();
}

inline std::unique_ptr<CMainFrame> MakeFrame() {
    auto frame = std::make_unique<CMainFrame>();
    return frame->LoadFrame() ? std::move(frame) : nullptr;
}

// The shared whole-file helpers, for Qt paths and data.
inline QByteArray ReadFile(const QString& path) {
    return QByteArray::fromStdString(ReadFile<std::string>(path.toStdString()));
}
inline bool WriteFile(const QString& path, const QByteArray& data) {
    return WriteFile(path.toStdString(), std::string_view(data.constData(), size_t(data.size())));
}

// The host's millisecond clock, as the test sets it, while it lives.
struct HostClock {
    uint32_t now = 1000;
    HostClock() {
        SetHostTickSource([this] { return now; });
    }
    ~HostClock() { SetHostTickSource(nullptr); }
};

// What the guest's format command does to an image: one more sector, of 128 bytes.
inline void AddSector(CFileFdd& fdd, int r) {
    CFddSect s;
    s.m_R = uint8_t(r), s.m_nSize = 128;
    fdd.m_bModified |= fdd.AddSector(s);
}

// The codes waiting in the display board's key FIFO, oldest first; TakeKeys empties it.
inline std::vector<uint16_t> TakeKeys(CSubCpu& sub) {
    std::vector<uint16_t> keys;
    for (int i = sub.m_nKeyRead; i != sub.m_nKeyWrite; i = (i + 1) % CSubCpu::kKeyBufSize)
        keys.push_back(sub.m_wKeyBuf[i]);
    sub.m_nKeyRead = sub.m_nKeyWrite;
    return keys;
}

// Answers every message box shown while it lives and keeps their texts.
struct MessageBoxes {
    QStringList texts;
    QTimer timer;
    MessageBoxes() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        timer.start(10);
    }
};

// Runs `act` once on the first modal widget of type T that shows up (polling from the
// event loop, so it also works inside nested modal loops).
template <class T = QWidget> inline void OnNextModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (T* w = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}
