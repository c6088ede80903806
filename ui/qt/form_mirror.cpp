// Mirrors the station's presentation model onto the widgets. Every setter is
// guarded so that an unchanged value never causes a repaint.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "color_swatch.h"
#include "main_window.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "strip_chart.h"

namespace ts {

namespace {

void SetEnabled(QWidget* widget, bool enabled) {
    if (widget->isEnabled() != enabled) widget->setEnabled(enabled);
}

void SetVisible(QWidget* widget, bool visible) {
    if (widget->isVisibleTo(widget->parentWidget()) != visible) widget->setVisible(visible);
}

void SetChecked(QAbstractButton* button, bool checked) {
    if (button->isChecked() != checked) button->setChecked(checked);
}

void SetText(QLabel* label, const std::string& caption) {
    const QString text = Q(caption);
    if (label->text() != text) label->setText(text);
}

QColor TextColor(Color color, const QWidget* widget) {
    // The desktop's window-text colour is the widget's own palette default.
    if (color == kColorWindowText)
        return widget->style()->standardPalette().color(QPalette::WindowText);
    return ToQColor(color);
}

// Only the enabled look takes the colour: a disabled control keeps the style's greyed text,
// so that it does not look as if it could be used.
void SetTextColor(QWidget* widget, Color color) {
    const QColor wanted = TextColor(color, widget);
    QPalette palette = widget->palette();
    bool changed = false;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) {
            if (palette.color(group, role) == wanted) continue;
            palette.setColor(group, role, wanted);
            changed = true;
        }
    }
    if (changed) widget->setPalette(palette);
}

void SetToolTip(QWidget* widget, const std::string& hint) {
    const QString text = Q(hint);
    if (widget->toolTip() != text) widget->setToolTip(text);
}

void SetLabel(QLabel* label, const LabelState& state) {
    SetText(label, state.Caption);
    SetTextColor(label, state.FontColor);
    SetEnabled(label, state.Enabled);
    SetVisible(label, state.Visible);
}

void SetCheck(QAbstractButton* box, const CheckState& state) {
    SetChecked(box, state.Checked);
    SetEnabled(box, state.Enabled);
    SetVisible(box, state.Visible);
}

void SetMenuItem(QAction* action, const MenuItemState& state) {
    const QString text = Q(state.Caption);
    if (action->text() != text) action->setText(text);
    if (action->isChecked() != state.Checked) action->setChecked(state.Checked);
    if (action->isEnabled() != state.Enabled) action->setEnabled(state.Enabled);
    if (action->isVisible() != state.Visible) action->setVisible(state.Visible);
}

// A plain item shows a tick when checked and no mark when not; a checkable item would show
// an empty box, unlike the radio items above it.
void SetPlainMenuItem(QAction* action, const MenuItemState& state) {
    if (action->isCheckable() != state.Checked) action->setCheckable(state.Checked);
    SetMenuItem(action, state);
}

// An exclusive group must be able to show "nothing selected" too.
void SelectInGroup(QButtonGroup* group, int id) {
    QAbstractButton* wanted = group->button(id);
    if (group->checkedButton() == wanted) return;
    if (wanted != nullptr) {
        wanted->setChecked(true);
        return;
    }
    group->setExclusive(false);
    if (QAbstractButton* checked = group->checkedButton()) checked->setChecked(false);
    group->setExclusive(true);
}

}  // namespace

void TMF::ApplyForm() {
    const Form& f = station_->form;

    chart_->setBackgroundColor(f.ChartBackground);
    chart_->setGridColor(f.ChartGrid);
    SetLabel(errDeviceNum_, f.Label_ErrDeviceNum);
    SetCheck(chartStop_, f.CheckBox_ChartStop);
    SetCheck(chartAver_, f.CheckBox_ChartAver);
    SetEnabled(chartClear_, f.ButtonChartClear.Enabled);
    backgroundSwatch_->setColor(f.PanelColor_ChartBackGround);
    gridSwatch_->setColor(f.PanelColor_ChartGrid);
    SelectInGroup(scaleButtons_, f.RadioGroup_X);

    for (int c = 0; c < kChannels; ++c) {
        SetLabel(readouts_[c], f.Label_ResCH[c]);
        SetEnabled(tableButtons_[c], f.B_ListF_CH[c].Enabled);
        SetTextColor(tableButtons_[c], f.B_ListF_CH[c].FontColor);
        SetCheck(chartEnables_[c], f.ChartEN_CH[c]);
        SetCheck(fileEnables_[c], f.FileEN_CH[c]);
        curveSwatches_[c]->setColor(f.PanelColor_CurveCH[c]);
    }

    SelectInGroup(recordButtons_, f.SelectedRecordChoice());
    for (int i = 0; i < kRecordChoices; ++i)
        SetEnabled(recordChoices_[i], f.RadioB_File[i].Enabled);
    SetEnabled(onChangeSens_, f.Label_FileOnChangeSens.Enabled);
    SetEnabled(threshold_, f.ComboBox_FileOnChangeThresh.Enabled);
    // Text typed into the box that names no item means "nothing selected"
    // and stays as typed; clearing the index would wipe it.
    const int thresholdIndex = f.ComboBox_FileOnChangeThresh.ItemIndex;
    const bool typedNoItem =
        thresholdIndex < 0 && threshold_->findText(threshold_->currentText()) < 0;
    if (!typedNoItem && threshold_->currentIndex() != thresholdIndex) {
        const QSignalBlocker block(threshold_);
        threshold_->setCurrentIndex(thresholdIndex);
    }
    SetEnabled(fileButton_, f.B_File.Enabled);
    SetEnabled(startButton_, f.B_FileSaveStart.Enabled);
    SetEnabled(stopButton_, f.B_FileSaveStop.Enabled);
    SetCheck(dataAver_, f.CheckBox_FileDataAver);
    SetLabel(recordTime_, f.Label_FileRecordTime);
    SetToolTip(recordTime_, f.Label_FileRecordTime.Hint);
    SetLabel(resultFileName_, f.Label_ResultFileName);
    if (resultFileName_->width() != std::min(resultFileName_->sizeHint().width(), kFileNameRoom)) {
        resultFileName_->resize(std::min(resultFileName_->sizeHint().width(), kFileNameRoom),
                                resultFileName_->height());
    }

    SetLabel(connectionIndicator_, f.Label_Connection_Indicator);
    SetToolTip(connectionIndicator_, f.Label_Connection_Indicator.Hint);

    for (int k = 0; k < kDeviceMenuItems; ++k) {
        if (k < kDeviceRadioItems) {
            SetMenuItem(deviceItems_[k], f.M_Menu_Setting_Connection[k]);
        } else {
            SetPlainMenuItem(deviceItems_[k], f.M_Menu_Setting_Connection[k]);
        }
    }
    const QString modeCaption = Q(f.M_Menu_Mode.Caption);
    if (modeMenu_->title() != modeCaption) modeMenu_->setTitle(modeCaption);
    SetMenuItem(modeNorm_, f.M_Menu_Mode_Norm);
    SetMenuItem(modeDemo_, f.M_Menu_Mode_Demo);
}

}  // namespace ts
