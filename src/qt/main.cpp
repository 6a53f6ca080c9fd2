// Velmora's entry point. The program reads only its settings; it takes no command line.
#include <QApplication>

#include "qt/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    velmora::qt::MainWindow window;
    window.show();
    return QApplication::exec();
}
