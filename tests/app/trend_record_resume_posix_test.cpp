// The resume's promise on the real program: no name, no folder and no note that cannot be held
// lets a start replace a file of an unfinished recording, and the raw parts are the line's bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "line_frames.h"
#include "record/resume_note.h"
#include "recorder_program_rig.h"

namespace ts {
namespace {

using namespace recorder_rig;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The interruption line's end, " ЗАПИСЬ ПРЕРВАНА" in code page 1251.
const std::string kInterruptedLine =
    " \xC7\xC0\xCF\xC8\xD1\xDC \xCF\xD0\xC5\xD0\xC2\xC0\xCD\xC0\r\n";

// Runs the program in `folder` until it has recorded for a while, and kills it.
void RecordAndKill(const LiveRig& rig, const std::vector<std::string>& arguments,
                   const std::string& part, const std::string& folder) {
    const pid_t child = StartRecorder(arguments, rig.bridge, folder);
    WaitForFile(part);
    std::this_thread::sleep_for(600ms);
    ::kill(child, SIGKILL);
    ASSERT_TRUE(WaitForRecorder(child, 10s));
    ASSERT_TRUE(Exists(part));
}

std::map<std::string, std::string> Contents(const TempFolder& folder,
                                            const std::vector<std::string>& names) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : names) contents[name] = ReadAll(folder / name);
    return contents;
}

// trend-record's recording cut twice, with its raw capture, and the window's cut recording
// beside Settings.bin: every other name of their files is refused with --force, each for what
// it is, and nothing is replaced.
TEST(TrendRecordResumeTest, NoNameOfAPartOrANoteOfACutRecordingIsReplaced) {
    const LiveRig rig(6, LineFrames(20.0));
    const TempFolder& folder = rig.folder;
    std::vector<std::string> arguments{"--settings", "Settings.bin", "--out",
                                       "out.txt",    "--raw",        "raw.bin"};
    RecordAndKill(rig, arguments, folder / "out.txt", folder.path());
    arguments.push_back("--resume");
    RecordAndKill(rig, arguments, folder / "out (2).txt", folder.path());
    ResumeNote window;
    window.choice = 6;
    window.channels = {true, false, false, false, false, false};
    window.firstPath = folder / "w.txt";
    window.resultPath = folder / "w (2).txt";
    WriteAll(folder / "Recording.resume", FormatResumeNote(window));
    WriteAll(folder / "w.txt", "the window's first part\r\n");
    WriteAll(folder / "w (2).txt", "the window's second part\r\n");
    std::filesystem::create_symlink("out.txt", folder / "link.txt");
    std::filesystem::create_hard_link(folder / "out (2).txt", folder / "hard.txt");
    std::filesystem::create_symlink("raw (2).bin", folder / "link.bin");
    std::filesystem::create_hard_link(folder / "out.txt.resume", folder / "note.txt");
    const std::vector<std::string> kept = {"out.txt",     "out (2).txt",     "raw.bin",
                                           "raw (2).bin", "out.txt.resume",  "w.txt",
                                           "w (2).txt",   "Recording.resume"};
    const auto before = Contents(folder, kept);

    const struct {
        const char* arguments;
        const char* said;
    } cases[] = {
        {"--out link.txt", "link.txt is part of an unfinished recording: --resume with --out "},
        {"--out hard.txt", "hard.txt is part of an unfinished recording: --resume with --out "},
        {"--out other.txt --raw raw.bin", "raw.bin is part of an unfinished recording"},
        {"--out other.txt --raw 'raw (2).bin'", "raw (2).bin is part of an unfinished recording"},
        {"--out other.txt --raw link.bin", "link.bin is part of an unfinished recording"},
        {"--out out.txt.resume", "out.txt.resume is the note of an unfinished recording"},
        {"--out note.txt", "note.txt is the note of an unfinished recording"},
        {"--out w.txt", "w.txt is part of an unfinished recording: the window carries it on"},
        {"--out 'w (2).txt'", "the window carries it on at its next start beside "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string said;
        EXPECT_EQ(RunRecorder(std::string("--settings Settings.bin --force ") + c.arguments +
                                  " --replay noise.raw",
                              &said, folder.path()),
                  2);
        EXPECT_TRUE(Contains(said, c.said)) << said;
        EXPECT_FALSE(Contains(said, "--force")) << said;
        EXPECT_FALSE(Exists(folder / "other.txt"));
    }
    EXPECT_TRUE(Contents(folder, kept) == before);
}

// A recording's note that this user may not change: every start on that recording says which
// note and why, and neither --resume nor --force touches its files.
TEST(TrendRecordResumeTest, ANoteThatCannotBeHeldStopsEveryStartOnItsRecording) {
    const LiveRig rig(6, LineFrames(20.0));
    const std::string out = rig.folder / "out.txt", note = out + ".resume";
    RecordAndKill(rig, {"--settings", rig.settings, "--out", out}, out, {});
    ::chmod(out.c_str(), 0666);
    ::chmod(note.c_str(), 0444);
    const std::string cut = ReadAll(out);
    // root writes whatever the mode: then the program runs as nobody.
    const std::string as =
        ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    for (const char* option : {"--resume", "--force", "--resume --force"}) {
        SCOPED_TRACE(option);
        const std::string command = as + TS_RECORDER + " --settings " + rig.settings + " --out " +
                                    out + " " + option + " --replay " + (rig.folder / "noise.raw");
        std::string said;
        FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) said += buffer;
        const int status = ::pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << said;
        EXPECT_EQ(said, "trend-record: the note " + note +
                            " of an unfinished recording cannot be held (Permission denied): let "
                            "this user write it, on a writable disk, to carry the recording on, "
                            "or remove it to end that recording for good\n");
    }
    EXPECT_EQ(ReadAll(out), cut);
    EXPECT_TRUE(Exists(note));
}

