#include "cli/batch_reduction.h"

#include "calc/ird_export.h"
#include "data/file_kind.h"
#include "platform/load_path.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "settings/settings.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

namespace tarnova::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr unsigned kMostJobs = 1024;
// Enough of a file to decide its format by its contents.
constexpr std::size_t kDetectionBytes = 4096;

// One measurement of the batch.
struct Input {
    std::string path;    // as named, or the folder as named joined with the names found
    std::string irdName; // the IRD file's name in the output folder ("sub/run7.IRD")
    std::optional<std::string> listingFailure; // a folder whose files could not be listed
};

// What became of one measurement.
struct Outcome {
    bool failed = false;
    std::size_t records = 0;
    std::vector<std::string> messages; // "CAPTION: text", or a problem of the command
    std::vector<std::string> rows;     // its rows of the table
    std::optional<std::string> ird;    // its IRD text, for standard output
};

// Where the IRD texts go.
struct IrdDestination {
    enum class Kind { Nowhere, File, Folder, StandardOutput } kind = Kind::Nowhere;
    std::string path;
};

struct BatchContext {
    const ReductionOptions& options;
    std::optional<OutputFlags> outputFlags;
    IrdDestination destination;
    std::optional<TidyTableFormat> tableFormat;
};

std::optional<TidyTableFormat> tableFormatNamed(std::string_view name) {
    if (equalsIgnoringCase(name, "csv")) {
        return TidyTableFormat::Csv;
    }
    if (equalsIgnoringCase(name, "json")) {
        return TidyTableFormat::Json;
    }
    return std::nullopt;
}

std::optional<unsigned> parseJobs(const std::string& text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 || value > kMostJobs) {
        return std::nullopt;
    }
    return value;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// A file of a folder is a measurement when Open would read it: by its extension, or else by
// what its first lines show (an IRD export is none).
bool isDataFile(const fs::path& path) {
    const std::string name = path.filename().string();
    const std::string_view extension = fileExtension(name);
    for (const std::string_view known : {"PKS", "ASC", "DAT"}) {
        if (equalsIgnoringCase(extension, known)) {
            return true;
        }
    }
    const std::optional<std::string> start = readFileStart(path.string(), kDetectionBytes);
    if (!start) {
        return false;
    }
    const std::optional<FileKind> kind = kindFromContent(*start);
    return kind && *kind != FileKind::Ird && *kind != FileKind::None;
}

std::string irdNameOf(const fs::path& relativeFolder, const std::string& fileName) {
    return (relativeFolder / fs::path(fileName).stem()).string() + ".IRD";
}

// The measurements of folder in the order of their names, hidden files left out; with
// recursive the folders in it too, where they stand in that order (links to folders are not
// followed, so that no loop can form).
void collectFolder(const fs::path& folder, const fs::path& relative, bool recursive,
                   std::vector<Input>& inputs) {
    std::error_code error;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        entries.push_back(*entry);
    }
    if (error) {
        inputs.push_back(
            {folder.string(), {}, "the folder cannot be read (" + error.message() + ")"});
        return;
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename().string() < b.path().filename().string();
    });
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with('.')) {
            continue;
        }
        std::error_code kindError;
        if (entry.is_directory(kindError)) {
            if (recursive && !entry.is_symlink(kindError)) {
                collectFolder(entry.path(), relative / name, recursive, inputs);
            }
            continue;
        }
        if (entry.is_regular_file(kindError) && isDataFile(entry.path())) {
            inputs.push_back({entry.path().string(), irdNameOf(relative, name), std::nullopt});
        }
    }
}

