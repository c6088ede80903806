// The settings file's text on Windows: in the system's ANSI code page, as the original program
// keeps it. The expectations follow the code page the test runs under (wine takes it from
// LANG): 1251 for Russian, 1252 for Western European.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/texts.h"
#include "platform/text_codec.h"
#include "platform/windows/settings_text.h"
#include "settings_file_rig.h"

namespace ts {
namespace {

TEST(SettingsTextTest, TextGoesIntoTheAnsiCodePageOrIsRefused) {
    const UINT codePage = ::GetACP();
    ASSERT_TRUE(codePage == 1251 || codePage == 1252) << "run under LANG=ru_RU or C: " << codePage;
    struct Case {
        const char* utf8;
        std::optional<std::string> in1251, in1252;  // nothing: refused
    };
    const Case cases[] = {
        {"C:\\tables\\t1.txt", "C:\\tables\\t1.txt", "C:\\tables\\t1.txt"},
        {"Таблица №1",
         "\xD2\xE0\xE1\xEB\xE8\xF6\xE0 \xB9"
         "1",
         std::nullopt},
        {"Ёлка", "\xA8\xEB\xEA\xE0", std::nullopt},
        {"Café", std::nullopt, "Caf\xE9"},
        {"ß", std::nullopt, "\xDF"},
        // No best fit: a look-alike would name another file.
        {"ō", std::nullopt, std::nullopt},
        {"年", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<std::string>& expected = codePage == 1251 ? c.in1251 : c.in1252;
        EXPECT_EQ(Utf8ToSettingsText(c.utf8), expected) << c.utf8;
        if (expected) {
            EXPECT_EQ(SettingsTextToUtf8(*expected), c.utf8);
        }
    }
}

// In a double-byte code page a lead byte without its second byte, or a pair the code page lacks,
// decodes to nothing rather than to a stand-in character that could name another file.
TEST(SettingsTextTest, BytesTheCodePageCannotDecodeGiveNoText) {
    struct Case {
        unsigned codePage;
        const char* bytes;
        const char* utf8;
    };
    const Case cases[] = {
        {932, "C:\\\x95\x5C\\t1.txt", "C:\\表\\t1.txt"},
        {932, "C:\\\x82", ""},
        {936, "C:\\\x81\x20t1.txt", ""},
        {1251, "\xD2\xE0\xE1", "Таб"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingsTextToUtf8(c.bytes, c.codePage), c.utf8) << c.codePage << " " << c.bytes;
    }
}

TEST_F(SettingsFileTest, ATablePathIsKeptInTheAnsiCodePageOrLeftOutWithAWarning) {
    const bool russian = ::GetACP() == 1251;
    st().measurement().Tables().SetPath(0 + 1, "C:\\Таблицы\\канал1.txt");
    st().measurement().Tables().SetPath(1 + 1, "C:\\tables\\t2.txt");
    st().link().SetIdentity("KSL214.8N", st().link().Serial());
    st().settings().Save();
    const LineList lines = FileLines();
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[24], russian ? "C:\\\xD2\xE0\xE1\xEB\xE8\xF6\xFB\\\xEA\xE0\xED\xE0\xEB"
                                   "1.txt"
                                 : "");
    EXPECT_EQ(lines[25], "C:\\tables\\t2.txt");
    if (russian) {
        EXPECT_TRUE(ui.boxes.empty());
    } else {
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].kind, TestUi::BoxKind::Warning);
        EXPECT_EQ(ui.boxes[0].text,
                  "Путь к калибровочной таблице нельзя сохранить в кодировке Windows: "
                  "переименуйте папку или файл латинскими буквами!       ");
    }

    // Read back as the program keeps it, in UTF-8.
    ui.ClearLog();
    st().settings().Load();
    EXPECT_EQ(st().measurement().Tables().Paths()[0], russian ? "C:\\Таблицы\\канал1.txt" : "");
    EXPECT_EQ(st().measurement().Tables().Paths()[1], "C:\\tables\\t2.txt");
    EXPECT_EQ(st().link().Description(), "KSL214.8N");
}

}  // namespace
}  // namespace ts
