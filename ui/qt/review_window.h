#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "app/form_binding.h"
#include "form_widgets.h"
#include "review/review_model.h"

class QTimer;

namespace ts {

class ReviewChart;

// A review window: one recording looked back at, beside the main window and any other review
// window. Built from the review window's description, it forwards every event to its model and
// mirrors the model after each and after every tick; it owns no behaviour of its own.
class TFR final : public QWidget, private ReviewUi {
    Q_OBJECT
public:
    explicit TFR(QWidget* parent = nullptr);
    ~TFR() override;

    // Opens the recording; an empty text when it opened, else why not.
    std::string Open(const std::string& path, const ChartColors& colors,
                     review::DateOrder dateOrder);
    ReviewModel& model() { return model_; }
    ReviewChart* chart() const { return chart_; }
    // Copies the model to the widgets, touching only what differs.
    void ApplyForm();
    // What a tick does: the model takes in what the reader has read, unless minimized.
    void Tick();

protected:
    void changeEvent(QEvent* event) override;

private:
    void ShowMessage(std::string_view text) override;
    std::optional<std::string> ChooseExportFile(ExportKind kind,
                                                const std::string& suggested) override;
    bool WriteChartPicture(const std::string& path) override;
    void Dispatch(layout::Handler handler, int index);

    ReviewModel model_;
    std::vector<QWidget*> widgets_;
    std::vector<FormTie> ties_;
    std::vector<ShownValues> shown_;
    ReviewChart* chart_ = nullptr;
    QTimer* timer_ = nullptr;
    bool opened_ = false;
};

}  // namespace ts
