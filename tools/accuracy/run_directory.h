// The directory a run plays in: a copy of the demo installation with the flight table and the
// session script, where the programs write their files as they would on site.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace accuracy {

// The directory to run in: keep, made absolute, when given (it must be new or empty, so its
// files are this run's alone), else a new scratch directory in the temporary folder. Nothing,
// with the reason in *error, when it cannot be made.
std::optional<std::filesystem::path> MakeRunDirectory(const std::string& keep, std::string* error);

// Removes a scratch directory when the run ends, whichever way.
struct ScratchDirectory {
  std::filesystem::path dir;
  bool keep = false;
  ~ScratchDirectory();
};

// The script as given, or a bare file name found in the demo folder.
std::optional<std::filesystem::path> FindScript(const std::string& given,
                                                const std::filesystem::path& demo);

// Copies the demo installation into dir (which exists), leaving out what an earlier run in the
// demo folder may have left there, then the flight table as "data.bi" and the script text under
// scriptName. False with the reason in *error.
bool FillRunDirectory(const std::filesystem::path& dir, const std::filesystem::path& demo,
                      const std::filesystem::path& dataBi, const std::string& scriptName,
                      const std::string& scriptText, std::string* error);

}  // namespace accuracy
