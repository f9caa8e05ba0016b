// A text in the toolkit's own string type, written in place: a result of hundreds of
// megabytes goes from the engine to the text box without a copy.
#pragma once

#include <cstddef>
#include <memory>

namespace forms {

struct NativeText;

// Copies share the text.
class LargeText {
  public:
    // Makes room for size units and returns where they go; null when a text box could not
    // hold that many. May throw std::bad_alloc.
    char16_t* Resize(std::size_t size);
    // Null while the text is empty.
    const NativeText* Native() const { return native_.get(); }

  private:
    std::shared_ptr<NativeText> native_;
};

}  // namespace forms
