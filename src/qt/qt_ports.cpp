// The Qt implementation of the window-system ports.
#include "qt/qt_ports.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include "core/form/ui_types.h"
#include "engine/base/error_codes.h"
#include "qt/drag_source.h"

namespace velmora::qt {

namespace ports = core::ports;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

MessageAnswer answerOf(int button, MessageButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return ports::dismissAnswer(buttons);
    }
}

int twips(double pixels, double dotsPerInch) {
    return core::form::pixelsToTwips(pixels, dotsPerInch > 0 ? dotsPerInch : 96);
}

}  // namespace

QString toDisplayText(std::string_view text) {
    QString out = fromUtf8(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QtPorts::~QtPorts() {
    if (m_waitCursor) {
        QApplication::restoreOverrideCursor();
    }
}

void QtPorts::registerWindow(const std::string& name, QWidget* window) {
    m_windows[name] = window;
}

QWidget* QtPorts::window(const std::string& name) const {
    const auto it = m_windows.find(name);
    return it == m_windows.end() ? nullptr : it->second.data();
}

void QtPorts::configureMessageBox(QMessageBox& box, std::string_view text, MessageButtons buttons,
                                  MessageIcon icon) {
    box.setWindowTitle(fromUtf8(ports::kDefaultMessageTitle));
    // Plain text always: a channel name with "<" must not be taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(toDisplayText(text));
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
    }
    // The first button is the default one; Escape and the close box give the cancelling one.
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.setDefaultButton(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
    }
}

MessageAnswer QtPorts::showMessage(std::string_view text, MessageButtons buttons,
                                   MessageIcon icon) {
    QMessageBox box(m_dialogParent.data());
    configureMessageBox(box, text, buttons, icon);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    const int button = clicked == nullptr ? QMessageBox::NoButton : box.standardButton(clicked);
    return answerOf(button, buttons);
}

void QtPorts::configureFileDialog(QFileDialog& dialog, const ports::FileOpenRequest& request) {
    dialog.setWindowTitle(fromUtf8(request.title));
    // Qt's own dialog on every desktop, so the filter below behaves the same everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name may be typed; whether the file exists is the caller's test.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt takes the pattern from the last parentheses and shows only the text before them,
    // so the entry reads exactly as filterName while matching filterPattern.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    // Qt separates patterns by blanks where the request joins them by ';' as Windows does.
    const QString filter =
        fromUtf8(request.filterName) + QStringLiteral(" (") +
        fromUtf8(request.filterPattern).replace(QLatin1Char(';'), QLatin1Char(' ')) +
        QLatin1Char(')');
    dialog.setNameFilter(filter);
    dialog.selectNameFilter(filter);
    // Windows matches "*.MDB" against "WinSTB.mdb"; Qt must not tell the cases apart either.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(fromUtf8(request.initialFolder));
    }
    if (!request.initialFileName.empty()) {
        dialog.selectFile(fromUtf8(request.initialFileName));
    }
    if (request.newestFirst) {
        // The detail view of Qt's own dialog sorts by its columns; the fourth is the time.
        dialog.setViewMode(QFileDialog::Detail);
        if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
            view->sortByColumn(3, Qt::DescendingOrder);
    }
}

std::optional<std::string> QtPorts::chooseFileToOpen(const ports::FileOpenRequest& request) {
    QFileDialog dialog(m_dialogParent.data());
    configureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return files.front().toStdString();
}

bool QtPorts::hasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

std::string QtPorts::text() const {
    return QGuiApplication::clipboard()->text().toStdString();
}

void QtPorts::clear() {
    QGuiApplication::clipboard()->clear();
}

void QtPorts::setText(std::string_view text) {
    QGuiApplication::clipboard()->setText(fromUtf8(text));
}

void QtPorts::setWaitCursor(bool on) {
    // Qt stacks override cursors; the port is a switch, so keep at most one on the stack.
    if (on && !m_waitCursor) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_waitCursor = true;
    } else if (!on && m_waitCursor) {
        QApplication::restoreOverrideCursor();
        m_waitCursor = false;
    }
}

void QtPorts::runPendingEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPorts::endProgram(int exitCode) {
    m_programEnded = true;
    // Hiding is not closing: no close handler asks its question or stores its position.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->hide();
    }
    // exit() leaves every running event loop, modal ones included; when none runs yet
    // (start-up inside the main window's constructor), the queued call ends the loop that
    // exec() is about to start.
    QCoreApplication::exit(exitCode);
    QTimer::singleShot(0, qApp, [exitCode] { QCoreApplication::exit(exitCode); });
}

engine::Status QtPorts::setOwnerWindow(std::string_view window, std::string_view owner) {
    QWidget* owned = this->window(std::string(window));
    QWidget* ownerWidget = this->window(std::string(owner));
    for (const auto& [name, widget] : {std::pair{window, owned}, std::pair{owner, ownerWidget}}) {
        if (widget == nullptr) {
            return engine::Status::error(engine::err::kItemNotFound,
                                         "unknown window '" + std::string(name) + "'");
        }
    }
    if (owned == ownerWidget) {
        return engine::Status::error(engine::err::kInvalidArgument, "a window cannot own itself");
    }
    // A top-level widget with a parent is Qt's owned window: it stays above its owner, is
    // minimised with it and goes when the owner goes (Qt's parent tree then deletes it).
    const bool visible = owned->isVisible();
    owned->setParent(ownerWidget, owned->windowFlags() | Qt::Window);
    if (visible) {
        owned->show();  // setParent hides the widget
    }
    return engine::Status::ok();
}

void QtPorts::startDrag(std::string_view window, std::string_view control) {
    QWidget* source = this->window(std::string(window));
    if (source == nullptr)
        return;  // a window that is gone has nothing left to drag
    // The drag runs once the press that started it has been handled and the mouse moved
    // on, so the drop's own events are commands of their own, as the user's next actions are.
    dragOnMove(source, DragSource{std::string(window), std::string(control)}, m_dragLoop);
}

ports::TextExtent QtPorts::measureText(std::string_view text, const ports::FontChoice& font) const {
    // An empty family is the application's font, as the grid and the overlays draw it.
    QFont qfont = font.family.empty() ? QFont() : QFont(fromUtf8(font.family));
    qfont.setPointSizeF(font.pointSize > 0 ? font.pointSize : 8.25);
    qfont.setBold(font.bold);
    const QFontMetricsF metrics(qfont);
    const QSizeF size = metrics.size(0, toDisplayText(text));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpiX = screen != nullptr ? screen->logicalDotsPerInchX() : 96;
    const double dpiY = screen != nullptr ? screen->logicalDotsPerInchY() : 96;
    return {twips(size.width(), dpiX), twips(size.height(), dpiY)};
}

}  // namespace velmora::qt
