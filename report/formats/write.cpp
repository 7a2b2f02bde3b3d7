#include "report/formats/write.h"

#include "report/files/output.h"
#include "report/render/page.h"
#include "report/words/summary_text.h"

#include "report/files/regular_file.h"

#include <QBuffer>
#include <QDir>

#include <array>

namespace trelvo::report {

const NightFormatInfo& InfoOf(NightFormat format)
{
    static constexpr std::array<NightFormatInfo, 7> kFormats{{
        {NightFormat::Pdf, ".pdf", "PDF (*.pdf)"},
        {NightFormat::Edf, ".edf", "EDF+ (*.edf)"},
        {NightFormat::Oscar, "", ""},
        {NightFormat::Csv, ".csv", "CSV (*.csv)"},
        {NightFormat::Events, ".csv", "CSV (*.csv)"},
        {NightFormat::Png, ".png", "PNG (*.png)"},
        {NightFormat::Svg, ".svg", "SVG (*.svg)"},
    }};
    return kFormats[static_cast<std::size_t>(format)];
}

std::optional<Replacement> WouldReplace(const ReadFiles& read, const QStringList& outputs)
{
    for (const QString& output : outputs)
        if (!output.isEmpty())
            if (const QString input = read.Replaced(output); !input.isEmpty())
                return Replacement{output, input};
    return std::nullopt;
}

WriteFailure WritePdfFile(const QString& path, const Night& night, const Figures& figures, const QString& title,
                          const QString& subtitle, const Speech& speech)
{
    // Made in memory first, like the pictures.
    QBuffer page;
    page.open(QIODevice::WriteOnly);
    if (WriteFailure failure = WritePdf(page, night, figures, title, subtitle, speech))
        return failure;
    return WriteWhole(path, page.data());
}

WriteFailure WriteNightsPdfFile(const QString& path, const NightsReport& report)
{
    QBuffer pages;
    pages.open(QIODevice::WriteOnly);
    if (WriteFailure failure = WriteNightsPdf(pages, report))
        return failure;
    return WriteWhole(path, pages.data());
}

WriteFailure WriteEdfFile(const QString& path, const Night& night, const Figures& figures, CivilDate firstDate)
{
    // edflib writes by path: into the new file beside the output.
    OutputFile out(path, OutputFile::Links::Follow);
    if (!out.Open())
        return out.Error();
    if (WriteFailure failure = WriteEdf(out.TemporaryPath().toStdString(), night, figures, firstDate))
        return failure;
    return out.Commit() ? std::nullopt : out.Error();
}

WriteFailure WriteCsvFile(const QString& path, const Night& night, CivilDate firstDate)
{
    return WriteWhole(path, QByteArray::fromStdString(CsvText(night, firstDate)));
}

WriteFailure WriteEventsFile(const QString& path, const Night& night, const Figures& figures)
{
    return WriteWhole(path, QByteArray::fromStdString(EventsCsv(night, figures)));
}

WriteFailure WriteNightsCsvFile(const QString& path, const std::vector<NightRow>& rows)
{
    return WriteWhole(path, QByteArray::fromStdString(NightsCsv(rows)));
}

QString OscarFilePath(const QString& folder, const OscarFile& file)
{
    return QDir(folder).filePath(QString::fromStdString(file.name));
}

std::vector<std::pair<QString, WriteFailure>> WriteOscarFolder(const QString& folder,
                                                               const std::vector<OscarFile>& files)
{
    if (!QDir().mkpath(folder))
        return {{folder, Problem{Problem::Code::FolderNotMade, {}}}};
    std::vector<std::pair<QString, WriteFailure>> written;
    for (const OscarFile& file : files) {
        const QString target = OscarFilePath(folder, file);
        written.emplace_back(target, WriteWhole(target,
                                                QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                                                           static_cast<qsizetype>(file.bytes.size())),
                                                OutputFile::Links::Replace));
    }
    return written;
}

}  // namespace trelvo::report
