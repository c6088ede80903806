#include "about_box.h"

#include <QPushButton>

#include "form_widgets.h"
#include "qt_text.h"

namespace ts {

TFA::TFA(QWidget* parent) : QDialog(parent) {
    const layout::WindowEntry& entry = layout::AboutBox();
    setObjectName(Q(entry.name));
    setWindowTitle(Q(entry.caption));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(entry.clientWidth, entry.clientHeight);
    for (const layout::ControlEntry& control : layout::AboutBoxControls()) {
        QWidget* widget = MakeWidget(control, this);
        if (control.handler == layout::Handler::B_CloseClick) {
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    &TFA::B_CloseClick);
        }
    }
}

void TFA::B_CloseClick() { close(); }

}  // namespace ts
