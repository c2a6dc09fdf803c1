#pragma once
// Line numbers as an editor counts them, for the report: LF, CR LF and a lone
// CR each end a line. (The saver cuts lines its own way; see forEachFeedLine.)
#include <cstddef>
#include <string_view>
#include <vector>

class LineIndex {
public:
    explicit LineIndex(std::string_view body);
    // The number, from 1, of the editor's line that holds the byte at offset.
    long lineOf(std::size_t offset) const;

private:
    std::vector<std::size_t> starts_;
};
