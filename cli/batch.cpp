// The batch command: every property for each row of a CSV file, streamed in
// blocks of complete records that worker threads compute while this thread
// reads ahead and writes finished blocks in input order. Whenever the input
// has nothing more ready (a pipe), the rows read so far are written out at
// once, so a program feeding rows one by one gets each answer.
#include "batch_rows.h"
#include "commands.h"
#include "output.h"
#include "csv.h"
#include "numbers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  batch [--units si|ip] [--format csv|json] [--jobs N] [--max-record-bytes N]
        [FILE]
      Every property for each row of a CSV file (standard input when FILE is
      missing or "-"). The header names the columns: dry_bulb, pressure or
      altitude, and one of wet_bulb, dew_point, relative_humidity (percent) or
      humidity_ratio, in the units of --units (default si: °C, kPa, m; ip:
      °F, psia, ft). Other columns pass through unchanged, in front. Output:
      those columns, then dry_bulb, pressure, wet_bulb, dew_point,
      relative_humidity, humidity_ratio, enthalpy, specific_volume, grains
      (ip only) and status, numbers at full precision. A cell that cannot be
      computed stays empty and status says why ("relative_humidity: out of
      range", "line 12: pressure is not a number"). Lines that are empty or
      hold only spaces and tabs are skipped. --format json writes one JSON
      object per line, always UTF-8 (a byte that is not becomes U+FFFD); a
      column name met before gets "_2", "_3"... there. --jobs N computes on N
      threads (default: every core), output in input order. A record longer
      than --max-record-bytes (default 1048576; its line feed not counted) is
      one failed row, and reading goes on after the first line feed past the
      limit. Rows are written as soon as the input pauses, so a program can
      feed rows through a pipe and read each answer.
      Exit status: 0 every row computed, 1 some rows failed, 2 the command
      line or the input could not be read, 3 the output could not be written.
      Example:
        humitrax-cli batch --units ip weather.csv > states.csv

)";

/// Bytes read per block: large enough that the threads' hand-over costs
/// nothing next to the work, small enough that memory stays a few megabytes
/// per job.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr unsigned kMaxJobs = 256;
/// A record is read whole, so its length bounds the memory a row may take.
constexpr std::size_t kDefaultMaxRecordBytes = std::size_t{1} << 20;
constexpr std::size_t kLargestMaxRecordBytes = std::size_t{1} << 30;

int Usage(const std::string& message)
{
    std::fprintf(stderr, "humitrax-cli: batch: %s; try 'humitrax-cli batch --help'\n",
                 message.c_str());
    return kExitUsage;
}

/// Standard output through the commands' checked writes, remembering its
/// first failure.
class Output {
public:
    bool Write(std::string_view text) { return Note(WriteOut(text)); }
    bool Flush() { return Note(FlushOut()); }
    /// Flushes and closes standard output: the last chance to learn that the
    /// file system did not take it.
    bool Close() { return Note(CloseOut()); }
    [[nodiscard]] bool failed() const noexcept { return m_failed; }
    /// Says why, and gives the exit status.
    static int Report() { return OutputFailed(); }

private:
    bool Note(bool ok)
    {
        m_failed = m_failed || !ok;
        return !m_failed;
    }

    bool m_failed = false;
};

/// A record longer than the limit, passed over.
struct SkippedRecord {
    std::size_t lineFeeds = 0; ///< the ones inside it and the one where reading goes on
    bool endsInput = false;    ///< the input ended before such a line feed
    bool openQuote = false;    ///< the limit fell inside a quoted field
};

/// Called before a read that may wait for its input: everything handed on
/// should then be written out. False stops the reading.
using IdleHandler = std::function<bool()>;

/// Blocks of complete records from a file descriptor, no record longer than
/// a limit. A block ends at about kBlockBytes, or earlier where the input has
/// nothing more ready.
class RecordReader {
public:
    RecordReader(int fd, std::size_t maxRecordBytes) : m_fd(fd), m_maxRecordBytes(maxRecordBytes)
    {
        struct stat status {};
        m_mayWait = fstat(fd, &status) != 0 || !(S_ISREG(status.st_mode) || S_ISBLK(status.st_mode));
    }

