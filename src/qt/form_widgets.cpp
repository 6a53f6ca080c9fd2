#include "qt/form_widgets.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "core/app/user_input.h"
#include "core/form/ui_types.h"
#include "qt/grid_view.h"

namespace velmora::qt {

namespace {

using core::form::Control;
using core::form::ControlKind;
using core::form::EventKind;

QColor toQColor(core::form::Rgb c) {
    return QColor(c.red, c.green, c.blue);
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The design's captions were measured in a narrower font than the desktop's sans serif;
// rather than cut a caption off, its control gets a smaller size of the same font.
void fitCaption(QWidget* w, const QString& caption, double designPointSize, int padding) {
    QFont font = w->font();
    font.setPointSizeF(designPointSize);
    const int available = w->width() - padding;
    while (font.pointSizeF() > 6.0 && QFontMetrics(font).horizontalAdvance(caption) > available) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    w->setFont(font);
}

// What a check box or an option button needs beside its caption: the box or circle and the
// gap to the text as the style draws them, and a pixel either side of the text for the focus
// frame.
int indicatorRoom(const QWidget* w, ControlKind kind) {
    const QStyle* style = w->style();
    constexpr int kFocusFrame = 2;
    if (kind == ControlKind::OptionButton) {
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w) + kFocusFrame;
    }
    return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
           style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w) + kFocusFrame;
}

}  // namespace

FormWidgets::FormWidgets(core::form::Form& form, core::form::Dispatcher& dispatcher,
                         QWidget* surface, std::map<std::string, core::grid::GridModel*> grids)
    : QObject(surface),
      m_form(form),
      m_dispatcher(dispatcher),
      m_surface(surface),
      m_grids(std::move(grids)) {
    // Containers come before their contents in every design table, so one pass suffices.
    applyGuarded([&] {
        for (const Control& c : m_form.controls()) {
            QWidget* parent = surface;
            if (!c.container.empty()) {
                if (QWidget* container = widget(c.container)) {
                    parent = container;
                }
            }
            QWidget* w = create(c, parent);
            m_widgets[c.name] = w;
            apply(c);
        }
    });
    m_form.setListener(this);
}

FormWidgets::~FormWidgets() {
    m_form.setListener(nullptr);
}

QWidget* FormWidgets::widget(const std::string& control) const {
    const auto it = m_widgets.find(control);
    return it == m_widgets.end() ? nullptr : it->second.data();
}

int FormWidgets::twipsToPixelsX(int twips) const {
    return core::form::twipsToPixels(twips, m_surface->logicalDpiX());
}
int FormWidgets::twipsToPixelsY(int twips) const {
    return core::form::twipsToPixels(twips, m_surface->logicalDpiY());
}
int FormWidgets::pixelsToTwipsX(int pixels) const {
    return core::form::pixelsToTwips(pixels, m_surface->logicalDpiX());
}
int FormWidgets::pixelsToTwipsY(int pixels) const {
    return core::form::pixelsToTwips(pixels, m_surface->logicalDpiY());
}

void FormWidgets::applyGuarded(const std::function<void()>& f) {
    const bool was = m_applying;
    m_applying = true;
    f();
    m_applying = was;
}

QWidget* FormWidgets::create(const Control& c, QWidget* parent) {
    const std::string name = c.name;
    QWidget* w = nullptr;
    switch (c.kind) {
        case ControlKind::Frame:
            w = new QGroupBox(parent);
            break;
        case ControlKind::Button: {
            auto* b = new QPushButton(parent);
            // The designs name no default button: Enter in a dialog's text box must not
            // press whichever button Qt would pick.
            b->setAutoDefault(false);
            connect(b, &QPushButton::clicked, this, [this, name] { userClicked(name); });
            w = b;
            break;
        }
        case ControlKind::CheckBox: {
            auto* b = new QCheckBox(parent);
            connect(b, &QCheckBox::clicked, this, [this, name] { userClicked(name); });
            w = b;
            break;
        }
        case ControlKind::OptionButton: {
            auto* b = new QRadioButton(parent);
            // The core decides which option of a container is chosen.
            b->setAutoExclusive(false);
            connect(b, &QRadioButton::clicked, this, [this, name] { userClicked(name); });
            w = b;
            break;
        }
        case ControlKind::Label:
            w = new QLabel(parent);
            break;
        case ControlKind::ListBox: {
            auto* list = new QListWidget(parent);
            connect(list, &QListWidget::currentRowChanged, this, [this, name](int row) {
                if (!m_applying) {
                    m_form.update(name, [row](Control& ctl) { ctl.listIndex = row; });
                }
            });
            connect(list, &QListWidget::itemClicked, this,
                    [this, name] { dispatch(name, EventKind::Click); });
            connect(list, &QListWidget::itemDoubleClicked, this,
                    [this, name] { dispatch(name, EventKind::DblClick); });
            w = list;
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(parent);
            connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
                if (!m_applying) {
                    m_form.update(name, [&](Control& ctl) { ctl.text = text.toStdString(); });
                }
            });
            w = edit;
            break;
        }
        case ControlKind::Grid: {
            const auto it = m_grids.find(c.name);
            if (it != m_grids.end() && it->second != nullptr) {
                w = new GridView(*it->second, parent);
            } else {
                w = new QWidget(parent);
            }
            break;
        }
    }
    w->setObjectName(QString::fromStdString(c.name));
    QFont font = w->font();
    font.setPointSizeF(c.font.pointSize);
    font.setBold(c.font.bold);
    w->setFont(font);
    return w;
}

