#pragma once
#include <string>
#include <vector>

namespace FakeMft {

// Builds a tool's output line by line, with LF or CRLF line ends.
class LineWriter {
public:
    explicit LineWriter(bool crlf) : m_line_end_(crlf ? "\r\n" : "\n") {}

    void Line(const std::string& text)
    {
        m_text_ += text;
        m_text_ += m_line_end_;
    }
    const std::string& Text() const { return m_text_; }

private:
    std::string m_line_end_;
    std::string m_text_;
};

// Writes every byte to the standard output (1) or standard error (2), unbuffered.
void WriteTo(int fd, const std::string& text);

// Closes the standard output and standard error, so a reader sees their end.
void CloseOutput();

void SleepSeconds(int seconds);
// Starts a child that holds standard output and error open for `seconds`, or
// until the reader closes its end, and returns at once.
void HoldOutputInChild(int seconds);

// The whole file, byte for byte; throws std::runtime_error naming it.
std::string ReadWholeFile(const std::string& path);

// Appends one line to `logPath`: the program's file name, then each argument
// in brackets. Nothing when `logPath` is empty.
void AppendArgumentsLog(const std::string& logPath, int argc, char** argv);

// Roughly `megabytes` MiB of numbered filler lines, as a very talkative tool prints.
std::string FillerText(int megabytes, bool crlf);

}  // namespace FakeMft