    /// The next block of complete records; or, where a record is longer than
    /// the limit, an empty block and `skipped` set. False at the end of the
    /// input, on a read error and when `idle` says to stop.
    bool Next(std::string& block, std::optional<SkippedRecord>& skipped, const IdleHandler& idle)
    {
        block.clear();
        skipped.reset();
        for (;;) {
            const std::size_t pending = m_end - m_start;
            const bool mayWait = MayWait();
            const bool enough = m_atEnd || pending >= m_want;
            if (pending > 0 && (enough || mayWait)) {
                const RecordsScan scan = ScanRecords(Pending(), m_maxRecordBytes, m_atEnd);
                if (scan.length > 0) {
                    block.assign(m_data.get() + m_start, scan.length);
                    Consume(scan.length);
                    m_want = kBlockBytes;
                    return true;
                }
                if (scan.tooLong) {
                    m_want = kBlockBytes;
                    return Skip(skipped.emplace(), idle);
                }
                if (enough)
                    m_want = 2 * pending; // a record longer than a block
            } else if (m_atEnd) {
                return false;
            }
            if (mayWait && !idle())
                return false;
            Read();
        }
    }

    /// The error of a read that failed, or 0.
    [[nodiscard]] int error() const noexcept { return m_error; }

private:
    /// Bytes asked of each read.
    static constexpr std::size_t kReadBytes = kBlockBytes;

    [[nodiscard]] std::string_view Pending() const noexcept
    {
        return {m_data.get() + m_start, m_end - m_start};
    }

    void Consume(std::size_t size) noexcept
    {
        m_start += size;
        if (m_start == m_end)
            m_start = m_end = 0;
    }

    /// Whether the next read may wait: the input is a pipe, a terminal or a
    /// socket, and nothing more is ready now. A file never waits.
    bool MayWait()
    {
        if (!m_mayWait || m_atEnd)
            return false;
        pollfd ready{m_fd, POLLIN, 0};
        return ::poll(&ready, 1, 0) <= 0;
    }

    /// One read after the pending bytes, moving them to the front or into a
    /// larger buffer first where the room is short.
    void Read()
    {
        if (m_capacity - m_end < kReadBytes) {
            const std::size_t pending = m_end - m_start;
            if (m_capacity - pending < kReadBytes) {
                const std::size_t capacity = std::max(2 * m_capacity, pending + kReadBytes);
                auto data = std::make_unique_for_overwrite<char[]>(capacity);
                if (pending > 0)
                    std::memcpy(data.get(), m_data.get() + m_start, pending);
                m_data = std::move(data);
                m_capacity = capacity;
            } else if (pending > 0) {
                std::memmove(m_data.get(), m_data.get() + m_start, pending);
            }
            m_start = 0;
            m_end = pending;
        }
        for (;;) {
            const ssize_t got = ::read(m_fd, m_data.get() + m_end, kReadBytes);
            if (got > 0) {
                m_end += static_cast<std::size_t>(got);
                return;
            }
            if (got == 0) {
                m_atEnd = true;
                return;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) { // a non-blocking descriptor
                pollfd ready{m_fd, POLLIN, 0};
                ::poll(&ready, 1, -1);
                continue;
            }
            m_error = errno;
            m_atEnd = true;
            return;
        }
    }

    /// Passes over the record at the front, longer than the limit: reading
    /// goes on after the first line feed beyond its first m_maxRecordBytes
    /// bytes, wherever quotes stand. Only what is read is held.
    bool Skip(SkippedRecord& skipped, const IdleHandler& idle)
    {
        const std::string_view record = Pending().substr(0, m_maxRecordBytes);
        skipped.openQuote = InsideQuotes(Pending(), m_maxRecordBytes);
        skipped.lineFeeds = static_cast<std::size_t>(std::count(record.begin(), record.end(), '\n'));
        Consume(record.size());
        for (;;) {
            const std::string_view rest = Pending();
            if (const void* lineFeed = std::memchr(rest.data(), '\n', rest.size())) {
                ++skipped.lineFeeds;
                Consume(static_cast<std::size_t>(static_cast<const char*>(lineFeed) - rest.data()) + 1);
                return true;
            }
            Consume(rest.size());
            if (m_atEnd) {
                skipped.endsInput = true;
                return true;
            }
            if (MayWait() && !idle())
                return false;
            Read();
        }
    }

