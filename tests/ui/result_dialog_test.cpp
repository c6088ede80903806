#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app_setup.h"
#include "qt_ui.h"
#include "ui_test_support.h"

using namespace ts;

// The file dialogs. The result file's save dialog: choosing an existing file
// asks first, in Russian, and only a "yes" hands the name to the station
// (which empties it). The calibration table's open dialog.
class ResultDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void declinedReplacementKeepsTheFileAndChoosesNothing();
    void acceptedReplacementChoosesTheFile();
    void aNewFileIsChosenWithoutAQuestion();
    void theTableDialogOffersTablesAndAddsItsExtension();
};

namespace {

struct Rig {
    uitest::InTemporaryFolder folder;
    QWidget window;
    QLabel label{&window};
    QtUi ui{&window, nullptr, &label};
    QString existing = folder.path() + "/old.txt";

    Rig() {
        QFile file(existing);
        file.open(QIODevice::WriteOnly);
        file.write("earlier results\r\n");
    }
};

QFileDialog* OpenDialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (dialog != nullptr && dialog->isVisible()) return dialog;
    }
    return nullptr;
}

QMessageBox* OpenQuestion() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

// Drives the modal dialogs from a timer: `step` is called until it says done.
// Should it never be done, the dialogs are closed so that the test fails
// instead of waiting for ever.
class DialogDriver {
public:
    explicit DialogDriver(std::function<bool()> step) : step_(std::move(step)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (++ticks_ > kGiveUpTicks) {
                if (QMessageBox* box = OpenQuestion()) box->reject();
                if (QFileDialog* dialog = OpenDialog()) dialog->reject();
                return;
            }
            if (step_()) timer_.stop();
        });
        timer_.start(10);
    }

private:
    static constexpr int kGiveUpTicks = 1000;
    std::function<bool()> step_;
    QTimer timer_;
    int ticks_ = 0;
};

// Types `name` into the open dialog's name box and accepts it. Typed, not
// selected: the dialog ignores a selection while its name box has the focus.
// Queued: the question the dialog may ask runs its own loop, in which the
// driving timer must fire.
bool Choose(const QString& name) {
    QFileDialog* dialog = OpenDialog();
    if (dialog == nullptr) return false;
    auto* nameBox = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (nameBox == nullptr) return false;
    nameBox->setText(name);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    return true;
}

}  // namespace

void ResultDialogTest::initTestCase() { PrepareApplication(*qApp); }

void ResultDialogTest::declinedReplacementKeepsTheFileAndChoosesNothing() {
    Rig rig;
    QString question, caption, noText;
    int stage = 0;
    DialogDriver driver([&] {
        if (stage == 0 && Choose(rig.existing)) stage = 1;
        if (stage == 1) {
            if (QMessageBox* box = OpenQuestion()) {
                question = box->text();
                caption = box->windowTitle();
                noText = box->button(QMessageBox::No)->text();
                box->button(QMessageBox::No)->click();
                stage = 2;
            }
            return false;
        }
        if (stage == 2 && OpenDialog() != nullptr) {
            // Back in the dialog after the "no": the user gives up.
            OpenDialog()->reject();
            return true;
        }
        return false;
    });
    const std::optional<std::string> chosen = rig.ui.ChooseResultFile();

    QVERIFY(!chosen.has_value());
    QVERIFY2(question.contains("old.txt"), qPrintable(question));
    QVERIFY2(question.contains("уже существует"), qPrintable(question));
    QCOMPARE(caption, QString("Выбор файла для сохранения результатов"));
    QCOMPARE(noText.remove('&'), QString("Нет"));
    QFile file(rig.existing);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("earlier results\r\n"));
}

void ResultDialogTest::acceptedReplacementChoosesTheFile() {
    Rig rig;
    int stage = 0;
    QString yesText;
    DialogDriver driver([&] {
        // Typed without its extension: the default one makes it the same file.
        if (stage == 0 && Choose(rig.folder.path() + "/old")) stage = 1;
        if (stage == 1) {
            if (QMessageBox* box = OpenQuestion()) {
                yesText = box->button(QMessageBox::Yes)->text();
                box->button(QMessageBox::Yes)->click();
                return true;
            }
        }
        return false;
    });
    const std::optional<std::string> chosen = rig.ui.ChooseResultFile();

    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), rig.existing);
    QCOMPARE(yesText.remove('&'), QString("Да"));
}

void ResultDialogTest::aNewFileIsChosenWithoutAQuestion() {
    Rig rig;
    bool asked = false;
    DialogDriver driver([&] {
        if (QMessageBox* box = OpenQuestion()) {
            asked = true;
            box->button(QMessageBox::Yes)->click();
        }
        return Choose(rig.folder.path() + "/new");
    });
    const std::optional<std::string> chosen = rig.ui.ChooseResultFile();

    QVERIFY(!asked);
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), rig.folder.path() + "/new.txt");
}

// The calibration table's open dialog: its own title and filter, and a name typed without an
// extension gets "st".
void ResultDialogTest::theTableDialogOffersTablesAndAddsItsExtension() {
    Rig rig;
    QString title, suffix;
    QStringList filters;
    DialogDriver driver([&] {
        QFileDialog* dialog = OpenDialog();
        if (dialog == nullptr) return false;
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        return Choose(rig.folder.path() + "/calibration");
    });
    const std::optional<std::string> chosen = rig.ui.ChooseTableFile();

    QCOMPARE(title, QString("Выбор файла с калибровочной таблицей"));
    QCOMPARE(filters, QStringList{"Файлы таблиц калибровки (*.txt)"});
    QCOMPARE(suffix, QString("st"));
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), rig.folder.path() + "/calibration.st");
}

QTEST_MAIN(ResultDialogTest)
#include "result_dialog_test.moc"
