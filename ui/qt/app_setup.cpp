#include "app_setup.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "base/texts.h"
#include "qt_text.h"

// The icon is compiled into the window library; a static library's resources are registered
// by hand.
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

namespace ts {

void PrepareApplication(QApplication& app) {
    app.setApplicationName("TS");
    RegisterResources();
    app.setWindowIcon(QIcon(":/trend-station.svg"));
    // Ties the windows to the desktop menu entry, for its icon and name in task bars.
    QGuiApplication::setDesktopFileName("trend-station");
    // The window is Russian whatever the desktop's language; its dialogs too.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase_ru", "qt_ru"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(catalogue, translations)) {
            QApplication::installTranslator(translator);
        } else {
            delete translator;
        }
    }
    // The layout was drawn for an 8-point sans-serif face, 11 pixels high.
    QFont font("Sans Serif");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    QApplication::setFont(font);
}

int ReportDataFolderFailure(const std::string& why) {
    QMessageBox box(QMessageBox::NoIcon, Q(text::kAppTitle),
                    Q(std::string(text::kMsgDataFolderFailed) + why));
    box.exec();
    return 1;
}

}  // namespace ts