std::vector<Input> collectInputs(const std::vector<std::string>& paths, bool recursive) {
    std::vector<Input> inputs;
    for (const std::string& path : paths) {
        if (isFolder(path)) {
            collectFolder(path, {}, recursive, inputs);
        } else {
            inputs.push_back({path, irdNameOf({}, std::string(fileNamePart(path))), std::nullopt});
        }
    }
    // Measurements that differ only in their extension (run7.PKS and run7.DAT) keep it in the
    // names of their IRD files: run7.PKS.IRD and run7.DAT.IRD.
    std::map<std::string, std::set<std::string>> namesOf;
    for (const Input& input : inputs) {
        namesOf[input.irdName].insert(std::string(fileNamePart(input.path)));
    }
    for (Input& input : inputs) {
        if (namesOf[input.irdName].size() > 1) {
            const std::string name(fileNamePart(input.path));
            input.irdName = (fs::path(input.irdName).parent_path() / name).string() + ".IRD";
        }
    }
    return inputs;
}

// The same file, however it is named.
std::string sameFileKey(const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? fs::path(path).lexically_normal().string() : canonical.string();
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += text.empty() ? "" : "; ";
        text += line;
    }
    return text;
}

Outcome failedListing(const Input& input, const BatchContext& context) {
    Outcome outcome;
    outcome.failed = true;
    outcome.messages.push_back(*input.listingFailure);
    if (context.tableFormat) {
        TidyMeasurement measurement;
        measurement.file = input.path;
        measurement.failure = *input.listingFailure;
        outcome.rows = TidyTableRows(measurement, *context.tableFormat);
    }
    return outcome;
}

// Loads, calculates and writes one measurement on the calling thread. Every message is kept
// in the outcome; nothing is printed.
Outcome reduceOne(const Input& input, const BatchContext& context) {
    if (input.listingFailure) {
        return failedListing(input, context);
    }
    Outcome outcome;
    ReductionOptions options = context.options;
    options.sheet.paths = {input.path};
    // A note left by an earlier measurement of this thread must not stand for this one.
    ReleaseDataNote();
    Reduction reduction;
    reduction.sheet.ui.kept = &outcome.messages;
    const int code = reduction.calculate(options);
    const bool loaded = reduction.sheet.result.loaded;
    const std::optional<DataNote> note = loaded ? currentDataNote() : std::nullopt;
    ReleaseDataNote();
    if (code == 2 && reduction.usageProblem) {
        outcome.messages.push_back(*reduction.usageProblem);
    }
    std::optional<std::string> failure;
    if (code != 0) {
        failure = outcome.messages.empty() ? "no results" : joined(outcome.messages);
    } else {
        const OutputFlags flags =
            context.outputFlags.value_or(reduction.sheet.settings.fileOutputFlags);
        std::optional<std::string> text =
            WriteIrd(*reduction.state.results, note ? &*note : nullptr, reduction.state.calcFlags,
                     flags, reduction.state.peaks);
        std::error_code writeError;
        const IrdDestination& destination = context.destination;
        const std::string path = destination.kind == IrdDestination::Kind::Folder
                                     ? (fs::path(destination.path) / input.irdName).string()
                                     : destination.path;
        if (!text) {
            reduction.sheet.ui.showMessage("Tarnova", "Not enough core.");
        } else if (destination.kind == IrdDestination::Kind::StandardOutput) {
            outcome.ird = std::move(*text);
        } else if (destination.kind != IrdDestination::Kind::Nowhere &&
                   !writeWholeFile(path, *text, &writeError)) {
            reduction.sheet.ui.showMessage("Tarnova",
                                           formatText("%sに書き込めませんでした(%s)。",
                                                      path.c_str(), writeError.message().c_str()));
            text.reset();
        }
        if (!text && !outcome.ird) {
            failure = joined(outcome.messages);
        }
    }
    outcome.failed = failure.has_value();
    if (!outcome.failed) {
        outcome.records = reduction.state.results->size();
    }
    if (context.tableFormat) {
        TidyMeasurement measurement;
        measurement.file = input.path;
        measurement.format = loaded ? reduction.sheet.result.kind : FileKind::None;
        measurement.note = note ? &*note : nullptr;
        if (code == 0 && reduction.state.results) {
            measurement.records = *reduction.state.results;
            measurement.calcFlags = reduction.state.calcFlags;
        }
        measurement.failure = failure;
        outcome.rows = TidyTableRows(measurement, *context.tableFormat);
    }
    return outcome;
}

