#include "app/form_layout.h"

#include <string>

#include "app/form.h"
#include "app/texts.h"
#include "record/period_hint.h"

namespace ts::layout {

namespace {

std::string Numbered(std::string_view base, int number) {
    return std::string(base) + std::to_string(number);
}

class Builder {
public:
    std::vector<ControlSpec> controls;

    // Adds a control and returns its index, the parent of what follows in it.
    int Add(ControlSpec spec) {
        controls.push_back(std::move(spec));
        return static_cast<int>(controls.size()) - 1;
    }
};

void AddChartArea(Builder& b) {
    const int chart = b.Add({.kind = Kind::Chart, .name = "Chart", .place = {0, 0, 665, 534},
                             .field = Field::Chart});
    b.Add({.kind = Kind::Label,
           .name = "Label_ErrDeviceNum",
           .caption = std::string(text::kWrongDeviceNumber),
           .parent = chart,
           .font = FontKind::Banner,
           .align = Align::Centre,
           .middle = true,
           .fitsText = true,
           .backColor = kColorBlack,
           .field = Field::Label_ErrDeviceNum});
    b.Add({.kind = Kind::CheckBox,
           .name = "CheckBox_ChartStop",
           .caption = std::string(text::kChartStop),
           .hint = std::string(text::kChartStopHint),
           .place = {40, 2, 60, 18},
           .parent = chart,
           .field = Field::CheckBox_ChartStop});  // a gate only, no handler
    b.Add({.kind = Kind::CheckBox,
           .name = "CheckBox_ChartAver",
           .caption = std::string(text::kChartAver),
           .hint = std::string(text::kChartAverHint),
           .place = {104, 2, 100, 18},
           .parent = chart,
           .handler = Handler::CheckBox_ChartAverClick,
           .field = Field::CheckBox_ChartAver});
    b.Add({.kind = Kind::Button,
           .name = "ButtonChartClear",
           .caption = std::string(text::kChartClear),
           .hint = std::string(text::kChartClearHint),
           .place = {210, 1, 76, 20},
           .parent = chart,
           .handler = Handler::ButtonChartClearClick,
           .field = Field::ButtonChartClear});
    b.Add({.kind = Kind::ColorSwatch,
           .name = "PanelColor_ChartBackGround",
           .hint = std::string(text::kBackgroundColorHint),
           .place = {596, 2, 17, 17},
           .parent = chart,
           .index = 7,
           .handler = Handler::PanelColorClick,
           .field = Field::PanelColor_ChartBackGround});
    b.Add({.kind = Kind::ColorSwatch,
           .name = "PanelColor_ChartGrid",
           .hint = std::string(text::kGridColorHint),
           .place = {618, 2, 17, 17},
           .parent = chart,
           .index = 8,
           .handler = Handler::PanelColorClick,
           .field = Field::PanelColor_ChartGrid});
}

void AddScaleGroup(Builder& b) {
    const int group = b.Add({.kind = Kind::GroupBox,
                             .name = "RadioGroup_X",
                             .caption = std::string(text::kScaleGroup),
                             .hint = std::string(text::kScaleGroupHint),
                             .place = {668, 0, 78, 547}});
    for (int i = 0; i < static_cast<int>(text::kScaleItems.size()); ++i) {
        // The group's hint is each item's too: on some systems a group's frame takes no mouse.
        b.Add({.kind = Kind::RadioButton,
               .name = Numbered("RadioGroup_X_Item", i),
               .caption = std::string(text::kScaleItems[static_cast<std::size_t>(i)]),
               .hint = std::string(text::kScaleGroupHint),
               .place = {6, 18 + i * 20, 70, 18},
               .parent = group,
               .radioGroup = RadioGroup::Scale,
               .index = i,
               .handler = Handler::RadioGroup_XClick,
               .field = Field::RadioGroup_X});
    }
}

void AddChannelPanels(Builder& b) {
    for (int c = 0; c < kChannels; ++c) {
        const int channel = c + 1;
        const int box = b.Add({.kind = Kind::GroupBox,
                               .name = Numbered("GroupBoxCH", channel),
                               .caption = std::string(text::kGroupBoxCH[static_cast<std::size_t>(c)]),
                               .place = {750 + (c % 2) * 131, (c / 2) * 99, 129, 97}});
        b.Add({.kind = Kind::Label,
               .name = Numbered("Label_ResCH", channel),
               .caption = std::string(text::kReadoutInitial),
               .hint = std::string(text::kReadoutHint),
               .place = {6, 18, 117, 24},
               .parent = box,
               .font = FontKind::Readout,
               .align = Align::Right,
               .middle = true,
               .sunken = true,
               .index = channel,
               .field = Field::Label_ResCH});
        b.Add({.kind = Kind::Button,
               .name = Numbered("B_ListF_CH", channel),
               .caption = std::string(text::kTableButton),
               .hint = std::string(text::kTableButtonHint),
               .place = {6, 47, 84, 20},
               .parent = box,
               .colouredCaption = true,
               .index = channel,
               .handler = Handler::B_ListF_Click,
               .field = Field::B_ListF_CH});
        b.Add({.kind = Kind::ColorSwatch,
               .name = Numbered("PanelColor_CurveCH", channel),
               .hint = std::string(text::kCurveColorHint),
               .place = {102, 48, 17, 17},
               .parent = box,
               .index = channel,
               .handler = Handler::PanelColorClick,
               .field = Field::PanelColor_CurveCH});
        b.Add({.kind = Kind::CheckBox,
               .name = Numbered("ChartEN_CH", channel),
               .caption = std::string(text::kChartEN),
               .hint = std::string(text::kChartENHint),
               .place = {6, 72, 58, 18},
               .parent = box,
               .index = channel,
               .handler = Handler::ChartEN_Click,
               .field = Field::ChartEN_CH});
        b.Add({.kind = Kind::CheckBox,
               .name = Numbered("FileEN_CH", channel),
               .caption = std::string(text::kFileEN),
               .hint = std::string(text::kFileENHint),
               .place = {66, 72, 58, 18},
               .parent = box,
               .index = channel,
               .field = Field::FileEN_CH});
    }
}

void AddRecordingGroup(Builder& b) {
    const int group = b.Add({.kind = Kind::GroupBox,
                             .name = "GroupBoxFile",
                             .caption = std::string(text::kFileGroup),
                             .place = {750, 297, 261, 250}});
    b.Add({.kind = Kind::Label,
           .name = "LabelPeriod",
           .caption = std::string(text::kLabelPeriod),
           .place = {6, 15, 120, 14},
           .parent = group});
    for (int i = 0; i < kRecordChoices; ++i) {
        const auto caption = text::kRecordChoiceCaptions[static_cast<std::size_t>(i)];
        ControlSpec radio{.kind = Kind::RadioButton,
                          .name = std::string(text::kRecordChoiceNames[static_cast<std::size_t>(i)]),
                          .caption = std::string(caption),
                          .hint = RecordPeriodHint(caption),
                          // "Всё" and the 17 periods fill rows of four.
                          .place = {6 + (i % 4) * 62, 32 + (i / 4) * 16, 62, 16},
                          .parent = group,
                          .radioGroup = RadioGroup::RecordChoice,
                          .index = i,
                          .field = Field::RadioB_File};
        if (i == kRecordChoiceAll) {
            radio.hint = text::kRecordAllHint;
            radio.place = {6, 32, 60, 16};
        } else if (i == kRecordChoiceOnChange) {
            radio.hint = text::kRecordOnChangeHint;
            radio.place = {6, 116, 110, 16};
        }
        b.Add(std::move(radio));
    }
    b.Add({.kind = Kind::Label,
           .name = "Label_FileOnChangeSens",
           .caption = std::string(text::kOnChangeSens),
           .place = {6, 138, 130, 16},
           .parent = group,
           .field = Field::Label_FileOnChangeSens});
    ControlSpec threshold{.kind = Kind::ComboBox,
                          .name = "ComboBox_FileOnChangeThresh",
                          .hint = std::string(text::kOnChangeThreshHint),
                          .place = {136, 136, 50, 20},
                          .parent = group,
                          .field = Field::ComboBox_FileOnChangeThresh};
    for (int i = 1; i <= kThresholdItems; ++i) threshold.items.push_back(std::to_string(i));
    b.Add(std::move(threshold));
    b.Add({.kind = Kind::CheckBox,
           .name = "CheckBox_FileDataAver",
           .caption = std::string(text::kDataAver),
           .hint = std::string(text::kDataAverHint),
           .place = {120, 116, 135, 16},
           .parent = group,
           .field = Field::CheckBox_FileDataAver});
    b.Add({.kind = Kind::Button,
           .name = "B_File",
           .caption = std::string(text::kButtonFile),
           .hint = std::string(text::kButtonFileHint),
           .place = {6, 164, 76, 24},
           .parent = group,
           .handler = Handler::B_FileClick,
           .field = Field::B_File});
    b.Add({.kind = Kind::Button,
           .name = "B_FileSaveStart",
           .caption = std::string(text::kButtonStart),
           .hint = std::string(text::kButtonStartHint),
           .place = {90, 164, 76, 24},
           .parent = group,
           .handler = Handler::B_FileSaveStartClick,
           .field = Field::B_FileSaveStart});
    b.Add({.kind = Kind::Button,
           .name = "B_FileSaveStop",
           .caption = std::string(text::kButtonStop),
           .hint = std::string(text::kButtonStopHint),
           .place = {174, 164, 76, 24},
           .parent = group,
           .handler = Handler::B_FileSaveStopClick,
           .field = Field::B_FileSaveStop});
    b.Add({.kind = Kind::Label,
           .name = "Label_FileRecordTime",
           .hint = std::string(text::kResultFileHint),
           .place = {6, 198, 250, 16},
           .parent = group,
           .field = Field::Label_FileRecordTime});
    // Its width follows its text, within kFileNameRoom.
    b.Add({.kind = Kind::Label,
           .name = "Label_ResultFileName",
           .hint = std::string(text::kResultFileHint),
           .place = {6, 222, 250, 16},
           .parent = group,
           .field = Field::Label_ResultFileName});
}

void AddStatusLine(Builder& b) {
    b.Add({.kind = Kind::Label,
           .name = "Text_Label_21",
           .caption = std::string(text::kConnectionLabel),
           .place = {4, 534, 150, 13}});
    // Its hint, the link statistics, comes from the model.
    b.Add({.kind = Kind::Label,
           .name = "Label_Connection_Indicator",
           .place = {156, 534, 60, 13},
           .font = FontKind::Bold,
           .field = Field::Label_Connection_Indicator});
}

std::vector<MenuSpec> BuildMenus() {
    MenuSpec port{.name = "M_Menu_Setting_Port",
                  .caption = std::string(text::kMenuPort),
                  .onOpen = Handler::M_Menu_Setting_PortClick};
    for (int k = 1; k <= kDeviceMenuItems; ++k) {
        // The first items show a bullet when checked, the rest a tick.
        port.items.push_back({.name = Numbered("M_Menu_Setting_Connection_", k),
                              .mark = k <= kDeviceRadioItems ? Mark::Bullet : Mark::Tick,
                              .index = k,
                              .handler = Handler::M_Menu_Setting_ConnectionClick,
                              .field = Field::M_Menu_Setting_Connection});
    }
    MenuSpec mode{.name = "M_Menu_Mode",
                  .caption = std::string(text::kMenuMode),
                  .field = Field::M_Menu_Mode,
                  .items = {{.name = "M_Menu_Mode_Norm",
                             .caption = std::string(text::kMenuModeNorm),
                             .mark = Mark::Bullet,
                             .handler = Handler::M_Menu_Mode_NormClick,
                             .field = Field::M_Menu_Mode_Norm},
                            {.name = "M_Menu_Mode_Demo",
                             .caption = std::string(text::kMenuModeDemo),
                             .mark = Mark::Bullet,
                             .handler = Handler::M_Menu_Mode_DemoClick,
                             .field = Field::M_Menu_Mode_Demo}}};
    MenuSpec help{.name = "M_Menu_Help",
                  .caption = std::string(text::kMenuHelp),
                  .items = {{.name = "M_Menu_Help_About",
                             .caption = std::string(text::kMenuHelpAbout),
                             .handler = Handler::M_Menu_Help_AboutClick}}};
    return {std::move(port), std::move(mode), std::move(help)};
}

}  // namespace

const WindowSpec& MainWindow() {
    static const WindowSpec spec{"MF", std::string(text::kMainCaption), 1011, 547, "M_Menu"};
    return spec;
}

const std::vector<ControlSpec>& MainWindowControls() {
    static const std::vector<ControlSpec> controls = [] {
        Builder b;
        AddChartArea(b);
        AddScaleGroup(b);
        AddChannelPanels(b);
        AddRecordingGroup(b);
        AddStatusLine(b);
        return std::move(b.controls);
    }();
    return controls;
}

const std::vector<MenuSpec>& MainWindowMenus() {
    static const std::vector<MenuSpec> menus = BuildMenus();
    return menus;
}

const WindowSpec& AboutBox() {
    static const WindowSpec spec{"FA", std::string(text::kAboutCaption), 244, 114, {}};
    return spec;
}

const std::vector<ControlSpec>& AboutBoxControls() {
    static const std::vector<ControlSpec> controls = {
        {.kind = Kind::Label,
         .name = "Label_AboutTitle",
         .caption = std::string(text::kAboutLine1),
         .place = {0, 14, 244, 20},
         .font = FontKind::Bold,
         .align = Align::Centre},
        {.kind = Kind::Label,
         .name = "Label_AboutModel",
         .caption = std::string(text::kAboutLine2),
         .place = {0, 40, 244, 20},
         .align = Align::Centre},
        {.kind = Kind::Button,
         .name = "B_Close",
         .caption = std::string(text::kAboutClose),
         .place = {82, 76, 80, 25},
         .handler = Handler::B_CloseClick},
    };
    return controls;
}

Place PlaceInWindow(std::span<const ControlSpec> controls, std::size_t index) {
    Place place = controls[index].place;
    for (int parent = controls[index].parent; parent >= 0;
         parent = controls[static_cast<std::size_t>(parent)].parent) {
        place.x += controls[static_cast<std::size_t>(parent)].place.x;
        place.y += controls[static_cast<std::size_t>(parent)].place.y;
    }
    return place;
}

int IndexOf(std::span<const ControlSpec> controls, std::string_view name) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace ts::layout
