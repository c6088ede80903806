#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "app/station.h"
#include "base/texts.h"
#include "file_text.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"
#include "temp_folder.h"

namespace ts {

// Runs of the window one after another on one data folder, each its own station and Ui, with the
// one bridge and its instrument streaming throughout: what a restart after a cut meets.
class WindowRuns {
public:
    static constexpr double kTick = 0.04;

    TempFolder folder{RunToKillFolder()};
    sim::SimDriver driver;
    sim::TestPlatform platform;
    std::unique_ptr<sim::SimInstrument> instrument;

    struct Run {
        sim::TestUi ui;
        Station station;
        Run(sim::SimDriver& d, sim::TestPlatform& p) : station(d, p, ui) {}
    };
    std::unique_ptr<Run> run;

    // The first run starts without settings and leaves them, naming the instrument and identity
    // tables, so that the later ones start without a box. In the run to be killed (Windows) the
    // folder already holds them: it starts as a later run does, opening the instrument itself.
    WindowRuns() {
        platform.currentDirectory = folder.path();
        platform.regional.LongTimeFormat = "%T";
        const int device = driver.AddDevice("KSL214.8N", "TS000001");
        instrument = std::make_unique<sim::SimInstrument>(driver, device);
        Start();
        if (RunToKillFolder() != nullptr) return;
        st().link().SetIdentity("KSL214.8N", "TS000001");
        WriteAll(Path("table.txt"), "0 0\r\n1023 1023\r\n");
        for (int c = 1; c <= kChannels; ++c) {
            st().measurement().Tables().SetPath(c, Path("table.txt"));
            st().measurement().Tables().Load(c);
        }
        st().settings().Save();
        st().link().Open(false);
    }

    Station& st() { return run->station; }
    std::string Path(const std::string& name) const { return folder / name; }
    std::string NotePath() const { return folder / std::string(text::kWindowResumeNote); }

    void Start() {
        run = std::make_unique<Run>(driver, platform);
        st().Construct();
    }

    void Tick(double seconds) {
        for (long i = 0; i < std::lround(seconds / kTick); ++i) {
            instrument->Advance(kTick);
            st().Timer_25HzTimer();
        }
    }

    // Starts recording `choice` (window order) of `channels` into `name`, as the user would.
    void RecordInto(const std::string& name, int choice, std::initializer_list<int> channels) {
        st().form().SelectRecordChoice(choice);
        for (int c : channels)
            st().form().FileEN_CH[static_cast<std::size_t>(c - 1)].Checked = true;
        run->ui.resultFileAnswers.push_back(Path(name));
        st().B_FileClick();
        st().B_FileSaveStartClick();
    }

    // The run of the window records `choice` of `channels` into `name` for `seconds` after half a
    // second of the instrument, and is killed: a process of its own, ended by SIGKILL on Linux
    // and TerminateProcess on Windows. What it had handed to the system is all there is, nothing
    // is flushed, synced or closed for it. This process's instrument then sends what it sent to
    // the killed run, so that onFrameSent sees every sample; `atStart` runs where the recording
    // started. Once per test: on Windows the run to be killed is this test program started again
    // on this test, which goes through the test's steps up to this call on this data folder;
    // so what comes before the call must give the same twice.
    void RecordAndKill(const std::string& name, int choice, std::initializer_list<int> channels,
                       double seconds, const std::function<void()>& atStart = {}) {
        ASSERT_FALSE(killedOnce_) << "one killed run per test";
        killedOnce_ = true;
        EXPECT_TRUE(RunAndKill([&] {
            Tick(0.5);
            RecordInto(name, choice, channels);
            Tick(seconds);
        })) << "the run to be killed did not record";
        for (long i = 0; i < std::lround(0.5 / kTick); ++i) instrument->Advance(kTick);
        if (atStart) atStart();
        for (long i = 0; i < std::lround(seconds / kTick); ++i) instrument->Advance(kTick);
        // This process's copy of the run never recorded: it only lets the bridge go.
        Kill();
    }

    // The process ends without a word: what reached the file stays, the bridge is let go.
    void Kill() {
        st().link().Close();
        run.reset();
    }

private:
    bool killedOnce_ = false;

#ifndef _WIN32
    static const char* RunToKillFolder() { return nullptr; }

