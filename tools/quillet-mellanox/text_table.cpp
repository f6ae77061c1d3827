#include "text_table.h"

#include <algorithm>

namespace Quillet::Cli {
namespace {

const size_t kColumnGap = 2;
// Flexible columns are not cut below this; narrower still, they are left out.
const size_t kNarrowestColumn = 8;

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// One line of a cell: tables show texts on one line, so line breaks and tabs
// that CIM texts may carry become blanks.
std::string OneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return text;
}

}  // namespace

std::string CutToWidth(const std::string& text, size_t width)
{
    if (DisplayWidth(text) <= width) {
        return text;
    }
    std::string cut;
    size_t columns = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(text[i])) {
            if (columns + 1 == width) {
                break;
            }
            ++columns;
        }
        cut += text[i];
    }
    return cut + "~";
}

size_t DisplayWidth(const std::string& text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

TextTable::TextTable(std::vector<std::string> headings)
    : m_headings_(std::move(headings)), m_flexible_(m_headings_.size(), false), m_key_(m_headings_.size(), false)
{
}

void TextTable::SetFlexible(const std::vector<std::string>& headings)
{
    for (size_t column = 0; column < m_headings_.size(); ++column) {
        m_flexible_[column] =
            std::find(headings.begin(), headings.end(), m_headings_[column]) != headings.end();
    }
}

void TextTable::AddRow(std::vector<std::string> cells)
{
    cells.resize(m_headings_.size());
    for (std::string& cell : cells) {
        cell = OneLine(std::move(cell));
    }
    m_rows_.push_back(std::move(cells));
}

void TextTable::SetKeyColumns(const std::vector<std::string>& headings)
{
    for (size_t column = 0; column < m_headings_.size(); ++column) {
        m_key_[column] = std::find(headings.begin(), headings.end(), m_headings_[column]) != headings.end();
    }
}

std::vector<size_t> TextTable::NaturalWidths() const
{
    std::vector<size_t> widths(m_headings_.size());
    for (size_t column = 0; column < widths.size(); ++column) {
        widths[column] = DisplayWidth(m_headings_[column]);
        for (const auto& row : m_rows_) {
            widths[column] = std::max(widths[column], DisplayWidth(row[column]));
        }
    }
    return widths;
}

// Widths of the shown columns (0: left out). Flexible columns are cut first,
// the widest first, down to a readable width; if that is not enough, columns
// are left out, flexible ones first, then the others that are no key, from
// the right. Key columns are never cut: the line may stay wider instead.
std::vector<size_t> TextTable::FittedWidths(size_t available) const
{
    const std::vector<size_t> natural = NaturalWidths();
    std::vector<bool> shown(natural.size(), true);
    std::vector<size_t> widths;
    auto fits = [&]() {
        widths = natural;
        size_t total = 0;
        size_t count = 0;
        for (size_t column = 0; column < widths.size(); ++column) {
            if (!shown[column]) {
                widths[column] = 0;
            } else {
                total += widths[column];
                ++count;
            }
        }
        total += count > 0 ? kColumnGap * (count - 1) : 0;
        while (total > available) {
            size_t* widest = nullptr;
            for (size_t column = 0; column < widths.size(); ++column) {
                if (shown[column] && m_flexible_[column] && widths[column] > kNarrowestColumn &&
                    (widest == nullptr || widths[column] > *widest)) {
                    widest = &widths[column];
                }
            }
            if (widest == nullptr) {
                return false;
            }
            --*widest;
            --total;
        }
        return true;
    };
    std::vector<size_t> leaveOutOrder;
    for (bool flexibleRound : {true, false}) {
        for (size_t column = natural.size(); column-- > 0;) {
            if (!m_key_[column] && m_flexible_[column] == flexibleRound) {
                leaveOutOrder.push_back(column);
            }
        }
    }
    for (size_t column : leaveOutOrder) {
        if (fits()) {
            return widths;
        }
        shown[column] = false;
    }
    fits();
    return widths;
}

std::string TextTable::Render(size_t indent, size_t maxWidth) const
{
    const std::vector<size_t> widths = FittedWidths(maxWidth > indent ? maxWidth - indent : 0);
    std::string text;
    auto renderRow = [&](const std::vector<std::string>& cells) {
        std::string line(indent, ' ');
        for (size_t column = 0; column < cells.size(); ++column) {
            if (widths[column] == 0) {
                continue;
            }
            const std::string cell = CutToWidth(cells[column], widths[column]);
            line += cell + std::string(widths[column] - DisplayWidth(cell) + kColumnGap, ' ');
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        text += line + "\n";
    };
    renderRow(m_headings_);
    for (const auto& row : m_rows_) {
        renderRow(row);
    }
    std::string leftOut;
    for (size_t column = 0; column < widths.size(); ++column) {
        if (widths[column] == 0) {
            leftOut += (leftOut.empty() ? "" : ", ") + m_headings_[column];
        }
    }
    if (!leftOut.empty()) {
        text += std::string(indent, ' ') + "(not shown: " + leftOut + ")\n";
    }
    return text;
}

}  // namespace Quillet::Cli
