#include "chart_file.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace humitrax::chart {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int kDotsPerMetre = 3780; // 96 per inch
// Links followed from the path before giving up; the system's own limit on
// Linux is 40.
constexpr int kMostLinks = 40;

// The temporary file being written, where a signal handler may read it: plain
// static storage, set while g_haveTemporary is 0.
std::array<char, 4096> g_temporaryPath{};
volatile std::sig_atomic_t g_haveTemporary = 0;

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The layout of the page, with `note` in the title before the unit system
// ("Psychrometric chart at 101.325 kPa, states at 97.2 to 99.8 kPa, SI
// units, ASHRAE 2017 relations"), shortened with an ellipsis where the page
// is too narrow. A title shortened already has no room for it.
ChartLayout LayOut(const ChartContent& content, const QSizeF& page, const QString& note)
{
    ChartLayout layout = LayOutChart(content, page);
    qsizetype system = layout.title.lastIndexOf(QStringLiteral(", SI units"));
    if (system < 0)
        system = layout.title.lastIndexOf(QStringLiteral(", inch-pound units"));
    if (note.isEmpty() || system < 0)
        return layout;
    const QString title = layout.title.left(system) + QStringLiteral(", ") + note + layout.title.mid(system);
    const double room = page.width() - 2.0 * std::max(6.0, 12.0 * layout.unit);
    // Too wide: a smaller font first, down to 9 pixels, then an ellipsis.
    const double width = QFontMetricsF(layout.titleFont).horizontalAdvance(title);
    if (width > room)
        layout.titleFont.setPixelSize(
            static_cast<int>(std::max(9.0, std::floor(layout.titleFont.pixelSize() * room / width))));
    layout.title = QFontMetricsF(layout.titleFont).elidedText(title, Qt::ElideRight, room);
    return layout;
}

// Paints on `device` laid out for its own size; false when the painter could
// not start or finish.
bool Paint(QPaintDevice& device, const ChartContent& content, const QSizeF& page, const QString& note)
{
    const ChartLayout layout = LayOut(content, page, note);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    PaintChart(painter, content, layout);
    return painter.end();
}

// The chart as the bytes of its file. The SVG and PDF writers say nothing of
// a failed write, so they write to memory, where nothing can fail, and the
// file is written from there. The text says why there is nothing.
std::string Render(FileFormat format, const ChartContent& content, const QSize& size, const std::string& path,
                   const QString& note, QByteArray& bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QString title = LayOut(content, QSizeF(size), note).title;
    bool painted = false;
    switch (format) {
    case FileFormat::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kDotsPerInch);
        generator.setTitle(title);
        generator.setDescription(QStringLiteral("Psychrometric chart drawn by humitrax-cli"));
        painted = Paint(generator, content, QSizeF(size), note);
        break;
    }
    case FileFormat::Png: {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            return "not enough memory for an image of " + std::to_string(size.width()) + "x" +
                   std::to_string(size.height()) + " pixels";
        }
        image.setDotsPerMeterX(kDotsPerMetre);
        image.setDotsPerMeterY(kDotsPerMetre);
        image.fill(Qt::white);
        painted = Paint(image, content, QSizeF(size), note) && image.save(&buffer, "PNG");
        break;
    }
    case FileFormat::Pdf: {
        QPdfWriter writer(&buffer);
        writer.setResolution(kDotsPerInch);
        writer.setCreator(QStringLiteral("humitrax-cli"));
        writer.setTitle(title);
        // One page the size of the chart, 96 device units to the inch.
        const QPageSize page(QSizeF(size.width() * 72.0 / kDotsPerInch, size.height() * 72.0 / kDotsPerInch),
                             QPageSize::Point, QString(), QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        painted = Paint(writer, content, QSizeF(writer.width(), writer.height()), note);
        break;
    }
    }
    if (!painted)
        return "cannot draw the chart into '" + path + "'";
    return {};
}

// The file that writing `path` replaces: the path itself, or the end of its
// chain of symbolic links, so that a link stays a link.
std::filesystem::path FinalTarget(std::filesystem::path path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    for (int hop = 0; hop < kMostLinks && fs::is_symlink(fs::symlink_status(path, error)); ++hop) {
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            break;
        path = path.parent_path() / next; // an absolute link replaces the whole path
    }
    return path;
}

std::string SystemError(int number) { return std::strerror(number); }

