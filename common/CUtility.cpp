#include "common/CUtility.h"

#include "common/CCriptFile.h"
#include "common/Text.h"

namespace CUtility {

bool ReadNextDataLine(CCriptFile& file, std::u16string& line)
{
    while (file.ReadLine(line)) {
        vexar::TrimInPlace(line);
        if (!line.empty() && line.compare(0, 2, u"//") != 0)
            return true;
    }
    return false;
}

}  // namespace CUtility
