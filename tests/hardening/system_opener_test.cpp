// The desktop opener with hostile names: the item reaches the desktop's launcher as one argument
// with exactly its bytes, nothing else runs, and no child is left behind. A stand-in launcher
// first on the search path records what it was given.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "files/document_opener.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

// The launcher's record, once it has been written completely (it ends with a marker line).
std::string AwaitRecord(const fs::path& record) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    const std::string text = ReadFile(record);
    if (text.ends_with("\nfine\n")) return text.substr(0, text.size() - 6);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return "<no record>";
}

TEST(SystemOpener, HandsHostileNamesOverWholeAndLeavesNoChild) {
  TempFolder bin;
  TempFolder items;
  TempFolder current;
  CurrentFolderScope inCurrent(current.path());
  const fs::path record = bin.path() / "record";
  // Counts its arguments and writes the first one byte for byte.
  WriteScript(bin.path() / "xdg-open",
              "printf '%s:%s\\nfine\\n' \"$#\" \"$1\" > '" + record.string() + "'\n");
  SearchPathScope first(SearchPathWith(bin.str()));

  const std::vector<std::string> names = {
      "cartella output",     "a;touch pwned;.txt", "$(touch pwned).html", "`touch pwned`.txt",
      "it's \"quoted\".txt", "-dash.txt",          "riga\nnuova.txt",     "perché 中文 😀.txt"};
  const auto opener = MakeSystemDocumentOpener();
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const fs::path item = items.path() / PathFromUtf8(name);
    if (name.ends_with(".txt") || name.ends_with(".html")) {
      WriteFile(item, "x");
    } else {
      fs::create_directory(item);
    }
    fs::remove(record);
    EXPECT_TRUE(opener->Open(Utf8(item), "", items.str()));
    EXPECT_EQ(AwaitRecord(record), "1:" + Utf8(item));
  }
  EXPECT_FALSE(opener->Open(items / "missing.txt", "", items.str()));
  EXPECT_EQ(NamesIn(current.path()), std::vector<std::string>{});
  for (const std::string& name : NamesIn(items.path())) {
    EXPECT_FALSE(name.starts_with("pwned")) << name;
  }
  EXPECT_EQ(CountChildren(), 0);
}

}  // namespace
}  // namespace droplet::testing
