#include "core/editing/find_channel.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/command_registry.h"
#include "core/app/main_form.h"
#include "core/editing/find_channel_form.h"
#include "core/editing/grid_edit.h"
#include "core/editing/text_search.h"
#include "core/form/control_design.h"
#include "core/form/event.h"
#include "core/grid/grid_model.h"
#include "core/grid/virtual_keys.h"

namespace velmora::core::editing {

namespace {

using form::EventKind;
namespace fc = find_control;
constexpr char kNameHeader[] = "NAME";
constexpr int kF3 = grid::vk::kF1 + 2;

// The rows of the grid shown whole at once below its header row, at least one: in the height
// the front end shows them in when it told the grid (its scroll bar takes room too), else in
// the grid's rectangle.
int visibleDataRows(app::App& app) {
    const grid::GridModel& g = app.grid();
    const int rowHeight = std::max(g.defaultRowHeight(), 1);
    if (g.viewportHeight() > 0)
        return std::max(g.viewportHeight() / rowHeight, 1);
    const int gridHeight = app.mainForm().control(kMainGrid).rect.height;
    return std::max((gridHeight - g.rowHeight(0)) / rowHeight, 1);
}

// Scrolls the least that brings `row` into view: to the top when it lies above, to the
// bottom when it lies below.
void scrollIntoView(app::App& app, int row) {
    grid::GridModel& g = app.grid();
    const int visible = visibleDataRows(app);
    int top = g.topRow();
    if (row < top) {
        top = row;
    } else if (row >= top + visible) {
        top = std::max(row - visible + 1, g.fixedRows());
    }
    if (top != g.topRow()) {
        (void)g.setTopRow(top);
    }
}

// The search and its window. The last text looked for outlives the window, so F3 goes on
// with it after the window closed.
class FindChannel {
public:
    explicit FindChannel(app::App& app) : m_app(app) {}

    void openWindow() {
        if (!nameColumn(m_app.grid())) {
            return;
        }
        m_form = createFindForm(m_app.mainForm().geometry());
        form::Form& f = *m_form;
        f.update(fc::kText, [&](form::Control& c) {
            c.text = m_lastText;
            c.selStart = 0;
            c.selLength = static_cast<int>(m_lastText.size());
        });
        installWindowHandlers();
        f.setVisible(true);
        // The text box has the keyboard while the window is open, the grid again after it.
        m_app.dispatcher().setFocus(kFindFormName, fc::kText);
        m_app.modalHost().showModal(f);
        m_app.dispatcher().setFocus(app::kMainFormName, kMainGrid);
        m_connections.clear();
        m_form.reset();
    }

    // F3 and Shift+F3 with the window closed: go on with the last text, or ask for one.
    void again(FindDirection direction) {
        if (m_lastText.empty()) {
            openWindow();
        } else {
            find(direction);
        }
    }

private:
    void installWindowHandlers() {
        form::Dispatcher& d = m_app.dispatcher();
        auto on = [&](const char* control, EventKind kind,
                      std::function<void(const form::Event&)> f) {
            m_connections.push_back(
                d.on(kFindFormName, control, kind, [this, f = std::move(f)](const form::Event& e) {
                    m_app.runModalCommand([&] { f(e); });
                }));
        };
        on(fc::kNext, EventKind::Click,
           [this](const form::Event&) { findFromWindow(FindDirection::Next); });
        on(fc::kPrevious, EventKind::Click,
           [this](const form::Event&) { findFromWindow(FindDirection::Previous); });
        on(fc::kClose, EventKind::Click, [this](const form::Event&) { close(); });
        on("", EventKind::Unload, [this](const form::Event&) { close(); });
        on("", EventKind::KeyDown, [this](const form::Event& e) { windowKey(e.keyCode, e.shift); });
    }

