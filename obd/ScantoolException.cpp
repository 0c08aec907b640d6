#include "obd/ScantoolException.h"

#include <utility>

namespace obdvane {

ScantoolException::ScantoolException(std::string message)
    : m_message(std::move(message))
{
}

ScantoolException::~ScantoolException() = default;

std::string ScantoolException::GetMessage() const
{
    return m_message;
}

}  // namespace obdvane
