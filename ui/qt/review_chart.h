#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "base/color.h"

namespace ts {

class ReviewModel;

// The review window's chart: paints the span the model shows (curves per column from the
// recording's index, time and value lines, gaps, the selection and the cursor) and hands the
// mouse and the keys to the model, as fractions of the plot's width.
class ReviewChart final : public QWidget {
    Q_OBJECT
public:
    explicit ReviewChart(QWidget* parent = nullptr);

    // The model it shows, and what to call once an event has changed it.
    void setModel(ReviewModel* model, std::function<void()> changed);
    void setBackgroundColor(Color color);
    void setGridColor(Color color);
    // The plotting area inside the widget, in widget pixels.
    QRect plotRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Pan, Select, Zoom };
    double fractionAt(double x) const;
    double heightAt(double y) const;
    void changed();

    ReviewModel* model_ = nullptr;
    std::function<void()> changed_;
    Color background_ = 0, grid_ = 0;
    Drag drag_ = Drag::None;
    double dragStart_ = 0, dragLast_ = 0;
    std::vector<QPointF> line_;  // one curve's points, reused
    QString label_;              // one axis label, reused
};

}  // namespace ts
