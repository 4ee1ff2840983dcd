#pragma once
// Ticks against measures and beats (from the Beat list) and against milliseconds
// (from the tempo curve), and the measure table the staff view draws from. These only
// read the model, except that a lookup may create a missing default first entry.

#include "engine/model/Durad.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orlim {

// The table last built by measureTable, owned by its Durad: one row per track, one
// cell per measure, each cell pointing at its own pieces.
struct MeasureTable {
    std::int32_t rowCount = 0;
    std::int32_t columnCount = 0;
    std::vector<MeasureCell*> rows;
    std::vector<std::vector<MeasureCell>> cells;
    std::vector<std::vector<MeasureNote>> pieces;
};

// Index (from 0) of the measure holding `position`. A Beat with a measure of no
// length contributes no measures.
int measureIndex(Durad& durad, std::uint32_t position);
// Position of the first tick of measure `measure` (from 0).
std::uint32_t measurePosition(Durad& durad, std::int64_t measure);
// Fills `mbt` for `position` and returns its beat index.
int fillMBT(Durad& durad, std::uint32_t position, MBT& mbt);
// Start of the measure holding `position`, under the last Beat strictly before it.
std::uint32_t snapToMeasure(Durad& durad, std::uint32_t position);

// Milliseconds from the start to `position` plus `subTicks` (0..239) 1/240 ticks.
std::int64_t timeOfPosition(Durad& durad, std::uint32_t position, int subTicks);
// The position reached after `milliseconds`.
std::uint32_t positionOfTime(Durad& durad, std::uint32_t milliseconds);

// The most cells one measure table holds; views ask for the measures they show.
inline constexpr std::size_t kMaxMeasureCells = std::size_t{1} << 22;

// Builds the table for tracks first..last and measures firstMeasure..lastMeasure,
// replacing the Durad's previous table. A last track past the end is corrected to the
// last track and written back. Null (and no table) for an empty or invalid range or
// one of more than kMaxMeasureCells cells.
MeasureCell** measureTable(Durad& durad, int first, int& last, int firstMeasure, int lastMeasure);

} // namespace orlim
