#include "config/CVEXARContext.h"

CVEXARContext::CVEXARContext() : m_acqFile(std::string(), u"InfoFileAcquisizioni") {}

CVEXARContext::~CVEXARContext() = default;
