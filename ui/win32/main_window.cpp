#include "main_window.h"

#include "app/texts.h"
#include "platform/windows/wide_text.h"
#include "record/period_hint.h"

namespace ts::win32 {

namespace {

constexpr int kClientWidth = 1011;
constexpr int kClientHeight = 547;
// No WS_CLIPCHILDREN: the group boxes leave their inside to the window to paint.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;

constexpr UINT_PTR kTimer25Hz = 1;
constexpr UINT_PTR kTimerPort = 2;
constexpr UINT_PTR kTimerDemo = 3;

std::string Name(const char* base, int number) { return base + std::to_string(number); }

// Hint of a fixed recording period: "...с периодом 0.002сек" from the caption "0.002с".

}  // namespace

TMF::TMF(Driver& driver, Platform& platform) {
    CreateWindowOf(L"TsMainWindow", kStyle, kExStyle, nullptr, Widen(text::kMainCaption),
                   RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT});
    const UINT dpi = GetDpiForWindow(hwnd());
    controls_ = std::make_unique<ControlSet>(hwnd(), dpi);

    BuildChartArea();
    BuildScaleGroup();
    BuildChannelPanels();
    BuildRecordingGroup();
    BuildStatusLine();
    BuildMenu();
    // The chart and the group frames lie under the controls drawn over them.
    SetWindowPos(chart_.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(scaleGroup_.hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(fileGroup_.hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (GroupBox& group : channelGroups_) {
        SetWindowPos(group.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    FitToDpi(dpi, nullptr);

    ui_ = std::make_unique<Win32Ui>(hwnd(), chart_, resultFileName_, *controls_);
    station_ = std::make_unique<Station>(driver, platform, *ui_);
    about_ = std::make_unique<TFA>(hwnd(), dpi);
    ApplyForm();

    // The timers run from here on, so that they already tick inside the boxes the
    // construction steps may show.
    StartTimers();
    Run([this] { station_->Construct(); });
}

TMF::~TMF() {
    Close();
    about_.reset();
}

void TMF::BuildChartArea() {
    chart_.Create(hwnd(), {0, 0, 665, 534}, controls_->dpi(), controls_->Font(FontKind::Normal));

    errDeviceNum_.font = FontKind::Banner;
    errDeviceNum_.textColor = kColorRed;
    errDeviceNum_.backColor = kColorBlack;
    // Sized to its text and centred over the chart, as the Qt window's.
    const std::wstring banner = Widen(text::kWrongDeviceNumber);
    const HDC dc = GetDC(hwnd());
    const HGDIOBJ old = SelectObject(dc, controls_->Font(FontKind::Banner));
    SIZE size{};
    GetTextExtentPoint32W(dc, banner.c_str(), static_cast<int>(banner.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    const int dpi = static_cast<int>(controls_->dpi());
    const int width = size.cx * 96 / dpi + 4, height = size.cy * 96 / dpi + 2;
    errDeviceNum_.Create(*controls_, "Label_ErrDeviceNum", text::kWrongDeviceNumber,
                         {(665 - width) / 2, 534 / 2 - height, width, height},
                         SS_CENTER | SS_CENTERIMAGE);
    errDeviceNum_.SetVisible(false);

    chartStop_.Create(*controls_, "CheckBox_ChartStop", text::kChartStop, {40, 2, 60, 18});
    controls_->SetHint(chartStop_, text::kChartStopHint);
    chartStop_.onClick = [this] {
        station_->form.CheckBox_ChartStop.Checked = chartStop_.Checked();  // a gate, no handler
        ApplyForm();
    };

    chartAver_.Create(*controls_, "CheckBox_ChartAver", text::kChartAver, {104, 2, 100, 18});
    controls_->SetHint(chartAver_, text::kChartAverHint);
    chartAver_.onClick = [this] {
        station_->form.CheckBox_ChartAver.Checked = chartAver_.Checked();
        Run([this] { station_->CheckBox_ChartAverClick(); });
    };

    chartClear_.Create(*controls_, "ButtonChartClear", text::kChartClear, {210, 1, 76, 20});
    controls_->SetHint(chartClear_, text::kChartClearHint);
    chartClear_.onClick = [this] { Run([this] { station_->ButtonChartClearClick(); }); };

    backgroundSwatch_.Create(*controls_, "PanelColor_ChartBackGround", {596, 2, 17, 17});
    controls_->SetHint(backgroundSwatch_, text::kBackgroundColorHint);
    backgroundSwatch_.onClick = [this] { Run([this] { station_->PanelColorClick(7); }); };

    gridSwatch_.Create(*controls_, "PanelColor_ChartGrid", {618, 2, 17, 17});
    controls_->SetHint(gridSwatch_, text::kGridColorHint);
    gridSwatch_.onClick = [this] { Run([this] { station_->PanelColorClick(8); }); };
}

void TMF::BuildScaleGroup() {
    constexpr int x0 = 668, y0 = 0;
    scaleGroup_.Create(*controls_, "RadioGroup_X", text::kScaleGroup, {x0, y0, 78, 547});
    for (int i = 0; i < kChartScales; ++i) {
        RadioButton& item = scaleItems_[static_cast<std::size_t>(i)];
        item.Create(*controls_, Name("RadioGroup_X_Item", i),
                    text::kScaleItems[static_cast<std::size_t>(i)],
                    {x0 + 6, y0 + 18 + i * 20, 70, 18});
        // The group's frame takes no mouse: its hint is each item's.
        controls_->SetHint(item, text::kScaleGroupHint);
        item.onClick = [this, i] {
            station_->form.RadioGroup_X = i;
            Run([this] { station_->RadioGroup_XClick(); });
        };
    }
}

void TMF::BuildChannelPanels() {
    for (int c = 0; c < kChannels; ++c) {
        const auto k = static_cast<std::size_t>(c);
        const int channel = c + 1;
        const int x0 = 750 + (c % 2) * 131, y0 = (c / 2) * 99;
        channelGroups_[k].Create(*controls_, Name("GroupBoxCH", channel), text::kGroupBoxCH[k],
                                 {x0, y0, 129, 97});

        Label& readout = readouts_[k];
        readout.font = FontKind::Readout;
        readout.Create(*controls_, Name("Label_ResCH", channel), text::kReadoutInitial,
                       {x0 + 6, y0 + 18, 117, 24}, SS_RIGHT | SS_CENTERIMAGE | SS_SUNKEN);
        controls_->SetHint(readout, text::kReadoutHint);

        PushButton& table = tableButtons_[k];
        table.Create(*controls_, Name("B_ListF_CH", channel), text::kTableButton,
                     {x0 + 6, y0 + 47, 84, 20}, true);
        controls_->SetHint(table, text::kTableButtonHint);
        table.onClick = [this, channel] {
            Run([this, channel] { station_->B_ListF_Click(channel); });
        };

        ColorSwatch& swatch = curveSwatches_[k];
        swatch.Create(*controls_, Name("PanelColor_CurveCH", channel), {x0 + 102, y0 + 48, 17, 17});
        controls_->SetHint(swatch, text::kCurveColorHint);
        swatch.onClick = [this, channel] {
            Run([this, channel] { station_->PanelColorClick(channel); });
        };

        CheckBox& chartEnable = chartEnables_[k];
        chartEnable.Create(*controls_, Name("ChartEN_CH", channel), text::kChartEN,
                           {x0 + 6, y0 + 72, 58, 18});
        controls_->SetHint(chartEnable, text::kChartENHint);
        chartEnable.onClick = [this, k, channel] {
            station_->form.ChartEN_CH[k].Checked = chartEnables_[k].Checked();
            Run([this, channel] { station_->ChartEN_Click(channel); });
        };

        CheckBox& fileEnable = fileEnables_[k];
        fileEnable.Create(*controls_, Name("FileEN_CH", channel), text::kFileEN,
                          {x0 + 66, y0 + 72, 58, 18});
        controls_->SetHint(fileEnable, text::kFileENHint);
        fileEnable.onClick = [this, k] {
            station_->form.FileEN_CH[k].Checked = fileEnables_[k].Checked();
            ApplyForm();
        };
    }
}

void TMF::BuildRecordingGroup() {
    constexpr int x0 = 750, y0 = 297;
    fileGroup_.Create(*controls_, "GroupBoxFile", text::kFileGroup, {x0, y0, 261, 250});
    period_.Create(*controls_, "LabelPeriod", text::kLabelPeriod, {x0 + 6, y0 + 15, 120, 14});

    for (int i = 0; i < kRecordChoices; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const auto caption = text::kRecordChoiceCaptions[k];
        RadioButton& radio = recordChoices_[k];
        Place place{x0 + 6 + (i % 4) * 62, y0 + 32 + (i / 4) * 16, 62, 16};
        std::string hint = RecordPeriodHint(caption);
        if (i == kRecordChoiceAll) {
            place = {x0 + 6, y0 + 32, 60, 16};
            hint = text::kRecordAllHint;
        } else if (i == kRecordChoiceOnChange) {
            place = {x0 + 6, y0 + 116, 110, 16};
            hint = text::kRecordOnChangeHint;
        }
        radio.Create(*controls_, std::string(text::kRecordChoiceNames[k]), caption, place);
        controls_->SetHint(radio, hint);
        radio.onClick = [this, i] {
            station_->form.SelectRecordChoice(i);
            ApplyForm();
        };
    }

    onChangeSens_.Create(*controls_, "Label_FileOnChangeSens", text::kOnChangeSens,
                         {x0 + 6, y0 + 138, 130, 16});

    threshold_.Create(*controls_, "ComboBox_FileOnChangeThresh", {x0 + 136, y0 + 136, 50, 20}, 200);
    controls_->SetHint(threshold_, text::kOnChangeThreshHint);
    for (int i = 1; i <= kThresholdItems; ++i) threshold_.AddItem(std::to_string(i));
    threshold_.onSelect = [this] {
        station_->form.ComboBox_FileOnChangeThresh.ItemIndex = threshold_.Index();
    };
    // Typed text never becomes an item; text that names no item selects nothing.
    threshold_.onEdit = [this] {
        station_->form.ComboBox_FileOnChangeThresh.ItemIndex =
            threshold_.FindExact(threshold_.EditText());
    };

    dataAver_.Create(*controls_, "CheckBox_FileDataAver", text::kDataAver,
                     {x0 + 120, y0 + 116, 135, 16});
    controls_->SetHint(dataAver_, text::kDataAverHint);
    dataAver_.onClick = [this] {
        station_->form.CheckBox_FileDataAver.Checked = dataAver_.Checked();
        ApplyForm();
    };

    fileButton_.Create(*controls_, "B_File", text::kButtonFile, {x0 + 6, y0 + 164, 76, 24});
    controls_->SetHint(fileButton_, text::kButtonFileHint);
    fileButton_.onClick = [this] { Run([this] { station_->B_FileClick(); }); };

    startButton_.Create(*controls_, "B_FileSaveStart", text::kButtonStart,
                        {x0 + 90, y0 + 164, 76, 24});
    controls_->SetHint(startButton_, text::kButtonStartHint);
    startButton_.onClick = [this] { Run([this] { station_->B_FileSaveStartClick(); }); };

    stopButton_.Create(*controls_, "B_FileSaveStop", text::kButtonStop,
                       {x0 + 174, y0 + 164, 76, 24});
    controls_->SetHint(stopButton_, text::kButtonStopHint);
    stopButton_.onClick = [this] { Run([this] { station_->B_FileSaveStopClick(); }); };

    recordTime_.Create(*controls_, "Label_FileRecordTime", {}, {x0 + 6, y0 + 198, 250, 16});
    controls_->SetHint(recordTime_, text::kResultFileHint);

    resultFileName_.Create(*controls_, "Label_ResultFileName", {}, {x0 + 6, y0 + 222, 250, 16},
                           SS_LEFT | SS_LEFTNOWORDWRAP);
    controls_->SetHint(resultFileName_, text::kResultFileHint);
}

void TMF::BuildStatusLine() {
    connectionCaption_.Create(*controls_, "Text_Label_21", text::kConnectionLabel,
                              {4, 534, 150, 13});
    connectionIndicator_.font = FontKind::Bold;
    connectionIndicator_.Create(*controls_, "Label_Connection_Indicator", {}, {156, 534, 60, 13});
}

void TMF::BuildMenu() {
    menuBar_ = CreateMenu();
    // The device items are made each time the menu opens, from the model.
    portMenu_ = CreatePopupMenu();
    AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(portMenu_),
                Widen(text::kMenuPort).c_str());

    modeMenu_ = CreatePopupMenu();
    AppendMenuW(modeMenu_, MF_STRING, kIdModeNorm, Widen(text::kMenuModeNorm).c_str());
    AppendMenuW(modeMenu_, MF_STRING, kIdModeDemo, Widen(text::kMenuModeDemo).c_str());
    shownModeCaption_ = text::kMenuMode;
    AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(modeMenu_),
                Widen(shownModeCaption_).c_str());

    helpMenu_ = CreatePopupMenu();
    AppendMenuW(helpMenu_, MF_STRING, kIdAbout, Widen(text::kMenuHelpAbout).c_str());
    AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(helpMenu_),
                Widen(text::kMenuHelp).c_str());
    SetMenu(hwnd(), menuBar_);
}

void TMF::StartTimers() {
    SetTimer(hwnd(), kTimer25Hz, 40, nullptr);
    SetTimer(hwnd(), kTimerPort, 1000, nullptr);
    SetTimer(hwnd(), kTimerDemo, 10, nullptr);
}

void TMF::FitToDpi(UINT dpi, const RECT* suggested) {
    controls_->SetDpi(dpi);
    chart_.SetDpi(dpi, controls_->Font(FontKind::Normal));
    RECT frame{0, 0, Scaled(kClientWidth, dpi), Scaled(kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, kStyle, TRUE, kExStyle, dpi);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar may take more or less room than the estimate: the client area decides.
    RECT client{};
    GetClientRect(hwnd(), &client);
    width += Scaled(kClientWidth, dpi) - client.right;
    height += Scaled(kClientHeight, dpi) - client.bottom;
    int x, y;
    if (suggested != nullptr) {
        x = suggested->left;
        y = suggested->top;
    } else {
        // Centred on the screen when first shown.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }
    SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMF::M_Menu_Help_AboutClick() {
    // Modeless: the window and the timers go on while it is open.
    about_->ShowOver(hwnd());
}

void TMF::Close() {
    if (closed_ || !station_) return;
    closed_ = true;
    KillTimer(hwnd(), kTimer25Hz);
    KillTimer(hwnd(), kTimerPort);
    KillTimer(hwnd(), kTimerDemo);
    station_->FormClose();
    ui_->CloseBoxes();
    if (about_) about_->B_CloseClick();
}

void TMF::OnMenuCommand(int id) {
    if (id >= kIdDeviceItem && id < kIdDeviceItem + kDeviceMenuItems) {
        const int item = id - kIdDeviceItem + 1;
        Run([this, item] { station_->M_Menu_Setting_ConnectionClick(item); });
    } else if (id == kIdModeNorm) {
        Run([this] { station_->M_Menu_Mode_NormClick(); });
    } else if (id == kIdModeDemo) {
        Run([this] { station_->M_Menu_Mode_DemoClick(); });
    } else if (id == kIdAbout) {
        M_Menu_Help_AboutClick();
    }
}

LRESULT TMF::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (controls_ && controls_->Handle(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (lParam == 0 && !closed_) OnMenuCommand(LOWORD(wParam));
            return 0;
        case WM_INITMENUPOPUP:
            if (reinterpret_cast<HMENU>(wParam) == portMenu_ && !closed_) {
                // "No devices" is shown once the menu has been handled.
                ui_->BeginDeferringBoxes();
                Run([this] { station_->M_Menu_Setting_PortClick(); });
                ui_->EndDeferringBoxes();
            }
            return 0;
        case kShowHeldBoxes:
            ui_->ShowHeldBoxes();
            return 0;
        case WM_TIMER:
            if (closed_) return 0;
            if (wParam == kTimer25Hz) Run([this] { station_->Timer_25HzTimer(); });
            if (wParam == kTimerPort) Run([this] { station_->TimerPortTimer(); });
            if (wParam == kTimerDemo) Run([this] { station_->TimerDemoTimer(); });
            return 0;
        case WM_CLOSE:
            Close();
            DestroyWindow(hwnd());
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Logoff or shutdown: the process ends after this returns, as after the close
            // button, so the close runs now, without a box to wait for.
            if (wParam != FALSE && !closed_) {
                if (ui_ && station_) ui_->EndSession(station_->SettingsDirectory);
                Close();
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_DPICHANGED: {
            const UINT dpi = HIWORD(wParam);
            FitToDpi(dpi, reinterpret_cast<const RECT*>(lParam));
            ApplyForm();
            return 0;
        }
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

int RunMessageLoop(TMF& window) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.hwnd() != nullptr) window.controls().Relay(msg);
        if (window.aboutBox().hwnd() != nullptr) {
            window.aboutBox().controls().Relay(msg);
            if (IsDialogMessageW(window.aboutBox().hwnd(), &msg)) continue;
        }
        if (window.hwnd() != nullptr && IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ts::win32
