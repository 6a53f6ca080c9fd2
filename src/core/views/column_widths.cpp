#include "core/views/column_widths.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "core/app/settings.h"
#include "core/form/dispatcher.h"
#include "core/grid/grid_model.h"
#include "core/views/view_entry.h"

namespace velmora::core::views {

namespace {

// Measuring every cell of a long list would cost a text layout per cell; the widest values
// are among the longest ones, so only these few per column are measured.
constexpr std::size_t kMeasuredPerColumn = 8;

// Characters, not bytes: a UTF-8 continuation byte adds nothing.
int characterCount(std::string_view text) {
    int count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

// The rows holding the longest texts of column `col`, at most kMeasuredPerColumn. Once
// that many are found, a text of no more bytes than the shortest of them has characters
// (never more than bytes) has no more characters either and is passed over uncounted.
std::vector<int> longestRows(const grid::GridModel& g, int col) {
    std::vector<std::pair<int, int>> best;  // (characters, row)
    best.reserve(kMeasuredPerColumn);       // never grows once full: `shortest` stays valid
    auto shortest = best.end();
    for (int row = g.fixedRows(); row < g.rows(); ++row) {
        const std::string_view text = g.textMatrix(row, col);
        if (best.size() == kMeasuredPerColumn && std::cmp_less_equal(text.size(), shortest->first))
            continue;
        const int length = characterCount(text);
        if (length == 0)
            continue;
        if (best.size() < kMeasuredPerColumn) {
            best.emplace_back(length, row);
            if (best.size() == kMeasuredPerColumn)
                shortest = std::min_element(best.begin(), best.end());
            continue;
        }
        if (length > shortest->first) {
            *shortest = {length, row};
            shortest = std::min_element(best.begin(), best.end());
        }
    }
    std::vector<int> rows;
    for (const auto& [length, row] : best)
        rows.push_back(row);
    return rows;
}

int widestText(app::App& app, int col) {
    const grid::GridModel& g = app.grid();
    const ports::FontChoice font = gridFont(g);
    const ports::TextMetricsPort& metrics = app.ports().textMetrics;
    int widest = 0;
    for (int row = 0; row < g.fixedRows(); ++row)
        widest = std::max(widest, metrics.measureText(g.textMatrix(row, col), font).width);
    for (const int row : longestRows(g, col))
        widest = std::max(widest, metrics.measureText(g.textMatrix(row, col), font).width);
    return widest;
}

void fitColumnsToValues(app::App& app) {
    grid::GridModel& g = app.grid();
    const std::vector<int>& shares = currentView(app).columnsSharingTheWindow;
    for (int col = g.fixedCols(); col < g.cols(); ++col) {
        const int now = g.colWidth(col);
        if (now == 0)
            continue;  // hidden on purpose
        if (std::find(shares.begin(), shares.end(), col) != shares.end())
            continue;
        const int wanted = std::min(widestText(app, col) + kColumnTextPadding, kMaxFittedWidth);
        if (wanted > now)
            (void)g.setColWidth(col, wanted);
    }
}

std::string storedWidths(app::App& app, const std::string& view) {
    return app.ports().settings.read(app::kSettingsApplication, kColumnWidthsSection,
                                     columnWidthsKey(view), "");
}

}  // namespace

ports::FontChoice gridFont(const grid::GridModel& grid) {
    ports::FontChoice font;
    font.family = grid.fontName();  // empty: the front end's default font
    font.pointSize = grid.fontSize();
    return font;
}

std::map<int, int> parseColumnWidths(std::string_view text) {
    std::map<int, int> widths;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view piece = text.substr(at, end - at);
        at = end + 1;
        const std::size_t colon = piece.find(':');
        if (colon == std::string_view::npos)
            continue;
        int col = 0;
        int twips = 0;
        const char* first = piece.data();
        const char* middle = first + colon;
        const char* last = first + piece.size();
        const auto c = std::from_chars(first, middle, col);
        const auto w = std::from_chars(middle + 1, last, twips);
        if (c.ec == std::errc() && c.ptr == middle && w.ec == std::errc() && w.ptr == last &&
            col >= 0 && twips >= 0)
            widths[col] = twips;
    }
    return widths;
}

std::string formatColumnWidths(const std::map<int, int>& widths) {
    std::string text;
    for (const auto& [col, twips] : widths) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(col) + ':' + std::to_string(twips);
    }
    return text;
}

std::string columnWidthsKey(std::string_view view) {
    std::string key;
    for (const char c : view) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                           (u >= '0' && u <= '9') || u == '_' || u == '-' || u == '.';
        if (plain) {
            key += c;
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            key += '%';
            key += kHex[u >> 4];
            key += kHex[u & 0x0F];
        }
    }
    return key;
}

void showColumnsReadably(app::App& app) {
    grid::GridModel& g = app.grid();
    g.setAllowUserResizing(grid::UserResizing::Columns);
    fitColumnsToValues(app);
    for (const auto& [col, twips] : parseColumnWidths(storedWidths(app, app.state().CurrentView))) {
        if (col >= g.fixedCols() && col < g.cols())
            (void)g.setColWidth(col, twips);
    }
}

void rememberColumnWidth(app::App& app, int col, int twips) {
    const std::string& view = app.state().CurrentView;
    if (view.empty())
        return;
    const std::string before = storedWidths(app, view);
    std::map<int, int> widths = parseColumnWidths(before);
    widths[col] = twips;
    const std::string after = formatColumnWidths(widths);
    if (after == before)
        return;
    // A width that cannot be kept is no reason to interrupt the user's dragging with a
    // message: the column has its width now, only the next start will not know it (as with
    // the window's size, main_window_events.cpp).
    (void)app.ports().settings.write(app::kSettingsApplication, kColumnWidthsSection,
                                     columnWidthsKey(view), after);
}

void installColumnWidths(app::App& app) {
    app.dispatcher()
        .on(app::kMainFormName, app::control::kMainGrid, form::EventKind::ColumnResized,
            [&app](const form::Event& e) { rememberColumnWidth(app, e.x, e.width); })
        .keep();
}

}  // namespace velmora::core::views
