#pragma once

#include <QDialog>

namespace ts {

// The about box: modeless, hidden until asked for, never destroyed.
class TFA final : public QDialog {
    Q_OBJECT
public:
    explicit TFA(QWidget* parent = nullptr);
    void B_CloseClick();
};

}  // namespace ts