    int m_fd;
    std::size_t m_maxRecordBytes;
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity = 0;
    std::size_t m_start = 0; ///< of the pending bytes in m_data
    std::size_t m_end = 0;
    std::size_t m_want = kBlockBytes;
    bool m_mayWait = false; ///< the input is no file, so a read may wait for it
    bool m_atEnd = false;
    int m_error = 0;
};

/// One block on its way through the workers.
struct Block {
    std::string input;
    std::optional<SkippedRecord> skipped; ///< instead of input: a record too long to read
    std::size_t firstLine = 0;
    std::string output;
    BlockCounts counts;
    std::promise<void> done;

    [[nodiscard]] std::size_t LineFeeds() const
    {
        return skipped ? skipped->lineFeeds
                       : static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n'));
    }
};

/// "line 2: is longer than 64 bytes, ...; lines 2 to 9 skipped"
std::string SkippedStatus(std::size_t line, const SkippedRecord& skipped, std::size_t maxRecordBytes)
{
    std::string status = "line " + std::to_string(line) + ": is longer than " +
                         std::to_string(maxRecordBytes) + " bytes, the limit of --max-record-bytes";
    if (skipped.openQuote)
        status += ", with a quoted field still open";
    const std::size_t last = line + skipped.lineFeeds - (skipped.endsInput ? 0 : 1);
    if (last == line)
        return status + "; skipped";
    return status + "; lines " + std::to_string(line) + " to " + std::to_string(last) + " skipped";
}

/// The output rows of a block.
void Compute(const BatchLayout& layout, std::size_t maxRecordBytes, Block& block)
{
    if (block.skipped) {
        AppendFailedRow(layout, SkippedStatus(block.firstLine, *block.skipped, maxRecordBytes),
                        block.output);
        block.counts = {.rows = 1, .failedRows = 1};
        return;
    }
    block.counts = ProcessBlock(layout, block.input.data(), block.input.size(), block.firstLine,
                                block.output);
}

/// Worker threads taking blocks from a queue.
class WorkerPool {
public:
    WorkerPool(const BatchLayout& layout, std::size_t maxRecordBytes, unsigned jobs)
        : m_layout(layout), m_maxRecordBytes(maxRecordBytes)
    {
        for (unsigned i = 0; i < jobs; ++i)
            m_threads.emplace_back([this] { Work(); });
    }
    ~WorkerPool()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void Submit(Block* block)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(block);
        }
        m_wake.notify_one();
    }

private:
    void Work()
    {
        for (;;) {
            Block* block = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                block = m_queue.front();
                m_queue.pop_front();
            }
            try {
                Compute(m_layout, m_maxRecordBytes, *block);
                block->done.set_value();
            } catch (...) {
                block->done.set_exception(std::current_exception());
            }
        }
    }

    const BatchLayout& m_layout;
    std::size_t m_maxRecordBytes;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Block*> m_queue;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

/// Rows done and rows per second on standard error, when it is a terminal.
class Progress {
public:
    Progress() : m_shown(isatty(STDERR_FILENO) != 0), m_start(Clock::now()), m_last(m_start) {}

    void Add(std::size_t rows)
    {
        m_rows += rows;
        if (!m_shown)
            return;
        const Clock::time_point now = Clock::now();
        if (now - m_last < std::chrono::milliseconds(500))
            return;
        m_last = now;
        Show(now);
    }

    void Finish()
    {
        if (!m_shown)
            return;
        Show(Clock::now());
        std::fputc('\n', stderr);
    }

private:
    using Clock = std::chrono::steady_clock;

    void Show(Clock::time_point now) const
    {
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        const double rate = seconds > 0.0 ? static_cast<double>(m_rows) / seconds : 0.0;
        std::fprintf(stderr, "\rbatch: %zu rows, %.0f rows/s ", m_rows, rate);
    }

    bool m_shown;
    Clock::time_point m_start;
    Clock::time_point m_last;
    std::size_t m_rows = 0;
};

