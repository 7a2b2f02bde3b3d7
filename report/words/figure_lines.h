#pragma once

#include "report/analysis/figures.h"
#include "report/words/speech.h"

#include <string>
#include <vector>

namespace trelvo::report {

// The figures of one night as the night's page prints them and the nights window shows them
// beside the chart: made once, here, so that both say the same.
struct FigureLine {
    std::string name;
    std::string value;
};

struct NightFigureLines {
    std::vector<FigureLine> recording;  // recorded, analysed, excluded, SpO2, baseline, T90, T88
    std::vector<FigureLine> events;     // ODI3, ODI4, pulse, pulse rises, resolution
    FigureLine note;                    // the person's note and tags (NoteText), or an empty value
};
[[nodiscard]] NightFigureLines FigureLines(const Night& night, const Figures& f, const Speech& speech);

// Time in each SpO2 band: its name ("≥ 95 %") and "12.5 min (3.1 %)".
[[nodiscard]] std::vector<FigureLine> BandLines(const Figures& f, const Speech& speech);

// The hourly table: a header row and a row per clock hour (hour, analysed, ODI3 events and rate,
// ODI4 events and rate).
[[nodiscard]] std::vector<std::vector<std::string>> HourRows(const Night& night, const Figures& f,
                                                             const Speech& speech);

// The night's events, desaturations and pulse rises, in the order they began: what the nights
// window lists beside the chart (the desaturations are those of the events CSV).
struct EventLine {
    bool desaturation = true;        // else a pulse rise
    double start = 0, end = 0;       // seconds as in Entry
    std::vector<std::string> cells;  // kind, start, duration, lowest or highest, depth, ODI4
};
[[nodiscard]] std::vector<EventLine> EventLines(const Night& night, const Figures& f, const Speech& speech);
// "12 desaturations (ODI3), 5 of them by 4 points or more (ODI4) · 7 pulse rises"
[[nodiscard]] std::string EventCounts(const Figures& f, const Speech& speech);

}  // namespace trelvo::report
