#include "core/favourites/drop_fav_window.h"

#include <algorithm>
#include <string_view>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "core/db/count_field.h"
#include "core/db/sql_literal.h"
#include "core/favourites/drop_fav_form.h"
#include "core/views/channel_list.h"
#include "core/views/recordset_grid.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::favourites {

namespace {

namespace col = views::channel_col;
namespace dc = drop_fav_control;
using engine::dao::throwIfError;

constexpr std::string_view kGroupCountStatement =
    "SELECT FAVNAME.FAVNAME, Count(FAVOURITE.FAVNAME) AS Anzahl FROM FAVNAME LEFT JOIN "
    "FAVOURITE ON FAVNAME.FAVNAME = FAVOURITE.FAVNAME GROUP BY FAVNAME.FAVNAME";
using app::control::kMainGrid;

// A label is as high as a line of its font plus this much, and this far from the next one.
constexpr int kLabelPadding = 16;
// Below the last label, to the window's outer bottom.
constexpr int kBelowLastLabel = 500;
// What the frame and caption bar add to the client width, in twips.
constexpr int kFrameWidth = 120;

grid::Rgb gridColor(form::Rgb c) {
    return grid::Rgb{c.red, c.green, c.blue};
}

}  // namespace

DropFavWindow::DropFavWindow(app::App& app) : m_app(app) {}

bool DropFavWindow::load() {
    m_groups.clear();
    engine::dao::Recordset rs = m_app.db().openRecordset(
        kGroupCountStatement, engine::dao::RecordsetType::Snapshot,
        engine::dao::recordset_option::kInconsistent, engine::dao::LockType::Optimistic);
    while (!rs.eof()) {
        m_groups.push_back({db::trimBlanks(rs.field(0).text()), db::readCount(rs.field(1))});
        rs.moveNext();
    }
    rs.close();
    if (m_groups.empty())
        return false;

    m_form = createDropFavForm(static_cast<int>(m_groups.size()));
    form::Form& f = *m_form;
    const ports::TextMetricsPort& metrics = m_app.ports().textMetrics;
    const form::FontChoice& font = f.control(dc::kNoGroupLabel).font;
    const int h = metrics.measureText("Tg", font).height + kLabelPadding;
    int widest = 0;
    for (std::size_t i = 0; i < m_groups.size(); ++i) {
        const std::string text = caption(m_groups[i]);
        widest = std::max(widest, metrics.measureText(text, font).width);
        f.setCaption(labelName(static_cast<int>(i) + 1), text);
    }
    int lastTop = kFirstLabelTop;
    for (int k = 1; k <= static_cast<int>(m_groups.size()); ++k) {
        lastTop = (h + kLabelPadding) * k + kFirstLabelTop;
        f.setRect(labelName(k), {kLabelLeft, lastTop, widest + kLabelPadding, h});
        f.setVisible(labelName(k), true);
    }
    f.setRect(dc::kNoGroupLabel, {kLabelLeft, kFirstLabelTop, widest + kLabelPadding, h});
    f.setGeometry({0, 0, kDropFavClientWidth + kFrameWidth, lastTop + kBelowLastLabel});
    return true;
}

std::string DropFavWindow::labelName(int group) const {
    return group == 0 ? std::string(dc::kNoGroupLabel) : groupLabelName(group);
}

std::string DropFavWindow::caption(const Group& group) const {
    return group.name + " [" + std::to_string(group.count) + "]";
}

bool DropFavWindow::fromMainGrid(const form::Event& event) const {
    return event.sourceForm == app::kMainFormName && event.sourceControl == kMainGrid;
}

void DropFavWindow::dragOver(const form::Event& event, bool entering) {
    if (entering && fromMainGrid(event))
        showHighlight(event.control);
    else
        showNormal(event.control);
}

void DropFavWindow::drop(const form::Event& event) {
    const int group = event.control == dc::kNoGroupLabel ? 0 : groupNumberOfLabel(event.control);
    if (fromMainGrid(event) && group <= static_cast<int>(m_groups.size())) {
        if (group == 0)
            dropOnNoGroup();
        else if (group > 0)
            dropOnGroup(group);
    }
    showNormal(event.control);
}