struct BatchOptions {
    Units units = Units::SI;
    OutputFormat format = OutputFormat::Csv;
    unsigned jobs = 1;
    std::size_t maxRecordBytes = kDefaultMaxRecordBytes;
    std::string file = "-";
};

/// The help text on standard output; 0, or 3 when it cannot be written.
int WriteHelp()
{
    Output output;
    return output.Write(kHelp) && output.Flush() ? kExitOk : output.Report();
}

/// A whole number from 1 to `largest`.
std::optional<std::size_t> ParseCount(std::string_view text, std::size_t largest)
{
    std::size_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < 1 || value > largest)
        return std::nullopt;
    return value;
}

/// Splits "--name=value" and "--name value"; nothing when `arg` is not `name`.
std::optional<std::string_view> OptionValue(std::span<const std::string_view> args,
                                            std::size_t& i, std::string_view name, bool& missing)
{
    const std::string_view arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return std::string_view();
        }
        return args[++i];
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=')
        return arg.substr(name.size() + 1);
    return std::nullopt;
}

/// The options, or the exit status of a usage error or of --help.
std::optional<int> ParseOptions(std::span<const std::string_view> args, BatchOptions& options)
{
    const unsigned cores = std::thread::hardware_concurrency();
    options.jobs = cores == 0 ? 1 : std::min(cores, kMaxJobs);
    bool fileGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool missing = false;
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h")
            return WriteHelp();
        if (const auto value = OptionValue(args, i, "--units", missing)) {
            if (missing)
                return Usage("--units needs si or ip");
            if (*value == "si")
                options.units = Units::SI;
            else if (*value == "ip")
                options.units = Units::InchPound;
            else
                return Usage("--units is si or ip, not '" + std::string(*value) + "'");
        } else if (const auto format = OptionValue(args, i, "--format", missing)) {
            if (missing)
                return Usage("--format needs csv or json");
            if (*format == "csv")
                options.format = OutputFormat::Csv;
            else if (*format == "json")
                options.format = OutputFormat::Json;
            else
                return Usage("--format is csv or json, not '" + std::string(*format) + "'");
        } else if (const auto jobs = OptionValue(args, i, "--jobs", missing)) {
            if (missing)
                return Usage("--jobs needs a number of threads");
            const std::optional<std::int16_t> count = ParseInt16(*jobs);
            if (!count || *count < 1 || static_cast<unsigned>(*count) > kMaxJobs)
                return Usage("--jobs is a whole number from 1 to " + std::to_string(kMaxJobs) +
                             ", not '" + std::string(*jobs) + "'");
            options.jobs = static_cast<unsigned>(*count);
        } else if (const auto bytes = OptionValue(args, i, "--max-record-bytes", missing)) {
            const std::optional<std::size_t> limit =
                missing ? std::nullopt : ParseCount(*bytes, kLargestMaxRecordBytes);
            if (!limit)
                return Usage("--max-record-bytes needs a whole number from 1 to " +
                             std::to_string(kLargestMaxRecordBytes));
            options.maxRecordBytes = *limit;
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage("unknown option '" + std::string(arg) + "'");
        } else {
            if (fileGiven)
                return Usage("one input file at most");
            options.file = std::string(arg);
            fileGiven = true;
        }
    }
    return std::nullopt;
}

