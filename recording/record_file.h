#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace trelvo::recording {

// Where record lines go. Every line reaches the operating system in one piece as soon as it is
// written, so a crash of the program loses at most the line being written.
class RecordFile {
public:
    virtual ~RecordFile() = default;

    // Appends a whole line (UTF-8). On failure returns the reason and leaves the file as it was
    // before the line: whole lines only.
    [[nodiscard]] virtual std::string Append(std::string_view line) = 0;
    // Makes what was written durable and closes the file; returns the reason of a failure.
    [[nodiscard]] virtual std::string Close() = 0;
    // The file has no name any more: deleted, or moved to another disk, while it is written. What
    // is written into it from now on is lost when it is closed.
    [[nodiscard]] virtual bool Gone() const { return false; }

protected:
    RecordFile() = default;
    RecordFile(const RecordFile&) = default;
    RecordFile& operator=(const RecordFile&) = default;
};

// Opens record files.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    struct Opened {
        std::unique_ptr<RecordFile> file;  // null on failure
        std::string error;                 // why it could not be opened
        std::string path;                  // the file opened, or the one that failed
        bool inUse = false;                // another recording is writing it
    };
    // Creates the file, or empties an existing one; a file another recording holds is left alone
    // (inUse). The file is held for this recording until it is closed.
    [[nodiscard]] virtual Opened Create(const std::string& path) = 0;
    // Creates the per-second file of a record file under the first name that is free, or that
    // holds nothing but the program's own header row; a name with rows in it, a stranger's file,
    // one this user cannot write and one another recording holds are all taken. Its header row is
    // written, and the file is held for this recording until it is closed.
    [[nodiscard]] virtual Opened CreatePerSecondFile(const std::string& recordPath) = 0;
    // Creates a new record file under the first free name of night.txt, night-2.txt, ... beside
    // path: where a recording whose file was taken away goes on.
    [[nodiscard]] virtual Opened CreateNext(const std::string& path) { return Create(path); }
    // Removes a file this recording made that is still empty (a recording that could not start).
    virtual void RemoveIfEmpty(const std::string& /*path*/) {}

protected:
    RecordStore() = default;
    RecordStore(const RecordStore&) = default;
    RecordStore& operator=(const RecordStore&) = default;
};

// Record files on disk. Each line is one write(); the file is synced to the disk at most once a
// minute and at the end, so a power cut loses at most the last minute. Record lines are written in
// the file's encoding, which the encoder turns them into (by default they stay UTF-8); the
// per-second file is always UTF-8.
class DiskRecordStore final : public RecordStore {
public:
    using Encoder = std::function<std::string(std::string_view utf8)>;

    explicit DiskRecordStore(Encoder encoder = {}) : m_encoder(std::move(encoder)) {}

    static constexpr std::chrono::seconds kSyncInterval{60};
    Opened Create(const std::string& path) override;
    Opened CreatePerSecondFile(const std::string& recordPath) override;
    Opened CreateNext(const std::string& path) override;
    void RemoveIfEmpty(const std::string& path) override;

private:
    Encoder m_encoder;
};

}  // namespace trelvo::recording