// Cut in one folder, carried on from another that holds a finished out.txt of its own: the
// note's own files go on, the other folder's are not touched, and a note copied there is
// not taken for that folder's recording.
TEST(TrendRecordResumeTest, AResumeFromAnotherFolderGoesOnWithTheNotesOwnFiles) {
    const LiveRig rig(6, LineFrames(20.0));
    TempFolder other;
    WriteAll(other / "out.txt", "another recording\r\n");
    RecordAndKill(rig, {"--settings", "Settings.bin", "--out", "out.txt"}, rig.folder / "out.txt",
                  rig.folder.path());
    const std::string cut = ReadAll(rig.folder / "out.txt");

    std::filesystem::copy_file(rig.folder / "out.txt.resume", other / "out.txt.resume");
    std::string said;
    EXPECT_EQ(RunRecorder("--settings " + rig.settings + " --out out.txt --resume --replay " +
                              (rig.folder / "noise.raw"),
                          &said, other.path()),
              2);
    EXPECT_TRUE(Contains(said, "is of the recording of " + (rig.folder / "out.txt"))) << said;
    std::filesystem::remove(other / "out.txt.resume");

    const std::string log = other / "said.txt";
    const int status =
        RunFor({TS_RECORDER,
                {"--settings", rig.settings, "--out", rig.folder / "out.txt", "--resume"},
                rig.bridge,
                other.path(),
                log},
               2000ms, SIGINT);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadAll(log);
    EXPECT_EQ(ReadAll(other / "out.txt"), "another recording\r\n");
    EXPECT_FALSE(Exists(other / "out (2).txt"));
    EXPECT_EQ(ReadAll(rig.folder / "out.txt").substr(0, cut.size()), cut);
    const std::string added = ReadAll(rig.folder / "out.txt").substr(cut.size());
    const std::string first = added.substr(0, added.find("\r\n") + 2);
    EXPECT_TRUE(first.size() > kInterruptedLine.size() &&
                first.compare(first.size() - kInterruptedLine.size(), kInterruptedLine.size(),
                              kInterruptedLine) == 0)
        << added;
    // Then the part it goes on in, beside it.
    EXPECT_TRUE(added.ends_with(": out (2).txt\r\n")) << added;
    EXPECT_GT(Lines(ReadAll(rig.folder / "out (2).txt")).size(), 10u);
    EXPECT_FALSE(Exists(rig.folder / "out.txt.resume"));
}

}  // namespace
}  // namespace ts