    // `record` in a child process, which is killed once it has done it. False when it did not.
    template <typename Record>
    static bool RunAndKill(const Record& record) {
        int ready[2];
        if (::pipe(ready) != 0) return false;
        const pid_t child = ::fork();
        if (child == 0) {
            record();
            if (::write(ready[1], "r", 1) != 1) ::_exit(1);
            for (;;) ::pause();  // recording, between two ticks, when the kill comes
        }
        char byte = 0;
        ::close(ready[1]);
        const bool recorded = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return recorded;
    }
#else
    // Set in the run to be killed: the data folder of the test that started it, and that test's
    // process, whose event it sets when it has recorded.
    static constexpr const char* kRunToKillFolder = "TS_RUN_TO_KILL_FOLDER";
    static constexpr const char* kRunToKillParent = "TS_RUN_TO_KILL_PARENT";

    static const char* RunToKillFolder() { return std::getenv(kRunToKillFolder); }

    static std::wstring ReadyEventName(unsigned long parent) {
        return L"ts-run-to-kill-ready-" + std::to_wstring(parent);
    }

    template <typename Record>
    bool RunAndKill(const Record& record) {
        if (RunToKillFolder() != nullptr) BeKilledAfter(record);
        return StartAndKill();
    }

    // In the run to be killed: records, says so and waits for the end. Never returns: should
    // the kill not come, the run ends by itself when its parent does or two minutes on, without
    // a word either way.
    template <typename Record>
    [[noreturn]] static void BeKilledAfter(const Record& record) {
        record();
        const char* parentId = std::getenv(kRunToKillParent);
        const unsigned long parentPid =
            parentId != nullptr ? std::strtoul(parentId, nullptr, 10) : 0;
        const HANDLE ready =
            OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(parentPid).c_str());
        if (ready == nullptr || !SetEvent(ready)) ExitProcess(2);
        const HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentPid);
        if (parent != nullptr) WaitForSingleObject(parent, 120'000);
        ExitProcess(3);
    }

    // This test program started again on the current test, as the run to be killed on this
    // data folder, and ended by TerminateProcess once it has recorded. False when it did not
    // record; its output is then shown.
    bool StartAndKill() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring filter =
            L"--gtest_filter=" + Wide(test->test_suite_name()) + L"." + Wide(test->name());
        std::wstring program(32768, L'\0');
        program.resize(
            GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
        std::wstring line = L"\"" + program + L"\" " + filter;

        const DWORD self = GetCurrentProcessId();
        const HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, ReadyEventName(self).c_str());
        TempFolder scratch;
        const std::string log = scratch / "run-to-kill.txt";
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        const HANDLE output = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        // Only the child inherits the two variables.
        SetEnvironmentVariableA(kRunToKillFolder, folder.path().c_str());
        SetEnvironmentVariableA(kRunToKillParent, std::to_string(self).c_str());
        PROCESS_INFORMATION child{};
        const bool started =
            ready != nullptr && output != INVALID_HANDLE_VALUE &&
            CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &startup, &child) != FALSE;
        SetEnvironmentVariableA(kRunToKillFolder, nullptr);
        SetEnvironmentVariableA(kRunToKillParent, nullptr);
        if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
        bool recorded = false;
        if (started) {
            const HANDLE either[] = {ready, child.hProcess};
            recorded = WaitForMultipleObjects(2, either, FALSE, 120'000) == WAIT_OBJECT_0;
            TerminateProcess(child.hProcess, 9);
            WaitForSingleObject(child.hProcess, 20'000);
            CloseHandle(child.hThread);
            CloseHandle(child.hProcess);
        }
        if (ready != nullptr) CloseHandle(ready);
        if (!recorded) {
            std::printf("the run to be killed (%s):\n%s\n", started ? "started" : "not started",
                        ReadAll(log).c_str());
        }
        return recorded;
    }

    // Test names are plain ASCII.
    static std::wstring Wide(const char* text) {
        return std::wstring(text, text + std::strlen(text));
    }
#endif
};

}  // namespace ts
