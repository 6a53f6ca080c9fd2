#include "core/maintenance/delete_special_chars.h"

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/db/sql_literal.h"
#include "core/maintenance/clean_up_question.h"
#include "core/ports/cursor_port.h"

namespace velmora::core::maintenance {

namespace {

// † (U+2020) and ‡ (U+2021) in UTF-8, the form the engine gives text in.
constexpr std::string_view kDagger = "\xE2\x80\xA0";
constexpr std::string_view kDoubleDagger = "\xE2\x80\xA1";

}  // namespace

std::string withoutSpecialChars(std::string_view name) {
    std::string kept;
    kept.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::string_view rest = name.substr(i);
        if (rest.starts_with(kDagger) || rest.starts_with(kDoubleDagger)) {
            i += kDagger.size();
            continue;
        }
        kept += name[i++];
    }
    return db::trimBlanks(kept);
}

void DeleteSpecialChars(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    if (!askCleanUp(app, app::UiKey::msgDeleteSpecialCharsInfo))
        return;
    ports::WaitCursor busy(app.ports().cursor);
    engine::dao::Recordset rs = db::openDynaset(app.db(), "SELECT NAME FROM CHANNELS");
    for (; !rs.eof(); rs.moveNext()) {
        engine::dao::Field name = rs.field(0);
        if (name.isNull())
            continue;
        const std::string stored = name.text();
        const std::string cleaned = withoutSpecialChars(stored);
        if (cleaned == stored)
            continue;
        rs.edit();
        name.setValue(cleaned);
        rs.update();
    }
    rs.close();
    reloadChannelListIfShown(app);
}

void installDeleteSpecialChars(app::App& app) {
    app.commands().install(app::command::kDeleteSpecialChars, [&app] { DeleteSpecialChars(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command5", form::EventKind::Click,
            [&app](const form::Event&) { DeleteSpecialChars(app); })
        .keep();
}

}  // namespace velmora::core::maintenance
