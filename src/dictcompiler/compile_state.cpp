#include "dictcompiler/compile_state.h"
#include "textio/format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace dm {

int Dictionary::findTag(const std::string& tagName) const {
  auto it = std::lower_bound(tags.begin(), tags.end(), tagName,
                             [](const DictTag& t, const std::string& n) { return t.name < n; });
  return it != tags.end() && it->name == tagName ? static_cast<int>(it - tags.begin()) : -1;
}

std::uint32_t Dictionary::addTag(const std::string& tagName, const std::u16string& wname, const std::string& library) {
  auto it = std::lower_bound(tags.begin(), tags.end(), tagName,
                             [](const DictTag& t, const std::string& n) { return t.name < n; });
  if (it == tags.end() || it->name != tagName) {
    DictTag t;
    t.name = tagName;
    t.wname = wname;
    t.library = library;
    it = tags.insert(it, std::move(t));
  }
  return static_cast<std::uint32_t>(it - tags.begin());
}

int CompileState::findLib(const std::string& libName) const {
  for (std::size_t i = 0; i < libs.size(); ++i)
    if (libs[i].name == libName) return static_cast<int>(i);
  return -1;
}

void CompileState::print(const char* format, ...) const {
  if (!out) return;
  va_list args;
  va_start(args, format);
  *out << formattedList(format, args);
  va_end(args);
}

}  // namespace dm
