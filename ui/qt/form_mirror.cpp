// Mirrors the station's presentation model onto the widgets. Every setter is
// guarded so that an unchanged value never causes a repaint.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>

#include "color_swatch.h"
#include "form_widgets.h"
#include "main_window.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "review_chart.h"
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

// True once for each new value: the mirror runs on every tick, and most values stay.
template <typename T, typename U>
bool Differs(std::optional<T>& shown, const U& wanted) {
    if (shown && *shown == wanted) return false;
    shown = wanted;
    return true;
}

void SetText(QLabel* label, const std::string& caption, std::optional<std::string>& shown) {
    if (!Differs(shown, caption)) return;
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
void SetTextColor(QWidget* widget, Color color, std::optional<Color>& shown) {
    if (!Differs(shown, color)) return;
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

void SetToolTip(QWidget* widget, const std::string& hint, std::optional<std::string>& shown) {
    if (!Differs(shown, hint)) return;
    const QString text = Q(hint);
    if (widget->toolTip() != text) widget->setToolTip(text);
}

template <typename Shown>
void SetLabel(QLabel* label, const LabelState& state, Shown& shown) {
    SetText(label, state.Caption, shown.text);
    SetTextColor(label, state.FontColor, shown.textColor);
    SetEnabled(label, state.Enabled);
    SetVisible(label, state.Visible);
}

void SetCheck(QAbstractButton* box, const CheckState& state) {
    SetChecked(box, state.Checked);
    SetEnabled(box, state.Enabled);
    SetVisible(box, state.Visible);
}

// A radio button of an exclusive group can be cleared only with the group's exclusion off: the
// model may select none of the group.
void SetRadio(QAbstractButton* radio, bool checked) {
    if (radio->isChecked() == checked) return;
    QButtonGroup* group = radio->group();
    if (checked || group == nullptr) {
        radio->setChecked(checked);
        return;
    }
    group->setExclusive(false);
    radio->setChecked(false);
    group->setExclusive(true);
}

void SetComboIndex(QComboBox* box, const ComboState& state) {
    // Text typed into the box that names no item means "nothing selected" and stays as typed;
    // clearing the index would wipe it.
    const bool typedNoItem = state.ItemIndex < 0 && box->findText(box->currentText()) < 0;
    if (!typedNoItem && box->currentIndex() != state.ItemIndex) {
        const QSignalBlocker block(box);
        box->setCurrentIndex(state.ItemIndex);
    }
}

void SetScroll(QScrollBar* bar, const ScrollState& state) {
    const QSignalBlocker block(bar);
    if (bar->minimum() != 0 || bar->maximum() != state.Maximum) bar->setRange(0, state.Maximum);
    if (bar->pageStep() != state.Page) bar->setPageStep(state.Page);
    bar->setSingleStep(std::max(state.Page / 10, 1));
    if (bar->value() != state.Position) bar->setValue(state.Position);
    SetEnabled(bar, state.Enabled);
}

}  // namespace

void MirrorTie(layout::Kind kind, QWidget* widget, const FormTie& tie, ShownValues& shown) {
    switch (kind) {
        case layout::Kind::Chart:
            static_cast<StripChart*>(widget)->setBackgroundColor(*tie.color);
            static_cast<StripChart*>(widget)->setGridColor(*tie.gridColor);
            return;
        case layout::Kind::ReviewChart:
            static_cast<ReviewChart*>(widget)->setBackgroundColor(*tie.color);
            static_cast<ReviewChart*>(widget)->setGridColor(*tie.gridColor);
            return;
        case layout::Kind::ScrollBar:
            SetScroll(static_cast<QScrollBar*>(widget), *tie.scroll);
            return;
        case layout::Kind::Label:
            if (tie.label != nullptr) {
                SetLabel(static_cast<QLabel*>(widget), *tie.label, shown);
            } else if (tie.state != nullptr) {
                SetEnabled(widget, tie.state->Enabled);
            }
            if (tie.hint != nullptr) SetToolTip(widget, *tie.hint, shown.hint);
            return;
        case layout::Kind::Button:
            if (tie.state != nullptr) SetEnabled(widget, tie.state->Enabled);
            if (tie.textColor != nullptr) {
                SetTextColor(widget, *tie.textColor, shown.textColor);
            }
            return;
        case layout::Kind::CheckBox:
            if (tie.check != nullptr) SetCheck(static_cast<QAbstractButton*>(widget), *tie.check);
            return;
        case layout::Kind::RadioButton:
            SetRadio(static_cast<QAbstractButton*>(widget), tie.Checked());
            if (tie.state != nullptr) SetEnabled(widget, tie.state->Enabled);
            return;
        case layout::Kind::ColorSwatch:
            static_cast<ColorSwatch*>(widget)->setColor(*tie.color);
            return;
        case layout::Kind::ComboBox:
            SetEnabled(widget, tie.state->Enabled);
            SetComboIndex(static_cast<QComboBox*>(widget), *tie.combo);
            return;
        case layout::Kind::GroupBox:
            return;
    }
}

void TMF::MirrorControl(std::size_t index) {
    MirrorTie(layout::MainWindowControls()[index].kind, widgets_[index], ties_[index],
              shown_[index]);
}

void TMF::ApplyForm() {
    for (std::size_t i = 0; i < widgets_.size(); ++i) MirrorControl(i);
    // Sized to its text, within the room the group leaves it.
    const int fileNameWidth = std::min(resultFileName_->sizeHint().width(), layout::kFileNameRoom);
    if (resultFileName_->width() != fileNameWidth) {
        resultFileName_->resize(fileNameWidth, resultFileName_->height());
    }
    menus_->Mirror();
}

}  // namespace ts
