#include "Vectors.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

std::string vectorsDirectory()
{
    const char* overridden = std::getenv("CIMXML_VECTORS_DIR");
    return overridden ? overridden : CIMXML_VECTORS_DIR;
}

bool vectorsAvailable()
{
    struct stat info{};
    return ::stat((vectorsDirectory() + "/README.md").c_str(), &info) == 0;
}

std::string readVectorFile(const std::string& exchange, const std::string& file)
{
    const std::string path = vectorsDirectory() + "/" + exchange + "/" + file;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string httpBody(const std::string& message)
{
    std::size_t end = message.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : message.substr(end + 4);
}

namespace {

void replaceBetween(std::string& text, const std::string& start, const std::string& stop,
                    const std::string& replacement)
{
    std::size_t from = text.find(start);
    if (from == std::string::npos)
        return;
    from += start.size();
    std::size_t to = text.find(stop, from);
    text.replace(from, to - from, replacement);
}

}  // namespace

std::string normalisedRequest(std::string request, const std::string& messageId,
                              const std::string& hostField)
{
    replaceBetween(request, "<MESSAGE ID=\"", "\"", messageId);
    replaceBetween(request, "\r\nHOST: ", "\r\n", hostField);
    return request;
}

std::string dechunked(const std::string& body)
{
    std::string out;
    std::size_t at = 0;
    for (;;)
    {
        std::size_t lineEnd = body.find("\r\n", at);
        if (lineEnd == std::string::npos)
            throw std::runtime_error("broken chunk framing");
        std::size_t size = std::strtoul(body.substr(at, lineEnd - at).c_str(), nullptr, 16);
        if (size == 0)
            return out;
        out.append(body, lineEnd + 2, size);
        at = lineEnd + 2 + size + 2;
    }
}

std::vector<std::vector<std::string>> referenceRenderings(const std::string& className)
{
    std::istringstream in(readVectorFile("cimclient-tostring", className + ".txt"));
    std::vector<std::vector<std::string>> blocks;
    std::string line;
    while (std::getline(in, line))
    {
        if (line.rfind("  ", 0) != 0)
            blocks.emplace_back();
        if (!blocks.empty())
            blocks.back().push_back(line);
    }
    return blocks;
}
