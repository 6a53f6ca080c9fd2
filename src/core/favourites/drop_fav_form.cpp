#include "core/favourites/drop_fav_form.h"

#include <algorithm>
#include <charconv>

namespace velmora::core::favourites {

namespace {

using form::ControlKind;
namespace dc = drop_fav_control;

constexpr char kLabelPrefix[] = "Label";

form::Control control(const char* name, ControlKind kind, const char* container,
                      form::TwipRect rect, const char* caption) {
    form::Control c;
    c.name = name;
    c.kind = kind;
    c.container = container;
    c.rect = rect;
    c.caption = caption;
    return c;
}

}  // namespace

std::string groupLabelName(int k) {
    return kLabelPrefix + std::to_string(k + 1);
}

int groupNumberOfLabel(const std::string& control) {
    const std::string_view prefix = kLabelPrefix;
    if (!control.starts_with(prefix))
        return 0;
    int number = 0;
    const char* first = control.data() + prefix.size();
    const char* last = control.data() + control.size();
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc() || end != last || number < 2)
        return 0;
    return number - 1;
}

std::unique_ptr<form::Form> createDropFavForm(int groupLabels) {
    auto f = std::make_unique<form::Form>(kDropFavFormName);
    f->addControl(
        control(dc::kModeFrame, ControlKind::Frame, "", {0, 0, kDropFavClientWidth, 400}, ""));
    f->addControl(control(dc::kAddMode, ControlKind::OptionButton, dc::kModeFrame,
                          {120, 120, 1140, 252}, "Hinzufügen"));
    form::Control replace = control(dc::kReplaceMode, ControlKind::OptionButton, dc::kModeFrame,
                                    {1260, 120, 972, 252}, "Ersetzen");
    replace.value = 1;
    f->addControl(std::move(replace));
    form::Control noGroup = control(dc::kNoGroupLabel, ControlKind::Label, "",
                                    {kLabelLeft, kFirstLabelTop, 0, 0}, "ZZZZ");
    noGroup.backColor = kLabelWhite;
    f->addControl(std::move(noGroup));
    for (int k = 1; k <= std::max(groupLabels, kDesignGroupLabels); ++k) {
        form::Control label;
        label.name = groupLabelName(k);
        label.kind = ControlKind::Label;
        label.rect = {kLabelLeft, kFirstLabelTop, 0, 0};
        label.visible = false;
        f->addControl(std::move(label));
    }
    f->setCaption(kDropFavCaption);
    return f;
}

}  // namespace velmora::core::favourites
