#pragma once
// Where the paper picture and the font are looked for.
#include <string>

std::string paperPicturePath();
std::string fontPath();
