#include "app/nights/nights_model.h"

#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "report/words/summary_text.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace trelvo::app {
namespace {

static_assert(NightsModel::kColumns == lang::text::kColumnCount + 1);

QString Hours(double hours)
{
    const long minutes = std::lround(hours * 60);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

NightsModel::NightsModel(std::int16_t languageBase, QObject* parent)
    : QAbstractTableModel(parent),
      m_language(languageBase)
{
}

void NightsModel::SetLanguage(std::int16_t base)
{
    m_language = base;
    for (Row& row : m_rows)
        Fill(row);
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
}

void NightsModel::SetNights(const std::vector<report::FolderNight>& nights, const QString& recordingNow)
{
    std::unordered_map<std::int64_t, const report::FolderNight*> listed;
    for (const report::FolderNight& n : nights)
        listed.emplace(n.Key(), &n);
    // Nights no longer listed go, each run of rows at once.
    for (int end = rowCount(); end > 0;) {
        if (listed.contains(m_rows[static_cast<std::size_t>(end - 1)].night.Key())) {
            --end;
            continue;
        }
        int first = end - 1;
        while (first > 0 && !listed.contains(m_rows[static_cast<std::size_t>(first - 1)].night.Key()))
            --first;
        beginRemoveRows({}, first, end - 1);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + end);
        endRemoveRows();
        end = first;
    }
    const auto recordedNow = [&](const report::FolderNight& n) {
        return !recordingNow.isEmpty() && std::any_of(n.files.begin(), n.files.end(), [&](const report::ListedFile& f) {
            return f.file.path == recordingNow;
        });
    };
    // Nights still listed change in place, where anything they show changed.
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        Row next{*listed.at(m_rows[r].night.Key()), false, {}, {}};
        next.recordingNow = recordedNow(next.night);
        Fill(next);
        listed.erase(next.night.Key());
        const bool changed = next.text != m_rows[r].text || next.key != m_rows[r].key;
        m_rows[r] = std::move(next);
        if (changed)
            emit dataChanged(index(static_cast<int>(r), 0), index(static_cast<int>(r), kColumns - 1));
    }
    // New nights come last, in the listing's order; the view sorts them into place.
    std::vector<Row> added;
    for (const report::FolderNight& n : nights)
        if (listed.contains(n.Key())) {
            added.push_back({n, recordedNow(n), {}, {}});
            Fill(added.back());
        }
    if (added.empty())
        return;
    beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(added.size()) - 1);
    std::move(added.begin(), added.end(), std::back_inserter(m_rows));
    endInsertRows();
}

void NightsModel::Fill(Row& row) const
{
    const report::NightRow& r = row.night.row;
    const QLocale locale =
        m_language == lang::kGerman ? QLocale(QLocale::German, QLocale::Germany) : QLocale(QLocale::English);
    const auto number = [&](const std::optional<double>& v, int decimals) {
        return v ? locale.toString(*v, 'f', decimals) : QStringLiteral("–");
    };
    const QDate date = QDate::fromString(QString::fromStdString(r.date), Qt::ISODate);
    QString dateText = locale.toString(date, m_language == lang::kGerman ? QStringLiteral("ddd dd.MM.yyyy")
                                                                         : QStringLiteral("ddd d MMM yyyy"));
    if (row.recordingNow)
        dateText += QStringLiteral(" (%1)").arg(lang::TextOf(m_language, lang::text::kRecordingNow));
    if (r.dateFromFileTime)
        dateText += QStringLiteral(" (%1)").arg(lang::TextOf(m_language, lang::text::report::kDateFromFileTime));
    QString resolution = QStringLiteral("%1 s").arg(r.step, 0, 'f', 0);
    if (r.hasWave)
        resolution += QStringLiteral(", ") + lang::TextOf(m_language, lang::text::kWithWave);
    row.text = {dateText,
                QString::fromStdString(r.start),
                QString::fromStdString(r.end),
                Hours(r.recordingHours),
                Hours(r.analysedHours),
                number(r.spo2Mean, 1),
                r.spo2Min ? QString::number(*r.spo2Min) : QStringLiteral("–"),
                locale.toString(r.t90Minutes, 'f', 1),
                locale.toString(r.t88Minutes, 'f', 1),
                number(r.odi3, 1),
                number(r.odi4, 1),
                number(r.pulseMean, 0),
                resolution,
                QString::fromStdString(
                    report::NoteText(row.night.notes.note, row.night.notes.tags, report::Speech(m_language)))};
    row.key = {QVariant::fromValue(row.night.night),
               row.text[1],
               row.text[2],
               r.recordingHours,
               r.analysedHours,
               r.spo2Mean.value_or(-1),
               r.spo2Min.value_or(-1),
               r.t90Minutes,
               r.t88Minutes,
               r.odi3.value_or(-1),
               r.odi4.value_or(-1),
               r.pulseMean.value_or(-1),
               r.step * 10 - (r.hasWave ? 1 : 0),
               row.text[13]};
}

const report::FolderNight* NightsModel::NightAt(int row) const
{
    return row >= 0 && row < rowCount() ? &m_rows[static_cast<std::size_t>(row)].night : nullptr;
}

int NightsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int NightsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant NightsModel::data(const QModelIndex& index, int role) const
{
    const report::FolderNight* night = index.isValid() ? NightAt(index.row()) : nullptr;
    if (!night)
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return row.text[static_cast<std::size_t>(index.column())];
    case kSortRole: return row.key[static_cast<std::size_t>(index.column())];
    case kNightRole: return QVariant::fromValue(night->Key());
    case Qt::TextAlignmentRole:
        return index.column() == 0 || index.column() == lang::text::kColumnCount
                   ? QVariant()
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return index.column() == lang::text::kColumnCount && !row.text[13].isEmpty() ? QVariant(row.text[13])
                                                                                     : QVariant();
    default: return {};
    }
}

QVariant NightsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return lang::TextOf(m_language, section == lang::text::kColumnCount ? lang::text::kNoteName
                                                                        : lang::text::kColumnDate + section);
}

}  // namespace trelvo::app
