#include "feedtool/line_index.h"

#include <algorithm>

LineIndex::LineIndex(std::string_view body)
{
    starts_.push_back(0);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\n' || (body[i] == '\r' && (i + 1 == body.size() || body[i + 1] != '\n')))
            starts_.push_back(i + 1);
    }
}

long LineIndex::lineOf(std::size_t offset) const
{
    return static_cast<long>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin());
}
