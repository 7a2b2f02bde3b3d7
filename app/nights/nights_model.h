#pragma once

#include "report/library/listing.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <vector>

namespace trelvo::app {

// The nights of a listing as the nights window's table shows them: a row per night, its figures as
// text in the window's language, each cell with a key to sort by. A new listing changes the rows in
// place: a night still listed keeps its row, so the view's sort, selection and current cell stay.
class NightsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kSortRole = Qt::UserRole;       // what a column sorts by
    static constexpr int kNightRole = Qt::UserRole + 1;  // the night's Key()
    static constexpr int kColumns = 14;                  // the figures, and the person's note

    NightsModel(std::int16_t languageBase, QObject* parent = nullptr);

    void SetLanguage(std::int16_t base);
    // The nights of a listing; recordingNow names the per-second file being written now (its
    // night is marked), or is empty.
    void SetNights(const std::vector<report::FolderNight>& nights, const QString& recordingNow);
    // The night of a row of this model, or null.
    [[nodiscard]] const report::FolderNight* NightAt(int row) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        report::FolderNight night;
        bool recordingNow = false;
        std::array<QString, kColumns> text;
        std::array<QVariant, kColumns> key;
    };
    void Fill(Row& row) const;

    std::int16_t m_language;
    std::vector<Row> m_rows;
};

}  // namespace trelvo::app
