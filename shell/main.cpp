#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle("ORLO");
    w.resize(640, 400);
    w.show();
    return app.exec();
}
