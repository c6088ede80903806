#include "app/form_layout.h"

#include <string>

#include "base/form.h"
#include "base/texts.h"
#include "record/period_hint.h"

namespace ts::layout {

namespace {

std::string Numbered(std::string_view base, int number) {
    return std::string(base) + std::to_string(number);
}

// Adds the controls of a window in creation order; a control's parent is the index Add gave it.
class Builder {
public:
    std::vector<ControlEntry> controls;

    ControlEntry& Add(Kind kind, std::string_view name, std::string_view caption,
                      std::string_view hint, Place place, int parent, Field field = Field::None,
                      Handler handler = Handler::None, int index = 0) {
        ControlEntry& entry = controls.emplace_back();
        entry.kind = kind;
        entry.name = name;
        entry.caption = caption;
        entry.hint = hint;
        entry.place = place;
        entry.parent = parent;
        entry.field = field;
        entry.handler = handler;
        entry.index = index;
        return entry;
    }
    int Last() const { return static_cast<int>(controls.size()) - 1; }
};

void AddChartArea(Builder& b) {
    b.Add(Kind::Chart, "Chart", {}, {}, {0, 0, 665, 534}, -1, Field::Chart);
    const int chart = b.Last();
    ControlEntry& banner = b.Add(Kind::Label, "Label_ErrDeviceNum", text::kWrongDeviceNumber, {},
                                 {}, chart, Field::Label_ErrDeviceNum);
    banner.font = FontKind::Banner;
    banner.align = Align::Centre;
    banner.middle = banner.fitsText = true;
    banner.backColor = kColorBlack;
    // A gate only, no handler.
    b.Add(Kind::CheckBox, "CheckBox_ChartStop", text::kChartStop, text::kChartStopHint,
          {40, 2, 60, 18}, chart, Field::CheckBox_ChartStop);
    b.Add(Kind::CheckBox, "CheckBox_ChartAver", text::kChartAver, text::kChartAverHint,
          {104, 2, 100, 18}, chart, Field::CheckBox_ChartAver, Handler::CheckBox_ChartAverClick);
    b.Add(Kind::Button, "ButtonChartClear", text::kChartClear, text::kChartClearHint,
          {210, 1, 76, 20}, chart, Field::ButtonChartClear, Handler::ButtonChartClearClick);
    b.Add(Kind::ColorSwatch, "PanelColor_ChartBackGround", {}, text::kBackgroundColorHint,
          {596, 2, 17, 17}, chart, Field::PanelColor_ChartBackGround, Handler::PanelColorClick, 7);
    b.Add(Kind::ColorSwatch, "PanelColor_ChartGrid", {}, text::kGridColorHint, {618, 2, 17, 17},
          chart, Field::PanelColor_ChartGrid, Handler::PanelColorClick, 8);
}

void AddScaleGroup(Builder& b) {
    b.Add(Kind::GroupBox, "RadioGroup_X", text::kScaleGroup, text::kScaleGroupHint,
          {668, 0, 78, 547}, -1);
    const int group = b.Last();
    for (int i = 0; i < static_cast<int>(text::kScaleItems.size()); ++i) {
        // The group's hint is each item's too: on some systems a group's frame takes no mouse.
        b.Add(Kind::RadioButton, Numbered("RadioGroup_X_Item", i),
              text::kScaleItems[static_cast<std::size_t>(i)], text::kScaleGroupHint,
              {6, 18 + i * 20, 70, 18}, group, Field::RadioGroup_X, Handler::RadioGroup_XClick, i)
            .radioGroup = RadioGroup::Scale;
    }
}

void AddChannelPanels(Builder& b) {
    for (int c = 0; c < kChannels; ++c) {
        const int channel = c + 1;
        b.Add(Kind::GroupBox, Numbered("GroupBoxCH", channel),
              text::kGroupBoxCH[static_cast<std::size_t>(c)], {},
              {750 + (c % 2) * 131, (c / 2) * 99, 129, 97}, -1);
        const int box = b.Last();
        ControlEntry& readout =
            b.Add(Kind::Label, Numbered("Label_ResCH", channel), text::kReadoutInitial,
                  text::kReadoutHint, {6, 18, 117, 24}, box, Field::Label_ResCH, {}, channel);
        readout.font = FontKind::Readout;
        readout.align = Align::Right;
        readout.middle = readout.sunken = true;
        b.Add(Kind::Button, Numbered("B_ListF_CH", channel), text::kTableButton,
              text::kTableButtonHint, {6, 47, 84, 20}, box, Field::B_ListF_CH,
              Handler::B_ListF_Click, channel)
            .colouredCaption = true;
        b.Add(Kind::ColorSwatch, Numbered("PanelColor_CurveCH", channel), {}, text::kCurveColorHint,
              {102, 48, 17, 17}, box, Field::PanelColor_CurveCH, Handler::PanelColorClick, channel);
        b.Add(Kind::CheckBox, Numbered("ChartEN_CH", channel), text::kChartEN, text::kChartENHint,
              {6, 72, 58, 18}, box, Field::ChartEN_CH, Handler::ChartEN_Click, channel);
        b.Add(Kind::CheckBox, Numbered("FileEN_CH", channel), text::kFileEN, text::kFileENHint,
              {66, 72, 58, 18}, box, Field::FileEN_CH, Handler::None, channel);
    }
}

void AddRecordingGroup(Builder& b) {
    b.Add(Kind::GroupBox, "GroupBoxFile", text::kFileGroup, {}, {750, 297, 261, 250}, -1);
    const int group = b.Last();
    b.Add(Kind::Label, "LabelPeriod", text::kLabelPeriod, {}, {6, 15, 120, 14}, group);
    for (int i = 0; i < kRecordChoices; ++i) {
        const auto caption = text::kRecordChoiceCaptions[static_cast<std::size_t>(i)];
        // "Всё" and the 17 periods fill rows of four.
        ControlEntry& radio =
            b.Add(Kind::RadioButton, text::kRecordChoiceNames[static_cast<std::size_t>(i)], caption,
                  RecordPeriodHint(caption), {6 + (i % 4) * 62, 32 + (i / 4) * 16, 62, 16}, group,
                  Field::RadioB_File, Handler::None, i);
        radio.radioGroup = RadioGroup::RecordChoice;
        if (i == kRecordChoiceAll) {
            radio.hint = text::kRecordAllHint;
            radio.place = {6, 32, 60, 16};
        } else if (i == kRecordChoiceOnChange) {
            radio.hint = text::kRecordOnChangeHint;
            radio.place = {6, 116, 110, 16};
        }
    }
    b.Add(Kind::Label, "Label_FileOnChangeSens", text::kOnChangeSens, {}, {6, 138, 130, 16}, group,
          Field::Label_FileOnChangeSens);
    ControlEntry& threshold =
        b.Add(Kind::ComboBox, "ComboBox_FileOnChangeThresh", {}, text::kOnChangeThreshHint,
              {136, 136, 50, 20}, group, Field::ComboBox_FileOnChangeThresh);
    for (int i = 1; i <= kThresholdItems; ++i) threshold.items.push_back(std::to_string(i));
    b.Add(Kind::CheckBox, "CheckBox_FileDataAver", text::kDataAver, text::kDataAverHint,
          {120, 116, 135, 16}, group, Field::CheckBox_FileDataAver);
    b.Add(Kind::Button, "B_File", text::kButtonFile, text::kButtonFileHint, {6, 164, 76, 24}, group,
          Field::B_File, Handler::B_FileClick);
    b.Add(Kind::Button, "B_FileSaveStart", text::kButtonStart, text::kButtonStartHint,
          {90, 164, 76, 24}, group, Field::B_FileSaveStart, Handler::B_FileSaveStartClick);
    b.Add(Kind::Button, "B_FileSaveStop", text::kButtonStop, text::kButtonStopHint,
          {174, 164, 76, 24}, group, Field::B_FileSaveStop, Handler::B_FileSaveStopClick);
    b.Add(Kind::Label, "Label_FileRecordTime", {}, text::kResultFileHint, {6, 198, 250, 16}, group,
          Field::Label_FileRecordTime);
    // Its width follows its text, within kFileNameRoom.
    b.Add(Kind::Label, "Label_ResultFileName", {}, text::kResultFileHint, {6, 222, 250, 16}, group,
          Field::Label_ResultFileName);
}

void AddStatusLine(Builder& b) {
    b.Add(Kind::Label, "Text_Label_21", text::kConnectionLabel, {}, {4, 534, 150, 13}, -1);
    // Its hint, the link statistics, comes from the model.
    b.Add(Kind::Label, "Label_Connection_Indicator", {}, {}, {156, 534, 60, 13}, -1,
          Field::Label_Connection_Indicator)
        .font = FontKind::Bold;
}

std::vector<MenuEntry> BuildMenus() {
    MenuEntry port{.name = "M_Menu_Setting_Port",
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
    MenuEntry mode{.name = "M_Menu_Mode",
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
    MenuEntry review{.name = "M_Menu_Review",
                     .caption = std::string(text::kMenuReview),
                     .items = {{.name = "M_Menu_Review_Open",
                                .caption = std::string(text::kMenuReviewOpen),
                                .handler = Handler::M_Menu_Review_OpenClick}}};
    MenuEntry help{.name = "M_Menu_Help",
                   .caption = std::string(text::kMenuHelp),
                   .items = {{.name = "M_Menu_Help_About",
                              .caption = std::string(text::kMenuHelpAbout),
                              .handler = Handler::M_Menu_Help_AboutClick}}};
    return {std::move(port), std::move(mode), std::move(review), std::move(help)};
}

}  // namespace

const WindowEntry& MainWindow() {
    static const WindowEntry entry{"MF", std::string(text::kMainCaption), 1011, 547, "M_Menu"};
    return entry;
}

const std::vector<ControlEntry>& MainWindowControls() {
    static const std::vector<ControlEntry> controls = [] {
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

const std::vector<MenuEntry>& MainWindowMenus() {
    static const std::vector<MenuEntry> menus = BuildMenus();
    return menus;
}

const WindowEntry& ReviewWindow() {
    static const WindowEntry entry{"FR", std::string(text::kReviewCaption), 1011, 600, {}};
    return entry;
}

const std::vector<ControlEntry>& ReviewWindowControls() {
    static const std::vector<ControlEntry> controls = [] {
        Builder b;
        b.Add(Kind::ReviewChart, "ReviewChart", {}, text::kReviewChartHint, {0, 0, 740, 440}, -1,
              Field::Review_Chart);
        b.Add(Kind::ScrollBar, "ScrollBar_Time", {}, text::kReviewScrollHint, {0, 440, 740, 17}, -1,
              Field::Review_Scroll, Handler::Review_ScrollChange);
        b.Add(Kind::Label, "Label_Cursor", {}, {}, {6, 462, 734, 16}, -1, Field::Review_Cursor);
        // A line for the stretch and one for each channel.
        b.Add(Kind::Label, "Label_Selection", {}, {}, {6, 480, 734, 100}, -1,
              Field::Review_Selection)
            .top = true;
        b.Add(Kind::Label, "Label_Damage", {}, {}, {6, 582, 734, 16}, -1, Field::Review_Damage);

        b.Add(Kind::GroupBox, "RadioGroup_Span", text::kScaleGroup, text::kScaleGroupHint,
              {744, 0, 78, 547}, -1);
        const int spans = b.Last();
        for (int i = 0; i < static_cast<int>(text::kScaleItems.size()); ++i) {
            b.Add(Kind::RadioButton, Numbered("RadioGroup_Span_Item", i),
                  text::kScaleItems[static_cast<std::size_t>(i)], text::kScaleGroupHint,
                  {6, 18 + i * 20, 70, 18}, spans, Field::Review_Span, Handler::Review_SpanClick, i)
                .radioGroup = RadioGroup::ReviewSpan;
        }

        b.Add(Kind::GroupBox, "GroupBoxChannels", text::kReviewChannelsGroup, {},
              {826, 0, 181, 176}, -1);
        const int channels = b.Last();
        for (int c = 0; c < kChannels; ++c) {
            const int channel = c + 1;
            b.Add(Kind::CheckBox, Numbered("CheckBox_ShowCH", channel),
                  std::string(text::kReviewShowCH) + std::to_string(channel),
                  text::kReviewShowCHHint, {8, 18 + c * 20, 90, 18}, channels, Field::Review_ShowCH,
                  Handler::Review_ChannelClick, channel);
            b.Add(Kind::ColorSwatch, Numbered("PanelColor_CurveCH", channel), {}, {},
                  {104, 19 + c * 20, 17, 17}, channels, Field::Review_CurveCH, Handler::None,
                  channel);
        }
        b.Add(Kind::CheckBox, "CheckBox_Follow", text::kReviewFollow, text::kReviewFollowHint,
              {8, 146, 165, 18}, channels, Field::Review_Follow, Handler::Review_FollowClick);

        b.Add(Kind::GroupBox, "GroupBoxExport", text::kReviewExportGroup, {}, {826, 180, 181, 104},
              -1);
        const int exportBox = b.Last();
        b.Add(Kind::Label, "LabelEvery", text::kReviewEveryLabel, {}, {8, 18, 165, 16}, exportBox);
        ControlEntry& every = b.Add(Kind::ComboBox, "ComboBox_Every", {}, text::kReviewEveryHint,
                                    {8, 36, 165, 22}, exportBox, Field::Review_Every);
        for (const auto item : text::kReviewEveryItems) every.items.emplace_back(item);
        b.Add(Kind::Button, "B_ExportCsv", text::kReviewExportCsv, text::kReviewExportCsvHint,
              {8, 68, 78, 24}, exportBox, Field::Review_ExportCsv, Handler::Review_ExportCsvClick);
        b.Add(Kind::Button, "B_ExportPng", text::kReviewExportPng, text::kReviewExportPngHint,
              {95, 68, 78, 24}, exportBox, Field::Review_ExportPng, Handler::Review_ExportPngClick);

        b.Add(Kind::Label, "Label_Progress", {}, {}, {830, 292, 177, 32}, -1,
              Field::Review_Progress);
        return std::move(b.controls);
    }();
    return controls;
}

const WindowEntry& AboutBox() {
    static const WindowEntry entry{"FA", std::string(text::kAboutCaption), 244, 114, {}};
    return entry;
}

const std::vector<ControlEntry>& AboutBoxControls() {
    static const std::vector<ControlEntry> controls = [] {
        Builder b;
        b.Add(Kind::Label, "Label_AboutTitle", text::kAboutLine1, {}, {0, 14, 244, 20}, -1);
        b.controls.back().font = FontKind::Bold;
        b.controls.back().align = Align::Centre;
        b.Add(Kind::Label, "Label_AboutModel", text::kAboutLine2, {}, {0, 40, 244, 20}, -1).align =
            Align::Centre;
        b.Add(Kind::Button, "B_Close", text::kAboutClose, {}, {82, 76, 80, 25}, -1, Field::None,
              Handler::B_CloseClick);
        return std::move(b.controls);
    }();
    return controls;
}

Place PlaceInWindow(std::span<const ControlEntry> controls, std::size_t index) {
    Place place = controls[index].place;
    for (int parent = controls[index].parent; parent >= 0;
         parent = controls[static_cast<std::size_t>(parent)].parent) {
        place.x += controls[static_cast<std::size_t>(parent)].place.x;
        place.y += controls[static_cast<std::size_t>(parent)].place.y;
    }
    return place;
}

int IndexOf(std::span<const ControlEntry> controls, std::string_view name) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace ts::layout