Outcome reduceGuarded(const Input& input, const BatchContext& context) {
    try {
        return reduceOne(input, context);
    } catch (const std::exception& error) {
        Outcome outcome;
        outcome.failed = true;
        outcome.messages.push_back(std::string("Tarnova: Not enough core. (") + error.what() + ")");
        if (context.tableFormat) {
            TidyMeasurement measurement;
            measurement.file = input.path;
            measurement.failure = outcome.messages.back();
            outcome.rows = TidyTableRows(measurement, *context.tableFormat);
        }
        return outcome;
    }
}

bool writeStandardOutput(std::string_view bytes, std::error_code& error) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                         std::fflush(stdout) == 0;
    if (!written) {
        error = {errno, std::generic_category()};
    }
    return written;
}

std::string duration(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    return formatText("%ld:%02ld", whole / 60, whole % 60);
}

// The progress line on a terminal: done/total, rate and time left, redrawn in place at most ten
// times a second; nothing when stderr is no terminal or when told to be quiet.
class Progress final {
  public:
    Progress(std::size_t total, bool quiet)
        : total_(total), shown_(!quiet && isatty(STDERR_FILENO) != 0), start_(Clock::now()) {}

    void update(std::size_t done) {
        if (!shown_) {
            return;
        }
        const Clock::time_point now = Clock::now();
        if (drawn_ && now - last_ < std::chrono::milliseconds(100) && done < total_) {
            return;
        }
        last_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
        std::string line = formatText("\r%zu/%zu measurements", done, total_);
        if (done > 0 && rate > 0.0) {
            line += formatText(", %.0f/s, ", rate) +
                    duration(static_cast<double>(total_ - done) / rate) + " left";
        }
        std::cerr << line << "\x1b[K" << std::flush;
        drawn_ = true;
    }
    // Removes the line, so that a message or the summary takes its place.
    void clear() {
        if (drawn_) {
            std::cerr << "\r\x1b[K" << std::flush;
            drawn_ = false;
        }
    }

  private:
    std::size_t total_;
    bool shown_;
    bool drawn_ = false;
    Clock::time_point start_;
    Clock::time_point last_;
};

// Prepares the output folder: made when missing, and tried with a file of its own. A message
// and false when it cannot take the IRD files.
bool prepareFolder(const std::string& folder, const std::set<std::string>& subfolders) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (!error && !isFolder(folder)) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    for (auto sub = subfolders.begin(); !error && sub != subfolders.end(); ++sub) {
        fs::create_directories(fs::path(folder) / *sub, error);
    }
    if (error) {
        reportUsageProblem(folder + ": the output folder cannot be made (" + error.message() + ")");
        return false;
    }
    std::string probe = (fs::path(folder) / ".tarnova-probe-XXXXXX").string();
    const int descriptor = mkstemp(probe.data());
    if (descriptor < 0) {
        const std::error_code reason(errno, std::generic_category());
        reportUsageProblem(folder + ": no file can be written into the output folder (" +
                           reason.message() + ")");
        return false;
    }
    close(descriptor);
    unlink(probe.c_str());
    return true;
}

