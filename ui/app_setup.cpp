#include "app_setup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ts {

void PrepareApplication(QApplication& app) {
    app.setApplicationName("TS");
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

}  // namespace ts
