// The Win32 window driven as a person drives it, through window messages, on the emulated
// D2XX library: clicks on buttons, radio buttons and menu items, the dialogs answered; then
// the controls and the files are read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/form_layout.h"
#include "base/texts.h"
#include "chart/png_file.h"
#include "device/d2xx/d2xx_driver.h"
#include "file_text.h"
#include "form_probe.h"
#include "main_window.h"
#include "platform/system_file.h"
#include "platform/windows/wide_text.h"
#include "review/result_file_rig.h"
#include "review/review_model.h"
#include "settings_text.h"
#include "sim/frame_encoder.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"
#include "temp_folder.h"
#include "win32.h"

#include <shlobj.h>

namespace {

using namespace ts;
using namespace std::chrono_literals;

// The bridge the settings name, as the emulated library offers it.
constexpr char kDescription[] = "KSL-USB";
constexpr char kSerial[] = "00000001";

// A table of two points, codes 0..1023 onto 0..100.
constexpr std::string_view kTable = "0 0\r\n1023 100\r\n";

// Answers the boxes and dialogs of this thread as a person would: a message box with Yes when
// it asks, else with OK, noting its text; a file dialog with the name in `typedName`, typed into
// its name box and confirmed.
class Person {
public:
    Person() {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 5, &Tick);
    }
    ~Person() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    std::vector<std::string> boxTexts;
    std::vector<std::string> dialogTitles;
    std::string typedName;

private:
    // The name box of the common file dialogs.
    static constexpr int kFileNameBox = 0x47C;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Person& person = *current_;
        if (person.dialog_ != nullptr && !IsWindow(person.dialog_)) {
            person.dialog_ = nullptr;
            person.typedName.clear();
        }
        EnumThreadWindows(GetCurrentThreadId(), &Answer, 0);
    }
    static BOOL CALLBACK Answer(HWND hwnd, LPARAM) {
        wchar_t className[16] = {};
        GetClassNameW(hwnd, className, 16);
        if (std::wstring_view(className) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
        Person& person = *current_;
        if (GetDlgItem(hwnd, kFileNameBox) != nullptr) {
            // Typed again while the dialog stays: it may have come up before it could take it.
            if (person.typedName.empty() || !IsWindowEnabled(hwnd)) return TRUE;
            if (hwnd != person.dialog_) {
                wchar_t title[256] = {};
                GetWindowTextW(hwnd, title, 256);
                person.dialogTitles.push_back(Narrow(title));
                person.dialog_ = hwnd;
                person.lastTyped_ = GetTickCount() - 1000;
            }
            if (GetTickCount() - person.lastTyped_ < 200) return TRUE;
            person.lastTyped_ = GetTickCount();
            // Typed as a person on Windows writes a path.
            std::wstring name = Widen(person.typedName);
            std::replace(name.begin(), name.end(), L'/', L'\\');
            SetDlgItemTextW(hwnd, kFileNameBox, name.c_str());
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
            return TRUE;
        }
        if (std::find(person.answered_.begin(), person.answered_.end(), hwnd) ==
            person.answered_.end()) {
            wchar_t text[1024] = {};
            GetDlgItemTextW(hwnd, 0xFFFF, text, 1024);  // the box's message
            person.boxTexts.push_back(Narrow(text));
            person.answered_.push_back(hwnd);
        }
        PostMessageW(hwnd, WM_COMMAND, GetDlgItem(hwnd, IDYES) != nullptr ? IDYES : IDOK, 0);
        return TRUE;
    }
    static inline Person* current_ = nullptr;
    UINT_PTR timer_ = 0;
    std::vector<HWND> answered_;
    HWND dialog_ = nullptr;
    DWORD lastTyped_ = 0;
};

// The bridge library's driver, handing a copy of every byte read to whoever listens.
class ListenedDriver final : public Driver {
public:
    std::function<void(std::span<const std::uint8_t>)> listener;
    D2xxDriver bridge;

    FtStatus CreateDeviceInfoList(std::uint32_t& count) override {
        return bridge.CreateDeviceInfoList(count);
    }
    FtStatus GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                 char (&description)[kDescriptionBufferSize]) override {
        return bridge.GetDeviceInfoDetail(index, serial, description);
    }
    FtStatus Open(std::uint32_t index, FtHandle& handle) override {
        return bridge.Open(index, handle);
    }
    FtStatus Close(FtHandle handle) override { return bridge.Close(handle); }
    FtStatus ResetDevice(FtHandle handle) override { return bridge.ResetDevice(handle); }
    FtStatus SetBaudRate(FtHandle handle, std::uint32_t baud) override {
        return bridge.SetBaudRate(handle, baud);
    }
    FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t word, std::uint8_t stop,
                                    std::uint8_t parity) override {
        return bridge.SetDataCharacteristics(handle, word, stop, parity);
    }
    FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override {
        return bridge.SetTimeouts(handle, readMs, writeMs);
    }
    FtStatus SetFlowControl(FtHandle handle, std::uint16_t flow, std::uint8_t xon,
                            std::uint8_t xoff) override {
        return bridge.SetFlowControl(handle, flow, xon, xoff);
    }
    FtStatus GetStatus(FtHandle handle, std::uint32_t& rxBytes) override {
        return bridge.GetStatus(handle, rxBytes);
    }
    FtStatus Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                  std::uint32_t& bytesRead) override {
        const FtStatus status = bridge.Read(handle, buffer, toRead, bytesRead);
        if (status == kFtOk && listener) listener({buffer, bytesRead});
        return status;
    }
};

// The window on the emulated bridges `bridges` ("description,serial,sim;..."), started in a
// folder of its own from `settings`, shown, with every box answered.
struct WindowRig {
    TempFolder folder;
    Person person;
    sim::TestPlatform platform;
    std::unique_ptr<ListenedDriver> driver;
    std::unique_ptr<win32::TMF> window;

