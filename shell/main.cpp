// orlo: the emulator program.
#include <QApplication>

#include "platform/file.h"
#include "platform/home.h"
#include "shell/orlo_app.h"
#include "shell/quit_signals.h"

int main(int argc, char** argv) {
    InstallQuitSignals(); // first: from here on a quit signal never ends the process itself
    IgnoreWriteSignals(); // before anything writes a file
    SettleHome();         // before anything looks for the settings or the data folder
    QApplication app(argc, argv);
    COrloApp theApp;
    CQuitSignals quit([&theApp] { theApp.OnQuitSignal(); }); // also one that came meanwhile
    if (!theApp.InitInstance()) return 1;
    return theApp.ExitInstance(app.exec());
}