// Writes all of `bytes` to `fd`; the error number of the write that failed,
// or 0.
int WriteAll(int fd, const QByteArray& bytes)
{
    const char* next = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// The file to replace, as found before the chart is drawn.
struct Target {
    std::string path;        ///< the end of the path's chain of links
    bool exists = false;
    mode_t permissions = 0;  ///< of the file there, which the new one keeps
};

std::string CannotWrite(const std::string& path, const std::string& reason)
{
    return "cannot write '" + path + "': " + reason;
}

// The regular file or the free name that `path` leads to, or why it cannot
// be written.
std::variant<Target, std::string> ExamineTarget(const std::string& path)
{
    Target target;
    target.path = FinalTarget(path).string();
    struct stat status {};
    target.exists = ::stat(target.path.c_str(), &status) == 0;
    if (!target.exists && errno != ENOENT)
        return CannotWrite(path, SystemError(errno));
    if (target.exists && !S_ISREG(status.st_mode))
        return CannotWrite(path, "it is not a regular file");
    if (target.exists && ::access(target.path.c_str(), W_OK) != 0)
        return CannotWrite(path, "the file may not be written (" + SystemError(errno) + ")");
    target.permissions = status.st_mode & 07777;
    return target;
}

// The signals that end the program and remove its temporary file first.
constexpr std::array<int, 3> kTerminatingSignals{SIGTERM, SIGHUP, SIGINT};

// Notes `path` as the temporary file a terminating signal removes, in the
// static buffer (a path too long for it is not kept); an empty one forgets it.
void NoteTemporaryFile(std::string_view path) noexcept
{
    g_haveTemporary = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (path.empty() || path.size() >= g_temporaryPath.size())
        return;
    std::memcpy(g_temporaryPath.data(), path.data(), path.size());
    g_temporaryPath[path.size()] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_haveTemporary = 1;
}

// Removes the noted temporary file, if any, then raises the signal again with
// its default action. Only async-signal-safe calls.
void OnTerminatingSignal(int signalNumber) noexcept
{
    if (g_haveTemporary != 0) {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        ::unlink(g_temporaryPath.data());
    }
    // With its default action again, the signal ends the program as soon as
    // this handler returns and unblocks it.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(signalNumber, &byDefault, nullptr);
    ::raise(signalNumber);
}

// A new file beside the target that replaces it once written whole, and is
// removed if it does not.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_name.empty())
            ::unlink(m_name.c_str());
        NoteTemporaryFile({});
    }

    /// Creates the file; the error number when it cannot, else 0.
    int Open(const Target& target)
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_name = target.path + "." + std::to_string(QRandomGenerator::global()->bounded(1000000u));
            // Until it has the permissions of the file it replaces, no one else may read it.
            // A terminating signal waits while the file is made and noted, so that the
            // handler knows of every file there is.
            sigset_t terminating;
            sigset_t previous;
            sigemptyset(&terminating);
            for (const int signalNumber : kTerminatingSignals)
                sigaddset(&terminating, signalNumber);
            ::pthread_sigmask(SIG_BLOCK, &terminating, &previous);
            m_fd = ::open(m_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, target.exists ? 0600 : 0666);
            const int openFailure = errno;
            if (m_fd >= 0)
                NoteTemporaryFile(m_name);
            ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
            if (m_fd >= 0)
                return target.exists && ::fchmod(m_fd, target.permissions) != 0 ? errno : 0;
            if (openFailure != EEXIST) {
                errno = openFailure;
                break;
            }
        }
        const int failure = errno;
        m_name.clear();
        return failure;
    }

    /// Writes `bytes`, syncs them to the disk, closes the file and renames it
    /// over the target, each step checked; the error number of the step that
    /// failed, else 0.
    int Replace(const Target& target, const QByteArray& bytes)
    {
        int failure = WriteAll(m_fd, bytes);
        if (failure == 0 && ::fsync(m_fd) != 0)
            failure = errno;
        // A failed close may have lost data still in flight (on NFS, say); it
        // is not retried, as the descriptor is gone either way.
        if (::close(m_fd) != 0 && failure == 0)
            failure = errno;
        m_fd = -1;
        if (failure == 0 && std::rename(m_name.c_str(), target.path.c_str()) != 0)
            failure = errno;
        if (failure == 0) {
            m_name.clear();
            NoteTemporaryFile({});
        }
        return failure;
    }

private:
    std::string m_name;
    int m_fd = -1;
};

} // namespace

void RemoveTemporaryFileOnSignals()
{
    for (const int signalNumber : kTerminatingSignals) {
        struct sigaction current {};
        if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction handler {};
        handler.sa_handler = &OnTerminatingSignal;
        sigemptyset(&handler.sa_mask);
        for (const int other : {SIGTERM, SIGHUP, SIGINT})
            sigaddset(&handler.sa_mask, other); // one removal, not one inside another
        ::sigaction(signalNumber, &handler, nullptr);
    }
}

std::optional<FileFormat> FormatOfPath(std::string_view path)
{
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    const std::string extension = Lower(path.substr(dot + 1));
    if (extension == "svg")
        return FileFormat::Svg;
    if (extension == "png")
        return FileFormat::Png;
    if (extension == "pdf")
        return FileFormat::Pdf;
    return std::nullopt;
}

std::string WriteChartFile(const std::string& path, FileFormat format, const ChartContent& content,
                           const QSize& size, const std::string& titleNote)
{
    const auto examined = ExamineTarget(path);
    if (const auto* reason = std::get_if<std::string>(&examined))
        return *reason;
    const Target& target = std::get<Target>(examined);
    TemporaryFile file;
    if (const int failure = file.Open(target))
        return CannotWrite(path, SystemError(failure));
    QByteArray bytes;
    if (std::string failure = Render(format, content, size, path, QString::fromStdString(titleNote), bytes); !failure.empty())
        return failure;
    if (const int failure = file.Replace(target, bytes))
        return CannotWrite(path, SystemError(failure));
    return {};
}

} // namespace humitrax::chart
