#include "recording/record_file.h"

#include "recording/companion.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
        : m_fd(fd), m_encoder(encoder), m_lastSync(std::chrono::steady_clock::now())
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

RecordStore::Opened DiskRecordStore::Create(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return {nullptr, SystemError(errno), path};
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return {nullptr, SystemError(EISDIR), path};
    }
    return {std::make_unique<DiskRecordFile>(fd, m_encoder), {}, path};
}

namespace {

// Opens an existing file for writing if it begins with the per-second header row; -1 if it does
// not (a stranger's file, or a folder), with errno 0.
int OpenOwnCompanion(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        errno = (errno == ELOOP || errno == EISDIR) ? 0 : errno;
        return -1;
    }
    char start[kCompanionHeader.size() + 2];
    ssize_t got = 0;
    while (got < static_cast<ssize_t>(sizeof start)) {
        const ssize_t n = ::pread(fd, start + got, sizeof start - static_cast<std::size_t>(got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    if (!IsCompanionStart({start, static_cast<std::size_t>(got)})) {
        ::close(fd);
        errno = 0;
        return -1;
    }
    if (::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace

RecordStore::Opened DiskRecordStore::CreateCompanion(const std::string& recordPath)
{
    // Enough names for any folder a person keeps; past them something else is wrong.
    constexpr int kNamesTried = 1000;
    for (int n = 1; n <= kNamesTried; ++n) {
        const std::string path = CompanionPath(recordPath, n);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) {
            fd = OpenOwnCompanion(path);
            if (fd < 0 && errno == 0)
                continue;  // not ours: left alone
        }
        if (fd < 0)
            return {nullptr, SystemError(errno), path};
        auto file = std::make_unique<DiskRecordFile>(fd, Encoder{});
        std::string header(kCompanionHeader);
        header += "\r\n";
        if (std::string error = file->Append(header); !error.empty())
            return {nullptr, std::move(error), path};
        return {std::move(file), {}, path};
    }
    return {nullptr, SystemError(EEXIST), CompanionPath(recordPath, 1)};
}

}  // namespace trelvo::recording
