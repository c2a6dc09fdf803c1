#pragma once
// Settings files as KDE's KConfig writes and reads them: [Group] headers,
// nested ones as [Group][Sub], a [$i] after a header or a key, [$e] and [$d]
// on keys, a locale's Key[de], \-escapes, # comments. A line KConfig would
// warn about is skipped, as it skips it; no file is refused for its lines.
#include <optional>
#include <string>
#include <string_view>

// The value of key in a top-level group, unescaped, as the last line that
// sets it leaves it; nothing where no line does, or the last one deletes it
// ([$d]). A locale's value (Key[de]) is not the key's.
std::optional<std::string> kconfigValue(std::string_view file, std::string_view group, std::string_view key);

// KConfig's booleans: anything but false, no, off and 0, in any case, is true.
bool kconfigTrue(std::string_view value);
