
#include "core/app/read_only_notice.h"
#include "core/app/app.h"
#include "core/app/main_form.h"
#include "engine/dao/database.h"

namespace velmora::core::app {

namespace {

// The frame around the count label and the filter boxes, under the grid.
constexpr char kNoticeFrame[] = "Frame4";

std::string readOnlyWord(const App& app) {
    return app.state().LanguageCode == kLanguageGerman ? "schreibgeschützt" : "read-only";
}

// The reason without the file's path that the engine's text starts with ("Could not use
// '/home/…/WinSTB.mdb'; file already in use (…)"): the frame has room for one short line.
std::string shortReason(const std::string& reason) {
    const std::string::size_type cut = reason.find("'; ");
    return cut == std::string::npos ? reason : reason.substr(cut + 3);
}

}  // namespace

void showReadOnlyState(App& app) {
    form::Form& f = app.mainForm();
    const engine::dao::Database* db = app.state().ChannelDb.get();
    if (db == nullptr || !db->isReadOnly()) {
        f.setTitleNote("");
        f.setCaption(kNoticeFrame, "");
        return;
    }
    const std::string word = readOnlyWord(app);
    const std::string reason = shortReason(db->readOnlyReason());
    f.setTitleNote(word);
    f.setCaption(kNoticeFrame, reason.empty() ? word : word + ": " + reason);
}

bool refuseWhileReadOnly(App& app) {
    const engine::dao::Database* db = app.state().ChannelDb.get();
    if (db == nullptr || !db->isReadOnly())
        return false;
    const std::string reason = db->readOnlyReason();
    app.showMessage(app.text(UiKey::msgWriteError) + "\r\n" + app.state().DbPath +
                        (reason.empty() ? std::string() : "\r\n" + reason),
                    ports::MessageButtons::Ok);
    return true;
}

}  // namespace velmora::core::app