    explicit WindowRig(const std::string& settings,
                       const std::string& bridges = std::string(kDescription) + "," + kSerial +
                                                    ",sim",
                       std::function<void(std::span<const std::uint8_t>)> listener = {}) {
        WriteAll(folder / "Settings.bin", settings);
        SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", Widen(bridges).c_str());
        driver = std::make_unique<ListenedDriver>();
        driver->listener = std::move(listener);
        platform.currentDirectory = folder.path();
        window = std::make_unique<win32::TMF>(*driver, platform);
        ShowWindow(window->hwnd(), SW_SHOW);
        Pump(50ms);
    }
    ~WindowRig() {
        window.reset();
        // The window ends the message loop as it goes; the next window's boxes need one.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        driver.reset();
        SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", nullptr);
    }

    HWND Control(const char* name) const {
        const win32::Control* control = window->Find(name);
        if (control == nullptr) ADD_FAILURE() << "no control " << name;
        return control != nullptr ? control->hwnd : nullptr;
    }
    void Click(const char* name) {
        SendMessageW(Control(name), BM_CLICK, 0, 0);
        Pump(20ms);
    }
    std::string Text(const char* name) const {
        wchar_t text[512] = {};
        GetWindowTextW(Control(name), text, 512);
        return Narrow(text);
    }
    bool Checked(const char* name) const {
        return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // Opens the device menu, as a click on its title does.
    HMENU OpenDeviceMenu() {
        SendMessageW(window->hwnd(), WM_INITMENUPOPUP,
                     reinterpret_cast<WPARAM>(window->DeviceMenu()), 0);
        Pump(20ms);
        return window->DeviceMenu();
    }
    void ChooseMenuItem(UINT id) {
        SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        Pump(20ms);
    }
    std::vector<std::string> SettingsLines() const {
        return Lines(ReadAll(folder / "Settings.bin"));
    }

    // Runs the message loop, timers and all, until `done` holds or `limit` has passed.
    static bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (done()) return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        } while (std::chrono::steady_clock::now() < end);
        return done();
    }
    static void Pump(std::chrono::milliseconds time) {
        PumpUntil([] { return false; }, time);
    }
    bool LinkUp() {
        return PumpUntil([this] { return Text("Label_Connection_Indicator") == "ЕСТЬ"; }, 10s);
    }
};

std::string NamedBridgeSettings(std::vector<std::pair<int, std::string>> changes = {}) {
    changes.insert(changes.begin(), {{0, kDescription}, {1, kSerial}});
    return SettingsText(changes);
}

TEST(Win32Window, DeviceMenuListsTheBridgesAndTheChosenOneLinksAndIsSavedOnClosing) {
    WindowRig rig(SettingsText(), "KSL-USB,00000001,sim;KSL-USB,00000002,sim");
    ASSERT_FALSE(rig.person.boxTexts.empty());
    EXPECT_EQ(rig.person.boxTexts.back(), "   Требуемый Прибор не найден!");

    HMENU menu = rig.OpenDeviceMenu();
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    const auto itemText = [menu](int position) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
        return Narrow(text);
    };
    EXPECT_EQ(itemText(0), "KSL-USB   00000001");
    EXPECT_EQ(itemText(1), "KSL-USB   00000002");

    rig.ChooseMenuItem(GetMenuItemID(menu, 1));
    EXPECT_TRUE(rig.LinkUp());
    menu = rig.OpenDeviceMenu();
    EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));

    // Choosing saved them already: only the close can bring them back.
    std::filesystem::remove(std::filesystem::path(Widen(rig.folder / "Settings.bin")));
    SendMessageW(rig.window->hwnd(), WM_CLOSE, 0, 0);
    const std::vector<std::string> lines = rig.SettingsLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "KSL-USB");
    EXPECT_EQ(lines[1], "00000002");
}

// Logoff and shutdown end the program as the close button does: the settings are saved.
TEST(Win32Window, EveryWayOfEndingSavesTheSettings) {
    const std::vector<std::pair<const char*, std::vector<UINT>>> endings = {
        {"close", {WM_CLOSE}},
        {"logoff", {WM_QUERYENDSESSION, WM_ENDSESSION}},
    };
    for (const auto& [name, messages] : endings) {
        SCOPED_TRACE(name);
        WindowRig rig(NamedBridgeSettings());
        rig.Click("RadioGroup_X_Item5");
        for (UINT message : messages) {
            SendMessageW(rig.window->hwnd(), message, message == WM_ENDSESSION, ENDSESSION_LOGOFF);
        }
        const std::vector<std::string> lines = rig.SettingsLines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[2], "5");
    }
}

TEST(Win32Window, ScaleRadioGroupSwitchesTheBottomAxis) {
    WindowRig rig(NamedBridgeSettings());
    ASSERT_TRUE(rig.LinkUp());
    win32::StripChart& chart = rig.window->chart();
    // On "12сек" a point arrives every 20 ms and the axis origin travels with them.
    EXPECT_TRUE(WindowRig::PumpUntil([&] { return chart.BottomMinimum() != 0; }, 5s));

    // No point of "70часов" has ended yet: its axis stands at 0..600.
    rig.Click("RadioGroup_X_Item24");
    EXPECT_TRUE(rig.Checked("RadioGroup_X_Item24"));
    EXPECT_FALSE(rig.Checked("RadioGroup_X_Item0"));
    WindowRig::Pump(300ms);
    EXPECT_EQ(chart.BottomMinimum(), 0);
    EXPECT_EQ(chart.BottomMaximum(), 600);

    rig.Click("RadioGroup_X_Item0");
    EXPECT_TRUE(WindowRig::PumpUntil([&] { return chart.BottomMinimum() != 0; }, 5s));
    EXPECT_EQ(chart.BottomMaximum() - chart.BottomMinimum(), 600);
}

// Pixels of the control as shown on the screen that `wanted` accepts.
int CountPixels(HWND hwnd, const std::function<bool(int r, int g, int b)>& wanted) {
    RECT r{};
    GetClientRect(hwnd, &r);
    const HDC screen = GetDC(hwnd);
    int count = 0;
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            if (wanted(GetRValue(c), GetGValue(c), GetBValue(c))) ++count;
        }
    }
    ReleaseDC(hwnd, screen);
    return count;
}

