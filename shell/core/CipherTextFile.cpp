#include "shell/core/CipherTextFile.h"

#include "common/CCriptFile.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"

#include <sys/stat.h>

namespace vexar::shell {

bool OpenCipherForReading(const std::string& path, CCriptFile& file)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        ReportError(Format(u"Error to access file %s!", path));
        return false;
    }
    if (!file.Open(path, 1)) {
        ReportError(Format(u"Error to open file %s!", path));
        return false;
    }
    return true;
}

bool WriteCipherTextFile(const std::string& path, const std::u16string& text, std::u16string_view writeFailure)
{
    CCriptFile file;
    if (!file.Open(path, 0)) {
        ReportError(Format(u"Error to open file %s!", path));
        return false;
    }
    file.Write(text);
    if (!file.Close()) {
        ReportError(Format(writeFailure, path));
        return false;
    }
    return true;
}

}  // namespace vexar::shell
