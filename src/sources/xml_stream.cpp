#include "sources/xml_stream.h"

#include <libxml/xmlreader.h>

#include <climits>

namespace tarvello {

struct XmlStream::Reader {
  xmlTextReaderPtr handle = nullptr;
};

namespace {

// Parser messages would go to standard error; the callers report damage themselves.
void IgnoreError(void*, const char*, xmlParserSeverities, xmlTextReaderLocatorPtr) {}

void IgnoreGenericError(void*, const char*, ...) {}

std::string FromXml(const xmlChar* text) {
  return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace

XmlStream::XmlStream(std::string_view bytes) : reader_(std::make_unique<Reader>()) {
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    damaged_ = true;
    return;
  }
  // Encoding errors of damaged files would otherwise reach standard error too.
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
  // No network, no DTD loading, no entity substitution: only the file's own text counts.
  reader_->handle = xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                       nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                                    XML_PARSE_NOWARNING | XML_PARSE_HUGE);
  if (reader_->handle == nullptr) {
    damaged_ = true;
    return;
  }
  xmlTextReaderSetErrorHandler(reader_->handle, IgnoreError, nullptr);
}

XmlStream::~XmlStream() {
  if (reader_->handle != nullptr) xmlFreeTextReader(reader_->handle);
}

bool XmlStream::NextElement() {
  if (reader_->handle == nullptr) return false;
  for (;;) {
    const int result = xmlTextReaderRead(reader_->handle);
    if (result != 1) {
      damaged_ = damaged_ || result < 0;
      return false;
    }
    const int type = xmlTextReaderNodeType(reader_->handle);
    if (type == XML_READER_TYPE_ELEMENT || type == XML_READER_TYPE_END_ELEMENT) {
      start_ = type == XML_READER_TYPE_ELEMENT;
      return true;
    }
  }
}

bool XmlStream::IsEmptyElement() const {
  return xmlTextReaderIsEmptyElement(reader_->handle) == 1;
}

int XmlStream::Depth() const {
  return xmlTextReaderDepth(reader_->handle);
}

std::string_view XmlStream::LocalName() const {
  const xmlChar* name = xmlTextReaderConstLocalName(reader_->handle);
  return name != nullptr ? std::string_view(reinterpret_cast<const char*>(name))
                         : std::string_view();
}

std::optional<std::string> XmlStream::Attribute(const char* name) const {
  xmlChar* value = xmlTextReaderGetAttribute(reader_->handle, BAD_CAST name);
  if (value == nullptr) return std::nullopt;
  std::string text = FromXml(value);
  xmlFree(value);
  return text;
}

std::string XmlStream::Text() {
  xmlChar* value = xmlTextReaderReadString(reader_->handle);
  std::string text = FromXml(value);
  if (value != nullptr) xmlFree(value);
  return text;
}

}  // namespace tarvello