TEST(Win32Window, TableButtonTurnsFromRedToBlackWhenATableIsLoaded) {
    WindowRig rig(NamedBridgeSettings());
    const auto red = [](int r, int g, int b) { return r > 200 && g < 80 && b < 80; };
    const auto black = [](int r, int g, int b) { return r < 60 && g < 60 && b < 60; };
    const HWND button = rig.Control("B_ListF_CH3");
    EXPECT_GT(CountPixels(button, red), 0);

    WriteAll(rig.folder / "table.txt", kTable);
    rig.person.typedName = rig.folder / "table.txt";
    rig.Click("B_ListF_CH3");
    EXPECT_EQ(rig.person.dialogTitles,
              std::vector<std::string>{"Выбор файла с калибровочной таблицей"});
    WindowRig::Pump(100ms);
    EXPECT_EQ(CountPixels(button, red), 0);
    EXPECT_GT(CountPixels(button, black), 0);
    EXPECT_GT(CountPixels(rig.Control("B_ListF_CH4"), red), 0);
}

// What a control shows, as the user sees it; a swatch's colour is the brush it paints with.
probe::Shown Read(win32::TMF& window, const layout::ControlEntry& entry) {
    if (entry.kind == layout::Kind::Chart) {
        probe::Shown shown;
        shown.colour = window.chart().BackgroundColor();
        return shown;
    }
    const win32::Control& control = *window.Find(entry.name);
    wchar_t text[512] = {};
    GetWindowTextW(control.hwnd, text, 512);
    probe::Shown shown{Narrow(text), SendMessageW(control.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED,
                       IsWindowEnabled(control.hwnd) != FALSE,
                       (GetWindowLongW(control.hwnd, GWL_STYLE) & WS_VISIBLE) != 0};
    if (entry.kind == layout::Kind::Label || entry.kind == layout::Kind::GroupBox)
        shown.checked = false;
    if (entry.kind == layout::Kind::ColorSwatch) {
        shown.colour = static_cast<const win32::ColorSwatch&>(control).color;
    }
    if (entry.kind == layout::Kind::ComboBox) {
        shown.text.clear();
        shown.index = static_cast<int>(SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0));
    }
    return shown;
}

std::vector<probe::Shown> ReadControls(win32::TMF& window) {
    std::vector<probe::Shown> shown;
    for (const auto& entry : layout::MainWindowControls()) shown.push_back(Read(window, entry));
    return shown;
}

// The hint the tooltip holds for a control.
std::string Hint(const win32::ControlSet& set, HWND parent, const win32::Control& control) {
    wchar_t text[1024] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = parent;
    tool.uId = static_cast<UINT_PTR>(GetDlgCtrlID(control.hwnd));
    tool.lpszText = text;
    SendMessageW(set.tooltip(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return Narrow(text);
}

TEST(Win32Window, EveryControlOfTheDescriptionAtItsPlaceWithItsCaptionAndHint) {
    WindowRig rig(NamedBridgeSettings());
    const HWND window = rig.window->hwnd();
    const auto& controls = layout::MainWindowControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const layout::ControlEntry& entry = controls[i];
        SCOPED_TRACE(entry.name);
        if (entry.kind == layout::Kind::Chart) continue;
        const win32::Control* control = rig.window->Find(entry.name);
        ASSERT_NE(control, nullptr);
        RECT r{};
        GetWindowRect(control->hwnd, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const layout::Place place = layout::PlaceInWindow(controls, i);
        if (entry.fitsText) {
            EXPECT_NEAR((r.left + r.right) / 2, place.x + 665 / 2, 1);
        } else {
            EXPECT_EQ(r.left, place.x);
            EXPECT_EQ(r.top, place.y);
            if (entry.field == layout::Field::Label_ResultFileName) {
                EXPECT_LE(r.right - r.left, layout::kFileNameRoom);
            } else {
                EXPECT_EQ(r.right - r.left, place.width);
            }
            // A drop-down list's window holds its list too.
            if (entry.kind != layout::Kind::ComboBox) {
                EXPECT_EQ(r.bottom - r.top, place.height);
            }
        }
        if (!entry.caption.empty()) {
            EXPECT_EQ(rig.Text(entry.name.c_str()), entry.caption);
        }
        if (entry.field != layout::Field::Label_Connection_Indicator) {
            EXPECT_EQ(Hint(rig.window->controls(), window, *control), entry.hint);
        }
    }
    const HMENU bar = GetMenu(window);
    const auto& menus = layout::MainWindowMenus();
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(menus.size()));
    for (std::size_t m = 0; m < menus.size(); ++m) {
        wchar_t title[128] = {};
        GetMenuStringW(bar, static_cast<UINT>(m), title, 128, MF_BYPOSITION);
        EXPECT_EQ(Narrow(title), menus[m].caption);
        EXPECT_EQ(GetSubMenu(bar, static_cast<int>(m)), rig.window->Menu(menus[m].name));
    }
    for (const auto& entry : layout::AboutBoxControls()) {
        const win32::Control* control = rig.window->aboutBox().controls().Find(entry.name);
        ASSERT_NE(control, nullptr) << entry.name;
        wchar_t text[128] = {};
        GetWindowTextW(control->hwnd, text, 128);
        EXPECT_EQ(Narrow(text), entry.caption);
    }
}

// Each field of the model shows in its own control and in no other.
TEST(Win32Window, EveryTiedControlShowsItsFieldAndNoOther) {
    WindowRig rig(NamedBridgeSettings());
    EXPECT_EQ(probe::CheckEveryTie(
                  rig.window->station().form(), [&] { return ReadControls(*rig.window); },
                  [&] { rig.window->ApplyForm(); }),
              std::vector<std::string>{});
}

// A click ticks or chooses in the control and in the model alike; a list holds the items the
// description gives it.
TEST(Win32Window, EveryTickAndChoiceTakesAClickAndEveryListItsItems) {
    WindowRig rig(NamedBridgeSettings());
    for (const auto& entry : layout::MainWindowControls()) {
        SCOPED_TRACE(entry.name);
        if (entry.kind == layout::Kind::CheckBox || entry.kind == layout::Kind::RadioButton) {
            EnableWindow(rig.Control(entry.name.c_str()), TRUE);
            const bool wanted =
                entry.kind == layout::Kind::RadioButton || !rig.Checked(entry.name.c_str());
            // Read back before the timers run: their refresh may take back what this state of
            // the model does not allow (averages with recording on change).
            SendMessageW(rig.Control(entry.name.c_str()), BM_CLICK, 0, 0);
            EXPECT_EQ(rig.Checked(entry.name.c_str()), wanted);
            EXPECT_EQ(probe::ModelChecked(rig.window->station().form(), entry), wanted);
        }
        if (entry.kind == layout::Kind::ComboBox) {
            const HWND box = rig.Control(entry.name.c_str());
            std::vector<std::string> items;
            const auto count = SendMessageW(box, CB_GETCOUNT, 0, 0);
            for (int k = 0; k < count; ++k) {
                wchar_t item[64] = {};
                SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(k),
                             reinterpret_cast<LPARAM>(item));
                items.push_back(Narrow(item));
            }
            EXPECT_EQ(items, entry.items);
            // What the user must see, not what the description says.
            if (entry.name == "ComboBox_FileOnChangeThresh") {
                std::vector<std::string> sensitivities;
                for (int n = 1; n <= 99; ++n) sensitivities.push_back(std::to_string(n));
                EXPECT_EQ(items, sensitivities);
            }
        }
    }
}

