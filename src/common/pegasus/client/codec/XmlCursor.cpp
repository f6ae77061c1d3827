#include "XmlCursor.h"

#include "../ClientErrors.h"

namespace Pegasus {
namespace ClientDetail {

XmlCursor::XmlCursor(std::string& document, std::string where, DecodeCache& cache)
    : _where(std::move(where)), _cache(cache)
{
    try
    {
        _reader = openXmlReader(document);
    }
    catch (const XmlSyntaxError& error)
    {
        throwMalformedXml(_where, error.description + " at byte " + std::to_string(error.offset));
    }
    catch (const XmlTooCostly& refusal)
    {
        throwUnexpectedResponse(_where, "the response is refused: " + refusal.description);
    }
}

XmlCursor::XmlCursor(char* data, std::size_t size, std::size_t offset, std::string where,
                     DecodeCache& cache, bool keepText, const StrippedElements* stripped)
    : _where(std::move(where)), _offset(offset), _cache(cache), _stripped(stripped)
{
    try
    {
        _reader = openXmlFragment(data, size, keepText);
    }
    catch (const XmlSyntaxError& error)
    {
        const std::size_t at = _stripped ? _stripped->writtenOffset(error.offset) : error.offset;
        throwMalformedXml(_where, error.description + " at byte " + std::to_string(_offset + at));
    }
    catch (const XmlTooCostly& refusal)
    {
        throwUnexpectedResponse(_where, "the response is refused: part of it at byte " +
                                            std::to_string(_offset) + ": " + refusal.description);
    }
}

std::size_t XmlCursor::offset() const
{
    const std::size_t at = _reader->offset();
    return _offset + (_stripped ? _stripped->writtenOffset(at) : at);
}

RepeatedElementMemo::QualifierRun* XmlCursor::qualifierRun() const
{
    return _stripped && atStart() ? _stripped->qualifierRunAt(_reader->offset()) : nullptr;
}

const StrippedElements::PropertyRun* XmlCursor::propertyRun() const
{
    return _stripped && atStart() ? _stripped->propertyRunAt(_reader->offset()) : nullptr;
}

RepeatedElementMemo::Property* XmlCursor::firstProperty() const
{
    return _stripped && atStart() ? _stripped->firstPropertyAt(_reader->offset()) : nullptr;
}

void XmlCursor::nextTag()
{
    do
    {
        _token = _reader->next();
        if (_token == XmlReader::Token::EndOfDocument)
            fail("the document ends before the CIM response is complete");
    } while (_token == XmlReader::Token::Text);
}

void XmlCursor::enter(std::string_view elementName)
{
    nextTag();
    if (!atStart(elementName))
        unexpected("<" + std::string(elementName) + ">");
}

void XmlCursor::leave(std::string_view elementName)
{
    nextTag();
    if (!atEnd(elementName))
        unexpected("</" + std::string(elementName) + ">");
}

std::string_view XmlCursor::requiredAttribute(std::string_view attributeName) const
{
    std::string_view value;
    if (!_reader->attribute(attributeName, value))
    {
        fail("<" + std::string(_reader->name()) + "> has no " + std::string(attributeName) +
             " attribute");
    }
    return value;
}

bool XmlCursor::readChildTexts(std::string_view childName, std::vector<std::string_view>& texts)
{
    if (!_reader->childTexts(childName, texts))
        return false;
    _token = XmlReader::Token::EndElement;
    return true;
}

std::string_view XmlCursor::readText()
{
    std::string_view direct;
    if (_reader->elementText(direct))
    {
        _token = XmlReader::Token::EndElement;
        _textJoined = false;
        return direct;
    }
    const std::string elementName(_reader->name());
    std::string_view text;
    bool joined = false;
    for (;;)
    {
        _token = _reader->next();
        if (_token == XmlReader::Token::Text)
        {
            // Text split by CDATA sections arrives in pieces.
            if (text.empty() && !joined)
            {
                text = _reader->text();
                continue;
            }
            if (!joined)
            {
                _joinedText.assign(text);
                joined = true;
            }
            _joinedText.append(_reader->text());
            continue;
        }
        if (_token == XmlReader::Token::EndElement)
            break;
        fail("<" + elementName + "> holds <" + std::string(_reader->name()) +
             "> where only text is allowed");
    }
    _textJoined = joined;
    return joined ? std::string_view(_joinedText) : text;
}

void XmlCursor::skipElement()
{
    if (_reader->skipCurrentElement())
    {
        _token = XmlReader::Token::EndElement;
        return;
    }
    std::size_t depth = 1;
    while (depth > 0)
    {
        nextTag();
        if (atStart())
            ++depth;
        else
            --depth;
    }
}

bool XmlCursor::nextTagOrEnd()
{
    do
    {
        _token = _reader->next();
    } while (_token == XmlReader::Token::Text);
    return _token != XmlReader::Token::EndOfDocument;
}

void XmlCursor::fail(const std::string& reason) const
{
    throwMalformedXml(_where, reason + " (near byte " + std::to_string(offset()) + ")");
}

void XmlCursor::refuse(const std::string& reason) const
{
    throwUnexpectedResponse(_where, reason + " (near byte " + std::to_string(offset()) + ")");
}

void XmlCursor::unexpected(std::string_view expected) const
{
    std::string found;
    if (_token == XmlReader::Token::StartElement)
        found = "<" + std::string(_reader->name()) + ">";
    else if (_token == XmlReader::Token::EndElement)
        found = "</" + std::string(_reader->name()) + ">";
    else
        found = "the end of the document";
    fail("expected " + std::string(expected) + " but found " + found);
}

}  // namespace ClientDetail
}  // namespace Pegasus
