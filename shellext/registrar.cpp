#include "shellext/registrar.h"

#include <cctype>
#include <cstdlib>

namespace qm::shellext {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool SameWord(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

enum class TokenKind { Word, Quoted, Open, Close, Equals, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  int line = 1;
};

// Splits the script into words, quoted texts and the three punctuation
// marks. A "{" or "}" glued to other characters belongs to a word, which is
// how a class id in braces stays one name.
class Lexer {
public:
  explicit Lexer(const std::string& text) : text_(text) {}

  bool Next(Token* token, std::string* error) {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    token->line = line_;
    token->text.clear();
    if (pos_ >= text_.size()) {
      token->kind = TokenKind::End;
      return true;
    }
    const char c = text_[pos_];
    const bool alone = pos_ + 1 >= text_.size() || IsBlank(text_[pos_ + 1]);
    if ((c == '{' || c == '}') && alone) {
      token->kind = c == '{' ? TokenKind::Open : TokenKind::Close;
      ++pos_;
      return true;
    }
    if (c == '=') {
      token->kind = TokenKind::Equals;
      ++pos_;
      return true;
    }
    if (c == '\'') return Quoted(token, error);
    token->kind = TokenKind::Word;
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != '=' &&
           text_[pos_] != '\'')
      token->text += text_[pos_++];
    return true;
  }

private:
  bool Quoted(Token* token, std::string* error) {
    token->kind = TokenKind::Quoted;
    for (++pos_; pos_ < text_.size(); ++pos_) {
      if (text_[pos_] == '\n') ++line_;
      if (text_[pos_] != '\'') {
        token->text += text_[pos_];
      } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
        token->text += '\'';
        ++pos_;
      } else {
        ++pos_;
        return true;
      }
    }
    *error = "line " + std::to_string(token->line) + ": unterminated quoted text";
    return false;
  }

  const std::string& text_;
  size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
public:
  explicit Parser(const std::string& text) : lexer_(text) {}

  bool Parse(Script* script) {
    if (!Advance()) return false;
    while (token_.kind != TokenKind::End) {
      ScriptRoot root;
      if (token_.kind != TokenKind::Word || !RootOf(token_.text, &root.root))
        return Fail("a registry root (HKCR, HKCU, HKLM, HKU)");
      if (!Advance() || !Expect(TokenKind::Open, "'{'")) return false;
      while (token_.kind != TokenKind::Close) {
        if (token_.kind == TokenKind::End) return Fail("'}'");
        ScriptKey key;
        if (!ParseKey(&key)) return false;
        root.keys.push_back(std::move(key));
      }
      if (!Advance()) return false;
      script->roots.push_back(std::move(root));
    }
    return true;
  }

