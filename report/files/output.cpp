#include "report/files/output.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::report {
namespace {

// The system's own words for an error number (none: a failure without a reason).
Problem SystemError(int error)
{
    if (error == 0)
        return {Problem::Code::Unknown, {}};
    return {Problem::Code::System, {std::strerror(error)}};
}

}  // namespace

OutputFile::OutputFile(const QString& path, Links links) : m_final(path)
{
    const QFileInfo info(path);
    if (links == Links::Follow && info.isSymLink() && info.exists())
        m_final = info.canonicalFilePath();
}

OutputFile::~OutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_done && !m_temporary.isEmpty())
        ::unlink(QFile::encodeName(m_temporary).constData());
}

void OutputFile::Fail(Problem reason)
{
    if (!m_error)
        m_error = std::move(reason);
}

bool OutputFile::Open()
{
    static std::atomic<unsigned> counter = 0;
    const QFileInfo info(m_final);
    const QByteArray finalName = QFile::encodeName(m_final);
    // A file that is replaced keeps its permissions.
    struct stat existing {};
    const bool found = ::lstat(finalName.constData(), &existing) == 0;
    if (found && S_ISDIR(existing.st_mode)) {
        Fail(SystemError(EISDIR));
        return false;
    }
    const bool replacing = found && S_ISREG(existing.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Beside the output, under its name when that leaves room for the ending (a name is 255
        // bytes at most).
        const QString tag = QStringLiteral(".%1-%2.part").arg(::getpid()).arg(counter++);
        const bool room = QFile::encodeName(info.fileName()).size() + tag.size() + 1 <= 255;
        m_temporary = info.path() + QStringLiteral("/.") + (room ? info.fileName() : QStringLiteral("trelvo")) + tag;
        m_fd = ::open(QFile::encodeName(m_temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0 || errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const int error = errno;
        m_temporary.clear();
        Fail(SystemError(error));
        return false;
    }
    if (replacing)
        (void)::fchmod(m_fd, existing.st_mode & 07777);
    return true;
}

bool OutputFile::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (m_fd >= 0 && !m_error && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            Fail(SystemError(errno));
        else if (n == 0)
            Fail(SystemError(ENOSPC));
    }
    return !m_error && done == bytes.size();
}

bool OutputFile::Commit()
{
    if (m_fd < 0) {
        Fail({Problem::Code::NeverOpened, {}});
        return false;
    }
    if (!m_error && ::fdatasync(m_fd) != 0 && errno != EINVAL)
        Fail(SystemError(errno));
    if (::close(m_fd) != 0 && !m_error)
        Fail(SystemError(errno));
    m_fd = -1;
    if (!m_error && ::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_final).constData()) != 0)
        Fail(SystemError(errno));
    m_done = !m_error;
    return m_done;
}

WriteFailure WriteWhole(const QString& path, const QByteArray& bytes, OutputFile::Links links)
{
    OutputFile file(path, links);
    if (!file.Open())
        return file.Error();
    if (!file.Write(bytes) || !file.Commit())
        return file.Error();
    return {};
}

}  // namespace trelvo::report
