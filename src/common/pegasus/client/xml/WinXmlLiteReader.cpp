// XmlReader on XmlLite, the pull parser that comes with Windows. The whole
// document is read into a token list when the reader opens, as the pugixml
// reader does with its DOM: syntax errors surface from openXmlReader(), and
// every name and text handed out stays valid for the reader's life.

#include "XmlReader.h"

#include "WinXmlText.h"

#include <windows.h>

#include <objidl.h>
#include <xmllite.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

namespace {

// ISequentialStream over the caller's document, so that XmlLite reads it in
// place. It lives inside the reader that uses it; reference counts only
// track XmlLite's hold, they never delete it.
class DocumentStream final : public ISequentialStream
{
public:
    DocumentStream(const char* data, std::size_t size) : _data(data), _size(size) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(ISequentialStream)))
        {
            *object = static_cast<ISequentialStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --_references; }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* delivered) override
    {
        const std::size_t left = _size - _position;
        const ULONG count = static_cast<ULONG>(left < wanted ? left : wanted);
        std::copy(_data + _position, _data + _position + count, static_cast<char*>(buffer));
        _position += count;
        if (delivered)
            *delivered = count;
        return count < wanted ? S_FALSE : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override
    {
        return STG_E_ACCESSDENIED;
    }

private:
    const char* _data;
    std::size_t _size;
    std::size_t _position = 0;
    ULONG _references = 0;
};

struct ComRelease
{
    void operator()(IUnknown* object) const { object->Release(); }
};

// A run of the reader's text store, turned into a view only when asked, as
// the store grows while the document is read.
struct Span
{
    std::size_t begin = 0;
    std::size_t length = 0;
};

struct TokenRecord
{
    XmlReader::Token token;
    Span nameOrText;
    std::size_t firstAttribute = 0;
    std::size_t attributeCount = 0;
    std::size_t offset = 0;
};

struct AttributeRecord
{
    Span name;
    Span value;
};

class XmlLiteReader final : public XmlReader
{
public:
    explicit XmlLiteReader(const std::string& document)
    {
        const std::string* source = &document;
        if (rewriteForXmlLite(document, _escaped))
            source = &_escaped;
        indexLines(*source);
        readAll(*source);
    }

    // Drops the outermost element's start and end tokens, for a fragment
    // read inside a wrapper element whose start tag took `shift` bytes.
    void unwrap(std::size_t shift)
    {
        // Tokens: wrapper start, content..., wrapper end, end of document.
        _tokens.erase(_tokens.end() - 2);
        _tokens.erase(_tokens.begin());
        for (TokenRecord& record : _tokens)
            record.offset = record.offset > shift ? record.offset - shift : 0;
    }

    Token next() override
    {
        if (_current + 1 < _tokens.size())
            ++_current;
        else
            _current = _tokens.size() - 1;  // stays on EndOfDocument
        return _tokens[_current].token;
    }

    std::string_view name() const override { return view(_tokens[_current].nameOrText); }

    std::string_view text() const override { return view(_tokens[_current].nameOrText); }

    bool attribute(std::string_view attributeName, std::string_view& value) const override
    {
        const TokenRecord& record = _tokens[_current];
        for (std::size_t index = 0; index < record.attributeCount; ++index)
        {
            const AttributeRecord& attribute = _attributes[record.firstAttribute + index];
            if (view(attribute.name) == attributeName)
            {
                value = view(attribute.value);
                return true;
            }
        }
        return false;
    }

    std::size_t offset() const override { return _tokens[_current].offset; }

private:
    void readAll(const std::string& source)
    {
        DocumentStream stream(source.data(), source.size());
        IXmlReader* rawReader = nullptr;
        check(CreateXmlReader(__uuidof(IXmlReader), reinterpret_cast<void**>(&rawReader), nullptr),
              "cannot create an XmlLite reader", nullptr);
        std::unique_ptr<IXmlReader, ComRelease> reader(rawReader);
        // No DTD: nothing the server sends can expand into more text than it wrote.
        check(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit),
              "cannot configure the XmlLite reader", nullptr);
        check(reader->SetInput(&stream), "cannot give the document to XmlLite", nullptr);

