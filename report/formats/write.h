#pragma once

#include "report/analysis/figures.h"
#include "report/formats/export.h"
#include "report/render/page.h"
#include "report/words/summary_text.h"

#include <QString>
#include <QStringList>

#include <optional>

#include <utility>
#include <vector>

namespace trelvo::report {

class ReadFiles;

// The files a night is saved as, by the command line and the nights window alike: each one's
// ending and its save dialog's filter (an OSCAR output is a folder of files the report names).
enum class NightFormat { Pdf, Edf, Oscar, Csv, Events, Png, Svg };
struct NightFormatInfo {
    NightFormat format;
    const char* suffix;
    const char* filter;
};
[[nodiscard]] const NightFormatInfo& InfoOf(NightFormat format);

// Every output is checked before any is written: the first that would replace a file read
// (whatever name leads to it), and that file.
struct Replacement {
    QString output, input;
};
[[nodiscard]] std::optional<Replacement> WouldReplace(const ReadFiles& read, const QStringList& outputs);

// The night's files as a user asks for them, each written whole or not at all through a name the
// user gave (a link there leads to the file replaced). Each returns what went wrong, or nothing.
[[nodiscard]] WriteFailure WritePdfFile(const QString& path, const Night& night, const Figures& figures,
                                        const QString& title, const QString& subtitle, const Speech& speech);
[[nodiscard]] WriteFailure WriteEdfFile(const QString& path, const Night& night, const Figures& figures,
                                        CivilDate firstDate);
[[nodiscard]] WriteFailure WriteCsvFile(const QString& path, const Night& night, CivilDate firstDate);
[[nodiscard]] WriteFailure WriteEventsFile(const QString& path, const Night& night, const Figures& figures);
[[nodiscard]] WriteFailure WriteNightsPdfFile(const QString& path, const NightsReport& report);
[[nodiscard]] WriteFailure WriteNightsCsvFile(const QString& path, const std::vector<NightRow>& rows);

// The OSCAR files into a folder (made when missing): each file's path and what went wrong writing
// it (nothing when it was written), or only the folder with why it could not be made. The names are the report's:
// a link there is replaced, never written through.
[[nodiscard]] std::vector<std::pair<QString, WriteFailure>> WriteOscarFolder(const QString& folder,
                                                                             const std::vector<OscarFile>& files);
[[nodiscard]] QString OscarFilePath(const QString& folder, const OscarFile& file);

}  // namespace trelvo::report