/// Reads the header, then streams the rows; the exit status.
int Stream(int input, const BatchOptions& options)
{
    RecordReader reader(input, options.maxRecordBytes);
    Output output;
    const IdleHandler nothingWritten = [] { return true; };
    std::string first;
    std::optional<SkippedRecord> skipped;
    CsvRecord header;
    std::size_t line = 1;
    char* rest = nullptr;
    for (;;) {
        if (!reader.Next(first, skipped, nothingWritten)) {
            if (reader.error() != 0)
                return Usage("cannot read the input: " + std::string(std::strerror(reader.error())));
            return Usage("the input is empty; it needs a header row naming its columns");
        }
        if (skipped) {
            return Usage("the header is longer than " + std::to_string(options.maxRecordBytes) +
                         " bytes, the limit of --max-record-bytes");
        }
        char* begin = first.data();
        char* const end = begin + first.size();
        if (line == 1 && first.size() >= 3 && first.compare(0, 3, "\xEF\xBB\xBF") == 0)
            begin += 3; // a byte-order mark
        // Blank lines before the header are skipped like blank rows.
        while (begin < end) {
            char* next = ParseCsvRecord(begin, end, header);
            line += header.lineFeeds;
            begin = next;
            if (!header.blank()) {
                rest = begin;
                break;
            }
        }
        if (rest != nullptr)
            break;
    }
    std::string message;
    const std::optional<BatchLayout> layout =
        MakeBatchLayout(header.fields, options.units, options.format, message);
    if (!layout)
        return Usage(message + " (needed: dry_bulb, pressure or altitude, and one of wet_bulb, "
                               "dew_point, relative_humidity, humidity_ratio)");
    if (!output.Write(OutputHeader(*layout)))
        return output.Report();

    Progress progress;
    bool anyFailure = false;
    const auto finish = [&](Block& block) {
        output.Write(block.output);
        anyFailure = anyFailure || block.counts.failedRows > 0;
        progress.Add(block.counts.rows);
    };
    auto firstBlock = std::make_unique<Block>();
    firstBlock->input.assign(rest, static_cast<std::size_t>(first.data() + first.size() - rest));
    firstBlock->firstLine = line;
    line += firstBlock->LineFeeds();

    if (options.jobs == 1) {
        // Every block read is written by the time the reader waits.
        const IdleHandler flush = [&] { return output.Flush(); };
        for (std::unique_ptr<Block> block = std::move(firstBlock); !output.failed();) {
            Compute(*layout, options.maxRecordBytes, *block);
            finish(*block);
            block->output.clear();
            if (!reader.Next(block->input, block->skipped, flush))
                break;
            block->firstLine = line;
            line += block->LineFeeds();
        }
    } else {
        // Enough blocks in flight to keep every worker busy while this
        // thread writes; memory stays bounded by their number.
        const std::size_t maxInFlight = 2 * std::size_t{options.jobs};
        // Declared before the pool, so that they outlive its threads.
        std::deque<std::unique_ptr<Block>> inFlight;
        std::deque<std::future<void>> results;
        WorkerPool pool(*layout, options.maxRecordBytes, options.jobs);
        const auto submit = [&](std::unique_ptr<Block> block) {
            results.push_back(block->done.get_future());
            pool.Submit(block.get());
            inFlight.push_back(std::move(block));
        };
        const auto writeOldest = [&] {
            results.front().get(); // rethrows a worker's failure
            finish(*inFlight.front());
            results.pop_front();
            inFlight.pop_front();
        };
        // Before the reader waits, every block in flight is written.
        const IdleHandler drain = [&] {
            while (!inFlight.empty())
                writeOldest();
            return output.Flush();
        };
        submit(std::move(firstBlock));
        bool inputDone = false;
        for (;;) {
            while (!inputDone && inFlight.size() < maxInFlight) {
                auto block = std::make_unique<Block>();
                if (!reader.Next(block->input, block->skipped, drain)) {
                    inputDone = true;
                    break;
                }
                block->firstLine = line;
                line += block->LineFeeds();
                submit(std::move(block));
            }
            if (inFlight.empty())
                break;
            writeOldest();
            if (output.failed())
                inputDone = true; // let the blocks in flight finish, read no more
        }
    }
    progress.Finish();
    if (reader.error() != 0) {
        std::fprintf(stderr, "humitrax-cli: batch: cannot read the input to its end: %s\n",
                     std::strerror(reader.error()));
        return kExitUsage;
    }
    if (!output.Close())
        return output.Report();
    return anyFailure ? kExitFailure : kExitOk;
}

} // namespace

std::string_view BatchHelp() { return kHelp; }

int RunBatch(std::span<const std::string_view> args)
{
    BatchOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    int input = STDIN_FILENO;
    if (options.file != "-") {
        input = ::open(options.file.c_str(), O_RDONLY | O_CLOEXEC);
        if (input < 0)
            return Usage("cannot open '" + options.file + "': " + std::strerror(errno));
    }
    int status = kExitFailure;
    try {
        status = Stream(input, options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "humitrax-cli: batch: %s\n", error.what());
    }
    if (input != STDIN_FILENO)
        ::close(input);
    return status;
}

} // namespace humitrax::cli