// Frames of instrument `instrument`, `count` of them, as its line carries them.
std::string Frames(int instrument, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const sim::Frame f = sim::EncodeFrame(instrument, static_cast<std::uint16_t>(3 * i), {});
        bytes.append(f.begin(), f.end());
    }
    return bytes;
}

// The banner over the chart stands there only while an instrument of another number streams: a
// label shows or hides by its own state, whatever its enabled state.
TEST(Win32Window, TheWrongInstrumentBannerShowsOnlyWhileAnotherInstrumentStreams) {
    TempFolder captures;
    // About a second of ours, two of instrument 2, then ours again, at the line's rate.
    WriteAll(captures / "line.raw", Frames(1, 8000) + Frames(2, 16000) + Frames(1, 80000));
    WindowRig rig(NamedBridgeSettings(),
                  std::string(kDescription) + "," + kSerial + "," + (captures / "line.raw"));
    const HWND banner = rig.Control("Label_ErrDeviceNum");
    EXPECT_FALSE(IsWindowVisible(banner));
    EXPECT_TRUE(WindowRig::PumpUntil([&] { return IsWindowVisible(banner) != FALSE; }, 10s));
    EXPECT_TRUE(WindowRig::PumpUntil([&] { return IsWindowVisible(banner) == FALSE; }, 10s));
}

// A curve is drawn in the colour its channel has now.
TEST(Win32Window, ACurveTakesItsNewColour) {
    WindowRig rig(NamedBridgeSettings());
    ASSERT_TRUE(rig.LinkUp());
    Station& station = rig.window->station();
    const HWND chart = rig.window->chart().hwnd();
    const auto exactly = [](int red, int green, int blue) {
        return [=](int r, int g, int b) { return r == red && g == green && b == blue; };
    };
    // Every curve but the first off, so that only its colour is drawn.
    for (std::size_t c = 0; c < kChannels; ++c) station.form().ChartEN_CH[c].Checked = c == 0;
    for (const Color colour : {MakeColor(200, 0, 200), MakeColor(0, 200, 100)}) {
        ChartColors colors = station.chart().Colors();
        colors.CurveColor[0] = colour;
        station.chart().SetColors(colors);
        rig.window->Run([&] { station.chart().Redraw(); });
        WindowRig::Pump(200ms);
        EXPECT_GT(CountPixels(chart, exactly(RedOf(colour), GreenOf(colour), BlueOf(colour))), 20);
    }
    EXPECT_EQ(CountPixels(chart, exactly(200, 0, 200)), 0);
}

// The same station without a window, fed every byte the window reads, the moment it reads
// them: what the core writes for the same samples.
struct CoreTwin {
    TempFolder folder;
    sim::SimDriver driver;
    sim::TestPlatform platform;
    sim::TestUi ui;
    Station station{driver, platform, ui};
    int device = driver.AddDevice(kDescription, kSerial);

    explicit CoreTwin(const std::string& settings) {
        WriteAll(folder / "Settings.bin", settings);
        platform.currentDirectory = folder.path();
        station.Construct();
    }
    void Feed(std::span<const std::uint8_t> bytes) { driver.Feed(device, bytes); }
    // Takes in everything fed so far.
    void CatchUp() {
        while (driver.Device(device).queueSize > 0) station.link().Poll();
    }
};

TEST(Win32Window, RecordsToTheChosenFileWhatTheCoreWritesForTheSameSamples) {
    TempFolder tables;
    WriteAll(tables / "table.txt", kTable);
    // Channels 1 and 2 recorded, both with a table.
    const std::string settings = NamedBridgeSettings(
        {{9, "1"}, {10, "1"}, {24, tables / "table.txt"}, {25, tables / "table.txt"}});
    CoreTwin twin(settings);
    WindowRig rig(settings, std::string(kDescription) + "," + kSerial + ",sim",
                  [&twin](std::span<const std::uint8_t> bytes) { twin.Feed(bytes); });
    ASSERT_TRUE(rig.LinkUp());

    rig.Click("RadioB_FileAll");
    // A file of that name is there already: the dialog asks before it is replaced.
    WriteAll(rig.folder / "result.txt", "older results");
    rig.person.typedName = rig.folder / "result";
    const std::size_t boxesBefore = rig.person.boxTexts.size();
    rig.Click("B_File");
    EXPECT_EQ(rig.person.dialogTitles,
              std::vector<std::string>{"Выбор файла для сохранения результатов"});
    EXPECT_EQ(rig.person.boxTexts.size(), boxesBefore + 1);
    twin.ui.resultFileAnswers.push_back(twin.folder / "result.txt");
    twin.station.B_FileClick();
    twin.station.form().SelectRecordChoice(kRecordChoiceAll);

    twin.CatchUp();
    rig.Click("B_FileSaveStart");
    twin.station.B_FileSaveStartClick();
    EXPECT_EQ(rig.Text("Label_FileRecordTime").rfind("ЗАПИСЬ!", 0), 0u);
    WindowRig::Pump(1s);
    twin.CatchUp();
    rig.Click("B_FileSaveStop");
    twin.station.B_FileSaveStopClick();
    EXPECT_EQ(rig.Text("Label_FileRecordTime"), "ЗАПИСЬ НЕ ПРОИЗВОДИТСЯ!");

    const std::string written = ReadAll(rig.folder / "result.txt");
    const std::string expected = ReadAll(twin.folder / "result.txt");
    // A second of samples, every one of them a line.
    EXPECT_GT(std::count(expected.begin(), expected.end(), '\n'), 1000);
    EXPECT_TRUE(written == expected)
        << written.size() << " bytes written, the core wrote " << expected.size();
}