  std::string error;

private:
  static bool RootOf(const std::string& word, RegRoot* root) {
    static const struct {
      const char* shortName;
      const char* longName;
      RegRoot root;
    } kRoots[] = {{"HKCR", "HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
                  {"HKCU", "HKEY_CURRENT_USER", RegRoot::CurrentUser},
                  {"HKLM", "HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
                  {"HKU", "HKEY_USERS", RegRoot::Users}};
    for (const auto& row : kRoots)
      if (SameWord(word, row.shortName) || SameWord(word, row.longName)) {
        *root = row.root;
        return true;
      }
    return false;
  }

  bool Advance() { return lexer_.Next(&token_, &error); }

  bool Fail(const char* wanted) {
    std::string found = token_.kind == TokenKind::End ? "the end of the script"
                        : token_.kind == TokenKind::Open  ? "'{'"
                        : token_.kind == TokenKind::Close ? "'}'"
                        : token_.kind == TokenKind::Equals ? "'='"
                                                           : "'" + token_.text + "'";
    error = "line " + std::to_string(token_.line) + ": expected " + wanted + ", found " + found;
    return false;
  }

  bool Expect(TokenKind kind, const char* wanted) {
    if (token_.kind != kind) return Fail(wanted);
    return Advance();
  }

  bool ParseName(std::string* name) {
    if ((token_.kind != TokenKind::Word && token_.kind != TokenKind::Quoted) ||
        token_.text.empty() || token_.text.find('\\') != std::string::npos)
      return Fail("a key or value name");
    *name = token_.text;
    return Advance();
  }

  // "s 'text'" or "d 'number'" (the number may be bare), after the '='.
  bool ParseValue(ScriptValue* value) {
    if (token_.kind != TokenKind::Word || (!SameWord(token_.text, "s") && !SameWord(token_.text, "d")))
      return Fail("a value type (s or d)");
    value->isNumber = SameWord(token_.text, "d");
    if (!Advance()) return false;
    if (token_.kind != TokenKind::Quoted && !(value->isNumber && token_.kind == TokenKind::Word))
      return Fail("a quoted value");
    if (value->isNumber) {
      const std::string& digits = token_.text;
      char* end = nullptr;
      const unsigned long long number = std::strtoull(digits.c_str(), &end, 0);
      if (digits.empty() || *end || number > 0xFFFFFFFFull || digits[0] == '-')
        return Fail("a number from 0 to 4294967295");
      value->number = static_cast<uint32_t>(number);
    } else {
      value->text = token_.text;
    }
    return Advance();
  }

  bool ParseKey(ScriptKey* key) {
    if (token_.kind == TokenKind::Word) {
      const KeyFlag flag = SameWord(token_.text, "NoRemove")      ? KeyFlag::NoRemove
                           : SameWord(token_.text, "ForceRemove") ? KeyFlag::ForceRemove
                           : SameWord(token_.text, "Delete")      ? KeyFlag::Delete
                                                                  : KeyFlag::Plain;
      if (flag != KeyFlag::Plain) {
        key->flag = flag;
        if (!Advance()) return false;
      }
    }
    if (!ParseName(&key->name)) return false;
    if (token_.kind == TokenKind::Equals) {
      if (!Advance() || !ParseValue(&key->defaultValue)) return false;
      key->hasDefault = true;
    }
    if (token_.kind != TokenKind::Open) return true;
    if (!Advance()) return false;
    while (token_.kind != TokenKind::Close) {
      if (token_.kind == TokenKind::End) return Fail("'}'");
      if (token_.kind == TokenKind::Word && SameWord(token_.text, "val")) {
        ScriptValue value;
        if (!Advance() || !ParseName(&value.name) || !Expect(TokenKind::Equals, "'='") ||
            !ParseValue(&value))
          return false;
        key->values.push_back(std::move(value));
        continue;
      }
      ScriptKey child;
      if (!ParseKey(&child)) return false;
      key->keys.push_back(std::move(child));
    }
    return Advance();
  }

  Lexer lexer_;
  Token token_;
};

std::string Join(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

bool SetValue(RegistryTarget& target, RegRoot root, const std::string& path,
              const ScriptValue& value) {
  return value.isNumber ? target.SetNumber(root, path, value.name, value.number)
                        : target.SetString(root, path, value.name, value.text);
}

bool RegisterKey(const ScriptKey& key, RegRoot root, const std::string& parent,
                 RegistryTarget& target, std::string* error) {
  const std::string path = Join(parent, key.name);
  auto fail = [&] {
    *error = "cannot register the key " + path;
    return false;
  };
  if (key.flag == KeyFlag::Delete) return target.DeleteTree(root, path) || fail();
  if (key.flag == KeyFlag::ForceRemove && !target.DeleteTree(root, path)) return fail();
  if (!target.CreateKey(root, path)) return fail();
  if (key.hasDefault && !SetValue(target, root, path, key.defaultValue)) return fail();
  for (const ScriptValue& value : key.values)
    if (!SetValue(target, root, path, value)) return fail();
  for (const ScriptKey& child : key.keys)
    if (!RegisterKey(child, root, path, target, error)) return false;
  return true;
}

bool UnregisterKey(const ScriptKey& key, RegRoot root, const std::string& parent,
                   RegistryTarget& target, std::string* error) {
  const std::string path = Join(parent, key.name);
  if (key.flag == KeyFlag::Delete || !target.KeyExists(root, path)) return true;
  if (key.flag == KeyFlag::ForceRemove) {
    if (target.DeleteTree(root, path)) return true;
    *error = "cannot remove the key " + path;
    return false;
  }
  bool ok = true;
  for (const ScriptKey& child : key.keys) ok = UnregisterKey(child, root, path, target, error) && ok;
  // A plain key goes once nothing of anyone else's is left below it; the
  // values it holds are the script's own.
  if (ok && key.flag == KeyFlag::Plain && !target.HasSubKeys(root, path) &&
      !target.DeleteTree(root, path)) {
    *error = "cannot remove the key " + path;
    return false;
  }
  return ok;
}

}  // namespace

bool ExpandPlaceholders(const std::string& text,
                        const std::map<std::string, std::string>& replacements,
                        std::string* expanded, std::string* error) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const size_t end = text.find('%', i + 1);
    if (end == std::string::npos) {
      *error = "a '%' without its closing '%'";
      expanded->clear();
      return false;
    }
    const std::string name = text.substr(i + 1, end - i - 1);
    if (name.empty()) {
      out += '%';
    } else {
      const auto found = replacements.find(name);
      if (found == replacements.end()) {
        *error = "unknown placeholder %" + name + "%";
        expanded->clear();
        return false;
      }
      // A quote in the replacement would end the quoted text early.
      for (char c : found->second) {
        out += c;
        if (c == '\'') out += '\'';
      }
    }
    i = end;
  }
  *expanded = std::move(out);
  return true;
}

bool ParseScript(const std::string& text, Script* script, std::string* error) {
  Parser parser(text);
  Script parsed;
  if (!parser.Parse(&parsed)) {
    *error = parser.error;
    return false;
  }
  *script = std::move(parsed);
  return true;
}

bool Register(const Script& script, RegistryTarget& target, std::string* error) {
  for (const ScriptRoot& root : script.roots)
    for (const ScriptKey& key : root.keys)
      if (!RegisterKey(key, root.root, "", target, error)) {
        std::string ignored;
        Unregister(script, target, &ignored);
        return false;
      }
  return true;
}

bool Unregister(const Script& script, RegistryTarget& target, std::string* error) {
  bool ok = true;
  for (const ScriptRoot& root : script.roots)
    for (const ScriptKey& key : root.keys)
      ok = UnregisterKey(key, root.root, "", target, error) && ok;
  return ok;
}

}  // namespace qm::shellext
