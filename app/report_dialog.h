#pragma once

#include <QDate>
#include <QDialog>

#include <cstdint>

class QCheckBox;
class QDateEdit;
class QLineEdit;

namespace trelvo::app {

// What the report for the doctor covers and whom it names: a range of nights (or only the nights
// selected in the table, when more than one is), the person's name and date of birth, both optional.
class ReportDialog final : public QDialog {
    Q_OBJECT

public:
    ReportDialog(std::int16_t languageBase, QDate from, QDate to, bool selection, const QString& name,
                 const QString& born, QWidget* parent = nullptr);

    [[nodiscard]] QDate From() const;
    [[nodiscard]] QDate To() const;
    [[nodiscard]] bool OnlySelected() const;
    [[nodiscard]] QString Name() const;
    [[nodiscard]] QString Born() const;

private:
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QCheckBox* m_selected = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_born = nullptr;
    bool m_selection;
};

}  // namespace trelvo::app
