// The Qt main window: a thin shell around the core App. It builds its widgets from Form1's
// control data, sends paint, resize and close to the core, and keeps the window's place and
// size in step with the core's geometry (outer size in twips, as the settings hold it).
#pragma once

#include <QWidget>

#include <memory>

#include "core/app/app.h"

namespace velmora::qt {

class FormWidgets;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(core::app::App& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    FormWidgets& widgets() const { return *m_widgets; }

    // Twips the window frame and caption add to the client area; the core's geometry is the
    // outer size.
    static constexpr int kFrameWidthTwips = 120;
    static constexpr int kFrameHeightTwips = 390;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyWindow();
    void schedulePaint();

    core::app::App& m_app;
    FormWidgets* m_widgets = nullptr;  // owned through the QObject tree
    bool m_paintScheduled = false;
};

}  // namespace velmora::qt
