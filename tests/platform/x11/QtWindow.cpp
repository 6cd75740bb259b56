// A plain Qt Widgets window for the window-manager matrix; Qt reads -name and
// -geometry from the command line itself.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(320, 240);
    window.show();
    return application.exec();
}
