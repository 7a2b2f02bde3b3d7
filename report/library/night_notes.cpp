#include "report/library/night_notes.h"

#include "report/files/regular_file.h"
#include "report/night/grouping.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sys/stat.h>

namespace trelvo::report {
namespace {

// A notes file is a few lines; anything this large is not one.
constexpr qint64 kLargestNotes = 1 << 20;

QString NotesName(const QString& file, std::int64_t evening)
{
    const QFileInfo info(file);
    QString stem = info.fileName();
    for (const QString& suffix : {QStringLiteral(".txt"), QStringLiteral(".csv")})
        if (stem.endsWith(suffix, Qt::CaseInsensitive))
            stem.chop(suffix.size());
    return info.absolutePath() + QLatin1Char('/') + stem + QLatin1Char('.') +
           QString::fromStdString(DateText(CivilFromDays(evening))) + QStringLiteral(".notes");
}

}  // namespace

QString NotesPath(const QStringList& nightFiles, std::int64_t evening)
{
    if (nightFiles.isEmpty())
        return {};
    const auto byName = [](const QString& a, const QString& b) {
        return QFileInfo(a).fileName() < QFileInfo(b).fileName();
    };
    return NotesName(*std::min_element(nightFiles.begin(), nightFiles.end(), byName), evening);
}

NotesFile ReadNotesFile(const QString& path)
{
    NotesFile read;
    // Nothing there at all, not even a link that leads nowhere: no notes (one look, for every night
    // of every listing).
    struct stat st {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return read;
    read.exists = true;
    const RegularFile file(path);
    if (file.Refusal()) {
        read.problem = file.Refusal();
        return read;
    }
    if (file.Size() > kLargestNotes) {
        read.problem = Problem{Problem::Code::NotesForeign, {}};
        return read;
    }
    const QByteArray text = file.ReadAll();
    const NotesParse parsed = ParseNotes(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (parsed.notes)
        read.notes = *parsed.notes;
    else if (parsed.badLine == 0)
        read.problem = Problem{Problem::Code::NotesForeign, {}};
    else
        read.problem = Problem{Problem::Code::NotesDamaged, {std::to_string(parsed.badLine)}};
    return read;
}

WriteFailure WriteNotesFile(const QString& path, const NightNotes& notes, QString* kept)
{
    if (const NotesFile there = ReadNotesFile(path); there.exists && there.problem) {
        QString copy = path + QStringLiteral(".kept");
        for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n)
            copy = path + QStringLiteral(".kept-%1").arg(n);
        // A link is kept as the link: what it leads to is not this program's to copy.
        if (QFile there(path); !there.rename(copy))
            return Problem{Problem::Code::System, {there.errorString().toStdString()}};
        if (kept)
            *kept = copy;
    }
    return WriteWhole(path, QByteArray::fromStdString(NotesText(notes)), OutputFile::Links::Replace);
}

QString NotesState(const QStringList& dayFiles, std::int64_t evening, DiskLook& look)
{
    QString state;
    for (const QString& file : dayFiles) {
        const QString notes = NotesName(file, evening);
        if (const DiskLook::Seen& seen = look.At(notes); seen.exists)
            state += QStringLiteral("%1\t%2\t%3\n")
                         .arg(QFileInfo(notes).fileName(), QString::number(seen.size), QString::number(seen.modified));
    }
    return state;
}

std::optional<std::int64_t> EveningOf(const Night& night)
{
    if (!night.date || night.readings.empty())
        return std::nullopt;
    return NightOf(static_cast<double>(DaysFromCivil(*night.date)) * 86400 + night.readings.front().seconds, 0);
}

}  // namespace trelvo::report
