// The portable heart of pairlaunch.dll: the registrar, run against an
// in-memory registry, and the launch decision with its quoting, checked
// against the runtime's rules for splitting a command line.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "shellext/launch_plan.h"
#include "shellext/registrar.h"

namespace qm::shellext {
namespace {

// ---------------------------------------------------------------- registry

// Keys by "root|path" in lower case, as the registry compares them.
class MemoryRegistry : public RegistryTarget {
public:
  using Values = std::map<std::string, std::string>;
  std::map<std::string, Values> keys;
  int writesLeft = -1;  // the write after this many fails, once

  static std::string Id(RegRoot root, const std::string& path) {
    std::string id = std::to_string(static_cast<int>(root)) + "|";
    for (char c : path) id += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return id;
  }
  void Add(RegRoot root, const std::string& path, const std::string& name = "",
           const std::string& text = "") {
    std::string at;
    for (size_t i = 0; i <= path.size(); ++i)
      if (i == path.size() || path[i] == '\\') keys[Id(root, path.substr(0, i))];
    if (!text.empty()) keys[Id(root, path)][name] = text;
  }

  bool KeyExists(RegRoot root, const std::string& path) override {
    return keys.count(Id(root, path)) != 0;
  }
  bool CreateKey(RegRoot root, const std::string& path) override {
    if (!Write()) return false;
    Add(root, path);
    return true;
  }
  bool DeleteTree(RegRoot root, const std::string& path) override {
    if (!Write()) return false;
    const std::string id = Id(root, path);
    for (auto it = keys.begin(); it != keys.end();)
      it = it->first == id || it->first.rfind(id + "\\", 0) == 0 ? keys.erase(it) : std::next(it);
    return true;
  }
  bool HasSubKeys(RegRoot root, const std::string& path) override {
    const std::string prefix = Id(root, path) + "\\";
    auto it = keys.lower_bound(prefix);
    return it != keys.end() && it->first.rfind(prefix, 0) == 0;
  }
  bool SetString(RegRoot root, const std::string& path, const std::string& name,
                 const std::string& text) override {
    if (!Write() || !KeyExists(root, path)) return false;
    keys[Id(root, path)][name] = "s:" + text;
    return true;
  }
  bool SetNumber(RegRoot root, const std::string& path, const std::string& name,
                 uint32_t number) override {
    if (!Write() || !KeyExists(root, path)) return false;
    keys[Id(root, path)][name] = "d:" + std::to_string(number);
    return true;
  }

private:
  bool Write() {
    if (writesLeft < 0) return true;
    return writesLeft-- != 0;
  }
};

constexpr const char* kClsid = "{1dc5d4e2-06bb-416c-9fd3-c7f19202ad34}";
constexpr const char* kModule = "C:\\Program Files\\O'Neill Tools\\pairlaunch.dll";
const RegRoot kCr = RegRoot::ClassesRoot;

Script ShippedScript() {
  std::ifstream in(QM_PAIRLAUNCH_RGS, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string expanded, error;
  EXPECT_TRUE(ExpandPlaceholders(text.str(), {{"MODULE", kModule}}, &expanded, &error)) << error;
  Script script;
  EXPECT_TRUE(ParseScript(expanded, &script, &error)) << error;
  return script;
}

std::string Value(MemoryRegistry& reg, const std::string& path, const std::string& name = "") {
  auto key = reg.keys.find(MemoryRegistry::Id(kCr, path));
  if (key == reg.keys.end()) return "(no key)";
  auto value = key->second.find(name);
  return value == key->second.end() ? "(no value)" : value->second;
}

// What a machine may hold before registration: some of the parent keys,
// other programs' handlers and classes, and a stale registration of ours
// with leftovers below it.
MemoryRegistry RandomMachine(std::mt19937& random) {
  MemoryRegistry reg;
  auto maybe = [&] { return random() % 2 == 0; };
  if (maybe()) reg.Add(kCr, "CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32", "",
                       "s:other.dll");
  if (maybe()) reg.Add(kCr, "*\\shellex\\ContextMenuHandlers\\Other", "", "s:{other}");
  if (maybe()) reg.Add(kCr, "*\\shellex\\PropertySheetHandlers\\Else", "", "s:{else}");
  if (maybe()) reg.Add(kCr, "Directory\\ShellEx\\ContextMenuHandlers");
  if (maybe()) reg.Add(kCr, "Directory\\shell\\open", "", "s:Open");
  if (maybe()) reg.Add(kCr, std::string("CLSID\\") + kClsid + "\\Stale\\Deeper", "", "s:old");
  if (maybe()) reg.Add(kCr, "*\\shellex\\ContextMenuHandlers\\Quillmere\\Junk");
  return reg;
}

// Keys of reg outside our two handler entries and our class id.
std::map<std::string, MemoryRegistry::Values> Foreign(const MemoryRegistry& reg) {
  auto ours = [](const std::string& id) {
    for (std::string mine : {std::string("clsid\\") + kClsid, std::string("*\\shellex\\contextmenuhandlers\\quillmere"),
                             std::string("directory\\shellex\\contextmenuhandlers\\quillmere")}) {
      std::string lowered = MemoryRegistry::Id(kCr, mine);
      if (id == lowered || id.rfind(lowered + "\\", 0) == 0) return true;
    }
    return false;
  };
  std::map<std::string, MemoryRegistry::Values> foreign;
  for (const auto& [id, values] : reg.keys)
    if (!ours(id)) foreign[id] = values;
  return foreign;
}

TEST(Registrar, ShippedScriptRegistersExactlyItsKeysAndUnregistersOnlyThem) {
  const Script script = ShippedScript();
  std::mt19937 random(12);
  for (int round = 0; round < 64; ++round) {
    MemoryRegistry reg = RandomMachine(random);
    const auto before = Foreign(reg);
    std::string error;
    ASSERT_TRUE(Register(script, reg, &error)) << error;
    const std::string clsidKey = std::string("CLSID\\") + kClsid;
    EXPECT_EQ(Value(reg, clsidKey), "s:Quillmere context menu");
    EXPECT_EQ(Value(reg, clsidKey + "\\InprocServer32"), std::string("s:") + kModule);
    EXPECT_EQ(Value(reg, clsidKey + "\\InprocServer32", "ThreadingModel"), "s:Apartment");
    EXPECT_FALSE(reg.KeyExists(kCr, clsidKey + "\\Stale")) << "ForceRemove keeps old sub-keys";
    for (const char* handlers : {"*\\shellex\\ContextMenuHandlers", "Directory\\ShellEx\\ContextMenuHandlers"}) {
      EXPECT_EQ(Value(reg, std::string(handlers) + "\\Quillmere"), std::string("s:") + kClsid);
      EXPECT_FALSE(reg.HasSubKeys(kCr, std::string(handlers) + "\\Quillmere"));
    }
    // Registering twice changes nothing.
    const auto once = reg.keys;
    ASSERT_TRUE(Register(script, reg, &error)) << error;
    EXPECT_EQ(reg.keys, once);

    ASSERT_TRUE(Unregister(script, reg, &error)) << error;
    EXPECT_FALSE(reg.KeyExists(kCr, clsidKey));
    EXPECT_FALSE(reg.KeyExists(kCr, "*\\shellex\\ContextMenuHandlers\\Quillmere"));
    EXPECT_FALSE(reg.KeyExists(kCr, "Directory\\ShellEx\\ContextMenuHandlers\\Quillmere"));
    // Everything else stays as it was; the parent keys stay even when the
    // registration made them.
    auto after = Foreign(reg);
    for (const auto& [id, values] : before) {
      ASSERT_TRUE(after.count(id)) << "round " << round << " lost " << id;
      EXPECT_EQ(after[id], values) << id;
      after.erase(id);
    }
    for (const auto& [id, values] : after) {
      EXPECT_TRUE(values.empty()) << id;
      for (const char* parent : {"clsid", "*", "*\\shellex", "*\\shellex\\contextmenuhandlers",
                                 "directory", "directory\\shellex",
                                 "directory\\shellex\\contextmenuhandlers"})
        if (id == MemoryRegistry::Id(kCr, parent)) goto known;
      ADD_FAILURE() << "round " << round << " left " << id;
    known:;
    }
  }
}

TEST(Registrar, FailedRegistrationIsUndone) {
  const Script script = ShippedScript();
  for (int failAt = 0; failAt < 14; ++failAt) {
    MemoryRegistry reg;
    reg.Add(kCr, "*\\shellex\\ContextMenuHandlers\\Other", "", "s:{other}");
    reg.writesLeft = failAt;
    std::string error;
    const bool ok = Register(script, reg, &error);
    if (ok) continue;  // the script needed fewer writes
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(reg.KeyExists(kCr, std::string("CLSID\\") + kClsid)) << "fail at " << failAt;
    EXPECT_FALSE(reg.KeyExists(kCr, "*\\shellex\\ContextMenuHandlers\\Quillmere"));
    EXPECT_EQ(Value(reg, "*\\shellex\\ContextMenuHandlers\\Other"), "s:{other}");
  }
}

TEST(Registrar, PlainKeysValuesAndNumbers) {
  Script script;
  std::string error;
  ASSERT_TRUE(ParseScript("HKLM { Software { Tool = s 'it''s' { val Count = d '0x10'\n"
                          "val Name = s 'x' Sub } Delete Gone } }",
                          &script, &error))
      << error;
  MemoryRegistry reg;
  reg.Add(RegRoot::LocalMachine, "Software\\Other", "", "s:keep");
  reg.Add(RegRoot::LocalMachine, "Software\\Gone\\Below");
  ASSERT_TRUE(Register(script, reg, &error)) << error;
  const auto lm = RegRoot::LocalMachine;
  EXPECT_EQ(reg.keys[MemoryRegistry::Id(lm, "Software\\Tool")][""], "s:it's");
  EXPECT_EQ(reg.keys[MemoryRegistry::Id(lm, "Software\\Tool")]["Count"], "d:16");
  EXPECT_TRUE(reg.KeyExists(lm, "Software\\Tool\\Sub"));
  EXPECT_FALSE(reg.KeyExists(lm, "Software\\Gone"));
  // Unregistering removes plain keys, but not one that holds someone
  // else's key.
  ASSERT_TRUE(Unregister(script, reg, &error)) << error;
  EXPECT_FALSE(reg.KeyExists(lm, "Software\\Tool"));
  EXPECT_TRUE(reg.KeyExists(lm, "Software\\Other"));
  EXPECT_TRUE(reg.KeyExists(lm, "Software"));
}

TEST(Registrar, MalformedScriptsAreRefusedWithTheirLine) {
  const struct {
    const char* script;
    const char* where;
  } rows[] = {
      {"HKCR { Key = s 'text' ", "line 1"},
      {"HKXX { Key }", "registry root"},
      {"HKCR {\n  Key = x 'text'\n}", "line 2"},
      {"HKCR {\n\n  Key = s 'open\n}", "unterminated"},
      {"HKCR { Key { val = s 'a' } }", "line 1"},
      {"HKCR { Key = d '4294967296' }", "number"},
      {"HKCR { Key = d '-1' }", "number"},
      {"HKCR { a\\b }", "name"},
      {"HKCR { Key } }", "registry root"},
  };
  for (const auto& row : rows) {
    Script script;
    std::string error;
    EXPECT_FALSE(ParseScript(row.script, &script, &error)) << row.script;
    EXPECT_NE(error.find(row.where), std::string::npos) << row.script << " -> " << error;
  }
}

TEST(Registrar, Placeholders) {
  std::string out, error;
  EXPECT_TRUE(ExpandPlaceholders("a %MODULE% 100%% b", {{"MODULE", "x'y"}}, &out, &error));
  EXPECT_EQ(out, "a x''y 100% b");
  EXPECT_FALSE(ExpandPlaceholders("%OTHER%", {{"MODULE", "m"}}, &out, &error));
  EXPECT_NE(error.find("%OTHER%"), std::string::npos);
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(ExpandPlaceholders("50% off", {}, &out, &error));
}

// ---------------------------------------------------------------- launch

// The runtime's splitting of a command line into arguments: blanks
// separate, quotes group, 2n backslashes before a quote give n and the
// quote counts, 2n+1 give n and a literal quote.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> args;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == L' ') ++i;
    if (i >= line.size()) break;
    std::wstring arg;
    bool quoted = false;
    while (i < line.size() && (quoted || line[i] != L' ')) {
      if (line[i] == L'\\') {
        size_t slashes = 0;
        for (; i < line.size() && line[i] == L'\\'; ++i) ++slashes;
        if (i < line.size() && line[i] == L'"') {
          arg.append(slashes / 2, L'\\');
          if (slashes % 2) arg += line[i++];
        } else {
          arg.append(slashes, L'\\');
        }
      } else if (line[i] == L'"') {
        quoted = !quoted;
        ++i;
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

TEST(LaunchPlan, SelectionGivesTheArgumentsOrRefusal) {
  const std::wstring a = L"C:\\Users\\Ann Lee\\a.txt", b = L"D:\\", c = L"C:\\c";
  LaunchPlan one = PlanLaunch({a});
  ASSERT_EQ(one.decision, LaunchDecision::Start);
  EXPECT_EQ(one.args, (std::vector<std::wstring>{L"compare.exe", L"/ctx", L"\"" + a + L"\"",
                                                 L"\"" + a + L"\""}));
  LaunchPlan two = PlanLaunch({a, c});
  ASSERT_EQ(two.decision, LaunchDecision::Start);
  EXPECT_EQ(two.args[2], L"\"" + c + L"\"");
  EXPECT_EQ(two.args[3], L"\"" + a + L"\"");
  EXPECT_EQ(PlanLaunch({a, b, c}).decision, LaunchDecision::TooMany);
  EXPECT_EQ(PlanLaunch({}).decision, LaunchDecision::NoItems);

  const std::wstring longest = L"C:\\" + std::wstring(kMaxPathLength - 3, L'x');
  EXPECT_EQ(PlanLaunch({longest, a}).decision, LaunchDecision::Start);
  const LaunchPlan tooLong = PlanLaunch({a, longest + L"y"});
  EXPECT_EQ(tooLong.decision, LaunchDecision::PathTooLong);
  EXPECT_EQ(tooLong.longPath, longest + L"y");
  EXPECT_TRUE(tooLong.args.empty());
  // Too many wins over too long: the count is the user's first mistake.
  EXPECT_EQ(PlanLaunch({a, a, longest + L"y"}).decision, LaunchDecision::TooMany);
}

TEST(LaunchPlan, JoinedArgumentsSplitBackIntoTheSamePaths) {
  std::mt19937 random(7);
  const wchar_t alphabet[] = L"ab \\.-'x";
  for (int round = 0; round < 500; ++round) {
    std::wstring paths[2];
    for (auto& path : paths) {
      path = L"C:\\";
      const int length = static_cast<int>(random() % 12);
      for (int i = 0; i < length; ++i) path += alphabet[random() % (sizeof alphabet / sizeof *alphabet - 1)];
    }
    const LaunchPlan plan = PlanLaunch({paths[0], paths[1]});
    ASSERT_EQ(plan.decision, LaunchDecision::Start);
    std::wstring line;
    for (const auto& arg : plan.args) line += (line.empty() ? L"" : L" ") + arg;
    const auto args = SplitCommandLine(line);
    ASSERT_EQ(args.size(), 4u) << round;
    EXPECT_EQ(args[2], paths[1]) << round;
    EXPECT_EQ(args[3], paths[0]) << round;
  }
}

TEST(LaunchPlan, ProgramPathDropsTrailingBackslashes) {
  EXPECT_EQ(ProgramPath(L"C:\\Program Files\\Quillmere"), L"C:\\Program Files\\Quillmere\\compare.exe");
  EXPECT_EQ(ProgramPath(L"C:\\Q\\\\"), L"C:\\Q\\compare.exe");
  EXPECT_EQ(ProgramPath(L""), L"");
  EXPECT_EQ(ProgramPath(L"\\\\"), L"");
}

}  // namespace
}  // namespace qm::shellext