int DropFavWindow::targetRow() const {
    // The window works on the channel list's columns; in another view a drop would write a
    // group into whatever column 5 holds there.
    if (!views::channelListShown(m_app))
        return -1;
    const grid::GridModel& g = m_app.grid();
    if (g.row() < g.fixedRows() || g.row() >= g.rows() || g.cols() <= col::kFNum)
        return -1;
    return g.row();
}

void DropFavWindow::dropOnNoGroup() {
    const int r = targetRow();
    grid::GridModel& g = m_app.grid();
    if (r < 0 || db::trimBlanks(g.textMatrix(r, col::kFavorite)) == views::kNoGroup)
        return;
    throwIfError(g.setTextMatrix(r, col::kFavorite, views::kNoGroup));
    throwIfError(g.setTextMatrix(r, col::kFNum, views::kNoPosition));
    m_app.state().FavDirty = true;
}

void DropFavWindow::dropOnGroup(int group) {
    const int r = targetRow();
    if (r < 0)
        return;
    grid::GridModel& g = m_app.grid();
    Group& target = m_groups[static_cast<std::size_t>(group - 1)];
    const std::string current = db::trimBlanks(g.textMatrix(r, col::kFavorite));
    if (current == target.name)
        return;
    const bool addMode = m_form->control(dc::kAddMode).value == 1;
    if (addMode && current != views::kNoGroup) {
        addRowCopy(r, target.name);
    } else {
        throwIfError(g.setTextMatrix(r, col::kFavorite, target.name));
        if (g.textMatrix(r, col::kFNum) == views::kNoPosition)
            throwIfError(g.setTextMatrix(r, col::kFNum, g.textMatrix(r, col::kNum)));
    }
    ++target.count;
    m_form->setCaption(labelName(group), caption(target));
    m_app.state().FavDirty = true;
}

void DropFavWindow::addRowCopy(int row, const std::string& name) {
    grid::GridModel& g = m_app.grid();
    m_app.state().MultiFavAdded = true;
    // Cell by cell rather than as one tab-separated row: a tab inside a cell stays in it.
    // The copy has no row data: it was loaded with no group, so the save adds its assignment.
    const int copy = row + 1;
    throwIfError(g.addItem("", copy));
    for (int c = 0; c < g.cols(); ++c)
        throwIfError(g.setTextMatrix(copy, c, c == col::kFavorite ? name : g.textMatrix(row, c)));
    views::showDataRowCount(m_app, app::UiKey::txtChannels);
    // A radio channel's row is coloured in the cells the channel list colours; the pressed
    // cell tells whether this one was.
    if (g.cellBackColor() == gridColor(app::kRadioRowColor)) {
        for (int c = col::kNum; c <= col::kFNum; ++c)
            throwIfError(g.setCellBackColorAt(copy, c, gridColor(app::kRadioRowColor)));
        throwIfError(g.setCurrentCell(copy, col::kFNum));
    }
}

void DropFavWindow::showNormal(const std::string& label) {
    if (!m_form->hasControl(label))
        return;
    const bool selected = label == labelName(m_selected);
    m_form->update(label, [selected](form::Control& c) {
        c.borderStyle = selected ? 1 : 0;
        c.backColor = kLabelWhite;
    });
}

void DropFavWindow::showHighlight(const std::string& label) {
    if (!m_form->hasControl(label))
        return;
    m_form->update(label, [](form::Control& c) {
        c.borderStyle = 1;
        c.backColor = kLabelHighlight;
    });
}

void DropFavWindow::select(int group) {
    if (group < 0 || group > static_cast<int>(m_groups.size()))
        return;
    const int before = m_selected;
    m_selected = group;
    if (before >= 0)
        showNormal(labelName(before));
    showNormal(labelName(group));
}

void DropFavWindow::moveSelection(int delta) {
    const int last = static_cast<int>(m_groups.size());
    select(m_selected < 0 ? 0 : std::clamp(m_selected + delta, 0, last));
}

void DropFavWindow::dropOnSelected() {
    if (m_selected == 0)
        dropOnNoGroup();
    else if (m_selected > 0)
        dropOnGroup(m_selected);
}

}  // namespace velmora::core::favourites
