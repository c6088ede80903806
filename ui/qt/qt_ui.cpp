#include "qt_ui.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include "app/form_layout.h"
#include "base/texts.h"
#include "qt_text.h"
#include "strip_chart.h"

namespace ts {

QString QtFilter(std::string_view filter) {
    const auto bar = filter.find('|');
    return Q(bar == std::string_view::npos ? filter : filter.substr(0, bar));
}

QtUi::QtUi(QWidget* window, StripChart* chart, QLabel* fileNameLabel)
    : window_(window), chart_(chart), fileNameLabel_(fileNameLabel) {}

void QtUi::EndDeferringBoxes() {
    deferring_ = false;
    if (held_.empty()) return;
    QTimer::singleShot(0, window_, [this] { ShowHeldBoxes(); });
}

void QtUi::EndDeferringBoxesBeside() {
    deferring_ = false;
    std::vector<HeldBox> boxes;
    boxes.swap(held_);
    for (const HeldBox& held : boxes) {
        auto* box = new QMessageBox(held.warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                                    Q(held.warning ? text::kWarningCaption : text::kAppTitle),
                                    Q(held.text), QMessageBox::Ok, window_);
        box->setObjectName("PlainMessageBoxNonModal");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    }
}

void QtUi::ShowHeldBoxes() {
    // The menu that was opening is closed first: a modal box over an open
    // popup would leave both waiting for input.
    if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) popup->close();
    std::vector<HeldBox> boxes;
    boxes.swap(held_);
    for (const HeldBox& box : boxes) {
        if (box.warning) {
            ShowWarning(box.text);
        } else {
            ShowMessage(box.text);
        }
    }
}

void QtUi::ShowMessage(std::string_view text) {
    if (deferring_) {
        held_.push_back({false, std::string(text)});
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, Q(text::kAppTitle), Q(text), QMessageBox::Ok, window_);
    box.setObjectName("PlainMessageBox");
    box.exec();
}

void QtUi::ShowWarning(std::string_view text) {
    if (deferring_) {
        held_.push_back({true, std::string(text)});
        return;
    }
    QMessageBox box(QMessageBox::Warning, Q(text::kWarningCaption), Q(text), QMessageBox::Ok,
                    window_);
    box.setObjectName("WarningMessageBox");
    box.exec();
}

void QtUi::ShowMessageNonModal(std::string_view text) {
    auto* box =
        new QMessageBox(QMessageBox::NoIcon, Q(text::kAppTitle), Q(text), QMessageBox::Ok, window_);
    box->setObjectName("PlainMessageBoxNonModal");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

std::optional<std::string> QtUi::ChooseTableFile() {
    QFileDialog dialog(window_, Q(text::kTableDialogTitle));
    dialog.setObjectName("ListF_OpenDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is taken too: the load then
    // says that the table could not be opened.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QtFilter(text::kTableDialogFilter));
    dialog.setDefaultSuffix(Q(text::kTableDialogDefaultExt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    // Paths are bytes on Linux; keep them as the file system names them.
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<std::string> QtUi::ChooseResultFile() {
    QFileDialog dialog(window_, Q(text::kSaveDialogTitle));
    dialog.setObjectName("DataSaveDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QtFilter(text::kSaveDialogFilter));
    dialog.setDefaultSuffix(Q(text::kSaveDialogDefaultExt));
    // The dialog asks before an existing file is replaced.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<std::string> QtUi::ChooseRecordingFile() {
    QFileDialog dialog(window_, Q(text::kOpenDialogTitle));
    dialog.setObjectName("RecordingOpenDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFilter(text::kOpenDialogFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

void QtUi::OpenReview(const std::string& path) {
    if (reviewOpener_) reviewOpener_(path);
}

std::optional<Color> QtUi::ChooseColor(Color initial) {
    QColorDialog dialog(ToQColor(initial), window_);
    dialog.setObjectName("ColorDialog");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QColor c = dialog.selectedColor();
    return MakeColor(c.red(), c.green(), c.blue());
}

void QtUi::SetBottomAxisMinimum(double value) { chart_->setBottomMinimum(value); }

void QtUi::SetBottomAxisMaximum(double value) { chart_->setBottomMaximum(value); }

void QtUi::EmptySeries(int channel) { chart_->emptySeries(channel); }

void QtUi::SetSeriesPoints(int channel, double firstX, std::span<const float> y, Color color) {
    chart_->setSeries(channel, firstX, y, color);
}

int QtUi::FileNameTextWidth(std::string_view text) {
    // The shortening rule counts in the pixels of the original 8-point face;
    // the label here has room for kFileNameRoom pixels of ours, so widths are
    // scaled to keep the rule's 305-pixel limit meaning "fits the label".
    const int pixels = fileNameLabel_->fontMetrics().horizontalAdvance(Q(text));
    return (pixels * 305 + layout::kFileNameRoom - 1) / layout::kFileNameRoom;
}

}  // namespace ts
