// orlo: the emulator program.
#include <QApplication>

#include "shell/orlo_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    COrloApp theApp;
    if (!theApp.InitInstance()) return 1;
    return theApp.ExitInstance(app.exec());
}
