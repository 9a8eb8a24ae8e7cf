#include "common/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

struct JoinCase {
  const char* folder;
  const char* name;
  const char* joined;
};

TEST(PathHelpers, JoinPathPutsExactlyOneBackslashBetween) {
  const JoinCase cases[] = {
      {"C:\\", "x", "C:\\x"},
      {"C:", "*", "C:\\*"},
      {"C:\\a", "b.txt", "C:\\a\\b.txt"},
      {"C:\\a\\\\\\", "b", "C:\\a\\b"},
      {"\\\\server\\share", "*", "\\\\server\\share\\*"},
      {"a", "b\\c", "a\\b\\c"},
      {"", "x", "\\x"},
  };
  for (const JoinCase& c : cases)
    EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.folder << " + " << c.name;
}

struct SplitCase {
  const char* path;
  const char* parent;
  const char* last;
};

TEST(PathHelpers, ParentFolderAndLastComponentSplitAtTheLastBackslash) {
  const SplitCase cases[] = {
      {"C:\\a\\b", "C:\\a", "b"},
      {"C:\\a", "C:", "a"},
      {"C:\\", "", "C:"},
      {"C:", "", "C:"},
      {"C:\\a\\b\\", "C:\\a", "b"},         // a folder's trailing backslash
      {"C:\\a\\\\b", "C:\\a", "b"},         // every backslash before it goes
      {"\\\\server\\share\\x.c", "\\\\server\\share", "x.c"},
      {"name.txt", "", "name.txt"},
      {"", "", ""},
      {"\\\\\\", "", ""},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
    EXPECT_EQ(LastComponent(c.path), c.last) << c.path;
  }
}

TEST(PathHelpers, ParentJoinedWithLastComponentGivesThePathBack) {
  for (const char* path : {"C:\\a\\b", "C:\\a", "C:\\x\\y\\z.txt", "\\\\server\\share\\x"})
    EXPECT_EQ(JoinPath(ParentFolder(path), LastComponent(path)), path);
}

}  // namespace
}  // namespace qm
