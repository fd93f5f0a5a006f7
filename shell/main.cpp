// orlo: the emulator program.
#include <QApplication>

#include "platform/file.h"
#include "shell/orlo_app.h"
#include "shell/quit_signals.h"

int main(int argc, char** argv) {
    IgnoreWriteSignals(); // before anything writes a file
    QApplication app(argc, argv);
    COrloApp theApp;
    CQuitSignals quit([&theApp] { theApp.OnQuitSignal(); });
    if (!theApp.InitInstance()) return 1;
    return theApp.ExitInstance(app.exec());
}
