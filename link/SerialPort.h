#pragma once

// The port-numbered serial layer: COM ports 1 to 256 addressed by number,
// line settings checked against fixed tables, every failure a negative code
// with a fixed English text (PortErrorText) and one last-error word for the
// process. The ECU protocols, the OBD adapter and the programming tools use
// their ports only through it.
//
// A number is mapped to a device by platform/ComPortResolver at the open.
// Ports run in raw mode (8-bit clean, no echo, no CR/LF mapping, no XON/XOFF),
// are exclusive (a flock on the device besides TIOCEXCL, which root ignores)
// and close-on-exec. Reads and writes are synchronous and bounded by total
// time-outs (1000 ms after the open; PortSetTimeout changes the read one).
// A write returns once its bytes have left the line, and its time-out grows
// by the time they take at the line's speed. A real port reports what it
// still holds; a pseudo-terminal cannot, so the layer paces the bytes handed
// to it at the line's speed, and both behave alike towards a far end that
// models the line.
//
// Threads: a port belongs to one thread at a time. PortPurge and
// PortSetEventMask may come from another thread to end a read, write or
// event wait in progress on the port (a read or write then ends as if timed
// out); with no such call in progress they end nothing later.

#include <cstdint>

namespace vexar::link {

// Codes this layer produces; PortErrorText knows these and the codes the
// programming tools' transfer protocols use.
constexpr int PORT_OK = 0;
constexpr int PORT_SYSTEM_ERROR = -1;  // text: the system's message for the error
constexpr int PORT_BAD_NUMBER = -2;
constexpr int PORT_NOT_OPEN = -3;
constexpr int PORT_NOT_FOUND = -6;
constexpr int PORT_CANNOT_OPEN = -7;
constexpr int PORT_NO_BUFFERS = -11;
constexpr int PORT_NO_RESOURCES = -12;
constexpr int PORT_BAD_PARAMETER = -13;
constexpr int PORT_BAD_BAUD = -14;
constexpr int PORT_BAD_PARITY = -24;
constexpr int PORT_BAD_DATA_BITS = -34;
constexpr int PORT_BAD_STOP_BITS = -44;
constexpr int PORT_IO_ERROR = -91;
constexpr int PORT_BAD_COUNT = -94;
constexpr int PORT_TIMEOUT = -99;
constexpr int PORT_NULL_BUFFER = -152;

// Parity codes.
constexpr int PORT_PARITY_NONE = 0;
constexpr int PORT_PARITY_ODD = 1;
constexpr int PORT_PARITY_EVEN = 2;
constexpr int PORT_PARITY_MARK = 3;
constexpr int PORT_PARITY_SPACE = 4;

// Functions of PortEscapeFunction.
constexpr int PORT_SETXOFF = 1;   // hold our output as if XOFF had come
constexpr int PORT_SETXON = 2;    // release it
constexpr int PORT_SETRTS = 3;
constexpr int PORT_CLRRTS = 4;
constexpr int PORT_SETDTR = 5;
constexpr int PORT_CLRDTR = 6;
constexpr int PORT_SETBREAK = 8;
constexpr int PORT_CLRBREAK = 9;

// Event bits of PortSetEventMask and PortWaitEvent.
constexpr unsigned PORT_EV_RXCHAR = 0x0001;   // input is waiting
constexpr unsigned PORT_EV_TXEMPTY = 0x0004;  // all output has left
constexpr unsigned PORT_EV_CTS = 0x0008;      // a modem line changed
constexpr unsigned PORT_EV_DSR = 0x0010;
constexpr unsigned PORT_EV_RLSD = 0x0020;
constexpr unsigned PORT_EV_BREAK = 0x0040;    // a break was received
constexpr unsigned PORT_EV_ERR = 0x0080;      // a line error (frame, overrun, parity)
constexpr unsigned PORT_EV_RING = 0x0100;

// Line-error bits of PortStatus and PortClearError.
constexpr unsigned PORT_CE_RXOVER = 0x0001;
constexpr unsigned PORT_CE_OVERRUN = 0x0002;
constexpr unsigned PORT_CE_RXPARITY = 0x0004;
constexpr unsigned PORT_CE_FRAME = 0x0008;
constexpr unsigned PORT_CE_BREAK = 0x0010;

// The request of PortClearError that reads and clears the line errors.
constexpr int PORT_CLEAR_ERRORS = 12;

// What PortClearError reports besides the error bits.
struct PORT_QUEUE_STATUS {
    unsigned outputHeld = 0;  // 1 while our output is held (PORT_SETXOFF)
    unsigned inQueue = 0;     // bytes waiting to be read
    unsigned outQueue = 0;    // bytes not yet sent
};

// The control lines as last requested on a port. A device without modem
// lines (a pseudo-terminal) accepts the requests, which are recorded here,
// so the timing of a DTR pulse can be followed all the same.
struct PORT_LINE_STATE {
    bool dtr = false;
    bool rts = false;
    bool breakOn = false;
    bool outputHeld = false;
    int handshake = 0;  // the mode last set by PortSetHandshake
};

int PortCheck(int port);

// `name` null or not empty: the device of the port number; empty: no device
// (-6). Callers pass "\\.\COM<n>" of the same number.
int PortOpenConfig(int port, const char16_t* name, long baud, int parity, int dataBits, int stopBits,
                   int inQueue, int outQueue);
int PortReopen(int port, const char16_t* name);
int PortSetBaud(int port, long baud);
int PortClose(int port);

int PortWrite(int port, const void* buffer, int count);
int PortWriteByte(int port, std::uint8_t byte);
int PortRead(int port, void* buffer, int count);
int PortReadByte(int port);
int PortReadUntil(int port, void* buffer, int count, std::uint8_t terminator);
int PortInQueueLen(int port);
int PortSetTimeout(int port, double seconds);

int PortLastError();
// Always leaves `buffer` terminated when `size` > 0.
void PortErrorText(int code, char16_t* buffer, int size);

int PortStatus(int port);
int PortFlushIn(int port);
int PortFlushOut(int port);
int PortPurge(int port);
int PortEscapeFunction(int port, int function);
int PortWaitEvent(int port, unsigned* mask);
int PortSetEventMask(int port, unsigned mask);
int PortGetEventMask(int port, unsigned* mask);
int PortClearError(int port, unsigned* errors, PORT_QUEUE_STATUS* status, int request);
int PortSetHandshake(int port, int mode);
int PortSendBreak(int port, int milliseconds);

// The requested line state of an open port: 0, or the code of PortCheck.
// Safe from any thread, also while another drives the port.
int PortGetLineState(int port, PORT_LINE_STATE& state);

}  // namespace vexar::link
