#pragma once

#include <QImage>
#include <string>

namespace touchlane::test {

// Decodes the screenshot xwd writes (a true-colour dump of 24 or 32 bits per pixel) into
// an image; a null image for anything else.
QImage decodeXwd(const std::string& bytes);

}  // namespace touchlane::test
