#pragma once

#include "report/files/problem.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace trelvo::report {

// An output written whole or not at all: into a new file beside it, which takes the output's
// name (rename) only once it is complete and on the disk. Until then an earlier file of that name
// stays as it was; a failure leaves nothing behind.
class OutputFile {
public:
    // Follow: the user named this path; a symbolic link there leads to the file meant, which is
    // replaced. Replace: a name the report chose; a link there is replaced itself, never written
    // through.
    enum class Links { Follow, Replace };

    OutputFile(const QString& path, Links links);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the new file; false with Error() when it cannot.
    [[nodiscard]] bool Open();
    // Appends bytes; false with Error() when the disk did not take them all.
    bool Write(const QByteArray& bytes);
    // For writers that take a path: the new file's.
    [[nodiscard]] const QString& TemporaryPath() const { return m_temporary; }
    // Puts the written file in the output's place; false with Error() when anything failed.
    [[nodiscard]] bool Commit();
    [[nodiscard]] const std::optional<Problem>& Error() const { return m_error; }

private:
    void Fail(Problem reason);

    QString m_final;      // where it goes, links followed or not
    QString m_temporary;  // where it is written
    int m_fd = -1;
    std::optional<Problem> m_error;
    bool m_done = false;
};

// What went wrong writing an output, or nothing.
using WriteFailure = std::optional<Problem>;

// Writes bytes as one output.
[[nodiscard]] WriteFailure WriteWhole(const QString& path, const QByteArray& bytes,
                                      OutputFile::Links links = OutputFile::Links::Follow);

}  // namespace trelvo::report
