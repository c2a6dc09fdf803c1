#pragma once
// Lists of names joined by colons, as logind's BlockInhibited
// ("idle:sleep") and XDG_CURRENT_DESKTOP ("ubuntu:GNOME") give them.
#include <string_view>

bool colonListHas(std::string_view list, std::string_view name);
