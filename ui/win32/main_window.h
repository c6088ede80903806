#pragma once

#include <array>
#include <memory>
#include <string>

#include "about_box.h"
#include "app/station.h"
#include "controls.h"
#include "strip_chart.h"
#include "win32_ui.h"
#include "window_base.h"

namespace ts::win32 {

// Menu item identifiers.
constexpr int kIdDeviceItem = 1001;  // .. 1008
constexpr int kIdModeNorm = 1101;
constexpr int kIdModeDemo = 1102;
constexpr int kIdAbout = 1201;

// The main window: builds every control under its name, forwards each user event to the
// station's handler and mirrors the station's presentation model after every handler and
// every timer tick. It owns no behaviour of its own.
class TMF final : public WindowBase {
public:
    TMF(Driver& driver, Platform& platform);
    ~TMF() override;

    StripChart& chart() { return chart_; }
    TFA& aboutBox() { return *about_; }
    // The control named as in the Qt window, or null.
    Control* Find(std::string_view name) const { return controls_->Find(name); }
    HMENU DeviceMenu() const { return portMenu_; }
    ControlSet& controls() { return *controls_; }

    // Copies the presentation model to the controls, touching only what differs.
    void ApplyForm();
    template <typename F>
    void Run(F&& handler) {
        handler();
        ApplyForm();
    }
    void M_Menu_Help_AboutClick();
    // FormClose once, however the window comes to close.
    void Close();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildChartArea();
    void BuildScaleGroup();
    void BuildChannelPanels();
    void BuildRecordingGroup();
    void BuildStatusLine();
    void BuildMenu();
    void StartTimers();
    void FitToDpi(UINT dpi, const RECT* suggested);
    void OnMenuCommand(int id);
    void MirrorDeviceMenu();
    void MirrorModeMenu();

    std::unique_ptr<ControlSet> controls_;
    std::unique_ptr<Win32Ui> ui_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<TFA> about_;
    bool closed_ = false;

    StripChart chart_;
    Label errDeviceNum_;
    CheckBox chartStop_;
    CheckBox chartAver_;
    PushButton chartClear_;
    ColorSwatch backgroundSwatch_;
    ColorSwatch gridSwatch_;
    GroupBox scaleGroup_;
    std::array<RadioButton, kChartScales> scaleItems_;

    std::array<GroupBox, kChannels> channelGroups_;
    std::array<Label, kChannels> readouts_;
    std::array<PushButton, kChannels> tableButtons_;
    std::array<CheckBox, kChannels> chartEnables_;
    std::array<CheckBox, kChannels> fileEnables_;
    std::array<ColorSwatch, kChannels> curveSwatches_;

    GroupBox fileGroup_;
    Label period_;
    std::array<RadioButton, kRecordChoices> recordChoices_;
    Label onChangeSens_;
    ComboBox threshold_;
    PushButton fileButton_;
    PushButton startButton_;
    PushButton stopButton_;
    CheckBox dataAver_;
    Label recordTime_;
    Label resultFileName_;

    Label connectionCaption_;
    Label connectionIndicator_;

    HMENU menuBar_ = nullptr;
    HMENU portMenu_ = nullptr;
    HMENU modeMenu_ = nullptr;
    HMENU helpMenu_ = nullptr;
    // What the menus show now, so that they are rebuilt only when the model differs.
    std::array<MenuItemState, kDeviceMenuItems> shownDeviceItems_;
    bool deviceMenuShown_ = false;
    std::string shownModeCaption_;
};

// Runs the message loop until the main window has closed, with the dialog keys (Tab, arrows,
// Enter, Escape) for both windows. Returns the exit status.
int RunMessageLoop(TMF& window);

}  // namespace ts::win32