    void windowKey(int keyCode, int shift) {
        if ((keyCode == grid::vk::kReturn && shift == 0) || (keyCode == kF3 && shift == 0)) {
            findFromWindow(FindDirection::Next);
        } else if (keyCode == kF3 && shift == form::kShiftMask) {
            findFromWindow(FindDirection::Previous);
        } else if (keyCode == grid::vk::kEscape) {
            close();
        }
    }

    void findFromWindow(FindDirection direction) {
        if (m_form == nullptr) {
            return;
        }
        m_lastText = m_form->control(fc::kText).text;
        const bool found = find(direction);
        m_form->setCaption(fc::kStatus, found || m_lastText.empty() ? "" : kFindNotFound);
    }

    // Makes the next matching row current, in the NAME column, and shows it.
    bool find(FindDirection direction) {
        grid::GridModel& g = m_app.grid();
        const auto col = nameColumn(g);
        if (!col) {
            return false;
        }
        const auto row = findRow(g, *col, m_lastText, g.row(), direction);
        if (!row) {
            return false;
        }
        (void)g.setCurrentCell(*row, *col);
        scrollIntoView(m_app, *row);
        keepWindowOffRow(*row);
        return true;
    }

    // Moves the open window off the found row, so the user sees what was found.
    void keepWindowOffRow(int row) {
        if (m_form == nullptr)
            return;
        const grid::GridModel& g = m_app.grid();
        const form::TwipRect main = m_app.mainForm().geometry();
        // The main window's geometry is its outer one; where its client area starts below
        // the caption depends on the window manager (none on some desktops). The band runs
        // from the row's top without a caption to its bottom with a whole frame above it.
        const int rowTop = main.top + m_app.mainForm().control(kMainGrid).rect.top + g.rowPos(row);
        const int bandTop = rowTop;
        const int bandBottom = rowTop + form::kDialogFrameHeight + g.rowHeight(row);
        const form::TwipRect now = m_form->geometry();
        const form::TwipRect clear = findWindowClearOf(now, bandTop, bandBottom, main);
        if (clear.top != now.top)
            m_form->setGeometry(clear);
    }

    void close() {
        if (m_form != nullptr) {
            m_form->setVisible(false);
        }
    }

    app::App& m_app;
    std::unique_ptr<form::Form> m_form;                       // while the window is open
    std::vector<form::Dispatcher::Connection> m_connections;  // its handlers, as long
    std::string m_lastText;
};

}  // namespace

std::optional<int> nameColumn(const grid::GridModel& grid) {
    if (grid.rows() == 0) {
        return std::nullopt;
    }
    for (int c = grid.fixedCols(); c < grid.cols(); ++c) {
        if (grid.textMatrix(0, c) == kNameHeader) {
            return c;
        }
    }
    return std::nullopt;
}

std::optional<int> findRow(const grid::GridModel& grid, int col, std::string_view text, int fromRow,
                           FindDirection direction) {
    const int first = grid.fixedRows();
    const int count = grid.rows() - first;
    if (text.empty() || count <= 0) {
        return std::nullopt;
    }
    const std::u16string part = foldCase(text);
    const int step = direction == FindDirection::Next ? 1 : count - 1;
    // A start in the header row counts as just before the first data row.
    int at = std::clamp(fromRow, first - 1, grid.rows() - 1) - first;
    if (at < 0) {
        at = direction == FindDirection::Next ? count - 1 : 0;
    }
    for (int i = 0; i < count; ++i) {
        at = (at + step) % count;
        if (foldCase(grid.textMatrix(first + at, col)).find(part) != std::u16string::npos) {
            return first + at;
        }
    }
    return std::nullopt;
}

void installFindChannel(app::App& app) {
    auto find = std::make_shared<FindChannel>(app);
    app.commands().install(app::command::kFindChannel, [find] { find->openWindow(); });
    app.commands().install(app::command::kFindNext, [find] { find->again(FindDirection::Next); });
    app.commands().install(app::command::kFindPrevious,
                           [find] { find->again(FindDirection::Previous); });
}

}  // namespace velmora::core::editing