// An IRD file or the table must not take the place of a measurement or of one another.
std::optional<std::string> outputClash(const std::vector<Input>& inputs,
                                       const IrdDestination& destination,
                                       const std::optional<std::string>& table) {
    std::map<std::string, std::string> inputKeys;
    for (const Input& input : inputs) {
        inputKeys.emplace(sameFileKey(input.path), input.path);
    }
    std::map<std::string, std::string> written; // key of an output, what it is written for
    const auto claim = [&](const std::string& output,
                           const std::string& owner) -> std::optional<std::string> {
        const std::string key = sameFileKey(output);
        if (const auto input = inputKeys.find(key); input != inputKeys.end()) {
            return output + " would overwrite the measurement " + input->second;
        }
        const auto [earlier, isNew] = written.emplace(key, owner);
        if (!isNew) {
            return earlier->second + " and " + owner + " would both be written to " + output;
        }
        return std::nullopt;
    };
    if (table && *table != "-") {
        if (auto clash = claim(*table, "the table")) {
            return clash;
        }
    }
    for (const Input& input : inputs) {
        if (input.listingFailure) {
            continue;
        }
        std::optional<std::string> clash;
        if (destination.kind == IrdDestination::Kind::Folder) {
            clash = claim((fs::path(destination.path) / input.irdName).string(), input.path);
        } else if (destination.kind == IrdDestination::Kind::File) {
            clash = claim(destination.path, input.path);
        }
        if (clash) {
            return clash;
        }
    }
    return std::nullopt;
}

} // namespace

OwnOption takeBatchOption(const Arguments& arguments, std::size_t& i, BatchOptions& batch) {
    const std::string& option = arguments[i];
    if (option == "--recursive" || option == "--quiet") {
        (option == "--recursive" ? batch.recursive : batch.quiet) = true;
        return OwnOption::Taken;
    }
    if (option != "--table" && option != "--table-format" && option != "--jobs") {
        return OwnOption::NotMine;
    }
    if (const auto problem = optionProblem(arguments, i, true, false)) {
        reportUsageProblem(*problem);
        return OwnOption::Invalid;
    }
    const std::string& value = arguments[++i];
    if (option == "--table") {
        if (value.empty()) {
            reportUsageProblem("--table needs a file name or -");
            return OwnOption::Invalid;
        }
        batch.table = value;
    } else if (option == "--table-format") {
        batch.tableFormat = tableFormatNamed(value);
        if (!batch.tableFormat) {
            reportUsageProblem("--table-format " + value + " is neither csv nor json");
            return OwnOption::Invalid;
        }
    } else {
        batch.jobs = parseJobs(value);
        if (!batch.jobs) {
            reportUsageProblem("--jobs " + value + " is no number from 1 to " +
                               std::to_string(kMostJobs));
            return OwnOption::Invalid;
        }
    }
    return OwnOption::Taken;
}

bool isBatch(const ReductionOptions& options, const BatchOptions& batch) {
    const std::vector<std::string>& paths = options.sheet.paths;
    return paths.size() > 1 || batch.table || batch.tableFormat ||
           std::any_of(paths.begin(), paths.end(), isFolder);
}

