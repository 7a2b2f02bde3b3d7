#pragma once

#include "report/export.h"
#include "report/figures.h"
#include "report/page.h"
#include "report/summary_text.h"

#include <QString>

#include <utility>
#include <vector>

namespace trelvo::report {

// The night's files as a user asks for them, each written whole or not at all through a name the
// user gave (a link there leads to the file replaced). Each returns the reason of a failure, or
// nothing.
[[nodiscard]] QString WritePdfFile(const QString& path, const Night& night, const Figures& figures,
                                   const QString& title, const QString& subtitle, const Speech& speech = Speech());
[[nodiscard]] QString WriteEdfFile(const QString& path, const Night& night, const Figures& figures,
                                   CivilDate firstDate);
[[nodiscard]] QString WriteCsvFile(const QString& path, const Night& night, CivilDate firstDate);
[[nodiscard]] QString WriteEventsFile(const QString& path, const Night& night, const Figures& figures);
[[nodiscard]] QString WriteNightsPdfFile(const QString& path, const NightsReport& report);
[[nodiscard]] QString WriteNightsCsvFile(const QString& path, const std::vector<NightRow>& rows);

// The OSCAR files into a folder (made when missing): each file's path and the reason it could not
// be written (empty when it was), or only the folder with its reason.
[[nodiscard]] std::vector<std::pair<QString, QString>> WriteOscarFolder(const QString& folder,
                                                                        const std::vector<OscarFile>& files);
[[nodiscard]] QString OscarFilePath(const QString& folder, const OscarFile& file);

}  // namespace trelvo::report
