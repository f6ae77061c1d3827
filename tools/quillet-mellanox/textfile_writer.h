#pragma once
#include <map>
#include <string>

namespace Quillet::Cli {

// Replaces `path` with `content` in one step, as node_exporter's textfile
// collector needs: the text goes to a temporary file beside it (a name that
// does not end in ".prom", so the collector never reads it half-written),
// which is then renamed over `path`. The file is readable by everyone (the
// collector runs as another user). The folder must be one the tool trusts
// (see TrustedFolder). Throws ToolError(CannotWrite) naming the file and the
// cause; `path` is then left as it was.
void WriteTextfileAtomically(const std::string& path, const std::string& content);

// The samples of `family` in an exposition text that this tool wrote,
// keyed by their label text ("{operation=\"...\"}"). A missing file, or one
// that is not read back (see ReadBackFile; a warning on stderr says why),
// gives none: there is no earlier run to carry anything over from.
std::map<std::string, double> ReadPreviousSamples(const std::string& path, const std::string& family);

}  // namespace Quillet::Cli
