#include "core/explorer/add_new_row.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/command_names.h"
#include "core/app/failure_text.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/db/sql_literal.h"
#include "core/explorer/add_record_form.h"
#include "core/grid/virtual_keys.h"
#include "core/ports/cursor_port.h"
#include "core/views/recordset_grid.h"
#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::explorer {

namespace {

using engine::dao::guarded;
using form::EventKind;
using ports::MessageButtons;
namespace arc = add_record_control;
namespace vk = grid::vk;

// One showing of the window: its form, its grid and its handlers, which live exactly as long
// as it. The grid's events reach the handlers through the dispatcher, as the main grid's do.
class AddRecordWindow : private grid::GridEventListener {
public:
    explicit AddRecordWindow(app::App& app)
        : m_app(app),
          m_form(createAddRecordForm(app.mainForm().geometry(), app.text(app::UiKey::txtAddNew))) {
        m_grid.setEventListener(this);
        handle(arc::kOk, EventKind::Click, [this](const form::Event&) { ok(); });
        handle(arc::kCancel, EventKind::Click, [this](const form::Event&) { close(); });
        handle("", EventKind::Unload, [this](const form::Event&) { close(); });
        handle(arc::kGrid, EventKind::DblClick, [this](const form::Event&) { startEdit(); });
        handle(arc::kGrid, EventKind::KeyDown,
               [this](const form::Event& e) { gridKey(e.keyCode, e.shift); });
        for (EventKind kind : {EventKind::GotFocus, EventKind::LeaveCell, EventKind::Scroll})
            handle(arc::kGrid, kind, [this](const form::Event&) { finishEdit(); });
        handle(arc::kEditor, EventKind::KeyDown,
               [this](const form::Event& e) { editorKey(e.keyCode); });
    }

    ~AddRecordWindow() override { m_grid.setEventListener(nullptr); }
    AddRecordWindow(const AddRecordWindow&) = delete;
    AddRecordWindow& operator=(const AddRecordWindow&) = delete;

    void show() {
        fillGrid();
        m_form->setVisible(true);
        m_app.modalHost().showModal(*m_form, {{arc::kGrid, &m_grid}});
    }

private:
    void handle(const char* control, EventKind kind, std::function<void(const form::Event&)> body) {
        m_handlers.push_back(
            m_app.dispatcher().on(kAddRecordFormName, control, kind,
                                  [this, body = std::move(body)](const form::Event& e) {
                                      m_app.runModalCommand([&] {
                                          body(e);
                                          // The window's events arrive while the command
                                          // that opened it runs: the focus events they
                                          // queue run here, as after a top-level event.
                                          m_app.dispatcher().runPending();
                                      });
                                  }));
    }

    // The field/value rows, from the main grid's header and its current row.
    void fillGrid() {
        const grid::GridModel& main = m_app.grid();
        const form::Rgb accent = app::kFixedCellColor;
        m_grid.setBackColorFixed(grid::Rgb{accent.red, accent.green, accent.blue});
        (void)m_grid.setRows(1);
        (void)m_grid.setHeader({kFieldCaption, kValueCaption}, grid::CellAlignment::LeftCenter);
        (void)m_grid.setColAlignment(1, grid::CellAlignment::RightCenter);
        (void)m_grid.setColWidth(0, kFieldColumnWidth);
        (void)m_grid.setColWidth(1, kValueColumnWidth);
        const bool fromCurrentRow =
            main.row() >= main.fixedRows() && main.rows() > main.fixedRows();
        for (int col = 1; col < main.cols(); ++col) {
            const std::string header(main.textMatrix(0, col));
            const std::string value =
                fromCurrentRow ? db::trimBlanks(main.textMatrix(main.row(), col)) : std::string();
            (void)m_grid.addItem((fromCurrentRow ? header : db::trimBlanks(header)) + "\t" + value,
                                 col);
        }
        (void)m_grid.setCurrentCell(m_grid.rows() > 1 ? 1 : 0, 1);
    }

    bool editorOpen() const { return m_form->control(arc::kEditor).visible; }

    void focusGrid() { m_app.dispatcher().setFocus(kAddRecordFormName, arc::kGrid); }

    void startEdit() {
        if (m_grid.row() < m_grid.fixedRows() || m_grid.col() < m_grid.fixedCols())
            return;
        const form::TwipRect place = m_form->control(arc::kGrid).rect;
        m_form->update(arc::kEditor, [&](form::Control& c) {
            c.font.family = m_grid.fontName();
            c.font.pointSize = m_grid.fontSize();
            c.text = db::trimBlanks(m_grid.text());
            c.rightAligned = true;  // as the values stand in their column
            c.selStart = 0;
            c.selLength = 0;
            c.rect = {place.left + m_grid.cellLeft(), place.top + m_grid.cellTop(),
                      m_grid.cellWidth(), m_grid.cellHeight()};
        });
        m_form->setVisible(arc::kEditor, true);
        m_app.dispatcher().setFocus(kAddRecordFormName, arc::kEditor);
    }