        bool sawElement = false;
        XmlNodeType type = XmlNodeType_None;
        for (;;)
        {
            const HRESULT read = reader->Read(&type);
            check(read, "the document is not well-formed XML", reader.get());
            if (read == S_FALSE)
                break;
            switch (type)
            {
                case XmlNodeType_Element:
                    sawElement = true;
                    addStartElement(reader.get());
                    break;
                case XmlNodeType_EndElement:
                    addToken(Token::EndElement, qualifiedName(reader.get()), reader.get());
                    break;
                case XmlNodeType_Text:
                case XmlNodeType_CDATA:
                    addToken(Token::Text, value(reader.get()), reader.get());
                    break;
                default:
                    break;  // declaration, comments, PIs, whitespace between elements
            }
        }
        if (!sawElement)
            throw XmlSyntaxError{"the document has no root element", 0};
        _tokens.push_back(TokenRecord{Token::EndOfDocument, {}, 0, 0, source.size()});
        // Readers start before the first token.
        _current = static_cast<std::size_t>(-1);
    }

    void addStartElement(IXmlReader* reader)
    {
        // Read before the attributes move the reader away from the element.
        const bool empty = reader->IsEmptyElement() != FALSE;
        const Span elementName = qualifiedName(reader);
        const std::size_t offsetNow = currentOffset(reader);
        const std::size_t firstAttribute = _attributes.size();
        HRESULT moved = reader->MoveToFirstAttribute();
        while (moved == S_OK)
        {
            AttributeRecord attribute;
            attribute.name = qualifiedName(reader);
            attribute.value = value(reader);
            _attributes.push_back(attribute);
            moved = reader->MoveToNextAttribute();
        }
        check(moved, "an attribute is not well-formed", reader);
        reader->MoveToElement();
        _tokens.push_back(TokenRecord{Token::StartElement, elementName, firstAttribute,
                                      _attributes.size() - firstAttribute, offsetNow});
        if (empty)
            _tokens.push_back(TokenRecord{Token::EndElement, elementName, 0, 0, offsetNow});
    }

    void addToken(Token token, Span nameOrText, IXmlReader* reader)
    {
        _tokens.push_back(TokenRecord{token, nameOrText, 0, 0, currentOffset(reader)});
    }

    // Names repeat throughout a document: each is stored once.
    Span qualifiedName(IXmlReader* reader)
    {
        const WCHAR* text = nullptr;
        UINT length = 0;
        check(reader->GetQualifiedName(&text, &length), "cannot read a name", reader);
        _scratch.clear();
        appendUtf8(text, length, _scratch);
        for (const Span& known : _names)
        {
            if (view(known) == _scratch)
                return known;
        }
        const Span added = store(_scratch);
        _names.push_back(added);
        return added;
    }

    Span value(IXmlReader* reader)
    {
        const WCHAR* text = nullptr;
        UINT length = 0;
        check(reader->GetValue(&text, &length), "cannot read a value", reader);
        _scratch.clear();
        appendUtf8(text, length, _scratch);
        return store(_scratch);
    }

    Span store(const std::string& text)
    {
        const Span span{_store.size(), text.size()};
        _store += text;
        return span;
    }

    std::string_view view(const Span& span) const
    {
        return std::string_view(_store).substr(span.begin, span.length);
    }

    // Line starts of the document, to turn XmlLite's line and column into a
    // byte offset (exact for ASCII lines; columns count UTF-16 units).
    void indexLines(const std::string& source)
    {
        _lineStarts.push_back(0);
        for (std::size_t at = 0; at < source.size(); ++at)
        {
            if (source[at] == '\n')
                _lineStarts.push_back(at + 1);
        }
    }

    std::size_t currentOffset(IXmlReader* reader) const
    {
        UINT line = 0;
        UINT column = 0;
        reader->GetLineNumber(&line);
        reader->GetLinePosition(&column);
        if (line == 0 || line > _lineStarts.size())
            return 0;
        return _lineStarts[line - 1] + (column > 0 ? column - 1 : 0);
    }

    void check(HRESULT result, const char* what, IXmlReader* reader) const
    {
        if (SUCCEEDED(result))
            return;
        UINT line = 0;
        UINT column = 0;
        if (reader)
        {
            reader->GetLineNumber(&line);
            reader->GetLinePosition(&column);
        }
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
        throw XmlSyntaxError{std::string(what) + " (XmlLite error " + code + ", line " +
                                 std::to_string(line) + ", column " + std::to_string(column) + ")",
                             reader ? currentOffset(reader) : 0};
    }

    std::string _escaped;
    std::string _store;
    std::string _scratch;
    std::vector<Span> _names;
    std::vector<TokenRecord> _tokens;
    std::vector<AttributeRecord> _attributes;
    std::vector<std::size_t> _lineStarts;
    std::size_t _current = 0;
};

}  // namespace

std::unique_ptr<XmlReader> openXmlReader(std::string& document)
{
    return std::make_unique<XmlLiteReader>(document);
}

std::unique_ptr<XmlReader> openXmlFragment(char* data, std::size_t size, bool /*keepText*/)
{
    // Read as the content of a wrapper element (Wine's XmlLite has no
    // fragment conformance level). The reader keeps its own copy of every
    // name and text it hands out, so the copy only lives while it is read.
    constexpr std::string_view open = "<fragment>";
    constexpr std::string_view close = "</fragment>";
    std::string wrapped;
    wrapped.reserve(open.size() + size + close.size());
    wrapped.append(open).append(data, size).append(close);
    try
    {
        auto reader = std::make_unique<XmlLiteReader>(wrapped);
        reader->unwrap(open.size());
        return reader;
    }
    catch (XmlSyntaxError& error)
    {
        error.offset = error.offset > open.size() ? error.offset - open.size() : 0;
        throw;
    }
}

}  // namespace ClientDetail
}  // namespace Pegasus
