#include <QTest>

#include "app_setup.h"
#include "file_dialog_rig.h"

using namespace ts;
using namespace ts::uitest;

class TableDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(*qApp); }
    void offersTablesAndAddsItsExtension();
};

// The calibration table's open dialog: its own title and filter, and a name typed without an
// extension gets "st".
void TableDialogTest::offersTablesAndAddsItsExtension() {
    FileDialogRig rig;
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

QTEST_MAIN(TableDialogTest)
#include "table_dialog_test.moc"
