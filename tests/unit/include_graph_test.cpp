// The program's files include one another as a tree: no file (its header and
// source taken as one) reaches itself again through what it includes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;
using IncludeGraph = std::map<std::string, std::set<std::string>>;

// Keyed by folder and stem: display/page_window stands for its .h and .cpp,
// idle/desk/source_x11 for a file of a folder within.
IncludeGraph readIncludes(const fs::path& top)
{
    const std::string quote = "#include \"";
    IncludeGraph graph;
    for (const char* folder : {"app", "service", "display", "diag", "platform", "feedtool", "idle"}) {
        if (!fs::is_directory(top / folder))
            continue;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(top / folder)) {
            const fs::path& path = entry.path();
            if (path.extension() != ".cpp" && path.extension() != ".h")
                continue;
            const std::string file = (path.parent_path().lexically_relative(top) / path.stem()).generic_string();
            std::set<std::string>& included = graph[file];
            std::ifstream in(path);
            for (std::string line; std::getline(in, line);)
                if (line.starts_with(quote) && line.ends_with(".h\"")) {
                    const std::string name = line.substr(quote.size(), line.size() - quote.size() - 3);
                    if (name != file)
                        included.insert(name);
                }
        }
    }
    return graph;
}

// True, with path holding the files along it, when a loop is reached from file.
bool walk(const IncludeGraph& graph, const std::string& file, std::vector<std::string>& path,
    std::set<std::string>& done)
{
    if (done.count(file))
        return false;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == file) {
            path.erase(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i));
            path.push_back(file);
            return true;
        }
    path.push_back(file);
    if (const auto found = graph.find(file); found != graph.end())
        for (const std::string& next : found->second)
            if (walk(graph, next, path, done))
                return true;
    path.pop_back();
    done.insert(file);
    return false;
}
}

// A folder within another serves it: idle/desk/ may include idle/session/,
// never idle/ itself.
TEST(IncludeGraph, NoFileIncludesFromAFolderAboveItsOwn)
{
    for (const auto& [file, included] : readIncludes(TAPWRITE_SOURCE_DIR)) {
        const fs::path folder = fs::path(file).parent_path();
        for (const std::string& name : included) {
            const fs::path above = fs::path(name).parent_path();
            const bool isAbove = above != folder && folder.string().starts_with(above.string() + "/");
            EXPECT_FALSE(isAbove) << file << " includes " << name << ", of a folder above its own";
        }
    }
}

TEST(IncludeGraph, NoFileReachesItselfAgain)
{
    const IncludeGraph graph = readIncludes(TAPWRITE_SOURCE_DIR);
    ASSERT_GT(graph.size(), 40u) << "the program's folders were not found";
    std::set<std::string> done;
    for (const auto& [file, included] : graph) {
        std::vector<std::string> path;
        if (walk(graph, file, path, done)) {
            std::string loop;
            for (const std::string& step : path)
                loop += (loop.empty() ? "" : " -> ") + step;
            ADD_FAILURE() << "a loop of includes: " << loop;
            return;
        }
    }
}
