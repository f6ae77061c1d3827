#include "textfile_writer.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include "log_forwarding.h"
#include "trusted_files.h"

namespace Quillet::Cli {
namespace {

// A textfile of a few thousand servers stays far below this; a larger one
// was not written by this tool.
const std::size_t kMaxPreviousTextfileBytes = std::size_t{32} * 1024 * 1024;

// The end of the label part that starts at `open` ('{'), quotes and
// escapes respected; npos when the line ends first.
size_t LabelPartEnd(const std::string& line, size_t open)
{
    bool quoted = false;
    for (size_t i = open + 1; i < line.size(); ++i) {
        if (quoted && line[i] == '\\') {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && line[i] == '}') {
            return i;
        }
    }
    return std::string::npos;
}

}  // namespace

void WriteTextfileAtomically(const std::string& path, const std::string& content)
{
    const std::filesystem::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    // node_exporter's collector runs as another user.
    TrustedFolder(folder, false).WriteFile(target.filename().string(), content, 0644);
}

std::map<std::string, double> ReadPreviousSamples(const std::string& path, const std::string& family)
{
    std::map<std::string, double> samples;
    std::string refusal;
    const std::optional<std::string> text = ReadBackFile(path, kMaxPreviousTextfileBytes, refusal);
    if (!refusal.empty()) {
        WriteErrorLine("quillet-mellanox: the previous textfile " + refusal);
    }
    std::istringstream in(text.value_or(std::string()));
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, family.size(), family) != 0 || line.size() == family.size()) {
            continue;
        }
        size_t valueStart = family.size();
        std::string labels;
        if (line[valueStart] == '{') {
            const size_t close = LabelPartEnd(line, valueStart);
            if (close == std::string::npos) {
                continue;
            }
            labels = line.substr(valueStart, close - valueStart + 1);
            valueStart = close + 1;
        }
        if (valueStart >= line.size() || line[valueStart] != ' ') {
            continue;  // another family whose name starts with this one
        }
        char* end = nullptr;
        const std::string valueText = line.substr(valueStart + 1);
        const double value = std::strtod(valueText.c_str(), &end);
        if (end != valueText.c_str()) {
            samples[labels] = value;
        }
    }
    return samples;
}

}  // namespace Quillet::Cli