// The window's client area as the screen shows it, written as a 24-bit BMP file.
bool WritePicture(HWND window, const std::string& path) {
    RECT r{};
    GetClientRect(window, &r);
    const int width = r.right;
    const int height = r.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = GetDC(window);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::size_t size = stride * static_cast<std::size_t>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + size);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    WriteAll(path, bytes);
    return ReadAll(path) == bytes;
}

// The window in a fixed state (settings, three tables, no instrument) as a still picture, written
// where TS_PICTURE says for tests/pictures/picture.py to compare with its reference: a place or a
// caption that the description and the window got wrong together shows there.
TEST(Win32Window, StillPicture) {
    wchar_t out[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TS_PICTURE", out, MAX_PATH) == 0) {
        GTEST_SKIP() << "TS_PICTURE names no file: the picture is taken by tests/pictures";
    }
    TempFolder tables;
    WriteAll(tables / "table.txt", kTable);
    const std::string table = tables / "table.txt";
    WindowRig rig(SettingsText({{9, "1"}, {11, "1"}, {24, table}, {25, table}, {27, table}}));
    ASSERT_TRUE(WindowRig::PumpUntil([&] { return !rig.person.boxTexts.empty(); }, 10s));
    SetForegroundWindow(rig.window->hwnd());
    WindowRig::Pump(300ms);
    EXPECT_TRUE(WritePicture(rig.window->hwnd(), Narrow(out)));
}

}  // namespace

