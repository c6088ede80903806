#include <QAbstractButton>
#include <QTest>

#include "app_setup.h"
#include "file_dialog_rig.h"

using namespace ts;
using namespace ts::uitest;

// The result file's save dialog: choosing an existing file
// asks first, in Russian, and only a "yes" hands the name to the station
// (which empties it).
class ResultDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void declinedReplacementKeepsTheFileAndChoosesNothing();
    void acceptedReplacementChoosesTheFile();
    void aNewFileIsChosenWithoutAQuestion();
};

void ResultDialogTest::initTestCase() { PrepareApplication(*qApp); }

void ResultDialogTest::declinedReplacementKeepsTheFileAndChoosesNothing() {
    FileDialogRig rig;
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
    FileDialogRig rig;
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
    FileDialogRig rig;
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

QTEST_MAIN(ResultDialogTest)
#include "result_dialog_test.moc"
