// trend-record: records the instrument's results without a window, for
// machines without a display and for re-processing raw captures.
#include <chrono>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/console_ui.h"
#include "app/headless_recorder.h"
#include "app/print_bridges.h"
#include "app/record_options.h"
#include "app/tick_pacer.h"
#include "base/build_config.h"
#include "device/bridge_driver.h"
#include "device/replay_driver.h"
#include "device/tee_driver.h"
#include "platform/console.h"
#include "platform/file_size_signal.h"
#include "platform/library_search.h"
#include "platform/program_arguments.h"
#include "platform/running_mark.h"
#include "platform/stop_requests.h"
#include "platform/system_platform.h"

namespace {

using namespace std::chrono_literals;

constexpr int kTicksPerSecond = 25;
constexpr auto kTickPeriod = 40ms;

int Fail(const std::string& message) {
    std::fprintf(stderr, "trend-record: %s\n", message.c_str());
    return 2;
}

using Count = unsigned long long;

// Notes say what the recording lacks (a computer that may sleep) without failing the run.
void ShowNotes(ts::HeadlessRecorder& recorder, bool progress) {
    const std::string notes = recorder.TakeNotes();
    if (notes.empty()) return;
    std::fprintf(stderr, "%strend-record: %s\n", progress ? "\n" : "", notes.c_str());
}

void ShowProgress(const ts::HeadlessRecorder& recorder) {
    const std::uint64_t seconds = recorder.Ticks() / kTicksPerSecond;
    const ts::LinkCounts link = recorder.Link();
    std::fprintf(stderr,
                 "\r%llu samples, %llu records, link %s, %02llu:%02llu:%02llu | %llu frames, "
                 "%llu bad, %llu B skipped, %llu overruns, %llu B queue lost, %llu reopens ",
                 Count{recorder.Samples()}, Count{recorder.Records()},
                 recorder.LinkUp() ? "up" : "down", Count{seconds / 3600}, Count{seconds / 60 % 60},
                 Count{seconds % 60}, Count{link.framesDecoded}, Count{link.framesRejected},
                 Count{link.bytesSkipped}, Count{link.chipOverruns}, Count{link.queueOverflowBytes},
                 Count{link.reopenings});
    std::fflush(stderr);
}

// Printed on every exit once the recorder has run, terminal or not, so that a
// log shows whether the line or the computer lost anything.
void ShowLinkSummary(const ts::LinkCounts& link) {
    std::fprintf(stderr,
                 "trend-record: link: %llu frames decoded, %llu rejected by the check, %llu bytes "
                 "skipped, %llu chip overruns, %llu bytes lost in the queue, %llu reopenings\n",
                 Count{link.framesDecoded}, Count{link.framesRejected}, Count{link.bytesSkipped},
                 Count{link.chipOverruns}, Count{link.queueOverflowBytes}, Count{link.reopenings});
}

// The arguments as the options' reader takes them.
ts::RecordOptions ReadOptions(int argc, char** argv) {
    const std::vector<std::string> arguments = ts::ProgramArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    for (const std::string& argument : arguments) argumentTexts.push_back(argument.c_str());
    return ts::ParseRecordOptions(argumentTexts);
}

// The help, the version, a bad argument and --list end the program before any recording;
// nothing when the options ask for one.
std::optional<int> AnswerWithoutRecording(const ts::RecordOptions& options) {
    if (options.help) {
        std::fputs(ts::kRecordUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("trend-record %s\n", std::string(ts::kVersion).c_str());
        return 0;
    }
    if (!options.error.empty()) return Fail(options.error);
    if (options.list) {
        ts::BridgeDriver bridges = ts::MakeBridgeDriver();
        ts::ConsoleUi ui(stderr);
        if (!bridges.problem.empty()) ui.ShowMessage(bridges.problem);
        return ts::PrintBridges(*bridges.driver, ui, stdout, stderr);
    }
    return std::nullopt;
}

// Where the samples come from: the instrument through its bridge, or a capture played back,
// and the tee that saves the raw bytes on their way.
struct Source {
    std::unique_ptr<ts::Driver> instrument;
    std::string driverProblem;  // the bridge library's, said once the recording starts
    ts::ReplayDriver* replayDriver = nullptr;
    std::unique_ptr<ts::TeeDriver> tee;

    ts::Driver& Driver() { return tee ? static_cast<ts::Driver&>(*tee) : *instrument; }
};

// False when the capture to play back cannot be read.
bool OpenSource(const ts::RecordOptions& options, Source& source) {
    if (!options.replayPath.empty()) {
        auto driver = std::make_unique<ts::ReplayDriver>(options.chunk);
        if (!driver->OpenCapture(options.replayPath)) return false;
        source.replayDriver = driver.get();
        source.instrument = std::move(driver);
    } else {
        ts::BridgeDriver bridges = ts::MakeBridgeDriver();
        source.instrument = std::move(bridges.driver);
        source.driverProblem = std::move(bridges.problem);
    }
    // The raw capture is opened only once everything has been checked.
    if (!options.rawPath.empty()) source.tee = std::make_unique<ts::TeeDriver>(*source.instrument);
    return true;
}

// Checks the options against the settings and the files, then opens the raw capture; false
// and why not in `error` when the recording cannot be made.
bool Prepare(const ts::RecordOptions& options, ts::HeadlessRecorder& recorder, Source& source,
             std::string& error) {
    if (!recorder.Prepare(options, error)) return false;
    // A raw capture carried on beside a resumed recording is a new file, never one replaced.
    if (source.tee &&
        !source.tee->OpenCapture(recorder.RawPath(), options.force && !recorder.Resuming())) {
        error = "cannot write " + recorder.RawPath();
        return false;
    }
    if (source.replayDriver != nullptr) {
        source.replayDriver->SetIdentity(recorder.station().link().Description(),
                                         recorder.station().link().Serial());
    }
    return true;
}

// Ticks the recorder until a stop is asked for, the recording fails or its time or the
// replay is over.
void Record(const ts::RecordOptions& options, ts::HeadlessRecorder& recorder, const Source& source,
            bool progress) {
    const bool replay = source.replayDriver != nullptr;
    ts::TickPacer pacer(ts::TickPacer::Clock::now(), kTickPeriod);
    bool afterPause = false;
    // --for counts the instrument's time; should the link fall silent, the computer's clock
    // ends the recording a little later.
    std::optional<ts::TickPacer::Clock::time_point> silentLinkDeadline;
    while (!ts::StopRequested()) {
        // A replay runs as fast as it can, one capture chunk per tick; the
        // instrument is polled on the window's own 40 ms rhythm.
        recorder.Tick(!replay, afterPause);
        ShowNotes(recorder, progress);
        if (recorder.Failed() || recorder.DurationReached()) break;
        if (options.durationSeconds && !replay && recorder.Recording() && !silentLinkDeadline) {
            silentLinkDeadline = ts::TickPacer::Clock::now() +
                                 std::chrono::milliseconds(*options.durationSeconds * 1010);
        }
        if (silentLinkDeadline && ts::TickPacer::Clock::now() >= *silentLinkDeadline) break;
        if (replay && source.replayDriver->Finished()) break;
        if (progress && recorder.Ticks() % kTicksPerSecond == 0) ShowProgress(recorder);
        if (replay) continue;
        ts::SleepUntilOrStopped(pacer.Deadline());
        afterPause = pacer.Arrived(ts::TickPacer::Clock::now());
    }
}

// Ends the recording and says how it went; true when nothing went wrong, nor was said to
// `ui` since `messagesBefore`.
bool Finish(ts::HeadlessRecorder& recorder, Source& source, bool progress, const ts::ConsoleUi& ui,
            int messagesBefore) {
    // The bytes of the last chunk are in; the poll has decoded them. A stop by the system (a
    // shutdown, a logout, a service manager) keeps the recording's note for --resume.
    recorder.Finish(ts::StopAskedBySystem());
    if (progress) {
        ShowProgress(recorder);
        std::fputc('\n', stderr);
    }
    ShowLinkSummary(recorder.Link());
    bool ok = ui.MessagesShown() == messagesBefore;
    if (source.tee && !source.tee->CloseCapture()) {
        std::fprintf(stderr, "trend-record: the raw capture %s could not be written whole\n",
                     recorder.RawPath().c_str());
        ok = false;
    }
    if (recorder.Samples() == 0) {
        std::fputs("trend-record: no sample of instrument 1 was received\n", stderr);
        ok = false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    ts::SearchOnlyTheSystemFolderForLibraries();
    ts::HoldRunningMark();
    ts::TakeFileSizeLimitAsFullDisk();
    // The regional settings decide the decimal separator, dates and times.
    std::setlocale(LC_ALL, "");
    ts::ShowUtf8OnConsole();
    const ts::RecordOptions options = ReadOptions(argc, argv);
    if (const std::optional<int> status = AnswerWithoutRecording(options)) return *status;

    Source source;
    if (!OpenSource(options, source)) return Fail("cannot read the capture " + options.replayPath);
    ts::SystemPlatform platform;
    ts::ConsoleUi ui(stderr);
    ts::HeadlessRecorder recorder(source.Driver(), platform, ui);
    if (std::string error; !Prepare(options, recorder, source, error)) return Fail(error);

    ts::CatchStopRequests();
    const bool progress = ts::ErrorOutputIsTerminal();
    const int messagesBefore = ui.MessagesShown();
    if (!source.driverProblem.empty()) ui.ShowMessage(source.driverProblem);
    recorder.OpenInstrument();
    Record(options, recorder, source, progress);
    const bool ok = Finish(recorder, source, progress, ui, messagesBefore);
    // A closed console waits for this before the system ends the program.
    ts::StopFinished();
    return ok ? 0 : 1;
}
