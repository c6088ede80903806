// trend-file: summary and export of a result file, without a window.
#include <clocale>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "app/file_options.h"
#include "app/run_files.h"
#include "base/build_config.h"
#include "platform/console.h"
#include "platform/file_size_signal.h"
#include "platform/file_status.h"
#include "platform/library_search.h"
#include "platform/program_arguments.h"
#include "platform/same_file.h"
#include "platform/system_file.h"
#include "platform/system_platform.h"
#include "review/review_export.h"
#include "review/review_index.h"

namespace {

int Fail(const std::string& message, int status = 2) {
    std::fprintf(stderr, "trend-file: %s\n", message.c_str());
    return status;
}

std::string Seconds(std::int64_t ns) {
    char text[ts::review::kExportTextCapacity];
    return std::string(text, ts::review::FormatSeconds(ns, text));
}

// The arguments as the options' reader takes them.
ts::FileOptions ReadOptions(int argc, char** argv) {
    const std::vector<std::string> arguments = ts::ProgramArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    for (const std::string& argument : arguments) argumentTexts.push_back(argument.c_str());
    return ts::ParseFileOptions(argumentTexts);
}

// The help, the version and a bad argument end the program before any file is read; nothing
// when the options ask for a file.
std::optional<int> AnswerWithoutFile(const ts::FileOptions& options) {
    if (options.help) {
        std::fputs(ts::kFileUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("trend-file %s\n", std::string(ts::kVersion).c_str());
        return 0;
    }
    if (!options.error.empty()) return Fail(options.error);
    return std::nullopt;
}

// Why the CSV may not be written where --csv says, checked before the recording is read;
// empty when it may. Never over the recording itself, nor over anything without --force.
std::string CsvTargetProblem(const ts::FileOptions& options,
                             const ts::review::RecordingIndex& index) {
    for (const ts::review::Part& part : index.Parts()) {
        if (ts::SameFile(part.path, options.csvPath)) {
            return "--csv names the recording's file " + part.path;
        }
    }
    // Neither replaced nor written into, with --force or without.
    if (ts::IsFolder(options.csvPath)) {
        return options.csvPath + " is a folder; --csv names the file to write";
    }
    return ts::CheckOutputFile(options.csvPath, options.force);
}

// Says on standard error which lines could not be read and which part is missing.
void ShowDamage(const ts::review::RecordingIndex& index) {
    const ts::review::Damage damage = index.Damaged();
    if (damage.lines != 0) {
        const std::vector<ts::review::Part> parts = index.Parts();
        std::fprintf(stderr,
                     "trend-file: %llu line(s) could not be read, the first is line %llu of %s\n",
                     static_cast<unsigned long long>(damage.lines),
                     static_cast<unsigned long long>(damage.firstLine),
                     parts[static_cast<std::size_t>(damage.firstPart)].path.c_str());
    }
    if (const std::optional<ts::review::MissingPart> missing = index.Missing()) {
        std::fprintf(stderr, "trend-file: part %d of the recording is missing: %s %s\n",
                     missing->part, missing->path.c_str(),
                     missing->there ? "is no part of it" : "is not there");
    }
}

// Figures of a file that shrank or was replaced half-way would mix two files.
std::string ChangedProblem(const ts::review::RecordingIndex& index) {
    return ts::review::ChangeProblem(index.Changed(), index.Parts());
}

// Writes the records from `from` to `to` as a CSV; the program's exit status.
int ExportCsv(const ts::FileOptions& options, const ts::review::RecordingIndex& index,
              std::int64_t from, std::int64_t to) {
    // Only a file this run made is taken away again: --force may name a device or a pipe.
    const bool made = ts::NothingAt(options.csvPath);
    ts::SystemFile out;
    if (!out.OpenForWriting(options.csvPath, options.force)) {
        return Fail("cannot write " + options.csvPath);
    }
    const bool written = ts::review::WriteCsv(index, from, to, options.everyNs.value_or(0), out);
    const bool closed = out.Close();
    if (const std::string problem = ChangedProblem(index); !problem.empty()) {
        if (made) ts::RemoveFile(options.csvPath);
        return Fail(problem, 1);
    }
    if (!closed || !written) {
        if (made) ts::RemoveFile(options.csvPath);
        return Fail("the CSV " + options.csvPath + " could not be written whole", 1);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ts::SearchOnlyTheSystemFolderForLibraries();
    ts::TakeFileSizeLimitAsFullDisk();
    // The regional settings tell the date order of dates that do not tell their own.
    std::setlocale(LC_ALL, "");
    ts::ShowUtf8OnConsole();
    const ts::FileOptions options = ReadOptions(argc, argv);
    if (const std::optional<int> status = AnswerWithoutFile(options)) return *status;

    const bool exporting = options.command == ts::FileOptions::Command::Export;
    ts::review::OpenOptions open;
    {
        ts::SystemPlatform platform;
        open.dateOrder = ts::review::DateOrderOf(platform.Regional().ShortDateFormat);
    }
    ts::review::RecordingIndex index;
    if (const std::string problem = index.Open(options.filePath, open); !problem.empty()) {
        return Fail(problem);
    }
    if (exporting) {
        if (const std::string problem = CsvTargetProblem(options, index); !problem.empty()) {
            return Fail(problem);
        }
    }
    index.WaitForPass();
    if (const std::string problem = ChangedProblem(index); !problem.empty()) {
        return Fail(problem, 1);
    }
    const std::int64_t end = index.EndNs();
    const std::int64_t from = options.fromNs.value_or(0);
    const std::int64_t to = options.toNs.value_or(std::numeric_limits<std::int64_t>::max());
    if (from > end || (options.toNs && to <= 0)) {
        return Fail("the range lies outside the recording, which runs from 0 to " + Seconds(end) +
                    " s");
    }
    ShowDamage(index);
    if (exporting) return ExportCsv(options, index, from, to);
    const ts::review::Summary summary = index.Summarize(from, to);
    std::fputs(ts::review::SummaryText(summary, index.Channels()).c_str(), stdout);
    return 0;
}
