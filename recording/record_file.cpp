#include "recording/record_file.h"

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
        return {nullptr, SystemError(errno)};
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return {nullptr, SystemError(EISDIR)};
    }
    return {std::make_unique<DiskRecordFile>(fd, m_encoder), {}};
}

}  // namespace trelvo::recording
