#pragma once

// A forward-only walk over the elements of an XML text with libxml2's reader: no tree is
// built, no network or external entity is loaded, and a file that breaks off leaves what
// was read before the break.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarvello {

class XmlStream {
 public:
  // `bytes` must outlive the stream.
  explicit XmlStream(std::string_view bytes);
  ~XmlStream();
  XmlStream(const XmlStream&) = delete;
  XmlStream& operator=(const XmlStream&) = delete;

  // Moves to the next element start or end; false at the end of the text or at an error
  // (then Damaged() tells which).
  bool NextElement();
  bool IsStart() const { return start_; }
  bool IsEmptyElement() const;
  int Depth() const;
  // The element's name without its namespace prefix.
  std::string_view LocalName() const;
  std::optional<std::string> Attribute(const char* name) const;
  // The text content of the element at the cursor (entities replaced).
  std::string Text();
  bool Damaged() const { return damaged_; }

 private:
  struct Reader;
  std::unique_ptr<Reader> reader_;
  bool start_ = false;
  bool damaged_ = false;
};

}  // namespace tarvello
