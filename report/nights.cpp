#include "report/nights.h"

#include "report/picture.h"
#include "report/plot.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <unordered_set>

namespace trelvo::report {

NightsPlan PlanNights(const QStringList& arguments)
{
    NightsPlan plan;
    plan.files = NightFiles(arguments, plan.folder);
    const QStringList& files = plan.files;
    if (plan.folder.isEmpty() && !files.isEmpty())
        plan.folder = QFileInfo(files.constFirst()).path();

    std::unordered_set<std::string> claimed;
    std::vector<bool> perSecond(static_cast<std::size_t>(files.size()));
    for (qsizetype i = 0; i < files.size(); ++i) {
        plan.inputs.Add(files[i]);
        perSecond[static_cast<std::size_t>(i)] = LooksPerSecond(files[i]);
        if (perSecond[static_cast<std::size_t>(i)])
            continue;
        bool found = false;
        for (const QString& candidate : PerSecondCandidates(files[i])) {
            plan.inputs.Add(candidate);
            if (!found && LooksPerSecond(candidate)) {
                claimed.insert(QFileInfo(candidate).absoluteFilePath().toStdString());
                found = true;
            }
        }
    }
    for (qsizetype i = 0; i < files.size(); ++i)
        (perSecond[static_cast<std::size_t>(i)] &&
                 claimed.contains(QFileInfo(files[i]).absoluteFilePath().toStdString())
             ? plan.later
             : plan.first)
            .push_back(i);

    plan.pictures.resize(files.size());
    std::unordered_set<std::string> taken;
    for (const auto* which : {&plan.first, &plan.later})
        for (const qsizetype i : *which) {
            const QString base = DefaultPicture(files[i], PictureFormat::Png).chopped(4);
            QString picture = base + QStringLiteral(".png");
            for (int n = 2; taken.contains(QFileInfo(picture).absoluteFilePath().toStdString()); ++n)
                picture = base + QStringLiteral("-%1.png").arg(n);
            taken.insert(QFileInfo(picture).absoluteFilePath().toStdString());
            plan.pictures[i] = picture;
        }
    return plan;
}

NightSummary SummariseNight(const QString& path, const QString& picture)
{
    NightSummary result;
    QString error;
    std::optional<LoadedNight> loaded = LoadNight(path, error);
    if (!loaded) {
        result.problem = QStringLiteral("%1 skipped: %2").arg(path, error);
        return result;
    }
    result.perSecondUsed = loaded->perSecond;
    Night& night = loaded->night;
    if (const std::string problem = SpanProblem(night); !problem.empty()) {
        result.problem = QStringLiteral("%1 skipped: %2").arg(path, QString::fromStdString(problem));
        return result;
    }
    const auto figures = Analyse(night, false);
    if (!figures) {
        result.problem = QStringLiteral("%1 skipped: no record file or per-second file").arg(path);
        return result;
    }
    QString said;
    if (!night.date)
        night.date = DateOfRecordFile(path, night, std::nullopt, said);
    const QString name = QFileInfo(path).fileName();
    result.row = RowOf(name.toStdString(), night, *figures);
    const QString title = QStringLiteral("%1 — night of %2").arg(name, QString::fromStdString(result.row->date));
    result.pictureError =
        SavePicture(picture, OutputFile::Links::Replace, PictureFormat::Png, QSize(kPlotWidth, kPlotHeight), title,
                    [&](QPainter& p) { PaintReport(p, night, *figures, title); });
    return result;
}

std::vector<NightSummary> SummariseNights(const NightsPlan& plan)
{
    std::vector<NightSummary> results(static_cast<std::size_t>(plan.files.size()));
    // The nights are independent.
    const auto work = [&](std::vector<qsizetype> which) {
        QtConcurrent::blockingMap(which, [&](qsizetype i) {
            results[static_cast<std::size_t>(i)] = SummariseNight(plan.files[i], plan.pictures[i]);
        });
    };
    work(plan.first);
    std::unordered_set<std::string> used;
    for (const NightSummary& r : results)
        if (!r.perSecondUsed.isEmpty())
            used.insert(r.perSecondUsed.toStdString());
    std::vector<qsizetype> later = plan.later;
    std::erase_if(
        later, [&](qsizetype i) { return used.contains(QFileInfo(plan.files[i]).absoluteFilePath().toStdString()); });
    work(later);
    return results;
}

}  // namespace trelvo::report
