#include "review_window.h"

#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include "base/texts.h"
#include "form_widgets.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "review_chart.h"

namespace ts {

namespace {
// The reader looks at a followed file four times a second; the window as often.
constexpr int kTickMilliseconds = 250;
}  // namespace

TFR::TFR(QWidget* parent) : QWidget(parent, Qt::Window), model_(*this) {
    const layout::WindowEntry& entry = layout::ReviewWindow();
    setObjectName(Q(entry.name));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(entry.clientWidth, entry.clientHeight);
    const auto& controls = layout::ReviewWindowControls();
    for (const layout::ControlEntry& control : controls) {
        QWidget* parentWidget = control.parent < 0 ? this : widgets_[std::size_t(control.parent)];
        widgets_.push_back(MakeWidget(
            control, parentWidget,
            {.clicked =
                 [this, &control](bool checked) {
                     TakeClick(model_.form(), control, checked);
                     Dispatch(control.handler, control.index);
                 },
             .itemChosen = [this,
                            &control](int item) { TakeItemIndex(model_.form(), control, item); },
             .scrolled =
                 [this, &control](int position) {
                     TakeScroll(model_.form(), position);
                     Dispatch(control.handler, control.index);
                 }}));
        ties_.push_back(TieOf(model_.form(), control));
        shown_.emplace_back();
    }
    chart_ = findChild<ReviewChart*>("ReviewChart");
    chart_->setModel(&model_, [this] { ApplyForm(); });
    timer_ = new QTimer(this);
    timer_->setObjectName("TimerReview");
    timer_->setInterval(kTickMilliseconds);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
}

TFR::~TFR() = default;

std::string TFR::Open(const std::string& path, const ChartColors& colors,
                      review::DateOrder dateOrder) {
    std::string problem = model_.Open(path, colors, dateOrder);
    if (!problem.empty()) return problem;
    setWindowTitle(Q(model_.form().Caption));
    ApplyForm();
    opened_ = true;
    if (!isMinimized()) timer_->start();
    return {};
}

void TFR::Dispatch(layout::Handler handler, int index) {
    RunHandler(model_, handler, index);
    ApplyForm();
    chart_->update();
}

void TFR::Tick() {
    // Nothing is drawn while minimized; the reader goes on, and the window catches up when
    // it is shown again.
    if (isMinimized() || !isVisible()) return;
    // A finished file read to its end is not drawn again four times a second for nothing.
    const bool redraw = model_.Tick();
    ApplyForm();
    if (redraw) chart_->update();
}

void TFR::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        // Minimized, the window would wake four times a second for nothing: its timer waits for
        // the window to come back, and the window then catches up at once.
        if (isMinimized()) {
            timer_->stop();
        } else {
            if (opened_) timer_->start();
            Tick();
        }
    }
    QWidget::changeEvent(event);
}

void TFR::ApplyForm() {
    const auto& controls = layout::ReviewWindowControls();
    for (std::size_t i = 0; i < widgets_.size(); ++i)
        MirrorTie(controls[i].kind, widgets_[i], ties_[i], shown_[i]);
}

void TFR::ShowMessage(std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, Q(text::kAppTitle), Q(text), QMessageBox::Ok, this);
    box.setObjectName("PlainMessageBox");
    box.exec();
}

std::optional<std::string> TFR::ChooseExportFile(ExportKind kind, const std::string& suggested) {
    const bool csv = kind == ExportKind::Csv;
    QFileDialog dialog(this, Q(csv ? text::kCsvDialogTitle : text::kPngDialogTitle));
    dialog.setObjectName(csv ? "CsvSaveDialog" : "PngSaveDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QtFilter(csv ? text::kCsvDialogFilter : text::kPngDialogFilter));
    dialog.setDefaultSuffix(Q(csv ? text::kCsvDialogDefaultExt : text::kPngDialogDefaultExt));
    if (!suggested.empty()) {
        // Beside the recording, under its name: not the working folder that holds the settings.
        const QFileInfo offered(QFile::decodeName(suggested.c_str()));
        dialog.setDirectory(offered.absolutePath());
        dialog.selectFile(offered.fileName());
    }
    // The dialog asks before an existing file is replaced.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

bool TFR::WriteChartPicture(const std::string& path) {
    return chart_->grab().save(QFile::decodeName(path.c_str()), "PNG");
}

}  // namespace ts
