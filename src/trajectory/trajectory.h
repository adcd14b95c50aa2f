// The flight table: 620 slots, 20 speed rows by 31 elevation columns, filled from "data.bi" once
// at start and read-only afterwards, so both capture threads may look up at the same time.
#pragma once

#include <vector>

#include "trajectory/flight_entry.h"

class cTrajectory {
 public:
  static constexpr int kRows = 20;
  static constexpr int kColumns = 31;
  static constexpr int kSlotCount = kRows * kColumns;
  static constexpr int kMaxPoints = 1500;

  // Replaces the table with the flights of the file. Reading stops at the first entry that the
  // file does not hold whole; the flights before it are kept. False when anything went wrong.
  bool Load(const char* path);
  void Clear() { m_entries.clear(); }

  // Stored flights fill the slots from 0 in file order; any other slot has no flight.
  const CFlightEntry* Slot(int index) const;
  int Count() const { return static_cast<int>(m_entries.size()); }

  // The flight for a speed in metres per second and an elevation in degrees, or none: the
  // entry one speed row and one elevation column above the cell the values fall in.
  const CFlightEntry* GetOne(float speed, float elevation) const;

 private:
  std::vector<CFlightEntry> m_entries;
};

inline constexpr char kFlightTableFile[] = "data.bi";

// The process-wide table, loaded before the main window opens.
extern cTrajectory g_cTrajectory;

// Start-up: fills g_cTrajectory from "data.bi" in the current directory. Without the file the
// table stays empty and every shot gets a path of 0 points.
bool LoadFlightTable();
