#pragma once

#include <QFrame>

#include "base/color.h"

namespace ts {

// A small clickable colour panel.
class ColorSwatch final : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    void setColor(Color color);
    Color color() const { return color_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Color color_ = 0;
};

}  // namespace ts
