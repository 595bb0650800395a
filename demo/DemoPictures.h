#pragma once

#include <functional>
#include <string>

namespace demo {

// Writes the demo's pictures: for a few installed games a title, numbered gameplay
// shots in each format the store keeps (PCX, PNG, JPEG, BMP), a flyer, a marquee with
// transparent parts and a cabinet. write(relative path, bytes, note) stores one file.
void writePictures(
    const std::function<void(const std::string&, const std::string&, const std::string&)>& write);

} // namespace demo
