#include "record/resume_note.h"

#include <gtest/gtest.h>

#include "file_text.h"

namespace ts {
namespace {

ResumeNote AllSet() {
    ResumeNote note;
    note.resultPath = "/данные/серия 1/result.txt";
    note.choice = 18;
    note.average = true;
    note.thresholdIndex = 98;
    note.channels = {false, true, false, false, true, true};
    note.tables = {"", "/t/2.txt", "", "", "/t/5.txt", "C:\\t\\6.txt"};
    return note;
}

TEST(ResumeNoteTest, ReadsBackWhatItWroteAndNothingThatIsNotWhole) {
    const std::vector<std::string> lines = Lines(FormatResumeNote(AllSet()));
    ASSERT_EQ(lines.size(), kResumeNoteLines);
    EXPECT_EQ(ParseResumeNote(lines), AllSet());
    // Each of these lines made bad in turn: the note is refused, never half taken.
    const std::vector<std::pair<std::size_t, std::string>> damages = {
        {0, "some other file"}, {1, ""},      {2, "19"},     {2, "1x"}, {3, "2"}, {4, "99"},
        {5, "000000"},          {5, "10100"}, {5, "1010a1"}, {12, "en"}};
    for (const auto& [index, text] : damages) {
        std::vector<std::string> damaged = lines;
        damaged[index] = text;
        EXPECT_FALSE(ParseResumeNote(damaged)) << index << ": " << text;
    }
    EXPECT_FALSE(ParseResumeNote({lines.begin(), lines.end() - 1}));
}

TEST(ResumeNoteTest, NumbersTheNameAndTakesANumberOff) {
    struct Case {
        std::string path;
        int number;
        std::string numbered;
    };
    for (const Case& c :
         {Case{"/a/results.txt", 2, "/a/results (2).txt"},
          Case{"/a.b/results", 3, "/a.b/results (3)"}, Case{"/a/.hidden", 2, "/a/.hidden (2)"},
          Case{"C:\\x.y\\серия.dat", 12, "C:\\x.y\\серия (12).dat"}}) {
        EXPECT_EQ(NumberedPath(c.path, c.number), c.numbered);
        int number = 0;
        EXPECT_EQ(UnnumberedPath(c.numbered, number), c.path);
        EXPECT_EQ(number, c.number);
    }
    int number = 0;
    for (const std::string path : {"/a/results.txt", "/a/results (1).txt", "/a/results (x).txt"}) {
        EXPECT_EQ(UnnumberedPath(path, number), path);
        EXPECT_EQ(number, 1);
    }
}

}  // namespace
}  // namespace ts
