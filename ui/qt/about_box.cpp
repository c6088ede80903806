#include "about_box.h"

#include <QLabel>
#include <QPushButton>

#include "app/texts.h"
#include "qt_text.h"

namespace ts {

TFA::TFA(QWidget* parent) : QDialog(parent) {
    setObjectName("FA");
    setWindowTitle(Q(text::kAboutCaption));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(244, 114);

    auto* title = new QLabel(Q(text::kAboutLine1), this);
    title->setObjectName("Label_AboutTitle");
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(0, 14, 244, 20);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto* model = new QLabel(Q(text::kAboutLine2), this);
    model->setObjectName("Label_AboutModel");
    model->setAlignment(Qt::AlignCenter);
    model->setGeometry(0, 40, 244, 20);

    auto* close = new QPushButton(Q(text::kAboutClose), this);
    close->setObjectName("B_Close");
    close->setGeometry(82, 76, 80, 25);
    connect(close, &QPushButton::clicked, this, &TFA::B_CloseClick);
}

void TFA::B_CloseClick() { close(); }

}  // namespace ts