    // The editor's text into the current cell; nothing is written to the database.
    void finishEdit() {
        if (!editorOpen())
            return;
        (void)m_grid.setText(m_form->control(arc::kEditor).text);
        m_form->setVisible(arc::kEditor, false);
    }

    void editorKey(int keyCode) {
        switch (keyCode) {
            case vk::kEscape:
                m_form->setVisible(arc::kEditor, false);
                focusGrid();
                break;
            case vk::kReturn:
                focusGrid();
                break;
            case vk::kDown:
                focusGrid();
                m_app.runPendingEvents();
                if (m_grid.row() < m_grid.rows() - 1)
                    (void)m_grid.setRow(m_grid.row() + 1);
                break;
            case vk::kUp:
                focusGrid();
                m_app.runPendingEvents();
                if (m_grid.row() > m_grid.fixedRows())
                    (void)m_grid.setRow(m_grid.row() - 1);
                break;
            default:
                break;
        }
    }

    void gridKey(int keyCode, int shift) {
        const bool ctrl = (shift & form::kCtrlMask) != 0;
        if (keyCode == vk::kSpace && shift == 0) {
            startEdit();
        } else if (keyCode == vk::kReturn && shift == 0) {
            ok();  // OK is the window's default button
        } else if (keyCode == vk::kLetterC && ctrl) {
            ports::WaitCursor busy(m_app.ports().cursor);
            m_app.ports().clipboard.clear();
            m_app.ports().clipboard.setText(m_grid.clip());
        } else if (keyCode == vk::kLetterV && ctrl) {
            ports::WaitCursor busy(m_app.ports().cursor);
            if (!m_app.ports().clipboard.hasText())
                return;
            if (!m_grid.setClip(m_app.ports().clipboard.text()).isOk()) {
                busy.release();
                m_app.showMessage("Wrong Format", MessageButtons::Ok);
            }
        }
    }

    // Adds the record; the engine's error number, 0 when it was stored.
    int store() {
        const std::optional<std::string> table = db::quoteName(m_app.state().CurrentView);
        if (!table)
            return engine::err::kTableNotFound;
        engine::dao::Recordset rs = db::openDynaset(m_app.db(), "SELECT * FROM " + *table);
        // A value refused already on assignment (letters for a number) stores nothing, as
        // a refused save does.
        int number = guarded([&] {
            rs.addNew();
            for (int row = 1; row < m_grid.rows(); ++row) {
                const std::string_view value = m_grid.textMatrix(row, 1);
                if (!value.empty())
                    rs.field(row - 1).setValue(value);
            }
        });
        if (number == 0)
            number = rs.tryUpdate();
        if (number != 0)
            (void)guarded([&] { rs.cancelUpdate(); });
        rs.close();
        return number;
    }

    void ok() {
        if (editorOpen()) {
            focusGrid();
            return;
        }
        const int number = store();
        if (number != 0) {
            m_app.showMessage(app::engineErrorMessage(number), MessageButtons::Ok);
            return;
        }
        // The record is in the file before the main grid shows it.
        if (!m_app.commitPending())
            return;
        std::string line = "\t";
        for (int row = 1; row < m_grid.rows(); ++row)
            line.append(m_grid.textMatrix(row, 1)).append("\t");
        grid::GridModel& main = m_app.grid();
        (void)main.addItem(line);
        const int last = main.rows() - 1;
        (void)main.setRow(last);
        (void)main.setRowSel(last);
        (void)main.setTopRow(last);
        views::showDataRowCount(m_app, app::UiKey::txtDatarows);
        close();
    }

    void close() { m_form->setVisible(false); }

    // The grid's events, as the main grid raises its own.
    form::Event gridEvent(EventKind kind) const {
        form::Event e;
        e.form = kAddRecordFormName;
        e.control = arc::kGrid;
        e.kind = kind;
        return e;
    }
    void gridDblClick() override { m_app.dispatcher().dispatch(gridEvent(EventKind::DblClick)); }
    void gridKeyDown(int keyCode, int shift) override {
        form::Event e = gridEvent(EventKind::KeyDown);
        e.keyCode = keyCode;
        e.shift = shift;
        m_app.dispatcher().dispatch(e);
    }
    void gridGotFocus() override {
        m_app.dispatcher().userFocus(kAddRecordFormName, arc::kGrid);
        m_app.runModalCommand([this] { m_app.dispatcher().runPending(); });
    }
    void gridLeaveCell() override { m_app.dispatcher().dispatch(gridEvent(EventKind::LeaveCell)); }
    void gridScroll() override { m_app.dispatcher().dispatch(gridEvent(EventKind::Scroll)); }

    app::App& m_app;
    std::unique_ptr<form::Form> m_form;
    grid::GridModel m_grid;
    // The window's handlers point into it: they go when it does.
    std::vector<form::Dispatcher::Connection> m_handlers;
};

}  // namespace

void AddNewRow(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    AddRecordWindow window(app);
    window.show();
}

void installAddNewRow(app::App& app) {
    app.commands().install(app::command::kAddNewRow, [&app] { AddNewRow(app); });
}

}  // namespace velmora::core::explorer
