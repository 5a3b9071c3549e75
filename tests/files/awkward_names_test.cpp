#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/platform.h"
#include "files/file_operations.h"
#include "support/file_fixtures.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"

namespace droplet {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using testing::PathFromUtf8;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// Names that trip up code which pastes them into commands or counts bytes as characters.
std::vector<std::string> AwkwardNames() {
  std::vector<std::string> names = {
      "with blanks  inside.txt",
      "apostrophe's.txt",
      "semi;amp&dollar$(echo x)%PATH%^caret.txt",
      "àccénti ùò.txt",
      "ελληνικά.txt",
      "中文文件.txt",
      "emoji 😀.txt",
      std::string(246, 'n') + ".txt",  // 250 bytes
  };
  if (kNativePathStyle.separator == '/') {
    names.push_back("new\nline.txt");
    names.push_back("double\"quote.txt");
    names.push_back("back\\slash.txt");
  }
  return names;
}

TEST(AwkwardNames, TravelThroughEveryOperation) {
  TempFolder source;
  TempFolder target;
  testing::ScriptedDesktop desktop;
  const std::vector<std::string> names = AwkwardNames();
  for (const std::string& name : names) WriteFile(source.path() / PathFromUtf8(name), name);

  for (const std::string& name : names) {
    EXPECT_TRUE(FileExists(source / name, desktop)) << name;
    EXPECT_FALSE(GetShortFileName(source / name).empty()) << name;
    EXPECT_EQ(GetLastPathPart(source / name), name);
    EXPECT_EQ(GetFileName(source / name, true), name);
  }

  CopiaFileCreaCartella(source.str() + Sep(), target / "out" + Sep(), "*.txt", desktop);
  for (const std::string& name : names) {
    EXPECT_EQ(ReadFile(target.path() / "out" / PathFromUtf8(name)), name) << name;
  }

  CopySingleFile(source / names[3], target / names[4], desktop);
  EXPECT_EQ(ReadFile(target.path() / PathFromUtf8(names[4])), names[3]);

  EliminaFileConAsterisco(source.str() + Sep(), "*.txt", names[5]);
  EXPECT_EQ(NamesIn(source.path()), (std::vector<std::string>{names[5]}));

  // Names work as folder names too.
  for (const std::string& name : names) {
    const fs::path sub = target.path() / "out" / PathFromUtf8(GetFileName(name, false));
    fs::create_directory(sub);
    WriteFile(sub / PathFromUtf8(name), "");
  }
  CleanAllPath(target / "out");
  EXPECT_TRUE(fs::is_empty(target.path() / "out"));
  EXPECT_TRUE(desktop.boxes().empty());
}

}  // namespace
}  // namespace droplet
