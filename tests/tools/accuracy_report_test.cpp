// kestrix-accuracy's two reports of one joined session: the table for people and the JSON object
// for programs.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "error_summary.h"
#include "json_report.h"
#include "shot_join.h"
#include "table_report.h"
#include "text_table.h"

namespace {

using namespace accuracy;

// A swing delivered as a shot, a driver delivered once, an iron never delivered, and a putt.
JoinResult Session() {
  const std::string truth =
      R"({"t":2.0,"kind":"swing","area":"iron","hand":"right","path":0.0})"
      "\n"
      R"({"t":5.0,"kind":"shot","area":"tee","hand":"right","speed":68.0,"hla":1.5,"vla":12.0,)"
      R"("backspin":2800,"sidespin":-250,"path":1.0})"
      "\n"
      R"({"t":9.5,"kind":"shot","area":"iron","hand":"left","speed":45.0,"hla":-2.0,"vla":18.0,)"
      R"("backspin":6000,"sidespin":300,"path":-1.5})"
      "\n"
      R"({"t":14.0,"kind":"shot","area":"putt","hand":"right","speed":3.0,"hla":-1.5,"vla":0.0,)"
      R"("backspin":0,"sidespin":0,"path":0.0})"
      "\n";
  const auto result = [](size_t truthLines, double speed) {
    return Arrival{{7101,
                    {{"clubCode", 0},
                     {"pathClass", 3},
                     {"hAngle", -3.21},
                     {"vAngle", 16.6},
                     {"speed", speed},
                     {"backSpin", 2281.3},
                     {"sideSpin", -279.5}}},
                   truthLines};
  };
  const Arrival path{{7114, {{"points", 939}, {"carry", 227.6}, {"apex", 71.0}, {"side", -51.9}}},
                     0};
  return JoinDeliveries(ParseTruthLines(truth), {},
                        {result(1, 30.0), result(2, 74.49), path, result(4, 2.5)});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(TableReport, ShowsEveryEventInOrderWithTruthBesideMeasurementAndItsMark) {
  const JoinResult join = Session();
  const std::vector<std::string> lines = Lines(FormatTable(join, Summarise(join)));
  ASSERT_GE(lines.size(), 6u);
  // Two heading lines, then one row per event.
  EXPECT_NE(lines[0].find("speed m/s"), std::string::npos);
  const std::string& swing = lines[2];
  const std::string& driver = lines[3];
  const std::string& iron = lines[4];
  const std::string& putt = lines[5];
  EXPECT_EQ(swing.rfind(" 2.0  swing", 0), 0u) << swing;
  EXPECT_NE(swing.find("swing delivered as a shot"), std::string::npos);
  EXPECT_NE(driver.find("68.00  74.49"), std::string::npos) << driver;
  EXPECT_NE(driver.find("3 slice"), std::string::npos) << driver;
  EXPECT_NE(driver.find("in-to-out"), std::string::npos) << driver;
  EXPECT_NE(driver.find("939"), std::string::npos) << driver;
  EXPECT_NE(driver.find("227.6"), std::string::npos) << driver;
  EXPECT_EQ(iron.rfind(" 9.5  shot   iron  left", 0), 0u) << iron;
  EXPECT_NE(iron.find("not delivered"), std::string::npos);
  EXPECT_NE(iron.find("out-to-in"), std::string::npos);
  // A putt never has a flight path, so it is not missing one.
  EXPECT_EQ(putt.find("no flight path"), std::string::npos) << putt;
  EXPECT_NE(lines.back().find("NOT delivered as played"), std::string::npos);
}

TEST(TableReport, ColumnsLineUpUnderTheirHeadings) {
  const JoinResult join = Session();
  const std::vector<std::string> lines = Lines(FormatTable(join, Summarise(join)));
  // The measured speed of every row ends where the heading "meas" of the speed ends.
  const size_t measEnd = lines[1].find("meas") + 4;
  EXPECT_EQ(lines[3].substr(measEnd - 5, 5), "74.49");
  EXPECT_EQ(lines[5].substr(measEnd - 4, 4), "2.50");
  EXPECT_EQ(lines[4].substr(measEnd - 1, 1), "-");
}

TEST(JsonReport, CarriesTruthMeasurementDeliveriesAndTheVerdict) {
  const JoinResult join = Session();
  const auto report = nlohmann::json::parse(FormatJson(join, Summarise(join), false, "/tmp/run"));
  ASSERT_EQ(report["shots"].size(), 4u);
  const auto& driver = report["shots"][1];
  EXPECT_EQ(driver["kind"], "shot");
  EXPECT_EQ(driver["speed"], 68.0);
  EXPECT_EQ(driver["deliveries"], 1);
  EXPECT_EQ(driver["measured"]["speed"], 74.49);
  EXPECT_EQ(driver["measured"]["carry"], 227.6);
  EXPECT_FALSE(driver["measured"].contains("code"));
  EXPECT_TRUE(driver["mark"].is_null());
  const auto& iron = report["shots"][2];
  EXPECT_TRUE(iron["measured"].is_null());
  EXPECT_EQ(iron["deliveries"], 0);
  EXPECT_EQ(iron["mark"], "not delivered");
  EXPECT_EQ(report["shots"][0]["mark"], "swing delivered as a shot");

  // The driver alone among the full shots; the putt alone among the putts.
  const auto& full = report["summary"]["full"];
  EXPECT_EQ(full["speed"]["count"], 1);
  EXPECT_NEAR(full["speed"]["mean_signed"].get<double>(), 6.49, 1e-9);
  EXPECT_NEAR(full["speed"]["mean_abs"].get<double>(), 6.49, 1e-9);
  const auto& putts = report["summary"]["putts"];
  EXPECT_EQ(putts["speed"]["count"], 1);
  EXPECT_NEAR(putts["speed"]["mean_signed"].get<double>(), -0.5, 1e-9);
  EXPECT_FALSE(putts.contains("vla"));
  EXPECT_EQ(report["ok"], false);
  EXPECT_EQ(report["run_dir"], "/tmp/run");
}

TEST(JsonReport, MeansWithoutAnyShotAreNull) {
  const auto report = nlohmann::json::parse(FormatJson({}, {}, true, std::nullopt));
  EXPECT_TRUE(report["summary"]["full"]["speed"]["mean_abs"].is_null());
  EXPECT_EQ(report["summary"]["full"]["speed"]["count"], 0);
  EXPECT_FALSE(report.contains("run_dir"));
  EXPECT_EQ(report["ok"], true);
}

TEST(TextTable, AGroupTitleWiderThanItsColumnsWidensThemAndStaysAboveThem) {
  TextTable table({TextTable::Align::kLeft, TextTable::Align::kRight, TextTable::Align::kRight});
  table.AddGroup(1, 2, "side spin rpm");
  table.AddRow({"a", "1", "22"});
  table.AddRow({"bbb", "-333", "4"});
  const std::vector<std::string> lines = Lines(table.Render());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "     side spin rpm");
  EXPECT_EQ(lines[1], "a          1    22");
  EXPECT_EQ(lines[2], "bbb     -333     4");
}

}  // namespace
