#pragma once
// What the saver types when no feed arrived: a text of its own.
#include <string>
#include <vector>

const std::vector<std::string>& builtinSentences();
// Puts the built-in text in place when the sentence list is empty.
void useBuiltinTextIfEmpty();
