#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/color.h"
#include "controls.h"
#include "pixel_bitmap.h"
#include "window_base.h"

namespace ts {
class ReviewModel;
}

namespace ts::win32 {

// The review window's chart, drawn as the Qt window's: the span the model shows (curves per
// column from the recording's index, time and value lines, gaps, the selection and the cursor),
// with GDI into a bitmap off the screen. The mouse and the keys go to the model, as fractions
// of the plot's width.
class ReviewChart final : public WindowBase {
public:
    void Create(HWND parent, Place place, UINT dpi, HFONT font);
    void SetDpi(UINT dpi, HFONT font);
    // The model it shows, and what to call once an event has changed it.
    void SetModel(ReviewModel* model, std::function<void()> changed);
    void SetBackgroundColor(Color color);
    void SetGridColor(Color color);
    // Draws again at the next paint.
    void Changed();
    // The plotting area in the chart's pixels.
    RECT PlotRect() const;
    // The chart as it shows, as a PNG file; false when it could not be written.
    bool WritePng(const std::string& path);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Drag { None, Pan, Select, Zoom };
    void MakeBitmap();
    void Render();
    void Shade(RECT r, std::uint32_t color, int percent);
    double FractionAt(int x) const;
    double HeightAt(int y) const;
    void Tell();
    // One handler per message kind.
    void OnSize(int width, int height);
    void OnPaint();
    void OnButtonDown(bool right, WPARAM keys, int x);
    void OnMouseMove(int x);
    void OnButtonUp(int x);
    void OnMouseLeave();
    void OnWheel(WPARAM wParam, LPARAM lParam);
    // False for a key the chart leaves to the window.
    bool OnKey(WPARAM virtualKey);

    ReviewModel* model_ = nullptr;
    std::function<void()> changed_;
    Place place_{};
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    Color background_ = 0, grid_ = 0;
    int width_ = 0, height_ = 0;
    PixelBitmap picture_;
    bool valid_ = false;
    bool tracking_ = false;
    Drag drag_ = Drag::None;
    double dragStart_ = 0, dragLast_ = 0;
    std::vector<POINT> line_;
};

}  // namespace ts::win32
