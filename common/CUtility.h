#pragma once

// The toolbox of free operations; each layer reopens the namespace in its
// own header.

#include <string>

class CCriptFile;

namespace CUtility {

// Reads lines until one is neither empty nor a "//" comment once trimmed;
// hands it out trimmed. False at the end of the file.
bool ReadNextDataLine(CCriptFile& file, std::u16string& line);

}  // namespace CUtility
