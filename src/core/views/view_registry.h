// The registered views and the steps every view builder shares once its grid is filled.
//
// The registry lives with the grid's editing handlers (installGridEditing), which are its
// readers. registerView() checks every command the description names against the command
// registry and throws std::logic_error for a missing one.
#pragma once

#include <string_view>

#include "core/views/view_description.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::views {

// Registers (or replaces) a view; needs installGridEditing() first.
void registerView(app::App& app, ViewDescription description);

// Lets the program rebuild the current view through its build command after a rolled-back
// command (App::setViewRebuild), or enter the view it showed before (App::setViewEntry);
// installGridEditing() does it.
void installViewRebuild(app::App& app);

// Installs command::kFitColumnsToWindow: the current view's fitColumnsToWidth for the window's
// width now (the main window runs it when the user widens it), then the columns fitted to
// their values and the user's widths again; installGridEditing() does it.
void installColumnFitting(app::App& app);

// The description of the view `name`: the one registered under it, else the table view.
// Throws std::logic_error when neither is registered.
const ViewDescription& viewDescription(app::App& app, std::string_view name);

// The description of CurrentView: the one the view was entered with (enterView or
// enterTableView), else the one registered under its name. Before the first view was built
// (CurrentView empty) it is an inert description: no editor, no popup, no delete.
const ViewDescription& currentView(app::App& app);

// The end of every view builder: CurrentView := name, the channel-list controls shown or
// hidden, List3 filled with the view's entries, the columns fitted to their values with the
// widths the user set for the view (column_widths.h).
void enterView(app::App& app, std::string_view name);
// The same for a table of the explorer, shown as a table view whatever its name.
void enterTableView(app::App& app, std::string_view table);

}  // namespace velmora::core::views
