#include "about_box.h"

#include <QPushButton>

#include "form_widgets.h"
#include "qt_text.h"

namespace ts {

TFA::TFA(QWidget* parent) : QDialog(parent) {
    const layout::WindowSpec& spec = layout::AboutBox();
    setObjectName(Q(spec.name));
    setWindowTitle(Q(spec.caption));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(spec.clientWidth, spec.clientHeight);
    for (const layout::ControlSpec& control : layout::AboutBoxControls()) {
        QWidget* widget = MakeWidget(control, this);
        if (control.handler == layout::Handler::B_CloseClick) {
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    &TFA::B_CloseClick);
        }
    }
}

void TFA::B_CloseClick() { close(); }

}  // namespace ts
