#include "app/station.h"
#include "app/texts.h"

namespace ts {

// Every property is assigned on every pass; the window repaints only what
// actually changed.
void Station::RefreshStatus() {
    LabelState& indicator = form.Label_Connection_Indicator;
    if (link.DataReceived) {
        indicator.Caption = text::kConnectionYes;
        indicator.FontColor = kColorBlack;
    } else {
        indicator.Caption = text::kConnectionNo;
        indicator.FontColor = kColorRed;
    }

    RefreshRecordingButtons();

    form.ChartBackground = colors.BackgroundColor;
    form.ChartGrid = colors.GridColor;
    form.PanelColor_CurveCH = colors.CurveColor;
    form.PanelColor_ChartBackGround = colors.BackgroundColor;
    form.PanelColor_ChartGrid = colors.GridColor;

    form.M_Menu_Mode_Demo.Checked = demo.DemoMode;
    form.M_Menu_Mode_Norm.Checked = !demo.DemoMode;

    RefreshRecordingOptions();
}

}  // namespace ts
