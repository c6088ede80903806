#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/ui_port.h"
#include "controls.h"
#include "strip_chart.h"
#include "win32.h"

namespace ts::win32 {

// Posted to the main window to show the boxes held back while a menu was opening.
constexpr UINT kShowHeldBoxes = WM_APP + 1;

// An open or save dialog of the system's ("Description|*.ext" filters); a save dialog asks
// before an existing file is replaced. Nothing when cancelled. `suggested`: the folder and the
// name it opens on; the working folder and no name when empty.
std::optional<std::string> FileDialog(HWND owner, bool save, std::string_view title,
                                      std::string_view filter, std::string_view extension,
                                      std::string_view suggested = {});

// The Ui port on Windows: message boxes, the three common dialogs, the chart and the
// measurement of the file name label's text.
class Win32Ui final : public Ui {
public:
    Win32Ui(HWND owner, StripChart& chart, const Control& fileNameLabel,
            const ControlSet& controls);
    ~Win32Ui() override;

    void ShowMessage(std::string_view text) override;
    void ShowWarning(std::string_view text) override;
    void ShowMessageNonModal(std::string_view text) override;
    std::optional<std::string> ChooseTableFile() override;
    std::optional<std::string> ChooseResultFile() override;
    std::optional<std::string> ChooseRecordingFile() override;
    void OpenReview(const std::string& path) override;
    std::optional<Color> ChooseColor(Color initial) override;
    void SetBottomAxisMinimum(double value) override;
    void SetBottomAxisMaximum(double value) override;
    void EmptySeries(int channel) override;
    void SetSeriesPoints(int channel, double firstX, std::span<const float> y,
                         Color color) override;
    int FileNameTextWidth(std::string_view text) override;

    // Width of `text` in the file name label's font, in pixels at 96 dots per inch.
    int LabelTextWidth(std::string_view text) const;

    // While deferring, boxes are held back and shown once the message loop has them: a box
    // must not run its loop while a menu is being opened.
    void BeginDeferringBoxes() { deferring_ = true; }
    // What opens a review window: the main window's.
    void SetReviewOpener(std::function<void(const std::string&)> opener) {
        reviewOpener_ = std::move(opener);
    }
    void EndDeferringBoxes();
    // Ends the deferring with the held boxes shown beside the windows, each on a thread of
    // its own and not brought to the front: nothing waits for their OK.
    void EndDeferringBoxesBeside(std::string_view earlier = {});
    void ShowHeldBoxes();
    // Closes every box the program has open: the window is closing.
    void CloseBoxes();
    // Windows is ending the session: the boxes up are closed, and from now on every message
    // goes to the session log in `folder` (the settings') instead of a box nobody may answer.
    void EndSession(const std::string& folder);

private:
    struct HeldBox {
        bool warning;
        std::string text;
    };
    struct BoxThread {
        HANDLE handle;
        DWORD id;
    };
    void Box(std::string_view text, bool warning);
    void ForgetEndedBoxThreads();
    // A box of its own thread, owned by no window: it blocks neither the window nor the timers.
    void BoxOnItsThread(std::wstring text, std::wstring caption, UINT flags);

    HWND owner_;
    StripChart& chart_;
    const Control& fileNameLabel_;
    const ControlSet& controls_;
    std::function<void(const std::string&)> reviewOpener_;
    bool deferring_ = false;
    bool sessionEnding_ = false;
    std::string sessionLogFolder_;
    std::vector<HeldBox> held_;
    std::vector<BoxThread> boxThreads_;
};

}  // namespace ts::win32