int runBatchReduction(const ReductionOptions& options, const BatchOptions& batch,
                      std::optional<OutputFlags> outputFlags,
                      const std::optional<std::string>& output, const char* usage) {
    const Clock::time_point start = Clock::now();
    std::optional<TidyTableFormat> tableFormat = batch.tableFormat;
    if (batch.tableFormat && !batch.table) {
        reportUsageProblem("--table-format needs --table");
        return usageError(usage);
    }
    if (batch.table && !tableFormat) {
        tableFormat =
            *batch.table == "-" ? std::nullopt : tableFormatNamed(fileExtension(*batch.table));
        if (!tableFormat) {
            reportUsageProblem("--table " + *batch.table +
                               ": give --table-format csv or json, or a name ending in .csv or "
                               ".json");
            return usageError(usage);
        }
    }
    const std::string iniPath = options.sheet.iniPath.value_or(settingsFilePath());
    if (options.correctionSet) {
        if (const auto problem = correctionSetProblem(iniPath, *options.correctionSet)) {
            reportUsageProblem(*problem);
            return usageError(usage);
        }
    }

    const std::vector<std::string>& paths = options.sheet.paths;
    const bool oneFile = paths.size() == 1 && !isFolder(paths.front());
    IrdDestination destination;
    if (output) {
        destination = {oneFile ? IrdDestination::Kind::File : IrdDestination::Kind::Folder,
                       *output};
        if (!oneFile && fs::exists(*output) && !isFolder(*output)) {
            reportUsageProblem("--output " + *output +
                               " is no folder: with several measurements it names the folder "
                               "of their IRD files");
            return usageError(usage);
        }
    } else if (!batch.table) {
        destination.kind = IrdDestination::Kind::StandardOutput;
    }

    const std::vector<Input> inputs = collectInputs(paths, batch.recursive);
    if (const auto clash = outputClash(inputs, destination, batch.table)) {
        reportUsageProblem(*clash);
        return usageError(usage);
    }
    if (destination.kind == IrdDestination::Kind::Folder) {
        std::set<std::string> subfolders;
        for (const Input& input : inputs) {
            const fs::path folder = fs::path(input.irdName).parent_path();
            if (!input.listingFailure && !folder.empty()) {
                subfolders.insert(folder.string());
            }
        }
        if (!prepareFolder(destination.path, subfolders)) {
            return 1;
        }
    }

    // Process-wide state is settled here, before the threads start: they only read it.
    if (loadPath().empty()) {
        setLoadPath(executableFolder());
    }
    const BatchContext context{options, outputFlags, destination, tableFormat};
    const std::size_t total = inputs.size();
    std::vector<std::optional<Outcome>> outcomes(total);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next = 0;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t jobCount =
        std::min<std::size_t>(batch.jobs.value_or(cores), std::max<std::size_t>(total, 1));
    std::vector<std::thread> workers;
    for (std::size_t job = 0; job < jobCount && total > 0; ++job) {
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < total; i = next++) {
                Outcome outcome = reduceGuarded(inputs[i], context);
                {
                    const std::lock_guard lock(mutex);
                    outcomes[i] = std::move(outcome);
                }
                finished.notify_one();
            }
        });
    }

    // The outcomes are taken in the order of the inputs, whatever the order of completion.
    Progress progress(total, batch.quiet);
    TidyTableText table(tableFormat.value_or(TidyTableFormat::Csv));
    std::size_t records = 0;
    std::size_t failures = 0;
    bool outputFailed = false;
    progress.update(0);
    for (std::size_t emitted = 0; emitted < total;) {
        std::vector<Outcome> ready;
        {
            std::unique_lock lock(mutex);
            finished.wait_for(lock, std::chrono::milliseconds(100),
                              [&] { return outcomes[emitted].has_value(); });
            for (std::size_t i = emitted; i < total && outcomes[i]; ++i) {
                ready.push_back(std::move(*outcomes[i]));
                outcomes[i].reset();
            }
        }
        for (Outcome& outcome : ready) {
            const Input& input = inputs[emitted++];
            if (!outcome.messages.empty()) {
                progress.clear();
                for (const std::string& message : outcome.messages) {
                    std::cerr << input.path << ": " << message << '\n';
                }
            }
            failures += outcome.failed ? 1 : 0;
            records += outcome.records;
            table.append(outcome.rows);
            std::error_code error;
            if (outcome.ird && !outputFailed && !writeStandardOutput(*outcome.ird, error)) {
                progress.clear();
                std::cerr << "Tarnova: "
                          << formatText("%sに書き込めませんでした(%s)。", "標準出力",
                                        error.message().c_str())
                          << '\n';
                outputFailed = true;
            }
        }
        progress.update(emitted);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    progress.clear();

    if (batch.table) {
        const std::string text = table.finish();
        std::error_code error;
        const bool written = *batch.table == "-" ? writeStandardOutput(text, error)
                                                 : writeWholeFile(*batch.table, text, &error);
        if (!written) {
            const std::string where = *batch.table == "-" ? "標準出力" : *batch.table;
            std::cerr << "Tarnova: "
                      << formatText("%sに書き込めませんでした(%s)。", where.c_str(),
                                    error.message().c_str())
                      << '\n';
            outputFailed = true;
        }
    }
    if (!batch.quiet) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::cerr << formatText("tarnova-cli: %zu measurements, %zu records, %zu failed, %.2f s\n",
                                total, records, failures, seconds);
    }
    return failures > 0 || outputFailed ? 1 : 0;
}

} // namespace tarnova::cli
