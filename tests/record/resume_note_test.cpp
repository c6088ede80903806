#include "record/resume_note.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "file_text.h"
#include "temp_folder.h"

namespace ts {
namespace {

ResumeNote AllSet() {
    ResumeNote note;
    note.firstPath = "/данные/серия 1/result.txt";
    note.resultPath = "/данные/серия 1/result (3).txt";
    note.rawFirst = "/данные/raw.bin";
    note.rawPath = "/данные/raw (3).bin";
    note.ended = true;
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
    // Each of these lines made bad in turn: the note is refused, never half taken. A line that
    // reads well but is not what was written (a write over the note cut short) is refused too.
    const std::vector<std::pair<std::size_t, std::string>> damages = {{0, "some other file"},
                                                                      {1, ""},
                                                                      {2, ""},
                                                                      {4, ""},
                                                                      {5, "2"},
                                                                      {6, "19"},
                                                                      {6, "1x"},
                                                                      {7, "2"},
                                                                      {8, "99"},
                                                                      {9, "000000"},
                                                                      {9, "10100"},
                                                                      {9, "1010a1"},
                                                                      {11, "/t/3.txt"},
                                                                      {5, "0"},
                                                                      {16, "end"}};
    for (const auto& [index, text] : damages) {
        std::vector<std::string> damaged = lines;
        damaged[index] = text;
        EXPECT_FALSE(ParseResumeNote(damaged)) << index << ": " << text;
    }
    EXPECT_FALSE(ParseResumeNote({lines.begin(), lines.end() - 1}));
}

// A recording cut just before an update to this version carries on: the earlier note had one
// part, no raw capture, and no check line.
TEST(ResumeNoteTest, ReadsTheEarlierVersionsNote) {
    const std::vector<std::string> earlier = {"trend-station cut recording 1",
                                              "/данные/result.txt",
                                              "18",
                                              "1",
                                              "98",
                                              "010011",
                                              "",
                                              "/t/2.txt",
                                              "",
                                              "",
                                              "/t/5.txt",
                                              "C:\\t\\6.txt",
                                              "end"};
    ResumeNote expected = AllSet();
    expected.firstPath = expected.resultPath = "/данные/result.txt";
    expected.rawFirst = expected.rawPath = "";
    expected.ended = false;
    EXPECT_EQ(ParseResumeNote(earlier), expected);
    std::vector<std::string> cut = earlier;
    cut.back() = "en";
    EXPECT_FALSE(ParseResumeNote(cut));
}

// The parts of a recording cut twice, results and raw capture; a numbered file past the part
// being written, or one of another series, is none of them.
TEST(ResumeNoteTest, TellsTheFilesThatArePartsOfTheRecording) {
    TempFolder folder;
    for (const char* name : {"out.txt", "out (2).txt", "out (3).txt", "out (4).txt", "outer.txt",
                             "raw.bin", "raw (3).bin", "raw (4).bin"}) {
        WriteAll(folder / name, "x\r\n");
    }
    ResumeNote note;
    note.firstPath = folder / "out.txt";
    note.resultPath = folder / "out (3).txt";
    note.rawFirst = folder / "raw.bin";
    note.rawPath = folder / "raw (3).bin";
    for (const char* name : {"out.txt", "./out (2).txt", "out (3).txt", "raw.bin", "raw (3).bin"}) {
        EXPECT_TRUE(NamesPartOf(note, folder / name)) << name;
    }
    for (const char* name : {"out (4).txt", "raw (4).bin", "outer.txt", "out (5).txt"}) {
        EXPECT_FALSE(NamesPartOf(note, folder / name)) << name;
    }
    // Another name of a part is that part, whatever number its spelling carries or lacks.
    std::filesystem::create_hard_link(folder / "out (2).txt", folder / "copy.txt");
    std::filesystem::create_hard_link(folder / "raw.bin", folder / "copy (4).bin");
    std::filesystem::create_hard_link(folder / "outer.txt", folder / "out (2) (2).txt");
    EXPECT_TRUE(NamesPartOf(note, folder / "copy.txt"));
    EXPECT_TRUE(NamesPartOf(note, folder / "copy (4).bin"));
    EXPECT_FALSE(NamesPartOf(note, folder / "out (2) (2).txt"));
    note.rawFirst = note.rawPath = "";
    EXPECT_FALSE(NamesPartOf(note, folder / "raw.bin"));
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
