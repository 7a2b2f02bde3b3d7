#include "report/formats/nights.h"

#include "lang/string_table.h"
#include "report/library/summary_cache.h"

#include "report/render/picture.h"
#include "report/render/plot.h"
#include "report/words/summary_text.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <memory>
#include <mutex>
#include <numeric>
#include <unordered_set>

namespace trelvo::report {

NightsPlan PlanNights(const QStringList& arguments, SummaryCache* cache)
{
    NightsPlan plan;
    std::vector<std::pair<QString, Problem>> apart;
    const QStringList files = NightFiles(arguments, plan.folder, apart);
    if (plan.folder.isEmpty() && !files.isEmpty())
        plan.folder = QFileInfo(files.constFirst()).path();
    for (const QString& file : files) {
        plan.inputs.Add(file);
        for (const QString& candidate : PerSecondCandidates(file))
            plan.inputs.Add(candidate);
    }
    // A folder alone is listed as the nights window lists it (the cache then forgets what is gone).
    if (arguments.size() == 1 && QFileInfo(arguments.constFirst()).isDir()) {
        plan.listing = ListFolder(arguments.constFirst(), cache, {});
    } else {
        plan.listing = ListFiles(files, cache, {});
        plan.listing.unreadable.insert(plan.listing.unreadable.end(), apart.begin(), apart.end());
        std::sort(plan.listing.unreadable.begin(), plan.listing.unreadable.end());
    }

    // The trend's name is taken first: a night recorded as trend.txt gets trend-2.png.
    plan.trend = QDir(plan.folder).absoluteFilePath(QString::fromLatin1(kTrendName));
    std::unordered_set<std::string> taken{plan.trend.toStdString()};
    for (const FolderNight& night : plan.listing.nights) {
        // Beside the night's record file (the name the user chose), else its first file.
        const auto record = std::find_if(night.files.begin(), night.files.end(),
                                         [](const ListedFile& f) { return f.facts.kind == FileFacts::Kind::Record; });
        const QString base =
            DefaultPicture((record != night.files.end() ? *record : night.files.front()).file.path, PictureFormat::Png)
                .chopped(4);
        QString picture = base + QStringLiteral(".png");
        for (int n = 2; taken.contains(QFileInfo(picture).absoluteFilePath().toStdString()); ++n)
            picture = base + QStringLiteral("-%1.png").arg(n);
        taken.insert(QFileInfo(picture).absoluteFilePath().toStdString());
        plan.pictures << picture;
    }
    return plan;
}

std::vector<QString> DrawNights(const NightsPlan& plan, const Speech& speech,
                                const std::function<void(std::size_t done)>& drawn)
{
    std::vector<QString> failures(plan.listing.nights.size());
    std::vector<std::size_t> which(failures.size());
    std::iota(which.begin(), which.end(), 0);
    // One night's picture: why it could not be drawn or written, or nothing.
    const auto draw = [&](std::size_t i) -> QString {
        const FolderNight& n = plan.listing.nights[i];
        Outcome<Night> read = LoadFolderNight(n);
        const std::optional<Night>& night = read.value;
        const auto figures = night ? Analyse(*night, false) : std::nullopt;
        if (!figures)
            return read.problem ? QString::fromStdString(Words(*read.problem, speech)) : QString();
        const QString title = QString::fromStdString(
            speech.Text(lang::text::report::kPictureTitle, {n.row.name, speech.Date(n.row.date)}));
        const WriteFailure failure = SavePicture(plan.pictures[static_cast<qsizetype>(i)], OutputFile::Links::Replace,
                                                 PictureFormat::Png, QSize(kPlotWidth, kPlotHeight), title,
                                                 [&](QPainter& p) { PaintReport(p, *night, *figures, title, speech); });
        return failure ? QString::fromStdString(Words(*failure, speech)) : QString();
    };
    std::mutex telling;
    std::size_t done = 0;
    // The nights are independent.
    QtConcurrent::blockingMap(which, [&](std::size_t i) {
        failures[i] = draw(i);
        if (drawn) {
            const std::lock_guard lock(telling);
            drawn(++done);
        }
    });
    return failures;
}

bool NightInRange(const NightRow& row, const std::optional<QDate>& from, const std::optional<QDate>& to)
{
    const QDate date = QDate::fromString(QString::fromStdString(row.date), Qt::ISODate);
    return (!from || date >= *from) && (!to || date <= *to);
}

NightsReport ReportOfNights(std::vector<FolderNight> nights, const QString& range, const Speech& speech)
{
    NightsReport report{{}, {}, range, speech, {}, {}};
    for (const FolderNight& n : nights)
        report.rows.push_back(n.row);
    auto shared = std::make_shared<const std::vector<FolderNight>>(std::move(nights));
    report.night = [shared, speech](std::size_t i) -> std::optional<NightsReport::Page> {
        const FolderNight& n = (*shared)[i];
        std::optional<Night> night = LoadFolderNight(n).value;  // its page says it cannot be read
        std::optional<Figures> figures = night ? Analyse(*night, false) : std::nullopt;  // no page shows beats
        if (!figures)
            return std::nullopt;
        return NightsReport::Page{
            std::move(*night), std::move(*figures), QString::fromStdString(NightTitle(speech, n.row.date)),
            QString::fromStdString(n.row.name) +
                (n.row.dateFromFileTime ? QStringLiteral(" · ") +
                                              QString::fromStdString(speech.Text(lang::text::report::kDateFromFileTime))
                                        : QString())};
    };
    return report;
}

}  // namespace trelvo::report
