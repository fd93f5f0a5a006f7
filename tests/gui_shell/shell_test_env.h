// Shared by the shell's Qt tests: settings redirected to a temporary folder, a way to
// read the key FIFO, and a closer for modal dialogs that a test expects.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <vector>

#include "display/sub_cpu.h"

// Call first in initTestCase: no test ever touches the user's settings.
inline void RedirectSettings(const QTemporaryDir& dir) {
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

// The codes waiting in the display board's key FIFO, oldest first.
inline std::vector<uint16_t> PendingKeys(const CSubCpu& sub) {
    std::vector<uint16_t> keys;
    for (int i = sub.m_nKeyRead; i != sub.m_nKeyWrite; i = (i + 1) % CSubCpu::kKeyBufSize)
        keys.push_back(sub.m_wKeyBuf[i]);
    return keys;
}

inline void DrainKeys(CSubCpu& sub) {
    sub.m_nKeyRead = sub.m_nKeyWrite;
}

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