void FormWidgets::apply(const Control& c) {
    QWidget* w = widget(c.name);
    if (w == nullptr) {
        return;
    }
    applyGuarded([&] {
        w->setGeometry(twipsToPixelsX(c.rect.left), twipsToPixelsY(c.rect.top),
                       twipsToPixelsX(c.rect.width), twipsToPixelsY(c.rect.height));
        w->setVisible(c.visible);
        w->setEnabled(c.enabled);
        if (c.backColor && c.kind != ControlKind::Grid) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, toQColor(*c.backColor));
            w->setPalette(p);
            w->setAutoFillBackground(true);
        }
        const QString caption = fromUtf8(c.caption);
        switch (c.kind) {
            case ControlKind::Frame:
                static_cast<QGroupBox*>(w)->setTitle(caption);
                fitCaption(w, caption, c.font.pointSize, 12);
                break;
            case ControlKind::Button:
                static_cast<QPushButton*>(w)->setText(caption);
                fitCaption(w, caption, c.font.pointSize, 8);
                break;
            case ControlKind::CheckBox:
                static_cast<QCheckBox*>(w)->setText(caption);
                fitCaption(w, caption, c.font.pointSize, indicatorRoom(w, c.kind));
                static_cast<QCheckBox*>(w)->setChecked(c.value != 0);
                break;
            case ControlKind::OptionButton:
                static_cast<QRadioButton*>(w)->setText(caption);
                fitCaption(w, caption, c.font.pointSize, indicatorRoom(w, c.kind));
                static_cast<QRadioButton*>(w)->setChecked(c.value != 0);
                break;
            case ControlKind::Label:
                static_cast<QLabel*>(w)->setText(caption);
                static_cast<QLabel*>(w)->setFrameStyle(
                    c.borderStyle == 1 ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
                break;
            case ControlKind::ListBox: {
                auto* list = static_cast<QListWidget*>(w);
                QStringList items;
                for (const std::string& item : c.items) {
                    items << fromUtf8(item);
                }
                bool same = list->count() == items.size();
                for (int i = 0; same && i < list->count(); ++i) {
                    same = list->item(i)->text() == items[i];
                }
                if (!same) {
                    list->clear();
                    list->addItems(items);
                }
                list->setCurrentRow(c.listIndex);
                break;
            }
            case ControlKind::TextBox: {
                auto* edit = static_cast<QLineEdit*>(w);
                const QString text = fromUtf8(c.text);
                if (edit->text() != text) {
                    edit->setText(text);
                }
                edit->setAlignment(c.rightAligned ? Qt::AlignRight | Qt::AlignVCenter
                                                  : Qt::AlignLeft | Qt::AlignVCenter);
                break;
            }
            case ControlKind::Grid:
                break;
        }
    });
}

void FormWidgets::controlChanged(const Control& control) {
    apply(control);
}

void FormWidgets::formChanged() {
    if (m_windowChanged) {
        m_windowChanged();
    }
}

void FormWidgets::dispatch(const std::string& control, EventKind kind) {
    if (m_applying) {
        return;
    }
    core::form::Event event;
    event.form = m_form.name();
    event.control = control;
    event.kind = kind;
    event.button = core::form::kLeftButton;
    m_dispatcher.dispatch(event);
}

void FormWidgets::userClicked(const std::string& control) {
    if (m_applying) {
        return;
    }
    // The widget has shown the click already; the core takes its value from the same rule
    // and then handles the click.
    core::app::applyClickValue(m_form, control);
    dispatch(control, EventKind::Click);
}

}  // namespace velmora::qt
