// The Qt main window: a thin shell that builds its widgets from the core's control data and
// forwards events to the core.
#pragma once

#include <QMainWindow>

namespace velmora::qt {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace velmora::qt
