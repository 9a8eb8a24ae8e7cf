// The registrar of pairlaunch.dll: reads the registration script that the
// DLL carries as a "REGISTRY" resource and applies it, in the register or
// the unregister direction, to a registry behind the RegistryTarget seam.
//
// Script syntax (what our script uses, and no more):
//
//   script := { root '{' { key } '}' }
//   root   := HKCR | HKCU | HKLM | HKU, or their HKEY_... long names
//   key    := [ NoRemove | ForceRemove | Delete ] name [ '=' value ] [ '{' body '}' ]
//   body   := { key | val name '=' value }
//   value  := s 'text' | d 'number'
//
// A name is a bare word or a quoted 'text'; '' inside quotes is one quote.
// "{" followed by a blank opens a block, so a class id such as
// {1dc5...} is a name. Placeholders "%NAME%" in names and texts are replaced
// before parsing ("%%" is a literal percent sign).
//
// Register: every key is opened or created; a ForceRemove key that exists is
// deleted with everything below it first; a Delete key is deleted; values
// are set. If a step fails, what was registered is unregistered again.
// Unregister: ForceRemove keys go with everything below them; NoRemove keys
// stay (their children are visited); a plain key is visited and then removed
// when nothing is left below it; Delete keys are ignored.
//
// Strings are UTF-8. Portable: no Win32 here; the Win32 target is in
// registrar_win32.cpp. Not thread-safe per target; stateless otherwise.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qm::shellext {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// The registry as the registrar needs it. Paths are relative to the root,
// components separated by one backslash; a value name "" is the default
// value. Every call returns false on failure.
class RegistryTarget {
public:
  virtual ~RegistryTarget() = default;
  virtual bool KeyExists(RegRoot root, const std::string& path) = 0;
  virtual bool CreateKey(RegRoot root, const std::string& path) = 0;
  // Removes the key with every sub-key and value; a missing key is success.
  virtual bool DeleteTree(RegRoot root, const std::string& path) = 0;
  // True when the key has sub-keys (a missing key has none).
  virtual bool HasSubKeys(RegRoot root, const std::string& path) = 0;
  virtual bool SetString(RegRoot root, const std::string& path, const std::string& name,
                         const std::string& text) = 0;
  virtual bool SetNumber(RegRoot root, const std::string& path, const std::string& name,
                         uint32_t number) = 0;
};

enum class KeyFlag { Plain, NoRemove, ForceRemove, Delete };

struct ScriptValue {
  std::string name;  // "" for the default value
  bool isNumber = false;
  std::string text;
  uint32_t number = 0;
};

struct ScriptKey {
  KeyFlag flag = KeyFlag::Plain;
  std::string name;
  bool hasDefault = false;
  ScriptValue defaultValue;
  std::vector<ScriptValue> values;  // "val" entries
  std::vector<ScriptKey> keys;
};

struct ScriptRoot {
  RegRoot root;
  std::vector<ScriptKey> keys;
};

struct Script {
  std::vector<ScriptRoot> roots;
};

// Replaces every "%NAME%" by its replacement; "%%" gives "%". An unknown
// or unterminated placeholder is an error: error then names it and the
// result is empty.
bool ExpandPlaceholders(const std::string& text,
                        const std::map<std::string, std::string>& replacements,
                        std::string* expanded, std::string* error);

// Parses an expanded script. On a syntax error returns false and error says
// where (line number and what was found).
bool ParseScript(const std::string& text, Script* script, std::string* error);

// Applies a parsed script. On failure returns false with error naming the
// key; a failed registration has been undone as far as the target allows.
bool Register(const Script& script, RegistryTarget& target, std::string* error);
bool Unregister(const Script& script, RegistryTarget& target, std::string* error);

}  // namespace qm::shellext
