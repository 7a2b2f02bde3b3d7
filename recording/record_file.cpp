#include "recording/record_file.h"

#include "recording/per_second_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::recording {
namespace {

std::string SystemError(int error)
{
    return std::strerror(error);
}

class DiskRecordFile final : public RecordFile {
public:
    DiskRecordFile(int fd, const DiskRecordStore::Encoder& encoder)
        : m_fd(fd),
          m_encoder(encoder),
          m_lastSync(std::chrono::steady_clock::now())
    {
    }
    ~DiskRecordFile() override
    {
        if (m_fd >= 0)
            (void)Close();
    }
    DiskRecordFile(const DiskRecordFile&) = delete;
    DiskRecordFile& operator=(const DiskRecordFile&) = delete;

    std::string Append(std::string_view utf8) override
    {
        std::string encoded;
        if (m_encoder)
            encoded = m_encoder(utf8);
        const std::string_view line = m_encoder ? std::string_view(encoded) : utf8;
        const off_t before = ::lseek(m_fd, 0, SEEK_CUR);
        std::size_t done = 0;
        while (done < line.size()) {
            const ssize_t n = ::write(m_fd, line.data() + done, line.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            const int error = n < 0 ? errno : ENOSPC;
            // A line cut off by a full disk would be a broken record: take it back.
            if (done > 0 && before >= 0 && ::ftruncate(m_fd, before) == 0)
                (void)::lseek(m_fd, before, SEEK_SET);
            return SystemError(error);
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastSync >= DiskRecordStore::kSyncInterval) {
            m_lastSync = now;
            if (::fdatasync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
                return SystemError(errno);
        }
        return {};
    }

    bool Gone() const override
    {
        struct stat st {};
        return m_fd >= 0 && ::fstat(m_fd, &st) == 0 && st.st_nlink == 0;
    }

    std::string Close() override
    {
        std::string error;
        if (::fdatasync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
            error = SystemError(errno);
        if (::close(m_fd) != 0 && error.empty())
            error = SystemError(errno);
        m_fd = -1;
        return error;
    }

private:
    int m_fd;
    DiskRecordStore::Encoder m_encoder;
    std::chrono::steady_clock::time_point m_lastSync;
};

}  // namespace

namespace {

// Holds a file for this recording alone: another recording (another copy of the program, another
// unit) that tries the same file finds it taken. The lock goes with the descriptor.
bool LockForRecording(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

}  // namespace

RecordStore::Opened DiskRecordStore::Create(const std::string& path)
{
    // Not emptied before it is known to be free: a file another recording writes stays whole. A
    // pipe opens without waiting for a reader, and is refused.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0)
        return {nullptr, errno == ENXIO ? std::string("it is a pipe, not a file") : SystemError(errno), path};
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return {nullptr, SystemError(EISDIR), path};
    }
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        ::close(fd);
        return {nullptr, "it is a pipe, not a file", path};
    }
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!LockForRecording(fd)) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return {nullptr, {}, path, true};
        return {nullptr, SystemError(error), path};
    }
    if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        return {nullptr, SystemError(error), path};
    }
    return {std::make_unique<DiskRecordFile>(fd, m_encoder), {}, path};
}

namespace {

// Opens an existing per-second file to write it afresh, only if nothing would be lost: it holds
// the program's header row and not a single row, it can be written, and no other recording holds
// it. -1 when the name is taken.
int OpenEmptyPerSecondFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    char start[kPerSecondHeader.size() + 3];
    ssize_t got = 0;
    while (got < static_cast<ssize_t>(sizeof start)) {
        const ssize_t n = ::pread(fd, start + got, sizeof start - static_cast<std::size_t>(got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    const std::string_view content(start, static_cast<std::size_t>(got));
    const bool headerOnly = content == std::string(kPerSecondHeader) + "\r\n" ||
                            content == std::string(kPerSecondHeaderWithoutWave) + "\r\n";
    if (!headerOnly || !LockForRecording(fd) || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

RecordStore::Opened DiskRecordStore::CreatePerSecondFile(const std::string& recordPath)
{
    // Enough names for any folder a person keeps; past them something else is wrong.
    constexpr int kNamesTried = 1000;
    for (int n = 1; n <= kNamesTried; ++n) {
        const std::string path = PerSecondPath(recordPath, n);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 && !LockForRecording(fd)) {
            // Another recording made the same name in the same instant and holds it.
            ::close(fd);
            continue;
        }
        if (fd < 0 && errno == EEXIST) {
            // Another night's rows, a stranger's file, a folder, a link, a file this user cannot
            // write or one another recording holds: all taken, and left as they are.
            fd = OpenEmptyPerSecondFile(path);
            if (fd < 0)
                continue;
        }
        if (fd < 0)
            return {nullptr, SystemError(errno), path};
        auto file = std::make_unique<DiskRecordFile>(fd, Encoder{});
        std::string header(kPerSecondHeader);
        header += "\r\n";
        if (std::string error = file->Append(header); !error.empty()) {
            // A full disk at the start: no empty file is left behind.
            (void)file->Close();
            RemoveIfEmpty(path);
            return {nullptr, std::move(error), path};
        }
        return {std::move(file), {}, path};
    }
    return {nullptr, SystemError(EEXIST), PerSecondPath(recordPath, 1)};
}

RecordStore::Opened DiskRecordStore::CreateNext(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool suffix = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string stem = suffix ? path.substr(0, dot) : path, ending = suffix ? path.substr(dot) : "";
    for (int n = 1; n <= 1000; ++n) {
        const std::string name = n == 1 ? path : stem + "-" + std::to_string(n) + ending;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return {nullptr, SystemError(errno), name};
        if (!LockForRecording(fd)) {
            ::close(fd);
            continue;
        }
        return {std::make_unique<DiskRecordFile>(fd, m_encoder), {}, name};
    }
    return {nullptr, SystemError(EEXIST), path};
}

void DiskRecordStore::RemoveIfEmpty(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
        ::unlink(path.c_str());
}

}  // namespace trelvo::recording
