// The channel list of 32 767 channels in the real main window on the offscreen platform.
//
// BM_GridViewShowsRows times what follows the statement: the rows as text put into the grid
// with its drawing off (as the channel list's load does), sorted on Num, drawing turned on
// again so the Qt view resets once, and the view painted. BM_LoadChannelList times the
// whole command as "Show/Edit Channels" runs it, statement included, up to the painted view.
//
// The demo database is written and the program started on it (first paint done) outside the
// timed part.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The engine's headers come before Qt's, whose "slots" keyword macro would clash with them.
#include "demo_file.h"

#include <QCoreApplication>
#include <QTest>

#include "core/app/command_names.h"
#include "core/views/channel_list.h"
#include "qt/form_widgets.h"
#include "qt/grid_view.h"
#include "qt/main_window.h"
#include "qt/ports_qt_app.h"
#include "support/app_session.h"

namespace {

using namespace velmora;

struct Program {
    std::unique_ptr<test::AppSession> session;
    std::unique_ptr<qt::MainWindow> window;
    qt::GridView* view = nullptr;
    bool ok = false;
};

Program& programWith(int channels) {
    static std::map<int, Program> programs;
    Program& p = programs[channels];
    if (p.session)
        return p;
    test::qtTestApp();
    p.session = std::make_unique<test::AppSession>();
    test::AppSession& s = *p.session;
    const std::string path =
        (s.folder() / ("WinSTB-" + std::to_string(channels) + ".mdb")).string();
    if (!bench::writeDemoFile(path, channels))
        return p;
    s.storeSetting(core::app::SettingKey::Language, "eng");
    s.storeSetting(core::app::SettingKey::WinSTBPath, path);
    p.window = std::make_unique<qt::MainWindow>(s.app());
    if (!s.app().start())
        return p;
    p.window->show();
    for (int i = 0; i < 1000 && s.app().state().FirstPaintPending; ++i)
        QTest::qWait(10);
    p.view = qobject_cast<qt::GridView*>(p.window->widgets().widget("MSFlexGrid1"));
    p.ok = !s.app().state().FirstPaintPending && p.view != nullptr &&
           s.app().grid().dataRowCount() >= channels;
    return p;
}

// Lets Qt handle what the change posted, then paints the grid's visible rows.
void paint(qt::GridView& view) {
    QCoreApplication::processEvents();
    view.viewport()->repaint();
}

void BM_GridViewShowsRows(benchmark::State& state) {
    Program& p = programWith(static_cast<int>(state.range(0)));
    if (!p.ok) {
        state.SkipWithError("cannot write the demo database and show its channel list");
        return;
    }
    core::grid::GridModel& grid = p.session->app().grid();
    // The rows as the statement's fields give them, one tab-separated line each.
    std::vector<std::string> header;
    for (int c = 0; c < grid.cols(); ++c)
        header.emplace_back(grid.textMatrix(0, c));
    std::vector<std::string> lines;
    for (int r = grid.fixedRows(); r < grid.rows(); ++r) {
        std::string line;
        for (int c = 0; c < grid.cols(); ++c) {
            if (c != 0)
                line += '\t';
            line += grid.textMatrix(r, c);
        }
        lines.push_back(std::move(line));
    }
    for (auto _ : state) {
        grid.setRedraw(false);
        (void)grid.setRows(1);
        (void)grid.setHeader(header, core::grid::CellAlignment::LeftCenter);
        for (const std::string& line : lines)
            (void)grid.addItem(line);
        (void)grid.setCol(core::views::channel_col::kNum);
        grid.sortGenericAscending();
        grid.setRedraw(true);
        paint(*p.view);
    }
    state.counters["rows"] = grid.dataRowCount();
}
BENCHMARK(BM_GridViewShowsRows)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_LoadChannelList(benchmark::State& state) {
    Program& p = programWith(static_cast<int>(state.range(0)));
    if (!p.ok) {
        state.SkipWithError("cannot write the demo database and show its channel list");
        return;
    }
    core::app::App& app = p.session->app();
    for (auto _ : state) {
        app.commands().run(core::app::command::kLoadChannelList);
        paint(*p.view);
    }
    state.counters["rows"] = app.grid().dataRowCount();
}
BENCHMARK(BM_LoadChannelList)->Arg(32767)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
