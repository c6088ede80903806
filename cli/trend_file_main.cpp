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

}  // namespace

int main(int argc, char** argv) {
    ts::SearchOnlyTheSystemFolderForLibraries();
    ts::TakeFileSizeLimitAsFullDisk();
    // The regional settings tell the date order of dates that do not tell their own.
    std::setlocale(LC_ALL, "");
    ts::ShowUtf8OnConsole();
    const std::vector<std::string> arguments = ts::ProgramArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    for (const std::string& argument : arguments) argumentTexts.push_back(argument.c_str());
    const ts::FileOptions options = ts::ParseFileOptions(argumentTexts);
    if (options.help) {
        std::fputs(ts::kFileUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("trend-file %s\n", std::string(ts::kVersion).c_str());
        return 0;
    }
    if (!options.error.empty()) return Fail(options.error);

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
    // Never over the recording itself, nor over anything without --force.
    if (exporting) {
        for (const ts::review::Part& part : index.Parts()) {
            if (ts::SameFile(part.path, options.csvPath)) {
                return Fail("--csv names the recording's file " + part.path);
            }
        }
        // Neither replaced nor written into, with --force or without.
        if (ts::IsFolder(options.csvPath)) {
            return Fail(options.csvPath + " is a folder; --csv names the file to write");
        }
        if (const std::string problem = ts::CheckOutputFile(options.csvPath, options.force);
            !problem.empty()) {
            return Fail(problem);
        }
    }
    index.WaitForPass();
    // Figures of a file that shrank or was replaced half-way would mix two files.
    const auto changed = [&index] {
        return ts::review::ChangeProblem(index.Changed(), index.Parts());
    };
    if (const std::string problem = changed(); !problem.empty()) return Fail(problem, 1);
    const std::int64_t end = index.EndNs();
    const std::int64_t from = options.fromNs.value_or(0);
    const std::int64_t to = options.toNs.value_or(std::numeric_limits<std::int64_t>::max());
    if (from > end || (options.toNs && to <= 0)) {
        return Fail("the range lies outside the recording, which runs from 0 to " + Seconds(end) +
                    " s");
    }
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
    if (!exporting) {
        const ts::review::Summary summary = index.Summarize(from, to);
        std::fputs(ts::review::SummaryText(summary, index.Channels()).c_str(), stdout);
        return 0;
    }
    // Only a file this run made is taken away again: --force may name a device or a pipe.
    const bool made = ts::NothingAt(options.csvPath);
    ts::SystemFile out;
    if (!out.OpenForWriting(options.csvPath, options.force)) {
        return Fail("cannot write " + options.csvPath);
    }
    const bool written = ts::review::WriteCsv(index, from, to, options.everyNs.value_or(0), out);
    const bool closed = out.Close();
    if (const std::string problem = changed(); !problem.empty()) {
        if (made) ts::RemoveFile(options.csvPath);
        return Fail(problem, 1);
    }
    if (!closed || !written) {
        if (made) ts::RemoveFile(options.csvPath);
        return Fail("the CSV " + options.csvPath + " could not be written whole", 1);
    }
    return 0;
}
