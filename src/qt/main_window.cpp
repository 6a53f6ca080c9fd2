#include "qt/main_window.h"

namespace velmora::qt {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Velmora Ver 1.27"));
    resize(800, 600);
}

}  // namespace velmora::qt
