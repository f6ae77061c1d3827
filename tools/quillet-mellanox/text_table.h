#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace Quillet::Cli {

// A plain-text table: a heading row, then one row per item, columns two
// blanks apart and as wide as their widest cell. When the table is wider than
// the width allowed, the widest flexible columns (descriptions) are cut first
// (cut cells end in "~"); then columns are left out, flexible ones first, then
// other columns that are no key, the rightmost first, and a last line names
// them. Key columns (names, addresses, identifiers people copy) are never cut.
class TextTable {
public:
    explicit TextTable(std::vector<std::string> headings);

    void AddRow(std::vector<std::string> cells);
    // Marks the columns, by heading, that are cut before any other.
    void SetFlexible(const std::vector<std::string>& headings);
    // Marks the columns, by heading, that are always shown whole.
    void SetKeyColumns(const std::vector<std::string>& headings);
    bool Empty() const { return m_rows_.empty(); }

    // Each line starts with `indent` blanks and ends with "\n".
    std::string Render(size_t indent, size_t maxWidth) const;

private:
    std::vector<size_t> NaturalWidths() const;
    std::vector<size_t> FittedWidths(size_t available) const;

    std::vector<std::string> m_headings_;
    std::vector<bool> m_flexible_;
    std::vector<bool> m_key_;
    std::vector<std::vector<std::string>> m_rows_;
};

// Width of a UTF-8 text in terminal columns (one per code point).
size_t DisplayWidth(const std::string& text);

// `text` cut to `width` columns, the cut marked with "~"; never splits a
// UTF-8 character.
std::string CutToWidth(const std::string& text, size_t width);

}  // namespace Quillet::Cli
