// Entering a view: the steps every view builder ends with once its grid is filled, and the
// ways the program and the main window reach the current view's description (the views
// themselves are registered in App::views(), view_registry.h).
#pragma once

#include <string_view>

#include "core/app/view_description.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::views {

// Lets the program rebuild the current view through its build command after a rolled-back
// command (App::setViewRebuild), or enter the view it showed before (App::setViewEntry);
// installGridEditing() does it.
void installViewRebuild(app::App& app);

// Installs command::kFitColumnsToWindow: the current view's fitColumnsToWidth for the window's
// width now (the main window runs it when the user widens it), then the columns fitted to
// their values and the user's widths again; installGridEditing() does it.
void installColumnFitting(app::App& app);

// The description of the view the grid shows now (CurrentView).
const app::ViewDescription& currentView(const app::App& app);

// The end of every view builder: CurrentView := name, the channel-list controls shown or
// hidden, List3 filled with the view's entries, the columns fitted to their values with the
// widths the user set for the view (column_widths.h).
void enterView(app::App& app, std::string_view name);
// The same for a table of the explorer, shown as a table view whatever its name.
void enterTableView(app::App& app, std::string_view table);

}  // namespace velmora::core::views