// At a logoff nobody may be there to answer a box, and Windows ends the program once the window
// has answered: a settings file that cannot be written is told in the log beside it instead. The
// recording that runs is ended within the time Windows grants.
TEST(Win32Window, AtTheEndOfTheSessionNoBoxIsWaitedForAndTheFailureIsLoggedBesideTheSettings) {
    WindowRig rig(NamedBridgeSettings());
    ASSERT_TRUE(rig.LinkUp());
    rig.Click("RadioB_FileAll");
    rig.person.typedName = rig.folder / "result";
    rig.Click("B_File");
    rig.Click("B_FileSaveStart");
    ASSERT_EQ(rig.Text("Label_FileRecordTime").rfind("ЗАПИСЬ!", 0), 0u);
    WindowRig::Pump(500ms);
    const std::wstring settings = Widen(rig.folder / "Settings.bin");
    SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::size_t boxesBefore = rig.person.boxTexts.size();
    // Windows ends a program that has not answered within 5 s, whatever it was doing.
    const auto asked = std::chrono::steady_clock::now();
    for (UINT message : {WM_QUERYENDSESSION, WM_ENDSESSION}) {
        DWORD_PTR answer = 0;
        EXPECT_NE(SendMessageTimeoutW(rig.window->hwnd(), message, message == WM_ENDSESSION,
                                      ENDSESSION_LOGOFF, SMTO_NORMAL, 20000, &answer),
                  0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
    SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(rig.person.boxTexts.size(), boxesBefore) << rig.person.boxTexts.back();
    const std::string log = ReadAll(rig.folder / "trend-station.log");
    EXPECT_NE(log.find(" Файл настроек не удалось перезаписать!\r\n"), std::string::npos) << log;
}

namespace {

// An hour of channels 1 and 3 at one record a second.
std::string WriteRecording(const TempFolder& folder) {
    const std::string path = folder / "r.txt";
    review_rig::FileShape shape;
    WriteAll(path, review_rig::ResultFileBytes(shape, review_rig::MakeRecords(3600, 0, 18000, 3)));
    return path;
}

UINT MenuItemId(std::string_view name) {
    UINT id = win32::kIdFirstMenuItem;
    for (const layout::MenuEntry& menu : layout::MainWindowMenus()) {
        for (const layout::MenuItemEntry& item : menu.items) {
            if (item.name == name) return id;
            ++id;
        }
    }
    ADD_FAILURE() << "no menu item " << name;
    return 0;
}

// Where a test may leave a picture of the window it drove, for people to look at.
void KeepPicture(HWND window, const char* name) {
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TS_PICTURES", folder, MAX_PATH) == 0) return;
    RECT r{};
    GetClientRect(window, &r);
    const HDC screen = GetDC(window);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(format.bmiHeader), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    GdiFlush();
    SystemFile out;
    if (out.OpenForWriting(Narrow(folder) + "/" + name, true)) {
        WritePng(out, r.right, r.bottom,
                 {static_cast<const std::uint32_t*>(bits),
                  static_cast<std::size_t>(r.right) * static_cast<std::size_t>(r.bottom)});
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(window, screen);
}

}  // namespace

// The review window's wiring on Win32: opened from the menu beside the main window, its
// controls forwarding to its model and mirroring it, its chart written as PNG. What the model
// does is the core's tests' business.
TEST(Win32Review, TheMenuOpensARecordingWhoseControlsDriveItsModel) {
    WindowRig rig(NamedBridgeSettings());
    const std::string path = WriteRecording(rig.folder);
    rig.person.typedName = path;
    rig.ChooseMenuItem(MenuItemId("M_Menu_Review_Open"));
    ASSERT_TRUE(WindowRig::PumpUntil([&] { return rig.window->Reviews().size() == 1; }, 5s));
    win32::TFR& review = *rig.window->Reviews().front();
    EXPECT_EQ(rig.person.dialogTitles.back(), "Открыть запись результатов");
    wchar_t caption[128] = {};
    GetWindowTextW(review.hwnd(), caption, 128);
    EXPECT_EQ(Narrow(caption), "Просмотр записи: r.txt");
    ReviewModel& model = review.model();
    const auto control = [&](const char* name) { return review.Find(name)->hwnd; };

    SendMessageW(control("RadioGroup_Span_Item9"), BM_CLICK, 0, 0);  // "10мин"
    EXPECT_EQ(model.ViewToNs() - model.ViewFromNs(), 600 * review::kNanosecondsPerSecond);
    EXPECT_EQ(SendMessageW(control("RadioGroup_Span_Item9"), BM_GETCHECK, 0, 0), BST_CHECKED);

    SCROLLINFO bar{};
    bar.cbSize = sizeof(bar);
    bar.fMask = SIF_ALL;
    GetScrollInfo(control("ScrollBar_Time"), SB_CTL, &bar);
    EXPECT_EQ(bar.nPos, model.form().ScrollBar_Time.Position);
    EXPECT_GT(bar.nPos, 0);
    SendMessageW(review.hwnd(), WM_HSCROLL, SB_LEFT,
                 reinterpret_cast<LPARAM>(control("ScrollBar_Time")));
    EXPECT_EQ(model.ViewFromNs(), 0);

    SendMessageW(control("CheckBox_ShowCH3"), BM_CLICK, 0, 0);
    EXPECT_FALSE(model.ChannelShown(3));
    EXPECT_FALSE(IsWindowEnabled(control("CheckBox_ShowCH2")));

    // The cursor under the mouse shows in its label.
    const RECT plot = review.chart().PlotRect();
    SendMessageW(review.chart().hwnd(), WM_MOUSEMOVE, 0,
                 MAKELPARAM((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2));
    wchar_t cursor[256] = {};
    GetWindowTextW(control("Label_Cursor"), cursor, 256);
    EXPECT_EQ(Narrow(cursor).rfind("Курсор: 17:", 0), 0u) << Narrow(cursor);

    // The chart as a PNG of its own size.
    const std::string png = rig.folder / "chart.png";
    rig.person.typedName = png;
    SendMessageW(control("B_ExportPng"), BM_CLICK, 0, 0);
    const std::string bytes = ReadAll(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    RECT chart{};
    GetClientRect(review.chart().hwnd(), &chart);
    const auto big = [&](std::size_t at) {
        return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
               static_cast<unsigned char>(bytes[at + 3]);
    };
    EXPECT_EQ(big(16), static_cast<std::uint32_t>(chart.right));
    EXPECT_EQ(big(20), static_cast<std::uint32_t>(chart.bottom));

    // A stretch selected with Shift held, for the picture.
    SendMessageW(review.chart().hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT,
                 MAKELPARAM(plot.left + 200, plot.top + 20));
    SendMessageW(review.chart().hwnd(), WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT,
                 MAKELPARAM(plot.left + 300, plot.top + 20));
    SendMessageW(review.chart().hwnd(), WM_LBUTTONUP, MK_SHIFT,
                 MAKELPARAM(plot.left + 300, plot.top + 20));
    EXPECT_TRUE(model.HasSelection());
    SetForegroundWindow(review.hwnd());
    WindowRig::Pump(300ms);
    KeepPicture(review.hwnd(), "review-win32.png");

    // Closing the main window closes the review with it.
    SendMessageW(rig.window->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(rig.window->Reviews().empty());
}

TEST(Win32Review, ADroppedFileOpensInAReviewWindow) {
    WindowRig rig(NamedBridgeSettings());
    const std::wstring path = Widen(WriteRecording(rig.folder));
    // What the shell hands a window a file is dropped on: the names after the header, each
    // ended by a zero, and one more zero.
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    const HGLOBAL drop = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::copy(path.begin(), path.end(),
              reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES)));
    GlobalUnlock(drop);
    SendMessageW(rig.window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    ASSERT_EQ(rig.window->Reviews().size(), 1u);
    wchar_t caption[128] = {};
    GetWindowTextW(rig.window->Reviews().front()->hwnd(), caption, 128);
    EXPECT_EQ(Narrow(caption), "Просмотр записи: r.txt");
}

TEST(Win32Review, AMinimizedReviewWaitsWithoutItsTimer) {
    WindowRig rig(NamedBridgeSettings());
    win32::TFR* review = rig.window->OpenReview(WriteRecording(rig.folder));
    ASSERT_NE(review, nullptr);
    EXPECT_TRUE(review->ticking());
    ShowWindow(review->hwnd(), SW_MINIMIZE);
    EXPECT_FALSE(review->ticking());
    // Straight back to maximized, as a click on the task bar brings a window minimized from there.
    ShowWindow(review->hwnd(), SW_MAXIMIZE);
    EXPECT_TRUE(review->ticking());
}

// A box of another thread standing with `text`, or null.
HWND BoxSaying(std::string_view text) {
    struct Search {
        std::wstring text;
        HWND found = nullptr;
    } search{Widen(text)};
    EnumWindows(
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            wchar_t className[16] = {}, said[512] = {};
            GetClassNameW(hwnd, className, 16);
            if (std::wstring_view(className) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
            GetDlgItemTextW(hwnd, 0xFFFF, said, 512);
            if (s.text == said) s.found = hwnd;
            return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// `--open FILE` without an instrument: the review window shows at once and takes the user's
// input; the main window says the instrument is missing in a box that holds nothing up.
TEST(Win32Review, ARecordingOpenedAtTheStartComesBeforeTheInstrumentsWord) {
    TempFolder folder;
    Person person;
    WriteAll(folder / "Settings.bin", SettingsText());
    SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", L"KSL-USB,00000001,sim");
    sim::TestPlatform platform;
    platform.currentDirectory = folder.path();
    {
        ListenedDriver driver;
        win32::TMF window(driver, platform, win32::TMF::Start::Reviews);
        ShowWindow(window.hwnd(), SW_SHOW);
        WindowRig::Pump(100ms);
        EXPECT_TRUE(person.boxTexts.empty());
        window.OpenAtStart({WriteRecording(folder)}, "библиотека не найдена");
        ASSERT_EQ(window.Reviews().size(), 1u);
        win32::TFR& review = *window.Reviews().front();
        EXPECT_TRUE(IsWindowVisible(review.hwnd()));
        HWND said = nullptr;
        WindowRig::PumpUntil(
            [&] { return (said = BoxSaying(text::kMsgDeviceNotFound)) != nullptr; }, 5s);
        ASSERT_NE(said, nullptr);
        EXPECT_NE(BoxSaying("библиотека не найдена"), nullptr);
        EXPECT_EQ(GetWindow(said, GW_OWNER), nullptr);
        EXPECT_TRUE(IsWindowEnabled(review.hwnd()));
        EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
        EXPECT_TRUE(person.boxTexts.empty());
        // The review answers while the boxes stand.
        const std::int64_t span = review.model().ViewToNs() - review.model().ViewFromNs();
        SendMessageW(review.chart().hwnd(), WM_KEYDOWN, VK_ADD, 0);
        EXPECT_LT(review.model().ViewToNs() - review.model().ViewFromNs(), span);
    }
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", nullptr);
}

// The wheel's message gives the mouse on the screen: the span shown closes in around the time
// under the mouse in the chart, wherever the window stands.
TEST(Win32Review, TheWheelZoomsAroundTheTimeUnderTheMouse) {
    WindowRig rig(NamedBridgeSettings());
    win32::TFR* review = rig.window->OpenReview(WriteRecording(rig.folder));
    ASSERT_NE(review, nullptr);
    SetWindowPos(review->hwnd(), nullptr, 150, 120, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ReviewModel& model = review->model();
    const RECT plot = review->chart().PlotRect();
    const double width = plot.right - plot.left;
    const auto wheel = [&](int x, int y, WPARAM keys) {
        POINT p{plot.left + x, y};
        ClientToScreen(review->chart().hwnd(), &p);
        SendMessageW(review->chart().hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(keys, WHEEL_DELTA * 2),
                     MAKELPARAM(p.x, p.y));
    };
    const std::int64_t span = model.ViewToNs() - model.ViewFromNs();
    const std::int64_t under =
        model.ViewFromNs() + static_cast<std::int64_t>(60 / width * static_cast<double>(span));
    wheel(60, (plot.top + plot.bottom) / 2, 0);
    EXPECT_LT(model.ViewToNs() - model.ViewFromNs(), span);
    EXPECT_NEAR(model.FractionOf(under), 60 / width, 1 / width);

    // With Ctrl, the values a quarter of the way up stay there.
    InvalidateRect(review->chart().hwnd(), nullptr, FALSE);
    UpdateWindow(review->chart().hwnd());  // a paint: the curves' ranges are fitted
    const int axis = model.AxisChannel();
    ASSERT_EQ(axis, 1);
    const ValueRange fitted = model.RangeOf(axis);
    const double value = fitted.low + (fitted.high - fitted.low) * 0.25;
    wheel(100, plot.bottom - (plot.bottom - plot.top) / 4, MK_CONTROL);
    EXPECT_FALSE(model.ValuesFitted());
    EXPECT_NEAR(model.HeightOf(axis, value), 0.25, 2.0 / (plot.bottom - plot.top));
    SendMessageW(review->chart().hwnd(), WM_KEYDOWN, VK_BACK, 0);
    EXPECT_TRUE(model.ValuesFitted());
}

TEST(Win32Review, AnUnreadableRecordingIsToldAndOpensNoWindow) {
    WindowRig rig(NamedBridgeSettings());
    EXPECT_EQ(rig.window->OpenReview(rig.folder / "missing.txt"), nullptr);
    WindowRig::PumpUntil([&] { return !rig.person.boxTexts.empty(); }, 5s);
    ASSERT_FALSE(rig.person.boxTexts.empty());
    EXPECT_EQ(rig.person.boxTexts.back().rfind("  Не удалось открыть запись: ", 0), 0u);
    EXPECT_TRUE(rig.window->Reviews().empty());
}

// A bitmap of 32-bit pixels with a device context of its own, for the test's own drawing.
struct DibBitmap {
    explicit DibBitmap(SIZE size) : size(size) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(format.bmiHeader);
        format.bmiHeader.biWidth = size.cx;
        format.bmiHeader.biHeight = -size.cy;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<std::uint32_t*>(pixels);
        old = SelectObject(dc, bitmap);
    }
    ~DibBitmap() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<std::uint32_t> Pixels() const {
        std::vector<std::uint32_t> pixels(bits, bits + std::size_t(size.cx) * std::size_t(size.cy));
        for (std::uint32_t& p : pixels) p &= 0xFFFFFFu;
        return pixels;
    }
    SIZE size;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    std::uint32_t* bits = nullptr;
};

// The chart's picture as it would show now, pixel by pixel, the top byte left out.
std::vector<std::uint32_t> PictureOf(win32::StripChart& chart, SIZE size) {
    DibBitmap bitmap(size);
    chart.PaintTo(bitmap.dc);
    GdiFlush();
    return bitmap.Pixels();
}

// The same state drawn whole in the test with GDI's own pens, sharing nothing with the chart's
// drawing but the layout: the background, the grid's lines and the series' polylines in the plot;
// outside it the chart's own frame (the labels), taken from `picture`. A dotted line is a pixel
// drawn and two left out from its start, as the Qt window's dotted pen draws it (a styled GDI
// pen's dots are as long as the system's style unit: three pixels under wine).
std::vector<std::uint32_t> GdiDrawingOf(const win32::StripChart& chart,
                                        const std::vector<std::uint32_t>& picture, SIZE size) {
    DibBitmap bitmap(size);
    std::copy(picture.begin(), picture.end(), bitmap.bits);
    const ChartPlot& plot = chart.plot();
    const RECT r = chart.PlotRect();
    const PlotArea area{r.left, r.top, r.right - r.left, r.bottom - r.top};
    const HDC dc = bitmap.dc;
    const HBRUSH background = CreateSolidBrush(static_cast<COLORREF>(plot.BackgroundColor()));
    FillRect(dc, &r, background);
    DeleteObject(background);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    const COLORREF grid = static_cast<COLORREF>(plot.GridColor());
    const HPEN solid = CreatePen(PS_SOLID, 0, grid);
    const HGDIOBJ old = SelectObject(dc, solid);
    for (const PercentLine& line : plot.PercentLines(area)) {
        if (line.major) {
            MoveToEx(dc, r.left, line.y, nullptr);
            LineTo(dc, r.right, line.y);
            continue;
        }
        for (int x = r.left; x < r.right; x += 3) SetPixelV(dc, x, line.y, grid);
    }
    plot.ForEachTimeLine(area, [&](int x, bool major) {
        if (major) {
            MoveToEx(dc, x, r.top, nullptr);
            LineTo(dc, x, r.bottom);
            return;
        }
        for (int y = r.top; y < r.bottom; y += 3) SetPixelV(dc, x, y, grid);
    });
    std::vector<POINT> points;
    for (int c = 0; c < kChannels; ++c) {
        if (plot.SeriesOf(c).count < 2) continue;
        const HPEN pen = CreatePen(PS_SOLID, 0, static_cast<COLORREF>(plot.SeriesOf(c).color));
        SelectObject(dc, pen);
        plot.MapSeries(area, c, points);
        Polyline(dc, points.data(), static_cast<int>(points.size()));
        SelectObject(dc, solid);
        DeleteObject(pen);
    }
    SelectObject(dc, old);
    DeleteObject(solid);
    GdiFlush();
    return bitmap.Pixels();
}

std::string FirstDifference(const std::vector<std::uint32_t>& a,
                            const std::vector<std::uint32_t>& b, SIZE size) {
    const auto at = std::mismatch(a.begin(), a.end(), b.begin());
    if (at.first == a.end()) return {};
    const auto i = at.first - a.begin();
    char text[96];
    std::snprintf(text, sizeof text, "pixel %d,%d: %06x instead of %06x", int(i % size.cx),
                  int(i / size.cx), unsigned(*at.first), unsigned(*at.second));
    return text;
}

class ChartFrame final : public win32::WindowBase {
public:
    ChartFrame() {
        CreateWindowOf(L"TsChartFrame", WS_OVERLAPPED | WS_CAPTION, 0, nullptr, L"chart",
                       RECT{0, 0, 1400, 1200});
    }
};

class Win32ChartAt : public testing::TestWithParam<UINT> {};

// As time goes on the chart moves its picture and draws only its new columns, at every screen
// scale; the picture is the one GDI draws of the same state, also after a change of span, a
// clear, a colour and a channel switched off in between.
TEST_P(Win32ChartAt, MovedPictureEqualsAWholeRedraw) {
    const UINT dpi = GetParam();
    ChartFrame frame;
    win32::StripChart chart;
    chart.Create(frame.hwnd(), {0, 0, 665, 534}, dpi, nullptr);
    RECT client{};
    GetClientRect(chart.hwnd(), &client);
    const SIZE size{client.right, client.bottom};
    ASSERT_EQ(size.cx, MulDiv(665, int(dpi), 96));
    std::array<Color, kChannels> colours = kDefaultCurveColors;
    std::array<bool, kChannels> shown{true, true, true, true, true, true};
    int origin = 0, first = 0, shape = 0;
    auto feed = [&] {
        std::array<float, kRingPoints> y{};
        for (int c = 0; c < kChannels; ++c) {
            for (int i = 0; i < kRingPoints; ++i) {
                const double phase = double(first + i) / (9.0 + c * 5) + c;
                y[std::size_t(i)] = shape == 2 ? 0.0f : float(50 + 49 * std::sin(phase + shape));
            }
            chart.EmptySeries(c);
            if (shown[std::size_t(c)]) chart.SetSeries(c, origin, y, colours[std::size_t(c)]);
        }
        chart.SetBottomMinimum(origin);
        chart.SetBottomMaximum(origin + kRingPoints);
    };
    auto advance = [&](int points) {
        first += points;
        origin = (origin + points) % 50;
        feed();
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        bool moves;
    };
    const std::vector<Step> steps = {
        {"first picture", [&] { feed(); }, false},
        {"one point", [&] { advance(1); }, true},
        {"a tick of two points", [&] { advance(2); }, true},
        {"a longer pause", [&] { advance(13); }, true},
        {"another span", [&] { shape = 1, origin = 7, feed(); }, false},
        {"moving again", [&] { advance(2); }, true},
        {"a clear", [&] { shape = 2, feed(); }, false},
        {"after the clear", [&] { advance(2); }, true},
        {"a curve's colour", [&] { shape = 0, colours[2] = 0x123456, feed(); }, false},
        {"the background's colour", [&] { chart.SetBackgroundColor(0x303000); }, false},
        {"after the colours", [&] { advance(2); }, true},
        {"a channel off", [&] { shown[3] = false, feed(); }, false},
        {"without it", [&] { advance(2); }, true},
    };
    for (const Step& step : steps) {
        step.change();
        const std::vector<std::uint32_t> moved = PictureOf(chart, size);
        EXPECT_NE(chart.canvas().Whole(), step.moves) << step.what;
        EXPECT_EQ(FirstDifference(moved, GdiDrawingOf(chart, moved, size), size), "") << step.what;
        chart.ForgetPicture();
        const std::vector<std::uint32_t> whole = PictureOf(chart, size);
        EXPECT_EQ(FirstDifference(whole, GdiDrawingOf(chart, whole, size), size), "")
            << step.what << ", drawn whole";
    }
}

INSTANTIATE_TEST_SUITE_P(ScreenScales, Win32ChartAt, testing::Values(96u, 120u, 144u, 192u),
                         [](const testing::TestParamInfo<UINT>& info) {
                             return std::to_string(info.param) + "dpi";
                         });

// A minimised window mirrors nothing; on its return the mirror catches up before it paints.
TEST(Win32Window, AMinimisedWindowIsMirroredOnlyWhenItComesBack) {
    WindowRig rig(NamedBridgeSettings(), "");  // no instrument: nothing else moves the readout
    const std::string before = rig.Text("Label_ResCH1");
    ShowWindow(rig.window->hwnd(), SW_MINIMIZE);
    rig.window->station().form().Label_ResCH[0].Caption = "12,5";
    WindowRig::Pump(200ms);
    EXPECT_EQ(rig.Text("Label_ResCH1"), before);
    ShowWindow(rig.window->hwnd(), SW_RESTORE);
    EXPECT_EQ(rig.Text("Label_ResCH1"), "12,5");
}
