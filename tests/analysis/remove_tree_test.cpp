// Clearing a folder of shot records while keeping chosen shots.
#include "analysis/remove_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using test_support::TempDir;
using test_support::WriteBytes;

// Creates the files (and their folders) below root; a name ending in '/' is an empty folder.
void MakeTree(const fs::path& root, const std::vector<std::string>& names) {
  fs::create_directories(root);
  for (const std::string& name : names) {
    if (name.back() == '/') {
      fs::create_directories(root / name);
    } else {
      fs::create_directories((root / name).parent_path());
      WriteBytes((root / name).string(), "frame");
    }
  }
}

// Everything below root, folders with a trailing '/'; links are listed, not followed.
std::set<std::string> Listing(const fs::path& root) {
  std::set<std::string> names;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string name = fs::relative(it->path(), root).generic_string();
    names.insert(it->is_directory() && !it->is_symlink() ? name + "/" : name);
  }
  return names;
}

TEST(RemoveTree, DeletesAllButTheKeptFolders) {
  struct Case {
    const char* what;
    std::string folder;  // below the test's directory
    std::vector<std::string> tree;
    const char* keepA;
    const char* keepB;
    bool removeSelf;
    bool result;
    std::set<std::string> left;  // below folder; empty and !exists when removed
    bool folderLeft;
  };
  const Case cases[] = {
      {"a kept folder stays whole, files go whatever their names",
       "club_path",
       {"a.bmp", "TT_note.txt", "plain/c.bmp", "plain/deep/d.bmp", "empty/",
        "2026-1-1-9-0-0(TT)/e.bmp", "2026-1-1-9-0-0(TT)/nested/f.bmp"},
       "TT",
       "TT",
       false,
       true,
       {"2026-1-1-9-0-0(TT)/", "2026-1-1-9-0-0(TT)/e.bmp", "2026-1-1-9-0-0(TT)/nested/",
        "2026-1-1-9-0-0(TT)/nested/f.bmp"},
       true},
      {"a kept folder inside an ordinary one stops the walk",
       "club_path",
       {"plain/TT/g.bmp"},
       "TT",
       "TT",
       false,
       false,
       {"plain/", "plain/TT/", "plain/TT/g.bmp"},
       true},
      {"either keep text keeps",
       "club_path",
       {"x_AAA/a.bmp", "y_BBB/b.bmp", "z/c.bmp"},
       "AAA",
       "BBB",
       false,
       true,
       {"x_AAA/", "x_AAA/a.bmp", "y_BBB/", "y_BBB/b.bmp"},
       true},
      {"the keep text matches within a name, so a day matches later days",
       "shots",
       {"2026-12-10-8-0-0(TopMain)/a.bmp", "2026-12-2-8-0-0(TopMain)/b.bmp"},
       "2026-12-1",
       nullptr,
       false,
       true,
       {"2026-12-10-8-0-0(TopMain)/", "2026-12-10-8-0-0(TopMain)/a.bmp"},
       true},
      {"the folder's own path counts, so every subfolder of a matching folder stays",
       "shots(TT)",
       {"a.bmp", "sub/b.bmp"},
       "TT",
       nullptr,
       false,
       true,
       {"sub/", "sub/b.bmp"},
       true},
      {"without keep texts, and removing itself",
       "club_path",
       {"a.bmp", "sub/b.bmp", "sub/deeper/"},
       nullptr,
       nullptr,
       true,
       true,
       {},
       false},
      {"removing itself fails while a kept folder remains",
       "club_path",
       {"a.bmp", "TT/b.bmp"},
       "TT",
       nullptr,
       true,
       false,
       {"TT/", "TT/b.bmp"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path folder = dir.path() / c.folder;
    MakeTree(folder, c.tree);
    EXPECT_EQ(RemoveTree(folder.string().c_str(), c.keepA, c.keepB, c.removeSelf), c.result);
    ASSERT_EQ(fs::exists(folder), c.folderLeft);
    if (c.folderLeft) {
      EXPECT_EQ(Listing(folder), c.left);
    }
  }
}

TEST(RemoveTree, RemovesLinksWithoutFollowingThem) {
  TempDir dir;
  MakeTree(dir.path() / "outside", {"keep.bmp", "sub/keep.bmp"});
  MakeTree(dir.path() / "club_path", {"a.bmp"});
  fs::create_directory_symlink(dir.path() / "outside", dir.path() / "club_path" / "to_folder");
  fs::create_symlink(dir.path() / "outside" / "keep.bmp", dir.path() / "club_path" / "to_file");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "club_path" / "dangling");

  EXPECT_TRUE(RemoveTree((dir.path() / "club_path").string().c_str(), nullptr, nullptr, true));
  EXPECT_FALSE(fs::exists(dir.path() / "club_path"));
  EXPECT_EQ(Listing(dir.path() / "outside"),
            (std::set<std::string>{"keep.bmp", "sub/", "sub/keep.bmp"}));
}

TEST(RemoveTree, FailsOnAFolderThatCannotBeListed) {
  TempDir dir;
  WriteBytes(dir.File("a.bmp"), "frame");
  for (const std::string& folder : {dir.File("missing"), dir.File("a.bmp"), std::string()}) {
    SCOPED_TRACE(folder);
    EXPECT_FALSE(RemoveTree(folder.c_str(), "TT", "TT", false));
  }
  EXPECT_FALSE(RemoveTree(nullptr, "TT", "TT", false));
  EXPECT_TRUE(fs::exists(dir.File("a.bmp")));
}

}  // namespace
