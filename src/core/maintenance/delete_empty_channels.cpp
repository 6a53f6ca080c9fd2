#include "core/maintenance/delete_empty_channels.h"

#include <string>
#include <string_view>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/count_field.h"
#include "core/db/dynaset.h"
#include "core/maintenance/channel_number_limit.h"
#include "core/maintenance/clean_up_question.h"
#include "core/maintenance/number_record.h"
#include "core/ports/cursor_port.h"

namespace velmora::core::maintenance {

namespace {

long long rowCount(engine::dao::Database& database, std::string_view sql) {
    engine::dao::Recordset rs = database.openRecordset(sql, engine::dao::RecordsetType::Snapshot);
    const long long n = rs.eof() ? 0 : db::readCount(rs.field(0));
    rs.close();
    return n;
}

}  // namespace

void DeleteEmptyChannels(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    if (!askCleanUp(app, app::UiKey::msgDeleteEmptyInfo))
        return;
    ports::WaitCursor busy(app.ports().cursor);
    engine::dao::Database& database = app.db();
    // Only a table of more channels than can be numbered needs to know what the delete
    // leaves; counting the empty ones otherwise would look NAME up once more than the
    // delete itself does.
    const long long stored = rowCount(database, "SELECT Count(*) FROM CHANNELS");
    const long long remaining =
        stored <= kMaxChannelNumber ? stored : stored - rowCount(database, kCountEmptyStatement);
    if (remaining > kMaxChannelNumber) {
        busy.release();
        app.showMessage(tooManyChannelsMessage(remaining), ports::MessageButtons::Ok);
        return;
    }
    database.execute(kDeleteEmptyStatement);
    // No ORDER BY: the new numbers follow the table's natural order.
    engine::dao::Recordset rs = db::openDynaset(database, "SELECT CHANNELNUM FROM CHANNELS");
    for (int n = 1; !rs.eof(); ++n) {
        numberRecord(rs, 0, n);
        rs.moveNext();
    }
    rs.close();
    reloadChannelListIfShown(app);
}

void installDeleteEmptyChannels(app::App& app) {
    app.commands().install(app::command::kDeleteEmptyChannels,
                           [&app] { DeleteEmptyChannels(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command4", form::EventKind::Click,
            [&app](const form::Event&) { DeleteEmptyChannels(app); })
        .keep();
}

}  // namespace velmora::core::maintenance
