#pragma once

#include "report/analysis/figures.h"
#include "report/files/problem.h"
#include "report/words/speech.h"

#include <string>
#include <vector>

namespace trelvo::report {

// The figures in words: the summary on stdout, the rules the PDF states, the event list and the
// tables of many nights.
[[nodiscard]] std::string BandName(std::size_t band);  // "≥ 95 %", "90–94 %", ...

// The rules and the resolution, in words, for the summary and the PDF.
[[nodiscard]] std::string ResolutionText(const Night& night, const Speech& speech);
[[nodiscard]] std::string RulesText(const Speech& speech);
// Why a file is in no night, in the language.
[[nodiscard]] std::string Words(const Problem& problem, const Speech& speech);
// "night.csv: " and the words of its problem.
[[nodiscard]] std::string Words(const FileProblem& problem, const Speech& speech);
// A night's page title: "Night of 2026-12-07" in the language's form of dates.
[[nodiscard]] std::string NightTitle(const Speech& speech, const std::string& isoDate);

// A line's name in the summary's first 16 columns, in the language.
[[nodiscard]] std::string LineName(const Speech& speech, int offset);

// source names the file(s) read, as the first line of the summary shows it.
[[nodiscard]] std::string SummaryText(const std::string& source, const Night& night, const Figures& f,
                                      const Speech& speech);

// The desaturations as CSV: start, end, duration, nadir, depth, baseline, ODI4 or not.
[[nodiscard]] std::string EventsCsv(const Night& night, const Figures& f);

// Time the person marked as not to be counted: "12.0 min: probe slipped; unit taken off".
[[nodiscard]] std::string MarkedText(const Figures& f, const Speech& speech);

// The person's note on the night and its tags in the language, on one line: "Slept badly. Woke at
// 3. (oxygen, CPAP)"; nothing without either.
[[nodiscard]] std::string NoteText(std::string_view note, const std::vector<std::string>& tags, const Speech& speech);
[[nodiscard]] std::string TagName(std::string_view tag, const Speech& speech);

// A rate per hour with one decimal, or "–" when less than `shortest` seconds were analysed (or none).
[[nodiscard]] std::string RateText(std::size_t count, double seconds, double shortest);

[[nodiscard]] std::string NightsTable(const std::vector<NightRow>& rows, const Speech& speech);
[[nodiscard]] std::string NightsCsv(const std::vector<NightRow>& rows);

}  // namespace trelvo::report
