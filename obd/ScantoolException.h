#pragma once

// The library's exceptions: one class per area, each holding one message
// text. They never leave the library: the exported functions catch them.
//
// Every class of the family is thrown by value and caught by reference, so
// that a catch-all that ends an exchange can never leak the object.

#include <string>

namespace obdvane {

class ScantoolException {
public:
    explicit ScantoolException(std::string message);
    virtual ~ScantoolException();
    virtual std::string GetMessage() const;

private:
    std::string m_message;
};

// The adapter gave no valid reply, or did not answer the handshake.
class CommandException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

// The port could not be opened or refused a write.
class SerialException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

// The adapter answered the handshake as one whose firmware must be updated.
class FirmwareException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

// A request frame that cannot be built.
class CmdBuilderException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

// A logged exchange asked for what it does not hold.
class LogCommandException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

// Refusals of the per-ECU records.
class EcuException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

class MonitorStatusException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

class ReceivedDataException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

class SupportedDataException : public ScantoolException {
public:
    using ScantoolException::ScantoolException;
};

}  // namespace obdvane
