#include "report/files/regular_file.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::report {
namespace {

// Why a file could not be opened: a file of someone else's by its owner, else in the system's words.
Problem OpenFailure(const QByteArray& path, int error)
{
    struct stat st {};
    if ((error != EACCES && error != EPERM) || ::stat(path.constData(), &st) != 0)
        return {Problem::Code::System, {std::strerror(error)}};
    std::string owner = std::to_string(st.st_uid);
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(st.st_uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        owner = found->pw_name;
    return {Problem::Code::NotPermitted, {owner}};
}

}  // namespace

RegularFile::RegularFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        m_refusal = OpenFailure(name, errno);
        return;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        m_refusal = Problem{Problem::Code::System, {std::strerror(errno)}};
    } else if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        m_refusal = Problem{Problem::Code::Pipe, {}};
    } else if (S_ISDIR(st.st_mode)) {
        m_refusal = Problem{Problem::Code::Folder, {}};
    } else if (!S_ISREG(st.st_mode)) {
        m_refusal = Problem{Problem::Code::Device, {}};
    } else if (st.st_size > kLargestFile) {
        m_refusal = Problem{Problem::Code::TooLarge, {std::to_string(st.st_size / (1024 * 1024))}};
    } else {
        m_size = st.st_size;
        return;
    }
    ::close(m_fd);
    m_fd = -1;
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 RegularFile::ReadAt(char* into, qint64 offset, qint64 length) const
{
    qint64 got = 0;
    while (got < length) {
        const ssize_t n =
            ::pread(m_fd, into + got, static_cast<std::size_t>(length - got), static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    return got;
}

QByteArray RegularFile::Read(qint64 offset, qint64 length) const
{
    QByteArray bytes;
    if (m_fd < 0 || offset >= m_size || length <= 0)
        return bytes;
    // A file that grew since it was looked at (a recording going on) is read up to the size seen.
    bytes.resize(static_cast<qsizetype>(std::min(length, m_size - offset)));
    bytes.resize(static_cast<qsizetype>(ReadAt(bytes.data(), offset, bytes.size())));
    return bytes;
}

std::string_view RegularFile::ReadAll(std::vector<char>& buffer) const
{
    if (m_fd < 0)
        return {};
    // Grown only: the pages of the buffer stay mapped from one file to the next.
    if (buffer.size() < static_cast<std::size_t>(m_size))
        buffer.resize(static_cast<std::size_t>(m_size));
    constexpr qint64 kChunk = 1 << 20;
    qint64 got = 0;
    while (got < m_size) {
        const qint64 want = std::min(kChunk, m_size - got);
        const qint64 n = ReadAt(buffer.data() + got, got, want);
        got += n;
        if (n < want)
            break;  // shorter than it was: what is there
    }
    return {buffer.data(), static_cast<std::size_t>(got)};
}

QString PrintableName(const QByteArray& name)
{
    QString text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (qsizetype i = 0; i < name.size();) {
        // The length of the UTF-8 sequence starting here, when it is one.
        const auto lead = static_cast<unsigned char>(name[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        QString decoded;
        if (length > 0 && i + length <= name.size()) {
            decoded = utf8.decode(name.mid(i, length));
            if (utf8.hasError() || decoded.contains(QChar::ReplacementCharacter))
                decoded.clear();
            utf8.resetState();
        }
        const bool control = std::any_of(decoded.begin(), decoded.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
        });
        if (decoded.isEmpty() || control) {
            const qsizetype bytes = decoded.isEmpty() ? 1 : length;
            for (qsizetype k = 0; k < bytes; ++k)
                text += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(name[i + k]), 2, 16, QLatin1Char('0'));
            i += bytes;
            continue;
        }
        text += decoded;
        i += length;
    }
    return text;
}

QString PrintableName(const QString& name)
{
    return PrintableName(name.toUtf8());
}

namespace {

bool Listable(const QByteArray& name)
{
    if (name.startsWith('.'))
        return false;
    const QByteArray lower = name.toLower();
    return lower.endsWith(".txt") || lower.endsWith(".csv");
}

}  // namespace

FolderEntries EntriesOf(const QString& folder)
{
    FolderEntries entries;
    const QDir dir(folder);
    if (DIR* stream = ::opendir(QFile::encodeName(dir.absolutePath()).constData())) {
        while (const dirent* entry = ::readdir(stream)) {
            const QByteArray name(entry->d_name);
            if (!Listable(name))
                continue;
            const QString decoded = QFile::decodeName(name);
            if (QFile::encodeName(decoded) != name) {
                entries.apart.emplace_back(PrintableName(name), Problem{Problem::Code::NameNotUtf8, {}});
                continue;
            }
            const QString path = dir.absoluteFilePath(decoded);
            struct stat st {};
            if (::stat(QFile::encodeName(path).constData(), &st) != 0)
                entries.apart.emplace_back(PrintableName(name), Problem{Problem::Code::LinkNowhere, {}});
            else if (!S_ISDIR(st.st_mode))
                entries.paths << path;
        }
        ::closedir(stream);
    }
    std::sort(entries.paths.begin(), entries.paths.end());
    return entries;
}

void ReadFiles::Add(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        m_files.emplace(st.st_dev, st.st_ino, path);
}

QString ReadFiles::Replaced(const QString& output) const
{
    struct stat st {};
    if (::stat(QFile::encodeName(output).constData(), &st) != 0)
        return {};
    for (const auto& [device, inode, path] : m_files)
        if (device == st.st_dev && inode == st.st_ino)
            return path;
    return {};
}

}  // namespace trelvo::report
