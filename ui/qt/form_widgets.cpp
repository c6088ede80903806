#include "form_widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include "color_swatch.h"
#include "qt_text.h"
#include "review_chart.h"
#include "strip_chart.h"

namespace ts {

namespace {

using layout::Kind;

QFont FontOf(layout::FontKind kind, QFont font) {
    const layout::FontFace& entry = layout::kFontFaces[static_cast<std::size_t>(kind)];
    font.setBold(entry.bold);
    // The normal faces keep the desktop's size for dialog text.
    if (entry.fixedHeight) font.setPixelSize(entry.pixelHeight);
    return font;
}

Qt::Alignment AlignmentOf(layout::Align align) {
    switch (align) {
        case layout::Align::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case layout::Align::Centre:
            return Qt::AlignCenter;
        case layout::Align::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QLabel* MakeLabel(const layout::ControlEntry& entry, QWidget* parent) {
    auto* label = new QLabel(Q(entry.caption), parent);
    label->setAlignment(entry.top ? Qt::AlignLeft | Qt::AlignTop : AlignmentOf(entry.align));
    if (entry.sunken) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (entry.backColor != layout::kNoBackColor) {
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, ToQColor(entry.backColor));
        label->setPalette(palette);
    }
    return label;
}

QComboBox* MakeComboBox(const layout::ControlEntry& entry, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    // Typed text never becomes an item; text that names no item selects nothing.
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& item : entry.items) box->addItem(Q(item));
    return box;
}

QWidget* MakeKind(const layout::ControlEntry& entry, QWidget* parent) {
    switch (entry.kind) {
        case Kind::Label:
            return MakeLabel(entry, parent);
        case Kind::Button:
            // A tool button takes a caption colour of the program's; a push button keeps the
            // style's.
            if (entry.colouredCaption) {
                auto* button = new QToolButton(parent);
                button->setText(Q(entry.caption));
                return button;
            }
            return new QPushButton(Q(entry.caption), parent);
        case Kind::CheckBox:
            return new QCheckBox(Q(entry.caption), parent);
        case Kind::RadioButton:
            return new QRadioButton(Q(entry.caption), parent);
        case Kind::GroupBox:
            return new QGroupBox(Q(entry.caption), parent);
        case Kind::ComboBox:
            return MakeComboBox(entry, parent);
        case Kind::ColorSwatch:
            return new ColorSwatch(parent);
        case Kind::Chart:
            return new StripChart(parent);
        case Kind::ReviewChart:
            return new ReviewChart(parent);
        case Kind::ScrollBar:
            return new QScrollBar(Qt::Horizontal, parent);
    }
    return nullptr;
}

void Connect(const layout::ControlEntry& entry, QWidget* widget, const ControlEvents& events) {
    if (auto* box = qobject_cast<QComboBox*>(widget); box != nullptr && events.itemChosen) {
        QObject::connect(box, &QComboBox::currentIndexChanged, box, events.itemChosen);
        QObject::connect(box, &QComboBox::editTextChanged, box,
                         [box, chosen = events.itemChosen](const QString& typed) {
                             chosen(box->findText(typed, Qt::MatchExactly));
                         });
    }
    if (auto* bar = qobject_cast<QScrollBar*>(widget); bar != nullptr && events.scrolled) {
        // The mirror sets the value with the signals blocked: only the user's moves come here.
        QObject::connect(bar, &QScrollBar::valueChanged, bar, events.scrolled);
    }
    if (!events.clicked) return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::clicked, button, events.clicked);
    } else if (auto* swatch = qobject_cast<ColorSwatch*>(widget)) {
        QObject::connect(swatch, &ColorSwatch::clicked, swatch,
                         [clicked = events.clicked] { clicked(false); });
    }
    if (entry.radioGroup == layout::RadioGroup::None) return;
    const QString groupName = widget->parentWidget()->objectName() + "_Buttons";
    auto* group = widget->parentWidget()->findChild<QButtonGroup*>(groupName);
    if (group == nullptr) {
        group = new QButtonGroup(widget->parentWidget());
        group->setObjectName(groupName);
    }
    group->addButton(static_cast<QAbstractButton*>(widget), entry.index);
}

}  // namespace

QWidget* MakeWidget(const layout::ControlEntry& entry, QWidget* parent, ControlEvents events) {
    QWidget* widget = MakeKind(entry, parent);
    widget->setObjectName(Q(entry.name));
    if (!entry.hint.empty()) widget->setToolTip(Q(entry.hint));
    if (entry.font != layout::FontKind::Normal) widget->setFont(FontOf(entry.font, widget->font()));
    if (entry.fitsText) {
        widget->adjustSize();
        widget->move((parent->width() - widget->width()) / 2,
                     parent->height() / 2 - widget->height());
    } else {
        const layout::Place& p = entry.place;
        widget->setGeometry(p.x, p.y, p.width, p.height);
    }
    Connect(entry, widget, events);
    return widget;
}

}  // namespace ts
