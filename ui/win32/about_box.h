#pragma once

#include <memory>
#include <vector>

#include "controls.h"
#include "window_base.h"

namespace ts::win32 {

// The about box "О программе": modeless, hidden until asked for, hidden again (not destroyed)
// when closed.
class TFA final : public WindowBase {
public:
    TFA(HWND owner, UINT dpi);

    // Shows the box, centred over its owner the first time or after it was closed; when it is
    // open already it only comes forward.
    void ShowOver(HWND owner);
    void B_CloseClick();
    bool IsShown() const { return IsWindowVisible(hwnd()) != FALSE; }
    ControlSet& controls() { return *controls_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FitToDpi(UINT dpi);

    std::unique_ptr<ControlSet> controls_;
    std::vector<std::unique_ptr<Control>> made_;
};

}  // namespace ts::win32
