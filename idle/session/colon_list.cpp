#include "idle/session/colon_list.h"

bool colonListHas(std::string_view list, std::string_view name)
{
    while (!list.empty()) {
        const std::size_t end = list.find(':');
        if (list.substr(0, end) == name)
            return true;
        if (end == std::string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return false;
}
